#include "panel/KeyMap.h"
#include "ControllerFixture.h"
#include "panel/SensorSimulation.h"

namespace kv410 {
namespace {

class KeyMapTest : public ControllerTest {};

KeyAnswer down(std::string_view name, bool shift = false, KeyFocus focus = {}) {
    return mapKeyDown(HostKey{name, shift, false, false}, focus);
}

void expectStroke(const KeyAnswer& answer, PanelKey key, bool shift, char character,
                  std::string_view name) {
    ASSERT_EQ(answer.action, KeyAction::Stroke) << name;
    EXPECT_EQ(answer.stroke.key, key) << name;
    EXPECT_EQ(answer.stroke.shift, shift) << name;
    EXPECT_EQ(answer.stroke.character, character) << name;
}

TEST_F(KeyMapTest, HostKeysBecomeTheStrokesThatCount) {
    expectStroke(down("ArrowLeft", true), PanelKey::Left, true, 0, "Shift+Left is the middle key");
    expectStroke(down("ArrowRight", true), PanelKey::Right, true, 0, "Shift+Right");
    expectStroke(down("ArrowUp"), PanelKey::Up, false, 0, "Up");
    // Shift counts only with the arrows; Esc and Enter type their control characters.
    expectStroke(down("Escape", true), PanelKey::Escape, false, EscapeChar, "Shift+Esc");
    expectStroke(down("Enter"), PanelKey::Enter, false, EnterChar, "Enter");
    for (const char* slider : {"+", "-", "*", "/", "1"}) {
        expectStroke(down(slider, true), PanelKey::Other, false, slider[0], slider);
    }
    // Any other key only wakes the display: no character, whatever it types.
    for (const char* other : {"a", "2", "\xC3\xA9", "F5", "", "Shift"}) {
        expectStroke(down(other, true), PanelKey::Other, false, 0, other);
    }
    // A shortcut of the host types nothing.
    expectStroke(mapKeyDown(HostKey{"+", false, true, false}, {}), PanelKey::Other, false, 0,
                 "Ctrl++");
    EXPECT_EQ(typedCharacter(HostKey{"\xC3\xA9"}), '\xE9');
    EXPECT_EQ(typedCharacter(HostKey{"\xE2\x82\xAC"}), '?');
    EXPECT_EQ(typedCharacter(HostKey{"ab"}), 0);
}

TEST_F(KeyMapTest, KeyUpReleasesOnceAndKeepsOnlyTheKey) {
    const KeyAnswer up = mapKeyUp(HostKey{"Escape", true, false, false}, {});
    ASSERT_EQ(up.action, KeyAction::Release);
    EXPECT_EQ(up.stroke.key, PanelKey::Escape);
    EXPECT_EQ(up.stroke.character, 0);
    EXPECT_TRUE(mapKeyUp(HostKey{"ArrowUp", true, false, false}, {}).stroke.shift);
    EXPECT_EQ(mapKeyUp(HostKey{"ArrowUp", false, false, true}, {}).action, KeyAction::None)
        << "an auto-repeated release";
    EXPECT_EQ(mapKeyDown(HostKey{"ArrowUp", false, false, true}, {}).action, KeyAction::Stroke)
        << "every auto-repeated stroke counts";
}

TEST_F(KeyMapTest, AFocusedSliderKeepsItsOwnKeysButNotTheArrows) {
    KeyFocus slider;
    slider.slider = 4;
    for (const char* arrow : {"ArrowLeft", "ArrowRight", "ArrowUp", "ArrowDown"}) {
        EXPECT_TRUE(down(arrow, false, slider).swallowed) << arrow;
        EXPECT_FALSE(down(arrow).swallowed) << arrow;
    }
    EXPECT_FALSE(down("Home", false, slider).swallowed);
    EXPECT_TRUE(down("F2").togglePanels);
    EXPECT_TRUE(down("F2", false, slider).swallowed);

    // The page keys move the focused slider by the page size, held within its range.
    TrackBarChange(4, 1495);
    KeyAnswer page = down("PageUp", false, slider);
    EXPECT_TRUE(page.swallowed);
    EXPECT_EQ(page.slider, 4);
    EXPECT_EQ(page.sliderPosition, SliderMax);
    TrackBarChange(4, SliderMax);
    EXPECT_EQ(down("PageUp", false, slider).slider, 0) << "no move at the top";
    page = down("PageDown", false, slider);
    EXPECT_EQ(page.sliderPosition, SliderMax - SliderPageSize);
    EXPECT_EQ(down("PageDown").slider, 0) << "no slider has the focus";
}

// F2 shows and hides the side panels as the "Paneler" button does, and a modifier alone (the Alt
// of Alt+F4) is the host's: neither reaches the unit, going down or up, so a recording that
// leaves them out replays the same.
TEST_F(KeyMapTest, ThePanelKeyAndModifiersAloneDoNotReachTheUnit) {
    const KeyAnswer f2 = down("F2");
    EXPECT_EQ(f2.action, KeyAction::None);
    EXPECT_TRUE(f2.togglePanels);
    EXPECT_FALSE(mapKeyDown(HostKey{"F2", false, false, true}, {}).togglePanels)
        << "a held F2 does not flicker the panels";
    EXPECT_EQ(mapKeyUp(HostKey{"F2"}, {}).action, KeyAction::None);
    for (const char* name : {"Shift", "Control", "Alt", "AltGraph", "Meta", "CapsLock"}) {
        ASSERT_TRUE(modifierKeyNamed(name)) << name;
        HostKey modifier{name, true, true, false};
        modifier.modifier = true;
        EXPECT_EQ(mapKeyDown(modifier, {}).action, KeyAction::None) << name;
        EXPECT_EQ(mapKeyUp(modifier, {}).action, KeyAction::None) << name;
    }
    EXPECT_FALSE(modifierKeyNamed("a"));
    EXPECT_FALSE(modifierKeyNamed("Enter"));
}

TEST_F(KeyMapTest, AKeyHeldOnAFocusedButtonHoldsThatButton) {
    KeyFocus button;
    button.onButton = true;
    button.button = PanelButton::Middle;
    for (const char* hold : {" ", "Enter"}) {
        const KeyAnswer press = down(hold, false, button);
        EXPECT_EQ(press.action, KeyAction::PressButton) << hold;
        EXPECT_EQ(press.button, PanelButton::Middle);
        EXPECT_TRUE(press.swallowed);
        EXPECT_EQ(mapKeyDown(HostKey{hold, false, false, true}, button).action, KeyAction::None);
        const KeyAnswer release = mapKeyUp(HostKey{hold}, button);
        EXPECT_EQ(release.action, KeyAction::ReleaseButton) << hold;
        EXPECT_EQ(release.button, PanelButton::Middle);
    }
    // Other keys on the focused button, and the same keys elsewhere, are strokes as ever.
    expectStroke(down("ArrowLeft", false, button), PanelKey::Left, false, 0, "Left on a button");
    expectStroke(down("Enter"), PanelKey::Enter, false, EnterChar, "Enter");
    expectStroke(down(" "), PanelKey::Other, false, 0, "Space");
}

} // namespace
} // namespace kv410
