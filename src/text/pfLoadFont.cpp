#include "text/pf.h"

#include "core/RegularFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <new>
#include <sstream>
#include <string>
#include <vector>

// The polygon font text format: section marker lines ("/*fontname", "/*glyphinfo", ...) each
// followed by values in a fixed layout, with one comment line before most values. Lines between
// sections are ignored. Everything a drawing call will later index is checked here, so a font
// that loads can be drawn safely.

namespace {

constexpr size_t MAX_NAME_LENGTH = 1023;   // a name of 1024 characters or more is refused
constexpr long MAX_GLYPHS = 65536;        // one per 16-bit code at most

struct sGlyphData
{
    pfglyph info{};
    bool described = false;                   // a glyphinfo section was read
    std::vector<int16_t> segments;
    int segmentCount = 0;                     // segments actually present in the data
};

// Reads the text the way the format's C scanf layouts describe it: numbers skip leading white
// space, a line feed in a layout skips any white space, and a comment line is read and dropped.
class cFontReader
{
public:
    explicit cFontReader(std::string text) : m_Text(std::move(text)) {}

    bool AtEnd() const { return m_Pos >= m_Text.size(); }

    // The next line without its line end; false at the end of the text.
    bool ReadLine(std::string& line)
    {
        if (AtEnd())
            return false;
        size_t end = m_Text.find('\n', m_Pos);
        size_t next = end == std::string::npos ? m_Text.size() : end + 1;
        if (end == std::string::npos)
            end = m_Text.size();
        if (end > m_Pos && m_Text[end - 1] == '\r')
            --end;
        line.assign(m_Text, m_Pos, end - m_Pos);
        m_Pos = next;
        return true;
    }

    void SkipLine()
    {
        std::string ignored;
        ReadLine(ignored);
    }

    void SkipSpace()
    {
        while (m_Pos < m_Text.size() && std::isspace(static_cast<unsigned char>(m_Text[m_Pos])))
            ++m_Pos;
    }

    void Float(float& value)
    {
        SkipSpace();
        const char* start = m_Text.c_str() + m_Pos;
        char* end = nullptr;
        value = std::strtof(start, &end);
        if (end == start || !std::isfinite(value))
            throw Error("a number");
        m_Pos += size_t(end - start);
    }

    long Integer(long low, long high, const char* what)
    {
        SkipSpace();
        const char* start = m_Text.c_str() + m_Pos;
        char* end = nullptr;
        errno = 0;
        long value = std::strtol(start, &end, 10);
        if (end == start)
            throw Error(what);
        m_Pos += size_t(end - start);
        if (errno == ERANGE || value < low || value > high)
            throw Error(std::string(what) + " within " + std::to_string(low) + " to " + std::to_string(high));
        return value;
    }

    void Comma()
    {
        SkipSpace();
        if (m_Pos >= m_Text.size() || m_Text[m_Pos] != ',')
            throw Error("','");
        ++m_Pos;
    }

    std::string Word()
    {
        SkipSpace();
        size_t start = m_Pos;
        while (m_Pos < m_Text.size() && !std::isspace(static_cast<unsigned char>(m_Text[m_Pos])))
            ++m_Pos;
        if (start == m_Pos)
            throw Error("a primitive name");
        return m_Text.substr(start, m_Pos - start);
    }

    // "line 12: expected a number", for the message of a refused file.
    std::string Error(const std::string& expected) const
    {
        size_t line = 1;
        for (size_t i = 0; i < m_Pos && i < m_Text.size(); ++i)
            line += m_Text[i] == '\n';
        return "line " + std::to_string(line) + ": expected " + expected;
    }

private:
    std::string m_Text;
    size_t m_Pos = 0;
};

struct sParsedFont
{
    bool hasName = false, hasCount = false, hasInfo = false;
    std::string name;
    std::vector<sGlyphData> glyphs;
    float minx = 0, miny = 0, maxx = 0, maxy = 0;
    long numglyphs = 0;
};

sGlyphData& GlyphAt(sParsedFont& font, cFontReader& in, long index)
{
    if (!font.hasCount)
        throw std::string("glyph section before the glyph count");
    if (index < 0 || index >= long(font.glyphs.size()))
        throw in.Error("a glyph index within 0 to " + std::to_string(long(font.glyphs.size()) - 1)) + ", got "
            + std::to_string(index);
    return font.glyphs[size_t(index)];
}

void ReadGlyphData(sParsedFont& font, cFontReader& in, long dataLimit)
{
    long index = in.Integer(-2147483647L, 2147483647L, "a glyph index");
    in.Comma();
    long length = in.Integer(0, dataLimit, "a segment data length");
    sGlyphData& glyph = GlyphAt(font, in, index);
    std::vector<int16_t> data;
    data.reserve(size_t(length));
    int segments = 0;
    while (long(data.size()) < length) {
        std::string line;
        do {
            if (!in.ReadLine(line))
                throw std::string("glyph " + std::to_string(index) + ": segment data ends after "
                                  + std::to_string(data.size()) + " of " + std::to_string(length) + " values");
        } while (line != "/*segment");
        in.Integer(-2147483647L, 2147483647L, "a segment number");
        in.SkipSpace();
        in.SkipLine();
        int primitive = lookupGlOp(in.Word().c_str());
        in.SkipSpace();
        in.SkipLine();
        long room = (length - long(data.size()) - 2) / 2;
        if (room < 0)
            throw in.Error("no more than " + std::to_string(length) + " values of segment data");
        long count = in.Integer(0, room, "a point count that fits the segment data length");
        data.push_back(int16_t(primitive));
        data.push_back(int16_t(count));
        for (long i = 0; i < count; ++i) {
            in.SkipSpace();
            in.SkipLine();
            data.push_back(int16_t(in.Integer(-32768, 32767, "a point coordinate")));
            in.Comma();
            data.push_back(int16_t(in.Integer(-32768, 32767, "a point coordinate")));
        }
        ++segments;
    }
    glyph.segments = std::move(data);
    glyph.segmentCount = segments;
}

sParsedFont Parse(cFontReader& in, long dataLimit)
{
    sParsedFont font;
    std::string line;
    while (in.ReadLine(line)) {
        if (line == "/*PolyFontVersion") {
            float version;
            in.Float(version);
        } else if (line == "/*fontname") {
            if (!in.ReadLine(font.name))
                throw std::string("the font name is missing");
            if (font.name.size() > MAX_NAME_LENGTH)
                throw std::string("the font name is longer than 1023 characters");
            font.hasName = true;
            continue;   // the name line is not followed by a layout that skips white space
        } else if (line == "/*glyphcount") {
            long count = in.Integer(0, MAX_GLYPHS, "a glyph count");
            font.glyphs.assign(size_t(count), sGlyphData{});
            font.hasCount = true;
        } else if (line == "/*fontinfo") {
            in.SkipSpace();
            in.SkipLine();
            in.Float(font.minx), in.Comma(), in.Float(font.miny), in.Comma();
            in.Float(font.maxx), in.Comma(), in.Float(font.maxy), in.Comma();
            font.numglyphs = in.Integer(0, MAX_GLYPHS, "a glyph count");
            font.hasInfo = true;
        } else if (line == "/*glyphinfo") {
            long index = in.Integer(-2147483647L, 2147483647L, "a glyph index");
            sGlyphData& glyph = GlyphAt(font, in, index);
            in.SkipSpace();
            in.SkipLine();
            pfglyph& g = glyph.info;
            in.Float(g.minx), in.Comma(), in.Float(g.miny), in.Comma(), in.Float(g.maxx), in.Comma();
            in.Float(g.maxy), in.Comma(), in.Float(g.advance), in.Comma();
            g.glyph = uint16_t(in.Integer(0, 65535, "a character code"));
            in.Comma();
            g.numsegments = uint16_t(in.Integer(0, 65535, "a segment count"));
            glyph.described = true;
        } else if (line == "/*glyphdata") {
            ReadGlyphData(font, in, dataLimit);
        } else {
            continue;
        }
        in.SkipSpace();   // the layouts end in a line feed, which skips any white space
    }
    return font;
}

void Check(const sParsedFont& font)
{
    if (!font.hasInfo)
        throw std::string("no fontinfo section");
    if (!font.hasName)
        throw std::string("no font name before the end of the file");
    if (font.numglyphs > long(font.glyphs.size()))
        throw std::string("fontinfo names " + std::to_string(font.numglyphs) + " glyphs, the glyph count is "
                          + std::to_string(font.glyphs.size()));
    for (long i = 0; i < font.numglyphs; ++i) {
        const sGlyphData& glyph = font.glyphs[size_t(i)];
        if (glyph.info.numsegments > glyph.segmentCount)
            throw std::string("glyph " + std::to_string(i) + " declares " + std::to_string(glyph.info.numsegments)
                              + " segments, its data holds " + std::to_string(glyph.segmentCount));
        // Lookup is a bisection search: the codes must rise strictly.
        if (i > 0 && glyph.info.glyph <= font.glyphs[size_t(i - 1)].info.glyph)
            throw std::string("glyph " + std::to_string(i) + " (code " + std::to_string(glyph.info.glyph)
                              + ") is not sorted after code " + std::to_string(font.glyphs[size_t(i - 1)].info.glyph));
    }
}

pffont* Build(const sParsedFont& parsed)
{
    size_t count = size_t(parsed.numglyphs);
    auto name = std::make_unique<char[]>(parsed.name.size() + 1);
    parsed.name.copy(name.get(), parsed.name.size());
    auto glyphs = std::make_unique<pfglyph[]>(count);
    std::vector<std::unique_ptr<int16_t[]>> segments(count);
    for (size_t i = 0; i < count; ++i) {
        const sGlyphData& source = parsed.glyphs[i];
        segments[i] = std::make_unique<int16_t[]>(source.segments.size());
        std::copy(source.segments.begin(), source.segments.end(), segments[i].get());
        glyphs[i] = source.info;
    }
    auto font = std::make_unique<pffont>();

    // Nothing below can fail: the font takes over every allocation.
    for (size_t i = 0; i < count; ++i)
        glyphs[i].segments = segments[i].release();
    font->name = name.release();
    font->loaded = 1;
    font->minx = parsed.minx;
    font->miny = parsed.miny;
    font->maxx = parsed.maxx;
    font->maxy = parsed.maxy;
    font->numglyphs = int32_t(count);
    font->glyphs = glyphs.release();
    return font.release();
}

} // namespace

pffont* pfLoadFont(const char* fileName)
{
    if (!fileName)
        return nullptr;
    // A font file is a few hundred kilobytes; 64 MB is far above any real one.
    FilePtr file = OpenRegularFile(fileName, 64LL << 20);
    if (!file) {
        std::printf("pfLoadFont: cannot open \"%s\"\n", fileName);
        return nullptr;
    }
    try {
        std::string content;
        char buffer[65536];
        while (size_t got = std::fread(buffer, 1, sizeof buffer, file.get()))
            content.append(buffer, got);
        // Every stored value takes at least two characters of text.
        long dataLimit = long(content.size() / 2);
        cFontReader reader(std::move(content));
        sParsedFont parsed = Parse(reader, dataLimit);
        Check(parsed);
        return Build(parsed);
    } catch (const std::string& message) {
        std::printf("pfLoadFont: \"%s\": %s\n", fileName, message.c_str());
    } catch (const std::bad_alloc&) {
        std::printf("pfLoadFont: \"%s\": out of memory\n", fileName);
    }
    return nullptr;
}
