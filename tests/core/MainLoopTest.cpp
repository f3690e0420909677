#include "support/EngineFixture.h"

#include <SDL/SDL.h>

#include "core/MainLoop.h"
#include "input/InputManager.h"

namespace {

// Holds `first` for a frame, then presses `second`: what the quit chord sees on the frame the
// second key goes down. (The snapshot is taken at the start of the input update, before SDL
// writes the new key states.)
bool ChordAfter(int first, int second)
{
    HoldKey(first);
    g_Input.Update();
    HoldKey(second);
    bool quits = QuitChordPressed();
    ReleaseKey(first);
    ReleaseKey(second);
    g_Input.Update();
    g_Input.Update();
    return quits;
}

} // namespace

TEST_F(EngineTest, QuitChordsNeedTheirKeysInOrderAndOnTheRightSide)
{
    // Real X key events for these live in the end-to-end tests; here each side of each chord.
    struct sCase { int first, second; bool quits; };
    const sCase cases[] = {
        {SDLK_LALT, SDLK_F4, true},   {SDLK_RALT, SDLK_F4, true},    {SDLK_F4, SDLK_LALT, false},
        {SDLK_LMETA, SDLK_q, true},   {SDLK_RMETA, SDLK_q, false},   {SDLK_q, SDLK_LMETA, false},
        {SDLK_LCTRL, SDLK_F4, false}, {SDLK_LSUPER, SDLK_q, false},
    };
    for (const sCase& c : cases)
        EXPECT_EQ(ChordAfter(c.first, c.second), c.quits) << c.first << " then " << c.second;
}

TEST_F(EngineTest, DrainingEventsReportsAQuitRequestAndEmptiesTheQueue)
{
    EXPECT_FALSE(DrainEvents());
    SDL_Event event{};
    for (Uint8 type : {SDL_USEREVENT, SDL_QUIT, SDL_USEREVENT}) {
        event.type = type;
        SDL_PushEvent(&event);
    }
    EXPECT_TRUE(DrainEvents());
    EXPECT_EQ(SDL_PollEvent(&event), 0);
}
