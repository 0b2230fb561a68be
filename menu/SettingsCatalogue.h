// The settings catalogue: every stored setting that a node of the menu tree shows or edits, read
// and written as the unit's own screens and editors do. It is derived from the menu tree, the
// node kinds, the factory values and the texts; nothing of it is typed a second time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kv410 {

// How a setting is shown and changed, after the screen kind of its nodes.
enum class SettingKind : uint8_t {
    Number,       // numeric editor (kinds 5, 6, 15, 16) and quick setting (18, 19)
    TwoWay,       // two-way choice (kind 1): the text of line 2 or line 3
    Caret,        // operating case or heater power (kind 14): one of three options
    List,         // list choice (kind 21): an option text, or the slave address as a number
    ExtraSensors, // installed optional sensors (kind 28), bits 3..6 of the configuration word
    CurvePoint,   // heating-curve point (kinds 7 and 8): the point's value, stored as a correction
    ProgramDay,   // one day of a weekly time program (kind 11): day switch and time window
    Readout       // an operating time the unit counts (kind 22): shown, never set
};

// Access levels as I/O word 42 holds them.
inline constexpr uint8_t AccessKund1 = 1;
inline constexpr uint8_t AccessKund2 = 2;
inline constexpr uint8_t AccessService = 4;
inline constexpr uint8_t AccessFabrikk = 8;

// One way through the menu to a node of a setting.
struct SettingPath {
    int node;          // the node that shows or edits the setting
    std::string route; // "1 > 1.10" or "quick settings > Romtemperatur"
    uint8_t access;    // the levels for which every node on the way is reachable
};

// One stored setting.
struct Setting {
    std::string number; // as the unit shows it: "1.10", "5.12"; "1.3/-5" a curve point at
                        // -5 degrees outdoors, "4.1/3" day 3 (Wednesday) of a time program
    SettingKind kind;   // how it is shown and changed
    int node;           // the node whose editor writes it (the first of the paths)
    int nameText;       // the text that names it on the display
    std::string name;   // that text in UTF-8, without the padding
    std::string englishName;
    int cell;           // where it is stored (curve points: the correction; days: the switch)
    std::string format; // "tenths", "integer", "days", "hours", "minutes", "unsigned", "choice",
                        // "sensors", "time window"
    std::string unit;   // as the display shows it behind the value ("º", "min"), UTF-8
    std::vector<std::string> choices; // the option texts of a choice, in order
    std::vector<int> nodes;           // every node that shows or edits it, in tree order
    std::vector<SettingPath> paths;   // every way to those nodes (a view and its editor share one)
    uint8_t access;                   // the levels that reach it along any path
};

// The catalogue in the order of the menu tree (built on first use from the tree as it stands).
const std::vector<Setting>& settingsCatalogue();
// The setting with this number, or null.
const Setting* findSetting(std::string_view number);

// The English name of a setting; empty while the unit's texts have no English gloss.
std::string englishNameOf(const Setting& setting);
// The lowest access level among the levels: "kund1", "kund2", "service", "fabrikk", or "none".
std::string accessLevelName(uint8_t access);
// The level of an access name ("kund1" .. "fabrikk"); 0 for an unknown name.
uint8_t accessLevelByName(std::string_view name);

// The setting's value in the cells as the display shows it ("20,5", "Ikke Akt", "(B)", "Ma
// 06:00-22:00").
std::string settingValueText(const Setting& setting);
// The same for the factory values.
std::string settingFactoryText(const Setting& setting);
// The lowest and the highest value as the display shows them; empty for a choice.
std::string settingMinText(const Setting& setting);
std::string settingMaxText(const Setting& setting);
// True when the stored words of the setting differ from the factory values.
bool settingChanged(const Setting& setting);
// True when the stored words lie within the setting's limits and choices.
bool settingWithinLimits(const Setting& setting);
// The cells 0..478 of an image with factory values, as a start without a signature leaves them.
const std::vector<int16_t>& factoryCells();
// True when the setting's stored words differ between two sets of cells 0..478.
bool settingDiffers(const Setting& setting, const int16_t* a, const int16_t* b);

// Parses a value as the display shows it and writes it as the setting's editor saves it
// (cells, flash words and the settings that follow from it). On failure nothing is written and
// the message names the setting and what it accepts.
bool setSettingFromText(const Setting& setting, std::string_view text, std::string& message);

// Display characters (Latin-1, with the controller's own codes) as UTF-8.
std::string displayTextToUtf8(std::string_view text);

} // namespace kv410
