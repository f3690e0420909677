#pragma once
#include <cstddef>
#include <memory>

// Far above any real model or material file.
constexpr long long MAX_MODEL_BYTES = 256LL << 20;

// A text file read whole and cut into lines in place, so that a line of any length is one line
// and nothing is allocated per line. Each line ends at its newline (removed) or at the first NUL
// byte in it, as a C string read from the same line would.
class cObjText
{
public:
    // False when it is no regular file that can be opened, or when it holds more than
    // MAX_MODEL_BYTES (a file that keeps growing stops there).
    bool Read(const char* fileName);
    bool NextLine(const char*& line, const char*& end);   // *end is always '\0'

private:
    std::unique_ptr<char[]> m_pText;   // m_Size bytes of the file and a terminating NUL
    size_t m_Size = 0;
    size_t m_Next = 0;
    bool m_HasNul = false;
};

// White space as the C library's scanf and atoi skip it.
inline bool IsScanSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads `count` numbers from `text` as sscanf's "%f" reads them one after another, white space
// first; true when all of them were read. The line must end in '\0' at `end`.
bool ScanFloats(const char* text, const char* end, float* values, int count);

// atoi of the characters from begin to end: white space, a sign and decimal digits; out-of-range
// values come out as the C library's atoi gives them.
int AtoiSpan(const char* begin, const char* end);
