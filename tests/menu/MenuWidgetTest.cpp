#include "support/EngineFixture.h"

#include <GL/gl.h>

#include <set>
#include <stb/stb_image_write.h>
#include <string>
#include <vector>

#include "MenuWidgetTestSupport.h"
#include "menu/cMenuScreen.h"
#include "menu/cMenuSlider.h"
#include "menu/cMenuText.h"
#include "text/FontDraw.h"

using namespace menutest;

namespace {

const sRgb k_Highlight{204, 51, 0};   // (0.8, 0.2, 0.0)

std::set<int> Highlighted(const cMenuScreen& screen)
{
    std::set<int> result;
    for (int i = 0; i < screen.GetNumButtons(); ++i)
        if (screen.GetButton(i)->IsSelected())
            result.insert(i);
    return result;
}

struct sNavigationCase
{
    const char* name;
    int buttons;
    std::set<int> unselectable;
    std::string moves;           // N: SelectNextButton (up), P: SelectPrevButton (down), R: ResetCurrentButton
    std::vector<int> expected;   // the current button after each move
};

} // namespace

TEST(MenuScreenTest, NavigationWrapsAndSkipsUnselectableButtons)
{
    const sNavigationCase cases[] = {
        {"one button", 1, {}, "NP", {0, 0}},
        {"two buttons", 2, {}, "NNP", {1, 0, 1}},
        {"four, wrapping both ways", 4, {}, "NPPPPN", {3, 0, 1, 2, 3, 2}},
        {"0 and 2 unselectable", 4, {0, 2}, "PPNN", {1, 3, 1, 3}},
        {"none selectable", 3, {0, 1, 2}, "NP", {0, 0}},
        {"only the current selectable", 3, {1, 2}, "NNP", {0, 0, 0}},
        {"reset from 2", 4, {}, "PPR", {1, 2, 0}},
    };
    for (const auto& c : cases) {
        cMenuScreen screen("test");
        // A lone button is added without its highlight: navigation must not even set it.
        for (int i = 0; i < c.buttons; ++i)
            screen.AddButton(("B" + std::to_string(i)).c_str(), 1, 1, 1, 0, float(i) * 40, i == 0 && c.buttons > 1,
                             nullptr);
        for (int i : c.unselectable)
            screen.GetButton(i)->SetSelectable(false);
        for (size_t m = 0; m < c.moves.size(); ++m) {
            switch (c.moves[m]) {
            case 'N': screen.SelectNextButton(); break;
            case 'P': screen.SelectPrevButton(); break;
            default: screen.ResetCurrentButton(); break;
            }
            const int current = c.expected[m];
            EXPECT_EQ(screen.GetCurrentButton(), current) << c.name << ", move " << m;
            EXPECT_EQ(Highlighted(screen), c.buttons > 1 ? std::set<int>{current} : std::set<int>{})
                << c.name << ", move " << m;
        }
    }
}

TEST(MenuScreenTest, ButtonsAndWidgetsAreReachedOnlyByValidIndexes)
{
    cMenuScreen screen("test");
    EXPECT_EQ(screen.GetObjectA(), nullptr);
    screen.SelectObject(true);   // no current button: nothing to select
    EXPECT_FALSE(screen.IsObjectSelected());
    screen.ResetCurrentButton();
    EXPECT_EQ(screen.GetCurrentButton(), 0);

    auto* key = new cMenuText;
    screen.AddButton("Plain", 1, 1, 1, 0, 0, true, nullptr);
    screen.AddButton("With key", 1, 1, 1, 0, 40, false, key);
    for (int index : {-1, 2, 127, -128})
        EXPECT_EQ(screen.GetButton(index), nullptr) << index;
    EXPECT_EQ(screen.GetButton(1)->GetText(), "With key");
    EXPECT_EQ(screen.GetObjectA(1), key);
    EXPECT_EQ(screen.GetObjectA(0), nullptr);

    screen.SelectObject(true);   // button 0 has no widget
    EXPECT_FALSE(screen.IsObjectSelected());
    screen.SelectPrevButton();
    EXPECT_EQ(screen.GetObjectA(), key);
    screen.SelectObject(true);
    EXPECT_TRUE(screen.IsObjectSelected());
    EXPECT_TRUE(key->IsSelected());

    // Emptied and refilled, the screen starts again at button 0, not at a stale index.
    screen.FreeButtons();
    EXPECT_EQ(screen.GetNumButtons(), 0);
    EXPECT_EQ(screen.GetCurrentButton(), 0);
    EXPECT_EQ(screen.GetObjectA(), nullptr);
    screen.AddButton("Again", 1, 1, 1, 0, 0, true, nullptr);
    EXPECT_EQ(screen.GetButton(screen.GetCurrentButton())->GetText(), "Again");
}

TEST(MenuSliderTest, HandleMovesOverTheEntriesWithoutWrapping)
{
    struct sCase
    {
        unsigned short entries;
        unsigned char current;
        std::vector<std::string> moves;   // I: IncreaseBar, D: DecreaseBar, S<n>: SetCurrentEntry(n)
        unsigned short entry;
        float offset;
    } const cases[] = {
        {100, 50, {}, 50, 111.111f},
        {100, 50, {"S100"}, 50, 111.111f},
        {100, 99, {"I"}, 99, 220},
        {100, 50, {"S0", "D"}, 0, 0},
        {5, 9, {}, 4, 220},
        {5, 2, {"I", "I", "D"}, 3, 165},
        {5, 2, {"S4", "I"}, 4, 220},
        // Too few entries to span the bar: the handle rests at the left edge.
        {1, 0, {"I"}, 0, 0},
        {0, 3, {"D", "I", "S0"}, 0, 0},
    };
    for (const auto& c : cases) {
        cMenuSlider slider;
        slider.InitSlider(220, 20, c.entries, c.current);
        for (const std::string& move : c.moves) {
            if (move == "I")
                slider.IncreaseBar();
            else if (move == "D")
                slider.DecreaseBar();
            else
                slider.SetCurrentEntry((unsigned short)std::stoi(move.substr(1)));
        }
        EXPECT_EQ(slider.GetCurrentEntry(), c.entry) << c.entries << " entries from " << int(c.current);
        EXPECT_NEAR(slider.GetBarOffset(), c.offset, 0.01f) << c.entries << " entries from " << int(c.current);
    }
}

TEST_F(EngineTest, TheCurrentButtonIsDrawnInTheHighlightColourAndTheOthersInTheirOwn)
{
    cMenuScreen screen("test");
    screen.AddButton("Alpha", 0, 1, 0, 100, 100, true, nullptr);
    screen.AddButton("Beta", 0, 1, 0, 100, 200, false, nullptr);
    for (int current : {0, 1}) {
        BeginFrame();
        screen.Draw(800, 600);
        const sImage frame = ReadFrame();
        for (int button : {0, 1}) {
            const int top = 100 + 100 * button;
            EXPECT_GT(CountColour(frame, current == button ? k_Highlight : sRgb{0, 255, 0}, 90, top, 400, top + 40), 50)
                << "button " << button << ", current " << current;
            EXPECT_EQ(CountColour(frame, current == button ? sRgb{0, 255, 0} : k_Highlight, 90, top, 400, top + 40), 0)
                << "button " << button << ", current " << current;
        }
        screen.SelectPrevButton();
    }
}

TEST_F(EngineTest, AHiddenButtonStillShowsItsKeyTextInTheComplementaryColourUntilEdited)
{
    cMenuScreen screen("test");
    auto* key = new cMenuText;
    key->Init("F5", 400, 100, 25, 1, 1, 0);
    screen.AddButton("Action", 1, 1, 1, 100, 100, true, key);
    screen.GetButton(0)->SetDisplay(false);
    for (bool editing : {false, true}) {
        screen.SelectObject(editing);
        BeginFrame();
        screen.Draw(800, 600);
        const sImage frame = ReadFrame();
        EXPECT_EQ(CountColour(frame, k_Highlight, 0, 80, 390, 150), 0) << "the button's text is hidden";
        // 1.1 - (1, 1, 0): dark blue, the blue clamped to 1.
        const sRgb keyColour = editing ? sRgb{255, 255, 0} : sRgb{26, 26, 255};
        EXPECT_GT(CountColour(frame, keyColour, 390, 80, 500, 150), 30) << "editing " << editing;
    }
}

TEST_F(EngineTest, KeyTextSizeScalesByTheWholeQuotientOnly)
{
    auto heightAfter = [](cMenuText& text) {
        BeginFrame();
        push2D();
        text.Draw();
        pop2D();
        const sImage frame = ReadFrame();
        int top = -1, bottom = -1;
        for (int y = 0; y < 600; ++y)
            if (CountColour(frame, {255, 255, 0}, 0, y, 800, y + 1) > 0)
                bottom = y, top = top < 0 ? y : top;
        return bottom - top + 1;
    };
    cMenuText text;
    text.Init("Hd", 100, 100, 20, 1, 1, 0);
    text.SetSelected(true);
    const int original = heightAfter(text);
    ASSERT_GT(original, 10);
    text.ScaleSize(600, 800);   // 800 / 600 is 1 in integers
    EXPECT_EQ(heightAfter(text), original);
    text.ScaleSize(0, 800);     // no ratio: the size stays
    EXPECT_EQ(heightAfter(text), original);
    text.ScaleSize(400, 800);
    EXPECT_NEAR(heightAfter(text), 2 * original, 2);
}

TEST_F(EngineTest, SliderKeepsItsOwnColoursWhateverTextureWasBoundBefore)
{
    // A dark magenta texture: modulated by it, green and grey would come out black or purple.
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const uint8_t magenta[] = {128, 0, 128};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, magenta);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glEnable(GL_TEXTURE_2D);

    auto* slider = new cMenuSlider;
    slider->SetPosition(100, 300);
    slider->InitSlider(200, 40, 5, 2);   // handle centred at x 200
    slider->GetText() = "Volume";
    cMenuScreen screen("test");
    screen.AddButton("", 1, 1, 1, 100, 200, true, slider);
    screen.SelectObject(true);
    BeginFrame();
    screen.Draw(800, 600);
    const sImage frame = ReadFrame();
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D)) << "texturing is back as it was";
    glDeleteTextures(1, &texture);

    EXPECT_EQ(ReadPixel(200, 320), (sRgb{220, 220, 220})) << "handle";
    EXPECT_GT(CountColour(frame, {0, 0, 255}, 285, 302, 300, 338, 12), 20) << "bar, blue corners";
    EXPECT_GT(CountColour(frame, {0, 220, 35}, 100, 325, 140, 339, 35), 20) << "bar, green corner";
    EXPECT_GT(CountColour(frame, {255, 255, 0}, 98, 300, 103, 340), 20) << "editing frame";
    EXPECT_GT(CountColour(frame, {255, 255, 255}, 100, 275, 200, 299), 30) << "label";
}

TEST_F(EngineTest, ScreenDrawsItsBackgroundBehindTheButtonsUntilFreed)
{
    std::vector<uint8_t> blue(64 * 64 * 4);
    for (size_t i = 0; i < blue.size(); i += 4)
        blue[i] = 40, blue[i + 1] = 80, blue[i + 2] = 160, blue[i + 3] = 255;
    ASSERT_TRUE(stbi_write_png("blue.png", 64, 64, 4, blue.data(), 64 * 4));
    cMenuScreen screen("test");
    screen.AddButton("Alpha", 0, 1, 0, 100, 100, true, nullptr);

    struct sStep { const char* image; bool loads; sRgb corner; } const steps[] = {
        {"blue.png", true, {40, 80, 160}},
        {nullptr, false, {0, 0, 0}},   // freed
        {"missing.png", false, {0, 0, 0}},
    };
    for (const auto& step : steps) {
        if (step.image)
            EXPECT_EQ(screen.LoadBackgroundImage(step.image), step.loads) << step.image;
        else
            screen.FreeBackgroundImage();
        BeginFrame();
        screen.Draw(800, 600);
        EXPECT_EQ(ReadPixel(700, 500), step.corner) << (step.image ? step.image : "freed");
        EXPECT_GT(CountColour(ReadFrame(), k_Highlight, 90, 100, 400, 140), 50) << "the button shows in front";
    }
    screen.FreeBackgroundImage();
}
