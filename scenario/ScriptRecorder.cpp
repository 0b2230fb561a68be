#include "scenario/ScriptRecorder.h"

#include "display/Lcd.h"
#include "scenario/Script.h"
#include "unit/VirtualTime.h"

#include <cstdio>
#include <cstring>

namespace kv410 {

namespace {

constexpr const char* ButtonNames[3] = {"left", "right", "middle"};

// A text as a script writes it in double quotes.
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out + "\"";
}

} // namespace

bool ScriptRecorder::begin(const std::string& path, const std::string& flashName, const int* clock,
                           bool checks, const std::string& recordedBy) {
    out_.open(path, std::ios::binary | std::ios::trunc);
    if (!out_) {
        error_ = "cannot write " + path;
        return false;
    }
    path_ = path;
    error_.clear();
    checks_ = checks;
    writtenTick_ = 0;
    actedSinceChecks_ = false;
    checkedOnce_ = false;
    pressPending_ = false;
    char when[32];
    std::snprintf(when, sizeof when, "%04d-%02d-%02d %02d:%02d:%02d", clock[0], clock[1], clock[2],
                  clock[3], clock[4], clock[5]);
    const std::string name = path.substr(path.find_last_of('/') + 1);
    writeLine("# Recorded by " + recordedBy + ", starting " + when + ".");
    writeLine("# Replay it with: kv410-script " + name + "   (in the window: kv410 --play " + name +
              ")");
    writeLine("# The session starts from a copy of its Flash.dat, " + flashName +
              ", beside this script;");
    writeLine("# replaying reads that copy and never changes it.");
    writeLine(std::string("clock ") + quoted(when));
    writeLine("flash " + quoted(flashName));
    return error_.empty();
}

void ScriptRecorder::writeLine(const std::string& line) {
    if (!out_.is_open() || !error_.empty()) {
        return;
    }
    out_ << line << '\n';
    out_.flush();
    if (!out_) {
        error_ = "cannot write " + path_ + " (is the disk full or the folder gone?)";
    }
}

void ScriptRecorder::writeWaitTo(int64_t tick) {
    if (tick > writtenTick_) {
        writeLine("wait " + std::to_string((tick - writtenTick_) * TickMs) + "ms");
        writtenTick_ = tick;
    }
}

ScriptRecorder::Screen ScriptRecorder::screenNow() {
    Screen screen;
    for (int line = 0; line < 4; ++line) {
        std::memcpy(screen.lines[line], LcdLines[line], 20);
    }
    return screen;
}

void ScriptRecorder::writeChecks(const Screen& screen) {
    if (!checks_ || !actedSinceChecks_ ||
        (checkedOnce_ && std::memcmp(&screen, &checked_, sizeof screen) == 0)) {
        return;
    }
    for (int line = 0; line < 4; ++line) {
        writeLine("expect lcd " + std::to_string(line + 1) + " " +
                  quoted(latin1ToUtf8(std::string_view(screen.lines[line], 20))));
    }
    checked_ = screen;
    checkedOnce_ = true;
    actedSinceChecks_ = false;
}

void ScriptRecorder::flushPress() {
    if (!pressPending_) {
        return;
    }
    pressPending_ = false;
    writeWaitTo(pressTick_);
    writeChecks(pressScreen_);
    writeLine(std::string("press ") + ButtonNames[pressButton_]);
    actedSinceChecks_ = true;
}

void ScriptRecorder::action(int64_t tick, const std::string& step) {
    if (!recording()) {
        return;
    }
    flushPress();
    writeWaitTo(tick);
    writeChecks(screenNow());
    writeLine(step);
    actedSinceChecks_ = true;
}

void ScriptRecorder::press(int64_t tick, int button) {
    if (!recording()) {
        return;
    }
    flushPress();
    pressPending_ = true;
    pressButton_ = button;
    pressTick_ = tick;
    pressScreen_ = screenNow();
}

void ScriptRecorder::release(int64_t tick, int button) {
    if (!recording()) {
        return;
    }
    if (!pressPending_ || pressButton_ != button) {
        action(tick, std::string("release ") + ButtonNames[button]);
        return;
    }
    pressPending_ = false;
    writeWaitTo(pressTick_);
    writeChecks(pressScreen_);
    if (tick == pressTick_) {
        writeLine(std::string("click ") + ButtonNames[button]);
    } else {
        writeLine(std::string("hold ") + ButtonNames[button] + " " +
                  std::to_string((tick - pressTick_) * TickMs) + "ms");
        writtenTick_ = tick;
    }
    actedSinceChecks_ = true;
}

bool ScriptRecorder::end(int64_t tick) {
    if (!recording()) {
        return error_.empty();
    }
    flushPress();
    writeWaitTo(tick);
    writeChecks(screenNow());
    writeLine("# End of the recording.");
    out_.close();
    if (!out_ && error_.empty()) {
        error_ = "cannot write " + path_;
    }
    return error_.empty();
}

} // namespace kv410
