// Writes what a person does at the front as a scenario script: every action with the waits
// between, so that kv410-script replays the session tick for tick. Optionally it writes the four
// LCD lines as checks before each action that follows a change of the display.
#pragma once

#include "scenario/Script.h"

#include <cstdint>
#include <fstream>
#include <string>

namespace kv410 {

class ScriptRecorder {
public:
    // Opens the script and writes its head: what recorded it, the host clock at the start
    // (year, month, day, hour, minute, second) and the flash image the session starts from
    // (flashName, relative to the script's folder). False, with a message, when it cannot.
    bool begin(const std::string& path, const std::string& flashName, const int* clock, bool checks,
               const std::string& recordedBy);
    // A step the person performed at a tick (virtual time since the start), written with
    // writeStep; a press and a release of a button go through press and release, a key going
    // down and up through keyDown and keyUp. Call it before the step reaches the unit.
    void performed(int64_t tick, const Step& step);
    // Call it after each performed step has reached the unit. A key down that left the
    // middle-button word clear is written together with its key up as one "key" step at the
    // key down's tick, when nothing comes between, even if ticks pass before the key up: the key
    // up only clears that word, so the unit sees the same.
    void reached();
    // Ends the script at a tick: the last wait, the last checks and a closing comment.
    bool end(int64_t tick);

    bool recording() const { return out_.is_open(); }
    // The first write error, empty while all went well.
    const std::string& error() const { return error_; }

private:
    // A line written as a step at a tick, such as "click power" or "sensor GT1 -500".
    void action(int64_t tick, const std::string& step);
    // A button under the display (0 left, 1 right, 2 middle) pressed and released; a press
    // and its release with nothing between become "click" or "hold".
    void press(int64_t tick, int button);
    void release(int64_t tick, int button);
    // A key went down / up: a key down and its key up with nothing between become "key NAME"
    // when they come at the same tick or the key up changes nothing (see reached); a key held
    // across ticks that sets the middle-button word (Shift+Left, Shift+Up, Shift+Down) stays
    // "keydown" and "keyup" with the wait between, so that the unit sees the same.
    void keyDown(int64_t tick, const Step& step);
    void keyUp(int64_t tick, const Step& step);
    struct Screen {
        char lines[4][20];
    };
    void writeLine(const std::string& line);
    void writeWaitTo(int64_t tick);
    void writeChecks(const Screen& screen);
    // Writes the press or key down that waits for its release, as a press or keydown.
    void flushPending();
    // The wait up to a pending press or key down and the checks of the screen it found.
    void writeBeforePending();
    static Screen screenNow();

    std::ofstream out_;
    std::string path_;
    std::string error_;
    bool checks_ = false;
    int64_t writtenTick_ = 0;
    bool actedSinceChecks_ = false;
    bool checkedOnce_ = false;
    Screen checked_{};
    // A press not yet written (it may become a click or a hold), or a key down not yet written
    // (it may become a key).
    enum class Pending { None, Press, Key };
    Pending pending_ = Pending::None;
    int pressButton_ = 0;
    Step keyDown_{};
    // The pending key down left the middle-button word clear.
    bool keyUpChangesNothing_ = false;
    int64_t pendingTick_ = 0;
    Screen pendingScreen_{};
};

} // namespace kv410
