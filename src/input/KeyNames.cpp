#include "input/KeyNames.h"

#include <SDL/SDL_keysym.h>
#include <array>

namespace {

struct sNamedKey
{
    std::string_view name;
    uint32_t id;
};

#define BW_SDL_KEY(symbol) sNamedKey{#symbol, symbol}

// Exactly the names scripts may use. SDL's SDLK_CARET, SDLK_COMPOSE, SDLK_UNDO and the
// SDLK_WORLD_ names are left out on purpose: scripts written for the engine never had them.
constexpr sNamedKey KEY_NAMES[] = {
    BW_SDL_KEY(SDLK_a), BW_SDL_KEY(SDLK_b), BW_SDL_KEY(SDLK_c), BW_SDL_KEY(SDLK_d),
    BW_SDL_KEY(SDLK_e), BW_SDL_KEY(SDLK_f), BW_SDL_KEY(SDLK_g), BW_SDL_KEY(SDLK_h),
    BW_SDL_KEY(SDLK_i), BW_SDL_KEY(SDLK_j), BW_SDL_KEY(SDLK_k), BW_SDL_KEY(SDLK_l),
    BW_SDL_KEY(SDLK_m), BW_SDL_KEY(SDLK_n), BW_SDL_KEY(SDLK_o), BW_SDL_KEY(SDLK_p),
    BW_SDL_KEY(SDLK_q), BW_SDL_KEY(SDLK_r), BW_SDL_KEY(SDLK_s), BW_SDL_KEY(SDLK_t),
    BW_SDL_KEY(SDLK_u), BW_SDL_KEY(SDLK_v), BW_SDL_KEY(SDLK_w), BW_SDL_KEY(SDLK_x),
    BW_SDL_KEY(SDLK_y), BW_SDL_KEY(SDLK_z),
    BW_SDL_KEY(SDLK_0), BW_SDL_KEY(SDLK_1), BW_SDL_KEY(SDLK_2), BW_SDL_KEY(SDLK_3),
    BW_SDL_KEY(SDLK_4), BW_SDL_KEY(SDLK_5), BW_SDL_KEY(SDLK_6), BW_SDL_KEY(SDLK_7),
    BW_SDL_KEY(SDLK_8), BW_SDL_KEY(SDLK_9),
    BW_SDL_KEY(SDLK_BACKSPACE), BW_SDL_KEY(SDLK_TAB), BW_SDL_KEY(SDLK_CLEAR),
    BW_SDL_KEY(SDLK_RETURN), BW_SDL_KEY(SDLK_PAUSE), BW_SDL_KEY(SDLK_ESCAPE),
    BW_SDL_KEY(SDLK_SPACE), BW_SDL_KEY(SDLK_EXCLAIM), BW_SDL_KEY(SDLK_QUOTEDBL),
    BW_SDL_KEY(SDLK_HASH), BW_SDL_KEY(SDLK_DOLLAR), BW_SDL_KEY(SDLK_AMPERSAND),
    BW_SDL_KEY(SDLK_QUOTE), BW_SDL_KEY(SDLK_LEFTPAREN), BW_SDL_KEY(SDLK_RIGHTPAREN),
    BW_SDL_KEY(SDLK_ASTERISK), BW_SDL_KEY(SDLK_PLUS), BW_SDL_KEY(SDLK_COMMA),
    BW_SDL_KEY(SDLK_MINUS), BW_SDL_KEY(SDLK_PERIOD), BW_SDL_KEY(SDLK_SLASH),
    BW_SDL_KEY(SDLK_COLON), BW_SDL_KEY(SDLK_SEMICOLON), BW_SDL_KEY(SDLK_LESS),
    BW_SDL_KEY(SDLK_EQUALS), BW_SDL_KEY(SDLK_GREATER), BW_SDL_KEY(SDLK_QUESTION),
    BW_SDL_KEY(SDLK_AT), BW_SDL_KEY(SDLK_LEFTBRACKET), BW_SDL_KEY(SDLK_BACKSLASH),
    BW_SDL_KEY(SDLK_RIGHTBRACKET), BW_SDL_KEY(SDLK_UNDERSCORE), BW_SDL_KEY(SDLK_BACKQUOTE),
    BW_SDL_KEY(SDLK_DELETE),
    BW_SDL_KEY(SDLK_KP0), BW_SDL_KEY(SDLK_KP1), BW_SDL_KEY(SDLK_KP2), BW_SDL_KEY(SDLK_KP3),
    BW_SDL_KEY(SDLK_KP4), BW_SDL_KEY(SDLK_KP5), BW_SDL_KEY(SDLK_KP6), BW_SDL_KEY(SDLK_KP7),
    BW_SDL_KEY(SDLK_KP8), BW_SDL_KEY(SDLK_KP9),
    BW_SDL_KEY(SDLK_KP_PERIOD), BW_SDL_KEY(SDLK_KP_DIVIDE), BW_SDL_KEY(SDLK_KP_MULTIPLY),
    BW_SDL_KEY(SDLK_KP_MINUS), BW_SDL_KEY(SDLK_KP_PLUS), BW_SDL_KEY(SDLK_KP_ENTER),
    BW_SDL_KEY(SDLK_KP_EQUALS),
    BW_SDL_KEY(SDLK_UP), BW_SDL_KEY(SDLK_DOWN), BW_SDL_KEY(SDLK_RIGHT), BW_SDL_KEY(SDLK_LEFT),
    BW_SDL_KEY(SDLK_INSERT), BW_SDL_KEY(SDLK_HOME), BW_SDL_KEY(SDLK_END),
    BW_SDL_KEY(SDLK_PAGEUP), BW_SDL_KEY(SDLK_PAGEDOWN),
    BW_SDL_KEY(SDLK_F1), BW_SDL_KEY(SDLK_F2), BW_SDL_KEY(SDLK_F3), BW_SDL_KEY(SDLK_F4),
    BW_SDL_KEY(SDLK_F5), BW_SDL_KEY(SDLK_F6), BW_SDL_KEY(SDLK_F7), BW_SDL_KEY(SDLK_F8),
    BW_SDL_KEY(SDLK_F9), BW_SDL_KEY(SDLK_F10), BW_SDL_KEY(SDLK_F11), BW_SDL_KEY(SDLK_F12),
    BW_SDL_KEY(SDLK_F13), BW_SDL_KEY(SDLK_F14), BW_SDL_KEY(SDLK_F15),
    BW_SDL_KEY(SDLK_NUMLOCK), BW_SDL_KEY(SDLK_CAPSLOCK), BW_SDL_KEY(SDLK_SCROLLOCK),
    BW_SDL_KEY(SDLK_RSHIFT), BW_SDL_KEY(SDLK_LSHIFT), BW_SDL_KEY(SDLK_RCTRL),
    BW_SDL_KEY(SDLK_LCTRL), BW_SDL_KEY(SDLK_RALT), BW_SDL_KEY(SDLK_LALT),
    BW_SDL_KEY(SDLK_RMETA), BW_SDL_KEY(SDLK_LMETA), BW_SDL_KEY(SDLK_LSUPER),
    BW_SDL_KEY(SDLK_RSUPER), BW_SDL_KEY(SDLK_MODE), BW_SDL_KEY(SDLK_HELP),
    BW_SDL_KEY(SDLK_PRINT), BW_SDL_KEY(SDLK_SYSREQ), BW_SDL_KEY(SDLK_BREAK),
    BW_SDL_KEY(SDLK_MENU), BW_SDL_KEY(SDLK_POWER), BW_SDL_KEY(SDLK_EURO),

    {"SC_JOYSTICK_BUTTON0", 420}, {"SC_JOYSTICK_BUTTON1", 421}, {"SC_JOYSTICK_BUTTON2", 422},
    {"SC_JOYSTICK_BUTTON3", 423}, {"SC_JOYSTICK_BUTTON4", 424}, {"SC_JOYSTICK_BUTTON5", 425},
    {"SC_JOYSTICK_BUTTON6", 426}, {"SC_JOYSTICK_BUTTON7", 427}, {"SC_JOYSTICK_BUTTON8", 428},
    {"SC_JOYSTICK_BUTTON9", 429}, {"SC_JOYSTICK_BUTTON10", 430}, {"SC_JOYSTICK_BUTTON11", 431},
    {"SC_JOYSTICK_BUTTON12", 432}, {"SC_JOYSTICK_BUTTON13", 433}, {"SC_JOYSTICK_BUTTON14", 434},
    // Axes 3 to 6 count from 1: they are the joystick's axes 2 to 5.
    {"SC_JOYSTICK_AXIS_LEFT", 435}, {"SC_JOYSTICK_AXIS_RIGHT", 436},
    {"SC_JOYSTICK_AXIS_UP", 437}, {"SC_JOYSTICK_AXIS_DOWN", 438},
    {"SC_JOYSTICK_AXIS_3-", 439}, {"SC_JOYSTICK_AXIS_3+", 440},
    {"SC_JOYSTICK_AXIS_4-", 441}, {"SC_JOYSTICK_AXIS_4+", 442},
    {"SC_JOYSTICK_AXIS_5-", 443}, {"SC_JOYSTICK_AXIS_5+", 444},
    {"SC_JOYSTICK_AXIS_6-", 445}, {"SC_JOYSTICK_AXIS_6+", 446},
    {"SC_JOYSTICK_HAT_UP", 447}, {"SC_JOYSTICK_HAT_DOWN", 448},
    {"SC_JOYSTICK_HAT_LEFT", 449}, {"SC_JOYSTICK_HAT_RIGHT", 450},
};

#undef BW_SDL_KEY

static_assert(std::size(KEY_NAMES) == NUM_KEY_NAMES);

constexpr uint32_t HashName(std::string_view name)
{
    uint32_t hash = 2166136261u;   // FNV-1a: a few operations per character, and spreads these names well
    for (char c : name)
        hash = (hash ^ uint8_t(c)) * 16777619u;
    return hash;
}

// An open-addressing hash table filled when the program is compiled: a lookup hashes the name
// once and compares it with the one or two entries in its slot's run.
constexpr size_t KEY_TABLE_SIZE = 512;   // a power of two, about a third full
constexpr size_t KEY_TABLE_MASK = KEY_TABLE_SIZE - 1;

constexpr auto KEY_TABLE = [] {
    std::array<sNamedKey, KEY_TABLE_SIZE> slots{};   // an empty name marks a free slot
    for (const sNamedKey& key : KEY_NAMES) {
        size_t slot = HashName(key.name) & KEY_TABLE_MASK;
        while (!slots[slot].name.empty()) {
            if (slots[slot].name == key.name)
                throw "a key name appears twice";   // stops the compilation
            slot = (slot + 1) & KEY_TABLE_MASK;
        }
        slots[slot] = key;
    }
    return slots;
}();

// In the order of the key map; the names are also the configuration keys.
constexpr std::string_view LOGICAL_BUTTON_NAMES[SC_NUM_LOGICAL_BUTTONS] = {
    "SC_BUTTON_ACTION", "SC_BUTTON_CANCEL", "SC_BUTTON_INVENTORY", "SC_BUTTON_SWITCH",
    "SC_BUTTON_MENU",   "SC_AXIS_UP",       "SC_AXIS_DOWN",        "SC_AXIS_LEFT",
    "SC_AXIS_RIGHT",
};

struct sReadableName
{
    uint32_t id;
    const char* name;
};

constexpr sReadableName READABLE_NAMES_BY_ID[] = {
    {8, "backspace"}, {9, "tab"}, {12, "clear"}, {13, "return"}, {19, "pause"}, {27, "escape"},
    {32, "space"},
    {33, "exclaim"}, {34, "quotedbl"}, {35, "hash"}, {36, "dollar"}, {38, "ampersand"},
    {39, "quote"},
    {40, "left parenthesis"}, {41, "right parenthesis"}, {42, "asterisk"}, {43, "plus sign"},
    {44, "comma"}, {45, "minus sign"}, {46, "period"}, {47, "forward slash"},
    {48, "0"}, {49, "1"}, {50, "2"}, {51, "3"}, {52, "4"}, {53, "5"}, {54, "6"}, {55, "7"},
    {56, "8"}, {57, "9"},
    {58, "colon"}, {59, "semicolon"}, {60, "less-than sign"}, {61, "equals sign"},
    {62, "greater-than sign"}, {63, "question mark"}, {64, "@"},
    {91, "left bracket"}, {92, "backslash"}, {93, "right bracket"}, {94, "caret"},
    {95, "underscore"}, {96, "grave"},
    {97, "a"}, {98, "b"}, {99, "c"}, {100, "d"}, {101, "e"}, {102, "f"}, {103, "g"}, {104, "h"},
    {105, "i"}, {106, "j"}, {107, "k"}, {108, "l"}, {109, "m"}, {110, "n"}, {111, "o"},
    {112, "p"}, {113, "q"}, {114, "r"}, {115, "s"}, {116, "t"}, {117, "u"}, {118, "v"},
    {119, "w"}, {120, "x"}, {121, "y"}, {122, "z"},
    {127, "delete"},
    {256, "keypad 0"}, {257, "keypad 1"}, {258, "keypad 2"}, {259, "keypad 3"},
    {260, "keypad 4"}, {261, "keypad 5"}, {262, "keypad 6"}, {263, "keypad 7"},
    {264, "keypad 8"}, {265, "keypad 9"},
    {266, "keypad period"}, {267, "keypad divide"}, {268, "keypad multiply"},
    {269, "keypad minus"}, {270, "keypad plus"}, {271, "keypad enter"}, {272, "keypad equals"},
    {273, "up arrow"}, {274, "down arrow"}, {275, "right arrow"}, {276, "left arrow"},
    {277, "insert"}, {278, "home"}, {279, "end"}, {280, "page up"}, {281, "page down"},
    {282, "F1"}, {283, "F2"}, {284, "F3"}, {285, "F4"}, {286, "F5"}, {287, "F6"}, {288, "F7"},
    {289, "F8"}, {290, "F9"}, {291, "F10"}, {292, "F11"}, {293, "F12"}, {294, "F13"},
    {295, "F14"}, {296, "F15"},
    {300, "numlock"}, {301, "capslock"}, {302, "scrollock"}, {303, "right shift"},
    {304, "left shift"}, {305, "right ctrl"}, {306, "left ctrl"}, {307, "right alt"},
    {308, "left alt"}, {309, "right command"}, {310, "left command"},
    {311, "left windows key"}, {312, "right windows key"}, {313, "mode shift"},
    {315, "help"}, {316, "print-screen"}, {317, "SysRq"}, {318, "break"}, {319, "menu"},
    {320, "power"}, {321, "euro"},
    {420, "joystick button 0"}, {421, "joystick button 1"}, {422, "joystick button 2"},
    {423, "joystick button 3"}, {424, "joystick button 4"}, {425, "joystick button 5"},
    {426, "joystick button 6"}, {427, "joystick button 7"}, {428, "joystick button 8"},
    {429, "joystick button 9"}, {430, "joystick button 10"}, {431, "joystick button 11"},
    {432, "joystick button 12"}, {433, "joystick button 13"}, {434, "joystick button 14"},
    {435, "joystick axis left"}, {436, "joystick axis right"}, {437, "joystick axis up"},
    {438, "joystick axis down"},
    {439, "joystick axis 3 -"}, {440, "joystick axis 3 +"}, {441, "joystick axis 4 -"},
    {442, "joystick axis 4 +"}, {443, "joystick axis 5 -"}, {444, "joystick axis 5 +"},
    {445, "joystick axis 6 -"}, {446, "joystick axis 6 +"},
    {447, "joystick hat up"}, {448, "joystick hat down"}, {449, "joystick hat left"},
    {450, "joystick hat right"},
};

// Indexed by key id, so naming a key is one array read.
constexpr auto READABLE_NAMES = [] {
    std::array<const char*, SC_JOYSTICK_HAT_LAST + 1> names{};
    for (const sReadableName& entry : READABLE_NAMES_BY_ID)
        names[entry.id] = entry.name;
    return names;
}();

} // namespace

uint32_t LogicalButtonFromName(std::string_view name)
{
    for (int i = 0; i < SC_NUM_LOGICAL_BUTTONS; ++i)
        if (LOGICAL_BUTTON_NAMES[i] == name)
            return SC_BUTTON_ACTION + uint32_t(i);
    return 0;
}

const char* LogicalButtonName(uint32_t button)
{
    if (button < SC_BUTTON_ACTION || button > SC_AXIS_RIGHT)
        return nullptr;
    return LOGICAL_BUTTON_NAMES[button - SC_BUTTON_ACTION].data();
}

uint32_t KeyIdFromName(std::string_view name)
{
    for (size_t slot = HashName(name) & KEY_TABLE_MASK; !KEY_TABLE[slot].name.empty();
         slot = (slot + 1) & KEY_TABLE_MASK) {
        if (KEY_TABLE[slot].name == name)
            return KEY_TABLE[slot].id;
    }
    return SC_INVALID_KEY;
}

std::string_view KeyNameAt(int index)
{
    if (index < 0 || index >= NUM_KEY_NAMES)
        return {};
    return KEY_NAMES[size_t(index)].name;
}

const char* ReadableKeyName(uint32_t id)
{
    if (id < READABLE_NAMES.size() && READABLE_NAMES[id])
        return READABLE_NAMES[id];
    return "Undefined Key";
}
