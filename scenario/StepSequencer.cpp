#include "scenario/StepSequencer.h"

#include "display/Gloss.h"
#include "display/Lcd.h"
#include "panel/FrontPanel.h"
#include "pictures/Pictures.h"
#include "scenario/Actions.h"
#include "scenario/Lesson.h"

#include <cstring>
#include <filesystem>
#include <limits>
#include <ostream>
#include <sstream>

namespace kv410 {

StepSequencer::StepSequencer(Session& session, std::ostream& out, SequencerOptions options,
                             SequencerHooks hooks)
    : session_(session), out_(out), options_(std::move(options)), hooks_(std::move(hooks)) {
    noteLcd();
}

void StepSequencer::enqueue(const Script& script) {
    for (const Step& step : script.steps) {
        queue_.push_back({step, script.file});
    }
}

void StepSequencer::stop() {
    if (underWay_ && queue_.front().step.kind == StepKind::HoldButton) {
        releasePanelButton(static_cast<PanelButton>(queue_.front().step.count));
    }
    queue_.clear();
    underWay_ = false;
}

void StepSequencer::noteLcd() {
    std::memcpy(tracedLines_, LcdLines, sizeof tracedLines_);
}

void StepSequencer::traceLcd() {
    if (!options_.trace) {
        return;
    }
    for (int line = 0; line < 4; ++line) {
        if (std::memcmp(tracedLines_[line], LcdLines[line], 20) != 0) {
            std::memcpy(tracedLines_[line], LcdLines[line], 20);
            out_ << timeStamp(session_.time.tick) << " L" << line + 1 << " \""
                 << lcdLineText(line + 1) << "\"\n";
            if (options_.gloss) {
                if (const std::string english = glossLine(line + 1); !english.empty()) {
                    out_ << timeStamp(session_.time.tick) << " en L" << line + 1 << ": " << english
                         << '\n';
                }
            }
        }
    }
}

void StepSequencer::tick() {
    runTick(session_.time);
    traceLcd();
    if (options_.lesson != nullptr) {
        options_.lesson->afterTick();
    }
    if (hooks_.afterTick) {
        hooks_.afterTick();
    }
}

bool StepSequencer::tickByTick() const {
    return options_.trace || hooks_.afterTick || options_.lesson != nullptr;
}

void StepSequencer::runUntil(int64_t untilTick) {
    performInstant();
    while (session_.time.tick < untilTick) {
        if (underWay_) {
            proceed(untilTick - session_.time.tick);
            performInstant();
        } else if (!tickByTick()) {
            advanceTicks(session_.time, untilTick - session_.time.tick);
        } else {
            tick();
        }
    }
}

void StepSequencer::finish() {
    performInstant();
    while (underWay_) {
        proceed(std::numeric_limits<int64_t>::max());
        performInstant();
    }
}

void StepSequencer::performInstant() {
    while (!underWay_ && !queue_.empty()) {
        const Queued& queued = queue_.front();
        if (hooks_.stepBegins) {
            hooks_.stepBegins(queued.step, stepTicks(queued.step));
        }
        if (start(queued)) {
            underWay_ = true;
            return;
        }
        end(queued);
    }
}

void StepSequencer::end(const Queued& queued) {
    traceLcd();
    if (hooks_.stepEnds) {
        hooks_.stepEnds(queued.step);
    }
    underWay_ = false;
    queue_.pop_front();
}

void StepSequencer::proceed(int64_t ticks) {
    const Queued& queued = queue_.front();
    const Step& step = queued.step;
    switch (step.kind) {
    case StepKind::Wait:
    case StepKind::HoldButton: {
        const int64_t n = std::min(ticksLeft_, ticks);
        if (!tickByTick()) {
            advanceTicks(session_.time, n);
        } else {
            for (int64_t i = 0; i < n; ++i) {
                tick();
            }
        }
        ticksLeft_ -= n;
        if (ticksLeft_ > 0) {
            return;
        }
        if (step.kind == StepKind::HoldButton) {
            releasePanelButton(static_cast<PanelButton>(step.count));
        }
        break;
    }
    case StepKind::Turn:
        for (; ticks > 0; --ticks) {
            tick();
            if (--clicksLeft_ == 0) {
                break;
            }
            RattImageMouseDown(step.count > 0 ? MouseButton::Left : MouseButton::Right, step.shift);
        }
        if (clicksLeft_ > 0) {
            return;
        }
        break;
    case StepKind::WaitUntil: {
        bool held = false;
        for (; ticks > 0 && ticksLeft_ > 0 && !held; --ticks) {
            tick();
            --ticksLeft_;
            held = findingOf(queued, false).held;
        }
        if (held) {
            pass(queued);
            if (options_.trace) {
                out_ << timeStamp(session_.time.tick) << ' ' << queued.file << ':' << step.line
                     << ": held after " << (session_.time.tick - startTick_) * TickMs << " ms\n";
            }
        } else if (ticksLeft_ > 0) {
            return;
        } else {
            // Once more on the state the check gave up on, for what it found (and the pictures
            // of a mismatch).
            fail(queued, step.check.source + " within " + step.text, findingOf(queued, true));
        }
        break;
    }
    default:
        break;
    }
    end(queued);
}

bool StepSequencer::start(const Queued& queued) {
    const Step& step = queued.step;
    if (performAction(step, session_.time)) {
        return false;
    }
    switch (step.kind) {
    case StepKind::Wait:
        ticksLeft_ = step.ticks;
        return ticksLeft_ > 0;
    case StepKind::HoldButton:
        pressPanelButton(session_.time, static_cast<PanelButton>(step.count));
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
        return true;
    case StepKind::WaitUntil:
        startTick_ = session_.time.tick;
        if (findingOf(queued, false).held) {
            pass(queued);
            if (options_.trace) {
                out_ << timeStamp(session_.time.tick) << ' ' << queued.file << ':' << step.line
                     << ": held after 0 ms\n";
            }
            return false;
        }
        ticksLeft_ = step.ticks;
        if (ticksLeft_ > 0) {
            return true;
        }
        fail(queued, step.check.source + " within " + step.text, findingOf(queued, true));
        return false;
    case StepKind::Expect:
        if (Finding finding = findingOf(queued, true); finding.held) {
            pass(queued);
        } else {
            fail(queued, step.check.source, std::move(finding));
        }
        return false;
    case StepKind::Restart:
        session_.restart();
        if (hooks_.programStarted) {
            hooks_.programStarted();
        }
        return false;
    case StepKind::LoadFlash:
        loadFlash(queued);
        return false;
    case StepKind::SetClock:
        session_.host().setClock(hostDateTime(step.clock));
        return false;
    case StepKind::Show:
        show(out_);
        return false;
    case StepKind::Print:
        out_ << step.text << '\n';
        return false;
    case StepKind::Snapshot:
        if (FrontPictures* pictures = frontPictures(); pictures == nullptr) {
            problem(queued, "this program draws no pictures");
        } else if (std::string trouble; !pictures->save(pictureOf(queued), trouble)) {
            problem(queued, trouble);
        }
        return false;
    case StepKind::ClickPanels:
        if (hooks_.togglePanels) {
            hooks_.togglePanels();
        } else {
            SensorPanelVisible = !SensorPanelVisible;
        }
        return false;
    case StepKind::Choose:
    case StepKind::TakeHint:
        if (options_.lesson == nullptr) {
            problem(queued, LessonStepNeedsLesson);
        } else if (step.kind == StepKind::Choose) {
            options_.lesson->choose(step.text);
        } else {
            options_.lesson->takeHint();
        }
        return false;
    default:
        if (isLessonStep(step)) {
            problem(queued, LessonStepNeedsLesson);
        }
        return false;
    }
}

// Starts the program again from the flash image in a file, which is only read: as a fresh start
// with that image. A relative path is relative to the script's folder.
void StepSequencer::loadFlash(const Queued& queued) {
    std::filesystem::path path = queued.step.text;
    if (path.is_relative() && queued.file != "<stdin>") {
        path = std::filesystem::path(queued.file).parent_path() / path;
    }
    if (!session_.restartFromImageFile(path.string())) {
        // The step could not do its work: the run goes on from an empty image, but it is not
        // the run the script asked for.
        const std::string text = queued.file + ':' + std::to_string(queued.step.line) +
                                 ": cannot read the flash image " + path.string();
        out_ << timeStamp(session_.time.tick) << ' ' << text << '\n';
        ++totals.problems;
        if (hooks_.problem) {
            hooks_.problem(queued.step, text);
        }
    }
    if (hooks_.programStarted) {
        hooks_.programStarted();
    }
}

void StepSequencer::show(std::ostream& out) const {
    if (options_.oneLine) {
        out << timeStamp(session_.time.tick) << ' ';
        for (int line = 1; line <= 4; ++line) {
            out << '|' << lcdLineText(line);
        }
        out << '|';
        if (options_.gloss) {
            out << " en:";
            for (int line = 1; line <= 4; ++line) {
                out << '|' << glossLine(line);
            }
            out << '|';
        }
        out << '\n';
        return;
    }
    out << timeStamp(session_.time.tick) << "\n+--------------------+\n";
    for (int line = 1; line <= 4; ++line) {
        out << '|' << lcdLineText(line) << "|\n";
    }
    out << "+--------------------+\n";
    if (options_.gloss) {
        for (int line = 1; line <= 4; ++line) {
            if (const std::string english = glossLine(line); !english.empty()) {
                out << "en L" << line << ": " << english << '\n';
            }
        }
    }
}

std::string StepSequencer::pictureOf(const Queued& queued) const {
    const Step& step = queued.step;
    return picturePath(queued.file, options_.picturesFolder,
                       step.kind == StepKind::Snapshot ? step.text : step.check.text);
}

// The front compared with its approved picture; `last` is the final try of the check, which
// writes the pictures of a mismatch.
StepSequencer::Finding StepSequencer::snapshotFinding(const Queued& queued, bool last) {
    Finding finding;
    FrontPictures* pictures = frontPictures();
    const std::string golden = pictureOf(queued);
    std::string trouble;
    if (pictures == nullptr) {
        trouble = "this program draws no pictures";
    } else if (options_.updateSnapshots) {
        finding.held = pictures->save(golden, trouble);
    } else {
        SnapshotComparison comparison = pictures->compare(
            golden, options_.tolerance, actualPicturePath(golden), diffPicturePath(golden), last);
        finding.held = comparison.matches;
        finding.found = std::move(comparison.found);
        if (!comparison.written.empty()) {
            finding.found += ", wrote";
            for (size_t i = 0; i < comparison.written.size(); ++i) {
                finding.found += (i == 0 ? " " : " and ") + comparison.written[i];
            }
        }
        finding.attachments = std::move(comparison.written);
        trouble = std::move(comparison.problem);
    }
    if (finding.held) {
        // The pictures of an earlier mismatch would only mislead now.
        std::error_code ignored;
        std::filesystem::remove(actualPicturePath(golden), ignored);
        std::filesystem::remove(diffPicturePath(golden), ignored);
    }
    if (!trouble.empty()) {
        problem(queued, trouble);
    }
    return finding;
}

StepSequencer::Finding StepSequencer::findingOf(const Queued& queued, bool last) {
    const Check& check = queued.step.check;
    if (check.kind == CheckKind::Snapshot) {
        return snapshotFinding(queued, last);
    }
    Finding finding;
    const int beeps = session_.host().beepsPlayed();
    finding.held = checkHolds(check, beeps);
    if (!finding.held && last) {
        finding.found = checkFound(check, beeps);
    }
    return finding;
}

void StepSequencer::pass(const Queued& queued) {
    ++totals.passed;
    if (options_.oneLine) {
        out_ << "ok " << queued.file << ':' << queued.step.line << '\n';
    }
    if (hooks_.checked) {
        hooks_.checked(CheckOutcome{queued.step, true, {}, {}, {}, {}});
    }
}

void StepSequencer::fail(const Queued& queued, const std::string& expected, Finding finding) {
    const Step& step = queued.step;
    ++totals.failed;
    std::ostringstream lines;
    lines << "FAIL " << queued.file << ':' << step.line << ": expected " << expected << ", got "
          << finding.found << '\n';
    if (!options_.oneLine &&
        (step.check.kind == CheckKind::LcdExact || step.check.kind == CheckKind::LcdContains)) {
        show(lines);
    }
    out_ << lines.str();
    if (hooks_.checked) {
        hooks_.checked(CheckOutcome{step, false, expected, std::move(finding.found), lines.str(),
                                    std::move(finding.attachments)});
    }
}

void StepSequencer::problem(const Queued& queued, const std::string& message) {
    ++totals.problems;
    const std::string text = queued.file + ":" + std::to_string(queued.step.line) + ": " + message;
    out_ << "ERROR " << text << '\n';
    if (hooks_.problem) {
        hooks_.problem(queued.step, text);
    }
}

} // namespace kv410
