#include "menu/SettingsCatalogue.h"

#include "display/Gloss.h"

#include "core/Clock.h"
#include "core/FactoryDefaults.h"
#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "display/Lcd.h"
#include "display/TextTable.h"
#include "display/TextWords.h"
#include "menu/MenuTree.h"
#include "menu/Readouts.h"
#include "menu/Selections.h"
#include "menu/TimeProgramScreens.h"
#include "menu/ValueEditors.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <optional>
#include <utility>

namespace kv410 {

namespace {

constexpr int DaysPerWeek = 7;
// Outdoor temperature of curve point aux 0 and the step between points, whole degrees.
constexpr int LowestCurveOutdoor = -35;
constexpr int CurveOutdoorStep = 5;
// The caret choice's options: 1, 2 and 4.
constexpr int CaretValues[] = {1, 2, 4};
constexpr uint16_t OperatingCaseBits = 0x07;
constexpr uint16_t InstalledSensorBits = 0x78;
// Shown when a choice's stored value marks no option, as the screen then shows no mark.
constexpr char NoChoice[] = "-";

std::string latin1ToUtf8(std::string_view text) {
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

// A text of the display without the blanks and underscores that pad it, in UTF-8.
std::string trimmedText(std::string_view text) {
    const size_t first = text.find_first_not_of(" _");
    if (first == std::string_view::npos) {
        return "";
    }
    const size_t last = text.find_last_not_of(" _");
    return displayTextToUtf8(text.substr(first, last - first + 1));
}

std::string tableText(int n) {
    return trimmedText(std::string_view(TextTable[n], 20));
}

// Lower case for ASCII, blanks collapsed and trimmed: how typed words are compared.
std::string folded(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == ' ' || c == '\t') {
            if (!out.empty() && out.back() != ' ') {
                out += ' ';
            }
        } else {
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    while (!out.empty() && out.back() == ' ') {
        out.pop_back();
    }
    return out;
}

// The number an entry node prints at the end of its third line ("1.10"), or empty.
std::string entryNumber(const MenuNode& node) {
    if (node.kind != 0) {
        return "";
    }
    const std::string_view line(TextTable[TextGroupLine3 + node.texts[2]], 20);
    const size_t before = line.find_last_not_of("0123456789.");
    const std::string_view tail = before == std::string_view::npos ? line : line.substr(before + 1);
    if (tail.empty() || !std::isdigit(static_cast<unsigned char>(tail.front()))) {
        return "";
    }
    return std::string(tail);
}

int nodeIndex(const MenuNode* node) {
    return static_cast<int>(node - MenuNodes);
}

// The entry numbers on the way from the main menu down to the node, outermost first.
std::vector<std::string> numbersAbove(const MenuNode& node) {
    std::vector<std::string> numbers;
    for (const MenuNode* up = &node; up != nullptr && nodeIndex(up) != NodeRoot; up = up->parent) {
        const std::string number = entryNumber(*up);
        if (!number.empty()) {
            numbers.insert(numbers.begin(), number);
        }
    }
    return numbers;
}

bool isQuickSetting(const MenuNode& node) {
    return node.kind == 18 || node.kind == 19;
}

// The levels that reach the node: every node on the way must admit the level, and a node that no
// installation has (config 0) closes the way.
uint8_t pathAccess(const MenuNode& node) {
    uint8_t access = 0x0F;
    for (const MenuNode* up = &node; up != nullptr && nodeIndex(up) != NodeRoot; up = up->parent) {
        access &= up->access;
        if (up->config == 0) {
            access = 0;
        }
    }
    return access;
}

std::string routeOf(const MenuNode& node) {
    if (isQuickSetting(node)) {
        const MenuNode& view = node.kind == 19 && node.parent != nullptr ? *node.parent : node;
        return "quick settings > " + tableText(view.texts[0]);
    }
    std::string route;
    for (const std::string& number : numbersAbove(node)) {
        route += (route.empty() ? "" : " > ") + number;
    }
    return route;
}

std::string formatName(uint8_t format) {
    switch (format) {
    case 1:
        return "tenths";
    case 5:
        return "days";
    case 6:
        return "hours";
    case 7:
        return "minutes";
    case 8:
        return "unsigned";
    default:
        return "integer";
    }
}

std::string unitText(uint8_t unit) {
    char name[8];
    const int length = unitName(name, unit);
    std::string shown;
    for (int i = 0; i < length; ++i) {
        shown += shownGlyph(name[i]);
    }
    return latin1ToUtf8(shown);
}

// A number as formatNumber writes it, without the blanks before it.
std::string numberText(int32_t value, bool tenths) {
    char field[8];
    formatNumber(value, field, tenths);
    return trimmedText(field);
}

// The words the start-up set-up takes from the texts, taken again after a reset of the process
// state.
void ensureTextWords() {
    if (OffMarker[0] == 0 || WeekdayNames[0][0] == 0) {
        takeTextWords();
    }
}

std::string offText() {
    ensureTextWords();
    return trimmedText(OffMarker);
}

int32_t lowest(const MenuNode& node) {
    return static_cast<int16_t>(node.min);
}

int32_t highest(const MenuNode& node) {
    return static_cast<int16_t>(node.max);
}

const MenuNode& nodeOf(const Setting& setting) {
    return MenuNodes[setting.node];
}

// The node whose editor in the menu writes the setting (not a quick setting's), or the first.
const MenuNode& writerOf(const Setting& setting) {
    for (int n : setting.nodes) {
        const uint8_t kind = MenuNodes[n].kind;
        if (kind == 8 || kind == 5 || kind == 6 || kind == 15 || kind == 16) {
            return MenuNodes[n];
        }
    }
    return nodeOf(setting);
}

// ---- building the catalogue -------------------------------------------------------------

// What a node shows or edits, or nothing; one key per stored setting.
struct NodeSetting {
    SettingKind kind;
    int key; // the stored word that tells settings apart
};

std::optional<NodeSetting> settingOfNode(const MenuNode& node, int day) {
    const int cell = static_cast<int>(node.cell);
    switch (node.kind) {
    case 1:
        // A choice held in an I/O word is no stored setting.
        return node.aux == 1 ? std::nullopt
                             : std::optional<NodeSetting>({SettingKind::TwoWay, cell});
    case 5:
    case 6:
    case 15:
    case 16:
    case 18:
    case 19:
        return NodeSetting{SettingKind::Number, cell};
    case 7:
    case 8:
        return NodeSetting{SettingKind::CurvePoint, curvePointCorrectionCell(node)};
    case 14:
        return NodeSetting{SettingKind::Caret, cell};
    case 21:
        return NodeSetting{SettingKind::List, cell};
    case 28:
        return NodeSetting{SettingKind::ExtraSensors, ConfigurationCell};
    case 11:
        return NodeSetting{SettingKind::ProgramDay, ProgramMaskCell + cell + day};
    case 22:
        return NodeSetting{SettingKind::Readout, cell};
    default:
        return std::nullopt;
    }
}

void describe(Setting& setting, const MenuNode& node, int day) {
    const std::vector<std::string> numbers = numbersAbove(node);
    setting.number = numbers.empty() ? "" : numbers.back();
    setting.nameText = node.texts[0];
    setting.name = tableText(node.texts[0]);
    switch (setting.kind) {
    case SettingKind::Number:
        setting.format = formatName(node.format);
        setting.unit = unitText(node.unit);
        if (offAtLowestValue(node.cell) || offAtHighestValue(node.cell)) {
            setting.choices = {offText()};
        }
        break;
    case SettingKind::TwoWay:
        setting.format = "choice";
        setting.choices = {tableText(TextGroupLine2 + node.texts[1]),
                           tableText(TextGroupLine3 + node.texts[2])};
        break;
    case SettingKind::Caret: {
        setting.format = "choice";
        const std::string options = tableText(TextGroupLine2 + node.texts[1]);
        size_t start = 0;
        while (start < options.size()) {
            const size_t end = std::min(options.find(' ', start), options.size());
            if (end > start) {
                setting.choices.push_back(options.substr(start, end - start));
            }
            start = end + 1;
        }
        break;
    }
    case SettingKind::List:
        if (node.cell == SlaveAddressCell) {
            setting.format = "integer";
        } else {
            setting.format = "choice";
            for (int32_t v = 0; v <= highest(node); ++v) {
                setting.choices.push_back(tableText(TextGroupLine4 + lowest(node) + v));
            }
        }
        break;
    case SettingKind::ExtraSensors:
        setting.format = "sensors";
        for (const OptionalSensorLabel& sensor : OptionalSensorLabels) {
            setting.choices.emplace_back(sensor.name);
        }
        break;
    case SettingKind::CurvePoint: {
        setting.format = "tenths";
        setting.unit = unitText(node.unit);
        const int outdoor = LowestCurveOutdoor + CurveOutdoorStep * static_cast<int>(node.aux);
        setting.number += "/" + std::to_string(outdoor);
        const MenuNode* editor = node.kind == 7 ? node.child : &node;
        if (editor != nullptr) {
            setting.name += " " + tableText(editor->texts[0]);
        }
        break;
    }
    case SettingKind::Readout:
        setting.format = "readout";
        if (operatingTime(node.cell).kind == OperatingTime::Hours) {
            setting.unit = unitText(node.unit);
        }
        break;
    case SettingKind::ProgramDay:
        ensureTextWords();
        setting.format = "time window";
        setting.number += "/" + std::to_string(day + 1);
        setting.name += " " + displayTextToUtf8(std::string_view(WeekdayNames[day], 2));
        break;
    }
}

std::vector<Setting> buildCatalogue() {
    std::vector<Setting> catalogue;
    std::map<std::pair<SettingKind, int>, size_t> byKey;
    for (int n = 0; n < MenuNodeCount; ++n) {
        const MenuNode& node = MenuNodes[n];
        const int days = node.kind == 11 ? DaysPerWeek : 1;
        for (int day = 0; day < days; ++day) {
            const std::optional<NodeSetting> found = settingOfNode(node, day);
            if (!found) {
                continue;
            }
            const auto key = std::make_pair(found->kind, found->key);
            auto [place, added] = byKey.try_emplace(key, catalogue.size());
            if (added) {
                Setting setting{};
                setting.kind = found->kind;
                setting.node = n;
                setting.cell = found->key;
                describe(setting, node, day);
                setting.englishName = englishNameOf(setting);
                catalogue.push_back(setting);
            }
            Setting& setting = catalogue[place->second];
            const uint8_t access = pathAccess(node);
            setting.nodes.push_back(n);
            setting.access |= access;
            const std::string route = routeOf(node);
            auto same = std::find_if(setting.paths.begin(), setting.paths.end(),
                                     [&](const SettingPath& path) { return path.route == route; });
            if (same == setting.paths.end()) {
                setting.paths.push_back({n, route, access});
            } else {
                same->access |= access;
            }
        }
    }
    return catalogue;
}

// ---- the stored words of a setting ---------------------------------------------------------

// One stored word of a setting and the bits of it that belong to the setting.
struct StoredWord {
    int cell;
    uint16_t mask;
};

std::vector<StoredWord> storedWords(const Setting& setting) {
    switch (setting.kind) {
    case SettingKind::Caret:
        return {{setting.cell,
                 setting.cell == ConfigurationCell ? OperatingCaseBits : uint16_t{0x00FF}}};
    case SettingKind::ExtraSensors:
        return {{ConfigurationCell, InstalledSensorBits}};
    case SettingKind::Readout: {
        // A readout counts hours and tenths in pairs of cells; the shares read both pairs.
        const int first = setting.cell == HeatPumpHotWaterHoursCell ? HeatPumpHeatingHoursCell
                          : setting.cell == AuxHotWaterHoursCell    ? AuxHeatingHoursCell
                                                                    : setting.cell;
        const int count = setting.cell == DegreeDaysCell   ? 1
                          : setting.cell == TotalHoursCell ? 2
                                                           : 4;
        std::vector<StoredWord> words;
        for (int n = first; n < first + count; ++n) {
            words.push_back({n, 0xFFFF});
        }
        return words;
    }
    case SettingKind::ProgramDay: {
        const int e = setting.cell - ProgramMaskCell;
        return {{ProgramMaskCell + e, 0xFFFF},
                {ProgramStartHourCell + e, 0xFFFF},
                {ProgramStartMinuteCell + e, 0xFFFF},
                {ProgramStopHourCell + e, 0xFFFF},
                {ProgramStopMinuteCell + e, 0xFFFF}};
    }
    default:
        return {{setting.cell, 0xFFFF}};
    }
}

// Runs a reading of the cells with other cells 0..478 in place, then puts the cells back.
template <typename Reading>
auto withCells(const std::vector<int16_t>& cells, Reading reading) {
    std::array<int16_t, ParameterCellCount> kept;
    std::copy(ControllerCells, ControllerCells + ParameterCellCount, kept.begin());
    std::copy(cells.begin(), cells.end(), ControllerCells);
    auto result = reading();
    std::copy(kept.begin(), kept.end(), ControllerCells);
    return result;
}

int caretStored(const Setting& setting) {
    const uint16_t stored = cellUnsigned(setting.cell);
    return setting.cell == ConfigurationCell ? stored & OperatingCaseBits : stored & 0xFF;
}

int listStored(const Setting& setting) {
    return static_cast<int8_t>(cellUnsigned(setting.cell) & 0xFF);
}

std::string programDayText(const Setting& setting) {
    ensureTextWords();
    const int e = setting.cell - ProgramMaskCell;
    const int day = e % DaysPerWeek;
    const bool on = ControllerCells[setting.cell] != 0;
    std::string text;
    text += WeekdayLetters[2 * day + (on ? 1 : 0)];
    text += WeekdayNames[day][1];
    char window[12];
    programWindowText(e, window);
    return displayTextToUtf8(text) + " " + window;
}

std::string valueText(const Setting& setting) {
    const MenuNode& node = writerOf(setting);
    switch (setting.kind) {
    case SettingKind::Number: {
        const int32_t shown = shownSettingValue(node);
        if ((offAtLowestValue(node.cell) && shown == lowest(node)) ||
            (offAtHighestValue(node.cell) && shown == highest(node))) {
            return offText();
        }
        return numberText(shown, node.format == 1);
    }
    case SettingKind::TwoWay:
        return setting.choices[ControllerCells[setting.cell] == 0 ? 0 : 1];
    case SettingKind::Caret: {
        const int stored = caretStored(setting);
        for (size_t i = 0; i < std::size(CaretValues) && i < setting.choices.size(); ++i) {
            if (CaretValues[i] == stored) {
                return setting.choices[i];
            }
        }
        return NoChoice;
    }
    case SettingKind::List: {
        // The screen shows the nearest option for a stored value outside the list.
        const int shown = std::clamp(listStored(setting), 0, static_cast<int>(highest(node)));
        if (setting.choices.empty()) {
            return numberText(shown, false);
        }
        return setting.choices[static_cast<size_t>(shown)];
    }
    case SettingKind::ExtraSensors: {
        std::string text;
        for (const OptionalSensorLabel& sensor : OptionalSensorLabels) {
            if ((cellUnsigned(ConfigurationCell) & sensor.bit) != 0) {
                text += (text.empty() ? "" : " ") + std::string(sensor.name);
            }
        }
        return text.empty() ? NoChoice : text;
    }
    case SettingKind::CurvePoint:
        return numberText(curvePointValue(node), true);
    case SettingKind::ProgramDay:
        return programDayText(setting);
    case SettingKind::Readout: {
        const OperatingTime value = operatingTime(node.cell);
        switch (value.kind) {
        case OperatingTime::Split:
            return numberText(static_cast<int32_t>(value.first), false) + " % VV " +
                   numberText(static_cast<int32_t>(value.second), false) + " % rad";
        case OperatingTime::Tenths:
            return numberText(static_cast<int32_t>(value.first), true);
        default:
            return numberText(static_cast<int32_t>(value.first), false);
        }
    }
    }
    return "";
}

// ---- parsing a value as the display shows it -----------------------------------------------

// A number with an optional decimal comma (or point) in the setting's units; tenths when asked.
std::optional<int32_t> parseNumber(std::string_view text, bool tenths) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const size_t separator = text.find_first_of(",.");
    const std::string_view whole = text.substr(0, separator);
    const std::string_view fraction =
        separator == std::string_view::npos ? std::string_view() : text.substr(separator + 1);
    const auto digits = [](std::string_view part) {
        return !part.empty() && part.size() <= 5 &&
               part.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (!digits(whole) || (separator != std::string_view::npos &&
                           !(tenths && fraction.size() == 1 && digits(fraction)))) {
        return std::nullopt;
    }
    int32_t value = 0;
    for (char c : whole) {
        value = value * 10 + (c - '0');
    }
    if (tenths) {
        value = value * 10 + (fraction.empty() ? 0 : fraction.front() - '0');
    }
    return negative ? -value : value;
}

// The text without blanks around it and without the unit behind it.
std::string_view withoutUnit(std::string_view text, const std::string& unit) {
    const auto trim = [](std::string_view t) {
        while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) {
            t.remove_prefix(1);
        }
        while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) {
            t.remove_suffix(1);
        }
        return t;
    };
    text = trim(text);
    // The display's degree sign is the ordinal º; the degree sign ° is taken for it.
    for (const std::string& name : {unit, unit == "\u00BA" ? std::string("\u00B0") : unit}) {
        if (!name.empty() && text.size() > name.size() &&
            folded(text.substr(text.size() - name.size())) == folded(name)) {
            return trim(text.substr(0, text.size() - name.size()));
        }
    }
    return text;
}

std::string acceptedRange(const Setting& setting) {
    std::string range = settingMinText(setting) + ".." + settingMaxText(setting);
    if (!setting.unit.empty()) {
        range += " " + setting.unit;
    }
    if (!setting.choices.empty()) {
        range += " or " + setting.choices.front();
    }
    return range;
}

std::string choiceList(const std::vector<std::string>& choices) {
    std::string list;
    for (const std::string& choice : choices) {
        list += (list.empty() ? "\"" : ", \"") + choice + "\"";
    }
    return list;
}

std::optional<size_t> choiceIndex(const Setting& setting, std::string_view text) {
    for (size_t i = 0; i < setting.choices.size(); ++i) {
        if (folded(setting.choices[i]) == folded(text)) {
            return i;
        }
    }
    return std::nullopt;
}

std::string settingLabel(const Setting& setting) {
    return setting.number + " " + setting.name;
}

bool setNumber(const Setting& setting, std::string_view text, std::string& message) {
    const MenuNode& node = writerOf(setting);
    const std::string_view value = withoutUnit(text, setting.unit);
    std::optional<int32_t> shown;
    if (!setting.choices.empty() && folded(value) == folded(setting.choices.front())) {
        shown = offAtLowestValue(node.cell) ? lowest(node) : highest(node);
    } else {
        shown = parseNumber(value, node.format == 1);
    }
    if (!shown) {
        message = settingLabel(setting) + ": \"" + std::string(text) + "\" is not " +
                  (node.format == 1 ? "a number with at most one decimal" : "a whole number") +
                  "; it accepts " + acceptedRange(setting);
        return false;
    }
    if (*shown < lowest(node) || *shown > highest(node)) {
        message = settingLabel(setting) + ": " + std::string(value) + " is outside its limits " +
                  acceptedRange(setting);
        return false;
    }
    if (setting.kind == SettingKind::CurvePoint) {
        saveCurvePointValue(node, *shown);
    } else {
        saveEditedValue(node, *shown);
    }
    return true;
}

// "06:00-22:00", optionally after the day's two letters, whose initial's case says on or off.
bool setProgramDay(const Setting& setting, std::string_view text, std::string& message) {
    ensureTextWords();
    const int e = setting.cell - ProgramMaskCell;
    const int day = e % DaysPerWeek;
    std::string value = folded(text);
    bool on = true;
    std::string given(text);
    given.erase(0, given.find_first_not_of(" \t"));
    if (value.size() > 3 && value[2] == ' ') {
        const std::string name = folded(std::string_view(WeekdayNames[day], 2));
        if (value.substr(0, 2) != name) {
            message = settingLabel(setting) + ": \"" + std::string(text) + "\" names another day";
            return false;
        }
        on = std::isupper(static_cast<unsigned char>(given.front())) != 0;
        value.erase(0, 3);
    }
    const auto bcd = [&](size_t at, int highestValue) -> std::optional<uint8_t> {
        if (!std::isdigit(static_cast<unsigned char>(value[at])) ||
            !std::isdigit(static_cast<unsigned char>(value[at + 1]))) {
            return std::nullopt;
        }
        const int number = (value[at] - '0') * 10 + (value[at + 1] - '0');
        if (number > highestValue) {
            return std::nullopt;
        }
        return static_cast<uint8_t>((value[at] - '0') << 4 | (value[at + 1] - '0'));
    };
    std::optional<uint8_t> parts[4];
    if (value.size() == 11 && value[2] == ':' && value[5] == '-' && value[8] == ':') {
        parts[0] = bcd(0, 23);
        parts[1] = bcd(3, 59);
        parts[2] = bcd(6, 24);
        parts[3] = bcd(9, 59);
    }
    const bool sound = std::all_of(std::begin(parts), std::end(parts),
                                   [](const std::optional<uint8_t>& p) { return p.has_value(); });
    // The stop hour 24 stands for the end of the day: its minute is always 00.
    if (!sound || (*parts[2] == 0x24 && *parts[3] != 0)) {
        message = settingLabel(setting) + ": \"" + std::string(text) +
                  "\" is not a time window; it accepts hh:mm-hh:mm from 00:00 to 24:00 (start "
                  "before 24:00), after the day as \"" +
                  displayTextToUtf8(std::string_view(WeekdayNames[day], 2)) + "\" (on) or in " +
                  "lower case (off)";
        return false;
    }
    saveProgramDay(
        e, {static_cast<uint8_t>(on ? 1 << day : 0), *parts[0], *parts[1], *parts[2], *parts[3]});
    return true;
}

} // namespace

const std::vector<Setting>& settingsCatalogue() {
    // Built from the tree as the unit starts with it, whatever the run-time changes or a tree
    // not yet set up; the writable tree is left as it stood.
    static const std::vector<Setting> catalogue = [] {
        std::array<MenuNode, MenuNodeCount> kept;
        std::copy(std::begin(MenuNodes), std::end(MenuNodes), kept.begin());
        resetMenuTree();
        std::vector<Setting> built = buildCatalogue();
        std::copy(kept.begin(), kept.end(), std::begin(MenuNodes));
        return built;
    }();
    return catalogue;
}

const Setting* findSetting(std::string_view number) {
    for (const Setting& setting : settingsCatalogue()) {
        if (setting.number == number) {
            return &setting;
        }
    }
    return nullptr;
}

std::string englishNameOf(const Setting& setting) {
    // The English is the gloss of the text that names the setting on the display.
    return glossPlain(setting.nameText);
}

std::string accessLevelName(uint8_t access) {
    constexpr std::pair<uint8_t, const char*> Levels[] = {{AccessKund1, "kund1"},
                                                          {AccessKund2, "kund2"},
                                                          {AccessService, "service"},
                                                          {AccessFabrikk, "fabrikk"}};
    for (const auto& [bit, name] : Levels) {
        if ((access & bit) != 0) {
            return name;
        }
    }
    return "none";
}

uint8_t accessLevelByName(std::string_view name) {
    for (uint8_t bit : {AccessKund1, AccessKund2, AccessService, AccessFabrikk}) {
        if (accessLevelName(bit) == name) {
            return bit;
        }
    }
    return 0;
}

std::string settingValueText(const Setting& setting) {
    return valueText(setting);
}

const std::vector<int16_t>& factoryCells() {
    static const std::vector<int16_t> cells = [] {
        std::array<int16_t, ParameterCellCount> keptCells;
        std::array<uint16_t, ParameterCellCount> keptFlash;
        std::copy(ControllerCells, ControllerCells + ParameterCellCount, keptCells.begin());
        std::copy(FlashImage, FlashImage + ParameterCellCount, keptFlash.begin());
        // What a start without a signature leaves: every unlisted cell 0, then the defaults.
        std::fill(ControllerCells, ControllerCells + ParameterCellCount, 0);
        loadFactoryDefaults();
        ControllerCells[ConfigurationCell] = 1;
        std::vector<int16_t> factory(ControllerCells, ControllerCells + ParameterCellCount);
        std::copy(keptCells.begin(), keptCells.end(), ControllerCells);
        std::copy(keptFlash.begin(), keptFlash.end(), FlashImage);
        return factory;
    }();
    return cells;
}

std::string settingFactoryText(const Setting& setting) {
    return withCells(factoryCells(), [&] { return valueText(setting); });
}

std::string settingMinText(const Setting& setting) {
    const MenuNode& node = writerOf(setting);
    switch (setting.kind) {
    case SettingKind::Number:
    case SettingKind::CurvePoint:
        return numberText(offAtLowestValue(node.cell) ? lowest(node) + 1 : lowest(node),
                          node.format == 1);
    case SettingKind::List:
        return setting.choices.empty() ? "0" : "";
    case SettingKind::ProgramDay:
        return "00:00";
    default:
        return "";
    }
}

std::string settingMaxText(const Setting& setting) {
    const MenuNode& node = writerOf(setting);
    switch (setting.kind) {
    case SettingKind::Number:
    case SettingKind::CurvePoint:
        return numberText(offAtHighestValue(node.cell) ? highest(node) - 1 : highest(node),
                          node.format == 1);
    case SettingKind::List:
        return setting.choices.empty() ? numberText(highest(node), false) : "";
    case SettingKind::ProgramDay:
        return "24:00";
    default:
        return "";
    }
}

bool settingDiffers(const Setting& setting, const int16_t* a, const int16_t* b) {
    for (const StoredWord& word : storedWords(setting)) {
        if (((static_cast<uint16_t>(a[word.cell]) ^ static_cast<uint16_t>(b[word.cell])) &
             word.mask) != 0) {
            return true;
        }
    }
    return false;
}

bool settingChanged(const Setting& setting) {
    return settingDiffers(setting, ControllerCells, factoryCells().data());
}

bool settingWithinLimits(const Setting& setting) {
    const MenuNode& node = writerOf(setting);
    switch (setting.kind) {
    case SettingKind::Number:
    case SettingKind::CurvePoint: {
        const int32_t shown =
            setting.kind == SettingKind::Number ? shownSettingValue(node) : curvePointValue(node);
        return shown >= lowest(node) && shown <= highest(node);
    }
    case SettingKind::TwoWay:
        return cellUnsigned(setting.cell) <= 1;
    case SettingKind::Caret:
        return std::find(std::begin(CaretValues), std::end(CaretValues), caretStored(setting)) !=
               std::end(CaretValues);
    case SettingKind::List:
        return cellUnsigned(setting.cell) <= static_cast<uint16_t>(highest(node));
    case SettingKind::ExtraSensors:
    case SettingKind::Readout:
        return true;
    case SettingKind::ProgramDay: {
        const int e = setting.cell - ProgramMaskCell;
        const auto bcdAtMost = [](int cell, int highestValue) {
            const uint16_t v = cellUnsigned(cell);
            return v <= 0xFF && (v & 0x0F) <= 9 && (v >> 4) * 10 + (v & 0x0F) <= highestValue;
        };
        const uint16_t mask = cellUnsigned(setting.cell);
        return (mask == 0 || mask == (1u << (e % DaysPerWeek))) &&
               bcdAtMost(ProgramStartHourCell + e, 23) &&
               bcdAtMost(ProgramStartMinuteCell + e, 59) &&
               bcdAtMost(ProgramStopHourCell + e, 24) && bcdAtMost(ProgramStopMinuteCell + e, 59) &&
               (cellUnsigned(ProgramStopHourCell + e) != 0x24 ||
                cellUnsigned(ProgramStopMinuteCell + e) == 0);
    }
    }
    return false;
}

bool setSettingFromText(const Setting& setting, std::string_view text, std::string& message) {
    const MenuNode& node = writerOf(setting);
    switch (setting.kind) {
    case SettingKind::Number:
    case SettingKind::CurvePoint:
        return setNumber(setting, text, message);
    case SettingKind::ProgramDay:
        return setProgramDay(setting, text, message);
    case SettingKind::Readout:
        message = settingLabel(setting) + " is a readout: the unit counts it, no editor sets it";
        return false;
    case SettingKind::ExtraSensors: {
        uint16_t sensors = 0;
        std::string words = folded(text);
        std::replace(words.begin(), words.end(), ',', ' ');
        size_t start = 0;
        while (start < words.size()) {
            const size_t end = std::min(words.find(' ', start), words.size());
            const std::string word = words.substr(start, end - start);
            start = end + 1;
            if (word.empty() || word == NoChoice) {
                continue;
            }
            const auto found = choiceIndex(setting, word);
            if (!found) {
                message = settingLabel(setting) + ": \"" + word + "\" is none of " +
                          choiceList(setting.choices) + " (or \"-\" for none)";
                return false;
            }
            sensors |= OptionalSensorLabels[*found].bit;
        }
        saveInstalledSensors(sensors);
        return true;
    }
    case SettingKind::List:
        if (setting.choices.empty()) {
            const std::optional<int32_t> value = parseNumber(withoutUnit(text, ""), false);
            if (!value || *value < 0 || *value > highest(node)) {
                message = settingLabel(setting) + ": \"" + std::string(text) +
                          "\" is outside its limits " + acceptedRange(setting);
                return false;
            }
            saveListChoice(node, *value);
            return true;
        }
        [[fallthrough]];
    case SettingKind::TwoWay:
    case SettingKind::Caret: {
        const auto found = choiceIndex(setting, text);
        if (!found) {
            message = settingLabel(setting) + ": \"" + std::string(text) + "\" is none of " +
                      choiceList(setting.choices);
            return false;
        }
        const int index = static_cast<int>(*found);
        if (setting.kind == SettingKind::Caret) {
            saveCaretChoice(node, CaretValues[index]);
        } else if (setting.kind == SettingKind::List) {
            saveListChoice(node, index);
        } else {
            storeParameter(setting.cell, index);
        }
        return true;
    }
    }
    return false;
}

std::string displayTextToUtf8(std::string_view text) {
    std::string shown;
    for (char c : text) {
        shown += shownGlyph(c);
    }
    return latin1ToUtf8(shown);
}

} // namespace kv410
