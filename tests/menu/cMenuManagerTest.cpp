#include "support/EngineFixture.h"
#include "support/FrameCapture.h"
#include "support/MenuTestData.h"

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <vector>

#include "core/GameState.h"
#include "graphics/GraphicsManager.h"
#include "input/InputManager.h"
#include "menu/cMenuManager.h"
#include "menu/cMenuSlider.h"
#include "menu/cMenuText.h"

namespace {

cMenuManager& Menus() { return g_Graphics.m_MenuManager; }

std::string ScreenName() { return Menus().GetCurrentScreen() ? Menus().GetCurrentScreen()->GetName() : ""; }

std::string Highlighted()
{
    const cMenuScreen* screen = Menus().GetCurrentScreen();
    const cMenuButton* button = screen ? screen->GetButton(screen->GetCurrentButton()) : nullptr;
    return button ? button->GetText() : "";
}

// The engine on the menu test data; keys are held for one whole frame, as a player would.
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

    void Press(int key, int times = 1)
    {
        for (int i = 0; i < times; ++i) {
            HoldKey(key);
            Frame();
            ReleaseKey(key);
            Frame();
        }
    }

    void Keys(const std::vector<int>& keys)
    {
        for (int key : keys)
            Press(key);
    }

    // The menus' frame read back before the swap; the keys are all up, so nothing changes.
    sImage MenuFrame()
    {
        g_Graphics.RenderScene();
        sImage frame = ReadFrame();
        g_Graphics.RenderScene_End();
        g_Input.Update();
        return frame;
    }

    void ToMainMenu() { Keys({SDLK_RETURN, SDLK_RETURN}); }
};

} // namespace

// Every screen as a player sees it, on the way from the first splash screen into a game and
// into the in-game menu.
TEST_F(MenuTest, EveryScreenAlongTheWayIntoAGame)
{
    EXPECT_EQ(Exec("config['save3'] = 'Harbour'\nconfig['save7'] = 'Lighthouse'"), "");
    struct sStop
    {
        std::vector<int> keys;
        const char* screen;
        const char* highlighted;
        const char* golden;
    };
    const sStop stops[] = {
        {{}, "Ferrin Splash Screen", "", "menu/golden/splash_ferrin"},
        {{SDLK_RETURN}, "Team Splash Screen", "", "menu/golden/splash_team"},
        {{SDLK_RETURN, SDLK_DOWN}, "Main Screen", "Load Game", "menu/golden/main"},
        {{SDLK_RETURN}, "Load Game Screen", "script", "menu/golden/load_game"},
        {{SDLK_BACKSPACE, SDLK_DOWN, SDLK_RETURN}, "Options Screen", "Video Options", "menu/golden/options"},
        {{SDLK_RETURN}, "Video Options Screen", "Resolution", "menu/golden/video"},
        {{SDLK_BACKSPACE, SDLK_DOWN, SDLK_RETURN, SDLK_RETURN, SDLK_RIGHT, SDLK_RIGHT},
         "Sound Options Screen", "Music Volume", "menu/golden/sound_editing"},
        {{SDLK_BACKSPACE, SDLK_BACKSPACE, SDLK_DOWN, SDLK_RETURN, SDLK_DOWN, SDLK_DOWN, SDLK_DOWN, SDLK_DOWN,
          SDLK_DOWN, SDLK_RETURN},
         "Control Options Screen", "Action", "menu/golden/controls_waiting"},
        {{SDLK_ESCAPE, SDLK_BACKSPACE, SDLK_BACKSPACE, SDLK_UP, SDLK_UP, SDLK_RETURN}, "Character Select Screen",
         "Joss Hartle", "menu/golden/char_select_first"},
        {{SDLK_RIGHT, SDLK_RIGHT, SDLK_RIGHT, SDLK_RETURN}, "Character Select Screen", "Pell Arden",
         "menu/golden/char_select_second"},
        {{SDLK_RIGHT, SDLK_RETURN}, "Character Select Screen", "Joss Hartle", "menu/golden/char_select_confirm"},
    };
    for (const sStop& stop : stops) {
        Keys(stop.keys);
        EXPECT_EQ(ScreenName(), stop.screen) << stop.golden;
        if (*stop.highlighted && std::string(stop.screen) != "Character Select Screen")
            EXPECT_EQ(Highlighted(), stop.highlighted) << stop.golden;
        EXPECT_TRUE(FrameMatchesGolden(MenuFrame(), stop.golden));
    }
    const cMenuScreen& loadGame = Menus().m_LoadGameScreen;
    EXPECT_EQ(loadGame.GetButton(2)->GetText(), "Harbour");
    EXPECT_EQ(loadGame.GetButton(6)->GetText(), "Lighthouse");

    Press(SDLK_RETURN);
    EXPECT_FALSE(g_State.m_InMenu);
    EXPECT_EQ(Eval("__import__('system.main').main.calls[-1]"), "('initgame', 'DovKestrel', 'JossHartle')");
    EXPECT_EQ(Exec("import game\ngame.entergamemenu()"), "");
    EXPECT_EQ(ScreenName(), "Game Screen");
    EXPECT_EQ(Highlighted(), "Resume");
    EXPECT_TRUE(FrameMatchesGolden(MenuFrame(), "menu/golden/in_game"));
}

// The selection stages: the first choice is skipped while choosing the second, Back and "No"
// step back one stage with the choices of that stage cleared.
TEST_F(MenuTest, CharacterSelectStagesAndTheSkipRule)
{
    ToMainMenu();
    Press(SDLK_RETURN);
    struct sStep
    {
        int key;
        int stage;
        int onShow;
        int firstChoice;    // index marked first, -1 none
        int secondChoice;
    };
    const sStep steps[] = {
        {SDLK_LEFT, 0, 4, -1, -1},      {SDLK_RETURN, 1, 0, 4, -1},  {SDLK_LEFT, 1, 3, 4, -1},
        {SDLK_RIGHT, 1, 0, 4, -1},      {SDLK_RIGHT, 1, 1, 4, -1},   {SDLK_BACKSPACE, 0, 1, -1, -1},
        {SDLK_RIGHT, 0, 2, -1, -1},     {SDLK_RETURN, 1, 3, 2, -1},  {SDLK_LEFT, 1, 1, 2, -1},
        {SDLK_RIGHT, 1, 3, 2, -1},      {SDLK_RETURN, 2, 3, 2, 3},   {SDLK_RIGHT, 2, 3, 2, 3},
        {SDLK_RETURN, 1, 3, 2, -1},     {SDLK_RETURN, 2, 3, 2, 3},   {SDLK_BACKSPACE, 1, 3, 2, -1},
        {SDLK_BACKSPACE, 0, 3, -1, -1},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        const sStep& step = steps[i];
        Press(step.key);
        const std::vector<sCharInfo>& chars = Menus().GetCharInfos();
        ASSERT_EQ(chars.size(), 5u);
        EXPECT_EQ(Menus().GetSelectStage(), step.stage) << "step " << i;
        EXPECT_EQ(Menus().GetCurrentChar(), step.onShow) << "step " << i;
        for (int c = 0; c < 5; ++c) {
            EXPECT_EQ(chars[size_t(c)].m_FirstChoice, c == step.firstChoice) << "step " << i << " char " << c;
            EXPECT_EQ(chars[size_t(c)].m_SecondChoice, c == step.secondChoice) << "step " << i << " char " << c;
        }
        EXPECT_EQ(Menus().m_CharSelectScreen.GetButton(6)->GetText(), chars[size_t(step.onShow)].m_Description);
    }
    Press(SDLK_BACKSPACE);
    EXPECT_EQ(ScreenName(), "Main Screen");
    Keys({SDLK_RIGHT, SDLK_RETURN});
    EXPECT_EQ(Menus().GetCurrentChar(), 0);
    EXPECT_EQ(Menus().m_CharSelectScreen.GetButton(0)->GetText(), "Joss Hartle");
}

// Volumes are stored on Confirm only and applied from the configuration on every pass; keys
// are bound through the control rows, a key bound elsewhere only ends the wait.
TEST_F(MenuTest, SoundAndControlOptionsStoreTheirSettings)
{
    EXPECT_EQ(Exec("config['music volume'] = 50"), "");
    ToMainMenu();
    Keys({SDLK_DOWN, SDLK_DOWN, SDLK_RETURN, SDLK_DOWN, SDLK_RETURN});
    auto* music = dynamic_cast<cMenuSlider*>(Menus().m_SoundOptionsScreen.GetObjectA(0));
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(music->GetCurrentEntry(), 50);
    Keys({SDLK_RETURN, SDLK_LEFT, SDLK_BACKSPACE});
    EXPECT_EQ(music->GetCurrentEntry(), 50);
    Keys({SDLK_RETURN, SDLK_RIGHT, SDLK_RIGHT, SDLK_RIGHT, SDLK_RETURN});
    g_Graphics.m_MenuManager.InitVolumeFromConfig();
    EXPECT_EQ(Eval("config['music volume']"), "53");
    EXPECT_EQ(Mix_VolumeMusic(-1), 67);

    Keys({SDLK_BACKSPACE, SDLK_DOWN, SDLK_RETURN});
    ASSERT_EQ(ScreenName(), "Control Options Screen");
    auto keyText = [](int row) {
        return dynamic_cast<cMenuText*>(Menus().m_ControlOptionsScreen.GetObjectA(row))->GetText();
    };
    struct sBinding
    {
        std::vector<int> keys;
        int row;
        const char* shown;
        int keyMapEntry;   // of the row's button
        uint32_t key;
    };
    const sBinding bindings[] = {
        {{SDLK_DOWN, SDLK_DOWN, SDLK_DOWN, SDLK_DOWN, SDLK_DOWN, SDLK_RETURN, SDLK_F5}, 5, "F5", 0, 286},
        {{SDLK_DOWN, SDLK_RETURN, SDLK_ESCAPE}, 6, "backspace", 1, 8},
        {{SDLK_DOWN, SDLK_RETURN, SDLK_F7}, 7, "F7", 2, 288},
        {{SDLK_UP, SDLK_UP, SDLK_UP, SDLK_UP, SDLK_UP, SDLK_UP, SDLK_UP, SDLK_RETURN}, 7, "left ctrl", 2, 306},
    };
    for (const sBinding& binding : bindings) {
        Keys(binding.keys);
        EXPECT_FALSE(Menus().m_ControlOptionsScreen.IsObjectSelected());
        EXPECT_EQ(keyText(binding.row), binding.shown);
        EXPECT_EQ(g_Input.GetCurrentKeyMap()[binding.keyMapEntry], binding.key) << binding.shown;
        if (binding.key == 286)
            EXPECT_EQ(Eval("config['SC_BUTTON_ACTION']"), "286");
    }
    EXPECT_EQ(keyText(5), "return");
}

// A slot chosen from the configuration's names, the in-game menu with its options, and the way
// back to a rebuilt main menu.
TEST_F(MenuTest, LoadASlotPlayAndReturnToTheMainMenu)
{
    EXPECT_EQ(Exec("config['save3'] = 'Harbour'"), "");
    ToMainMenu();
    Keys({SDLK_DOWN, SDLK_RETURN, SDLK_DOWN, SDLK_DOWN, SDLK_RETURN});
    EXPECT_FALSE(g_State.m_InMenu);
    EXPECT_EQ(Eval("__import__('system.main').main.calls[-1]"), "('loadgame', 'save3')");
    Frame();
    EXPECT_EQ(Exec("import game\ngame.entergamemenu()"), "");
    Press(SDLK_ESCAPE);
    EXPECT_FALSE(g_State.m_InMenu);

    EXPECT_EQ(Exec("game.entergamemenu()"), "");
    Keys({SDLK_DOWN, SDLK_DOWN, SDLK_RETURN});
    EXPECT_EQ(ScreenName(), "Options Screen");
    EXPECT_EQ(Highlighted(), "Back");
    EXPECT_FALSE(Menus().m_OptionsScreen.GetButton(0)->IsDisplayed());
    Keys({SDLK_DOWN, SDLK_DOWN, SDLK_DOWN});
    EXPECT_EQ(Highlighted(), "Back");   // round the list, never through "Video Options"
    Keys({SDLK_RETURN, SDLK_UP, SDLK_RETURN});
    EXPECT_EQ(ScreenName(), "Load Game Screen");
    EXPECT_EQ(Menus().m_LoadGameScreen.GetCurrentButton(), 0);
    Keys({SDLK_BACKSPACE, SDLK_DOWN, SDLK_DOWN});
    EXPECT_EQ(Highlighted(), "Exit to Main Menu");
    Press(SDLK_RETURN);
    EXPECT_EQ(ScreenName(), "Main Screen");
    EXPECT_EQ(Highlighted(), "New Game");
    EXPECT_TRUE(g_State.m_InMenu);
    EXPECT_EQ(Eval("__import__('system.main').main.calls[-2:]"), "['close', 'setup']");
    Keys({SDLK_RETURN, SDLK_RETURN, SDLK_RETURN, SDLK_RETURN});
    EXPECT_EQ(Eval("__import__('system.main').main.calls[-1]"), "('initgame', 'JossHartle', 'OrlaVance')");
}

// A resolution change moves every button and widget once, however often a screen was opened.
TEST_F(MenuTest, AResolutionChangeMovesEveryButtonOnce)
{
    ToMainMenu();
    Keys({SDLK_DOWN, SDLK_RETURN, SDLK_BACKSPACE, SDLK_RETURN, SDLK_BACKSPACE, SDLK_UP});
    size_t listed = Menus().GetRepositionCount();
    ASSERT_TRUE(g_Graphics.ChangeResolution(1024, 768));
    Menus().HandleResolutionChange(800, 600, 1024, 768);
    EXPECT_EQ(Menus().GetRepositionCount(), listed);
    const cMenuButton* newGame = Menus().m_MainScreen.GetButton(0);
    EXPECT_FLOAT_EQ(newGame->GetXPosition(), 128.0f);
    EXPECT_FLOAT_EQ(newGame->GetYPosition(), 422.4f);
    EXPECT_FLOAT_EQ(Menus().m_LoadGameScreen.GetButton(1)->GetYPosition(), 140.0f * 1.28f);
    EXPECT_FLOAT_EQ(Menus().m_SoundOptionsScreen.GetObjectA(1)->GetXPosition(), 330.0f * 1.28f);
    sImage frame = MenuFrame();
    const uint8_t* corner = frame.At(1000, 5);   // the main picture fills the new window
    EXPECT_EQ((sRgb{corner[0], corner[1], corner[2]}), (sRgb{80, 80, 180}));
}
