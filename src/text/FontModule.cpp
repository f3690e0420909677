#include "text/FontModule.h"

namespace {

PyMethodDef fontMethods[] = {
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef fontModule = {PyModuleDef_HEAD_INIT, "font", nullptr, -1, fontMethods,
                             nullptr, nullptr, nullptr, nullptr};

} // namespace

PyObject* CreateFontModule() { return PyModule_Create(&fontModule); }
