// libFuzzer target: a flash image's contents and the values `kv410-flash set` parses.
//
// An input of 2048 bytes or more is a Flash.dat (its first 2048 bytes) followed by assignment
// lines; a shorter input is assignment lines on an image of factory values. Every setting of the
// catalogue is read and shown, the alarm log is listed, then each line "NUMBER=VALUE" of a known
// setting is set. The rules: a refused value writes nothing; an accepted value reads back within
// the setting's limits (for a number, the value read back is the one set when it was read as
// the display shows it), and setting the value read back changes nothing more.
#include "core/FactoryDefaults.h"
#include "core/FlashFile.h"
#include "core/Memory.h"
#include "menu/AlarmLogViewer.h"
#include "menu/SettingsCatalogue.h"
#include "unit/ControllerState.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace kv410;

constexpr size_t ImageBytes = PersistedFlashWords * 2;

[[noreturn]] void broken(const char* rule, const std::string& detail) {
    std::fprintf(stderr, "rule broken: %s: %s\n", rule, detail.c_str());
    std::abort();
}

struct Memory {
    std::vector<int16_t> cells;
    std::vector<uint16_t> flash;
    bool operator==(const Memory&) const = default;
};

Memory memory() {
    return {std::vector<int16_t>(ControllerCells, ControllerCells + ParameterCellCount),
            std::vector<uint16_t>(FlashImage, FlashImage + FlashWordCount)};
}

void readEverything() {
    for (const Setting& setting : settingsCatalogue()) {
        const std::string shown = settingValueText(setting) + settingFactoryText(setting) +
                                  settingMinText(setting) + settingMaxText(setting);
        if (shown.find('\0') != std::string::npos) {
            broken("a value is text", setting.number);
        }
        (void)settingWithinLimits(setting);
        (void)settingChanged(setting);
    }
    for (const AlarmLogLine& line : alarmLogLines()) {
        if (line.alarm < -1 || line.alarm > 21) {
            broken("an alarm number of the log is a known one", std::to_string(line.alarm));
        }
    }
}

void set(const Setting& setting, std::string_view value) {
    const Memory before = memory();
    std::string message;
    if (!setSettingFromText(setting, value, message)) {
        if (memory() != before) {
            broken("a refused value writes nothing", setting.number + "=" + std::string(value));
        }
        if (message.find(setting.number) == std::string::npos) {
            broken("a refusal names the setting", message);
        }
        return;
    }
    const std::string shown = settingValueText(setting);
    if (!settingWithinLimits(setting)) {
        broken("an accepted value lies within the limits",
               setting.number + "=" + std::string(value) + " reads " + shown);
    }
    const Memory after = memory();
    if (!setSettingFromText(setting, shown, message)) {
        broken("the value read back is accepted", setting.number + "=" + shown + ": " + message);
    }
    if (memory() != after) {
        broken("setting the value read back changes nothing", setting.number + "=" + shown);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    resetControllerState();
    std::string_view text(reinterpret_cast<const char*>(data), size);
    if (size >= ImageBytes) {
        takeFlashImageBytes(reinterpret_cast<const char*>(data), ImageBytes);
        text.remove_prefix(ImageBytes);
    } else {
        loadFactoryDefaults();
    }
    loadCellsFromFlash();
    readEverything();

    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        if (const Setting* setting = findSetting(line.substr(0, equals))) {
            set(*setting, line.substr(equals + 1));
        }
    }
    readEverything();
    return 0;
}
