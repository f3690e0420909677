#include "core/ScriptConsole.h"

#include <SDL/SDL.h>
#include <algorithm>
#include <iterator>

#include "input/InputManager.h"
#include "text/FontDraw.h"

ScriptConsole g_Console;

void ScriptConsole::Update()
{
    if (!m_Active) {
        g_Input.m_TypedInputEnabled = false;
        m_CommandEntered = false;
        m_Command.clear();
        if (g_Input.IsKeyTriggered(SDLK_PAGEUP))
            m_Active = true;
        return;
    }

    g_Input.m_TypedInputEnabled = true;
    // Submitting comes before closing, so a line entered in the frame that closes still runs.
    if (g_Input.IsKeyTriggered(SDLK_RETURN))
        Submit();
    BrowseHistory();
    if (g_Input.IsKeyTriggered(SDLK_PAGEUP)) {
        m_HistoryIndex = -1;
        m_Active = false;
    }
}

void ScriptConsole::Submit()
{
    std::string& typed = g_Input.m_TypedText;
    m_History.push_front(typed);
    m_HistoryIndex = -1;
    if (typed == "exit" || typed == "Exit" || typed == "EXIT" || typed == "quit") {
        LogMessage(">>> Bye bye!", LOG_STDOUT);
        typed = "exit()";
    }
    LogMessage(">>> " + typed + "\n", LOG_STDOUT);
    m_Command = typed + "\n";
    m_CommandEntered = true;
    typed.clear();
}

void ScriptConsole::BrowseHistory()
{
    if (!g_Input.IsKeyDown(SDLK_LSHIFT) && !g_Input.IsKeyDown(SDLK_RSHIFT))
        return;
    if (g_Input.IsKeyTriggered(SDLK_UP))
        ++m_HistoryIndex;
    else if (g_Input.IsKeyTriggered(SDLK_DOWN))
        --m_HistoryIndex;
    else
        return;

    m_HistoryIndex = std::clamp(m_HistoryIndex, -1, int(m_History.size()) - 1);
    if (m_HistoryIndex < 0) {
        m_HistoryPos = m_History.end();
        g_Input.m_TypedText.clear();
    } else {
        m_HistoryPos = std::next(m_History.begin(), m_HistoryIndex);
        g_Input.m_TypedText = *m_HistoryPos;
    }
}

void ScriptConsole::LogMessage(std::string text, ConsoleLogType type)
{
    if (type == LOG_STDERR)
        m_ErrorLog.Append(text);
    // Holding Left Ctrl silences the scripts' output: it is dropped, not delayed.
    if (g_Input.IsKeyDown(SDLK_LCTRL) || text.empty())
        return;
    bool endsLine = text.back() == '\n';
    if (m_LineComplete || m_Log.empty()) {
        if (endsLine)
            text.pop_back();
        m_Log.push_back(ConsoleLog{std::move(text), type});
    } else {
        m_Log.back().m_Text += text;
    }
    m_LineComplete = endsLine;
    while (int(m_Log.size()) > k_MaxConsoleLines)
        m_Log.pop_front();
}

std::string ScriptConsole::Command()
{
    m_CommandEntered = false;
    return m_Command;
}

void ScriptConsole::DrawConsole()
{
    if (!m_Active)
        return;
    constexpr int textSize = 17, lineHeight = textSize + 4;
    // The newest line always sits just above the prompt, however few lines there are.
    float y = float(lineHeight * (k_MaxConsoleLines - int(m_Log.size())));
    for (const ConsoleLog& line : m_Log) {
        float green = line.m_Type == LOG_STDERR ? 0.8f : 1.0f;
        DrawConsoleFontString(line.m_Text.c_str(), 5, y, textSize, 1, green, green);
        y += lineHeight;
    }
    std::string prompt = (m_State ? ">>> " : "!>> ") + g_Input.m_TypedText + "_";
    DrawConsoleFontString(prompt.c_str(), 5, y, textSize, 0.6f, 1, 0.6f);
    // Drawn after the text: the first 2D drawing at a pixel wins, so the band stays behind it.
    DrawConsoleBackground();
}
