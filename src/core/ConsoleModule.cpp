#include "core/ConsoleModule.h"

#include "core/ScriptConsole.h"

namespace {

PyObject* console_stdout(PyObject*, PyObject* args)
{
    const char* text = nullptr;
    if (!PyArg_ParseTuple(args, "s", &text))
        return nullptr;
    g_Console.LogMessage(text, LOG_STDOUT);
    Py_RETURN_NONE;
}

PyObject* console_stderr(PyObject*, PyObject* args)
{
    const char* text = nullptr;
    if (!PyArg_ParseTuple(args, "s", &text))
        return nullptr;
    g_Console.LogMessage(text, LOG_STDERR);
    Py_RETURN_NONE;
}

PyMethodDef consoleMethods[] = {
    {"putstdout", console_stdout, METH_VARARGS, "Store a string from stdout."},
    {"putstderr", console_stderr, METH_VARARGS, "Store a string from stderr."},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef consoleModule = {PyModuleDef_HEAD_INIT, "_console", nullptr, -1, consoleMethods,
                             nullptr, nullptr, nullptr, nullptr};

} // namespace

PyObject* CreateConsoleModule() { return PyModule_Create(&consoleModule); }
