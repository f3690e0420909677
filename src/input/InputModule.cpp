#include "input/InputModule.h"

#include "input/InputManager.h"
#include "input/KeyNames.h"

namespace {

// A logical button name first, then a key name; 0 with a ValueError set when it is neither.
uint32_t KeyIdOfScriptName(const char* name)
{
    uint32_t id = LogicalButtonFromName(name);
    if (id == 0)
        id = KeyIdFromName(name);
    if (id == SC_INVALID_KEY) {
        PyErr_Format(PyExc_ValueError, "'%s' is an invalid key name", name);
        return 0;
    }
    return id;
}

PyObject* input_iskeydown(PyObject*, PyObject* args)
{
    const char* name = nullptr;
    if (!PyArg_ParseTuple(args, "s", &name))
        return nullptr;
    uint32_t id = KeyIdOfScriptName(name);
    if (id == 0)
        return nullptr;
    return PyBool_FromLong(g_Input.IsKeyDown(id));
}

PyObject* input_iskeytriggered(PyObject*, PyObject* args)
{
    const char* name = nullptr;
    if (!PyArg_ParseTuple(args, "s", &name))
        return nullptr;
    uint32_t id = KeyIdOfScriptName(name);
    if (id == 0)
        return nullptr;
    return PyBool_FromLong(g_Input.IsKeyTriggered(id));
}

// No argument or True: pressed since the previous frame; False: held now.
PyObject* QueryLogicalButton(PyObject* args, uint32_t button)
{
    PyObject* triggered = Py_True;
    if (!PyArg_ParseTuple(args, "|O!", &PyBool_Type, &triggered))
        return nullptr;
    bool result = triggered == Py_True ? g_Input.IsKeyTriggered(button) : g_Input.IsKeyDown(button);
    return PyBool_FromLong(result);
}

PyObject* input_action(PyObject*, PyObject* args) { return QueryLogicalButton(args, SC_BUTTON_ACTION); }
PyObject* input_cancel(PyObject*, PyObject* args) { return QueryLogicalButton(args, SC_BUTTON_CANCEL); }
PyObject* input_inventory(PyObject*, PyObject* args) { return QueryLogicalButton(args, SC_BUTTON_INVENTORY); }
PyObject* input_switch(PyObject*, PyObject* args) { return QueryLogicalButton(args, SC_BUTTON_SWITCH); }
PyObject* input_menu(PyObject*, PyObject* args) { return QueryLogicalButton(args, SC_BUTTON_MENU); }

PyObject* input_bind(PyObject*, PyObject* args)
{
    const char* keyName = nullptr;
    const char* buttonName = nullptr;
    if (!PyArg_ParseTuple(args, "ss", &keyName, &buttonName))
        return nullptr;
    uint32_t key = KeyIdFromName(keyName);
    if (key == SC_INVALID_KEY)
        return PyErr_Format(PyExc_ValueError, "'%s' is an invalid key name", keyName);
    uint32_t button = LogicalButtonFromName(buttonName);
    if (button == 0)
        return PyErr_Format(PyExc_ValueError, "'%s' is an invalid key name", buttonName);
    if (!g_Input.Bind(key, button))
        return PyErr_Format(PyExc_ValueError, "'%d' is already bound", int(key));
    // Bind writes the scripts' config, whose own code may have raised.
    if (PyErr_Occurred())
        return nullptr;
    Py_RETURN_NONE;
}

PyMethodDef inputMethods[] = {
    {"iskeydown", input_iskeydown, METH_VARARGS, "Check to see if a key is down."},
    {"iskeytriggered", input_iskeytriggered, METH_VARARGS, "Check to see if a key is triggered."},
    {"action", input_action, METH_VARARGS, "Check to see if action key is down/triggered."},
    {"cancel", input_cancel, METH_VARARGS, "Check to see if cancel key is down/triggered."},
    {"inventory", input_inventory, METH_VARARGS, "Check to see if inventory key is down/triggered."},
    {"switch", input_switch, METH_VARARGS, "Check to see if switch key is down/triggered."},
    {"menu", input_menu, METH_VARARGS, "Check to see if menu key is down/triggered."},
    {"bind", input_bind, METH_VARARGS, "Bind a key to the specified button"},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef inputModule = {PyModuleDef_HEAD_INIT, "input", nullptr, -1, inputMethods,
                           nullptr, nullptr, nullptr, nullptr};

} // namespace

PyObject* CreateInputModule() { return PyModule_Create(&inputModule); }
