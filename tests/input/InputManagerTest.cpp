#include <initializer_list>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "core/MainLoop.h"
#include "input/InputFixture.h"

TEST_F(InputTest, KeyTriggersInTheFirstFrameOnlyAndReadsDownWhileHeld)
{
    HoldKey(SDLK_a);   // arrives in the frame's pump
    EXPECT_TRUE(g_Input.IsKeyTriggered(SDLK_a) && g_Input.IsKeyDown(SDLK_a));
    JoystickFrame();
    EXPECT_TRUE(!g_Input.IsKeyTriggered(SDLK_a) && g_Input.IsKeyDown(SDLK_a));
    // Ids outside every range, some beyond SDL's key array, read as up.
    for (uint32_t id : {323u, 419u, 451u, 999u, 1009u, 5000u, 0xFFFFFFFFu})
        EXPECT_FALSE(g_Input.IsKeyDown(id) || g_Input.IsKeyTriggered(id)) << id;
    ReleaseKey(SDLK_a);
    EXPECT_FALSE(g_Input.IsKeyDown(SDLK_a) || g_Input.IsKeyTriggered(SDLK_a));
    JoystickFrame();
    HoldKey(SDLK_a);
    EXPECT_TRUE(g_Input.IsKeyTriggered(SDLK_a)) << "pressed again";
    g_Input.Cleanup();   // SDL is quit next: nothing may read its array through the manager
    EXPECT_FALSE(g_Input.IsKeyDown(SDLK_a) || g_Input.IsKeyTriggered(SDLK_a));
    g_Input.Update();
    EXPECT_FALSE(g_Input.IsKeyDown(SDLK_a));
}

std::vector<int> KeyRange(int first, int last)
{
    std::vector<int> keys(size_t(last - first + 1));
    std::iota(keys.begin(), keys.end(), first);
    return keys;
}

// Keys pressed together in one frame, scanned in id order.
TEST_F(InputTest, TypesWhatAUsKeyboardWouldAndShiftedSymbolKeysReadUpUntilPressedAgain)
{
    std::vector<std::pair<std::vector<int>, std::string>> cases = {
        {{SDLK_a}, "a"}, {{SDLK_LSHIFT, SDLK_a}, "A"}, {{SDLK_RSHIFT, SDLK_z}, "Z"},
        {{SDLK_LSHIFT, SDLK_3, SDLK_a}, "#a"},   // the symbol uses the shift up
        {{SDLK_SPACE}, " "}, {{SDLK_c, SDLK_b, SDLK_a}, "abc"},
        {KeyRange('!', '@'), "!\"#$%&'()*+,-./0123456789:;<=>?@"}, {KeyRange('[', '`'), "[\\]^_`"},
        {KeyRange(SDLK_KP0, SDLK_KP_EQUALS), "0123456789./*-+="}, {{SDLK_LSHIFT, SDLK_KP7}, "7"},
        {{SDLK_KP_ENTER}, ""}, {{SDLK_LSHIFT, SDLK_HASH}, ""}, {{SDLK_SPACE, SDLK_BACKSPACE}, ""},
        {{SDLK_BACKSPACE}, ""},
    };
    const std::string symbols = "',-./0123456789;=[\\]`", shifted = "\"<_>?)!@#$%^&*(:+{|}~";
    for (size_t i = 0; i < symbols.size(); ++i)
        cases.push_back({{SDLK_LSHIFT, symbols[i]}, std::string(1, shifted[i])});
    for (const auto& [keys, typed] : cases) {
        g_Input.SetTypedText("");
        TypingFrame(keys);
        EXPECT_EQ(g_Input.TypedText(), typed) << "expected " << typed;
        TypingFrame({}, keys);
    }

    // A shifted symbol's key reads as up until it is pressed again; one without a shifted
    // character stays down.
    g_Input.SetTypedText("");
    TypingFrame({SDLK_LSHIFT, SDLK_EXCLAIM, SDLK_SLASH});
    EXPECT_EQ(g_Input.TypedText(), "?");
    EXPECT_TRUE(g_Input.IsKeyDown(SDLK_EXCLAIM) && !g_Input.IsKeyDown(SDLK_SLASH));
    TypingFrame({SDLK_SLASH}, {SDLK_LSHIFT});
    EXPECT_EQ(g_Input.TypedText(), "?/");
    EXPECT_TRUE(g_Input.IsKeyDown(SDLK_SLASH));
}

TEST_F(InputTest, HeldBackspaceErasesAtThePressThen250FramesLaterThenEvery20)
{
    g_Input.SetTypedText("abcdefgh");
    std::vector<int> erasingFrames;
    for (int frame = 0; frame < 300; ++frame) {
        size_t before = g_Input.TypedText().size();
        TypingFrame({SDLK_BACKSPACE});
        if (g_Input.TypedText().size() != before)
            erasingFrames.push_back(frame);
    }
    EXPECT_EQ(erasingFrames, (std::vector<int>{0, 250, 270, 290}));
    EXPECT_EQ(g_Input.TypedText(), "abcd");
}

namespace {

// Keys pressed and released between two frames, as a fast typist's keys on a slow frame: their
// events wait in SDL's queue while the key-state array is back to up.
void Tap(std::initializer_list<std::pair<SDLKey, bool>> keys)
{
    for (auto [key, shift] : keys)
        for (Uint8 state : {SDL_PRESSED, SDL_RELEASED}) {
            SDL_Event event{};
            event.key = {Uint8(state ? SDL_KEYDOWN : SDL_KEYUP), 0, state, {0, key, shift ? KMOD_LSHIFT : KMOD_NONE, 0}};
            ASSERT_EQ(SDL_PushEvent(&event), 0) << SDL_GetError();
        }
}

} // namespace

TEST_F(InputTest, KeysTappedBetweenTwoFramesTriggerOnceAndTypeInOrderWithTheirShift)
{
    g_Input.SetTypedText("");
    g_Input.StartTyping();
    Tap({{SDLK_x, false}, {SDLK_SPACE, false}, {SDLK_EQUALS, false}, {SDLK_SPACE, false}, {SDLK_6, false},
         {SDLK_7, false}, {SDLK_7, false}, {SDLK_MINUS, false}, {SDLK_2, false}, {SDLK_1, true}, {SDLK_a, true},
         {SDLK_SLASH, true}, {SDLK_3, false}, {SDLK_HASH, true}, {SDLK_b, false}, {SDLK_BACKSPACE, false}});
    g_Input.Update();
    EXPECT_EQ(g_Input.TypedText(), "x = 677-2!A?3");
    EXPECT_TRUE(g_Input.IsKeyTriggered(SDLK_x) && g_Input.IsKeyDown(SDLK_x));
    // Typed as a shifted symbol, the key reads as up, as one held down would.
    EXPECT_FALSE(g_Input.IsKeyTriggered(SDLK_SLASH) || g_Input.IsKeyDown(SDLK_SLASH));
    g_Input.Update();
    EXPECT_FALSE(g_Input.IsKeyTriggered(SDLK_x) || g_Input.IsKeyDown(SDLK_x));
    EXPECT_EQ(g_Input.TypedText(), "x = 677-2!A?3");

    // A quick Alt+F4, and a tap that the main loop's drain takes from the queue.
    g_Input.StopTyping();
    Tap({{SDLK_LALT, false}, {SDLK_F4, false}});
    JoystickFrame();
    EXPECT_TRUE(QuitChordPressed());
    Tap({{SDLK_q, false}});
    EXPECT_FALSE(DrainEvents());
    EXPECT_FALSE(g_Input.IsKeyTriggered(SDLK_q));
    JoystickFrame();
    EXPECT_TRUE(g_Input.IsKeyTriggered(SDLK_q));
    JoystickFrame();
    EXPECT_FALSE(g_Input.IsKeyTriggered(SDLK_q) || QuitChordPressed());

    // A key that the drain sees go down and that stays down triggers in the next frame through
    // the live array, and not again after the snapshot. The quit chords, tested after it, go by
    // the modifiers its event carries: F4 pressed before Alt does not quit.
    HoldKey(SDLK_LALT);
    for (SDLMod held : {KMOD_LALT, KMOD_NONE}) {
        SDL_Event down{};
        down.key = {SDL_KEYDOWN, 0, SDL_PRESSED, {0, SDLK_F4, held, 0}};
        ASSERT_EQ(SDL_PushEvent(&down), 0) << SDL_GetError();
        HoldKey(SDLK_F4);
        EXPECT_FALSE(DrainEvents());
        EXPECT_TRUE(g_Input.IsKeyTriggered(SDLK_F4));
        JoystickFrame();
        EXPECT_TRUE(!g_Input.IsKeyTriggered(SDLK_F4) && g_Input.IsKeyDown(SDLK_F4));
        EXPECT_EQ(QuitChordPressed(), held == KMOD_LALT);
        ReleaseKey(SDLK_F4);
        JoystickFrame();
    }
}
