#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One line of the roll, with the size and colour in force where the file had it.
struct CreditsString
{
    std::string m_Text;
    uint8_t m_Red = 255, m_Green = 255, m_Blue = 255;
    int m_Size = 12;
    int m_X = 0;   // lines are drawn from the left edge
    int m_Y = 0;   // pixels from the top of the roll
};

// The credits roll: lines of a text file with size and colour commands, scrolled up the screen at
// a speed measured on the millisecond clock. A line enters at the bottom edge and leaves when it
// is wholly above the top; the roll stops once its last line has passed the middle of the screen
// and stays drawn there.
//
// File format, line by line: "<s N>" sets the text size of the following lines (1 to MAX_SIZE),
// "<c R G B>" their colour (0-255 each); a line starting with "<" and another letter is ignored.
// Every other line, an empty one too, is a line of the roll. A malformed command ends the
// reading there, keeping the lines before it.
class cCredits
{
public:
    static constexpr int MAX_SIZE = 1000;
    static constexpr long long MAX_FILE_BYTES = 1 << 20;   // credits are a few kilobytes

    cCredits();

    bool LoadFile(const char* path);   // false, and nothing changed, when the file cannot be opened
    void StartCredits(int screenHeight);
    // Advances by speed x 4000 pixels a second (0.005: 20 pixels a second) and draws the visible
    // lines; true once the roll has finished.
    bool Update(float speed);

    const std::vector<CreditsString>& GetLines() const;
    float GetScroll() const;   // pixels the roll has moved up since StartCredits
    bool IsFinished() const;

private:
    int m_ScreenHeight = 0;
    float m_Scroll = 0;
    float m_Speed = 4000.0f;
    std::vector<CreditsString> m_Lines;   // in file order, so their m_Y never decreases
    bool m_Loaded = false;
    bool m_Finished = false;
    float m_LastTicks = 0;
};

extern cCredits g_PyCredits;
