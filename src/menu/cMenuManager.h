#pragma once

// The menu screens and their flow. FIXME: the screens themselves arrive with the menus; until then
// the manager draws nothing and the scripts leave the menu state through `game.setmenu`.
class cMenuManager
{
public:
    void Init();                   // builds the menus; once, when the script host starts
    void Update();                 // runs and draws the current screen; while the menus own the frame
    void EnterGameMenu();          // opens the in-game menu
    void InitVolumeFromConfig();   // applies the configured volumes to the sound manager

private:
    bool m_InGameMenu = false;
};
