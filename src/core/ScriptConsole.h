#pragma once
#include <list>
#include <string>

#include "core/cErrorLog.h"

enum ConsoleLogType
{
    LOG_STDOUT = 0,
    LOG_STDERR = 1,
};

struct ConsoleLog
{
    std::string m_Text;
    ConsoleLogType m_Type;
};

// The overlay that shows the scripts' output and errors and runs typed statements.
class ScriptConsole
{
public:
    static constexpr int k_MaxConsoleLines = 10;

    void Update();                                         // open/close key, typed text, submitted lines
    void LogMessage(std::string text, ConsoleLogType type);
    void DrawConsole();                                    // nothing while closed
    bool CommandEntered() const { return m_CommandEntered; }
    std::string Command();                                 // the submitted line; clears CommandEntered
    void Activate() { m_Active = true; }
    void SetState(bool succeeded) { m_State = succeeded; }

    bool IsActive() const { return m_Active; }
    bool State() const { return m_State; }
    const std::list<ConsoleLog>& Log() const { return m_Log; }
    const std::list<std::string>& History() const { return m_History; }
    int HistoryIndex() const { return m_HistoryIndex; }
    const cErrorLog& ErrorLog() const { return m_ErrorLog; }

private:
    void Submit();
    void BrowseHistory();

    std::list<std::string> m_History;                  // newest first
    std::list<std::string>::iterator m_HistoryPos = m_History.end();
    int m_HistoryIndex = -1;                           // counted from the newest; -1: none shown
    std::list<ConsoleLog> m_Log;                       // oldest first
    bool m_LineComplete = true;
    bool m_Active = false;
    std::string m_Command;                             // with its trailing line feed
    bool m_CommandEntered = false;
    bool m_State = true;                               // the last frame step succeeded
    cErrorLog m_ErrorLog;                              // every error text, also when not shown
};

extern ScriptConsole g_Console;
