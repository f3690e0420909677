#include "sound/SoundModule.h"

namespace {

PyMethodDef soundMethods[] = {
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef soundModule = {PyModuleDef_HEAD_INIT, "sound", nullptr, -1, soundMethods,
                             nullptr, nullptr, nullptr, nullptr};

} // namespace

PyObject* CreateSoundModule() { return PyModule_Create(&soundModule); }
