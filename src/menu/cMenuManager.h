#pragma once
#include <array>
#include <cstdint>
#include <deque>
#include <stack>
#include <string>
#include <vector>

#include "graphics/cBackground.h"
#include "menu/cCredits.h"
#include "menu/cMenuButton.h"
#include "menu/cMenuObject.h"
#include "menu/cMenuScreen.h"
#include "model/cModel.h"

// One playable character of the selection screen.
struct sCharInfo
{
    cModel m_Model;              // the idle model, static and textured
    std::string m_ID;            // what system.startup.initgame receives
    std::string m_Name;
    std::string m_Description;   // one line under the name
    bool m_FirstChoice = false;
    bool m_SecondChoice = false;
};

// Every menu screen of the game, the way between them and what their keys do. The graphics
// manager owns the one instance and runs it inside the frame begin while the menus own the frame.
class cMenuManager
{
public:
    cMenuManager();
    cMenuManager(const cMenuManager&) = delete;
    cMenuManager& operator=(const cMenuManager&) = delete;

    void Init();                   // builds the menus and shows the first splash screen; once
    void Update();                 // runs and draws the current screen
    void EnterGameMenu();          // opens the in-game menu; the caller sets g_State.m_InMenu
    void EnterMainMenu();          // rebuilds the main menu and shows it
    void ExitGameMenu();           // the game scripts own the frame again
    void InitVolumeFromConfig();   // applies the configured volumes; every pass of the main loop

    void ChangeScreens(cMenuScreen* pScreen);   // the current screen is pushed
    void ChangeToPrevScreen();                  // pops; nothing on an empty stack

    void LoadMainMenu();
    void LoadGameMenu();
    void LoadSplashScreens();
    void LoadBackgrounds();
    void LoadCharInfos();
    void LoadCharacterTextures();
    void LoadLoadGameScreen();
    void AddScreenObjectsToList(cMenuScreen& screen);
    void FreeMainMenu(bool all);   // all: also the screens the in-game menu shares
    void FreeGameMenu();
    void FreeSplashScreens();
    // Every button and widget in the reposition lists moves by new / old; textures are reloaded.
    void HandleResolutionChange(int oldWidth, int oldHeight, int newWidth, int newHeight);
    void StartGame();
    void SetKeyText();
    void DrawExtraCharacterStuff();

    void UpdateFerrinSplashScreen();
    void UpdateTeamSplashScreen();
    void UpdateMainScreen();
    void UpdateGameScreen();
    void UpdateCharSelectScreen();
    void UpdateLoadGameScreen();
    void UpdateOptionsScreen();
    void UpdateVideoOptionsScreen();
    void UpdateSoundOptionsScreen();
    void UpdateControlOptionsScreen();
    void UpdateCreditsScreen();
    void UpdateSaveScreen() {}

    // What the screens show, for whoever draws or checks them.
    const cMenuScreen* GetCurrentScreen() const { return m_pCurrentScreen; }
    bool IsInMainMenu() const { return m_InMainMenu; }
    bool IsInGameMenu() const { return m_InGameMenu; }
    int GetSelectStage() const { return m_SelectStage; }
    int8_t GetCurrentChar() const { return m_CurrentChar; }
    const std::vector<sCharInfo>& GetCharInfos() const { return m_CharInfos; }
    size_t GetStackDepth() const { return m_ScreenStack.size(); }
    size_t GetRepositionCount() const { return m_ButtonList.size() + m_ObjectList.size(); }

    // The screens, in the order the menus name them. The manager owns them and their widgets.
    cMenuScreen m_FerrinSplashScreen;
    cMenuScreen m_TeamSplashScreen;
    cMenuScreen m_MainScreen;
    cMenuScreen m_GameScreen;
    cMenuScreen m_CharSelectScreen;
    cMenuScreen m_LoadGameScreen;
    cMenuScreen m_OptionsScreen;
    cMenuScreen m_VideoOptionsScreen;
    cMenuScreen m_SoundOptionsScreen;
    cMenuScreen m_ControlOptionsScreen;
    cMenuScreen m_CreditsScreen;
    cMenuScreen m_SaveScreen;   // no way leads here; kept empty

private:
    // The shared backgrounds, by what they show. Screens point at them, so they never move.
    enum eBackground { BG_MAIN = 0, BG_CHAR_SELECT = 1, BG_WAIT = 2, BG_GRAY = 3 };

    void BuildMainScreen();
    void BuildCharSelectScreen();
    void BuildLoadGameSlots();
    void BuildOptionsScreens();
    void GiveBackgrounds();
    void ForgetScreenObjects(cMenuScreen& screen);
    void ShowCharacter(int index);
    int StepCharacter(int from, int step) const;   // wraps; skips the first choice
    void LeaveStageTwo();
    void LeaveMenusForPlay();
    void ApplyVolume(bool music, int volume);
    cMenuButton* CurrentButton(cMenuScreen& screen);

    cCredits m_Credits;
    bool m_InMainMenu = false;
    bool m_InGameMenu = false;
    bool m_ShowWaitScreen = true;
    cMenuScreen* m_pCurrentScreen = nullptr;
    std::array<cBackground, 4> m_Backgrounds;
    std::vector<cMenuObject*> m_ObjectList;   // not owned: widgets that a resolution change moves
    std::vector<cMenuButton*> m_ButtonList;   // not owned
    std::stack<cMenuScreen*, std::deque<cMenuScreen*>> m_ScreenStack;
    int m_SelectStage = 0;
    int8_t m_CurrentChar = 0;
    std::vector<sCharInfo> m_CharInfos;
    std::string m_MusicVolumeKey;
    std::string m_SfxVolumeKey;
};
