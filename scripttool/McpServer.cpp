#include "scripttool/McpServer.h"

#include "core/FlashFile.h"
#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "core/VirtualPlatform.h"
#include "display/Lcd.h"
#include "display/RelayLamps.h"
#include "display/TextTable.h"
#include "menu/AlarmLogViewer.h"
#include "menu/MenuEngine.h"
#include "menu/MenuTree.h"
#include "menu/SettingsCatalogue.h"
#include "panel/PanelPaint.h"
#include "panel/SensorSimulation.h"
#include "pictures/Pictures.h"
#include "scenario/Actions.h"
#include "scenario/Script.h"
#include "scenario/StepSequencer.h"
#include "supervision/Alarms.h"
#include "unit/Session.h"

#include "KV410Version.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <istream>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>
#include <unistd.h>

namespace kv410 {

namespace {

using Json = nlohmann::ordered_json;
namespace fs = std::filesystem;

// The revisions of the protocol this server speaks, newest first.
constexpr const char* ProtocolVersions[] = {"2025-11-25", "2025-06-18", "2025-03-26", "2024-11-05"};

// JSON-RPC error codes.
constexpr int ParseError = -32700;
constexpr int InvalidRequest = -32600;
constexpr int MethodNotFound = -32601;
constexpr int InvalidParams = -32602;
constexpr int InternalError = -32603;
constexpr int ResourceNotFound = -32002;

// The script's names of the front LEDs, in FrontLed order.
constexpr const char* LedNames[FrontLedCount] = {"on", "hotwater", "aux", "compressor", "alarm"};
// The toggle buttons of the alarm inputs.
constexpr int AlarmInputCount = 8;

// The name of the session's steps in answers ("<mcp>:12").
constexpr const char* SessionFile = "<mcp>";

// A request that cannot be served: answered with a JSON-RPC error object.
struct RpcError {
    int code;
    std::string message;
};
// A tool's input that cannot be used (a path outside the folder, a step that cannot be read):
// answered as a tool result with isError, as the protocol has tool errors answered.
struct ToolError {
    std::string message;
};

std::string dumped(const Json& json) {
    return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

Json textContent(const std::string& text) {
    return Json{{"type", "text"}, {"text", text}};
}

Json toolResult(const std::string& text, bool isError = false) {
    Json result;
    result["content"] = Json::array({textContent(text)});
    result["isError"] = isError;
    return result;
}

Json jsonResult(const Json& data) {
    Json result = toolResult(data.dump(2, ' ', false, Json::error_handler_t::replace));
    result["structuredContent"] = data;
    return result;
}

std::string trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \n");
    if (first == std::string_view::npos) {
        return {};
    }
    const size_t last = text.find_last_not_of(" \n");
    return std::string(text.substr(first, last - first + 1));
}

std::string base64(const std::string& bytes) {
    static constexpr char Digits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t group = static_cast<uint8_t>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) {
            group |= static_cast<uint8_t>(bytes[i + 1]) << 8;
        }
        if (i + 2 < bytes.size()) {
            group |= static_cast<uint8_t>(bytes[i + 2]);
        }
        out += Digits[(group >> 18) & 63];
        out += Digits[(group >> 12) & 63];
        out += i + 1 < bytes.size() ? Digits[(group >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? Digits[group & 63] : '=';
    }
    return out;
}

// The arguments of a tool call, read against its schema: a missing or mistyped argument is an
// invalid request.
class Arguments {
public:
    explicit Arguments(const Json& arguments) : arguments_(arguments) {}

    std::string text(const char* name) const {
        const Json* value = find(name);
        if (value == nullptr) {
            throw RpcError{InvalidParams, std::string("missing argument '") + name + "'"};
        }
        if (!value->is_string()) {
            throw RpcError{InvalidParams, std::string("argument '") + name + "' must be a string"};
        }
        return value->get<std::string>();
    }
    std::optional<std::string> optionalText(const char* name) const {
        if (find(name) == nullptr) {
            return std::nullopt;
        }
        return text(name);
    }
    int64_t integer(const char* name, int64_t min, int64_t max) const {
        const Json* value = find(name);
        if (value == nullptr) {
            throw RpcError{InvalidParams, std::string("missing argument '") + name + "'"};
        }
        if (!value->is_number_integer() ||
            (value->is_number_unsigned() && value->get<uint64_t>() > static_cast<uint64_t>(max))) {
            throw RpcError{InvalidParams,
                           std::string("argument '") + name + "' must be an integer"};
        }
        const int64_t number = value->get<int64_t>();
        if (number < min || number > max) {
            throw RpcError{InvalidParams, std::string("argument '") + name + "' must lie within " +
                                              std::to_string(min) + ".." + std::to_string(max)};
        }
        return number;
    }
    bool flag(const char* name) const {
        const Json* value = find(name);
        if (value == nullptr) {
            return false;
        }
        if (!value->is_boolean()) {
            throw RpcError{InvalidParams,
                           std::string("argument '") + name + "' must be true or false"};
        }
        return value->get<bool>();
    }
    // One of the given words.
    std::string choice(const char* name, const std::vector<std::string>& words) const {
        const std::string word = text(name);
        if (std::find(words.begin(), words.end(), word) == words.end()) {
            std::string list;
            for (const std::string& w : words) {
                list += (list.empty() ? "" : ", ") + w;
            }
            throw RpcError{InvalidParams,
                           std::string("argument '") + name + "' must be one of " + list};
        }
        return word;
    }

private:
    const Json* find(const char* name) const {
        const auto it = arguments_.find(name);
        return it == arguments_.end() ? nullptr : &*it;
    }
    const Json& arguments_;
};

Json stringSchema(const std::string& description) {
    return Json{{"type", "string"}, {"description", description}};
}

Json objectSchema(Json properties, std::vector<std::string> required) {
    Json schema{{"type", "object"}, {"properties", std::move(properties)}};
    if (!required.empty()) {
        schema["required"] = required;
    }
    schema["additionalProperties"] = false;
    return schema;
}

std::vector<std::string> namesOf(const char* const* names, int count) {
    return std::vector<std::string>(names, names + count);
}

} // namespace

struct McpServer::State {
    using Handler = Json (State::*)(const Arguments&);
    struct Tool {
        const char* name;
        const char* description;
        Json schema;
        Handler handler;
    };
    // What one tool call played: the sequencer's answers and the counts it added.
    struct Played {
        std::string output;
        int passed = 0;
        int failed = 0;
        int problems = 0;
        // Of the last check: what it looked for and what it found.
        std::string expected;
        std::string found;
    };

    State(const ScenarioOptions& scenario, const std::string& folderName)
        : options(scenario), folder(folderName.empty() ? "." : folderName),
          session(host, std::string()), sequencer(session, answers, sequencerOptions(), hooks()) {
        const int* c = options.clock;
        host.setClock(c[0], c[1], c[2], c[3], c[4], c[5]);
        session.create();
        sequencer.noteLcd();
        session.show();
        defineTools();
    }
    ~State() {
        session.stop();
        installPlatform(nullptr);
    }

    SequencerOptions sequencerOptions() const {
        SequencerOptions sequencer;
        sequencer.oneLine = true;
        sequencer.picturesFolder = folder;
        sequencer.tolerance = options.tolerance;
        return sequencer;
    }

    SequencerHooks hooks() {
        SequencerHooks hooks;
        hooks.checked = [this](const CheckOutcome& outcome) {
            lastCheckPassed = outcome.passed;
            lastExpected = outcome.expected;
            lastFound = outcome.found;
        };
        return hooks;
    }

    // --- playing steps --------------------------------------------------------------------

    // A file named by the client, inside the folder; a ToolError otherwise.
    fs::path inside(const std::string& name) const {
        if (name.empty()) {
            throw ToolError{"a file name is needed"};
        }
        const fs::path given(name);
        for (const fs::path& part : given) {
            if (part == "..") {
                throw ToolError{"'" + name + "' names a parent folder (..); files stay inside " +
                                folder};
            }
        }
        std::error_code error;
        const fs::path root = fs::weakly_canonical(fs::absolute(folder, error), error);
        const fs::path full = fs::weakly_canonical(
            given.is_absolute() ? given : fs::absolute(folder, error) / given, error);
        const auto [r, f] = std::mismatch(root.begin(), root.end(), full.begin(), full.end());
        if (error || r != root.end() || f == full.end()) {
            throw ToolError{"'" + name + "' lies outside the folder " + folder};
        }
        return full;
    }

    // Parses the text of steps; a ToolError names the first line that cannot be read.
    Script parsed(const std::string& text) const {
        Script script;
        script.file = SessionFile;
        std::vector<std::string> errors;
        if (!parseScript(text, SessionFile, script, errors)) {
            throw ToolError{errors.front()};
        }
        return script;
    }

    // Refuses steps that would run longer than one call may, or that need pictures this
    // build cannot draw.
    void admit(const std::vector<Step>& steps) const {
        int64_t ticks = 0;
        for (const Step& step : steps) {
            ticks += stepTicks(step);
            if (stepNeedsPictures(step) && frontPictures() == nullptr) {
                throw ToolError{"pictures of the front need kv410-script built with Qt 6, and "
                                "this build has none"};
            }
        }
        if (ticks > tickLimit) {
            throw ToolError{"the steps ask for " + std::to_string(ticks * TickMs / 1000) +
                            " s of virtual time; one call may take at most " +
                            std::to_string(tickLimit * TickMs / 1000) + " s"};
        }
    }

    // Plays one step on the session and writes it to the recording as it can be replayed.
    void playStep(Step step, Played& played) {
        step.line = ++lineCount;
        std::string recordedName;
        if (step.kind == StepKind::LoadFlash) {
            recordedName = step.text;
            step.text = inside(step.text).string();
        }
        const ScenarioTotals before = sequencer.totals;
        const int64_t startTick = session.time.tick;
        Script one;
        one.file = SessionFile;
        one.steps.push_back(step);
        lastCheckPassed = true;
        sequencer.enqueue(one);
        sequencer.finish();
        reportMessages();
        played.passed += sequencer.totals.passed - before.passed;
        played.failed += sequencer.totals.failed - before.failed;
        const int problems = sequencer.totals.problems - before.problems;
        played.problems += problems;
        played.expected = lastExpected;
        played.found = lastFound;

        Step written = step;
        if (step.kind == StepKind::LoadFlash) {
            written.text = recordedName;
        }
        if (problems > 0 || step.kind == StepKind::Snapshot) {
            recording.push_back("# " + writeStep(written));
        } else if (step.kind == StepKind::WaitUntil && !lastCheckPassed) {
            // It ran to its bound: the replay waits as long and does not check.
            recording.push_back("# did not hold: " + writeStep(written));
            Step wait;
            wait.kind = StepKind::Wait;
            wait.ticks = session.time.tick - startTick;
            recording.push_back(writeStep(wait));
        } else if ((step.kind == StepKind::Expect) && !lastCheckPassed) {
            recording.push_back("# failed: " + writeStep(written));
        } else {
            recording.push_back(writeStep(written));
        }
    }

    Played play(const Script& script) {
        admit(script.steps);
        Played played;
        for (const Step& step : script.steps) {
            playStep(step, played);
        }
        played.output = answers.str();
        answers.str({});
        return played;
    }

    // The message boxes the controller showed, as kv410-script prints them.
    void reportMessages() {
        for (const RecordedMessage& message : host.messages) {
            answers << timeStamp(session.time.tick) << " message box \"" << message.caption
                    << "\": " << message.text << '\n';
        }
        host.messages.clear();
    }

    // The four LCD lines and the time, after an action.
    std::string screen() const {
        std::string text = timeStamp(session.time.tick) + (LcdLit ? " lit" : " dark") + '\n';
        for (int line = 1; line <= 4; ++line) {
            text += "|" + lcdLineText(line) + "|\n";
        }
        return text;
    }

    Json acted(const std::string& text) {
        const Played played = play(parsed(text));
        return toolResult(played.output + screen(), played.problems > 0);
    }

    // --- tools ----------------------------------------------------------------------------

    Json readDisplay(const Arguments&) {
        Json data;
        Json lines = Json::array();
        for (int line = 1; line <= 4; ++line) {
            lines.push_back(lcdLineText(line));
        }
        data["lcd"] = lines;
        data["lit"] = LcdLit;
        data["graph"] = GraphVisible ? Json{{"visible", true}, {"start", barStart}, {"end", barEnd}}
                                     : Json{{"visible", false}};
        Json leds = Json::array();
        for (int led = 0; led < FrontLedCount; ++led) {
            const uint16_t mode = IoWords[FrontLedWords[led]];
            leds.push_back({{"name", LedNames[led]},
                            {"mode", mode == 0 ? "off" : (mode == 2 ? "blinking" : "on")},
                            {"lit", FrontLedLit[led]}});
        }
        data["leds"] = leds;
        Json lamps = Json::array();
        for (int lamp = 0; lamp < 10; ++lamp) {
            const uint16_t mode = IoWords[RelayLampWords[lamp]];
            lamps.push_back({{"lamp", lamp + 1},
                             {"label", LampLabels[lamp]},
                             {"mode", mode == 0 ? "off" : (mode == 2 ? "blinking" : "on")},
                             {"lit", RelayLampLit[lamp]}});
        }
        data["lamps"] = lamps;
        data["node"] = nodeJson(static_cast<int>(currentNode - MenuNodes));
        data["access"] = accessLevelName(static_cast<uint8_t>(IoWords[AccessLevelWord]));
        Json alarms = Json::array();
        for (const uint8_t n : ActiveAlarmList) {
            if (n == NoAlarm || n >= AlarmSlotCount) {
                continue;
            }
            const AlarmTexts texts = alarmTexts(n);
            const uint16_t flags = static_cast<uint16_t>(ControllerCells[AlarmFlagsCell + n]);
            alarms.push_back({{"alarm", n},
                              {"text", trimmed(displayTextToUtf8(texts.lines[0])) + " / " +
                                           trimmed(displayTextToUtf8(texts.lines[1]))},
                              {"acknowledged", (flags & AlarmAcknowledgedBit) != 0}});
        }
        data["alarms"] = alarms;
        Json inputs;
        for (int n = 0; n < AlarmInputCount; ++n) {
            inputs[ToggleCaptions[n]] = IoWords[ToggleWords[n]];
        }
        data["inputs"] = inputs;
        data["beeps"] = host.beepsPlayed();
        data["time"] = {{"ms", session.time.tick * TickMs},
                        {"stamp", timeStamp(session.time.tick)}};
        return jsonResult(data);
    }

    Json nodeJson(int n) {
        if (n < 0 || n >= MenuNodeCount) {
            return nullptr;
        }
        const MenuNode& node = MenuNodes[n];
        Json json{{"number", n}, {"kind", node.kind}};
        const auto found = nodeSettings().find(n);
        if (found != nodeSettings().end()) {
            json["settings"] = found->second;
        }
        return json;
    }

    // The numbers of the settings each node shows or edits.
    const std::map<int, std::vector<std::string>>& nodeSettings() {
        if (nodeSettings_.empty()) {
            for (const Setting& setting : settingsCatalogue()) {
                for (const int node : setting.nodes) {
                    nodeSettings_[node].push_back(setting.number);
                }
            }
        }
        return nodeSettings_;
    }

    Json press(const Arguments& arguments) {
        std::istringstream words(arguments.text("sequence"));
        std::string text;
        std::string word;
        int count = 0;
        while (words >> word) {
            if (++count > 100) {
                throw ToolError{"at most 100 presses in one call"};
            }
            std::string lower = word;
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](unsigned char c) { return std::tolower(c); });
            if (lower == "left" || lower == "right" || lower == "middle" || lower == "power") {
                text += "click " + lower + "\n";
            } else if (lower == "forward" || lower == "back") {
                text += "click knob " + lower + "\n";
            } else {
                text += "key " + word + "\n";
            }
            // The unit takes one press per cycle.
            text += "tick\n";
        }
        if (count == 0) {
            throw RpcError{InvalidParams, "argument 'sequence' names no button or key"};
        }
        return acted(text);
    }

    Json turn(const Arguments& arguments) {
        const int64_t clicks = arguments.integer("clicks", -1000, 1000);
        return acted("turn " + std::to_string(clicks) + (arguments.flag("shift") ? " shift" : ""));
    }

    Json hold(const Arguments& arguments) {
        const std::string button = arguments.choice("button", {"left", "middle", "right"});
        return acted("hold " + button + " " + arguments.text("duration"));
    }

    Json advance(const Arguments& arguments) { return acted("wait " + arguments.text("duration")); }

    Json waitUntil(const Arguments& arguments) {
        const Played played = play(parsed("wait until " + arguments.text("check") + " within " +
                                          arguments.text("within")));
        return checked(played);
    }

    Json setSensor(const Arguments& arguments) {
        const std::string sensor = arguments.choice("sensor", namesOf(SensorNames, 11));
        const int64_t value = arguments.integer("value", SliderMin, SliderMax);
        return acted("sensor " + sensor + " " + std::to_string(value));
    }

    Json setInput(const Arguments& arguments) {
        return acted("click " +
                     arguments.choice("input", namesOf(ToggleCaptions, AlarmInputCount)));
    }

    Json power(const Arguments&) { return acted("click power\ntick"); }

    Json check(const Arguments& arguments) {
        const std::string text = arguments.text("check");
        const std::string_view expect = "expect ";
        return checked(play(parsed(
            text.compare(0, expect.size(), expect) == 0 ? text : std::string(expect) + text)));
    }

    Json checked(const Played& played) {
        const bool passed = played.problems == 0 && played.failed == 0 && played.passed > 0;
        Json data{{"passed", passed}, {"answer", trimmed(played.output)}};
        if (!passed) {
            data["expected"] = played.expected;
            data["found"] = played.found;
        }
        Json result = jsonResult(data);
        result["isError"] = played.problems > 0;
        return result;
    }

    Json runSteps(const Arguments& arguments) {
        // Each line is read alone, as live control reads it: a line that cannot be read is
        // answered with "error" and the others are played.
        std::istringstream lines(arguments.text("steps"));
        std::vector<std::pair<std::string, Script>> parsedLines;
        std::vector<Step> all;
        std::string line;
        while (std::getline(lines, line)) {
            Script one;
            one.file = SessionFile;
            std::vector<std::string> errors;
            parseScript(line, SessionFile, one, errors);
            parsedLines.emplace_back(errors.empty() ? std::string() : errors.front(), one);
            all.insert(all.end(), one.steps.begin(), one.steps.end());
        }
        admit(all);
        Played played;
        for (auto& [error, one] : parsedLines) {
            if (!error.empty()) {
                const size_t at = error.find(": ", std::string(SessionFile).size() + 1);
                answers << "error " << SessionFile << ':' << ++lineCount << ':'
                        << (at == std::string::npos ? " " + error : error.substr(at + 1)) << '\n';
                ++played.problems;
                continue;
            }
            for (const Step& step : one.steps) {
                try {
                    playStep(step, played);
                } catch (const ToolError& refused) {
                    answers << "error " << SessionFile << ':' << lineCount << ": "
                            << refused.message << '\n';
                    ++played.problems;
                }
            }
            if (one.steps.empty()) {
                ++lineCount;
            }
        }
        played.output = answers.str();
        answers.str({});
        return toolResult(played.output + std::to_string(played.passed) + " passed, " +
                              std::to_string(played.failed) + " failed\n",
                          played.problems > 0);
    }

    Json snapshot(const Arguments&) {
        FrontPictures* pictures = frontPictures();
        if (pictures == nullptr) {
            throw ToolError{"pictures of the front need kv410-script built with Qt 6, and this "
                            "build has none"};
        }
        std::error_code error;
        const fs::path path =
            fs::temp_directory_path(error) /
            ("kv410-mcp-" + std::to_string(getpid()) + "-" + std::to_string(++snapshots) + ".png");
        std::string problem;
        if (error || !pictures->save(path.string(), problem)) {
            throw ToolError{"the picture could not be drawn: " + problem};
        }
        std::ifstream file(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << file.rdbuf();
        file.close();
        fs::remove(path, error);
        Json result;
        result["content"] = Json::array(
            {{{"type", "image"}, {"data", base64(bytes.str())}, {"mimeType", "image/png"}},
             textContent("The front at " + timeStamp(session.time.tick))});
        result["isError"] = false;
        return result;
    }

    Json loadFlash(const Arguments& arguments) {
        const std::string name = arguments.text("file");
        inside(name);
        Step step;
        step.kind = StepKind::LoadFlash;
        step.text = name;
        step.source = writeStep(step);
        Script script;
        script.steps.push_back(step);
        const Played played = play(script);
        if (played.problems > 0) {
            return toolResult(played.output, true);
        }
        return toolResult("The unit started again from " + name + "\n" + played.output + screen());
    }

    Json saveFlash(const Arguments& arguments) {
        const std::string name = arguments.text("file");
        const fs::path path = inside(name);
        const std::vector<char> bytes = flashImageBytes();
        const fs::path temporary = path.string() + ".tmp-" + std::to_string(getpid());
        {
            std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
            file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            file.flush();
            if (!file) {
                std::error_code error;
                fs::remove(temporary, error);
                throw ToolError{"cannot write " + name};
            }
        }
        std::error_code error;
        fs::rename(temporary, path, error);
        if (error) {
            fs::remove(temporary, error);
            throw ToolError{"cannot write " + name};
        }
        recording.push_back("# the flash image was saved as " + quotedText(name));
        return toolResult("Saved the flash image (" + std::to_string(bytes.size()) + " bytes) as " +
                          name);
    }

    static Json settingJson(const Setting& setting, bool values) {
        Json json{{"number", setting.number},
                  {"name", setting.name},
                  {"english", setting.englishName},
                  {"unit", setting.unit},
                  {"factory", settingFactoryText(setting)},
                  {"min", settingMinText(setting)},
                  {"max", settingMaxText(setting)},
                  {"level", accessLevelName(setting.access)}};
        if (!setting.choices.empty()) {
            Json choices = Json::array();
            for (const std::string& choice : setting.choices) {
                choices.push_back(displayTextToUtf8(choice));
            }
            json["choices"] = choices;
        }
        if (values) {
            json["value"] = settingValueText(setting);
            json["changed"] = settingChanged(setting);
        } else {
            Json routes = Json::array();
            for (const SettingPath& path : setting.paths) {
                routes.push_back(path.route);
            }
            json["routes"] = routes;
        }
        return json;
    }

    Json settings(const Arguments& arguments) {
        const std::optional<std::string> number = arguments.optionalText("number");
        const bool changedOnly = arguments.flag("changed_only");
        Json list = Json::array();
        for (const Setting& setting : settingsCatalogue()) {
            if ((number && setting.number != *number) ||
                (changedOnly && !settingChanged(setting))) {
                continue;
            }
            list.push_back(settingJson(setting, true));
        }
        if (number && list.empty()) {
            throw ToolError{"no setting has the number " + *number};
        }
        return jsonResult(Json{{"settings", list}});
    }

    std::string recordingText() const {
        const int* c = options.clock;
        char clock[32];
        std::snprintf(clock, sizeof clock, "%04d-%02d-%02d %02d:%02d:%02d", c[0], c[1], c[2], c[3],
                      c[4], c[5]);
        std::string text = "# Recorded by kv410-script --mcp: the session from its start on the "
                           "host clock " +
                           std::string(clock) + ".\n";
        bool defaultClock = true;
        for (int k = 0; k < 6; ++k) {
            defaultClock = defaultClock && c[k] == DefaultScriptClock[k];
        }
        if (!defaultClock) {
            text += "# Replay it with kv410-script --clock \"" + std::string(clock) + "\".\n";
        }
        const bool flashSteps =
            std::any_of(recording.begin(), recording.end(),
                        [](const auto& line) { return line.compare(0, 6, "flash ") == 0; });
        if (flashSteps) {
            text += "# Its flash images lie in the server's folder " + folder +
                    ": keep the script there to replay it.\n";
        }
        for (const std::string& line : recording) {
            text += line + '\n';
        }
        return text;
    }

    Json recordingTool(const Arguments& arguments) {
        const std::string text = recordingText();
        const std::optional<std::string> name = arguments.optionalText("file");
        if (name) {
            std::ofstream file(inside(*name), std::ios::binary | std::ios::trunc);
            file << text;
            file.flush();
            if (!file) {
                throw ToolError{"cannot write " + *name};
            }
        }
        return toolResult(text);
    }

    void defineTools() {
        const Json duration = stringSchema(
            "a duration as scripts write it: 250ms, 5s, 10m, 2h, 1d or 3ticks (50 ms each)");
        const Json checkText = stringSchema(
            "a check of the scenario format without the word expect, e.g. lcd 1 \"ALARM   "
            "       (GT1)\", lcd 2 contains \"Lagrer\", led alarm lit, lamp 2 unlit, display lit, "
            "setting 1.10 \"20,5\", io 48 2, beeps 1 (see the resource kv410://scenario-format)");
        tools = {
            {"read_display",
             "The front as data: the four LCD lines, lit or dark, the LEDs and relay lamps with "
             "their modes, the current menu node (number, kind, the settings it shows), the "
             "access level, the active alarms (number, text, acknowledged), the alarm inputs "
             "and the virtual time. Takes no time.",
             objectSchema(Json::object(), {}), &State::readDisplay},
            {"press",
             "Presses buttons and keys one after another, each followed by one 50 ms tick so the "
             "unit takes it: left (back, cancel), right (select, change, acknowledge), middle "
             "(info), power (the power switch), forward and back (one knob click), or a key "
             "name (Up, Down, Left, Right, Shift+Left, Esc, Enter, ...). Answers with the LCD.",
             objectSchema({{"sequence", stringSchema("words separated by blanks, e.g. \"right "
                                                     "right left\"")}},
                          {"sequence"}),
             &State::press},
            {"turn",
             "Turns the knob by N clicks (forward for N > 0, back for N < 0), one 50 ms tick per "
             "click. In the menu the knob moves between entries; in an editor it changes the "
             "value. Answers with the LCD.",
             objectSchema({{"clicks", Json{{"type", "integer"},
                                           {"minimum", -1000},
                                           {"maximum", 1000},
                                           {"description", "knob clicks, signed"}}},
                           {"shift", Json{{"type", "boolean"},
                                          {"description", "with Shift held (larger steps)"}}}},
                          {"clicks"}),
             &State::turn},
            {"hold",
             "Holds a button under the display for a time, then releases it (left 3 s: access "
             "level KUND2, right 5 s: SERVICE). Answers with the LCD.",
             objectSchema(
                 {{"button", Json{{"type", "string"}, {"enum", {"left", "middle", "right"}}}},
                  {"duration", duration}},
                 {"button", "duration"}),
             &State::hold},
            {"advance", "Lets virtual time pass: nothing else moves it. Answers with the LCD.",
             objectSchema({{"duration", duration}}, {"duration"}), &State::advance},
            {"wait_until",
             "Lets virtual time pass until a check holds, at most the time given: tried at once "
             "and after every tick. Answers passed or not, with what was found.",
             objectSchema({{"check", checkText}, {"within", duration}}, {"check", "within"}),
             &State::waitUntil},
            {"set_sensor",
             "Moves a sensor's slider to a value in tenths of a degree (-500 means not fitted "
             "or broken). Takes no time.",
             objectSchema({{"sensor", Json{{"type", "string"}, {"enum", namesOf(SensorNames, 11)}}},
                           {"value", Json{{"type", "integer"},
                                          {"minimum", SliderMin},
                                          {"maximum", SliderMax},
                                          {"description", "tenths of a degree"}}}},
                          {"sensor", "value"}),
             &State::setSensor},
            {"set_input",
             "Clicks the toggle button of an alarm input, which switches it between normal and "
             "fault (read_display shows the inputs' words). Takes no time.",
             objectSchema({{"input", Json{{"type", "string"},
                                          {"enum", namesOf(ToggleCaptions, AlarmInputCount)}}}},
                          {"input"}),
             &State::setInput},
            {"power",
             "Clicks the power switch (it switches the unit on or off) and runs one tick; "
             "advance a few seconds afterwards for the unit to start.",
             objectSchema(Json::object(), {}), &State::power},
            {"check",
             "Checks the front now, as an expect step of a script does: answers passed or "
             "failed, with what was found. Takes no time.",
             objectSchema({{"check", checkText}}, {"check"}), &State::check},
            {"run_steps",
             "Plays scenario script text, one step per line, and answers as kv410-script --live "
             "does: every check with ok or FAIL, show and print with their lines, a line that "
             "cannot be read with error; then the totals.",
             objectSchema({{"steps", stringSchema("scenario steps, one per line")}}, {"steps"}),
             &State::runSteps},
            {"snapshot", "A PNG picture of the front as the window shows it now.",
             objectSchema(Json::object(), {}), &State::snapshot},
            {"load_flash",
             "Starts the unit again from a Flash.dat inside the server's folder (the file is "
             "only read).",
             objectSchema({{"file", stringSchema("a file inside the folder, e.g. Flash.dat")}},
                          {"file"}),
             &State::loadFlash},
            {"save_flash",
             "Saves the unit's flash image (its settings and alarm log) as a Flash.dat inside "
             "the server's folder.",
             objectSchema({{"file", stringSchema("a file inside the folder, e.g. Customer.dat")}},
                          {"file"}),
             &State::saveFlash},
            {"settings",
             "The settings catalogue with the current values: number (as the display gives "
             "it), name, English name, value, unit, factory value, limits, access level.",
             objectSchema({{"number", stringSchema("only the setting with this number, e.g. 1.10")},
                           {"changed_only", Json{{"type", "boolean"},
                                                 {"description", "only settings that differ "
                                                                 "from the factory values"}}}},
                          {}),
             &State::settings},
            {"recording",
             "The session so far as a scenario script that kv410-script replays with every "
             "check passing (a failed check is written as a comment); optionally saved inside "
             "the server's folder.",
             objectSchema({{"file", stringSchema("save the script inside the folder under this "
                                                 "name, e.g. session.kvs")}},
                          {}),
             &State::recordingTool},
        };
    }

    Json toolsList() const {
        Json list = Json::array();
        for (const Tool& tool : tools) {
            list.push_back({{"name", tool.name},
                            {"description", tool.description},
                            {"inputSchema", tool.schema}});
        }
        return Json{{"tools", list}};
    }

    Json callTool(const Json& params) {
        if (!params.contains("name") || !params["name"].is_string()) {
            throw RpcError{InvalidParams, "tools/call needs the tool's name"};
        }
        const std::string name = params["name"].get<std::string>();
        const auto tool = std::find_if(tools.begin(), tools.end(),
                                       [&name](const Tool& t) { return name == t.name; });
        if (tool == tools.end()) {
            throw RpcError{InvalidParams, "Unknown tool: " + name};
        }
        static const Json none = Json::object();
        const Json& arguments = params.contains("arguments") ? params["arguments"] : none;
        if (!arguments.is_object()) {
            throw RpcError{InvalidParams, "the arguments of a tool are an object"};
        }
        try {
            const auto& properties = tool->schema["properties"];
            for (const auto& item : arguments.items()) {
                if (!properties.contains(item.key())) {
                    throw RpcError{InvalidParams,
                                   "the tool " + name + " has no argument '" + item.key() + "'"};
                }
            }
            return (this->*(tool->handler))(Arguments(arguments));
        } catch (const ToolError& error) {
            answers.str({});
            return toolResult(error.message, true);
        } catch (const RpcError& error) {
            // Arguments that do not fit the tool's schema: a tool error the assistant can read
            // and correct, as the protocol asks for input errors.
            answers.str({});
            return toolResult(error.message, true);
        }
    }

    // --- resources ------------------------------------------------------------------------

    struct Resource {
        const char* uri;
        const char* name;
        const char* description;
        const char* mimeType;
    };
    static constexpr Resource Resources[] = {
        {"kv410://menu-tree", "Menu tree",
         "Every node of the menu tree: kind, access levels, links and the texts of its lines",
         "application/json"},
        {"kv410://alarms", "Alarm texts",
         "Every alarm number with its two display lines and its help text", "application/json"},
        {"kv410://settings", "Settings catalogue",
         "Every stored setting: number, names, unit, factory value, limits, level, the ways "
         "through the menu",
         "application/json"},
        {"kv410://scenario-format", "Scenario format",
         "The scenario script format: steps, checks, durations", "text/markdown"},
    };

    Json resourcesList() const {
        Json list = Json::array();
        for (const Resource& resource : Resources) {
            list.push_back({{"uri", resource.uri},
                            {"name", resource.name},
                            {"description", resource.description},
                            {"mimeType", resource.mimeType}});
        }
        return Json{{"resources", list}};
    }

    static std::string textOf(int group, int offset) {
        const int n = group + offset;
        return n >= 0 && n < TextCount ? trimmed(displayTextToUtf8(TextTable[n])) : std::string();
    }

    Json menuTree() {
        const int groups[4] = {TextGroupLine1, TextGroupLine2, TextGroupLine3, TextGroupLine4};
        const auto index = [](const MenuNode* node) -> Json {
            return node == nullptr ? Json(nullptr) : Json(static_cast<int>(node - MenuNodes));
        };
        Json nodes = Json::array();
        for (int n = 0; n < MenuNodeCount; ++n) {
            const MenuNode& node = MenuNodes[n];
            Json lines = Json::array();
            for (int line = 0; line < 4; ++line) {
                lines.push_back(textOf(groups[line], node.texts[line]));
            }
            Json json = nodeJson(n);
            json["access"] = node.access & 0x0F;
            json["parent"] = index(node.parent);
            json["child"] = index(node.child);
            json["next"] = index(node.next);
            json["prev"] = index(node.prev);
            json["lines"] = lines;
            nodes.push_back(json);
        }
        return Json{{"access_bits", {{"kund1", 1}, {"kund2", 2}, {"service", 4}, {"fabrikk", 8}}},
                    {"nodes", nodes}};
    }

    static Json alarmsJson() {
        Json list = Json::array();
        for (int n = 0; n < KnownAlarmCount; ++n) {
            const AlarmTexts texts = alarmTexts(n);
            Json help = Json::array();
            for (const std::string& line : texts.help) {
                help.push_back(trimmed(displayTextToUtf8(line)));
            }
            list.push_back({{"alarm", n},
                            {"lines",
                             {trimmed(displayTextToUtf8(texts.lines[0])),
                              trimmed(displayTextToUtf8(texts.lines[1]))}},
                            {"help", help}});
        }
        return Json{{"alarms", list}};
    }

    Json readResource(const Json& params) {
        if (!params.contains("uri") || !params["uri"].is_string()) {
            throw RpcError{InvalidParams, "resources/read needs the resource's uri"};
        }
        const std::string uri = params["uri"].get<std::string>();
        std::string text;
        std::string mimeType = "application/json";
        if (uri == "kv410://menu-tree") {
            text = menuTree().dump(1, ' ', false, Json::error_handler_t::replace);
        } else if (uri == "kv410://alarms") {
            text = alarmsJson().dump(1, ' ', false, Json::error_handler_t::replace);
        } else if (uri == "kv410://settings") {
            Json list = Json::array();
            for (const Setting& setting : settingsCatalogue()) {
                list.push_back(settingJson(setting, false));
            }
            text = Json{{"settings", list}}.dump(1, ' ', false, Json::error_handler_t::replace);
        } else if (uri == "kv410://scenario-format") {
            text = ScenarioFormatText;
            mimeType = "text/markdown";
        } else {
            throw RpcError{ResourceNotFound, "Resource not found: " + uri};
        }
        return Json{
            {"contents", Json::array({{{"uri", uri}, {"mimeType", mimeType}, {"text", text}}})}};
    }

    // --- the protocol ---------------------------------------------------------------------

    Json initialize(const Json& params) {
        std::string version = ProtocolVersions[0];
        if (params.contains("protocolVersion") && params["protocolVersion"].is_string()) {
            const std::string asked = params["protocolVersion"].get<std::string>();
            for (const char* known : ProtocolVersions) {
                if (asked == known) {
                    version = asked;
                }
            }
        }
        return Json{
            {"protocolVersion", version},
            {"capabilities",
             {{"tools", {{"listChanged", false}}},
              {"resources", {{"subscribe", false}, {"listChanged", false}}}}},
            {"serverInfo", {{"name", "kv410-script"}, {"version", ProgramVersion}}},
            {"instructions",
             "A simulated KAVO 410 heat-pump controller on a virtual clock that moves only when "
             "a tool asks. Switch it on with power, then advance 2s; read_display shows the "
             "screen as text. The knob (turn) moves through the menu, right selects and "
             "changes, left goes back. recording returns everything done as a replayable "
             "script."}};
    }

    Json dispatch(const std::string& method, const Json& params) {
        if (method == "initialize") {
            return initialize(params);
        }
        if (method == "ping") {
            return Json::object();
        }
        if (method == "tools/list") {
            return toolsList();
        }
        if (method == "tools/call") {
            return callTool(params);
        }
        if (method == "resources/list") {
            return resourcesList();
        }
        if (method == "resources/templates/list") {
            return Json{{"resourceTemplates", Json::array()}};
        }
        if (method == "resources/read") {
            return readResource(params);
        }
        throw RpcError{MethodNotFound, "Method not found: " + method};
    }

    ScenarioOptions options;
    std::string folder;
    VirtualPlatform host;
    Session session;
    std::ostringstream answers;
    StepSequencer sequencer;
    std::vector<Tool> tools;
    // The session as script lines, for the recording.
    std::vector<std::string> recording;
    int lineCount = 0;
    int snapshots = 0;
    bool lastCheckPassed = true;
    std::string lastExpected;
    std::string lastFound;
    std::map<int, std::vector<std::string>> nodeSettings_;
    // The most virtual time one call may take: a week.
    int64_t tickLimit = int64_t{7} * 24 * 3600 * 1000 / TickMs;
};

McpServer::McpServer(const ScenarioOptions& options, const std::string& folder)
    : state_(std::make_unique<State>(options, folder)) {}

McpServer::~McpServer() = default;

void McpServer::setTickLimit(int64_t ticks) {
    state_->tickLimit = ticks;
}

namespace {

std::string errorResponse(const Json& id, int code, const std::string& message) {
    return dumped(
        Json{{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}});
}

} // namespace

std::string McpServer::handle(std::string_view message) {
    Json request;
    try {
        request = Json::parse(message);
    } catch (const Json::parse_error& error) {
        return errorResponse(nullptr, ParseError, std::string("Parse error: ") + error.what());
    }
    if (!request.is_object()) {
        return errorResponse(nullptr, InvalidRequest,
                             "Invalid Request: a message is one JSON object");
    }
    const bool hasId = request.contains("id");
    const Json id = hasId ? request["id"] : Json(nullptr);
    if (hasId && !id.is_string() && !id.is_number_integer()) {
        return errorResponse(nullptr, InvalidRequest,
                             "Invalid Request: the id is a string or an integer");
    }
    const auto method = request.find("method");
    if (method == request.end()) {
        // A response of the client to a request of ours (none are sent): nothing to answer.
        if (request.contains("result") || request.contains("error")) {
            return {};
        }
        return errorResponse(id, InvalidRequest, "Invalid Request: no method");
    }
    if (!method->is_string() || !request.contains("jsonrpc") || request["jsonrpc"] != "2.0") {
        return hasId ? errorResponse(id, InvalidRequest,
                                     "Invalid Request: a JSON-RPC 2.0 request has jsonrpc "
                                     "\"2.0\" and a method name")
                     : std::string();
    }
    static const Json none = Json::object();
    const Json& params = request.contains("params") ? request["params"] : none;
    if (!hasId) {
        // Notifications (initialized, cancelled) need no answer.
        return {};
    }
    if (!params.is_object()) {
        return errorResponse(id, InvalidParams, "Invalid params: params is an object");
    }
    try {
        return dumped(Json{{"jsonrpc", "2.0"},
                           {"id", id},
                           {"result", state_->dispatch(method->get<std::string>(), params)}});
    } catch (const RpcError& error) {
        return errorResponse(id, error.code, error.message);
    } catch (const std::exception& error) {
        return errorResponse(id, InternalError, std::string("Internal error: ") + error.what());
    }
}

int runMcp(std::istream& in, std::ostream& out, const ScenarioOptions& options,
           const std::string& folder) {
    McpServer server(options, folder);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.find_first_not_of(" \t") == std::string::npos) {
            continue;
        }
        const std::string response = server.handle(line);
        if (!response.empty()) {
            out << response << '\n';
            out.flush();
        }
    }
    return 0;
}

} // namespace kv410
