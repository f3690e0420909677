#include "physics/PhysicsModule.h"

namespace {

PyMethodDef physicsMethods[] = {
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef physicsModule = {PyModuleDef_HEAD_INIT, "physics", nullptr, -1, physicsMethods,
                             nullptr, nullptr, nullptr, nullptr};

} // namespace

PyObject* CreatePhysicsModule() { return PyModule_Create(&physicsModule); }
