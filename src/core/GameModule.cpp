#include "core/GameModule.h"

#include "core/GameState.h"
#include "graphics/GraphicsManager.h"
#include "menu/cCredits.h"

namespace {

PyObject* game_setmenu(PyObject*, PyObject* args)
{
    PyObject* flag = nullptr;
    if (!PyArg_ParseTuple(args, "O!", &PyBool_Type, &flag))
        return nullptr;
    g_State.m_InMenu = (flag == Py_True);
    Py_RETURN_NONE;
}

PyObject* game_getmenu(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ""))
        return nullptr;
    return PyBool_FromLong(g_State.m_InMenu);
}

PyObject* game_entergamemenu(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ""))
        return nullptr;
    g_Graphics.m_MenuManager.EnterGameMenu();
    g_State.m_InMenu = true;
    Py_RETURN_NONE;
}

PyObject* game_startcredits(PyObject*, PyObject* args)
{
    int start = 0;
    if (!PyArg_ParseTuple(args, "i", &start))
        return nullptr;
    g_PyCredits.StartCredits(start);
    Py_RETURN_NONE;
}

PyObject* game_updatecredits(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ""))
        return nullptr;
    g_PyCredits.Update(0.005f);
    Py_RETURN_NONE;
}

PyMethodDef gameMethods[] = {
    {"setmenu", game_setmenu, METH_VARARGS, "Set whether we want to be in menu or not."},
    {"getmenu", game_getmenu, METH_VARARGS, "Get the current menu state."},
    {"entergamemenu", game_entergamemenu, METH_VARARGS, "Enter the in-game menu."},
    {"startcredits", game_startcredits, METH_VARARGS, "Sets the credits at the beginning."},
    {"updatecredits", game_updatecredits, METH_VARARGS, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef gameModule = {PyModuleDef_HEAD_INIT, "game", nullptr, -1, gameMethods,
                          nullptr, nullptr, nullptr, nullptr};

} // namespace

PyObject* CreateGameModule()
{
    g_PyCredits.LoadFile("system/Credits.txt");
    return PyModule_Create(&gameModule);
}
