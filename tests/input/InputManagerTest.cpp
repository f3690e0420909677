#include <ostream>
#include <string>
#include <vector>

#include "input/InputFixture.h"

namespace {

void PressAll(const std::vector<int>& keys)
{
    for (int key : keys)
        HoldKey(key);
}

void ReleaseAll(const std::vector<int>& keys)
{
    for (int key : keys)
        ReleaseKey(key);
}

} // namespace

TEST_F(InputTest, KeyTriggersInTheFirstFrameOnlyAndReadsDownWhileHeld)
{
    JoystickFrame();
    HoldKey(SDLK_a);   // arrives in the next pump
    EXPECT_TRUE(g_Input.IsKeyTriggered(SDLK_a));
    EXPECT_TRUE(g_Input.IsKeyDown(SDLK_a));
    for (int frame = 0; frame < 3; ++frame) {
        JoystickFrame();
        EXPECT_FALSE(g_Input.IsKeyTriggered(SDLK_a)) << "frame " << frame;
        EXPECT_TRUE(g_Input.IsKeyDown(SDLK_a)) << "frame " << frame;
    }
    ReleaseKey(SDLK_a);
    EXPECT_FALSE(g_Input.IsKeyDown(SDLK_a));
    EXPECT_FALSE(g_Input.IsKeyTriggered(SDLK_a));
    JoystickFrame();
    HoldKey(SDLK_a);
    EXPECT_TRUE(g_Input.IsKeyTriggered(SDLK_a)) << "pressed again";
}

TEST_F(InputTest, IdsOutsideEveryRangeAndBeyondTheKeyArrayReadAsUp)
{
    JoystickFrame();
    for (uint32_t id : {323u, 419u, 451u, 666u, 999u, 1009u, 5000u, 0xFFFFFFFFu}) {
        EXPECT_FALSE(g_Input.IsKeyDown(id)) << id;
        EXPECT_FALSE(g_Input.IsKeyTriggered(id)) << id;
    }
}

TEST_F(InputTest, LogicalButtonsFollowTheKeyTheyAreBoundTo)
{
    JoystickFrame();
    HoldKey(SDLK_RETURN);
    EXPECT_TRUE(g_Input.IsKeyDown(SC_BUTTON_ACTION));
    EXPECT_TRUE(g_Input.IsKeyTriggered(SC_BUTTON_ACTION));
    EXPECT_FALSE(g_Input.IsKeyDown(SC_BUTTON_CANCEL));

    ASSERT_TRUE(g_Input.Bind(SDLK_F5, SC_BUTTON_ACTION));
    EXPECT_FALSE(g_Input.IsKeyDown(SC_BUTTON_ACTION)) << "return no longer serves action";
    HoldKey(SDLK_F5);
    EXPECT_TRUE(g_Input.IsKeyDown(SC_BUTTON_ACTION));
    JoystickFrame();
    EXPECT_FALSE(g_Input.IsKeyTriggered(SC_BUTTON_ACTION));
    EXPECT_TRUE(g_Input.IsKeyDown(SC_BUTTON_ACTION));
}

TEST_F(InputTest, NothingReadsDownOnceCleanedUpAndUpdateThenDoesNothing)
{
    JoystickFrame();
    HoldKey(SDLK_a);
    g_Input.Cleanup();
    EXPECT_FALSE(g_Input.IsKeyDown(SDLK_a));
    EXPECT_FALSE(g_Input.IsKeyTriggered(SDLK_a));
    g_Input.Update();
    EXPECT_FALSE(g_Input.IsKeyDown(SDLK_a));
    ReleaseKey(SDLK_a);
}

struct sTypingCase
{
    const char* name;
    std::vector<int> keys;   // pressed together in one frame
    std::string typed;
};

void PrintTo(const sTypingCase& typing, std::ostream* out) { *out << typing.name; }

class TypingTest : public InputTest, public ::testing::WithParamInterface<sTypingCase>
{
};

TEST_P(TypingTest, TypesWhatAUsKeyboardWould)
{
    const sTypingCase& typing = GetParam();
    TypingFrame();
    TypingFrame([&] { PressAll(typing.keys); });
    EXPECT_EQ(g_Input.m_TypedText, typing.typed);
}

std::vector<int> KeyRange(int first, int last)
{
    std::vector<int> keys;
    for (int key = first; key <= last; ++key)
        keys.push_back(key);
    return keys;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, TypingTest,
    ::testing::Values(
        sTypingCase{"letter", {SDLK_a}, "a"},
        sTypingCase{"shifted_letter", {SDLK_LSHIFT, SDLK_a}, "A"},
        sTypingCase{"right_shift", {SDLK_RSHIFT, SDLK_z}, "Z"},
        sTypingCase{"shift_is_used_up_by_a_symbol", {SDLK_LSHIFT, SDLK_3, SDLK_a}, "#a"},
        sTypingCase{"space", {SDLK_SPACE}, " "},
        // Scanned in id order, whatever order they were pressed in.
        sTypingCase{"symbols_in_id_order", KeyRange('!', '@'), "!\"#$%&'()*+,-./0123456789:;<=>?@"},
        sTypingCase{"bracket_keys", KeyRange('[', '`'), "[\\]^_`"},
        sTypingCase{"letters_in_id_order", {SDLK_c, SDLK_b, SDLK_a}, "abc"},
        sTypingCase{"keypad", KeyRange(SDLK_KP0, SDLK_KP_EQUALS), "0123456789./*-+="},
        sTypingCase{"shifted_keypad", {SDLK_LSHIFT, SDLK_KP7}, "7"},
        sTypingCase{"keypad_enter", {SDLK_KP_ENTER}, ""},
        sTypingCase{"symbol_without_shifted_character", {SDLK_LSHIFT, SDLK_HASH}, ""},
        sTypingCase{"space_then_backspace", {SDLK_SPACE, SDLK_BACKSPACE}, ""}),
    [](const ::testing::TestParamInfo<sTypingCase>& info) { return std::string(info.param.name); });

TEST_F(InputTest, ShiftTypesTheUsKeyboardsUpperCharacterOfEverySymbolKey)
{
    const std::string keys = "',-./0123456789;=[\\]`";
    const std::string shifted = "\"<_>?)!@#$%^&*(:+{|}~";
    TypingFrame();
    for (char key : keys) {
        TypingFrame([&] { PressAll({SDLK_LSHIFT, key}); });
        TypingFrame([&] { ReleaseAll({SDLK_LSHIFT, key}); });
    }
    EXPECT_EQ(g_Input.m_TypedText, shifted);
}

TEST_F(InputTest, ShiftedSymbolKeyReadsUpUntilPressedAgain)
{
    TypingFrame();
    TypingFrame([] { PressAll({SDLK_LSHIFT, SDLK_1}); });
    EXPECT_EQ(g_Input.m_TypedText, "!");
    EXPECT_FALSE(g_Input.IsKeyDown(SDLK_1));
    TypingFrame();
    EXPECT_FALSE(g_Input.IsKeyDown(SDLK_1));
    EXPECT_EQ(g_Input.m_TypedText, "!");
    TypingFrame([] { ReleaseAll({SDLK_LSHIFT, SDLK_1}); HoldKey(SDLK_1); });
    EXPECT_EQ(g_Input.m_TypedText, "!1");
    EXPECT_TRUE(g_Input.IsKeyDown(SDLK_1));
}

TEST_F(InputTest, SymbolWithoutShiftedCharacterStaysDownAndLeavesShiftForTheNextKey)
{
    TypingFrame();
    TypingFrame([] { PressAll({SDLK_LSHIFT, SDLK_EXCLAIM, SDLK_SLASH}); });
    EXPECT_EQ(g_Input.m_TypedText, "?");
    EXPECT_TRUE(g_Input.IsKeyDown(SDLK_EXCLAIM));
    EXPECT_FALSE(g_Input.IsKeyDown(SDLK_SLASH));
}

TEST_F(InputTest, BackspaceOnEmptyTextChangesNothing)
{
    TypingFrame();
    TypingFrame([] { HoldKey(SDLK_BACKSPACE); });
    EXPECT_EQ(g_Input.m_TypedText, "");
}

TEST_F(InputTest, HeldBackspaceErasesAtThePressThen250FramesLaterThenEvery20)
{
    g_Input.m_TypedText = "abcdefgh";
    TypingFrame();
    std::vector<int> erasingFrames;
    for (int frame = 0; frame < 300; ++frame) {
        size_t before = g_Input.m_TypedText.size();
        TypingFrame([&] {
            if (frame == 0)
                HoldKey(SDLK_BACKSPACE);
        });
        if (g_Input.m_TypedText.size() != before)
            erasingFrames.push_back(frame);
    }
    EXPECT_EQ(erasingFrames, (std::vector<int>{0, 250, 270, 290}));
    EXPECT_EQ(g_Input.m_TypedText, "abcd");
}

TEST_F(InputTest, UpdateTypesOnlyWhileTypedInputIsEnabled)
{
    g_Input.m_TypedText = "x";
    // A key held across frames is triggered in none of them, so only the backspace repeat can
    // tell whether Update ran the typed-text step.
    HoldKey(SDLK_BACKSPACE);
    g_Input.m_TypedInputEnabled = false;
    g_Input.Update();
    EXPECT_EQ(g_Input.m_TypedText, "x");
    g_Input.m_TypedInputEnabled = true;
    g_Input.Update();
    EXPECT_EQ(g_Input.m_TypedText, "");
}
