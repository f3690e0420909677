#include "text/FontModule.h"

#include "text/FontDraw.h"

namespace {

PyObject* font_drawstring(PyObject*, PyObject* args)
{
    const char* text = nullptr;
    float x = 0, y = 0, r = 0, g = 0, b = 0, sr = 0, sg = 0, sb = 0;
    int size = 0;
    PyObject* shadow = Py_True;
    if (!PyArg_ParseTuple(args, "sffifff|O!fff", &text, &x, &y, &size, &r, &g, &b, &PyBool_Type, &shadow, &sr,
                          &sg, &sb))
        return nullptr;
    DrawFontString(text, x, y, size, r, g, b, shadow == Py_True, sr, sg, sb);
    Py_RETURN_NONE;
}

PyMethodDef fontMethods[] = {
    {"drawstring", font_drawstring, METH_VARARGS, "Draw a string on the screen."},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef fontModule = {PyModuleDef_HEAD_INIT, "font", nullptr, -1, fontMethods,
                          nullptr, nullptr, nullptr, nullptr};

} // namespace

PyObject* CreateFontModule() { return PyModule_Create(&fontModule); }
