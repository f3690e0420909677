#include "menu/cCredits.h"

#include <SDL/SDL.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "core/RegularFile.h"
#include "text/FontDraw.h"
#include "text/cTextBatch.h"

cCredits g_PyCredits;

namespace {

// A whole line, however long, without its line end; false at the end of the file. NUL bytes are
// kept (they only shorten the drawn text), which fgets could not tell from the line's end.
bool ReadLine(std::FILE* file, std::string& line)
{
    line.clear();
    int c = std::getc(file);
    if (c == EOF)
        return false;
    while (c != EOF && c != '\n') {
        line.push_back(char(c));
        c = std::getc(file);
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

// The next whitespace-separated decimal integer of a command line, within [low, high].
bool ReadArgument(const char*& cursor, long low, long high, long& value)
{
    char* end = nullptr;
    errno = 0;
    value = std::strtol(cursor, &end, 10);
    if (end == cursor || errno == ERANGE || value < low || value > high)
        return false;
    cursor = end;
    return true;
}

} // namespace

cCredits::cCredits() : m_LastTicks(float(SDL_GetTicks())) {}

bool cCredits::LoadFile(const char* path)
{
    if (!path)
        return false;
    FilePtr file = OpenRegularFile(path, MAX_FILE_BYTES);
    if (!file) {
        std::printf("cCredits: *warning* cannot read \"%s\": %s\n", path, std::strerror(errno));
        return false;
    }

    m_Lines.clear();
    int size = 12;
    uint8_t red = 255, green = 255, blue = 255;
    int y = 0;
    std::string line;
    for (int lineNumber = 1; ReadLine(file.get(), line); ++lineNumber) {
        if (line.empty() || line[0] != '<') {
            m_Lines.push_back({line, red, green, blue, size, 0, y});
            // The single-precision quotient is part of the layout: size 12 advances 14, 30 advances 35.
            y += size + int(std::ceil(float(size) / 6.0f));
            continue;
        }
        const char letter = line.size() > 1 ? line[1] : '\0';
        const char* cursor = line.c_str() + std::min<size_t>(line.size(), 2);
        bool wellFormed = true;
        long values[3] = {0, 0, 0};
        if (letter == 's') {
            wellFormed = ReadArgument(cursor, 1, MAX_SIZE, values[0]);
            if (wellFormed)
                size = int(values[0]);
        } else if (letter == 'c') {
            for (long& value : values)
                wellFormed = wellFormed && ReadArgument(cursor, 0, 255, value);
            if (wellFormed) {
                red = uint8_t(values[0]);
                green = uint8_t(values[1]);
                blue = uint8_t(values[2]);
            }
        }
        if (!wellFormed) {
            std::printf("cCredits: *warning* \"%s\" line %d: malformed command, the rest is not read\n", path,
                        lineNumber);
            break;
        }
    }
    m_Loaded = true;
    return true;
}

void cCredits::StartCredits(int screenHeight)
{
    m_ScreenHeight = screenHeight;
    m_Scroll = 0;
    m_Finished = false;
    m_LastTicks = float(SDL_GetTicks());
}

bool cCredits::Update(float speed)
{
    const float now = float(SDL_GetTicks());
    float dt = now - m_LastTicks;
    m_LastTicks = now;
    if (!(dt > 0))
        dt = 1;
    if (!m_Finished)
        m_Scroll = m_Scroll + speed * m_Speed / (1000 / dt);

    // A line is visible while scroll - height - size < y < scroll. Sizes never exceed MAX_SIZE
    // and y never decreases down the file, so the lines before the first with y above
    // scroll - height - MAX_SIZE cannot show, and none after the first with y at or past scroll.
    const float height = float(m_ScreenHeight);
    const float lowest = m_Scroll - height - float(MAX_SIZE);
    auto line = std::partition_point(m_Lines.begin(), m_Lines.end(),
                                     [&](const CreditsString& l) { return !(float(l.m_Y) > lowest); });
    std::optional<cTextBatch> batch;   // entered with the first visible line
    for (; line != m_Lines.end() && float(line->m_Y) < m_Scroll; ++line) {
        if (!(m_Scroll - height - float(line->m_Size) < float(line->m_Y)))
            continue;
        if (!batch)
            batch.emplace();
        DrawFontString(line->m_Text.c_str(), float(line->m_X), height + float(line->m_Y) - m_Scroll, line->m_Size,
                       line->m_Red, line->m_Green, line->m_Blue);
    }

    if (!m_Lines.empty() && m_Scroll - float(m_ScreenHeight / 2) > float(m_Lines.back().m_Y))
        m_Finished = true;
    return m_Finished;
}

const std::vector<CreditsString>& cCredits::GetLines() const
{
    return m_Lines;
}

float cCredits::GetScroll() const
{
    return m_Scroll;
}

bool cCredits::IsFinished() const
{
    return m_Finished;
}
