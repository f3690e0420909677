#include "support/EngineFixture.h"
#include "support/MenuTestData.h"

#include <set>
#include <string>
#include <vector>

#include "MenuWidgetTestSupport.h"
#include "graphics/cTextureManager.h"
#include "menu/cMenuScreen.h"
#include "menu/cMenuSlider.h"
#include "menu/cMenuText.h"

using namespace menutest;

TEST(MenuScreenTest, NavigationWrapsSkipsUnselectableButtonsAndResets)
{
    const struct
    {
        int buttons;
        std::set<int> unselectable;
        std::string moves;           // N: SelectNextButton (up), P: SelectPrevButton (down), R: ResetCurrentButton
        std::vector<int> expected;   // the current button after each move, the only one highlighted
    } cases[] = {
        {1, {}, "NP", {0, 0}},   // a lone button is added unhighlighted and stays so
        {4, {}, "NPPPPN", {3, 0, 1, 2, 3, 2}},
        {4, {0, 2}, "PPNN", {1, 3, 1, 3}},
        {3, {0, 1, 2}, "NP", {0, 0}},
        {4, {}, "PPR", {1, 2, 0}},
    };
    for (const auto& c : cases) {
        cMenuScreen screen("test");
        for (int i = 0; i < c.buttons; ++i)
            screen.AddButton("B", 1, 1, 1, 0, float(i) * 40, i == 0 && c.buttons > 1, nullptr);
        for (int i : c.unselectable)
            screen.GetButton(i)->SetSelectable(false);
        for (size_t m = 0; m < c.moves.size(); ++m) {
            c.moves[m] == 'N' ? screen.SelectNextButton()
                              : c.moves[m] == 'P' ? screen.SelectPrevButton() : screen.ResetCurrentButton();
            std::set<int> highlighted;
            for (int i = 0; i < c.buttons; ++i)
                if (screen.GetButton(i)->IsSelected())
                    highlighted.insert(i);
            EXPECT_EQ(screen.GetCurrentButton(), c.expected[m]) << c.moves << ", move " << m;
            EXPECT_EQ(highlighted, c.buttons > 1 ? std::set<int>{c.expected[m]} : std::set<int>{}) << c.moves;
        }
    }
}

TEST(MenuScreenTest, ButtonsAndWidgetsAreReachedOnlyByValidIndexes)
{
    cMenuScreen screen("test");
    screen.SelectObject(true);   // no button at all: nothing happens
    EXPECT_EQ(screen.GetObjectA(), nullptr);
    auto* key = new cMenuText;
    screen.AddButton("Plain", 1, 1, 1, 0, 0, true, nullptr);
    screen.AddButton("With key", 1, 1, 1, 0, 40, false, key);
    for (int index : {-1, 2, -128, 127})
        EXPECT_EQ(screen.GetButton(index), nullptr) << index;
    EXPECT_EQ(screen.GetObjectA(1), key);
    screen.SelectObject(true);   // button 0 has no widget
    EXPECT_FALSE(screen.IsObjectSelected());
    screen.SelectPrevButton();
    screen.SelectObject(true);
    EXPECT_TRUE(screen.IsObjectSelected() && key->IsSelected());
    // Emptied and refilled, the screen starts again at button 0, not at a stale index.
    screen.FreeButtons();
    EXPECT_EQ(screen.GetCurrentButton(), 0);
    EXPECT_EQ(screen.GetObjectA(), nullptr);
}

TEST(MenuSliderTest, HandleMovesOverTheEntriesWithoutWrapping)
{
    const struct
    {
        unsigned short entries;
        unsigned char current;
        std::string moves;   // I: IncreaseBar, D: DecreaseBar, digits: SetCurrentEntry
        unsigned short entry;
        float offset;        // of a bar 220 wide
    } cases[] = {
        {100, 50, "", 50, 111.111f}, {100, 50, "100", 50, 111.111f}, {100, 99, "I", 99, 220},
        {100, 50, "0D", 0, 0},       {5, 9, "", 4, 220},             {5, 2, "IID", 3, 165},
        {5, 2, "4I", 4, 220},
        // Too few entries to span the bar: the handle rests at the left edge.
        {1, 0, "I", 0, 0},           {0, 3, "DI0", 0, 0},
    };
    for (const auto& c : cases) {
        cMenuSlider slider;
        slider.InitSlider(220, 20, c.entries, c.current);
        for (size_t i = 0; i < c.moves.size(); ++i) {
            if (c.moves[i] == 'I' || c.moves[i] == 'D')
                c.moves[i] == 'I' ? slider.IncreaseBar() : slider.DecreaseBar();
            else
                slider.SetCurrentEntry((unsigned short)std::stoi(c.moves.substr(i))), i = c.moves.size();
        }
        EXPECT_EQ(slider.GetCurrentEntry(), c.entry) << c.entries << " " << c.moves;
        EXPECT_NEAR(slider.GetBarOffset(), c.offset, 0.01f) << c.entries << " " << c.moves;
    }
}

// One screen drawn over a background with a magenta texture left bound, as the last background
// tile or glyph would be: plain shapes must not take its colour. A highlighted and a plain button,
// a hidden button whose key text still shows, and a slider with its label; then the same screen
// with the key and the slider being edited.
TEST_F(EngineTest, ScreenDrawsButtonsKeyTextAndSliderLikeItsGoldens)
{
    WriteMenuTestData(m_Dir);
    TEXTUREMANAGER.AddTexture("Images/PellTexture.png");
    glBindTexture(GL_TEXTURE_2D, TEXTUREMANAGER.GetGLTextureID("Images/PellTexture.png"));
    glEnable(GL_TEXTURE_2D);

    cMenuScreen screen("test");
    auto* key = new cMenuText;
    key->Init("F5", 400, 200, 25, 1, 1, 0);
    auto* slider = new cMenuSlider;
    slider->SetPosition(100, 300);
    slider->InitSlider(200, 40, 5, 2);   // handle centred at x 200
    slider->GetText() = "Volume";
    screen.AddButton("Alpha", 0, 1, 0, 100, 100, true, nullptr);
    screen.AddButton("Action", 0, 1, 0, 100, 200, false, key);
    screen.AddButton("", 1, 1, 1, 100, 300, false, slider);
    screen.GetButton(1)->SetDisplay(false);
    key->ScaleSize(0, 800);   // no ratio to scale by: must neither crash nor change the size
    screen.GetButton(1)->ScaleSize(0, 800);
    ASSERT_FALSE(screen.LoadBackgroundImage("missing.png"));
    ASSERT_TRUE(screen.LoadBackgroundImage("Images/MainScreen.png"));
    for (const char* golden : {"menu/golden/widgets", "menu/golden/widgets_editing"}) {
        BeginFrame();
        screen.Draw(800, 600);
        EXPECT_TRUE(FrameMatchesGolden(ReadFrame(), golden));
        EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D)) << "texturing is back as it was";
        screen.SelectPrevButton();
        screen.SelectObject(true);
        screen.SelectPrevButton();
        screen.SelectObject(true);
    }
    screen.FreeBackgroundImage();
    BeginFrame();
    screen.Draw(800, 600);
    EXPECT_EQ(ReadPixel(700, 500), (sRgb{0, 0, 0})) << "no background once freed";
    TEXTUREMANAGER.RemoveTexture("Images/PellTexture.png");
}
