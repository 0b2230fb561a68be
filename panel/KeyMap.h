// The keyboard of every front-end, written once: which host key is which panel key, what Shift
// does, the character a key types, the slider keys, F2 for the side panels, the page keys of a
// focused slider, and a key held on a focused key under the display as a held button.
//
// A front-end names a key by the key values of the W3C UI Events ("ArrowLeft", "ArrowRight",
// "ArrowUp", "ArrowDown", "Escape", "Enter", "F2", "PageUp", "PageDown", "Tab", " ", or the
// character the key types, UTF-8: "+", "1", "a"), hands its key-down and key-up events to
// mapKeyDown and mapKeyUp and carries out the answer.
#pragma once

#include "panel/FrontPanel.h"

#include <string_view>

namespace kv410 {

// A key event of the host.
struct HostKey {
    // The key's name, as above; empty for a key that has none (Shift alone).
    std::string_view name;
    bool shift = false;
    // Control or Meta is held: a shortcut of the host, the key types no character.
    bool control = false;
    // The event is the key's auto-repeat.
    bool repeat = false;
    // The key is a modifier alone (Shift, Control, Alt, Meta, ...; see modifierKeyNamed): it
    // never reaches the unit, so Alt of Alt+F4 or a Shift pressed and let go wakes nothing.
    bool modifier = false;
};

// What has the keyboard focus when the key goes down or up.
struct KeyFocus {
    // The slider with the focus, 1..11; 0 for none.
    int slider = 0;
    // A key under the display has the focus (a page's focusable key), and which one.
    bool onButton = false;
    PanelButton button = PanelButton::Left;
};

// A stroke for the panel's key handlers: FormKeyDown(key, shift), then FormKeyPress(character)
// when the character is not 0. Shift is kept only where it counts (the arrow keys) and the
// character only where it counts (Esc, Enter and the slider keys), so equal strokes do the same.
struct KeyStroke {
    PanelKey key = PanelKey::Other;
    bool shift = false;
    char character = 0;
};

// What a front-end does with a key event.
enum class KeyAction : uint8_t {
    // Nothing reaches the unit (an auto-repeated release, a repeat on a held key).
    None,
    // Key-down: the stroke (FormKeyDown, then FormKeyPress).
    Stroke,
    // Key-up: FormKeyUp.
    Release,
    // The focused key under the display is pressed or released (pressPanelButton,
    // releasePanelButton), so a key held on it is a held button.
    PressButton,
    ReleaseButton
};

struct KeyAnswer {
    KeyAction action = KeyAction::None;
    // The stroke of Stroke; for Release the key that went up (its character 0).
    KeyStroke stroke;
    // The button of PressButton and ReleaseButton.
    PanelButton button = PanelButton::Left;
    // The focused element must not see the key (a slider's arrow and page keys, F2).
    bool swallowed = false;
    // Show or hide the side panels (F2). F2 is the window's own key, as the "Paneler" button is
    // its own button: it does not reach the unit (the action is None).
    bool togglePanels = false;
    // A focused slider moves to a new position (PageUp, PageDown by the page size); 0 for none.
    int slider = 0;
    int sliderPosition = 0;
};

// True for the name of a key that only modifies others (the W3C names "Shift", "Control",
// "Alt", "AltGraph", "Meta", "CapsLock", ...), for a front-end that knows its keys by name.
bool modifierKeyNamed(std::string_view name);
// The panel key a key name stands for: the arrows, Escape and Enter; every other key is Other.
PanelKey panelKeyNamed(std::string_view name);
// The character a key types, as the key-press handler receives it: EscapeChar, EnterChar, a
// one-character name as Latin-1 ('?' beyond it); 0 for a named key or a shortcut.
char typedCharacter(const HostKey& key);

// A key went down / up with the focus where it is.
KeyAnswer mapKeyDown(const HostKey& key, const KeyFocus& focus);
KeyAnswer mapKeyUp(const HostKey& key, const KeyFocus& focus);

} // namespace kv410
