#include "scenario/Script.h"

#include "core/Memory.h"
#include "core/VirtualPlatform.h"
#include "menu/SettingsCatalogue.h"
#include "panel/FrontPanel.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <limits>

namespace kv410 {

namespace {

// The longest duration a step may ask for: about a hundred years.
constexpr int64_t MaxDurationMs = int64_t{100} * 366 * 86400 * 1000;

struct Token {
    std::string text;
    bool quoted = false;
};

// A line cannot be understood; carries the message.
struct LineError {
    std::string message;
};

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::vector<Token> tokenize(std::string_view line) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            Token token{"", true};
            ++i;
            bool closed = false;
            while (i < line.size()) {
                const char d = line[i++];
                if (d == '"') {
                    closed = true;
                    break;
                }
                if (d == '\\') {
                    if (i >= line.size() || (line[i] != '"' && line[i] != '\\')) {
                        throw LineError{"unknown escape in a quoted text (only \\\" and \\\\)"};
                    }
                    token.text += line[i++];
                } else {
                    token.text += d;
                }
            }
            if (!closed) {
                throw LineError{"quoted text without its closing quote"};
            }
            tokens.push_back(std::move(token));
        } else {
            Token token;
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' &&
                   line[i] != '"' && line[i] != '#') {
                token.text += line[i++];
            }
            tokens.push_back(std::move(token));
        }
    }
    return tokens;
}

// Reads the tokens of one line in order.
class LineReader {
public:
    explicit LineReader(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

    bool atEnd() const { return next_ >= tokens_.size(); }
    bool nextQuoted() const { return !atEnd() && tokens_[next_].quoted; }
    // True when the last but one token is the word `word` (a limit such as `within D` ends the
    // line).
    bool endsWith(std::string_view word) const {
        return remaining() >= 2 && !tokens_[tokens_.size() - 2].quoted &&
               lower(tokens_[tokens_.size() - 2].text) == word;
    }
    size_t remaining() const { return tokens_.size() - next_; }

    const Token& take(const char* what) {
        if (atEnd()) {
            throw LineError{std::string("missing ") + what};
        }
        return tokens_[next_++];
    }
    // The next word, lower case.
    std::string word(const char* what) {
        const Token& token = take(what);
        if (token.quoted) {
            throw LineError{std::string("expected ") + what + ", got a quoted text"};
        }
        return lower(token.text);
    }
    bool takeIf(std::string_view lowered) {
        if (!atEnd() && !tokens_[next_].quoted && lower(tokens_[next_].text) == lowered) {
            ++next_;
            return true;
        }
        return false;
    }
    std::string quoted(const char* what) {
        const Token& token = take(what);
        if (!token.quoted) {
            throw LineError{std::string("expected ") + what + " in double quotes"};
        }
        return token.text;
    }
    int64_t number(const char* what, int64_t min, int64_t max) {
        const std::string text = word(what);
        int64_t value = 0;
        if (!parseNumber(text, value)) {
            throw LineError{std::string("expected ") + what + " (a number), got '" + text + "'"};
        }
        if (value < min || value > max) {
            throw LineError{std::string(what) + " " + text + " is outside " + std::to_string(min) +
                            ".." + std::to_string(max)};
        }
        return value;
    }
    void end() {
        if (!atEnd()) {
            throw LineError{"unexpected '" + tokens_[next_].text + "'"};
        }
    }
    // The tokens from the current one on, joined by blanks, as written.
    std::string rest() const {
        std::string out;
        for (size_t i = next_; i < tokens_.size(); ++i) {
            if (!out.empty()) {
                out += ' ';
            }
            out += tokens_[i].quoted ? quotedText(tokens_[i].text) : tokens_[i].text;
        }
        return out;
    }

    static bool parseNumber(std::string_view text, int64_t& value) {
        bool negative = false;
        if (!text.empty() && text[0] == '-') {
            negative = true;
            text.remove_prefix(1);
        }
        int base = 10;
        if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
            base = 16;
            text.remove_prefix(2);
        }
        if (text.empty()) {
            return false;
        }
        const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
        if (ec != std::errc{} || ptr != text.data() + text.size()) {
            return false;
        }
        value = negative ? -value : value;
        return true;
    }

private:
    std::vector<Token> tokens_;
    size_t next_ = 0;
};

// Duration units and their length in ms.
struct DurationUnit {
    const char* suffix;
    int64_t ms;
};
constexpr DurationUnit DurationUnits[] = {{"ms", 1},       {"s", 1000},     {"m", 60000},
                                          {"h", 3600000},  {"d", 86400000}, {"ticks", TickMs},
                                          {"tick", TickMs}};

// A duration in whole ticks, a duration in ms rounded up.
int64_t durationTicks(const std::string& text) {
    for (const DurationUnit& unit : DurationUnits) {
        const std::string_view suffix = unit.suffix;
        if (text.size() <= suffix.size() ||
            text.compare(text.size() - suffix.size(), suffix.size(), suffix) != 0) {
            continue;
        }
        const std::string_view digits(text.data(), text.size() - suffix.size());
        if (!std::all_of(digits.begin(), digits.end(),
                         [](char c) { return c >= '0' && c <= '9'; })) {
            continue;
        }
        int64_t amount = 0;
        const auto [ptr, ec] =
            std::from_chars(digits.data(), digits.data() + digits.size(), amount);
        if (ec != std::errc{} || amount > MaxDurationMs / unit.ms) {
            throw LineError{"duration '" + text + "' is too long"};
        }
        return (amount * unit.ms + TickMs - 1) / TickMs;
    }
    throw LineError{"expected a duration such as 250ms, 5s, 10m, 2h, 1d or 3ticks, got '" + text +
                    "'"};
}

// The slider 1..11 of the sensor named next, in any case.
int sensorSlider(LineReader& reader) {
    const std::string name = reader.word("a sensor");
    for (int n = 0; n < 11; ++n) {
        if (name == lower(SensorNames[n])) {
            return n + 1;
        }
    }
    throw LineError{"unknown sensor '" + name + "'"};
}
// Names of the front LEDs, in FrontLed order.
constexpr const char* LedNames[FrontLedCount] = {"on", "hotwater", "aux", "compressor", "alarm"};

struct KeyName {
    const char* name;
    ScriptKey key;
};
constexpr KeyName KeyNames[] = {
    {"up", {static_cast<int>(PanelKey::Up), false, 0}},
    {"down", {static_cast<int>(PanelKey::Down), false, 0}},
    {"left", {static_cast<int>(PanelKey::Left), false, 0}},
    {"right", {static_cast<int>(PanelKey::Right), false, 0}},
    {"shift+up", {static_cast<int>(PanelKey::Up), true, 0}},
    {"shift+down", {static_cast<int>(PanelKey::Down), true, 0}},
    {"shift+left", {static_cast<int>(PanelKey::Left), true, 0}},
    {"shift+right", {static_cast<int>(PanelKey::Right), true, 0}},
    {"esc", {static_cast<int>(PanelKey::Escape), false, EscapeChar}},
    {"enter", {static_cast<int>(PanelKey::Enter), false, EnterChar}},
    {"+", {static_cast<int>(PanelKey::Other), false, '+'}},
    {"-", {static_cast<int>(PanelKey::Other), false, '-'}},
    {"*", {static_cast<int>(PanelKey::Other), false, '*'}},
    {"/", {static_cast<int>(PanelKey::Other), false, '/'}},
    {"1", {static_cast<int>(PanelKey::Other), false, '1'}},
    {"other", {static_cast<int>(PanelKey::Other), false, 0}},
};

template <size_t N>
int indexOf(const char* const (&names)[N], const std::string& name) {
    for (size_t i = 0; i < N; ++i) {
        if (name == names[i]) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

} // namespace

std::string scriptKeyName(int panelKey, bool shift, char character) {
    for (const bool withShift : {shift, false}) {
        for (const KeyName& entry : KeyNames) {
            if (entry.key.key == panelKey && entry.key.shift == withShift &&
                entry.key.character == character) {
                return entry.name;
            }
        }
    }
    // Any other key (and any other character) only wakes the display, as "other" does.
    return "other";
}

namespace {

ScriptKey keyNamed(const std::string& name) {
    for (const KeyName& entry : KeyNames) {
        if (name == entry.name) {
            return entry.key;
        }
    }
    throw LineError{"unknown key '" + name + "'"};
}

int buttonNamed(const std::string& name) {
    if (PanelButton button; panelButtonByName(name.c_str(), button)) {
        return static_cast<int>(button);
    }
    throw LineError{"expected left, middle or right, got '" + name + "'"};
}

bool litWord(LineReader& reader, const char* onWord, const char* offWord) {
    const std::string state = reader.word("the expected state");
    if (state == onWord) {
        return true;
    }
    if (state == offWord) {
        return false;
    }
    throw LineError{std::string("expected ") + onWord + " or " + offWord + ", got '" + state + "'"};
}

// The number of a word of the cells, the I/O words or the flash image.
int wordNumber(LineReader& reader, const std::string& space) {
    const int last = space == "flash" ? FlashWordCount - 1 : CellCount - 1;
    return static_cast<int>(reader.number("word number", 0, last));
}

int32_t wordValue(LineReader& reader) {
    return static_cast<int32_t>(reader.number("value", -32768, 65535));
}

// The name of a picture: a relative path inside the picture folder that ends in .png.
std::string pictureName(LineReader& reader) {
    const std::string name = reader.quoted("the picture's name");
    if (name.size() < 5 || lower(std::string_view(name).substr(name.size() - 4)) != ".png") {
        throw LineError{"a picture's name ends in .png, got \"" + name + "\""};
    }
    if (name[0] == '/') {
        throw LineError{"a picture's name is relative to the picture folder, got \"" + name + "\""};
    }
    if (std::any_of(name.begin(), name.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; })) {
        throw LineError{"a picture's name holds a control character"};
    }
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('/', start);
        if (end == std::string::npos) {
            end = name.size();
        }
        if (std::string_view(name).substr(start, end - start) == "..") {
            throw LineError{"a picture's name must stay inside the picture folder, got \"" + name +
                            "\""};
        }
        start = end + 1;
    }
    return name;
}

void parseCheck(LineReader& reader, Check& check) {
    check.source = reader.rest();
    const std::string what = reader.word("a check");
    if (what == "lcd") {
        check.index = static_cast<int>(reader.number("line", 1, 4));
        check.kind = reader.takeIf("contains") ? CheckKind::LcdContains : CheckKind::LcdExact;
        if (!utf8ToLatin1(reader.quoted("the text"), check.text)) {
            throw LineError{"the text is not UTF-8 or holds a character the display cannot show"};
        }
        if (check.kind == CheckKind::LcdExact && check.text.size() != 20) {
            throw LineError{"an LCD line has 20 characters, the text has " +
                            std::to_string(check.text.size())};
        }
    } else if (what == "cell" || what == "io" || what == "flash") {
        check.kind = what == "cell" ? CheckKind::Cell
                     : what == "io" ? CheckKind::Io
                                    : CheckKind::Flash;
        check.index = wordNumber(reader, what);
        check.value = static_cast<uint16_t>(wordValue(reader));
    } else if (what == "led") {
        const std::string name = reader.word("LED name");
        check.kind = CheckKind::Led;
        check.index = indexOf(LedNames, name);
        if (check.index < 0) {
            throw LineError{"unknown LED '" + name + "' (on, compressor, aux, hotwater, alarm)"};
        }
        check.lit = litWord(reader, "lit", "unlit");
    } else if (what == "lamp") {
        check.kind = CheckKind::Lamp;
        check.index = static_cast<int>(reader.number("lamp", 1, 10));
        check.lit = litWord(reader, "lit", "unlit");
    } else if (what == "display") {
        check.kind = CheckKind::Display;
        check.lit = litWord(reader, "lit", "dark");
    } else if (what == "graph") {
        if (reader.takeIf("hidden")) {
            check.kind = CheckKind::GraphHidden;
        } else {
            check.kind = CheckKind::GraphRange;
            check.value = static_cast<int32_t>(reader.number("START", -100000, 100000));
            check.value2 = static_cast<int32_t>(reader.number("END", -100000, 100000));
        }
    } else if (what == "beeps") {
        check.kind = CheckKind::Beeps;
        check.value = static_cast<int32_t>(reader.number("beeps", 0, 1000000000));
    } else if (what == "knobframe") {
        check.kind = CheckKind::KnobFrame;
        check.value = static_cast<int32_t>(reader.number("frame", 0, 11));
    } else if (what == "snapshot") {
        check.kind = CheckKind::Snapshot;
        check.text = pictureName(reader);
    } else if (what == "setting") {
        check.kind = CheckKind::Setting;
        check.setting = reader.word("a setting's number");
        if (findSetting(check.setting) == nullptr) {
            throw LineError{"unknown setting '" + check.setting +
                            "' (kv410-flash show lists them)"};
        }
        check.text = reader.quoted("the value");
    } else if (what == "knobsteps") {
        check.kind = CheckKind::KnobSteps;
        check.value = static_cast<int32_t>(reader.number("steps", -128, 127));
    } else {
        throw LineError{"unknown check '" + what + "'"};
    }
}

void parseClick(LineReader& reader, Step& step) {
    const std::string what = reader.word("what to click");
    if (what == "power") {
        step.kind = StepKind::ClickPower;
    } else if (PanelButton button; panelButtonByName(what.c_str(), button)) {
        step.kind = StepKind::ClickButton;
        step.count = buttonNamed(what);
    } else if (what == "paneler") {
        step.kind = StepKind::ClickPanels;
    } else if (what == "knob") {
        step.kind = StepKind::ClickKnob;
        const std::string direction = reader.word("forward or back");
        if (direction != "forward" && direction != "back" && direction != "middle") {
            throw LineError{"expected forward, back or middle, got '" + direction + "'"};
        }
        step.count = direction == "forward" ? 1 : direction == "back" ? -1 : 0;
        step.shift = reader.takeIf("shift");
    } else {
        step.kind = StepKind::ClickToggle;
        for (int n = 0; n < 11; ++n) {
            if (what == lower(ToggleCaptions[n])) {
                step.count = n + 1;
            }
        }
        if (step.count == 0) {
            throw LineError{"unknown click target '" + what + "'"};
        }
    }
}

// A text of a lesson (title, task, hint, question, choice): UTF-8, not empty.
std::string lessonText(LineReader& reader, const char* what) {
    std::string text = reader.quoted(what);
    if (text.empty()) {
        throw LineError{std::string(what) + " is empty"};
    }
    if (std::any_of(text.begin(), text.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; })) {
        throw LineError{std::string(what) + " holds a control character"};
    }
    return text;
}

// The check of `await CHECK [within D]`: the tokens up to `within`.
void parseAwait(LineReader& reader, Step& step) {
    step.kind = StepKind::Await;
    std::vector<Token> checkTokens;
    const bool limited = reader.endsWith("within");
    while (reader.remaining() > (limited ? 2u : 0u)) {
        checkTokens.push_back(reader.take("a check"));
    }
    if (checkTokens.empty()) {
        throw LineError{"expected 'await CHECK [within D]'"};
    }
    if (limited) {
        reader.take("within");
        step.limited = true;
        step.ticks = durationTicks(reader.word("a duration"));
    }
    LineReader checkReader(std::move(checkTokens));
    parseCheck(checkReader, step.check);
    checkReader.end();
    if (step.check.kind == CheckKind::Snapshot) {
        throw LineError{"a lesson cannot await a picture of the front"};
    }
}

// When a fault falls: `at D`, `between D1 and D2`, or at once.
void parseFaultTime(LineReader& reader, Step& step) {
    if (reader.takeIf("at")) {
        step.ticks = durationTicks(reader.word("a duration"));
    } else if (reader.takeIf("between")) {
        step.between = true;
        step.ticks = durationTicks(reader.word("a duration"));
        if (!reader.takeIf("and")) {
            throw LineError{"expected 'between D1 and D2'"};
        }
        step.latestTicks = durationTicks(reader.word("a duration"));
        if (step.latestTicks < step.ticks) {
            throw LineError{"the end of 'between D1 and D2' comes before its start"};
        }
    }
}

void parseFault(LineReader& reader, Step& step) {
    const std::string what = reader.word("sensor or input");
    if (what == "sensor") {
        step.kind = StepKind::FaultSensor;
        step.count = sensorSlider(reader);
        const std::string fault = reader.word("missing, shorted, value or drift");
        if (fault == "missing") {
            step.fault = SensorFault::Missing;
        } else if (fault == "shorted") {
            step.fault = SensorFault::Shorted;
        } else if (fault == "value") {
            step.fault = SensorFault::Value;
            step.value = static_cast<int32_t>(reader.number("value", -32768, 32767));
        } else if (fault == "drift") {
            step.fault = SensorFault::Drift;
            step.value = static_cast<int32_t>(reader.number("rate", -1000000, 1000000));
            if (!reader.takeIf("per") || !reader.takeIf("hour")) {
                throw LineError{"expected 'drift R per hour'"};
            }
        } else {
            throw LineError{"expected missing, shorted, value V or drift R per hour, got '" +
                            fault + "'"};
        }
    } else if (what == "input") {
        step.kind = StepKind::FaultInput;
        const std::string name = reader.word("an alarm input");
        // The toggle buttons of the alarm inputs are the first eight.
        for (int n = 0; n < 8; ++n) {
            if (name == lower(ToggleCaptions[n])) {
                step.count = n + 1;
            }
        }
        if (step.count == 0) {
            throw LineError{"unknown alarm input '" + name +
                            "' (MB1, EK, MB2, HP, LP, VVP, EXT, FFF)"};
        }
        if (!reader.takeIf("on")) {
            throw LineError{"expected 'fault input NAME on'"};
        }
    } else {
        throw LineError{"expected 'fault sensor' or 'fault input', got '" + what + "'"};
    }
    parseFaultTime(reader, step);
}

void parseAsk(LineReader& reader, Step& step) {
    step.kind = StepKind::Ask;
    step.text = lessonText(reader, "the question");
    while (reader.nextQuoted()) {
        step.choices.push_back(lessonText(reader, "a choice"));
    }
    if (step.choices.empty()) {
        throw LineError{"expected the choices of the question, each in double quotes"};
    }
    if (!reader.takeIf("answer")) {
        throw LineError{"expected 'answer \"CHOICE\"' after the choices"};
    }
    step.answer = lessonText(reader, "the answer");
    if (std::none_of(step.choices.begin(), step.choices.end(), [&](const std::string& choice) {
            return lower(choice) == lower(step.answer);
        })) {
        throw LineError{"the answer \"" + step.answer + "\" is not one of the choices"};
    }
    if (reader.takeIf("within")) {
        step.limited = true;
        step.ticks = durationTicks(reader.word("a duration"));
    }
}

void parseLine(LineReader& reader, Step& step) {
    const std::string name = reader.word("a step");
    if (name == "wait") {
        if (reader.takeIf("until")) {
            step.kind = StepKind::WaitUntil;
            if (reader.remaining() < 2) {
                throw LineError{"expected 'wait until CHECK within D'"};
            }
            // The check ends at the word "within".
            std::vector<Token> checkTokens;
            while (reader.remaining() > 2) {
                checkTokens.push_back(reader.take("a check"));
            }
            if (!reader.takeIf("within")) {
                throw LineError{"expected 'within D' at the end of 'wait until'"};
            }
            step.text = reader.word("a duration");
            step.ticks = durationTicks(step.text);
            LineReader checkReader(std::move(checkTokens));
            parseCheck(checkReader, step.check);
            checkReader.end();
            return;
        }
        step.kind = StepKind::Wait;
        step.ticks = durationTicks(reader.word("a duration"));
    } else if (name == "tick") {
        step.kind = StepKind::Wait;
        step.ticks = reader.atEnd() ? 1 : reader.number("tick count", 0, MaxDurationMs / TickMs);
    } else if (name == "click") {
        parseClick(reader, step);
    } else if (name == "hold") {
        step.kind = StepKind::HoldButton;
        step.count = buttonNamed(reader.word("a button"));
        step.ticks = durationTicks(reader.word("a duration"));
    } else if (name == "press" || name == "release") {
        step.kind = name == "press" ? StepKind::PressButton : StepKind::ReleaseButton;
        step.count = buttonNamed(reader.word("a button"));
    } else if (name == "focus") {
        step.kind = StepKind::FocusSlider;
        step.count = sensorSlider(reader);
    } else if (name == "flash") {
        step.kind = StepKind::LoadFlash;
        step.text = reader.quoted("the path of a flash image");
        if (step.text.empty()) {
            throw LineError{"the path of the flash image is empty"};
        }
    } else if (name == "turn") {
        step.kind = StepKind::Turn;
        step.count = static_cast<int32_t>(reader.number("knob clicks", -1000000, 1000000));
        step.shift = reader.takeIf("shift");
    } else if (name == "key") {
        step.kind = StepKind::Key;
        step.key = keyNamed(reader.word("a key"));
        step.count = 1;
        if (!reader.atEnd()) {
            const std::string repeat = reader.word("xN");
            int64_t count = 0;
            if (repeat.size() < 2 || repeat[0] != 'x' ||
                !LineReader::parseNumber(std::string_view(repeat).substr(1), count) || count < 1 ||
                count > 1000000) {
                throw LineError{"expected a repeat count such as x3, got '" + repeat + "'"};
            }
            step.count = static_cast<int32_t>(count);
        }
    } else if (name == "keydown" || name == "keyup") {
        step.kind = name == "keydown" ? StepKind::KeyDown : StepKind::KeyUp;
        step.key = keyNamed(reader.word("a key"));
    } else if (name == "sensor") {
        step.kind = StepKind::Sensor;
        step.count = sensorSlider(reader);
        step.value = static_cast<int32_t>(reader.number("value", -1000000, 1000000));
    } else if (name == "restart") {
        step.kind = StepKind::Restart;
    } else if (name == "clock") {
        step.kind = StepKind::SetClock;
        const std::string text = reader.quoted("the date and time");
        int* c = step.clock;
        if (!parseDateTime(text, c[0], c[1], c[2], c[3], c[4], c[5])) {
            throw LineError{"expected \"YYYY-MM-DD hh:mm:ss\", got \"" + text + "\""};
        }
    } else if (name == "poke") {
        const std::string target = reader.word("cell, io or flash");
        if (target != "cell" && target != "io" && target != "flash") {
            throw LineError{"expected cell, io or flash, got '" + target + "'"};
        }
        step.kind = target == "cell" ? StepKind::PokeCell
                    : target == "io" ? StepKind::PokeIo
                                     : StepKind::PokeFlash;
        step.count = wordNumber(reader, target);
        step.value = wordValue(reader);
    } else if (name == "expect") {
        step.kind = StepKind::Expect;
        parseCheck(reader, step.check);
    } else if (name == "show") {
        step.kind = StepKind::Show;
    } else if (name == "print") {
        step.kind = StepKind::Print;
        step.text = reader.quoted("the text");
    } else if (name == "snapshot") {
        step.kind = StepKind::Snapshot;
        step.text = pictureName(reader);
    } else if (name == "lesson") {
        step.kind = StepKind::Lesson;
        step.text = lessonText(reader, "the lesson's title");
    } else if (name == "task") {
        step.kind = StepKind::Task;
        step.text = lessonText(reader, "the task");
    } else if (name == "hint") {
        if (reader.atEnd()) {
            step.kind = StepKind::TakeHint;
        } else {
            step.kind = StepKind::Hint;
            step.text = lessonText(reader, "the hint");
        }
    } else if (name == "await") {
        parseAwait(reader, step);
    } else if (name == "fault") {
        parseFault(reader, step);
    } else if (name == "ask") {
        parseAsk(reader, step);
    } else if (name == "choose") {
        step.kind = StepKind::Choose;
        step.text =
            reader.nextQuoted() ? lessonText(reader, "the choice") : reader.take("a choice").text;
    } else {
        throw LineError{"unknown step '" + name + "'"};
    }
    reader.end();
}

// The line without its comment and the blanks around it.
std::string writtenStep(std::string_view line) {
    bool quoted = false;
    size_t end = 0;
    for (; end < line.size(); ++end) {
        const char c = line[end];
        if (quoted && c == '\\') {
            ++end;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == '#' && !quoted) {
            break;
        }
    }
    line = line.substr(0, std::min(end, line.size()));
    const size_t first = line.find_first_not_of(" \t\r");
    const size_t last = line.find_last_not_of(" \t\r");
    return first == std::string_view::npos ? std::string()
                                           : std::string(line.substr(first, last - first + 1));
}

} // namespace

int64_t stepTicks(const Step& step) {
    switch (step.kind) {
    case StepKind::Wait:
    case StepKind::HoldButton:
    case StepKind::WaitUntil:
        return step.ticks;
    case StepKind::Turn:
        return step.count < 0 ? -int64_t{step.count} : step.count;
    case StepKind::Await:
    case StepKind::Ask:
        return step.limited ? step.ticks : 0;
    default:
        return 0;
    }
}

int64_t scriptTicks(const Script& script) {
    int64_t ticks = 0;
    for (const Step& step : script.steps) {
        ticks += stepTicks(step);
    }
    return ticks;
}

namespace {

constexpr const char* ButtonNames[PanelButtonCount] = {"left", "right", "middle"};

std::string milliseconds(int64_t ticks) {
    return std::to_string(ticks * TickMs) + "ms";
}

std::string lit(bool on, const char* onWord, const char* offWord) {
    return on ? onWord : offWord;
}

// The names a script gives LED `led` (FrontLed) and slider 1..11.
std::string ledName(int led) {
    return LedNames[led];
}
std::string sensorName(int slider) {
    return SensorNames[slider - 1];
}

std::string keyText(const ScriptKey& key) {
    return scriptKeyName(key.key, key.shift, key.character);
}

std::string sensorFaultText(const Step& step) {
    switch (step.fault) {
    case SensorFault::Missing:
        return "missing";
    case SensorFault::Shorted:
        return "shorted";
    case SensorFault::Value:
        return "value " + std::to_string(step.value);
    case SensorFault::Drift:
        return "drift " + std::to_string(step.value) + " per hour";
    }
    return "";
}

// When a fault falls, as written after it; nothing for "at once".
std::string faultTimeText(const Step& step) {
    if (step.between) {
        return " between " + milliseconds(step.ticks) + " and " + milliseconds(step.latestTicks);
    }
    return step.ticks > 0 ? " at " + milliseconds(step.ticks) : "";
}

std::string checkText(const Check& check) {
    const std::string index = std::to_string(check.index);
    switch (check.kind) {
    case CheckKind::LcdExact:
        return "lcd " + index + " " + quotedText(latin1ToUtf8(check.text));
    case CheckKind::LcdContains:
        return "lcd " + index + " contains " + quotedText(latin1ToUtf8(check.text));
    case CheckKind::Cell:
        return "cell " + index + " " + std::to_string(check.value);
    case CheckKind::Io:
        return "io " + index + " " + std::to_string(check.value);
    case CheckKind::Flash:
        return "flash " + index + " " + std::to_string(check.value);
    case CheckKind::Led:
        return "led " + ledName(check.index) + " " + lit(check.lit, "lit", "unlit");
    case CheckKind::Lamp:
        return "lamp " + index + " " + lit(check.lit, "lit", "unlit");
    case CheckKind::Display:
        return "display " + lit(check.lit, "lit", "dark");
    case CheckKind::GraphHidden:
        return "graph hidden";
    case CheckKind::GraphRange:
        return "graph " + std::to_string(check.value) + " " + std::to_string(check.value2);
    case CheckKind::Beeps:
        return "beeps " + std::to_string(check.value);
    case CheckKind::KnobFrame:
        return "knobframe " + std::to_string(check.value);
    case CheckKind::KnobSteps:
        return "knobsteps " + std::to_string(check.value);
    case CheckKind::Snapshot:
        return "snapshot " + quotedText(check.text);
    case CheckKind::Setting:
        return "setting " + check.setting + " " + quotedText(check.text);
    }
    return "";
}

} // namespace

std::string writeStep(const Step& step) {
    const std::string count = std::to_string(step.count);
    const std::string shift = step.shift ? " shift" : "";
    const auto button = [&] { return std::string(ButtonNames[step.count]); };
    const auto poke = [&](const char* space) {
        return std::string("poke ") + space + " " + count + " " + std::to_string(step.value);
    };
    switch (step.kind) {
    case StepKind::Wait:
        return "wait " + milliseconds(step.ticks);
    case StepKind::ClickPower:
        return "click power";
    case StepKind::ClickButton:
        return "click " + button();
    case StepKind::HoldButton:
        return "hold " + button() + " " + milliseconds(step.ticks);
    case StepKind::ClickKnob:
        return std::string("click knob ") +
               (step.count > 0   ? "forward"
                : step.count < 0 ? "back"
                                 : "middle") +
               shift;
    case StepKind::Turn:
        return "turn " + count + shift;
    case StepKind::ClickToggle:
        return std::string("click ") + ToggleCaptions[step.count - 1];
    case StepKind::Key:
        return "key " + keyText(step.key) + (step.count != 1 ? " x" + count : "");
    case StepKind::KeyDown:
        return "keydown " + keyText(step.key);
    case StepKind::KeyUp:
        return "keyup " + keyText(step.key);
    case StepKind::Sensor:
        return "sensor " + sensorName(step.count) + " " + std::to_string(step.value);
    case StepKind::Restart:
        return "restart";
    case StepKind::SetClock: {
        char when[64];
        const int* c = step.clock;
        std::snprintf(when, sizeof when, "%04d-%02d-%02d %02d:%02d:%02d", c[0], c[1], c[2], c[3],
                      c[4], c[5]);
        return "clock " + quotedText(when);
    }
    case StepKind::PokeCell:
        return poke("cell");
    case StepKind::PokeIo:
        return poke("io");
    case StepKind::PokeFlash:
        return poke("flash");
    case StepKind::Expect:
        return "expect " + checkText(step.check);
    case StepKind::WaitUntil:
        return "wait until " + checkText(step.check) + " within " + milliseconds(step.ticks);
    case StepKind::Show:
        return "show";
    case StepKind::Print:
        return "print " + quotedText(step.text);
    case StepKind::PressButton:
        return "press " + button();
    case StepKind::ReleaseButton:
        return "release " + button();
    case StepKind::FocusSlider:
        return "focus " + sensorName(step.count);
    case StepKind::LoadFlash:
        return "flash " + quotedText(step.text);
    case StepKind::Snapshot:
        return "snapshot " + quotedText(step.text);
    case StepKind::ClickPanels:
        return "click paneler";
    case StepKind::Lesson:
        return "lesson " + quotedText(step.text);
    case StepKind::Task:
        return "task " + quotedText(step.text);
    case StepKind::Hint:
        return "hint " + quotedText(step.text);
    case StepKind::TakeHint:
        return "hint";
    case StepKind::Await:
        return "await " + checkText(step.check) +
               (step.limited ? " within " + milliseconds(step.ticks) : "");
    case StepKind::FaultSensor:
        return "fault sensor " + sensorName(step.count) + " " + sensorFaultText(step) +
               faultTimeText(step);
    case StepKind::FaultInput:
        return std::string("fault input ") + ToggleCaptions[step.count - 1] + " on" +
               faultTimeText(step);
    case StepKind::Ask: {
        std::string line = "ask " + quotedText(step.text);
        for (const std::string& choice : step.choices) {
            line += " " + quotedText(choice);
        }
        line += " answer " + quotedText(step.answer);
        return line + (step.limited ? " within " + milliseconds(step.ticks) : "");
    }
    case StepKind::Choose:
        return "choose " + quotedText(step.text);
    }
    return "";
}

bool isLessonStep(const Step& step) {
    switch (step.kind) {
    case StepKind::Lesson:
    case StepKind::Task:
    case StepKind::Hint:
    case StepKind::Await:
    case StepKind::FaultSensor:
    case StepKind::FaultInput:
    case StepKind::Ask:
        return true;
    default:
        return false;
    }
}

bool isTraineeStep(const Step& step) {
    return step.kind == StepKind::Choose || step.kind == StepKind::TakeHint;
}

bool stepNeedsPictures(const Step& step) {
    return step.kind == StepKind::Snapshot ||
           ((step.kind == StepKind::Expect || step.kind == StepKind::WaitUntil) &&
            step.check.kind == CheckKind::Snapshot);
}

bool parseScript(std::string_view source, const std::string& file, Script& script,
                 std::vector<std::string>& errors) {
    script.file = file;
    script.steps.clear();
    const size_t errorsBefore = errors.size();
    int lineNumber = 0;
    size_t start = 0;
    while (start < source.size()) {
        size_t end = source.find('\n', start);
        if (end == std::string_view::npos) {
            end = source.size();
        }
        const std::string_view line = source.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        try {
            LineReader reader(tokenize(line));
            if (reader.atEnd()) {
                continue;
            }
            Step step;
            step.line = lineNumber;
            step.source = writtenStep(line);
            parseLine(reader, step);
            script.steps.push_back(std::move(step));
        } catch (const LineError& error) {
            errors.push_back(file + ":" + std::to_string(lineNumber) + ": " + error.message);
        }
    }
    return errors.size() == errorsBefore;
}

bool utf8ToLatin1(std::string_view utf8, std::string& latin1) {
    latin1.clear();
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            latin1 += static_cast<char>(c);
            continue;
        }
        // Latin-1 reaches only two-byte sequences led by 0xC2 or 0xC3.
        if ((c != 0xC2 && c != 0xC3) || i + 1 >= utf8.size()) {
            return false;
        }
        const auto d = static_cast<unsigned char>(utf8[i + 1]);
        if ((d & 0xC0) != 0x80) {
            return false;
        }
        latin1 += static_cast<char>(((c & 0x1F) << 6) | (d & 0x3F));
        ++i;
    }
    return true;
}

std::string quotedText(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out + "\"";
}

std::string latin1ToUtf8(std::string_view latin1) {
    std::string out;
    out.reserve(latin1.size() * 2);
    for (const char ch : latin1) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F) {
            out += '?';
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

} // namespace kv410
