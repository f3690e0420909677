#include "sound/SoundManager.h"

#include <SDL/SDL.h>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <utility>

#include "core/RegularFile.h"

SoundManager g_Sound;

namespace {

constexpr int MIXER_FREQUENCY = 44100;
constexpr int MIXER_OUTPUT_CHANNELS = 2;
constexpr int MIXER_BUFFER_SAMPLES = 1024;
constexpr int MIXING_CHANNELS = 32;
constexpr int MUSIC_SWITCH_FADE_MS = 400;
constexpr int MUSIC_STOP_FADE_MS = 2000;

// Holds the mixer's audio thread off between starting a sample and setting its effects, so that
// no buffer is ever mixed with the effects of the channel's previous sound or without the new
// ones. The lock is the one SDL_mixer's own calls take; it is recursive.
class cAudioLock
{
public:
    cAudioLock() { SDL_LockAudio(); }
    ~cAudioLock() { SDL_UnlockAudio(); }
    cAudioLock(const cAudioLock&) = delete;
    cAudioLock& operator=(const cAudioLock&) = delete;
};

uint32_t LittleEndian32(const unsigned char* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

// Two files the mixer's stream loader cannot take safely are refused here as unloadable: one too
// short for any format's signature (the loader leaks its stream state on it), and a RIFF file
// that ends before its "data" chunk (the loader seeks past the end for ever, freezing the game).
// Other files are left to the mixer.
bool IsStreamableFile(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    unsigned char header[12] = {};
    in.read(reinterpret_cast<char*>(header), sizeof header);
    if (in.gcount() < 4)
        return !in.is_open();   // one that cannot be opened fails in the mixer before any harm
    if (in.gcount() < std::streamsize(sizeof header) || std::memcmp(header, "RIFF", 4) != 0
        || std::memcmp(header + 8, "WAVE", 4) != 0)
        return true;
    in.clear();
    in.seekg(0, std::ios::end);
    const uint64_t fileSize = uint64_t(in.tellg());
    uint64_t offset = sizeof header;
    unsigned char chunk[8] = {};
    while (offset + sizeof chunk <= fileSize) {
        in.seekg(std::streamoff(offset));
        if (!in.read(reinterpret_cast<char*>(chunk), sizeof chunk))
            return false;
        if (std::memcmp(chunk, "data", 4) == 0)
            return true;
        // Chunks are padded to an even size.
        offset += sizeof chunk + uint64_t(LittleEndian32(chunk + 4)) + (LittleEndian32(chunk + 4) & 1);
    }
    return false;
}

void ReportProblemPlaying()
{
    std::printf("SoundManager: *error* problem playing sound\n");
}

void ReportEffectsNotCleared()
{
    std::printf("SoundManager: *warning* problem unregistering channel effect\n");
}

} // namespace

SoundSample::SoundSample(SoundSample&& other) noexcept : m_pChunk(std::exchange(other.m_pChunk, nullptr)) {}

SoundSample& SoundSample::operator=(SoundSample&& other) noexcept
{
    if (this != &other) {
        if (m_pChunk)
            Mix_FreeChunk(m_pChunk);
        m_pChunk = std::exchange(other.m_pChunk, nullptr);
    }
    return *this;
}

SoundSample::~SoundSample()
{
    if (m_pChunk)
        Mix_FreeChunk(m_pChunk);
}

void SoundManager::sMusicDeleter::operator()(Mix_Music* pMusic) const
{
    Mix_FreeMusic(pMusic);
}

SoundManager::~SoundManager()
{
    if (m_Initialised)
        Quit();
}

void SoundManager::Init()
{
    if (m_Initialised)
        return;
    // No audio device is no error: the game runs silent.
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0)
        return;
    if (Mix_OpenAudio(MIXER_FREQUENCY, AUDIO_S16SYS, MIXER_OUTPUT_CHANNELS, MIXER_BUFFER_SAMPLES) < 0)
        return;
    Mix_AllocateChannels(MIXING_CHANNELS);
    m_Initialised = true;
}

void SoundManager::Update()
{
    if (!m_Initialised)
        return;
    if (!Mix_PlayingMusic()) {
        if (m_pMusic && !m_MusicActive)
            ReleaseMusic();
    } else if (m_MusicActive && m_NextMusic != m_CurrentMusic) {
        // Only repeats the fade-out request of a switch. After StopMusic the stop's fade must run
        // out first; a switch pending under it completes below.
        PlayMusic(m_NextMusic);
    }
    if (m_MusicSwitchPending && !Mix_PlayingMusic()) {
        m_MusicActive = false;
        m_MusicSwitchPending = false;
        PlayMusic(m_NextMusic);
    }
}

void SoundManager::Quit()
{
    Reset();
    // A stream still fading out after StopMusic is not KillMusic's; it must not outlive the mixer.
    ReleaseMusic();
    m_Initialised = false;
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SoundManager::Reset()
{
    if (!m_Initialised)
        return;
    KillMusic();
    KillAllSFX();
}

bool SoundManager::CacheSound(const std::string& file)
{
    if (!m_Initialised)
        return false;
    if (m_Samples.contains(file))
        return true;
    Mix_Chunk* pChunk = Mix_LoadWAV_RW(OpenRegularFileRW(file.c_str()), 1);
    if (!pChunk) {
        std::printf("SoundManager: *warning* cannot locate sound file \"%s\"\n", file.c_str());
        return false;
    }
    m_Samples.emplace(file, SoundSample(pChunk));
    return true;
}

bool SoundManager::IsChannelPlaying(int channel)
{
    // The mixer reads its channel table unchecked for negative numbers other than -1 (all).
    if (!m_Initialised || channel < -1)
        return false;
    return Mix_Playing(channel) == 1;
}

int SoundManager::PlayBasicSound(const std::string& file, int volume)
{
    if (!m_Initialised || !CacheForPlay(file))
        return -1;
    return StartOnFreeChannel(file, volume);
}

bool SoundManager::PlaySoundNormal(const std::string& file, int volume, int* channelOut)
{
    if (!m_Initialised)
        return false;
    int channel = -1;
    bool effectsCleared = true;
    if (CacheForPlay(file)) {
        cAudioLock lock;
        channel = StartOnFreeChannel(file, volume);
        if (channel != -1)
            effectsCleared = Mix_UnregisterAllEffects(channel) != 0;
    }
    if (channel == -1) {
        ReportProblemPlaying();
        return false;
    }
    if (channelOut)
        *channelOut = channel;
    if (!effectsCleared)
        ReportEffectsNotCleared();
    return true;
}

bool SoundManager::PlaySoundPanned(const std::string& file, unsigned char pan, unsigned char distance)
{
    if (!m_Initialised)
        return false;
    int channel = -1;
    bool effectsCleared = true, panned = true, distanced = true;
    if (CacheForPlay(file)) {
        cAudioLock lock;
        channel = StartOnFreeChannel(file, MIX_MAX_VOLUME);
        if (channel != -1) {
            effectsCleared = Mix_UnregisterAllEffects(channel) != 0;
            // The two sides sum to 254, so 127 is the exact centre; pan 255 wraps to 255 on both.
            panned = Mix_SetPanning(channel, pan, static_cast<Uint8>(254 - pan)) != 0;
            distanced = Mix_SetDistance(channel, distance) != 0;
        }
    }
    if (channel == -1) {
        ReportProblemPlaying();
        return false;
    }
    if (!effectsCleared)
        ReportEffectsNotCleared();
    if (!panned)
        std::printf("SoundManager: *warning* could not register panning\n");
    if (!distanced)
        std::printf("SoundManager: *warning* could not register distance\n");
    return true;
}

bool SoundManager::PlaySoundPositional(const std::string& file, short angle, unsigned char distance)
{
    if (!m_Initialised)
        return false;
    int channel = -1;
    bool effectsCleared = true, positioned = true;
    if (CacheForPlay(file)) {
        cAudioLock lock;
        channel = StartOnFreeChannel(file, MIX_MAX_VOLUME);
        if (channel != -1) {
            effectsCleared = Mix_UnregisterAllEffects(channel) != 0;
            positioned = Mix_SetPosition(channel, angle, distance) != 0;
        }
    }
    if (channel == -1) {
        ReportProblemPlaying();
        return false;
    }
    if (!effectsCleared)
        ReportEffectsNotCleared();
    if (!positioned)
        std::printf("SoundManager: *warning* could not register position\n");
    return true;
}

void SoundManager::PlayMusic(const std::string& file)
{
    if (!m_Initialised)
        return;
    m_NextMusic = file;
    if (m_MusicActive) {
        if (file != m_CurrentMusic) {
            m_MusicSwitchPending = true;
            Mix_FadeOutMusic(MUSIC_SWITCH_FADE_MS);
        }
        return;
    }
    // This starts the last file asked for, which is all a pending switch was waiting to do; left
    // set, it would restart this file after a later StopMusic.
    m_MusicSwitchPending = false;
    ReleaseMusic();
    SDL_RWops* stream = OpenRegularFileRW(file.c_str());
    if (!stream)
        return;
    if (!IsStreamableFile(file)) {
        SDL_RWclose(stream);
        return;
    }
    // The music keeps the stream and closes it when it is freed.
    m_pMusic.reset(Mix_LoadMUSType_RW(stream, MUS_NONE, 1));
    if (!m_pMusic)
        return;   // a missing music file falls silent without a message
    if (Mix_FadeInMusic(m_pMusic.get(), -1, MUSIC_SWITCH_FADE_MS) == 0) {
        m_MusicActive = true;
        m_CurrentMusic = file;
    }
}

void SoundManager::SetSoundVolume(int volume)
{
    if (m_Initialised)
        Mix_Volume(-1, volume);
}

void SoundManager::SetMusicVolume(int volume)
{
    if (m_Initialised)
        Mix_VolumeMusic(volume);
}

void SoundManager::StopMusic()
{
    if (!m_Initialised || !m_MusicActive)
        return;
    Mix_FadeOutMusic(MUSIC_STOP_FADE_MS);
    m_MusicActive = false;
}

void SoundManager::KillMusic()
{
    if (!m_Initialised || !m_pMusic || !m_MusicActive)
        return;
    ReleaseMusic();
    m_MusicActive = false;
    m_MusicSwitchPending = false;   // nothing is left to switch from
    m_CurrentMusic.clear();
    m_NextMusic.clear();
}

void SoundManager::KillAllSFX()
{
    if (m_Initialised)
        m_Samples.clear();
}

bool SoundManager::CacheForPlay(const std::string& file)
{
    if (m_Samples.contains(file) || CacheSound(file))
        return true;
    std::printf("SoundManager: *warning* could not play sound \"%s\"\n", file.c_str());
    return false;
}

int SoundManager::StartOnFreeChannel(const std::string& file, int volume)
{
    // The volume stays on the shared sample until its next play.
    Mix_Chunk* pChunk = m_Samples[file].m_pChunk;
    Mix_VolumeChunk(pChunk, volume);
    return Mix_PlayChannelTimed(-1, pChunk, 0, -1);
}

void SoundManager::ReleaseMusic()
{
    if (!m_pMusic)
        return;
    // Freeing a stream that is still fading out would wait for the fade to end, stalling the
    // frame for up to the 2 s of a stop.
    Mix_HaltMusic();
    m_pMusic.reset();
}
