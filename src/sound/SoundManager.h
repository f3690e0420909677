#pragma once
#include <string>

// Sound effects and music. FIXME: placeholder until the mixer arrives; every call does nothing,
// as the engine does when no audio device can be opened.
class SoundManager
{
public:
    void Init();
    void Update();
    void Quit();
    void Reset();
    bool CacheSound(const std::string& file);
    bool IsChannelPlaying(int channel);
    bool PlaySoundNormal(const std::string& file, int volume, int* channelOut);
    bool PlaySoundPanned(const std::string& file, unsigned char pan, unsigned char distance);
    bool PlaySoundPositional(const std::string& file, short angle, unsigned char distance);
    int PlayBasicSound(const std::string& file, int volume);
    void PlayMusic(const std::string& file);
    void SetSoundVolume(int volume);
    void SetMusicVolume(int volume);
    void StopMusic();
    void KillMusic();
    void KillAllSFX();
};

extern SoundManager g_Sound;
