// Feeds arbitrary bytes to the polygon font loader as a font file. A font that loads must be
// drawable: every glyph of it is drawn onto a small software surface and measured, which reads
// everything the loader promised to have checked.
#include <SDL/SDL.h>
#include <cstdint>
#include <string>

#include "FuzzScratch.h"
#include "text/pf.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    cFuzzScratch::Init(argc, argv, "fuzz-font");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    cFuzzScratch::Write("font.txt", data, size);
    pffont* font = pfLoadFont(cFuzzScratch::Path("font.txt").c_str());
    if (!font)
        return 0;
    SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, 48, 48, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000);
    pfSetFont(font);
    pfSetScale(24);
    for (int i = 0; i < pfGetFontNumGlyphs(); ++i) {
        const char16_t code = char16_t(pfGetChar(i));
        float minx, miny, maxx, maxy;
        pfGetCharBBox(code, &minx, &miny, &maxx, &maxy);
        pfGetCharAdvance(code);
        pfSetPosition(8, 32);
        pfDrawChar(surface, code);
    }
    pfUnloadFont(font);
    SDL_FreeSurface(surface);
    return 0;
}
