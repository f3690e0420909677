#include "core/ScriptCore.h"

#include <cstdio>

#include "core/ConsoleModule.h"
#include "core/GameModule.h"
#include "core/GameState.h"
#include "core/ScriptConsole.h"
#include "core/TimeModule.h"
#include "graphics/GraphicsManager.h"
#include "graphics/GraphicsModule.h"
#include "input/InputManager.h"
#include "input/InputModule.h"
#include "model/ModelModule.h"
#include "physics/PhysicsModule.h"
#include "sound/SoundManager.h"
#include "sound/SoundModule.h"
#include "text/FontModule.h"

ScriptCore g_ScriptCore;

namespace {

struct sEngineModule
{
    const char* name;
    PyObject* (*create)();
};

// Registration order matters: creating `game` reads the credits file, and scripts may import the
// modules in any order only once all of them are in sys.modules.
const sEngineModule ENGINE_MODULES[] = {
    {"graphics", CreateGraphicsModule}, {"input", CreateInputModule},
    {"_console", CreateConsoleModule},  {"sound", CreateSoundModule},
    {"font", CreateFontModule},         {"_gtime", CreateTimeModule},
    {"game", CreateGameModule},         {"_model", CreateModelModule},
    {"physics", CreatePhysicsModule},
};

bool StartInterpreter()
{
    PyConfig config;
    PyConfig_InitPythonConfig(&config);
    PyStatus status = PyConfig_SetString(&config, &config.program_name, L"Brackwater");
    if (!PyStatus_Exception(status))
        status = Py_InitializeFromConfig(&config);
    PyConfig_Clear(&config);
    if (PyStatus_Exception(status)) {
        std::fprintf(stderr, "ScriptCore: could not start the interpreter: %s\n",
                     status.err_msg ? status.err_msg : "unknown error");
        return false;
    }
    return true;
}

void RegisterEngineModules()
{
    PyObject* modules = PyImport_GetModuleDict();   // borrowed
    for (const sEngineModule& module : ENGINE_MODULES) {
        cPyRef created = cPyRef::Steal(module.create());
        if (!created || PyDict_SetItemString(modules, module.name, created.Get()) < 0) {
            std::fprintf(stderr, "ScriptCore: could not create the module %s\n", module.name);
            PyErr_Print();
        }
    }
}

} // namespace

void ScriptCore::Init(bool full)
{
    if (full) {
        if (!StartInterpreter())
            return;
        g_Graphics.Init();
        g_Sound.Init();
        RegisterEngineModules();
    }
    if (!Py_IsInitialized())
        return;

    m_Namespace = cPyRef::Steal(PyDict_New());
    if (!m_Namespace || PyDict_SetItemString(m_Namespace.Get(), "__builtins__", PyEval_GetBuiltins()) < 0) {
        PyErr_Print();
        return;
    }

    // Every start-up error is printed as soon as it is raised, so that the next step never runs
    // with an exception already set; the console is opened once all steps have run.
    bool failed = !RunStatement("import sys; from sys import exit; sys.path.append('.')", Py_file_input);
    failed |= !RunStatement("from system import console; console.setupconsole()", Py_file_input);
    failed |= !BindMainObjects();
    failed |= !RunStatement("from system.state import findobjectbyname", Py_file_input);
    failed |= !RunStatement("from system.console import setdump", Py_file_input);
    if (failed) {
        g_Console.SetState(false);
        g_Console.Activate();
    }
}

bool ScriptCore::BindMainObjects()
{
    cPyRef mainModule = cPyRef::Steal(PyImport_ImportModule("system.main"));
    if (!mainModule) {
        PrintError();
        return false;
    }
    // A failing setup() or a missing config leaves only that name unbound.
    bool bound = true;
    cPyRef core = cPyRef::Steal(PyObject_CallMethod(mainModule.Get(), "setup", nullptr));
    if (!core || PyDict_SetItemString(m_Namespace.Get(), "core", core.Get()) < 0) {
        PrintError();
        bound = false;
    }
    cPyRef config = cPyRef::Steal(PyObject_GetAttrString(mainModule.Get(), "config"));
    if (!config || PyDict_SetItemString(m_Namespace.Get(), "config", config.Get()) < 0) {
        PrintError();
        bound = false;
    }
    return bound;
}

void ScriptCore::Quit(bool full)
{
    if (full)
        g_Sound.Quit();
    if (!Py_IsInitialized())
        return;   // SystemExit already finalised the interpreter; nothing of it may be touched

    if (m_Namespace) {
        CloseConfig();
        m_Namespace.Reset();
    }
    if (PyErr_Occurred())
        PyErr_Print();
    if (full)
        Py_FinalizeEx();
}

void ScriptCore::Reset()
{
    Quit(false);
    Init(false);
}

void ScriptCore::Update()
{
    g_Console.Update();
    g_Graphics.RenderScene();
    g_Sound.Update();
    StepFrame();
    g_Console.DrawConsole();
    g_Graphics.RenderScene_End();
    g_Input.Update();
    RunConsoleCommand();
    // Without an interpreter (it could not start) there is no error state to ask about.
    if (Py_IsInitialized() && PyErr_Occurred())
        ReportPendingError();
}

void ScriptCore::StepFrame()
{
    if (!m_Namespace)
        return;
    // The menus and the configuration getters may leave an error pending before the step; the
    // interpreter must not be entered with it still set.
    if (PyErr_Occurred())
        ReportPendingError();

    PyObject* core = PyDict_GetItemString(m_Namespace.Get(), "core");   // borrowed
    if (!core)
        return;
    bool exhausted = false;
    if (PyIter_Check(core)) {
        cPyRef result = cPyRef::Steal(PyIter_Next(core));
        exhausted = !result && !PyErr_Occurred();
    } else {
        cPyRef result = cPyRef::Steal(PyObject_CallMethod(core, "next", nullptr));
    }

    if (exhausted || PyErr_Occurred()) {
        g_Console.SetState(false);
        g_Console.Activate();
        // The end of the frame generator is how the game stops its frames, not an error.
        if (exhausted || PyErr_ExceptionMatches(PyExc_StopIteration))
            PyErr_Clear();
        else
            PrintError();
    } else {
        g_Console.SetState(true);
    }
}

void ScriptCore::RunConsoleCommand()
{
    if (!g_Console.CommandEntered())
        return;
    std::string command = g_Console.Command();
    if (!m_Namespace)
        return;
    if (PyErr_Occurred())
        ReportPendingError();
    RunStatement(command.size() > 1 ? command.c_str() : "None", Py_single_input);
    if (PyErr_Occurred())
        ReportPendingError();
}

bool ScriptCore::RunStatement(const char* statement, int mode)
{
    cPyRef result = cPyRef::Steal(PyRun_String(statement, mode, m_Namespace.Get(), m_Namespace.Get()));
    if (result)
        return true;
    if (mode == Py_file_input)
        PrintError();
    return false;
}

void ScriptCore::CloseConfig()
{
    PyObject* config = Config();
    if (config)
        cPyRef result = cPyRef::Steal(PyObject_CallMethod(config, "close", nullptr));
    else
        PyErr_SetString(PyExc_NameError, "name 'config' is not defined");
}

void ScriptCore::ReportPendingError()
{
    g_Console.Activate();
    PrintError();
}

void ScriptCore::PrintError()
{
    // Printing a SystemExit ends the process and finalises the interpreter before the exit
    // handler could close the configuration: close it now, or the settings changed since the last
    // save would be lost.
    if (PyErr_ExceptionMatches(PyExc_SystemExit) && Config()) {
        PyObject *type = nullptr, *value = nullptr, *traceback = nullptr;
        PyErr_Fetch(&type, &value, &traceback);
        CloseConfig();
        if (PyErr_Occurred())
            PyErr_Print();
        m_Namespace.Reset();
        PyErr_Restore(type, value, traceback);
    }
    PyErr_Print();
}

PyObject* ScriptCore::Config() const
{
    return m_Namespace ? PyDict_GetItemString(m_Namespace.Get(), "config") : nullptr;
}

void ScriptCore::SetCfg(const std::string& name, cPyRef value)
{
    if (!Py_IsInitialized() || !value)
        return;
    PyObject* config = Config();
    if (!config) {
        PyErr_SetString(PyExc_NameError, "name 'config' is not defined");
        return;
    }
    cPyRef key = cPyRef::Steal(PyUnicode_FromString(name.c_str()));
    if (key)
        PyObject_SetItem(config, key.Get(), value.Get());
}

void ScriptCore::SetCfgInt(const std::string& name, int value)
{
    SetCfg(name, cPyRef::Steal(PyLong_FromLong(value)));
}

void ScriptCore::SetCfgString(const std::string& name, const std::string& value)
{
    SetCfg(name, cPyRef::Steal(PyUnicode_FromStringAndSize(value.data(), Py_ssize_t(value.size()))));
}

void ScriptCore::SetCfgFloat(const std::string& name, float value)
{
    SetCfg(name, cPyRef::Steal(PyFloat_FromDouble(double(value))));
}

cPyRef ScriptCore::GetCfg(const std::string& name)
{
    PyObject* config = Py_IsInitialized() ? Config() : nullptr;
    if (!config)
        return cPyRef();
    // A lookup made while another error is pending would lose that error or report a false one.
    if (PyErr_Occurred())
        ReportPendingError();
    cPyRef key = cPyRef::Steal(PyUnicode_FromString(name.c_str()));
    cPyRef item = cPyRef::Steal(key ? PyObject_GetItem(config, key.Get()) : nullptr);
    if (!item)
        PyErr_Clear();
    return item;
}

int ScriptCore::GetCfgInt(const std::string& name, int defaultValue)
{
    cPyRef item = GetCfg(name);
    if (!item)
        return defaultValue;
    if (!PyLong_Check(item.Get())) {
        PyErr_Format(PyExc_TypeError, "config['%s'] must be an int, not %.200s", name.c_str(),
                     Py_TYPE(item.Get())->tp_name);
        return -1;
    }
    int overflow = 0;
    long value = PyLong_AsLongAndOverflow(item.Get(), &overflow);
    if (overflow || value < INT_MIN || value > INT_MAX) {
        PyErr_Format(PyExc_OverflowError, "config['%s'] does not fit an int", name.c_str());
        return -1;
    }
    return int(value);
}

std::string ScriptCore::GetCfgString(const std::string& name, const std::string& defaultValue)
{
    cPyRef item = GetCfg(name);
    if (!item)
        return defaultValue;
    Py_ssize_t size = 0;
    const char* text = PyUnicode_Check(item.Get()) ? PyUnicode_AsUTF8AndSize(item.Get(), &size) : nullptr;
    if (!text) {
        if (!PyErr_Occurred())
            PyErr_Format(PyExc_TypeError, "config['%s'] must be a str, not %.200s", name.c_str(),
                         Py_TYPE(item.Get())->tp_name);
        return defaultValue;
    }
    return std::string(text, size_t(size));
}

float ScriptCore::GetCfgFloat(const std::string& name, float defaultValue)
{
    cPyRef item = GetCfg(name);
    if (!item)
        return defaultValue;
    if (!PyNumber_Check(item.Get())) {
        PyErr_Format(PyExc_TypeError, "config['%s'] must be a number, not %.200s", name.c_str(),
                     Py_TYPE(item.Get())->tp_name);
        return -1.0f;
    }
    double value = PyFloat_AsDouble(item.Get());
    if (value == -1.0 && PyErr_Occurred())
        return -1.0f;
    return float(value);
}

void ScriptCore::CallStartup(const char* function, PyObject* args)
{
    if (!m_Namespace || !args)
        return;
    if (PyErr_Occurred())
        ReportPendingError();
    cPyRef startup = cPyRef::Steal(PyImport_ImportModule("system.startup"));
    if (!startup)
        return;   // reported by the frame's error check
    cPyRef callable = cPyRef::Steal(PyObject_GetAttrString(startup.Get(), function));
    if (callable)
        cPyRef result = cPyRef::Steal(PyObject_Call(callable.Get(), args, nullptr));
}

void ScriptCore::InitGame(const std::string& first, const std::string& second)
{
    cPyRef args = cPyRef::Steal(Py_BuildValue("(ss)", first.c_str(), second.c_str()));
    CallStartup("initgame", args.Get());
}

void ScriptCore::LoadGame(const std::string& slot)
{
    cPyRef args = cPyRef::Steal(Py_BuildValue("(s)", slot.c_str()));
    CallStartup("loadgame", args.Get());
}

cVector3 GetVectorFromObject(PyObject* pObject, const char* xName, const char* yName,
                             const char* zName)
{
    cVector3 result;
    const char* names[3] = {xName, yName, zName};
    // Keep the first failure and go on reading the others: each component is read on its own.
    PyObject *type = nullptr, *value = nullptr, *traceback = nullptr;
    for (int i = 0; i < 3; ++i) {
        result[i] = -1.0f;
        cPyRef attribute = cPyRef::Steal(PyObject_GetAttrString(pObject, names[i]));
        if (attribute) {
            double number = PyFloat_AsDouble(attribute.Get());
            if (!(number == -1.0 && PyErr_Occurred()))
                result[i] = float(number);
        }
        if (PyErr_Occurred()) {
            if (type)
                PyErr_Clear();
            else
                PyErr_Fetch(&type, &value, &traceback);
        }
    }
    if (type)
        PyErr_Restore(type, value, traceback);
    return result;
}
