#include "panel/KeyMap.h"

#include "panel/SensorSimulation.h"

namespace kv410 {

namespace {

struct NamedKey {
    std::string_view name;
    PanelKey key;
};
constexpr NamedKey NamedKeys[] = {
    {"ArrowLeft", PanelKey::Left}, {"ArrowRight", PanelKey::Right}, {"ArrowUp", PanelKey::Up},
    {"ArrowDown", PanelKey::Down}, {"Escape", PanelKey::Escape},    {"Enter", PanelKey::Enter},
};

// The keys that hold a focused key under the display, as they press a button of a page.
bool holdsButton(std::string_view name) {
    return name == " " || name == "Enter";
}

bool isArrow(PanelKey key) {
    return key == PanelKey::Left || key == PanelKey::Right || key == PanelKey::Up ||
           key == PanelKey::Down;
}

// The characters the key-press handler acts on; any other only wakes the display.
bool countsAsCharacter(char c) {
    return c == EscapeChar || c == EnterChar || c == '1' || c == '+' || c == '-' || c == '*' ||
           c == '/';
}

// The one code point of a UTF-8 name, or -1 when the name is not exactly one.
long singleCodePoint(std::string_view name) {
    if (name.empty()) {
        return -1;
    }
    const auto lead = static_cast<unsigned char>(name[0]);
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (name.size() != length) {
        return -1;
    }
    long code = length == 1 ? lead : lead & (0x3F >> (length - 1));
    for (size_t i = 1; i < length; ++i) {
        code = code << 6 | (static_cast<unsigned char>(name[i]) & 0x3F);
    }
    return code;
}

constexpr std::string_view ModifierKeys[] = {
    "Shift",    "Control", "Alt",    "AltGraph", "Meta",       "Super",  "Hyper",     "OS",
    "CapsLock", "Fn",      "FnLock", "NumLock",  "ScrollLock", "Symbol", "SymbolLock"};

} // namespace

bool modifierKeyNamed(std::string_view name) {
    for (const std::string_view modifier : ModifierKeys) {
        if (modifier == name) {
            return true;
        }
    }
    return false;
}

PanelKey panelKeyNamed(std::string_view name) {
    for (const NamedKey& named : NamedKeys) {
        if (named.name == name) {
            return named.key;
        }
    }
    return PanelKey::Other;
}

char typedCharacter(const HostKey& key) {
    if (key.name == "Escape") {
        return EscapeChar;
    }
    if (key.name == "Enter") {
        return EnterChar;
    }
    const long code = singleCodePoint(key.name);
    if (code < 0 || key.control) {
        return 0;
    }
    return code < 256 ? static_cast<char>(code) : '?';
}

KeyAnswer mapKeyDown(const HostKey& key, const KeyFocus& focus) {
    KeyAnswer answer;
    if (key.modifier) {
        return answer;
    }
    if (key.name == "F2") {
        answer.togglePanels = !key.repeat;
        answer.swallowed = true;
        return answer;
    }
    if (focus.onButton && holdsButton(key.name)) {
        answer.action = key.repeat ? KeyAction::None : KeyAction::PressButton;
        answer.button = focus.button;
        answer.swallowed = true;
        return answer;
    }
    const PanelKey panelKey = panelKeyNamed(key.name);
    const char character = typedCharacter(key);
    answer.action = KeyAction::Stroke;
    answer.stroke = {panelKey, key.shift && isArrow(panelKey),
                     countsAsCharacter(character) ? character : char{0}};
    if (focus.slider >= 1 && focus.slider <= 11) {
        answer.swallowed = answer.swallowed || TrackBar1KeyDown(panelKey);
        const int page = key.name == "PageUp"     ? SliderPageSize
                         : key.name == "PageDown" ? -SliderPageSize
                                                  : 0;
        if (page != 0) {
            answer.swallowed = true;
            const int now = SliderPositions[focus.slider - 1];
            const int next = now + page < SliderMin   ? SliderMin
                             : now + page > SliderMax ? SliderMax
                                                      : now + page;
            if (next != now) {
                answer.slider = focus.slider;
                answer.sliderPosition = next;
            }
        }
    }
    return answer;
}

KeyAnswer mapKeyUp(const HostKey& key, const KeyFocus& focus) {
    KeyAnswer answer;
    if (focus.onButton && holdsButton(key.name)) {
        answer.action = key.repeat ? KeyAction::None : KeyAction::ReleaseButton;
        answer.button = focus.button;
        answer.swallowed = true;
        return answer;
    }
    if (key.repeat || key.modifier || key.name == "F2") {
        return answer;
    }
    const PanelKey panelKey = panelKeyNamed(key.name);
    answer.action = KeyAction::Release;
    answer.stroke = {panelKey, key.shift && isArrow(panelKey), 0};
    return answer;
}

} // namespace kv410
