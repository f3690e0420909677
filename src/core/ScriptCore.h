#pragma once
#include <Python.h>
#include <string>

#include "core/cPyRef.h"
#include "math/cVector3.h"

// Embeds the interpreter, registers the engine's modules, starts the `system` package and drives
// every frame. Also the engine's only way to the scripts' `config` object.
class ScriptCore
{
public:
    void Init(bool full);    // full: also start the interpreter, the managers and the modules
    void Quit(bool full);    // full: also stop sound and finalise the interpreter
    void Reset();            // a fresh script namespace and `core`; interpreter and sound go on
    void Update();           // one whole frame

    // `config[name] = value`. A missing `config` leaves a script error pending.
    void SetCfgInt(const std::string& name, int value);
    void SetCfgString(const std::string& name, const std::string& value);
    void SetCfgFloat(const std::string& name, float value);

    // `config[name]`, or defaultValue when the lookup fails. A value of the wrong type gives -1
    // (the default for strings) and leaves a TypeError pending.
    int GetCfgInt(const std::string& name, int defaultValue);
    std::string GetCfgString(const std::string& name, const std::string& defaultValue);
    float GetCfgFloat(const std::string& name, float defaultValue);

    void InitGame(const std::string& first, const std::string& second);   // system.startup.initgame
    void LoadGame(const std::string& slot);                               // system.startup.loadgame

    PyObject* Namespace() const { return m_Namespace.Get(); }   // borrowed; null when not running

private:
    bool RunStatement(const char* statement, int mode);   // false when it raised
    void ReportPendingError();                            // open the console and print the error
    void PrintError();                                    // the interpreter's printer; SystemExit ends the process
    bool BindMainObjects();                               // `core` and `config` from system.main
    void CloseConfig();                                   // config.close(); leaves its error pending
    void StepFrame();
    void RunConsoleCommand();
    PyObject* Config() const;                             // borrowed; null when unbound
    void SetCfg(const std::string& name, cPyRef value);
    cPyRef GetCfg(const std::string& name);               // empty when the lookup failed
    void CallStartup(const char* function, PyObject* args);

    cPyRef m_Namespace;
};

// The three named numeric attributes of a script object. A missing or non-numeric attribute gives
// -1 for that component and leaves a script error pending.
cVector3 GetVectorFromObject(PyObject* pObject, const char* xName, const char* yName,
                             const char* zName);

extern ScriptCore g_ScriptCore;
