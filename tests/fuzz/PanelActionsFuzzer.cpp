// libFuzzer target: a Flash.dat image followed by a sequence of front-panel actions.
//
// Input layout:
//   bytes 0..1   length L of the image (little endian)
//   next L bytes the contents of Flash.dat (fewer when the input ends early)
//   the rest     actions, each an opcode byte and up to three argument bytes (missing bytes
//                read as 0)
//
// Every input starts a fresh process: the state is reset, the image is written to a file and
// loaded as the window's create handler does, the controller boots and the actions are played.
// After every action the rules below are checked; a broken rule aborts with a message.
#include "core/FlashFile.h"
#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "core/VirtualPlatform.h"
#include "display/Lcd.h"
#include "menu/MenuEngine.h"
#include "menu/MenuTree.h"
#include "panel/FrontPanel.h"
#include "supervision/AlarmLog.h"
#include "supervision/Alarms.h"
#include "tests/LibraryTestHooks.h"
#include "unit/ControllerState.h"
#include "unit/Session.h"
#include "unit/VirtualTime.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

using namespace kv410;

constexpr int64_t TicksPerDay = 24 * 3600 * TicksPerSecond;
// Virtual time one input may use: one full day, so that a run
// stays quick enough to explore many inputs.
constexpr int64_t TickBudget = TicksPerDay;
// Seconds a button must be held before its long press fires: left, right, middle.
constexpr int64_t LongPressSeconds[3] = {3, 5, 5};

// Reads the input front to back; bytes past its end read as 0.
struct Reader {
    const uint8_t* data;
    size_t size;
    size_t pos = 0;

    bool atEnd() const { return pos >= size; }
    uint8_t byte() { return pos < size ? data[pos++] : 0; }
    uint16_t word() {
        const uint16_t low = byte();
        return static_cast<uint16_t>(low | byte() << 8);
    }
};

// One played input: the host, the virtual clock and what the access rule needs to know.
struct FuzzRun {
    explicit FuzzRun(const std::string& imagePath) : unit(host, imagePath) {}
    VirtualPlatform host;
    // The unit's run, its flash image in a file.
    Session unit;
    // A button was held long enough for its long press to fire.
    bool longPressSeen = false;
    const char* lastAction = "boot";
};

FuzzRun* run = nullptr;

[[noreturn]] void broken(const char* rule) {
    std::fprintf(stderr, "rule broken after action '%s': %s\n", run->lastAction, rule);
    std::fprintf(stderr, "currentNode %d, access level %u, knobSteps %d, log offset %u\n",
                 nodeIndex(currentNode), IoWords[AccessLevelWord], knobSteps,
                 FlashImage[AlarmLogOffsetFlashWord]);
    for (const auto& line : LcdLines) {
        std::fprintf(stderr, "  |%.21s|\n", line);
    }
    std::abort();
}

void checkRules() {
    for (const auto& line : LcdLines) {
        if (std::strlen(line) != 20) {
            broken("an LCD line is not 20 characters");
        }
    }
    const int node = nodeIndex(currentNode);
    if (node < 0) {
        broken("currentNode is not a node of the menu tree");
    }
    bool freeSeen = false;
    for (int i = 0; i < AlarmSlotCount; ++i) {
        const uint8_t entry = ActiveAlarmList[i];
        if (entry == NoAlarm) {
            freeSeen = true;
        } else if (entry >= AlarmSlotCount) {
            broken("an ActiveAlarmList entry is neither an alarm number nor the empty marker");
        } else if (freeSeen) {
            broken("the used entries of ActiveAlarmList are not contiguous");
        }
    }
    if (ActiveAlarmList[AlarmSlotCount] != NoAlarm) {
        broken("the byte after ActiveAlarmList's entries is not the empty marker");
    }
    const uint16_t offset = FlashImage[AlarmLogOffsetFlashWord];
    if (offset % AlarmRecordWords != 0 || offset > AlarmLogMaxOffset) {
        broken("the alarm log offset is not a multiple of 13 within its bound");
    }
    if (knobSteps < -127 || knobSteps > 127) {
        broken("knobSteps left -127..127");
    }
    if (!run->longPressSeen) {
        if (IoWords[AccessLevelWord] != 1) {
            broken("the access level left 1 without a long press");
        }
        if ((currentNode->access & 0x01) == 0) {
            broken("a node closed to access level 1 became current without a long press");
        }
    }
}

// Advances the virtual clock by up to ticks, within the input's budget, running the timers as
// the window does.
void advance(int64_t ticks) {
    advanceTicks(run->unit.time, std::min(ticks, TickBudget - run->unit.time.tick));
}

void pressButton(int button) {
    pressPanelButton(run->unit.time, static_cast<PanelButton>(button));
}

void releaseButton(int button) {
    releasePanelButton(static_cast<PanelButton>(button));
}

// The keys a person can use: key, shift, character.
struct KeyStroke {
    PanelKey key;
    bool shift;
    char character;
};
constexpr KeyStroke KeyStrokes[] = {
    {PanelKey::Up, false, 0},
    {PanelKey::Down, false, 0},
    {PanelKey::Left, false, 0},
    {PanelKey::Right, false, 0},
    {PanelKey::Up, true, 0},
    {PanelKey::Down, true, 0},
    {PanelKey::Left, true, 0},
    {PanelKey::Right, true, 0},
    {PanelKey::Escape, false, EscapeChar},
    {PanelKey::Enter, false, EnterChar},
    {PanelKey::Other, false, '+'},
    {PanelKey::Other, false, '-'},
    {PanelKey::Other, false, '*'},
    {PanelKey::Other, false, '/'},
    {PanelKey::Other, false, '1'},
    {PanelKey::Other, false, 'x'},
};
constexpr size_t KeyStrokeCount = sizeof KeyStrokes / sizeof KeyStrokes[0];

void keyDown(const KeyStroke& stroke) {
    FormKeyDown(stroke.key, stroke.shift);
    if (stroke.character != 0) {
        FormKeyPress(stroke.character);
    }
}

// A file of this process in memory-backed storage when there is some: restarts save through it.
std::string imagePath() {
    const char* folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(folder) + "/kv410-fuzz-" + std::to_string(::getpid()) + ".dat";
}

// Closes the window and starts the program again; the saved image must come back unchanged.
void restart() {
    run->unit.stop();
    uint16_t saved[PersistedFlashWords];
    std::memcpy(saved, FlashImage, sizeof saved);
    run->unit.create();
    if (std::memcmp(saved, FlashImage, sizeof saved) != 0) {
        broken("the saved flash image did not come back after a restart");
    }
    run->unit.show();
}

void setClock(Reader& in) {
    using namespace std::chrono;
    const int y = 1970 + in.word() % 8030;
    const int m = 1 + in.byte() % 12;
    const uint8_t dayAndTime = in.byte();
    const year_month_day_last end{year{y} / month{static_cast<unsigned>(m)} / std::chrono::last};
    const int d = 1 + static_cast<int>(dayAndTime % static_cast<unsigned>(end.day()));
    // The time is always one of the hard ones: just before midnight or a turn of the hour.
    const int hour = dayAndTime & 0x80 ? 23 : dayAndTime % 24;
    run->host.setClock(y, m, d, hour, 59, 50);
}

// A wait: the unit byte picks ticks (most often), seconds, minutes or, rarely, hours up to a
// whole day, so that a typical input stays short.
void wait(uint8_t unit, uint8_t count) {
    const int64_t n = 1 + count;
    if (unit < 128) {
        advance(n);
    } else if (unit < 192) {
        advance(n * TicksPerSecond);
    } else if (unit < 255) {
        advance((1 + count % 60) * 60 * TicksPerSecond);
    } else {
        advance((1 + count % 24) * 3600 * TicksPerSecond);
    }
}

void play(Reader& in) {
    const uint8_t op = in.byte();
    switch (op % 16) {
    case 0: {
        run->lastAction = "click knob";
        const uint8_t how = in.byte();
        RattImageMouseDown(how & 1 ? MouseButton::Right : MouseButton::Left, (how & 2) != 0);
        break;
    }
    case 1: {
        run->lastAction = "turn";
        const uint8_t how = in.byte();
        const int clicks = 1 + (how >> 2) % 16;
        for (int i = 0; i < clicks; ++i) {
            RattImageMouseDown(how & 1 ? MouseButton::Right : MouseButton::Left, (how & 2) != 0);
            advance(1);
        }
        break;
    }
    case 2: {
        run->lastAction = "click button";
        const int button = in.byte() % 3;
        pressButton(button);
        releaseButton(button);
        break;
    }
    case 3: {
        run->lastAction = "hold button";
        const int button = in.byte() % 3;
        const int64_t ticks = 1 + in.byte() % (8 * TicksPerSecond);
        if (ticks >= LongPressSeconds[button] * TicksPerSecond) {
            run->longPressSeen = true;
        }
        pressButton(button);
        advance(ticks);
        releaseButton(button);
        break;
    }
    case 4:
    case 5: {
        run->lastAction = "key";
        const KeyStroke& stroke = KeyStrokes[in.byte() % KeyStrokeCount];
        const int repeat = 1 + in.byte() % 4;
        for (int i = 0; i < repeat; ++i) {
            keyDown(stroke);
            FormKeyUp();
        }
        break;
    }
    case 6:
        run->lastAction = "key down";
        keyDown(KeyStrokes[in.byte() % KeyStrokeCount]);
        break;
    case 7:
        run->lastAction = "key up";
        FormKeyUp();
        break;
    case 8: {
        run->lastAction = "sensor";
        const int slider = 1 + in.byte() % 11;
        TrackBarChange(slider, static_cast<int16_t>(in.word()));
        break;
    }
    case 9: {
        run->lastAction = "toggle";
        SpeedButtonClick(1 + in.byte() % 11);
        break;
    }
    case 10:
        run->lastAction = "power";
        Shape6MouseDown();
        break;
    case 11:
    case 12: {
        run->lastAction = "wait";
        const uint8_t unit = in.byte();
        wait(unit, in.byte());
        break;
    }
    case 13:
        run->lastAction = "restart";
        restart();
        break;
    case 14: {
        run->lastAction = "slider keys";
        const uint8_t what = in.byte();
        SensorPanelVisible = (what & 1) != 0;
        if (what & 2) {
            TrackBar1Enter(1 + (what >> 2) % 11);
        }
        TrackBar1KeyDown(KeyStrokes[in.byte() % KeyStrokeCount].key);
        break;
    }
    default:
        run->lastAction = "clock";
        setClock(in);
        break;
    }
    // The window gives slider 1 the focus when the "1" key asked for it.
    if (SliderFocusRequested) {
        SliderFocusRequested = false;
        TrackBar1Enter(1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = [] {
        std::atexit([] {
            std::remove(imagePath().c_str());
            std::remove((imagePath() + ".saving." + std::to_string(::getpid())).c_str());
        });
        return imagePath();
    }();
    Reader in{data, size};
    const size_t imageLength = std::min<size_t>(in.word(), size - std::min<size_t>(size, 2));

    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return 0;
    }
    std::fwrite(data + in.pos, 1, imageLength, file);
    std::fclose(file);
    in.pos += imageLength;

    FuzzRun fresh(path);
    run = &fresh;
    run->unit.start();
    checkRules();
    while (!in.atEnd() && run->unit.time.tick < TickBudget) {
        play(in);
        checkRules();
    }
    // Let the last action take effect, then look once more.
    advance(2);
    checkRules();
    installPlatform(nullptr);
    run = nullptr;
    return 0;
}
