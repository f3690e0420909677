#include "input/InputModule.h"

namespace {

PyMethodDef inputMethods[] = {
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef inputModule = {PyModuleDef_HEAD_INIT, "input", nullptr, -1, inputMethods,
                             nullptr, nullptr, nullptr, nullptr};

} // namespace

PyObject* CreateInputModule() { return PyModule_Create(&inputModule); }
