#include "model/cObjText.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>

#include <fast_float/fast_float.h>

bool cObjText::Read(const char* fileName)
{
    std::unique_ptr<std::FILE, decltype(&std::fclose)> file(std::fopen(fileName, "r"), std::fclose);
    if (!file)
        return false;
    m_Text.clear();
    m_Next = 0;
    if (std::fseek(file.get(), 0, SEEK_END) == 0) {
        const long size = std::ftell(file.get());
        if (size > 0)
            m_Text.reserve(size_t(size) + 1);
        std::rewind(file.get());
    }
    char chunk[1 << 16];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
        m_Text.insert(m_Text.end(), chunk, chunk + got);
    m_Text.push_back('\0');   // the end of the last line, with or without its newline
    return true;
}

bool cObjText::NextLine(const char*& line, const char*& end)
{
    const size_t last = m_Text.size() - 1;   // the terminating NUL
    if (m_Text.empty() || m_Next >= last)
        return false;
    char* begin = m_Text.data() + m_Next;
    char* newline = static_cast<char*>(std::memchr(begin, '\n', last - m_Next));
    char* lineEnd = newline ? newline : m_Text.data() + last;
    *lineEnd = '\0';
    m_Next = size_t(lineEnd - m_Text.data()) + 1;
    line = begin;
    // A NUL inside the line ends it for every reader that takes it as a C string.
    const char* nul = static_cast<const char*>(std::memchr(begin, '\0', size_t(lineEnd - begin)));
    end = nul ? nul : lineEnd;
    return true;
}

namespace {

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The common forms go through fast_float, which rounds exactly as strtof does. Anything it
// might read differently from scanf (a '+' sign, hexadecimal, inf and nan, an exponent without
// digits, which scanf swallows) goes to the C library itself.
const char* ScanFloat(const char* p, const char* end, float& value)
{
    while (p != end && IsScanSpace(*p))
        ++p;
    if (p == end)
        return nullptr;
    const char* digits = *p == '-' ? p + 1 : p;
    if (digits != end && (IsDigit(*digits) || (*digits == '.' && digits + 1 != end && IsDigit(digits[1])))) {
        const fast_float::from_chars_result result = fast_float::from_chars(p, end, value);
        if (result.ec == std::errc()) {
            const char next = result.ptr != end ? *result.ptr : '\0';
            if (next != 'e' && next != 'E' && next != 'x' && next != 'X')
                return result.ptr;
        }
    }
    int consumed = 0;
    if (std::sscanf(p, "%f%n", &value, &consumed) != 1)
        return nullptr;
    return p + consumed;
}

} // namespace

bool ScanFloats(const char* text, const char* end, float* values, int count)
{
    for (int i = 0; i < count; ++i) {
        text = ScanFloat(text, end, values[i]);
        if (!text)
            return false;
    }
    return true;
}

int AtoiSpan(const char* p, const char* end)
{
    while (p != end && IsScanSpace(*p))
        ++p;
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    // atoi is strtol cast to int: saturated at the range of long, then cut to int.
    const unsigned long limit = negative ? 0UL - (unsigned long)LONG_MIN : (unsigned long)LONG_MAX;
    unsigned long magnitude = 0;
    bool saturated = false;
    for (; p != end && IsDigit(*p); ++p) {
        const unsigned digit = unsigned(*p - '0');
        if (saturated || magnitude > (limit - digit) / 10) {
            saturated = true;
            continue;
        }
        magnitude = magnitude * 10 + digit;
    }
    if (saturated)
        magnitude = limit;
    const unsigned long bits = negative ? 0UL - magnitude : magnitude;
    return int(static_cast<unsigned int>(bits));
}
