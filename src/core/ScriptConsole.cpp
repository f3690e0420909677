#include "core/ScriptConsole.h"

#include <SDL/SDL.h>
#include <algorithm>
#include <iterator>

#include <GL/gl.h>

#include "graphics/GraphicsManager.h"
#include "input/InputManager.h"
#include "text/FontDraw.h"
#include "text/cTextBatch.h"
#include "text/sgl.h"

ScriptConsole g_Console;

void ScriptConsole::Update()
{
    if (!m_Active) {
        g_Input.StopTyping();
        m_CommandEntered = false;
        m_Command.clear();
        if (g_Input.IsKeyTriggered(SDLK_PAGEUP))
            m_Active = true;
        return;
    }

    g_Input.StartTyping();
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
    std::string typed = g_Input.TakeTypedText();
    m_History.push_front(typed);
    m_HistoryIndex = -1;
    if (typed == "exit" || typed == "Exit" || typed == "EXIT" || typed == "quit") {
        LogMessage(">>> Bye bye!", LOG_STDOUT);
        typed = "exit()";
    }
    LogMessage(">>> " + typed + "\n", LOG_STDOUT);
    m_Command = typed + "\n";
    m_CommandEntered = true;
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
        g_Input.SetTypedText("");
    } else {
        m_HistoryPos = std::next(m_History.begin(), m_HistoryIndex);
        g_Input.SetTypedText(*m_HistoryPos);
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
    while (int(m_Log.size()) > MAX_CONSOLE_LINES)
        m_Log.pop_front();
    std::string& last = m_Log.back().m_Text;
    if (last.size() > MAX_LINE_BYTES) {
        size_t cut = last.size() - MAX_LINE_BYTES;
        // Not inside a UTF-8 sequence: its continuation bytes alone would draw as Latin-1 letters.
        for (int i = 0; i < 3 && cut < last.size() && (static_cast<unsigned char>(last[cut]) & 0xc0) == 0x80; ++i)
            ++cut;
        last.erase(0, cut);
    }
    ++m_LogRevision;
}

std::string ScriptConsole::Command()
{
    m_CommandEntered = false;
    return m_Command;
}

namespace {

constexpr int TEXT_SIZE = 17, LINE_HEIGHT = TEXT_SIZE + 4;
constexpr int BAND_HEIGHT = 240;

} // namespace

ScriptConsole::sPictureKey ScriptConsole::PictureKey() const
{
    SDL_Surface* screen = SDL_GetVideoSurface();
    return sPictureKey{m_LogRevision,       m_State, g_Input.TypedText(), screen ? screen->w : 0, screen ? screen->h : 0,
                       g_Graphics.GetVideoModeSerial(), pfGetStyle()};
}

void ScriptConsole::DrawConsole()
{
    m_DrewFromPicture = false;
    if (!m_Active)
        return;
    sPictureKey key = PictureKey();
    bool shown = key == m_PictureKey && m_Picture.Draw(BAND_HEIGHT);
    // Content that changed in the last frame is likely to change in the next, and recording it
    // would cost more than drawing it; it earns a picture by staying the same for one frame.
    if (!shown && key == m_LastKey && m_Picture.Record([this] { DrawLines(); })) {
        pfGetPosition(&m_PenAfter[0], &m_PenAfter[1]);
        m_PictureKey = key;
        shown = m_Picture.Draw(BAND_HEIGHT);
    }
    m_DrewFromPicture = shown;
    if (shown)
        LeaveStateAsDrawn();
    else
        DrawLines();
    m_LastKey = std::move(key);
}

void ScriptConsole::DrawLines()
{
    cTextBatch batch;
    SDL_Surface* screen = SDL_GetVideoSurface();
    pfstyle style = pfGetStyle();
    // Glyphs that begin past the window's right edge leave no pixel, so a long line costs no more
    // than a full one; two glyphs more cover skew, weight and shadow near the edge.
    bool cut = screen && style.sine == 0 && style.cosine > 0;
    float visibleWidth = screen ? float(screen->w - 5 + 2 * TEXT_SIZE) : 0;
    auto draw = [&](const std::string& text, float y, float r, float g, float b) {
        size_t length = text.size();
        if (cut) {
            // Measured as drawn: each console string leaves the default font current.
            pfSetFont(&pfPSansMonoBold7);
            pfSetScale(float(TEXT_SIZE));
            length = pfFitString(text.c_str(), visibleWidth);
        }
        if (length == text.size())
            DrawConsoleFontString(text.c_str(), 5, y, TEXT_SIZE, r, g, b);
        else
            DrawConsoleFontString(text.substr(0, length).c_str(), 5, y, TEXT_SIZE, r, g, b);
    };

    // The newest line always sits just above the prompt, however few lines there are.
    float y = float(LINE_HEIGHT * (MAX_CONSOLE_LINES - int(m_Log.size())));
    for (const ConsoleLog& line : m_Log) {
        float green = line.m_Type == LOG_STDERR ? 0.8f : 1.0f;
        draw(line.m_Text, y, 1, green, green);
        y += LINE_HEIGHT;
    }
    draw((m_State ? ">>> " : "!>> ") + g_Input.TypedText() + "_", y, 0.6f, 1, 0.6f);
    // Drawn after the text: the first 2D drawing at a pixel wins, so the band stays behind it.
    DrawConsoleBackground();
}

// What drawing the lines directly leaves behind, for whoever draws after the console.
void ScriptConsole::LeaveStateAsDrawn()
{
    glEnable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glColor4f(0, 0, 0.3f, 1);
    pfSetFont(&pfPBaveuse);
    pfSetScale(float(TEXT_SIZE));
    pfSetPosition(m_PenAfter[0], m_PenAfter[1]);
    sglColor3f(0, 0, 0.8f);
}
