#include "scenario/Lesson.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "panel/FrontPanel.h"
#include "scenario/Actions.h"

#include <algorithm>
#include <cctype>
#include <limits>

namespace kv410 {

namespace {

// Points of a task done and of a question answered right, before what hints and wrong answers
// take off.
constexpr int ItemPoints = 10;
constexpr int PointsPerHint = 3;
constexpr int PointsPerWrongAnswer = 5;
constexpr int64_t TicksPerHour = 3600 * TicksPerSecond;

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string plural(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The steps a lesson performs for the trainer.
bool trainerStep(StepKind kind) {
    switch (kind) {
    case StepKind::Wait:
    case StepKind::Sensor:
    case StepKind::SetClock:
    case StepKind::PokeCell:
    case StepKind::PokeIo:
    case StepKind::PokeFlash:
    case StepKind::ClickToggle:
    case StepKind::Print:
        return true;
    default:
        return false;
    }
}

std::string lineOf(const Script& script, const Step& step) {
    return script.file + ":" + std::to_string(step.line) + ": ";
}

// The order of a lesson's steps: the title first, each task ended by its await, its hints
// between the two.
void checkLessonOrder(const Script& script, std::vector<std::string>& errors) {
    const auto error = [&](const Step& step, const std::string& message) {
        errors.push_back(script.file + ":" + std::to_string(step.line) + ": " + message);
    };
    const Step* task = nullptr;
    for (size_t i = 0; i < script.steps.size(); ++i) {
        const Step& step = script.steps[i];
        switch (step.kind) {
        case StepKind::Lesson:
            if (i != 0) {
                error(step, "lesson \"TITLE\" is the first step of a lesson");
            }
            break;
        case StepKind::Task:
            if (task != nullptr) {
                error(step, "the task of line " + std::to_string(task->line) +
                                " has no await before the next task");
            }
            task = &step;
            break;
        case StepKind::Hint:
            if (task == nullptr) {
                error(step, "a hint belongs to a task: it comes after task \"TEXT\" and before "
                            "the task's await");
            }
            break;
        case StepKind::Await:
            if (task == nullptr) {
                error(step, "await ends a task, and no task is under way");
            }
            task = nullptr;
            break;
        default:
            break;
        }
    }
    if (task != nullptr) {
        error(*task, "the task has no await that ends it");
    }
}

} // namespace

bool checkLesson(const Script& script, std::vector<std::string>& errors) {
    const size_t before = errors.size();
    if (script.steps.empty() || script.steps.front().kind != StepKind::Lesson) {
        const int line = script.steps.empty() ? 1 : script.steps.front().line;
        errors.push_back(script.file + ":" + std::to_string(line) +
                         ": a lesson begins with lesson \"TITLE\"");
    }
    checkLessonOrder(script, errors);
    for (const Step& step : script.steps) {
        if (isTraineeStep(step)) {
            errors.push_back(lineOf(script, step) +
                             "choose and a bare hint are the trainee's steps, not the lesson's");
        } else if (!isLessonStep(step) && !trainerStep(step.kind)) {
            errors.push_back(lineOf(script, step) +
                             "a lesson acts for the trainer only with wait, tick, sensor, clock, "
                             "poke, a click of a toggle button and print");
        }
    }
    return errors.size() == before;
}

bool checkTraineeScript(const Script& script, std::vector<std::string>& errors) {
    const size_t before = errors.size();
    for (const Step& step : script.steps) {
        if (isLessonStep(step)) {
            errors.push_back(lineOf(script, step) +
                             "a lesson step belongs in the lesson, not in the trainee's script");
        }
    }
    return errors.size() == before;
}

LessonRun::LessonRun(Session& session, const Script& script, uint32_t seed)
    : session_(session), script_(script), random_(seed) {
    itemOfStep_.assign(script_.steps.size(), -1);
    for (size_t i = 0; i < script_.steps.size(); ++i) {
        const Step& step = script_.steps[i];
        if (step.kind == StepKind::Lesson) {
            title_ = step.text;
        } else if (step.kind == StepKind::Task || step.kind == StepKind::Ask) {
            Item item;
            item.result.question = step.kind == StepKind::Ask;
            item.result.text = step.text;
            item.result.line = step.line;
            item.result.maxPoints = ItemPoints;
            item.step = i;
            itemOfStep_[i] = static_cast<int>(items_.size());
            items_.push_back(std::move(item));
        } else if (step.kind == StepKind::Hint) {
            // A hint belongs to the last task before it (checkLesson sees to that).
            for (auto item = items_.rbegin(); item != items_.rend(); ++item) {
                if (!item->result.question) {
                    item->hints.push_back(step.text);
                    break;
                }
            }
        }
    }
    if (title_.empty()) {
        title_ = script_.file;
    }
}

int64_t LessonRun::now() const {
    return session_.time.tick;
}

// The next number of splitmix64: the same sequence for the same seed on every platform.
uint64_t LessonRun::nextRandom() {
    uint64_t z = (random_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

void LessonRun::begin() {
    if (began_) {
        return;
    }
    began_ = true;
    beginTick_ = now();
    ++generation_;
    advance();
}

void LessonRun::advance() {
    while (!finished_ && waiting_ == Waiting::Nothing) {
        if (next_ >= script_.steps.size()) {
            finished_ = true;
            endTick_ = now();
            ++generation_;
            return;
        }
        perform(next_++);
    }
}

void LessonRun::perform(size_t index) {
    const Step& step = script_.steps[index];
    const int item = itemOfStep_[index];
    switch (step.kind) {
    case StepKind::Task:
    case StepKind::Ask: {
        Item& started = items_[item];
        started.startTick = now();
        started.result.open = true;
        ++itemsStarted_;
        ++generation_;
        deadline_ = step.limited ? now() + step.ticks : -1;
        if (step.kind == StepKind::Task) {
            currentTask_ = item;
            break;
        }
        currentQuestion_ = item;
        answerFeedback_.clear();
        while (currentQuestion_ >= 0 && !pendingAnswers_.empty()) {
            const std::string choice = std::move(pendingAnswers_.front());
            pendingAnswers_.pop_front();
            answer(choice);
        }
        if (currentQuestion_ < 0) {
            break;
        }
        if ((step.limited && step.ticks == 0) || (traineeDone_ && !step.limited)) {
            endItem(item, false);
        } else {
            waiting_ = Waiting::Answer;
        }
        break;
    }
    case StepKind::Await:
        if (currentTask_ < 0) {
            break;
        }
        deadline_ = step.limited ? now() + step.ticks : -1;
        if (checkHolds(step.check, session_.host().beepsPlayed())) {
            endItem(currentTask_, true);
        } else if ((step.limited && step.ticks == 0) || (traineeDone_ && !step.limited)) {
            endItem(currentTask_, false);
        } else {
            waiting_ = Waiting::Check;
            awaitStep_ = index;
        }
        break;
    case StepKind::FaultSensor:
    case StepKind::FaultInput: {
        int64_t offset = step.ticks;
        if (step.between) {
            const uint64_t window = static_cast<uint64_t>(step.latestTicks - step.ticks) + 1;
            offset += static_cast<int64_t>(nextRandom() % window);
        }
        if (offset == 0) {
            applyFault(step);
        } else {
            faults_.push_back({now() + offset, index});
        }
        break;
    }
    case StepKind::Wait:
        if (step.ticks > 0) {
            waiting_ = Waiting::Time;
            waitUntil_ = now() + step.ticks;
        }
        break;
    case StepKind::Sensor:
        // The trainer sets the sensor: a drift of it ends.
        std::erase_if(drifts_, [&](const Drift& drift) { return drift.slider == step.count; });
        performAction(step, session_.time);
        break;
    case StepKind::ClickToggle:
    case StepKind::PokeCell:
    case StepKind::PokeIo:
    case StepKind::PokeFlash:
        performAction(step, session_.time);
        break;
    case StepKind::SetClock:
        session_.host().setClock(hostDateTime(step.clock));
        break;
    case StepKind::Print:
        notes_.push_back(step.text);
        ++generation_;
        if (out_) {
            out_(step.text);
        }
        break;
    default:
        break;
    }
}

void LessonRun::endItem(int item, bool done) {
    Item& ended = items_[item];
    LessonItemResult& result = ended.result;
    result.open = false;
    result.done = done;
    ended.endTick = now();
    result.ticks = ended.endTick - ended.startTick;
    if (!done) {
        result.points = 0;
    } else if (result.question) {
        result.points = std::max(0, ItemPoints - PointsPerWrongAnswer * result.wrongAnswers);
    } else {
        result.points = std::max(1, ItemPoints - PointsPerHint * result.hints);
    }
    if (item == currentTask_) {
        currentTask_ = -1;
    }
    if (item == currentQuestion_) {
        currentQuestion_ = -1;
    }
    waiting_ = Waiting::Nothing;
    deadline_ = -1;
    ++generation_;
}

// The answer to the question under way: true when right, which ends the question.
bool LessonRun::answer(std::string_view choice) {
    Item& question = items_[currentQuestion_];
    const std::string& right = script_.steps[question.step].answer;
    ++generation_;
    if (lower(choice) == lower(right)) {
        answerFeedback_ = "Right.";
        endItem(currentQuestion_, true);
        return true;
    }
    ++question.result.wrongAnswers;
    answerFeedback_ = "Not right; try again.";
    return false;
}

bool LessonRun::choose(std::string_view choice) {
    if (!began_ || finished_ || currentQuestion_ < 0) {
        if (!finished_) {
            pendingAnswers_.emplace_back(choice);
        }
        return false;
    }
    const bool right = answer(choice);
    if (right) {
        advance();
    }
    return right;
}

std::string LessonRun::takeHint() {
    if (currentTask_ < 0) {
        return {};
    }
    Item& task = items_[currentTask_];
    if (task.result.hints >= static_cast<int>(task.hints.size())) {
        return {};
    }
    ++generation_;
    return task.hints[task.result.hints++];
}

void LessonRun::setSensor(int slider, int32_t value) {
    value = std::clamp<int32_t>(value, std::numeric_limits<int16_t>::min(),
                                std::numeric_limits<int16_t>::max());
    // The slider goes as far as it reaches; the sensor's word holds the value itself.
    TrackBarChange(slider, value);
    IoWords[FirstSensorWord + slider - 1] = static_cast<uint16_t>(static_cast<int16_t>(value));
}

void LessonRun::applyFault(const Step& step) {
    if (step.kind == StepKind::FaultInput) {
        // Switched on as its toggle button does, only when it is off.
        if (IoWords[ToggleWords[step.count - 1]] == 0) {
            SpeedButtonClick(step.count);
        }
        return;
    }
    std::erase_if(drifts_, [&](const Drift& drift) { return drift.slider == step.count; });
    switch (step.fault) {
    case SensorFault::Missing:
        setSensor(step.count, SliderMin);
        break;
    case SensorFault::Shorted:
        setSensor(step.count, ShortedSensorValue);
        break;
    case SensorFault::Value:
        setSensor(step.count, step.value);
        break;
    case SensorFault::Drift: {
        const int32_t value = static_cast<int16_t>(IoWords[FirstSensorWord + step.count - 1]);
        drifts_.push_back({step.count, value, step.value, now(), value});
        break;
    }
    }
}

void LessonRun::applyFaults() {
    // Faults fall in the order they were reached when several fall on the same tick.
    std::vector<PendingFault> due;
    std::erase_if(faults_, [&](const PendingFault& fault) {
        if (fault.dueTick > now()) {
            return false;
        }
        due.push_back(fault);
        return true;
    });
    std::stable_sort(due.begin(), due.end(), [](const PendingFault& a, const PendingFault& b) {
        return a.dueTick < b.dueTick;
    });
    for (const PendingFault& fault : due) {
        applyFault(script_.steps[fault.step]);
    }
    for (Drift& drift : drifts_) {
        const int32_t current = static_cast<int16_t>(IoWords[FirstSensorWord + drift.slider - 1]);
        if (current != drift.written) {
            // Someone moved the slider: the sensor drifts on from there.
            drift.base = current;
            drift.fromTick = now();
            drift.written = current;
        }
        const int64_t value =
            drift.base + int64_t{drift.rate} * (now() - drift.fromTick) / TicksPerHour;
        const auto clamped = static_cast<int32_t>(std::clamp<int64_t>(
            value, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()));
        if (clamped != drift.written) {
            setSensor(drift.slider, clamped);
            drift.written = clamped;
        }
    }
}

void LessonRun::afterTick() {
    if (!began_) {
        return;
    }
    applyFaults();
    switch (waiting_) {
    case Waiting::Nothing:
        break;
    case Waiting::Time:
        if (now() >= waitUntil_) {
            waiting_ = Waiting::Nothing;
        }
        break;
    case Waiting::Check: {
        const Step& step = script_.steps[awaitStep_];
        if (checkHolds(step.check, session_.host().beepsPlayed())) {
            endItem(currentTask_, true);
        } else if (deadline_ >= 0 && now() >= deadline_) {
            endItem(currentTask_, false);
        }
        break;
    }
    case Waiting::Answer:
        if (deadline_ >= 0 && now() >= deadline_) {
            endItem(currentQuestion_, false);
        }
        break;
    }
    advance();
}

void LessonRun::traineeFinished() {
    if (traineeDone_) {
        return;
    }
    traineeDone_ = true;
    if (deadline_ < 0) {
        if (waiting_ == Waiting::Check) {
            const Step& step = script_.steps[awaitStep_];
            endItem(currentTask_, checkHolds(step.check, session_.host().beepsPlayed()));
        } else if (waiting_ == Waiting::Answer) {
            endItem(currentQuestion_, false);
        }
    }
    pendingAnswers_.clear();
    advance();
}

bool LessonRun::finished() const {
    return finished_;
}

uint32_t LessonRun::generation() const {
    return generation_;
}

LessonView LessonRun::view() const {
    LessonView view;
    view.title = title_;
    if (currentQuestion_ >= 0) {
        view.question = items_[currentQuestion_].result.text;
        view.choices = script_.steps[items_[currentQuestion_].step].choices;
    }
    view.task = currentTask_ >= 0 ? items_[currentTask_].result.text : view.question;
    if (currentTask_ >= 0) {
        const Item& task = items_[currentTask_];
        view.hints.assign(task.hints.begin(), task.hints.begin() + task.result.hints);
        view.hintAvailable = task.result.hints < static_cast<int>(task.hints.size());
    }
    view.answerFeedback = answerFeedback_;
    view.itemsTotal = static_cast<int>(items_.size());
    for (int i = 0; i < itemsStarted_; ++i) {
        const LessonItemResult& result = items_[i].result;
        view.items.push_back(result);
        if (!result.open) {
            ++view.itemsEnded;
        }
        view.points += result.points;
    }
    view.finished = finished_;
    view.maxPoints = ItemPoints * view.itemsTotal;
    view.ticks = (finished_ ? endTick_ : began_ ? now() : beginTick_) - beginTick_;
    view.notes = notes_;
    return view;
}

std::string LessonRun::itemLine(const Item& item, int number) const {
    const LessonItemResult& result = item.result;
    std::string line = (result.question ? "question " : "task ") + std::to_string(number) + " ";
    const std::string at = timeStamp(item.endTick - beginTick_);
    if (result.open) {
        line += "under way";
    } else if (result.question) {
        line += (result.done ? "right at " : "missed at ") + at;
        if (result.wrongAnswers > 0) {
            line += (result.done ? " after " : " (") +
                    plural(result.wrongAnswers, "wrong answer", "wrong answers") +
                    (result.done ? "" : ")");
        }
    } else {
        line += (result.done ? "done at " : "missed at ") + at;
        if (result.hints > 0) {
            line += " (" + plural(result.hints, "hint", "hints") + ")";
        }
    }
    return line + ": " + result.text + "\n";
}

std::string LessonRun::report() const {
    std::string text = "Lesson " + quotedText(title_) + "\n";
    int tasks = 0;
    int questions = 0;
    for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
        const Item& item = items_[i];
        const int number = item.result.question ? ++questions : ++tasks;
        if (i >= itemsStarted_) {
            text += std::string(item.result.question ? "question " : "task ") +
                    std::to_string(number) + " not reached: " + item.result.text + "\n";
        } else {
            text += itemLine(item, number);
        }
    }
    const LessonView shown = view();
    const std::string time = timeStamp(shown.ticks);
    return text + "score " + std::to_string(shown.points) + " of " +
           std::to_string(shown.maxPoints) + ", time " + time.substr(1, time.size() - 2) + "\n";
}

int LessonRun::status() const {
    if (!finished_) {
        return 1;
    }
    for (const Item& item : items_) {
        if (!item.result.done) {
            return 1;
        }
    }
    return 0;
}

} // namespace kv410
