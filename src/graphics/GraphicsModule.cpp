#include "graphics/GraphicsModule.h"

namespace {

PyMethodDef graphicsMethods[] = {
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef graphicsModule = {PyModuleDef_HEAD_INIT, "graphics", nullptr, -1, graphicsMethods,
                             nullptr, nullptr, nullptr, nullptr};

} // namespace

PyObject* CreateGraphicsModule() { return PyModule_Create(&graphicsModule); }
