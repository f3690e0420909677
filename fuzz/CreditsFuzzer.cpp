// Feeds arbitrary bytes to the credits reader as a credits file, checks that the roll it builds
// keeps its layout rules, and scrolls the roll through its whole height, drawing each frame into
// a software video surface.
#include <SDL/SDL.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "FuzzScratch.h"
#include "menu/cCredits.h"

namespace {

void Check(bool condition, const char* what, size_t line)
{
    if (!condition) {
        std::fprintf(stderr, "credits line %zu: %s\n", line, what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    cFuzzScratch::Init(argc, argv, "fuzz-credits");
    // The reader's one-line warnings would fill the log; libFuzzer reports on standard error.
    if (!std::freopen("/dev/null", "w", stdout))
        std::abort();
    // A plain software surface: the text is rasterised for real, the GL calls go nowhere.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0 || !SDL_SetVideoMode(320, 240, 32, SDL_SWSURFACE))
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    cFuzzScratch::Write("Credits.txt", data, size);
    cCredits credits;
    if (!credits.LoadFile(cFuzzScratch::Path("Credits.txt").c_str()))
        std::abort();   // a regular file far below the size limit is always read
    const auto& lines = credits.GetLines();
    int y = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const CreditsString& line = lines[i];
        Check(line.m_Size >= 1 && line.m_Size <= cCredits::MAX_SIZE, "size out of range", i);
        Check(line.m_Y == y, "y is not the sum of the advances before it", i);
        Check(line.m_X == 0, "x is not 0", i);
        Check(line.m_Text.find('\n') == std::string::npos, "text holds a line end", i);
        y += line.m_Size + int(std::ceil(float(line.m_Size) / 6.0f));
    }

    // Over the whole roll in about eight steps of at least a millisecond each.
    const float height = 240;
    const float span = (lines.empty() ? 0.0f : float(lines.back().m_Y)) + height * 2;
    credits.StartCredits(int(height));
    bool finished = false;
    for (int step = 0; step < 10 && !finished; ++step)
        finished = credits.Update(span / 8 / 4);
    if (lines.empty() && finished)
        std::abort();
    return 0;
}
