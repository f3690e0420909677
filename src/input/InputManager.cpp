#include "input/InputManager.h"

#include <Python.h>
#include <algorithm>
#include <cstring>

#include "core/ScriptCore.h"

InputManager g_Input;

namespace {

constexpr uint32_t FIRST_NON_KEYBOARD_ID = SC_JOYSTICK_BUTTON_FIRST;
constexpr uint32_t LAST_JOYSTICK_BUTTON_ID = SC_JOYSTICK_AXIS_FIRST - 1;
constexpr uint32_t LAST_AXIS_ID = SC_JOYSTICK_HAT_FIRST - 1;
constexpr int DEAD_ZONE = 9999;   // readings of this magnitude or less count as at rest

// A configuration without an entry gives right ctrl for the inventory; "Defaults" gives left ctrl.
constexpr uint32_t KEY_MAP_WHEN_MISSING[SC_NUM_LOGICAL_BUTTONS] = {
    SDLK_RETURN, SDLK_BACKSPACE, SDLK_RCTRL, SDLK_TAB, SDLK_ESCAPE,
    SDLK_UP,     SDLK_DOWN,      SDLK_LEFT,  SDLK_RIGHT,
};
constexpr uint32_t DEFAULT_KEY_MAP[SC_NUM_LOGICAL_BUTTONS] = {
    SDLK_RETURN, SDLK_BACKSPACE, SDLK_LCTRL, SDLK_TAB, SDLK_ESCAPE,
    SDLK_UP,     SDLK_DOWN,      SDLK_LEFT,  SDLK_RIGHT,
};

constexpr int BACKSPACE_FIRST_REPEAT_FRAMES = 250;
constexpr int BACKSPACE_REPEAT_FRAMES = 20;

// What shift makes of the symbol keys on a US keyboard; 0 where it types nothing.
char ShiftedCharacter(uint32_t key)
{
    switch (key) {
    case '\'': return '"';
    case ',': return '<';
    case '-': return '_';
    case '.': return '>';
    case '/': return '?';
    case '0': return ')';
    case '1': return '!';
    case '2': return '@';
    case '3': return '#';
    case '4': return '$';
    case '5': return '%';
    case '6': return '^';
    case '7': return '&';
    case '8': return '*';
    case '9': return '(';
    case ';': return ':';
    case '=': return '+';
    case '[': return '{';
    case '\\': return '|';
    case ']': return '}';
    case '`': return '~';
    default: return 0;
    }
}

// Writing the configuration runs script code, which must not start with an error pending; the
// error is kept and restored afterwards, so it is still reported by the script host.
void SetCfgIntKeepingError(const char* name, uint32_t value)
{
    PyObject *type = nullptr, *error = nullptr, *traceback = nullptr;
    bool pending = Py_IsInitialized() && PyErr_Occurred();
    if (pending)
        PyErr_Fetch(&type, &error, &traceback);
    g_ScriptCore.SetCfgInt(name, int(value));
    if (pending) {
        // A failure of the write itself is dropped: the first error is the one worth reading.
        PyErr_Clear();
        PyErr_Restore(type, error, traceback);
    }
}

} // namespace

InputManager::~InputManager()
{
    if (m_Initialised)
        Cleanup();
}

void InputManager::Init()
{
    if (m_Initialised)
        Cleanup();

    LoadConfigFile();

    m_pKeyState = SDL_GetKeyState(&m_NumKeys);
    if (m_pKeyState && m_NumKeys > 0) {
        m_pPrevKeyState = std::make_unique<Uint8[]>(size_t(m_NumKeys));   // zero-filled
    } else {
        m_pKeyState = nullptr;
        m_NumKeys = 0;
    }

    m_NumJoysticks = m_JoystickDriver.NumJoysticks();
    if (m_NumJoysticks > 0) {
        SDL_JoystickEventState(SDL_ENABLE);
        m_pJoystick = m_JoystickDriver.Open(0);
    }
    m_Initialised = true;
}

void InputManager::Cleanup()
{
    m_pPrevKeyState.reset();
    // SDL is quit right after this; its key-state array must not be read again through us.
    m_pKeyState = nullptr;
    m_NumKeys = 0;
    if (m_pJoystick)
        m_JoystickDriver.Close(m_pJoystick);
    m_pJoystick = nullptr;
    // A closed joystick has nothing held: a later Init without one must not see old readings.
    m_JoyButtonsPressed.clear();
    m_KeyPresses.clear();
    m_NewKeyPresses.clear();
    m_Axes.fill(0);
    m_PrevAxes.fill(0);
    m_Hat = m_PrevHat = 0;
    m_Initialised = false;
}

void InputManager::Update()
{
    if (!m_Initialised)
        return;
    if (m_pKeyState)
        std::memcpy(m_pPrevKeyState.get(), m_pKeyState, size_t(m_NumKeys));
    SDL_PumpEvents();
    TakeQueuedKeyPresses();
    m_KeyPresses.swap(m_NewKeyPresses);
    m_NewKeyPresses.clear();
    // A key the main loop's drain saw go down and that is still down was already seen rising in
    // the live array by the frame after the drain; it types, but must not trigger a second time.
    for (sKeyPress& press : m_KeyPresses)
        if (m_pPrevKeyState[press.key])
            press.markedUp = press.drained = true;
    if (m_TypedInputEnabled)
        UpdateTypedInput();
    else
        UpdateJoysticks();
}

// The snapshot alone misses a key that went down and up between two frames, as a fast typist's
// keys do on a slow frame; SDL's queue still holds its key-down event. The presses pumped here
// are taken from the queue, those pumped while the main loop drains it come by HandleKeyEvent.
void InputManager::TakeQueuedKeyPresses()
{
    SDL_Event events[64];
    int count = 0;
    while ((count = SDL_PeepEvents(events, 64, SDL_GETEVENT, SDL_KEYDOWNMASK)) > 0)
        for (int i = 0; i < count; ++i)
            HandleKeyEvent(events[i]);
}

void InputManager::HandleKeyEvent(const SDL_Event& event)
{
    // A frame's presses are what a hand can do between two frames; more is a flood, not typing.
    constexpr size_t maxPressesPerFrame = 256;
    if (event.type != SDL_KEYDOWN || !m_pKeyState || uint32_t(event.key.keysym.sym) >= uint32_t(m_NumKeys) ||
        m_NewKeyPresses.size() >= maxPressesPerFrame)
        return;
    m_NewKeyPresses.push_back({uint32_t(event.key.keysym.sym), event.key.keysym.mod});
}

bool InputManager::DrainedPressWith(uint32_t key, int modifiers) const
{
    for (const sKeyPress& press : m_KeyPresses)
        if (press.key == key && press.drained && (press.modifiers & modifiers) != 0)
            return true;
    return false;
}

const InputManager::sKeyPress* InputManager::FindPress(uint32_t key) const
{
    for (const sKeyPress& press : m_KeyPresses)
        if (press.key == key)
            return &press;
    return nullptr;
}

bool InputManager::Pressed(uint32_t key) const
{
    for (const sKeyPress& press : m_KeyPresses)
        if (press.key == key && !press.markedUp)
            return true;
    return false;
}

bool InputManager::KeyboardDown(uint32_t key) const
{
    return m_pKeyState && key < uint32_t(m_NumKeys) && (m_pKeyState[key] != 0 || Pressed(key));
}

bool InputManager::KeyboardTriggered(uint32_t key) const
{
    if (!m_pKeyState || key >= uint32_t(m_NumKeys))
        return false;
    return (m_pKeyState[key] != 0 && m_pPrevKeyState && m_pPrevKeyState[key] == 0) || Pressed(key);
}

bool InputManager::JoyButtonPressed(uint32_t id) const
{
    uint32_t button = id - SC_JOYSTICK_BUTTON_FIRST;
    return std::find(m_JoyButtonsPressed.begin(), m_JoyButtonsPressed.end(), button)
           != m_JoyButtonsPressed.end();
}

bool InputManager::AxisDown(uint32_t id) const
{
    uint32_t offset = id - SC_JOYSTICK_AXIS_FIRST;
    int reading = m_Axes[offset / 2];
    return offset % 2 == 0 ? reading < 0 : reading > 0;
}

namespace {

Uint8 HatBit(uint32_t id)
{
    constexpr Uint8 bits[] = {SDL_HAT_UP, SDL_HAT_DOWN, SDL_HAT_LEFT, SDL_HAT_RIGHT};
    return bits[id - SC_JOYSTICK_HAT_FIRST];
}

} // namespace

bool InputManager::HatDown(uint32_t id) const
{
    return (m_Hat & HatBit(id)) != 0;
}

bool InputManager::IsKeyDown(uint32_t id)
{
    if (id >= SC_BUTTON_ACTION) {
        if (id > SC_AXIS_RIGHT)
            return false;
        uint32_t bound = m_KeyMap[id - SC_BUTTON_ACTION];
        // One level only: a key map entry that names a logical button binds to nothing.
        return bound < SC_BUTTON_ACTION && IsKeyDown(bound);
    }
    if (id < FIRST_NON_KEYBOARD_ID)
        return KeyboardDown(id);
    if (id <= LAST_JOYSTICK_BUTTON_ID)
        return JoyButtonPressed(id);
    if (id <= LAST_AXIS_ID)
        return AxisDown(id);
    if (id <= SC_JOYSTICK_HAT_LAST)
        return HatDown(id);
    return false;
}

bool InputManager::IsKeyTriggered(uint32_t id)
{
    if (id >= SC_BUTTON_ACTION) {
        if (id > SC_AXIS_RIGHT)
            return false;
        uint32_t bound = m_KeyMap[id - SC_BUTTON_ACTION];
        return bound < SC_BUTTON_ACTION && IsKeyTriggered(bound);
    }
    if (id < FIRST_NON_KEYBOARD_ID)
        return KeyboardTriggered(id);
    if (id <= LAST_JOYSTICK_BUTTON_ID)
        return JoyButtonPressed(id);
    if (id <= LAST_AXIS_ID)
        return AxisDown(id) && m_PrevAxes[(id - SC_JOYSTICK_AXIS_FIRST) / 2] == 0;
    if (id <= SC_JOYSTICK_HAT_LAST)
        return HatDown(id) && (m_PrevHat & HatBit(id)) == 0;
    return false;
}

void InputManager::HandleJoyStickEvent(SDL_Event& event)
{
    // Without an open joystick no poll ever empties the list: a press would read as held forever.
    if (event.type == SDL_JOYBUTTONDOWN && m_pJoystick)
        m_JoyButtonsPressed.push_back(event.jbutton.button);
}

void InputManager::UpdateJoysticks()
{
    if (!m_pJoystick)
        return;
    int numAxes = std::min(m_JoystickDriver.NumAxes(m_pJoystick), NUM_AXES);
    for (int axis = 0; axis < numAxes; ++axis) {
        m_PrevAxes[axis] = m_Axes[axis];
        int reading = m_JoystickDriver.GetAxis(m_pJoystick, axis);
        m_Axes[axis] = (reading >= -DEAD_ZONE && reading <= DEAD_ZONE) ? 0 : reading;
    }
    m_JoyButtonsPressed.clear();
    m_PrevHat = m_Hat;
    m_Hat = m_JoystickDriver.GetHat(m_pJoystick, 0);
}

void InputManager::EraseLastTypedCharacter()
{
    if (!m_TypedText.empty())
        m_TypedText.pop_back();
}

namespace {

bool IsSymbolKey(uint32_t key)
{
    return (key >= '!' && key <= '@') || (key >= '[' && key <= '`');
}

char KeypadCharacter(uint32_t key)
{
    if (key >= SDLK_KP0 && key <= SDLK_KP9)
        return char('0' + (key - SDLK_KP0));
    switch (key) {
    case SDLK_KP_PERIOD: return '.';
    case SDLK_KP_DIVIDE: return '/';
    case SDLK_KP_MULTIPLY: return '*';
    case SDLK_KP_MINUS: return '-';
    case SDLK_KP_PLUS: return '+';
    case SDLK_KP_EQUALS: return '=';
    default: return 0;
    }
}

} // namespace

// A press seen as an event types in the order it came, with the shift state it came with.
void InputManager::TypePress(sKeyPress& press)
{
    const uint32_t key = press.key;
    const bool shift = (press.modifiers & KMOD_SHIFT) != 0;
    if (key == SDLK_SPACE) {
        m_TypedText += ' ';
    } else if (key == SDLK_BACKSPACE) {
        m_BackspaceDelay = BACKSPACE_FIRST_REPEAT_FRAMES;
        EraseLastTypedCharacter();
    } else if (IsSymbolKey(key)) {
        if (!shift) {
            m_TypedText += char(key);
        } else if (char shifted = ShiftedCharacter(key)) {
            // As for a held key below: it reads as up until it is pressed anew.
            m_TypedText += shifted;
            m_pKeyState[key] = 0;
            press.markedUp = true;
        }
    } else if (key >= SDLK_a && key <= SDLK_z) {
        m_TypedText += char(shift ? key - 32 : key);
    } else if (char typed = KeypadCharacter(key)) {
        m_TypedText += typed;
    }
}

void InputManager::UpdateTypedInput()
{
    bool shift = false;
    if (m_BackspaceDelay > 0)
        --m_BackspaceDelay;

    // Keys whose presses came as events type from those; the snapshot types the others, which
    // reach the key-state array without an event.
    for (sKeyPress& press : m_KeyPresses)
        TypePress(press);
    auto snapshotTriggered = [this](uint32_t key) {
        return !FindPress(key) && m_pKeyState && key < uint32_t(m_NumKeys) && m_pKeyState[key] != 0 &&
               m_pPrevKeyState[key] == 0;
    };

    if (snapshotTriggered(SDLK_SPACE))
        m_TypedText += ' ';
    shift = KeyboardDown(SDLK_LSHIFT) || KeyboardDown(SDLK_RSHIFT);

    if (snapshotTriggered(SDLK_BACKSPACE)) {
        m_BackspaceDelay = BACKSPACE_FIRST_REPEAT_FRAMES;
        EraseLastTypedCharacter();
    }
    if (m_BackspaceDelay <= 0 && KeyboardDown(SDLK_BACKSPACE)) {
        m_BackspaceDelay = BACKSPACE_REPEAT_FRAMES;
        EraseLastTypedCharacter();
    }

    auto typeSymbol = [this, &shift, &snapshotTriggered](uint32_t key) {
        if (!snapshotTriggered(key))
            return;
        if (!shift) {
            m_TypedText += char(key);
            return;
        }
        // The key is marked up so that it neither reads as held nor types again until it is
        // pressed anew; shift then applies to this one key only.
        m_pKeyState[key] = 0;
        shift = false;
        if (char shifted = ShiftedCharacter(key)) {
            m_TypedText += shifted;
        } else {
            m_pKeyState[key] = 1;
            shift = true;
        }
    };
    for (uint32_t key = '!'; key <= '@'; ++key)
        typeSymbol(key);
    for (uint32_t key = '['; key <= '`'; ++key)
        typeSymbol(key);

    for (uint32_t key = SDLK_a; key <= SDLK_z; ++key)
        if (snapshotTriggered(key))
            m_TypedText += char(shift ? key - 32 : key);

    for (uint32_t key = SDLK_KP0; key <= SDLK_KP_EQUALS; ++key)
        if (char typed = KeypadCharacter(key); typed && snapshotTriggered(key))
            m_TypedText += typed;
}

bool InputManager::LoadConfigFile()
{
    for (int i = 0; i < SC_NUM_LOGICAL_BUTTONS; ++i) {
        const char* name = LogicalButtonName(SC_BUTTON_ACTION + uint32_t(i));
        // Taken as it is: a value that is no key id binds the button to nothing.
        uint32_t key = uint32_t(g_ScriptCore.GetCfgInt(name, int(KEY_MAP_WHEN_MISSING[i])));
        SetCfgIntKeepingError(name, key);
        m_KeyMap[i] = key;
    }
    return true;
}

void InputManager::LoadDefaultControls()
{
    for (int i = 0; i < SC_NUM_LOGICAL_BUTTONS; ++i) {
        m_KeyMap[i] = DEFAULT_KEY_MAP[i];
        SetCfgIntKeepingError(LogicalButtonName(SC_BUTTON_ACTION + uint32_t(i)), m_KeyMap[i]);
    }
}

bool InputManager::CheckKeyAvailability(uint32_t key) const
{
    return std::find(m_KeyMap.begin(), m_KeyMap.end(), key) == m_KeyMap.end();
}

bool InputManager::Bind(uint32_t key, uint32_t button)
{
    if (!CheckKeyAvailability(key))
        return false;
    const char* name = LogicalButtonName(button);
    if (!name)
        return false;
    m_KeyMap[button - SC_BUTTON_ACTION] = key;
    SetCfgIntKeepingError(name, key);
    return true;
}
