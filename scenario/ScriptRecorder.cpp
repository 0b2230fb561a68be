#include "scenario/ScriptRecorder.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "display/Lcd.h"
#include "scenario/Script.h"
#include "unit/VirtualTime.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace kv410 {

namespace {

// A step of one kind with its count (button, ...), as the recorder writes it.
Step recorded(StepKind kind, int32_t count = 0, int64_t ticks = 0) {
    Step step;
    step.kind = kind;
    step.count = count;
    step.ticks = ticks;
    return step;
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
    pending_ = Pending::None;
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
    Step start = recorded(StepKind::SetClock);
    std::copy(clock, clock + 6, start.clock);
    writeLine(writeStep(start));
    Step flash = recorded(StepKind::LoadFlash);
    flash.text = flashName;
    writeLine(writeStep(flash));
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
        writeLine(writeStep(recorded(StepKind::Wait, 0, tick - writtenTick_)));
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
        Step check = recorded(StepKind::Expect);
        check.check.kind = CheckKind::LcdExact;
        check.check.index = line + 1;
        check.check.text.assign(screen.lines[line], 20);
        writeLine(writeStep(check));
    }
    checked_ = screen;
    checkedOnce_ = true;
    actedSinceChecks_ = false;
}

void ScriptRecorder::writeBeforePending() {
    writeWaitTo(pendingTick_);
    writeChecks(pendingScreen_);
}

void ScriptRecorder::flushPending() {
    const Pending pending = pending_;
    pending_ = Pending::None;
    if (pending == Pending::None) {
        return;
    }
    writeBeforePending();
    writeLine(pending == Pending::Press ? writeStep(recorded(StepKind::PressButton, pressButton_))
                                        : writeStep(keyDown_));
    actedSinceChecks_ = true;
}

void ScriptRecorder::action(int64_t tick, const std::string& step) {
    if (!recording()) {
        return;
    }
    flushPending();
    writeWaitTo(tick);
    writeChecks(screenNow());
    writeLine(step);
    actedSinceChecks_ = true;
}

void ScriptRecorder::performed(int64_t tick, const Step& step) {
    if (step.kind == StepKind::PressButton) {
        press(tick, step.count);
    } else if (step.kind == StepKind::ReleaseButton) {
        release(tick, step.count);
    } else if (step.kind == StepKind::KeyDown) {
        keyDown(tick, step);
    } else if (step.kind == StepKind::KeyUp) {
        keyUp(tick, step);
    } else {
        action(tick, writeStep(step));
    }
}

void ScriptRecorder::press(int64_t tick, int button) {
    if (!recording()) {
        return;
    }
    flushPending();
    pending_ = Pending::Press;
    pressButton_ = button;
    pendingTick_ = tick;
    pendingScreen_ = screenNow();
}

void ScriptRecorder::release(int64_t tick, int button) {
    if (!recording()) {
        return;
    }
    if (pending_ != Pending::Press || pressButton_ != button) {
        action(tick, writeStep(recorded(StepKind::ReleaseButton, button)));
        return;
    }
    pending_ = Pending::None;
    writeBeforePending();
    if (tick == pendingTick_) {
        writeLine(writeStep(recorded(StepKind::ClickButton, button)));
    } else {
        writeLine(writeStep(recorded(StepKind::HoldButton, button, tick - pendingTick_)));
        writtenTick_ = tick;
    }
    actedSinceChecks_ = true;
}

void ScriptRecorder::keyDown(int64_t tick, const Step& step) {
    if (!recording()) {
        return;
    }
    flushPending();
    pending_ = Pending::Key;
    keyDown_ = step;
    keyUpChangesNothing_ = false;
    pendingTick_ = tick;
    pendingScreen_ = screenNow();
}

void ScriptRecorder::keyUp(int64_t tick, const Step& step) {
    if (!recording()) {
        return;
    }
    if (pending_ != Pending::Key || (tick != pendingTick_ && !keyUpChangesNothing_)) {
        action(tick, writeStep(step));
        return;
    }
    pending_ = Pending::None;
    writeBeforePending();
    Step key = keyDown_;
    key.kind = StepKind::Key;
    key.count = 1;
    writeLine(writeStep(key));
    actedSinceChecks_ = true;
}

void ScriptRecorder::reached() {
    if (pending_ == Pending::Key) {
        keyUpChangesNothing_ = IoWords[MiddleButtonWord] == 0;
    }
}

bool ScriptRecorder::end(int64_t tick) {
    if (!recording()) {
        return error_.empty();
    }
    flushPending();
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
