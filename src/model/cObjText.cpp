#include "model/cObjText.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>
#include <sys/stat.h>

#include <fast_float/fast_float.h>

#include "core/RegularFile.h"

bool cObjText::Read(const char* fileName)
{
    FilePtr file = OpenRegularFile(fileName, MAX_MODEL_BYTES);
    if (!file)
        return false;
    struct stat info;
    size_t capacity = 65536;
    if (fstat(fileno(file.get()), &info) == 0 && info.st_size > 0)
        capacity = size_t(info.st_size) + 4096;
    // Straight into the buffer when the size is known, in pieces otherwise (a file that grows
    // meanwhile, or one of the kernel's that reports no size). The buffer is not cleared first:
    // every byte used is read.
    m_pText.reset(new char[capacity]);
    m_Size = 0;
    m_Next = 0;
    for (;;) {
        if (capacity - m_Size < 2) {
            if (m_Size > size_t(MAX_MODEL_BYTES))
                return false;
            std::unique_ptr<char[]> pLarger(new char[capacity * 2]);
            std::memcpy(pLarger.get(), m_pText.get(), m_Size);
            m_pText = std::move(pLarger);
            capacity *= 2;
        }
        const size_t got = std::fread(m_pText.get() + m_Size, 1, capacity - 1 - m_Size, file.get());
        if (got == 0)
            break;
        m_Size += got;
    }
    // Files without NUL bytes, nearly all of them, need no search for one in every line.
    m_HasNul = std::memchr(m_pText.get(), '\0', m_Size) != nullptr;
    m_pText[m_Size] = '\0';   // the end of the last line, with or without its newline
    return true;
}

bool cObjText::NextLine(const char*& line, const char*& end)
{
    if (m_Next >= m_Size)
        return false;
    char* text = m_pText.get();
    char* begin = text + m_Next;
    char* newline = static_cast<char*>(std::memchr(begin, '\n', m_Size - m_Next));
    char* lineEnd = newline ? newline : text + m_Size;
    *lineEnd = '\0';
    m_Next = size_t(lineEnd - text) + 1;
    line = begin;
    end = lineEnd;
    // A NUL inside the line ends it for every reader that takes it as a C string.
    if (m_HasNul)
        if (const void* nul = std::memchr(begin, '\0', size_t(lineEnd - begin)))
            end = static_cast<const char*>(nul);
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
    const char* digits = p;
    unsigned long magnitude = 0;
    while (p != end && IsDigit(*p) && p - digits < 18)   // 18 digits cannot overflow
        magnitude = magnitude * 10 + unsigned(*p++ - '0');
    if (p != end && IsDigit(*p)) {
        // atoi is strtol cast to int: saturated at the range of long, then cut to int.
        const unsigned long limit =
            negative ? 0UL - (unsigned long)LONG_MIN : (unsigned long)LONG_MAX;
        for (; p != end && IsDigit(*p); ++p) {
            const unsigned digit = unsigned(*p - '0');
            magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
        }
    }
    const unsigned long bits = negative ? 0UL - magnitude : magnitude;
    return int(static_cast<unsigned int>(bits));
}
