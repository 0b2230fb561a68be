#include "flashtool/FlashTool.h"

#include "KV410Version.h"
#include "core/FlashFile.h"
#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "core/Platform.h"
#include "core/VirtualPlatform.h"
#include "menu/AlarmLogViewer.h"
#include "menu/SettingsCatalogue.h"
#include "supervision/AlarmLog.h"
#include "unit/ControllerState.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <system_error>

namespace kv410 {

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

constexpr char Usage[] =
    "usage: kv410-flash show FILE [--changed] [--level kund1|kund2|service|fabrikk]\n"
    "                        [--format text|csv|json]\n"
    "       kv410-flash diff A B [--format text|csv|json]\n"
    "       kv410-flash set FILE NUMBER=VALUE... -o OUT\n"
    "       kv410-flash alarms FILE [--format text|csv|json]\n"
    "       kv410-flash check FILE\n"
    "\n"
    "Reads, compares and changes the settings of a KV410 Flash.dat without the unit.\n"
    "Settings are named by their number as the display shows it (1.10, 8.3.4; 1.3/-5 is the\n"
    "heating curve's point at -5 degrees outdoors, 4.1/3 day 3 of a time program) and their\n"
    "values are written as the display shows them (20,5, Ikke Akt, (B), Ma 06:00-22:00).\n"
    "\n"
    "  show      every setting with its value, unit, factory value, limits and access level\n"
    "  --changed only the settings that differ from the factory values\n"
    "  --level L only what access level L reaches\n"
    "  --format  text (default), csv or json\n"
    "  diff      the settings that differ between two files; exit 1 when some do\n"
    "  set       changes settings as their editors save them and writes the image to OUT;\n"
    "            FILE is changed only when OUT names it\n"
    "  -o OUT    the file that set writes\n"
    "  alarms    the alarm log, newest first, as the alarm log viewer shows it\n"
    "  check     size, signature, settings outside their limits and the alarm log's write\n"
    "            offset; exit 0 sound, 1 findings, 2 unreadable\n"
    "  --help    this text\n"
    "  --version the program's version\n"
    "\n"
    "Exit status: 0 done, 1 differences or findings, 2 bad input (nothing is written).\n";

// A wrong command line or file: the message is printed and the exit status is 2.
struct BadInput {
    std::string message;
};

enum class Format { Text, Csv, Json };

// The command line after the command's name.
struct Options {
    std::vector<std::string> files;
    std::vector<std::string> assignments;
    std::string output;
    bool changedOnly = false;
    uint8_t level = 0;
    Format format = Format::Text;
};

Options parseOptions(const std::vector<std::string>& arguments) {
    Options options;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const auto value = [&](const char* what) {
            if (i + 1 >= arguments.size()) {
                throw BadInput{argument + " needs " + what};
            }
            return arguments[++i];
        };
        if (argument == "--changed") {
            options.changedOnly = true;
        } else if (argument == "--level") {
            const std::string name = value("a level (kund1, kund2, service, fabrikk)");
            options.level = accessLevelByName(name);
            if (options.level == 0) {
                throw BadInput{"unknown level '" + name + "' (kund1, kund2, service, fabrikk)"};
            }
        } else if (argument == "--format") {
            const std::string name = value("a format (text, csv, json)");
            if (name == "text") {
                options.format = Format::Text;
            } else if (name == "csv") {
                options.format = Format::Csv;
            } else if (name == "json") {
                options.format = Format::Json;
            } else {
                throw BadInput{"unknown format '" + name + "' (text, csv, json)"};
            }
        } else if (argument == "-o") {
            options.output = value("the file to write");
        } else if (argument.size() > 1 && argument[0] == '-') {
            throw BadInput{"unknown option '" + argument + "'"};
        } else if (argument.find('=') != std::string::npos) {
            options.assignments.push_back(argument);
        } else {
            options.files.push_back(argument);
        }
    }
    return options;
}

// ---- reading a file -----------------------------------------------------------------------

constexpr uintmax_t FlashFileBytes = PersistedFlashWords * 2;

// Why a file cannot be read as a flash image, or empty when it can.
std::string unreadableReason(const std::string& path) {
    std::error_code ec;
    if (!fs::exists(path, ec)) {
        return "no such file";
    }
    if (fs::is_directory(path, ec)) {
        return "a folder, not a file";
    }
    return "";
}

// The file's image in FlashImage and the cells 0..478 loaded from it, as a start does.
void loadImage(const std::string& path) {
    resetControllerState();
    if (!readFlashImageFile(path)) {
        throw BadInput{path + ": cannot be read"};
    }
    loadCellsFromFlash();
}

// Loads a file that can be read as a flash image, whatever its size; returns its size.
uintmax_t loadReadableImage(const std::string& path) {
    const std::string reason = unreadableReason(path);
    if (!reason.empty()) {
        throw BadInput{path + ": " + reason};
    }
    std::error_code ec;
    const uintmax_t size = fs::file_size(path, ec);
    if (ec) {
        throw BadInput{path + ": cannot be read"};
    }
    loadImage(path);
    return size;
}

// Loads a file that must be a Flash.dat as the unit writes it: 2048 bytes with the signature.
void loadSoundImage(const std::string& path) {
    const uintmax_t size = loadReadableImage(path);
    const std::string problem = flashImageProblem(static_cast<size_t>(size));
    if (!problem.empty()) {
        throw BadInput{path + ": " + problem};
    }
}

// ---- output -------------------------------------------------------------------------------

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    }
    return quoted + "\"";
}

size_t displayWidth(const std::string& text) {
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// Rows as a table: text in aligned columns, or CSV with a head row.
void writeRows(std::ostream& out, Format format, const std::vector<std::string>& head,
               const std::vector<std::vector<std::string>>& rows) {
    if (format == Format::Csv) {
        for (const auto* row : {&head}) {
            for (size_t c = 0; c < row->size(); ++c) {
                out << (c == 0 ? "" : ",") << csvField((*row)[c]);
            }
            out << '\n';
        }
        for (const auto& row : rows) {
            for (size_t c = 0; c < row.size(); ++c) {
                out << (c == 0 ? "" : ",") << csvField(row[c]);
            }
            out << '\n';
        }
        return;
    }
    std::vector<size_t> widths(head.size());
    for (size_t c = 0; c < head.size(); ++c) {
        widths[c] = displayWidth(head[c]);
        for (const auto& row : rows) {
            widths[c] = std::max(widths[c], displayWidth(row[c]));
        }
    }
    const auto line = [&](const std::vector<std::string>& row) {
        std::string text;
        for (size_t c = 0; c < row.size(); ++c) {
            text += row[c];
            if (c + 1 < row.size()) {
                text += std::string(widths[c] - displayWidth(row[c]) + 2, ' ');
            }
        }
        text.erase(text.find_last_not_of(' ') + 1);
        out << text << '\n';
    };
    line(head);
    for (const auto& row : rows) {
        line(row);
    }
}

Json settingJson(const Setting& setting) {
    Json paths = Json::array();
    for (const SettingPath& path : setting.paths) {
        paths.push_back({{"route", path.route}, {"level", accessLevelName(path.access)}});
    }
    return {{"number", setting.number},
            {"name", setting.name},
            {"english", setting.englishName},
            {"value", settingValueText(setting)},
            {"unit", setting.unit},
            {"factory", settingFactoryText(setting)},
            {"min", settingMinText(setting)},
            {"max", settingMaxText(setting)},
            {"choices", setting.choices},
            {"format", setting.format},
            {"cell", setting.cell},
            {"level", accessLevelName(setting.access)},
            {"changed", settingChanged(setting)},
            {"paths", paths}};
}

// ---- the commands -------------------------------------------------------------------------

int show(const Options& options, std::ostream& out) {
    if (options.files.size() != 1) {
        throw BadInput{"show needs one FILE"};
    }
    loadSoundImage(options.files[0]);
    std::vector<const Setting*> shown;
    for (const Setting& setting : settingsCatalogue()) {
        if ((options.level == 0 || (setting.access & options.level) != 0) &&
            (!options.changedOnly || settingChanged(setting))) {
            shown.push_back(&setting);
        }
    }
    if (options.format == Format::Json) {
        Json list = Json::array();
        for (const Setting* setting : shown) {
            list.push_back(settingJson(*setting));
        }
        out << list.dump(2) << '\n';
        return 0;
    }
    // The text table has an English column once the texts have English names.
    const bool withEnglish = std::any_of(shown.begin(), shown.end(), [](const Setting* setting) {
        return !setting->englishName.empty();
    });
    std::vector<std::vector<std::string>> rows;
    for (const Setting* setting : shown) {
        std::vector<std::string> row = {setting->number,
                                        setting->name,
                                        settingValueText(*setting),
                                        setting->unit,
                                        settingFactoryText(*setting),
                                        settingMinText(*setting),
                                        settingMaxText(*setting),
                                        accessLevelName(setting->access)};
        if (options.format == Format::Csv) {
            row.insert(row.begin() + 2, setting->englishName);
            row.push_back(settingChanged(*setting) ? "yes" : "no");
        } else if (withEnglish) {
            row.insert(row.begin() + 2, setting->englishName);
        }
        rows.push_back(row);
    }
    if (options.format == Format::Csv) {
        writeRows(out, options.format,
                  {"number", "name", "english", "value", "unit", "factory", "min", "max", "level",
                   "changed"},
                  rows);
    } else {
        std::vector<std::string> head = {"Number",  "Name", "Value", "Unit",
                                         "Factory", "Min",  "Max",   "Level"};
        if (withEnglish) {
            head.insert(head.begin() + 2, "English");
        }
        writeRows(out, options.format, head, rows);
    }
    return 0;
}

int diff(const Options& options, std::ostream& out) {
    if (options.files.size() != 2) {
        throw BadInput{"diff needs two files, A and B"};
    }
    const std::string& a = options.files[0];
    const std::string& b = options.files[1];
    std::map<const Setting*, std::string> valuesOfA;
    loadSoundImage(a);
    const std::vector<int16_t> cellsOfA(ControllerCells, ControllerCells + ParameterCellCount);
    for (const Setting& setting : settingsCatalogue()) {
        valuesOfA[&setting] = settingValueText(setting);
    }
    loadSoundImage(b);
    std::vector<std::vector<std::string>> rows;
    Json list = Json::array();
    for (const Setting& setting : settingsCatalogue()) {
        if (!settingDiffers(setting, cellsOfA.data(), ControllerCells)) {
            continue;
        }
        const std::string valueOfB = settingValueText(setting);
        rows.push_back({setting.number, setting.name, valuesOfA[&setting], valueOfB, setting.unit});
        list.push_back({{"number", setting.number},
                        {"name", setting.name},
                        {"english", setting.englishName},
                        {"unit", setting.unit},
                        {"a", valuesOfA[&setting]},
                        {"b", valueOfB}});
    }
    if (options.format == Format::Json) {
        out << Json{{"a", a}, {"b", b}, {"differences", list}}.dump(2) << '\n';
    } else {
        writeRows(out, options.format, {"Number", "Name", a, b, "Unit"}, rows);
    }
    return rows.empty() ? 0 : 1;
}

int set(const Options& options, std::ostream& out) {
    if (options.files.size() != 1) {
        throw BadInput{"set needs one FILE"};
    }
    if (options.assignments.empty()) {
        throw BadInput{"set needs at least one NUMBER=VALUE"};
    }
    if (options.output.empty()) {
        throw BadInput{"set needs -o OUT, the file to write"};
    }
    if (fs::is_directory(options.output)) {
        throw BadInput{options.output + ": a folder, not a file"};
    }
    loadSoundImage(options.files[0]);
    // Every value is checked and written in memory, one after another as the editors would save
    // them; the file is written only when all of them were accepted.
    for (const std::string& assignment : options.assignments) {
        const size_t equals = assignment.find('=');
        const std::string number = assignment.substr(0, equals);
        const Setting* setting = findSetting(number);
        if (setting == nullptr) {
            throw BadInput{"unknown setting number '" + number + "' (kv410-flash show lists them)"};
        }
        std::string message;
        if (!setSettingFromText(*setting, assignment.substr(equals + 1), message)) {
            throw BadInput{message};
        }
    }
    // The save's messages are caught here and told as this program's own.
    Platform* const previous = &platform();
    VirtualPlatform host;
    installPlatform(&host);
    const std::string previousPath = FlashFilePath;
    FlashFilePath = options.output;
    saveFlashFile();
    FlashFilePath = previousPath;
    installPlatform(previous);
    if (!host.messages.empty()) {
        throw BadInput{options.output + ": " + host.messages.front().text};
    }
    for (const std::string& assignment : options.assignments) {
        const Setting* setting = findSetting(assignment.substr(0, assignment.find('=')));
        out << setting->number << ' ' << setting->name << " = " << settingValueText(*setting)
            << (setting->unit.empty() ? "" : " " + setting->unit) << '\n';
    }
    return 0;
}

int alarms(const Options& options, std::ostream& out) {
    if (options.files.size() != 1) {
        throw BadInput{"alarms needs one FILE"};
    }
    loadSoundImage(options.files[0]);
    std::vector<std::vector<std::string>> rows;
    Json list = Json::array();
    for (const AlarmLogLine& line : alarmLogLines()) {
        const bool known = line.alarm >= 0;
        const std::string text =
            known ? displayTextToUtf8(line.texts[0]) + " / " + displayTextToUtf8(line.texts[1])
                  : "(no record: damaged or beyond the part of the log kept in the file)";
        std::string compact;
        for (char c : text) {
            if (c != ' ' || (!compact.empty() && compact.back() != ' ')) {
                compact += c;
            }
        }
        compact.erase(compact.find_last_not_of(' ') + 1);
        const std::string number = known ? std::to_string(line.alarm) : "-";
        rows.push_back({line.time, number, compact});
        Json record = {{"time", line.time}, {"alarm", nullptr}, {"text", compact}};
        if (known) {
            record["alarm"] = line.alarm;
        }
        list.push_back(record);
    }
    if (options.format == Format::Json) {
        out << list.dump(2) << '\n';
    } else {
        writeRows(out, options.format, {"Time", "Alarm", "Text"}, rows);
    }
    return 0;
}

int check(const Options& options, std::ostream& out) {
    if (options.files.size() != 1) {
        throw BadInput{"check needs one FILE"};
    }
    const std::string& path = options.files[0];
    const uintmax_t size = loadReadableImage(path);
    const uint16_t logOffset = readFlashWord(AlarmLogOffsetFlashWord);
    int findings = 0;
    const auto finding = [&](const std::string& text) {
        out << path << ": " << text << '\n';
        ++findings;
    };
    if (size != FlashFileBytes) {
        finding("size " + std::to_string(size) + " bytes; a Flash.dat has " +
                std::to_string(FlashFileBytes));
    }
    if (!flashImageSigned()) {
        finding("no signature in flash words 49, 51 and 53: the unit would start from factory "
                "values");
    } else {
        for (const Setting& setting : settingsCatalogue()) {
            if (!settingWithinLimits(setting)) {
                std::string limits = settingMinText(setting) + ".." + settingMaxText(setting);
                if (setting.kind != SettingKind::Number &&
                    setting.kind != SettingKind::ProgramDay) {
                    limits.clear();
                    for (const std::string& choice : setting.choices) {
                        limits += (limits.empty() ? "" : ", ") + choice;
                    }
                }
                finding("setting " + setting.number + " " + setting.name + " (cell " +
                        std::to_string(setting.cell) + " = " +
                        std::to_string(ControllerCells[setting.cell]) + ") is outside its limits " +
                        limits);
            }
        }
    }
    if (logOffset % AlarmRecordWords != 0 || logOffset > AlarmLogMaxOffset) {
        finding("alarm log write offset (flash word 513) is " + std::to_string(logOffset) +
                ", not a multiple of 13 from 0 to " + std::to_string(AlarmLogMaxOffset) +
                "; the unit brings it back into range at start");
    }
    if (findings == 0) {
        const int records = logOffset / AlarmRecordWords;
        out << path << ": sound: " << size << " bytes, signed, every setting within its limits, "
            << records << (records == 1 ? " record" : " records")
            << " in the alarm log (write offset " << logOffset << ")\n";
        return 0;
    }
    return 1;
}

} // namespace

int runFlashTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    if (arguments.empty()) {
        err << Usage;
        return 2;
    }
    const std::string& command = arguments[0];
    if (command == "--help" || command == "-h") {
        out << Usage;
        return 0;
    }
    if (command == "--version") {
        out << "kv410-flash " << ProgramVersion << '\n';
        return 0;
    }
    try {
        const Options options = parseOptions(arguments);
        if (command == "show") {
            return show(options, out);
        }
        if (command == "diff") {
            return diff(options, out);
        }
        if (command == "set") {
            return set(options, out);
        }
        if (command == "alarms") {
            return alarms(options, out);
        }
        if (command == "check") {
            return check(options, out);
        }
        throw BadInput{"unknown command '" + command + "' (show, diff, set, alarms, check)"};
    } catch (const BadInput& bad) {
        err << "kv410-flash: " << bad.message << '\n';
        return 2;
    }
}

} // namespace kv410
