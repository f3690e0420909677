#pragma once
#include <SDL/SDL_mixer.h>
#include <map>
#include <memory>
#include <string>

// One cached effect; owns its mixer chunk (freeing it stops every channel still playing it).
struct SoundSample
{
    SoundSample() = default;
    explicit SoundSample(Mix_Chunk* pChunk) : m_pChunk(pChunk) {}
    SoundSample(SoundSample&& other) noexcept;
    SoundSample& operator=(SoundSample&& other) noexcept;
    SoundSample(const SoundSample&) = delete;
    SoundSample& operator=(const SoundSample&) = delete;
    ~SoundSample();

    Mix_Chunk* m_pChunk = nullptr;
};

// Sound effects on 32 mixing channels and one cross-faded music stream. Every operation except
// Init, Quit and the destructor does nothing (false, -1) until Init has opened an audio device,
// so the game runs silent without one. Volumes are mixer volumes, 0 to MIX_MAX_VOLUME (128).
class SoundManager
{
public:
    SoundManager() = default;
    SoundManager(const SoundManager&) = delete;
    SoundManager& operator=(const SoundManager&) = delete;
    ~SoundManager();

    void Init();
    void Update();   // once per frame: drives music switches and releases finished streams
    void Quit();
    void Reset();    // stops the music at once and empties the effect cache

    bool CacheSound(const std::string& file);   // the file name as given is the cache key
    bool IsChannelPlaying(int channel);          // -1: exactly one channel is playing
    bool PlaySoundNormal(const std::string& file, int volume, int* channelOut);   // channelOut may be null
    // pan: 0 full right, 127 centre, 254 full left; distance: 0 nearest (loudest) to 255 farthest.
    bool PlaySoundPanned(const std::string& file, unsigned char pan, unsigned char distance);
    // angle in degrees, 0 in front, clockwise; distance as for PlaySoundPanned.
    bool PlaySoundPositional(const std::string& file, short angle, unsigned char distance);
    int PlayBasicSound(const std::string& file, int volume);   // the channel, or -1

    // Loops forever; another file cross-fades (400 ms out, then the last file asked for fades in).
    void PlayMusic(const std::string& file);
    void SetSoundVolume(int volume);
    void SetMusicVolume(int volume);
    void StopMusic();   // 2 s fade-out; Update releases the stream once it has finished
    void KillMusic();   // at once; leaves a stream that is fading out after StopMusic to Update
    void KillAllSFX();

private:
    struct sMusicDeleter { void operator()(Mix_Music* pMusic) const; };
    using MusicPtr = std::unique_ptr<Mix_Music, sMusicDeleter>;

    bool CacheForPlay(const std::string& file);   // warns "could not play sound" when it fails
    int StartOnFreeChannel(const std::string& file, int volume);   // the file is cached
    void ReleaseMusic();

    bool m_Initialised = false;
    bool m_MusicActive = false;
    std::string m_CurrentMusic;
    std::string m_NextMusic;
    bool m_MusicSwitchPending = false;
    std::map<std::string, SoundSample> m_Samples;
    MusicPtr m_pMusic;
};

extern SoundManager g_Sound;
