#include "scenario/Actions.h"

#include "core/Memory.h"
#include "display/Lcd.h"
#include "menu/SettingsCatalogue.h"
#include "panel/FrontPanel.h"

#include <cstdio>
#include <cstring>

namespace kv410 {

namespace {

void keyDown(const ScriptKey& key) {
    FormKeyDown(static_cast<PanelKey>(key.key), key.shift);
    if (key.character != 0) {
        FormKeyPress(key.character);
    }
}

// The mouse button of a knob click: 1 forward (left), -1 back (right), 0 the middle button.
MouseButton knobButton(int32_t direction) {
    return direction > 0   ? MouseButton::Left
           : direction < 0 ? MouseButton::Right
                           : MouseButton::Middle;
}

std::string wordText(uint16_t word, bool isSigned) {
    char text[32];
    std::snprintf(text, sizeof text, "%d (0x%04X)",
                  isSigned ? static_cast<int>(static_cast<int16_t>(word)) : static_cast<int>(word),
                  static_cast<unsigned>(word));
    return text;
}

std::string litText(bool lit, const char* onWord, const char* offWord) {
    return lit ? onWord : offWord;
}

} // namespace

bool performAction(const Step& step, VirtualTime& time) {
    switch (step.kind) {
    case StepKind::ClickPower:
        Shape6MouseDown();
        return true;
    case StepKind::ClickButton:
        pressPanelButton(time, static_cast<PanelButton>(step.count));
        releasePanelButton(static_cast<PanelButton>(step.count));
        return true;
    case StepKind::PressButton:
        pressPanelButton(time, static_cast<PanelButton>(step.count));
        return true;
    case StepKind::ReleaseButton:
        releasePanelButton(static_cast<PanelButton>(step.count));
        return true;
    case StepKind::ClickKnob:
        RattImageMouseDown(knobButton(step.count), step.shift);
        return true;
    case StepKind::ClickToggle:
        SpeedButtonClick(step.count);
        return true;
    case StepKind::Key:
        for (int32_t i = 0; i < step.count; ++i) {
            keyDown(step.key);
            FormKeyUp();
        }
        return true;
    case StepKind::KeyDown:
        keyDown(step.key);
        return true;
    case StepKind::KeyUp:
        FormKeyUp();
        return true;
    case StepKind::Sensor:
        TrackBarChange(step.count, step.value);
        return true;
    case StepKind::FocusSlider:
        TrackBar1Enter(step.count);
        return true;
    case StepKind::PokeCell:
        ControllerCells[step.count] = static_cast<int16_t>(step.value);
        return true;
    case StepKind::PokeIo:
        IoWords[step.count] = static_cast<uint16_t>(step.value);
        return true;
    case StepKind::PokeFlash:
        FlashImage[step.count] = static_cast<uint16_t>(step.value);
        return true;
    default:
        return false;
    }
}

bool checkHolds(const Check& check, int beeps) {
    switch (check.kind) {
    case CheckKind::LcdExact:
        return std::memcmp(LcdLines[check.index - 1], check.text.data(), 20) == 0;
    case CheckKind::LcdContains:
        return std::string_view(LcdLines[check.index - 1], 20).find(check.text) !=
               std::string_view::npos;
    case CheckKind::Cell:
        return static_cast<uint16_t>(ControllerCells[check.index]) == check.value;
    case CheckKind::Io:
        return IoWords[check.index] == check.value;
    case CheckKind::Flash:
        return FlashImage[check.index] == check.value;
    case CheckKind::Led:
        return FrontLedLit[check.index] == check.lit;
    case CheckKind::Lamp:
        return RelayLampLit[check.index - 1] == check.lit;
    case CheckKind::Display:
        return LcdLit == check.lit;
    case CheckKind::GraphHidden:
        return !GraphVisible;
    case CheckKind::GraphRange:
        return GraphVisible && barStart == check.value && barEnd == check.value2;
    case CheckKind::Beeps:
        return beeps == check.value;
    case CheckKind::KnobFrame:
        return knobFrame == check.value;
    case CheckKind::KnobSteps:
        return knobSteps == check.value;
    case CheckKind::Setting:
        return settingValueText(*findSetting(check.setting)) == check.text;
    case CheckKind::Snapshot:
        // Pictures are compared by the front-end that draws them.
        break;
    }
    return false;
}

std::string checkFound(const Check& check, int beeps) {
    switch (check.kind) {
    case CheckKind::LcdExact:
    case CheckKind::LcdContains:
        return quotedText(lcdLineText(check.index));
    case CheckKind::Cell:
        return wordText(static_cast<uint16_t>(ControllerCells[check.index]), true);
    case CheckKind::Io:
        return wordText(IoWords[check.index], false);
    case CheckKind::Flash:
        return wordText(FlashImage[check.index], false);
    case CheckKind::Led:
        return litText(FrontLedLit[check.index], "lit", "unlit");
    case CheckKind::Lamp:
        return litText(RelayLampLit[check.index - 1], "lit", "unlit");
    case CheckKind::Display:
        return litText(LcdLit, "lit", "dark");
    case CheckKind::GraphHidden:
    case CheckKind::GraphRange:
        return GraphVisible ? "graph " + std::to_string(barStart) + " " + std::to_string(barEnd)
                            : "graph hidden";
    case CheckKind::Beeps:
        return std::to_string(beeps) + " beeps";
    case CheckKind::KnobFrame:
        return "knobframe " + std::to_string(knobFrame);
    case CheckKind::KnobSteps:
        return "knobsteps " + std::to_string(knobSteps);
    case CheckKind::Setting:
        return "\"" + settingValueText(*findSetting(check.setting)) + "\"";
    case CheckKind::Snapshot:
        break;
    }
    return "";
}

std::string timeStamp(int64_t tick) {
    const int64_t ms = tick * TickMs;
    char text[40];
    std::snprintf(text, sizeof text, "[%02lld:%02lld:%02lld.%03lld]",
                  static_cast<long long>(ms / 3600000), static_cast<long long>(ms / 60000 % 60),
                  static_cast<long long>(ms / 1000 % 60), static_cast<long long>(ms % 1000));
    return text;
}

std::string lcdLineText(int line) {
    return latin1ToUtf8(std::string_view(LcdLines[line - 1], 20));
}

} // namespace kv410
