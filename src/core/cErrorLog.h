#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// The script errors and engine warnings shown in the console, also kept on disk so that a player
// can send them after the window has closed. The file is "brackwater.log" in the game directory
// (the working directory), or in the user's state directory ($XDG_STATE_HOME/brackwater, else
// ~/.local/state/brackwater) where the game directory cannot be written. Every line starts with
// the local time it was written. The file is opened for each entry, so nothing waits in a buffer
// when the engine dies.
class cErrorLog
{
public:
    static constexpr const char* FILE_NAME = "brackwater.log";
    static constexpr size_t MAX_BYTES = 256 * 1024;   // then the older half is dropped

    void Append(std::string_view text);   // a piece of a line or several lines
    const std::string& LastPath() const { return m_LastPath; }   // empty until the first entry

private:
    bool m_AtLineStart = true;
    std::string m_LastPath;
};
