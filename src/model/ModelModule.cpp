#include "model/ModelModule.h"

namespace {

PyMethodDef modelMethods[] = {
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef modelModule = {PyModuleDef_HEAD_INIT, "_model", nullptr, -1, modelMethods,
                             nullptr, nullptr, nullptr, nullptr};

} // namespace

PyObject* CreateModelModule() { return PyModule_Create(&modelModule); }
