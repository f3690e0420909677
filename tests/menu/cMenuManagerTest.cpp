#include "support/EngineFixture.h"
#include "support/FrameCapture.h"
#include "support/MenuTestData.h"

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <iterator>
#include <utility>
#include <vector>

#include "core/GameState.h"
#include "graphics/GraphicsManager.h"
#include "input/InputManager.h"
#include "menu/cMenuManager.h"
#include "menu/cMenuSlider.h"

namespace {

enum : int { RET = SDLK_RETURN, BACK = SDLK_BACKSPACE, ESC = SDLK_ESCAPE, UP = SDLK_UP, DOWN = SDLK_DOWN,
             LEFT = SDLK_LEFT, RIGHT = SDLK_RIGHT };

cMenuManager& Menus() { return g_Graphics.m_MenuManager; }

std::string ScreenName() { return Menus().GetCurrentScreen()->GetName(); }

std::string Highlighted()
{
    const cMenuScreen* screen = Menus().GetCurrentScreen();
    const cMenuButton* button = screen->GetButton(screen->GetCurrentButton());
    return button ? button->GetText() : "";
}


// The engine on the menu test data, past the first frame; keys are held for one whole frame.
class MenuTest : public ScriptPackageTest
{
protected:
    void SetUp() override
    {
        ScriptPackageTest::SetUp();
        WriteMenuTestData(m_Dir);
        StartEngine();
        Frame();
    }

    void Keys(const std::vector<int>& keys)
    {
        for (int key : keys) {
            HoldKey(key);
            Frame();
            ReleaseKey(key);
            Frame();
        }
    }

    // The menus' frame, read back before the swap; no key is down, so nothing changes.
    sImage MenuFrame()
    {
        g_Graphics.RenderScene();
        sImage frame = ReadFrame();
        g_Graphics.RenderScene_End();
        g_Input.Update();
        return frame;
    }

    std::string Calls(const char* slice) { return Eval(std::string("__import__('system.main').main.calls") + slice); }
};

} // namespace

// Every screen as a player sees it on the way from the first splash screen into a game: the
// goldens show which screen is up, its highlight and the slots read from the config.
TEST_F(MenuTest, EveryScreenAlongTheWayIntoAGame)
{
    EXPECT_EQ(Exec("config['save3'] = 'Harbour'\nconfig['save7'] = 'Lighthouse'"), "");
    const std::pair<std::vector<int>, const char*> stops[] = {
        {{}, "splash_ferrin"},
        {{RET}, "splash_team"},
        {{RET, DOWN}, "main"},
        {{RET}, "load_game"},
        {{BACK, DOWN, RET}, "options"},
        {{RET}, "video"},
        {{BACK, DOWN, RET, RET, RIGHT, RIGHT}, "sound_editing"},
        {{BACK, BACK, DOWN, RET, DOWN, DOWN, DOWN, DOWN, DOWN, RET}, "controls_waiting"},
        {{ESC, BACK, BACK, UP, UP, RET}, "char_select_first"},
        {{RIGHT, RIGHT, RIGHT, RET}, "char_select_second"},
        {{RIGHT, RET}, "char_select_confirm"},
    };
    for (const auto& [keys, golden] : stops) {
        Keys(keys);
        EXPECT_TRUE(FrameMatchesGolden(MenuFrame(), std::string("menu/golden/") + golden));
    }
    Keys({RET});
    EXPECT_FALSE(g_State.m_InMenu);
    EXPECT_EQ(Calls("[-1]"), "('initgame', 'DovKestrel', 'JossHartle')");
    EXPECT_EQ(Exec("import game\ngame.entergamemenu()"), "");
    EXPECT_TRUE(FrameMatchesGolden(MenuFrame(), "menu/golden/in_game"));
}

// The selection stages: the first choice is skipped while choosing the second; Back and "No"
// step back one stage, clearing that stage's choices.
TEST_F(MenuTest, CharacterSelectStagesAndTheSkipRule)
{
    Keys({RET, RET, RET});
    // After each key: the stage, the character on show, and for each character F (the first
    // choice), S (the second) or -.
    const std::pair<int, const char*> steps[] = {
        {LEFT, "0 4 -----"}, {RET, "1 0 ----F"}, {LEFT, "1 3 ----F"}, {RIGHT, "1 0 ----F"},
        {BACK, "0 0 -----"}, {RIGHT, "0 1 -----"}, {RIGHT, "0 2 -----"}, {RET, "1 3 --F--"},
        {LEFT, "1 1 --F--"}, {RIGHT, "1 3 --F--"}, {RET, "2 3 --FS-"}, {RIGHT, "2 3 --FS-"},
        {RET, "1 3 --F--"}, {RET, "2 3 --FS-"}, {BACK, "1 3 --F--"}, {BACK, "0 3 -----"},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        Keys({steps[i].first});
        const std::vector<sCharInfo>& chars = Menus().GetCharInfos();
        const int onShow = Menus().GetCurrentChar();
        std::string seen = std::to_string(Menus().GetSelectStage()) + " " + std::to_string(onShow) + " ";
        for (const sCharInfo& character : chars)
            seen += character.m_FirstChoice ? 'F' : character.m_SecondChoice ? 'S' : '-';
        EXPECT_EQ(seen, steps[i].second) << "step " << i;
        EXPECT_EQ(Menus().m_CharSelectScreen.GetButton(6)->GetText(), chars[size_t(onShow)].m_Description);
    }
    Keys({BACK, RIGHT, RET});   // out, and in again: character 0 on show
    EXPECT_EQ(Menus().GetCurrentChar(), 0);
    EXPECT_EQ(Menus().m_CharSelectScreen.GetButton(0)->GetText(), "Joss Hartle");
}

// A volume left with Back is not stored; a confirmed one is, and the music plays at it.
TEST_F(MenuTest, AVolumeIsStoredAndAppliedOnConfirmOnly)
{
    EXPECT_EQ(Exec("config['music volume'] = 50"), "");
    Keys({RET, RET, DOWN, DOWN, RET, DOWN, RET, RET, LEFT, BACK});
    auto* music = dynamic_cast<cMenuSlider*>(Menus().m_SoundOptionsScreen.GetObjectA(0));
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(music->GetCurrentEntry(), 50);
    Keys({RET, RIGHT, RIGHT, RIGHT, RET});
    Menus().InitVolumeFromConfig();
    EXPECT_EQ(Eval("config['music volume']"), "53");
    EXPECT_EQ(Mix_VolumeMusic(-1), 67);
}

// A slot loaded, the in-game menu and its options, and the way back to a rebuilt main menu.
TEST_F(MenuTest, LoadASlotPlayAndReturnToTheMainMenu)
{
    Keys({RET, RET, DOWN, RET, DOWN, DOWN, RET});
    EXPECT_FALSE(g_State.m_InMenu);
    EXPECT_EQ(Calls("[-1]"), "('loadgame', 'save3')");
    EXPECT_EQ(Exec("import game\ngame.entergamemenu()"), "");
    Keys({DOWN, DOWN, RET});
    EXPECT_EQ(Highlighted(), "Back");
    EXPECT_FALSE(Menus().m_OptionsScreen.GetButton(0)->IsDisplayed());
    Keys({DOWN, DOWN, DOWN});
    EXPECT_EQ(Highlighted(), "Back");   // round the list, never through "Video Options"
    Keys({RET, UP, RET});
    EXPECT_EQ(Menus().m_LoadGameScreen.GetCurrentButton(), 0);
    Keys({BACK, DOWN, DOWN, RET});
    EXPECT_EQ(ScreenName(), "Main Screen");
    EXPECT_EQ(Highlighted(), "New Game");
    EXPECT_TRUE(g_State.m_InMenu);
}
