#pragma once
#include <SDL/SDL.h>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "input/KeyNames.h"

// How the input manager reaches the joystick: SDL's own functions, always, in the engine.
// No joystick hardware exists where the engine is tested, so this is the one place a test may
// put a scripted joystick instead (SetJoystickDriver before Init).
struct sJoystickDriver
{
    int (*NumJoysticks)() = SDL_NumJoysticks;
    SDL_Joystick* (*Open)(int index) = SDL_JoystickOpen;
    void (*Close)(SDL_Joystick* pJoystick) = SDL_JoystickClose;
    int (*NumAxes)(SDL_Joystick* pJoystick) = SDL_JoystickNumAxes;
    Sint16 (*GetAxis)(SDL_Joystick* pJoystick, int axis) = SDL_JoystickGetAxis;
    Uint8 (*GetHat)(SDL_Joystick* pJoystick, int hat) = SDL_JoystickGetHat;
};

// The engine's single source of keyboard and joystick state. Samples the keyboard once per frame
// so that a held key can be told from one pressed since the previous frame, and turns presses
// into typed text while the script console is open.
class InputManager
{
public:
    InputManager() = default;
    ~InputManager();
    InputManager(const InputManager&) = delete;
    InputManager& operator=(const InputManager&) = delete;

    void Init();      // after the script host: the key map is read from the scripts' config
    void Cleanup();
    void Update();    // once per frame, after the frame has been drawn

    // A keyboard key is down while held at the latest snapshot, and triggered when it went down
    // between the two latest snapshots. A press seen as an event since the snapshot before counts
    // as well, so a key pressed and released between two frames is down and triggered for one.
    bool IsKeyDown(uint32_t id);        // any key id; unknown ids are up
    bool IsKeyTriggered(uint32_t id);
    void HandleJoyStickEvent(SDL_Event& event);   // the main loop's joystick-button events
    void HandleKeyEvent(const SDL_Event& event);  // the main loop's key events; only presses count
    // Whether `key` went down, with one of `modifiers` held by its event's own account, in the
    // main loop's drain before this frame's Update and stayed down. The scripts saw that press in
    // the live array before the snapshot; a check made after Update would never see it trigger.
    bool DrainedPressWith(uint32_t key, int modifiers) const;

    const uint32_t* GetCurrentKeyMap() const { return m_KeyMap.data(); }   // nine entries

    // Steps of Update, after the snapshot and the event pump.
    void UpdateTypedInput();
    void UpdateJoysticks();

    // Key map, names and the controls configuration.
    bool LoadConfigFile();                            // always true
    void LoadDefaultControls();
    bool Bind(uint32_t key, uint32_t button);         // false, changing nothing, when refused
    bool CheckKeyAvailability(uint32_t key) const;    // bound to no logical button
    uint32_t KeymapStringToInt(std::string_view name) const { return LogicalButtonFromName(name); }
    uint32_t KeynameStringToInt(std::string_view name) const { return KeyIdFromName(name); }
    std::string KeyIDToName(uint32_t id) const { return ReadableKeyName(id); }

    // Typed text, for the script console. While typing, Update turns this frame's presses into
    // text; otherwise it polls the joystick instead.
    void StartTyping() { m_TypedInputEnabled = true; }
    void StopTyping() { m_TypedInputEnabled = false; }
    bool IsTyping() const { return m_TypedInputEnabled; }
    const std::string& TypedText() const { return m_TypedText; }
    void SetTypedText(std::string text) { m_TypedText = std::move(text); }
    std::string TakeTypedText() { return std::exchange(m_TypedText, std::string()); }

    void SetJoystickDriver(const sJoystickDriver& driver) { m_JoystickDriver = driver; }

private:
    static constexpr int NUM_AXES = 6;

    struct sKeyPress
    {
        uint32_t key;
        SDLMod modifiers;        // held when it went down
        bool markedUp = false;   // reads as up: typed as a shifted symbol, or already seen in the live array
        bool drained = false;    // came by the drain and was still down at the snapshot
    };

    void TakeQueuedKeyPresses();
    const sKeyPress* FindPress(uint32_t key) const;
    bool Pressed(uint32_t key) const;   // this frame, and not marked up since
    void TypePress(sKeyPress& press);
    bool KeyboardDown(uint32_t key) const;
    bool KeyboardTriggered(uint32_t key) const;
    bool AxisDown(uint32_t id) const;
    bool HatDown(uint32_t id) const;
    bool JoyButtonPressed(uint32_t id) const;
    void EraseLastTypedCharacter();

    bool m_Initialised = false;
    int m_NumKeys = 0;
    int m_NumJoysticks = 0;
    Uint8* m_pKeyState = nullptr;              // SDL's live array, not owned
    std::unique_ptr<Uint8[]> m_pPrevKeyState;  // m_NumKeys bytes: the live array at the last Update
    int m_BackspaceDelay = 0;                  // frames until a held backspace erases again
    std::vector<uint32_t> m_JoyButtonsPressed; // since the last joystick poll, in arrival order
    std::vector<sKeyPress> m_KeyPresses;       // this frame's: seen by the Update before and this one
    std::vector<sKeyPress> m_NewKeyPresses;    // seen since this frame's Update, for the next
    std::array<uint32_t, SC_NUM_LOGICAL_BUTTONS> m_KeyMap{};
    SDL_Joystick* m_pJoystick = nullptr;
    std::array<int, NUM_AXES> m_Axes{};       // after the dead zone
    std::array<int, NUM_AXES> m_PrevAxes{};
    Uint8 m_Hat = 0;                           // SDL_HAT_UP 1, RIGHT 2, DOWN 4, LEFT 8
    Uint8 m_PrevHat = 0;
    sJoystickDriver m_JoystickDriver;
    std::string m_TypedText;
    bool m_TypedInputEnabled = true;
};

extern InputManager g_Input;
