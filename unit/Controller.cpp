#include "unit/Controller.h"

#include "core/Clock.h"
#include "core/FactoryDefaults.h"
#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "display/Lcd.h"
#include "display/RelayLamps.h"
#include "display/TextWords.h"
#include "menu/MenuEngine.h"
#include "supervision/AlarmLog.h"
#include "supervision/Alarms.h"
#include "supervision/MixingValve.h"

#include <cstring>

namespace kv410 {

namespace {

constexpr int LedOff = 0;
constexpr int LedLit = 1;
constexpr int LedBlinking = 2;
constexpr int ProgramVersion = 102;

// Start values of the countdowns: which countdown is loaded from which cell.
struct CountdownStart {
    uint32_t* timers;
    int index;
    int cell;
};
const CountdownStart CountdownStarts[] = {
    {SecondTimers, 0, 82}, {SecondTimers, 1, 96}, {SecondTimers, 3, 85},
    {SecondTimers, 4, 86}, {MinuteTimers, 0, 42},
};

// Input words copied into cells by every exchange; cell 506 is left alone.
struct InputCopy {
    int firstCell;
    int firstWord;
    int count;
};
constexpr InputCopy InputCopies[] = {
    {521, 24, 11}, // sensors GT1 .. GT3X
    {500, 4, 6},   // MB2, MB1, EK, HP, LP, VVP
    {507, 10, 2},  // EXT, phase fault
    {533, 60, 1},  // spare input
};

// Output commands that drive relay words directly while no output test runs.
constexpr InputCopy OutputCopies[] = {
    {509, 12, 4}, // P3, compressor, auxiliary heat steps 1 and 2
    {515, 18, 6}, // P1, P2, VXV1, sum alarm and the two lampless outputs
};

// A deviation large enough to drive the valve fully closed at start.
constexpr int32_t ValveClosingDeviation = -1000;
constexpr uint8_t WatchdogReload = 32;

constexpr char BlankLine[] = "                    ";
constexpr char StartupLine[] = "      KAVO 410      ";

void showLines(const char* const (&lines)[4]) {
    for (int line = 1; line <= 4; ++line) {
        writeText(line, 1, lines[line - 1]);
    }
}

bool signatureValid() {
    for (int cell : SignatureCells) {
        if (ControllerCells[cell] != cell) {
            return false;
        }
    }
    return true;
}

void switchOff() {
    IoWords[PowerRequestWord] = 0;
    for (int cell = FirstCommandCell; cell <= LastCommandCell; ++cell) {
        ControllerCells[cell] = 0;
    }
    storeParameter(UnitOnCell, 0);
    IoWords[DisplayAwakeWord] = 0;
    IoWords[OnLedWord] = LedBlinking;
    // The compressor, auxiliary-heat, hot-water and alarm LEDs go dark at switch-off.
    for (int word = CompressorLedWord; word <= AlarmLedWord; ++word) {
        IoWords[word] = LedOff;
    }
    showLines({BlankLine, BlankLine, BlankLine, BlankLine});
}

void switchOn() {
    IoWords[PowerRequestWord] = 0;
    startupSetup();
    clearActiveAlarmList();
    initAlarmSupervision();
    storeParameter(UnitOnCell, 1);
    IoWords[DisplayAwakeWord] = 1;
    IoWords[OnLedWord] = LedLit;
}

} // namespace

void bootController() {
    showLines({BlankLine, StartupLine, BlankLine, BlankLine});

    for (int cell : SignatureCells) {
        ControllerCells[cell] = static_cast<int16_t>(readFlashWord(cell));
    }
    if (signatureValid()) {
        loadCellsFromFlash();
    } else {
        loadFactoryDefaults();
        storeParameter(ConfigurationCell, 1);
    }

    initClock();
    loadAlarmLogCursor();
    startupSetup();
    clearActiveAlarmList();
    initAlarmSupervision();

    for (const CountdownStart& start : CountdownStarts) {
        start.timers[start.index] = cellUnsigned(start.cell);
    }

    stepMixingValve(ValveClosingDeviation);
    ControllerCells[ValveOpenRequestCell] = 0;
    ControllerCells[ValveCloseRequestCell] = 0;
    ControllerCells[ValveOpeningMarkerCell] = 0;
    ControllerCells[ProgramVersionCell] = ProgramVersion;
    ControllerCells[HeaterPowerCell] = 0;

    const bool on = ControllerCells[UnitOnCell] != 0;
    IoWords[DisplayAwakeWord] = on ? 1 : 0;
    IoWords[OnLedWord] = on ? LedLit : LedBlinking;
}

void startupSetup() {
    takeTextWords();
    resetMenu();
}

void runControllerCycle() {
    if (IoWords[PowerRequestWord] != 0 && ControllerCells[UnitOnCell] != 0) {
        switchOff();
    }

    if (ControllerCells[UnitOnCell] == 0) {
        refreshRelayLamps();
        exchangeIo();
        if (IoWords[PowerRequestWord] != 0) {
            switchOn();
        }
        return;
    }

    runMenuEngine();
    refreshRelayLamps();
    exchangeIo();
    superviseAlarms();
    const bool anyClassActive =
        ClassActiveFlags[0] != 0 || ClassActiveFlags[1] != 0 || ClassActiveFlags[2] != 0;
    ControllerCells[SumAlarmCell] = anyClassActive ? 1 : 0;
}

void exchangeIo() {
    // Cells and words are both 16 bits wide: a run is copied bit for bit. Unrolled, every run
    // has a constant length and its copy needs no call.
#pragma GCC unroll 8
    for (const InputCopy& copy : InputCopies) {
        std::memcpy(&ControllerCells[copy.firstCell], &IoWords[copy.firstWord],
                    sizeof(uint16_t) * static_cast<size_t>(copy.count));
    }

    if (ControllerCells[OutputTestCell] != 0) {
        if (outputTestWatchdog == 0) {
            ControllerCells[OutputTestCell] = 0;
        }
        return;
    }

#pragma GCC unroll 8
    for (const InputCopy& copy : OutputCopies) {
        std::memcpy(&IoWords[copy.firstWord], &ControllerCells[copy.firstCell],
                    sizeof(uint16_t) * static_cast<size_t>(copy.count));
    }
    if (ControllerCells[ValveOpenRequestCell] != 0) {
        IoWords[ValveOpenPulseWord] = 1;
        ControllerCells[ValveOpenRequestCell] = 0;
    }
    if (ControllerCells[ValveCloseRequestCell] != 0) {
        IoWords[ValveClosePulseWord] = 1;
        ControllerCells[ValveCloseRequestCell] = 0;
    }
    outputTestWatchdog = WatchdogReload;
}

} // namespace kv410
