#include <numeric>
#include <string>
#include <vector>

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
TEST_F(InputTest, TypesWhatAUsKeyboardWould)
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
        g_Input.m_TypedText.clear();
        TypingFrame(keys);
        EXPECT_EQ(g_Input.m_TypedText, typed) << "expected " << typed;
        TypingFrame({}, keys);
    }
}

TEST_F(InputTest, ShiftedSymbolKeyReadsUpUntilPressedAgainOneWithoutShiftedCharacterStaysDown)
{
    TypingFrame({SDLK_LSHIFT, SDLK_EXCLAIM, SDLK_SLASH});
    EXPECT_EQ(g_Input.m_TypedText, "?");
    EXPECT_TRUE(g_Input.IsKeyDown(SDLK_EXCLAIM) && !g_Input.IsKeyDown(SDLK_SLASH));
    TypingFrame();
    EXPECT_FALSE(g_Input.IsKeyDown(SDLK_SLASH));
    TypingFrame({SDLK_SLASH}, {SDLK_LSHIFT});
    EXPECT_EQ(g_Input.m_TypedText, "?/");
    EXPECT_TRUE(g_Input.IsKeyDown(SDLK_SLASH));
}

TEST_F(InputTest, HeldBackspaceErasesAtThePressThen250FramesLaterThenEvery20)
{
    g_Input.m_TypedText = "abcdefgh";
    std::vector<int> erasingFrames;
    for (int frame = 0; frame < 300; ++frame) {
        size_t before = g_Input.m_TypedText.size();
        TypingFrame({SDLK_BACKSPACE});
        if (g_Input.m_TypedText.size() != before)
            erasingFrames.push_back(frame);
    }
    EXPECT_EQ(erasingFrames, (std::vector<int>{0, 250, 270, 290}));
    EXPECT_EQ(g_Input.m_TypedText, "abcd");
}
