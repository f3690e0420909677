#include "menu/cMenuManager.h"

#include <GL/gl.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/GameState.h"
#include "core/ScriptCore.h"
#include "graphics/GraphicsManager.h"
#include "graphics/cTextureManager.h"
#include "input/InputManager.h"
#include "menu/cMenuSlider.h"
#include "menu/cMenuText.h"
#include "model/cModel.h"
#include "sound/SoundManager.h"
#include "text/cTextBatch.h"

namespace {

// The menus answer both the player's bindings and the keys everybody tries first.
bool Confirm() { return g_Input.IsKeyTriggered(SC_BUTTON_ACTION) || g_Input.IsKeyTriggered(SDLK_RETURN); }
bool Back() { return g_Input.IsKeyTriggered(SC_BUTTON_CANCEL) || g_Input.IsKeyTriggered(SDLK_BACKSPACE); }
bool Up() { return g_Input.IsKeyTriggered(SC_AXIS_UP) || g_Input.IsKeyTriggered(SDLK_UP); }
bool Down() { return g_Input.IsKeyTriggered(SC_AXIS_DOWN) || g_Input.IsKeyTriggered(SDLK_DOWN); }
bool Left() { return g_Input.IsKeyTriggered(SC_AXIS_LEFT) || g_Input.IsKeyTriggered(SDLK_LEFT); }
bool Right() { return g_Input.IsKeyTriggered(SC_AXIS_RIGHT) || g_Input.IsKeyTriggered(SDLK_RIGHT); }

// Up walks the list toward index 0, which is drawn at the top.
bool MoveHighlight(cMenuScreen& screen)
{
    if (Up()) {
        screen.SelectNextButton();
        return true;
    }
    if (Down()) {
        screen.SelectPrevButton();
        return true;
    }
    return false;
}

struct sCharacterFiles
{
    const char* id;
    const char* name;
    const char* description;
    const char* materials;
    const char* firstFrame;
    const char* texture;
};

const sCharacterFiles CHARACTERS[] = {
    {"JossHartle", "Joss Hartle", "- Has a cell phone", "Models/Characters/JossHartle/joss_idle.mtl",
     "Models/Characters/JossHartle/joss_idle_0.obj", "Images/JossTexture.png"},
    {"OrlaVance", "Orla Vance", "- Has a lighter", "Models/Characters/OrlaVance/orla_idle.mtl",
     "Models/Characters/OrlaVance/orla_idle_0.obj", "Images/OrlaTexture.png"},
    {"MinaSorrel", "Mina Sorrel", "- Good artist", "Models/Characters/MinaSorrel/mina_idle.mtl",
     "Models/Characters/MinaSorrel/mina_idle_0.obj", "Images/MinaTexture.png"},
    {"DovKestrel", "Dov Kestrel", "- Handy with computers", "Models/Characters/DovKestrel/dov_idle.mtl",
     "Models/Characters/DovKestrel/dov_idle_0.obj", "Images/DovTexture.png"},
    {"PellArden", "Pell Arden", "- Good with animals", "Models/Characters/PellArden/pell_idle.mtl",
     "Models/Characters/PellArden/pell_idle_0.obj", "Images/PellTexture.png"},
};

// Control rows 1 to 9: the logical button each binds and its entry in the key map.
struct sControlRow
{
    const char* text;
    float y;
    uint32_t button;
    int keyMapEntry;
};

const sControlRow CONTROL_ROWS[] = {
    {"Up", 190, SC_AXIS_UP, 5},           {"Down", 230, SC_AXIS_DOWN, 6},
    {"Left", 270, SC_AXIS_LEFT, 7},       {"Right", 310, SC_AXIS_RIGHT, 8},
    {"Action", 350, SC_BUTTON_ACTION, 0}, {"Cancel", 390, SC_BUTTON_CANCEL, 1},
    {"Inventory", 430, SC_BUTTON_INVENTORY, 2}, {"Switch", 470, SC_BUTTON_SWITCH, 3},
    {"Menu", 510, SC_BUTTON_MENU, 4},
};

constexpr int NUM_SLOTS = 10;

// Character select buttons.
constexpr int CS_ON_SHOW = 0, CS_FIRST = 1, CS_SECOND = 2, CS_QUESTION = 3, CS_YES = 4, CS_NO = 5,
              CS_DESCRIPTION = 6;

int ScaledVolume(int volume)
{
    // Stored volumes run 0-100; the mixer takes 0-128.
    return int(float(volume) * 1.28f);
}

std::string ModeText(const sDisplayMode& mode)
{
    std::string text;
    DisplayModeToString(text, mode);
    return text;
}

} // namespace

cMenuManager::cMenuManager() : m_MusicVolumeKey("music volume"), m_SfxVolumeKey("sound effects volume") {}

void cMenuManager::Init()
{
    LoadMainMenu();
    LoadSplashScreens();
    m_pCurrentScreen = &m_FerrinSplashScreen;
    m_InMainMenu = true;
}

void cMenuManager::Update()
{
    if (!m_InMainMenu && !m_InGameMenu)
        return;
    cMenuScreen* screen = m_pCurrentScreen;
    if (screen == &m_FerrinSplashScreen)
        UpdateFerrinSplashScreen();
    else if (screen == &m_TeamSplashScreen)
        UpdateTeamSplashScreen();
    else if (screen == &m_MainScreen)
        UpdateMainScreen();
    else if (screen == &m_GameScreen)
        UpdateGameScreen();
    else if (screen == &m_CharSelectScreen)
        UpdateCharSelectScreen();
    else if (screen == &m_LoadGameScreen)
        UpdateLoadGameScreen();
    else if (screen == &m_OptionsScreen)
        UpdateOptionsScreen();
    else if (screen == &m_VideoOptionsScreen)
        UpdateVideoOptionsScreen();
    else if (screen == &m_SoundOptionsScreen)
        UpdateSoundOptionsScreen();
    else if (screen == &m_ControlOptionsScreen)
        UpdateControlOptionsScreen();
    else if (screen == &m_CreditsScreen)
        UpdateCreditsScreen();
    else if (screen == &m_SaveScreen)
        UpdateSaveScreen();

    // Starting, loading or resuming a game hands the frame to the scripts at once.
    if (!g_State.m_InMenu || !m_pCurrentScreen)
        return;
    glColor3ub(255, 255, 255);
    m_pCurrentScreen->Draw(unsigned(g_Graphics.GetWindowWidth()), unsigned(g_Graphics.GetWindowHeight()));
    if (m_pCurrentScreen == &m_CharSelectScreen)
        DrawExtraCharacterStuff();
}

void cMenuManager::ChangeScreens(cMenuScreen* pScreen)
{
    m_ScreenStack.push(m_pCurrentScreen);
    m_pCurrentScreen = pScreen;
}

void cMenuManager::ChangeToPrevScreen()
{
    if (m_ScreenStack.empty())
        return;
    m_pCurrentScreen = m_ScreenStack.top();
    m_ScreenStack.pop();
}

cMenuButton* cMenuManager::CurrentButton(cMenuScreen& screen)
{
    return screen.GetButton(screen.GetCurrentButton());
}

void cMenuManager::LoadMainMenu()
{
    FreeMainMenu(true);
    m_ButtonList.clear();
    m_ObjectList.clear();
    LoadBackgrounds();
    BuildMainScreen();
    AddScreenObjectsToList(m_MainScreen);
    BuildCharSelectScreen();
    AddScreenObjectsToList(m_CharSelectScreen);
    BuildLoadGameSlots();
    BuildOptionsScreens();
    m_CreditsScreen.SetName("Credits Screen");
    if (m_CharInfos.empty())
        LoadCharInfos();
    HandleResolutionChange(800, 600, g_Graphics.GetWindowWidth(), g_Graphics.GetWindowHeight());
}

void cMenuManager::BuildMainScreen()
{
    m_MainScreen.SetName("Main Screen");
    const char* texts[] = {"New Game", "Load Game", "Options", "Credits", "Exit"};
    for (int i = 0; i < 5; ++i)
        m_MainScreen.AddButton(texts[i], 1, 1, 1, 100, 330.0f + 30.0f * float(i), i == 0, nullptr);
}

void cMenuManager::BuildCharSelectScreen()
{
    cMenuScreen& s = m_CharSelectScreen;
    s.SetName("Character Select Screen");
    s.AddButton("Default", 1, 1, 1, 100, 350, false, nullptr);
    s.AddButton("Default", 1, 1, 1, 100, 500, false, nullptr);
    s.AddButton("Default", 1, 1, 1, 400, 500, false, nullptr);
    s.AddButton("Are these two ok?", 1, 1, 1, 245, 200, false, nullptr);
    s.AddButton("Yes", 1, 1, 1, 320, 330, false, nullptr);
    s.AddButton("No", 128, 128, 128, 420, 330, false, nullptr);
    s.AddButton("Descrption", 1, 1, 1, 100, 380, false, nullptr);
    for (int i = CS_FIRST; i <= CS_NO; ++i)
        s.GetButton(i)->SetDisplay(false);
}

void cMenuManager::BuildLoadGameSlots()
{
    // Laid out for the window as it is now, so not moved when the menus are built.
    m_LoadGameScreen.SetName("Load Game Screen");
    float height = float(g_Graphics.GetWindowHeight());
    float top = height / 6.0f;
    float step = (height - 2.0f * top) / float(NUM_SLOTS);
    for (int i = 0; i < NUM_SLOTS; ++i)
        m_LoadGameScreen.AddButton("Empty", 0, 1, 1, 100, top + float(i) * step, i == 0, nullptr);
}

void cMenuManager::BuildOptionsScreens()
{
    m_OptionsScreen.SetName("Options Screen");
    const char* options[] = {"Video Options", "Sound Options", "Control Options", "Back"};
    for (int i = 0; i < 4; ++i)
        m_OptionsScreen.AddButton(options[i], 1, 1, 1, 100, 330.0f + 30.0f * float(i), i == 0, nullptr);
    AddScreenObjectsToList(m_OptionsScreen);

    m_VideoOptionsScreen.SetName("Video Options Screen");
    cMenuSlider* resolution = nullptr;
    // A slider needs two positions at least; with fewer modes there is nothing to choose from.
    if (g_Graphics.GetNumDisplayModes() >= 2) {
        resolution = new cMenuSlider;
        resolution->SetPosition(330, 250);
        resolution->InitSlider(200, 25, uint16_t(g_Graphics.GetNumDisplayModes()),
                               uint8_t(g_Graphics.GetCurrentDisplayModeIndex()));
        resolution->GetText() = ModeText(g_Graphics.GetCurrentDisplayMode());
    }
    m_VideoOptionsScreen.AddButton("Resolution", 1, 1, 1, 100, 250, true, resolution);
    m_VideoOptionsScreen.AddButton("Toggle Fullscreen", 1, 1, 1, 100, 300, false, nullptr);
    m_VideoOptionsScreen.AddButton("Back", 1, 1, 1, 100, 350, false, nullptr);
    AddScreenObjectsToList(m_VideoOptionsScreen);

    m_SoundOptionsScreen.SetName("Sound Options Screen");
    const char* volumes[] = {"Music Volume", "SFX Volume"};
    for (int i = 0; i < 2; ++i) {
        float y = i == 0 ? 250.0f : 320.0f;
        cMenuSlider* slider = new cMenuSlider;
        slider->SetPosition(330, y);
        slider->InitSlider(220, 25, 100, 0);
        m_SoundOptionsScreen.AddButton(volumes[i], 1, 1, 1, 100, y, i == 0, slider);
    }
    AddScreenObjectsToList(m_SoundOptionsScreen);

    m_ControlOptionsScreen.SetName("Control Options Screen");
    m_ControlOptionsScreen.AddButton("Defaults", 1, 1, 1, 100, 150, true, nullptr);
    const uint32_t* keyMap = g_Input.GetCurrentKeyMap();
    for (const sControlRow& row : CONTROL_ROWS) {
        cMenuText* keyName = new cMenuText;
        keyName->Init(g_Input.KeyIDToName(keyMap[row.keyMapEntry]).c_str(), 400, row.y, 30, 1, 1, 0);
        m_ControlOptionsScreen.AddButton(row.text, 1, 1, 1, 100, row.y, false, keyName);
    }
    AddScreenObjectsToList(m_ControlOptionsScreen);
}

void cMenuManager::LoadSplashScreens()
{
    m_FerrinSplashScreen.SetName("Ferrin Splash Screen");
    m_FerrinSplashScreen.LoadBackgroundImage("Images/Copyright.png");
    m_TeamSplashScreen.SetName("Team Splash Screen");
    m_TeamSplashScreen.LoadBackgroundImage("Images/quillbrook.png");
}

void cMenuManager::LoadBackgrounds()
{
    for (cBackground& background : m_Backgrounds) {
        background.FreeImage();
        background = cBackground();
    }
    m_Backgrounds[BG_WAIT].LoadImageA("Images/WaitScreen.png");
    m_MainScreen.SetBackground(&m_Backgrounds[BG_WAIT]);
    if (m_ShowWaitScreen) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        m_MainScreen.Draw(unsigned(g_Graphics.GetWindowWidth()), unsigned(g_Graphics.GetWindowHeight()));
        g_Graphics.RenderScene_End();
        m_ShowWaitScreen = false;
    }
    m_Backgrounds[BG_MAIN].LoadImageA("Images/MainScreen.png");
    m_Backgrounds[BG_CHAR_SELECT].LoadImageA("Images/CharSelect.png");
    m_Backgrounds[BG_GRAY].LoadImageA("Images/GrayBackground.png");
    GiveBackgrounds();
}

void cMenuManager::GiveBackgrounds()
{
    // The wait image is for the first build only: the main menu shows its own picture afterwards.
    m_MainScreen.SetBackground(&m_Backgrounds[BG_MAIN]);
    m_OptionsScreen.SetBackground(&m_Backgrounds[BG_MAIN]);
    m_GameScreen.SetBackground(&m_Backgrounds[BG_MAIN]);
    m_CharSelectScreen.SetBackground(&m_Backgrounds[BG_CHAR_SELECT]);
    for (cMenuScreen* screen : {&m_LoadGameScreen, &m_VideoOptionsScreen, &m_SoundOptionsScreen,
                                &m_ControlOptionsScreen})
        screen->SetBackground(&m_Backgrounds[BG_GRAY]);
}

void cMenuManager::AddScreenObjectsToList(cMenuScreen& screen)
{
    for (int i = 0; i < screen.GetNumButtons(); ++i) {
        cMenuButton* button = screen.GetButton(i);
        if (std::find(m_ButtonList.begin(), m_ButtonList.end(), button) == m_ButtonList.end())
            m_ButtonList.push_back(button);
        cMenuObject* object = button->GetObjectA();
        if (object && std::find(m_ObjectList.begin(), m_ObjectList.end(), object) == m_ObjectList.end())
            m_ObjectList.push_back(object);
    }
}

void cMenuManager::ForgetScreenObjects(cMenuScreen& screen)
{
    for (int i = 0; i < screen.GetNumButtons(); ++i) {
        cMenuButton* button = screen.GetButton(i);
        std::erase(m_ButtonList, button);
        if (cMenuObject* object = button->GetObjectA())
            std::erase(m_ObjectList, object);
    }
}

void cMenuManager::FreeMainMenu(bool all)
{
    m_CharInfos.clear();
    for (cMenuScreen* screen : {&m_MainScreen, &m_CharSelectScreen, &m_CreditsScreen, &m_SaveScreen}) {
        ForgetScreenObjects(*screen);
        screen->FreeButtons();
        screen->FreeBackgroundImage();
    }
    if (!all)
        return;
    for (cMenuScreen* screen : {&m_LoadGameScreen, &m_OptionsScreen, &m_VideoOptionsScreen,
                                &m_SoundOptionsScreen, &m_ControlOptionsScreen}) {
        ForgetScreenObjects(*screen);
        screen->FreeButtons();
    }
}

void cMenuManager::FreeGameMenu()
{
    ForgetScreenObjects(m_GameScreen);
    m_GameScreen.FreeButtons();
}

void cMenuManager::FreeSplashScreens()
{
    for (cMenuScreen* screen : {&m_FerrinSplashScreen, &m_TeamSplashScreen}) {
        screen->FreeBackgroundImage();
        screen->FreeButtons();
    }
}

void cMenuManager::LoadGameMenu()
{
    FreeGameMenu();
    m_GameScreen.SetName("Game Screen");
    m_GameScreen.SetBackground(&m_Backgrounds[BG_MAIN]);
    const char* texts[] = {"Resume", "Load Game", "Options", "Exit to Main Menu"};
    for (int i = 0; i < 4; ++i)
        m_GameScreen.AddButton(texts[i], 1, 1, 1, 100, 330.0f + 30.0f * float(i), i == 0, nullptr);
    // Laid out for 800 x 600 like every other screen: a window resized in the main menu must not
    // leave the in-game menu where an 800 x 600 window would have it.
    float sx = float(g_Graphics.GetWindowWidth()) / 800.0f;
    float sy = float(g_Graphics.GetWindowHeight()) / 600.0f;
    for (int i = 0; i < m_GameScreen.GetNumButtons(); ++i) {
        cMenuButton* button = m_GameScreen.GetButton(i);
        button->SetPosition(button->GetXPosition() * sx, button->GetYPosition() * sy);
    }
    AddScreenObjectsToList(m_GameScreen);

    for (cMenuScreen* screen : {&m_GameScreen, &m_LoadGameScreen, &m_OptionsScreen, &m_VideoOptionsScreen,
                                &m_SoundOptionsScreen})
        screen->ResetCurrentButton();
    // The resolution cannot change during play.
    m_OptionsScreen.SelectNextButton();
    if (cMenuButton* video = m_OptionsScreen.GetButton(0)) {
        video->SetSelectable(false);
        video->SetDisplay(false);
    }
}

void cMenuManager::HandleResolutionChange(int oldWidth, int oldHeight, int newWidth, int newHeight)
{
    // A mode change loses every texture. The backgrounds' registry entries went with the reset,
    // so they are dropped, not given back: giving back what the registry no longer has is an error.
    TEXTUREMANAGER.Reset();
    for (cBackground& background : m_Backgrounds)
        background = cBackground();
    LoadBackgrounds();
    // The character textures went with the reset too: nothing is left to remove before reloading.
    LoadCharacterTextures();

    if (oldWidth <= 0 || oldHeight <= 0)
        return;
    float sx = float(newWidth) / float(oldWidth);
    float sy = float(newHeight) / float(oldHeight);
    for (cMenuButton* button : m_ButtonList)
        button->SetPosition(button->GetXPosition() * sx, button->GetYPosition() * sy);
    for (cMenuObject* object : m_ObjectList)
        object->SetPosition(object->GetXPosition() * sx, object->GetYPosition() * sy);
}

void cMenuManager::UpdateFerrinSplashScreen()
{
    if (Confirm())
        ChangeScreens(&m_TeamSplashScreen);
}

void cMenuManager::UpdateTeamSplashScreen()
{
    if (Confirm()) {
        FreeSplashScreens();
        ChangeScreens(&m_MainScreen);
    }
}

void cMenuManager::UpdateMainScreen()
{
    if (Confirm()) {
        switch (m_MainScreen.GetCurrentButton()) {
        case 0:
            ChangeScreens(&m_CharSelectScreen);
            m_SelectStage = 0;
            m_CurrentChar = 0;
            if (!m_CharInfos.empty())
                m_CharSelectScreen.GetButton(CS_ON_SHOW)->SetText(m_CharInfos[0].m_Name.c_str());
            break;
        case 1:
            ChangeScreens(&m_LoadGameScreen);
            LoadLoadGameScreen();
            break;
        case 2:
            ChangeScreens(&m_OptionsScreen);
            break;
        case 3:
            ChangeScreens(&m_CreditsScreen);
            if (m_Credits.LoadFile("system/Credits.txt"))
                m_Credits.StartCredits(g_Graphics.GetWindowHeight());
            break;
        case 4:
            // The exit handler closes the configuration and shuts the engine down.
            std::exit(0);
        default:
            break;
        }
        return;
    }
    MoveHighlight(m_MainScreen);
}

void cMenuManager::UpdateGameScreen()
{
    if (Confirm()) {
        switch (m_GameScreen.GetCurrentButton()) {
        case 0:
            ExitGameMenu();
            break;
        case 1:
            ChangeScreens(&m_LoadGameScreen);
            LoadLoadGameScreen();
            break;
        case 2:
            ChangeScreens(&m_OptionsScreen);
            break;
        case 3:
            g_ScriptCore.Reset();
            EnterMainMenu();
            break;
        default:
            break;
        }
        return;
    }
    if (MoveHighlight(m_GameScreen))
        return;
    if (g_Input.IsKeyTriggered(SC_BUTTON_MENU) || g_Input.IsKeyTriggered(SC_BUTTON_CANCEL) ||
        g_Input.IsKeyTriggered(SDLK_ESCAPE) || g_Input.IsKeyTriggered(SDLK_BACKSPACE))
        ExitGameMenu();
}

void cMenuManager::UpdateCreditsScreen()
{
    if (g_Input.IsKeyTriggered(SC_BUTTON_CANCEL) || g_Input.IsKeyTriggered(SC_BUTTON_ACTION) ||
        g_Input.IsKeyTriggered(SDLK_RETURN) || g_Input.IsKeyTriggered(SDLK_BACKSPACE)) {
        ChangeToPrevScreen();
        return;
    }
    m_Credits.Update(0.005f);
}

void cMenuManager::EnterGameMenu()
{
    // A script may open the in-game menu before any game was started from the menus; it then
    // gets the menu it would have had, not an empty screen.
    if (m_GameScreen.GetNumButtons() == 0)
        LoadGameMenu();
    m_InMainMenu = false;
    m_InGameMenu = true;
    m_pCurrentScreen = &m_GameScreen;
}

void cMenuManager::ExitGameMenu()
{
    m_InGameMenu = false;
    g_State.m_InMenu = false;
}

void cMenuManager::EnterMainMenu()
{
    m_InMainMenu = true;
    m_InGameMenu = false;
    LoadMainMenu();
    FreeGameMenu();
    // Nothing below the main screen can be returned to: it has no Back. Without this every game
    // played would leave its way there on the stack for good.
    while (!m_ScreenStack.empty())
        m_ScreenStack.pop();
    m_pCurrentScreen = &m_MainScreen;
}

void cMenuManager::LoadCharInfos()
{
    m_CharInfos.clear();
    m_CharInfos.resize(std::size(CHARACTERS));
    for (size_t i = 0; i < m_CharInfos.size(); ++i) {
        const sCharacterFiles& files = CHARACTERS[i];
        sCharInfo& info = m_CharInfos[i];
        info.m_ID = files.id;
        info.m_Name = files.name;
        info.m_Description = files.description;
        // A character whose files are missing or broken is still offered, without a model.
        try {
            info.m_Model.LoadMTLFile(files.materials);
            info.m_Model.AddFrame(files.firstFrame);
            info.m_Model.EnableTexturing();
            info.m_Model.MakeStatic();
        } catch (const cModelException& e) {
            std::printf("cMenuManager: *warning* model of %s: %s\n", files.id, e.what());
        } catch (const std::string& message) {
            std::printf("cMenuManager: *warning* model of %s: %s\n", files.id, message.c_str());
        }
        info.m_FirstChoice = info.m_SecondChoice = false;
    }
    LoadCharacterTextures();
    m_CharSelectScreen.GetButton(CS_ON_SHOW)->SetText(m_CharInfos[0].m_Name.c_str());
}

void cMenuManager::LoadCharacterTextures()
{
    // The materials hold no textures of their own here, so they are not read again.
    for (size_t i = 0; i < m_CharInfos.size(); ++i)
        m_CharInfos[i].m_Model.SetTexture(CHARACTERS[i].texture);
}

void cMenuManager::ShowCharacter(int index)
{
    m_CurrentChar = int8_t(index);
    m_CharSelectScreen.GetButton(CS_ON_SHOW)->SetText(m_CharInfos[size_t(index)].m_Name.c_str());
}

int cMenuManager::StepCharacter(int from, int step) const
{
    int count = int(m_CharInfos.size());
    int next = (from + step + count) % count;
    if (m_CharInfos[size_t(next)].m_FirstChoice)
        next = (next + step + count) % count;
    return next;
}

void cMenuManager::LeaveStageTwo()
{
    for (sCharInfo& info : m_CharInfos)
        info.m_SecondChoice = false;
    for (int i = CS_SECOND; i <= CS_NO; ++i)
        m_CharSelectScreen.GetButton(i)->SetDisplay(false);
    m_SelectStage = 1;
}

void cMenuManager::UpdateCharSelectScreen()
{
    cMenuScreen& s = m_CharSelectScreen;
    if (m_CurrentChar < 0 || size_t(m_CurrentChar) >= m_CharInfos.size() || s.GetNumButtons() <= CS_DESCRIPTION) {
        // Cannot happen while the menus are built as they are; leave rather than read past the list.
        std::printf("cMenuManager: *error* m_CurrentChar >= 0 && m_CurrentChar < m_CharInfos.size()\n");
        ChangeToPrevScreen();
        return;
    }
    sCharInfo& onShow = m_CharInfos[size_t(m_CurrentChar)];
    s.GetButton(CS_DESCRIPTION)->SetText(onShow.m_Description.c_str());

    if (m_SelectStage == 2) {
        if (Left() || Right()) {
            s.GetButton(CS_YES)->ToggleSelected();
            s.GetButton(CS_NO)->ToggleSelected();
        }
        if (Confirm()) {
            if (s.GetButton(CS_YES)->IsSelected())
                StartGame();
            else
                LeaveStageTwo();
            return;
        }
    }

    if (Back()) {
        if (m_SelectStage == 0) {
            ChangeToPrevScreen();
        } else if (m_SelectStage == 1) {
            for (sCharInfo& info : m_CharInfos)
                info.m_FirstChoice = info.m_SecondChoice = false;
            s.GetButton(CS_FIRST)->SetDisplay(false);
            m_SelectStage = 0;
        } else {
            LeaveStageTwo();
        }
        return;
    }

    if (Confirm()) {
        if (m_SelectStage == 0) {
            m_SelectStage = 1;
            s.GetButton(CS_FIRST)->SetText(onShow.m_Name.c_str());
            s.GetButton(CS_FIRST)->SetDisplay(true);
            onShow.m_FirstChoice = true;
            ShowCharacter((m_CurrentChar + 1) % int(m_CharInfos.size()));
        } else if (m_SelectStage == 1 && !onShow.m_FirstChoice) {
            m_SelectStage = 2;
            s.GetButton(CS_SECOND)->SetText(onShow.m_Name.c_str());
            s.GetButton(CS_SECOND)->SetDisplay(true);
            onShow.m_SecondChoice = true;
            s.GetButton(CS_YES)->SetSelected(true);
            s.GetButton(CS_NO)->SetSelected(false);
        }
        return;
    }

    if (m_SelectStage > 1)
        return;
    if (Left())
        ShowCharacter(StepCharacter(m_CurrentChar, -1));
    else if (Right())
        ShowCharacter(StepCharacter(m_CurrentChar, +1));
}

void cMenuManager::DrawExtraCharacterStuff()
{
    g_Graphics.m_Camera.SetLookAt(0.0f, 0.0f, -5.0f);
    g_Graphics.m_Camera.SetPosition(0.0f, 0.0f, 1.5f);
    if (m_CurrentChar >= 0 && size_t(m_CurrentChar) < m_CharInfos.size()) {
        // Scaled ten times, the model's normals would shrink with it and darken the figure.
        glPushAttrib(GL_ENABLE_BIT);
        glEnable(GL_NORMALIZE);
        m_CharInfos[size_t(m_CurrentChar)].m_Model.Draw(4.45f, -3.8f, -2.0f, 10.0f, 10.0f, 10.0f, 0.0f, 0.0f,
                                                       0.0f, 0.0f, 1.0f);
        glPopAttrib();
    }
    glDisable(GL_DEPTH_TEST);
    if (m_SelectStage == 2 && m_CharSelectScreen.GetNumButtons() > CS_NO) {
        float w = float(g_Graphics.GetWindowWidth());
        float h = float(g_Graphics.GetWindowHeight());
        cTextBatch batch;
        // An untextured box: with texturing on it would come out tinted by the last texture bound.
        glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glColor3ub(20, 20, 20);
        glBegin(GL_QUADS);
        glVertex2f(w / 4, h / 4);
        glVertex2f(w / 4, h - h / 4);
        glVertex2f(w - w / 4, h - h / 4);
        glVertex2f(w - w / 4, h / 4);
        glEnd();
        glPopAttrib();
        for (int i = CS_QUESTION; i <= CS_NO; ++i) {
            cMenuButton* button = m_CharSelectScreen.GetButton(i);
            button->SetDisplay(true);
            button->Draw();
        }
    }
    glEnable(GL_DEPTH_TEST);
}

void cMenuManager::StartGame()
{
    std::string first = "JossHartle";
    std::string second = "MinaSorrel";
    for (const sCharInfo& info : m_CharInfos) {
        if (info.m_FirstChoice)
            first = info.m_ID;
        else if (info.m_SecondChoice)
            second = info.m_ID;
    }
    g_Graphics.InitGameOpenGLVariables();
    LeaveMenusForPlay();
    g_ScriptCore.InitGame(first, second);
}

void cMenuManager::LeaveMenusForPlay()
{
    g_State.m_InMenu = false;
    m_InMainMenu = false;
    FreeMainMenu(false);
    LoadGameMenu();
}

void cMenuManager::LoadLoadGameScreen()
{
    for (int i = 0; i < m_LoadGameScreen.GetNumButtons() && i < NUM_SLOTS; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "save%i", i + 1);
        m_LoadGameScreen.GetButton(i)->SetText(g_ScriptCore.GetCfgString(key, "script").c_str());
    }
    AddScreenObjectsToList(m_LoadGameScreen);
}

void cMenuManager::UpdateLoadGameScreen()
{
    if (Back()) {
        ChangeToPrevScreen();
        return;
    }
    if (MoveHighlight(m_LoadGameScreen))
        return;
    if (!Confirm() || !CurrentButton(m_LoadGameScreen))
        return;
    char slot[16];
    std::snprintf(slot, sizeof slot, "save%i", m_LoadGameScreen.GetCurrentButton() + 1);
    // A loaded game is drawn in the same light as a new one.
    g_Graphics.InitGameOpenGLVariables();
    LeaveMenusForPlay();
    g_ScriptCore.LoadGame(slot);
}

void cMenuManager::UpdateOptionsScreen()
{
    if (Confirm()) {
        switch (m_OptionsScreen.GetCurrentButton()) {
        case 0:
            ChangeScreens(&m_VideoOptionsScreen);
            break;
        case 1: {
            ChangeScreens(&m_SoundOptionsScreen);
            int volumes[2] = {g_ScriptCore.GetCfgInt(m_MusicVolumeKey, 50),
                              g_ScriptCore.GetCfgInt(m_SfxVolumeKey, 50)};
            for (int i = 0; i < 2; ++i) {
                auto* slider = dynamic_cast<cMenuSlider*>(m_SoundOptionsScreen.GetObjectA(i));
                if (slider && volumes[i] >= 0 && volumes[i] < 100)
                    slider->SetCurrentEntry(uint16_t(volumes[i]));
            }
            break;
        }
        case 2:
            SetKeyText();
            ChangeScreens(&m_ControlOptionsScreen);
            break;
        case 3:
            ChangeToPrevScreen();
            break;
        default:
            break;
        }
        return;
    }
    if (Back()) {
        ChangeToPrevScreen();
        return;
    }
    MoveHighlight(m_OptionsScreen);
}

void cMenuManager::UpdateVideoOptionsScreen()
{
    cMenuScreen& s = m_VideoOptionsScreen;
    if (Down()) {
        s.SelectPrevButton();
    } else if (Up()) {
        s.SelectNextButton();
    } else if (Back() && !s.IsObjectSelected()) {
        ChangeToPrevScreen();
        return;
    }

    switch (s.GetCurrentButton()) {
    case 0: {
        auto* slider = dynamic_cast<cMenuSlider*>(s.GetObjectA());
        if (!slider)
            return;
        bool editing = slider->IsSelected();
        if (Confirm() && !editing) {
            slider->SetTempEntry(slider->GetCurrentEntry());
            slider->SetSelected(true);
        } else if (Confirm()) {
            sDisplayMode mode = g_Graphics.GetDisplayMode(slider->GetCurrentEntry());
            int oldWidth = g_Graphics.GetWindowWidth();
            int oldHeight = g_Graphics.GetWindowHeight();
            g_Graphics.ChangeResolution(mode.width, mode.height);
            // A refused mode leaves the window as it was: the menus follow the real size.
            HandleResolutionChange(oldWidth, oldHeight, g_Graphics.GetWindowWidth(), g_Graphics.GetWindowHeight());
        } else if (Back() && editing) {
            slider->SetCurrentEntry(slider->GetTempEntry());
            slider->GetText() = ModeText(g_Graphics.GetCurrentDisplayMode());
            slider->SetSelected(false);
        } else if (Left() && editing) {
            slider->DecreaseBar();
            slider->GetText() = ModeText(g_Graphics.GetDisplayMode(slider->GetCurrentEntry()));
        } else if (Right() && editing) {
            slider->IncreaseBar();
            slider->GetText() = ModeText(g_Graphics.GetDisplayMode(slider->GetCurrentEntry()));
        }
        break;
    }
    case 1:
        if (Confirm()) {
            int width = g_Graphics.GetWindowWidth();
            int height = g_Graphics.GetWindowHeight();
            g_Graphics.ToggleFullscreen();
            HandleResolutionChange(width, height, g_Graphics.GetWindowWidth(), g_Graphics.GetWindowHeight());
        }
        break;
    case 2:
        if (Confirm())
            ChangeToPrevScreen();
        break;
    default:
        break;
    }
}

void cMenuManager::ApplyVolume(bool music, int volume)
{
    if (music) {
        g_Sound.SetMusicVolume(ScaledVolume(volume));
        g_ScriptCore.SetCfgInt(m_MusicVolumeKey, volume);
    } else {
        g_Sound.SetSoundVolume(ScaledVolume(volume));
        g_ScriptCore.SetCfgInt(m_SfxVolumeKey, volume);
    }
}

void cMenuManager::UpdateSoundOptionsScreen()
{
    cMenuScreen& s = m_SoundOptionsScreen;
    auto* slider = dynamic_cast<cMenuSlider*>(s.GetObjectA());
    if (!slider)
        return;
    bool editing = slider->IsSelected();
    if (Confirm()) {
        if (!editing) {
            slider->SetTempEntry(slider->GetCurrentEntry());
            slider->SetSelected(true);
        } else {
            ApplyVolume(s.GetCurrentButton() == 0, slider->GetCurrentEntry());
            slider->SetSelected(false);
        }
    } else if (Back()) {
        if (editing) {
            slider->SetCurrentEntry(slider->GetTempEntry());
            slider->SetSelected(false);
        } else {
            ChangeToPrevScreen();
        }
    } else if (!editing && (Up() || Down())) {
        MoveHighlight(s);
    } else if (editing && Left()) {
        slider->DecreaseBar();
    } else if (editing && Right()) {
        slider->IncreaseBar();
    }
}

void cMenuManager::UpdateControlOptionsScreen()
{
    cMenuScreen& s = m_ControlOptionsScreen;
    int row = s.GetCurrentButton();
    if (s.IsObjectSelected() && row >= 1 && row <= int(std::size(CONTROL_ROWS))) {
        uint32_t button = CONTROL_ROWS[row - 1].button;
        auto* keyName = dynamic_cast<cMenuText*>(s.GetObjectA());
        auto tryKey = [&](uint32_t id) {
            if (!g_Input.IsKeyTriggered(id))
                return;
            if (g_Input.CheckKeyAvailability(id)) {
                g_Input.Bind(id, button);
                if (keyName)
                    keyName->SetText(g_Input.KeyIDToName(id).c_str());
            }
            s.SelectObject(false);
        };
        for (uint32_t id = 0; id <= 321; ++id)
            tryKey(id);
        for (uint32_t id = SC_JOYSTICK_BUTTON_FIRST; id <= SC_JOYSTICK_HAT_LAST; ++id)
            tryKey(id);
        return;
    }

    if (Back()) {
        ChangeToPrevScreen();
        return;
    }
    if (MoveHighlight(s) || !Confirm())
        return;
    if (row == 0) {
        g_Input.LoadDefaultControls();
        SetKeyText();
    } else {
        s.SelectObject(true);
    }
}

void cMenuManager::SetKeyText()
{
    const uint32_t* keyMap = g_Input.GetCurrentKeyMap();
    for (size_t i = 0; i < std::size(CONTROL_ROWS); ++i) {
        auto* keyName = dynamic_cast<cMenuText*>(m_ControlOptionsScreen.GetObjectA(i + 1));
        if (keyName)
            keyName->SetText(g_Input.KeyIDToName(keyMap[CONTROL_ROWS[i].keyMapEntry]).c_str());
    }
}

void cMenuManager::InitVolumeFromConfig()
{
    int music = g_ScriptCore.GetCfgInt(m_MusicVolumeKey, 50);
    int effects = g_ScriptCore.GetCfgInt(m_SfxVolumeKey, 50);
    g_Sound.SetMusicVolume(ScaledVolume(music));
    g_Sound.SetSoundVolume(ScaledVolume(effects));
}
