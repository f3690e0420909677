#pragma once
#include <cstddef>
#include <cstdint>
#include <list>
#include <string>

#include "core/cErrorLog.h"
#include "text/cOffscreenLayer.h"
#include "text/pf.h"

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
    static constexpr int MAX_CONSOLE_LINES = 10;
    // A longer line keeps its end: the window shows a few hundred characters at most, and a
    // megabyte printed by mistake must not cost every later frame.
    static constexpr size_t MAX_LINE_BYTES = 4096;

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
    bool DrewFromPicture() const { return m_DrewFromPicture; }   // the last DrawConsole showed the kept picture

private:
    // Everything the console's pixels depend on.
    struct sPictureKey
    {
        uint64_t logRevision = 0;
        bool state = true;
        std::string typedText;
        int width = 0, height = 0;
        uint32_t modeSerial = 0;
        pfstyle style{};
        bool operator==(const sPictureKey&) const = default;
    };

    void Submit();
    void BrowseHistory();
    sPictureKey PictureKey() const;
    void DrawLines();
    void LeaveStateAsDrawn();

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

    // The open console is drawn once into a picture and shown from it while nothing changes.
    uint64_t m_LogRevision = 0;                        // bumped by every change of m_Log
    cOffscreenLayer m_Picture;
    sPictureKey m_PictureKey;                          // what the picture shows
    sPictureKey m_LastKey;                             // what the last frame showed
    float m_PenAfter[2] = {0, 0};                      // where drawing the console leaves the pen
    bool m_DrewFromPicture = false;
};

extern ScriptConsole g_Console;
