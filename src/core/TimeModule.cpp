#include "core/TimeModule.h"

#include <SDL/SDL.h>

namespace {

PyObject* time_ticks(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ""))
        return nullptr;
    // Scripts have always seen a signed 32-bit count that wraps after about 24.8 days.
    return Py_BuildValue("i", int(SDL_GetTicks()));
}

PyMethodDef timeMethods[] = {
    {"ticks", time_ticks, METH_VARARGS, "Get the current game tick count."},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef timeModule = {PyModuleDef_HEAD_INIT, "_gtime", nullptr, -1, timeMethods,
                            nullptr, nullptr, nullptr, nullptr};

} // namespace

PyObject* CreateTimeModule() { return PyModule_Create(&timeModule); }
