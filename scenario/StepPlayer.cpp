#include "scenario/StepPlayer.h"

#include "panel/FrontPanel.h"
#include "pictures/Pictures.h"
#include "scenario/Actions.h"

#include <ostream>

namespace kv410 {

StepPlayer::StepPlayer(std::ostream& out, bool oneLine, PlayerHooks hooks)
    : out_(out), oneLine_(oneLine), hooks_(std::move(hooks)) {}

void StepPlayer::enqueue(const Script& script) {
    for (const Step& step : script.steps) {
        queue_.push_back({step, script.file});
    }
}

void StepPlayer::stop() {
    if (underWay_ && queue_.front().step.kind == StepKind::HoldButton) {
        releasePanelButton(static_cast<PanelButton>(queue_.front().step.count));
    }
    queue_.clear();
    underWay_ = false;
}

void StepPlayer::runUntil(VirtualTime& time, int64_t untilTick) {
    performInstant(time);
    while (time.tick < untilTick) {
        runTick(time);
        if (hooks_.afterTick) {
            hooks_.afterTick();
        }
        tickDone();
        performInstant(time);
    }
}

void StepPlayer::show(const VirtualTime& time) {
    if (oneLine_) {
        out_ << timeStamp(time.tick) << ' ';
        for (int line = 1; line <= 4; ++line) {
            out_ << '|' << lcdLineText(line);
        }
        out_ << "|\n";
        return;
    }
    out_ << timeStamp(time.tick) << "\n+--------------------+\n";
    for (int line = 1; line <= 4; ++line) {
        out_ << '|' << lcdLineText(line) << "|\n";
    }
    out_ << "+--------------------+\n";
}

void StepPlayer::report(const Queued& queued, bool passed, const std::string& expected) {
    const Step& step = queued.step;
    if (passed) {
        ++totals.passed;
        if (oneLine_) {
            out_ << "ok " << queued.file << ':' << step.line << '\n';
        }
    } else {
        ++totals.failed;
        const int beeps = hooks_.beeps ? hooks_.beeps() : 0;
        out_ << "FAIL " << queued.file << ':' << step.line << ": expected " << expected << ", got "
             << checkFound(step.check, beeps) << '\n';
    }
    out_.flush();
    if (hooks_.checked) {
        hooks_.checked(step, passed);
    }
}

bool StepPlayer::start(const Queued& queued, VirtualTime& time) {
    const Step& step = queued.step;
    if (performAction(step, time)) {
        return false;
    }
    const int beeps = hooks_.beeps ? hooks_.beeps() : 0;
    switch (step.kind) {
    case StepKind::Wait:
        ticksLeft_ = step.ticks;
        return ticksLeft_ > 0;
    case StepKind::HoldButton:
        pressPanelButton(time, static_cast<PanelButton>(step.count));
        ticksLeft_ = step.ticks;
        if (ticksLeft_ > 0) {
            return true;
        }
        releasePanelButton(static_cast<PanelButton>(step.count));
        return false;
    case StepKind::Turn:
        clicksLeft_ = step.count < 0 ? -step.count : step.count;
        if (clicksLeft_ == 0) {
            return false;
        }
        RattImageMouseDown(step.count > 0 ? MouseButton::Left : MouseButton::Right, step.shift);
        ticksLeft_ = 1;
        return true;
    case StepKind::WaitUntil:
        if (checkHolds(step.check, beeps)) {
            report(queued, true, "");
            return false;
        }
        ticksLeft_ = step.ticks;
        if (ticksLeft_ > 0) {
            return true;
        }
        report(queued, false, step.check.source + " within " + step.text);
        return false;
    case StepKind::Expect:
        if (step.check.kind == CheckKind::Snapshot) {
            FrontPictures* pictures = frontPictures();
            const std::string golden = picturePath(queued.file, "", step.check.text);
            const SnapshotComparison comparison =
                pictures != nullptr ? pictures->compare(golden, 0, actualPicturePath(golden),
                                                        diffPicturePath(golden), true)
                                    : SnapshotComparison{};
            report(queued, comparison.matches, step.check.source);
            return false;
        }
        report(queued, checkHolds(step.check, beeps), step.check.source);
        return false;
    case StepKind::Restart:
        if (hooks_.restartProgram) {
            hooks_.restartProgram();
        }
        return false;
    case StepKind::LoadFlash:
        if (hooks_.loadFlash && !hooks_.loadFlash(step.text)) {
            ++totals.failed;
            out_ << timeStamp(time.tick) << ' ' << queued.file << ':' << step.line
                 << ": cannot read the flash image " << step.text << '\n';
        }
        return false;
    case StepKind::SetClock:
        if (hooks_.setClock) {
            hooks_.setClock(step.clock);
        }
        return false;
    case StepKind::Show:
        show(time);
        return false;
    case StepKind::Print:
        out_ << step.text << '\n';
        out_.flush();
        return false;
    case StepKind::Snapshot:
        if (FrontPictures* pictures = frontPictures()) {
            std::string trouble;
            if (!pictures->save(picturePath(queued.file, "", step.text), trouble)) {
                out_ << "ERROR " << queued.file << ':' << step.line << ": " << trouble << '\n';
            }
        }
        return false;
    case StepKind::ClickPanels:
        if (hooks_.togglePanels) {
            hooks_.togglePanels();
        }
        return false;
    default:
        return false;
    }
}

void StepPlayer::performInstant(VirtualTime& time) {
    while (!underWay_ && !queue_.empty()) {
        if (start(queue_.front(), time)) {
            underWay_ = true;
            return;
        }
        queue_.pop_front();
    }
}

void StepPlayer::tickDone() {
    if (!underWay_) {
        return;
    }
    const Queued& queued = queue_.front();
    const Step& step = queued.step;
    bool done = --ticksLeft_ <= 0;
    switch (step.kind) {
    case StepKind::HoldButton:
        if (done) {
            releasePanelButton(static_cast<PanelButton>(step.count));
        }
        break;
    case StepKind::Turn:
        if (done && --clicksLeft_ > 0) {
            RattImageMouseDown(step.count > 0 ? MouseButton::Left : MouseButton::Right, step.shift);
            ticksLeft_ = 1;
            done = false;
        }
        break;
    case StepKind::WaitUntil:
        if (checkHolds(step.check, hooks_.beeps ? hooks_.beeps() : 0)) {
            report(queued, true, "");
            done = true;
        } else if (done) {
            report(queued, false, step.check.source + " within " + step.text);
        }
        break;
    default:
        break;
    }
    if (done) {
        underWay_ = false;
        queue_.pop_front();
    }
}

} // namespace kv410
