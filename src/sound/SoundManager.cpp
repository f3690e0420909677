#include "sound/SoundManager.h"

SoundManager g_Sound;

void SoundManager::Init() {}
void SoundManager::Update() {}
void SoundManager::Quit() {}
void SoundManager::Reset() {}
bool SoundManager::CacheSound(const std::string&) { return false; }
bool SoundManager::IsChannelPlaying(int) { return false; }
bool SoundManager::PlaySoundNormal(const std::string&, int, int*) { return false; }
bool SoundManager::PlaySoundPanned(const std::string&, unsigned char, unsigned char) { return false; }
bool SoundManager::PlaySoundPositional(const std::string&, short, unsigned char) { return false; }
int SoundManager::PlayBasicSound(const std::string&, int) { return -1; }
void SoundManager::PlayMusic(const std::string&) {}
void SoundManager::SetSoundVolume(int) {}
void SoundManager::SetMusicVolume(int) {}
void SoundManager::StopMusic() {}
void SoundManager::KillMusic() {}
void SoundManager::KillAllSFX() {}
