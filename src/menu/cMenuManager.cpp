#include "menu/cMenuManager.h"

#include "core/ScriptCore.h"
#include "sound/SoundManager.h"

void cMenuManager::Init() {}

void cMenuManager::Update() {}

void cMenuManager::EnterGameMenu()
{
    m_InGameMenu = true;
}

void cMenuManager::InitVolumeFromConfig()
{
    // Stored volumes run 0-100; the mixer takes 0-128.
    const float scale = 1.28f;
    int music = g_ScriptCore.GetCfgInt("music volume", 50);
    int effects = g_ScriptCore.GetCfgInt("sound effects volume", 50);
    g_Sound.SetMusicVolume(int(float(music) * scale));
    g_Sound.SetSoundVolume(int(float(effects) * scale));
}
