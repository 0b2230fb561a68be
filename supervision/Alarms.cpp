#include "supervision/Alarms.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "supervision/AlarmLog.h"

#include <cstring>

namespace kv410 {

uint8_t ActiveAlarmList[33];
int32_t AlarmDelayCounters[32];
uint8_t NewAlarmFlag;
uint8_t UnacknowledgedAlarmFlag;
uint8_t ClassActiveFlags[3];

namespace {

constexpr int ListEntries = 32;
constexpr int LimitCount = 5;
constexpr int StartDelaySeconds = 60;
constexpr int FaultDelaySeconds = 5;
// A sensor value is valid strictly between these two; beyond them it is a fault.
constexpr int SensorLow = -400;
constexpr int SensorHigh = 1400;
// Seconds timer that holds the low-pressure alarm off while it runs.
constexpr int LowPressureHoldTimer = 8;

// Alarms whose clearing is latching or self-resetting by fixed class; the rest keep their cell.
struct ClassAssignment {
    uint8_t alarm;
    uint8_t cls;
};
constexpr ClassAssignment ClassAssignments[] = {
    {10, 0}, {12, 0}, {13, 0}, {14, 0}, {19, 0}, {11, 1}, {0, 2},  {1, 2},  {2, 2},  {3, 2},
    {4, 2},  {5, 2},  {6, 2},  {7, 2},  {8, 2},  {9, 2},  {15, 3}, {17, 3}, {18, 3},
};

// Sensor alarms that are always supervised.
struct SensorAlarm {
    uint8_t alarm;
    int cell;
};
constexpr SensorAlarm PlainSensorAlarms[] = {{0, Gt1Cell}, {1, Gt2Cell}};
constexpr SensorAlarm LaterSensorAlarms[] = {
    {5, Gt6Cell}, {6, Gt8Cell}, {7, Gt9Cell}, {8, Gt10Cell}, {9, Gt11Cell}};

// Optional sensors: supervised only while their bit of the configuration word is set.
struct OptionalSensorAlarm {
    uint8_t alarm;
    int cell;
    uint16_t bit;
};
constexpr OptionalSensorAlarm OptionalSensorAlarms[] = {
    {2, HotWaterTemperatureCell, 0x08}, {3, Gt4Cell, 0x10}, {4, Gt5Cell, 0x20}};

// Alarm inputs: the fault and "otherwise" normal.
struct InputAlarm {
    uint8_t alarm;
    bool (*fault)();
};
bool on(int ioWord) {
    return IoWords[ioWord] != 0;
}
bool cellOn(int cell) {
    return ControllerCells[cell] != 0;
}
constexpr InputAlarm InputAlarms[] = {
    {10, [] { return on(CompressorWord) && on(Mb1InputWord); }},
    {11, [] { return (on(AuxHeatStep1Word) || on(AuxHeatStep2Word)) && on(EkInputWord); }},
    {12, [] { return on(BrinePumpWord) && on(Mb2InputWord); }},
    {13,
     [] {
         return cellOn(LpCopyCell) && cellOn(CompressorCommandCell) &&
                SecondTimers[LowPressureHoldTimer] == 0;
     }},
    {14, [] { return cellOn(HpCopyCell); }},
    {20, [] { return cellOn(PhaseFaultCopyCell); }},
};

// Limit alarms, held off while their sensor's own alarm is active. above: fault when the
// sensor exceeds the limit, else when it falls below. hysteresis 0: normal whenever not
// faulty; otherwise normal only beyond the limit minus the hysteresis.
struct LimitAlarm {
    uint8_t alarm;
    int sensor;
    int limitCell;
    uint8_t sensorAlarm;
    bool above;
    int hysteresis;
};
constexpr LimitAlarm LimitAlarms[] = {
    {15, Gt9Cell, 90, 7, true, 20},  {16, Gt8Cell, 91, 6, true, 0}, {17, Gt10Cell, 92, 8, false, 0},
    {18, Gt11Cell, 93, 9, false, 0}, {19, Gt6Cell, 94, 5, true, 0},
};

bool validAlarm(uint8_t n) {
    return n < AlarmSlotCount;
}

uint16_t flags(uint8_t n) {
    return cellUnsigned(AlarmFlagsCell + n);
}

void setFlags(uint8_t n, uint16_t value) {
    ControllerCells[AlarmFlagsCell + n] = static_cast<int16_t>(value);
}

bool rangeFault(int v) {
    return v < SensorLow || v > SensorHigh;
}

bool rangeNormal(int v) {
    return v > SensorLow && v < SensorHigh;
}

void setDetected(uint16_t bit, bool present) {
    const uint16_t detected = cellUnsigned(DetectedSensorsCell);
    ControllerCells[DetectedSensorsCell] =
        static_cast<int16_t>(present ? detected | bit : detected & ~bit);
}

// Takes the first entry n out of the list; the entries after it move up one place.
void removeFromList(uint8_t n) {
    auto* found = static_cast<uint8_t*>(std::memchr(ActiveAlarmList, n, ListEntries));
    if (found == nullptr) {
        return;
    }
    uint8_t* last = &ActiveAlarmList[ListEntries - 1];
    std::memmove(found, found + 1, static_cast<size_t>(last - found));
    *last = NoAlarm;
}

// Puts n at the head of the list; when all entries are in use the oldest falls out.
void insertAtHead(uint8_t n) {
    removeFromList(n);
    bool shifting = false;
    for (int i = ListEntries - 1; i >= 1; --i) {
        shifting = shifting || ActiveAlarmList[i - 1] != NoAlarm;
        if (shifting) {
            ActiveAlarmList[i] = ActiveAlarmList[i - 1];
        }
    }
    ActiveAlarmList[0] = n;
    ActiveAlarmList[ListEntries] = NoAlarm;
}

char digitCharacter(int value) {
    return static_cast<char>(static_cast<uint8_t>('0' + value));
}

// Everything a supervision pass reads to judge the alarms, and everything it writes when it
// raises nothing: the input and sensor cells, the installation and detected words, the limits,
// every slot's flags and class, the words of the alarm inputs, the low-pressure hold timer, the
// delays, the list and the summary. A pass judges every alarm once, and judging again what was
// just judged changes nothing; so while all of these hold what the last pass left in them, the
// next pass would change nothing either and is skipped.
struct PassState {
    int16_t inputCells[HotWaterTemperatureCell + 1 - FirstInputCopyCell];
    int16_t installationAndDetected[2];
    int16_t limits[LimitCount];
    int16_t flags[AlarmSlotCount];
    int16_t classes[AlarmSlotCount];
    uint16_t inputWords[12];
    uint16_t ledWord[1];
    uint32_t lowPressureHold[1];
    int32_t delays[AlarmSlotCount];
    uint8_t list[sizeof ActiveAlarmList];
    uint8_t unacknowledged[1];
    uint8_t classActive[sizeof ClassActiveFlags];
};
PassState lastPass;
bool lastPassValid = false;

// Calls part(copy, live) for every part of the state and its copy in `state`, while it returns
// true.
template <typename Part>
bool forEachPart(PassState& state, Part part) {
    return part(state.inputCells, &ControllerCells[FirstInputCopyCell]) &&
           part(state.installationAndDetected, &ControllerCells[ConfigurationCell]) &&
           part(state.limits, &ControllerCells[FirstAlarmLimitCell]) &&
           part(state.flags, &ControllerCells[AlarmFlagsCell]) &&
           part(state.classes, &ControllerCells[AlarmClassCell]) &&
           part(state.inputWords, &IoWords[Mb2InputWord]) &&
           part(state.ledWord, &IoWords[AlarmLedWord]) &&
           part(state.lowPressureHold, &SecondTimers[LowPressureHoldTimer]) &&
           part(state.delays, AlarmDelayCounters) && part(state.list, ActiveAlarmList) &&
           part(state.unacknowledged, &UnacknowledgedAlarmFlag) &&
           part(state.classActive, ClassActiveFlags);
}

template <typename T, size_t N>
bool same(T (&copy)[N], const T* live) {
    return std::memcmp(copy, live, sizeof copy) == 0;
}

template <typename T, size_t N>
bool keep(T (&copy)[N], const T* live) {
    std::memcpy(copy, live, sizeof copy);
    return true;
}

bool passUnchanged() {
    return lastPassValid &&
           forEachPart(lastPass, [](auto& copy, const auto* live) { return same(copy, live); });
}

void rememberPass() {
    forEachPart(lastPass, [](auto& copy, const auto* live) { return keep(copy, live); });
    lastPassValid = true;
}

// raiseAlarm without the summary: a supervision pass computes the summary once at its end.
void raiseSlot(uint8_t n) {
    NewAlarmFlag = 1;
    setFlags(n, (flags(n) | AlarmActiveBit) & 0xFD);
    constexpr int StampCells[6] = {AlarmYearCell, AlarmMonthCell,  AlarmDayCell,
                                   AlarmHourCell, AlarmMinuteCell, AlarmSecondCell};
    char record[AlarmRecordWords];
    record[0] = digitCharacter(n);
    for (int k = 0; k < 6; ++k) {
        const uint16_t clockWord = IoWords[ClockYearWord + k];
        ControllerCells[StampCells[k] + n] = static_cast<int16_t>(clockWord);
        record[1 + 2 * k] = digitCharacter(clockWord >> 4);
        record[2 + 2 * k] = digitCharacter(clockWord & 15);
    }
    appendAlarmLog(record);
    insertAtHead(n);
}

// clearAlarm without the summary.
void clearSlot(uint8_t n) {
    const int cls = ControllerCells[AlarmClassCell + n];
    if ((flags(n) & AlarmAcknowledgedBit) != 0 || cls == 2 || cls == 3) {
        setFlags(n, 0);
        removeFromList(n);
    }
}

// Applies one alarm's verdict: a fault raises once its delay has run out, a normal condition
// clears and restarts the delay, anything else leaves the alarm as it is. True when the alarm
// was raised or cleared, so that the summary is due.
bool judge(uint8_t n, bool fault, bool normal) {
    if (fault) {
        if (AlarmDelayCounters[n] == 0 && isAlarmActive(n) == 0) {
            raiseSlot(n);
            return true;
        }
        return false;
    }
    if (normal) {
        clearSlot(n);
        AlarmDelayCounters[n] = FaultDelaySeconds;
        return true;
    }
    return false;
}

bool judgeSensor(uint8_t n, int cell) {
    const int v = ControllerCells[cell];
    return judge(n, rangeFault(v), rangeNormal(v));
}

} // namespace

void clearActiveAlarmList() {
    std::memset(ActiveAlarmList, NoAlarm, sizeof ActiveAlarmList);
}

int isAlarmActive(uint8_t n) {
    return validAlarm(n) ? flags(n) & AlarmActiveBit : 0;
}

void setAlarmClass(uint8_t n, uint8_t cls) {
    if (validAlarm(n)) {
        ControllerCells[AlarmClassCell + n] = cls;
    }
}

void raiseAlarm(uint8_t n) {
    if (!validAlarm(n)) {
        return;
    }
    raiseSlot(n);
    updateAlarmSummary();
}

void clearAlarm(uint8_t n) {
    if (!validAlarm(n)) {
        return;
    }
    clearSlot(n);
    updateAlarmSummary();
}

void acknowledgeAlarm(uint8_t n) {
    if (!validAlarm(n)) {
        return;
    }
    setFlags(n, flags(n) | AlarmAcknowledgedBit);
    updateAlarmSummary();
}

void updateAlarmSummary() {
    UnacknowledgedAlarmFlag = 0;
    std::memset(ClassActiveFlags, 0, sizeof ClassActiveFlags);
    bool anyActive = false;
    bool anyUnacknowledged = false;
    for (int n = 0; n < AlarmSlotCount; ++n) {
        const uint16_t f = flags(static_cast<uint8_t>(n));
        if ((f & AlarmActiveBit) == 0) {
            continue;
        }
        anyActive = true;
        anyUnacknowledged = anyUnacknowledged || (f & AlarmAcknowledgedBit) == 0;
        const int cls = ControllerCells[AlarmClassCell + n];
        if (cls >= 0 && cls < 3) {
            ClassActiveFlags[cls] = 1;
        }
    }
    if (anyUnacknowledged) {
        IoWords[AlarmLedWord] = 2;
        UnacknowledgedAlarmFlag = 1;
    } else {
        IoWords[AlarmLedWord] = anyActive ? 1 : 0;
    }
}

void initAlarmSupervision() {
    repairAlarmLogOffset();
    for (int n = 0; n < AlarmSlotCount; ++n) {
        clearAlarm(static_cast<uint8_t>(n));
    }
    for (int32_t& counter : AlarmDelayCounters) {
        counter = StartDelaySeconds;
    }
    for (const ClassAssignment& a : ClassAssignments) {
        setAlarmClass(a.alarm, a.cls);
    }
    // A latched alarm loaded with the flash image stays active: list it so that it can be
    // seen and acknowledged.
    for (int n = 0; n < AlarmSlotCount; ++n) {
        const uint8_t alarm = static_cast<uint8_t>(n);
        if (isAlarmActive(alarm) != 0) {
            insertAtHead(alarm);
        }
    }
    updateAlarmSummary();
}

void superviseAlarms() {
    if (passUnchanged()) {
        return;
    }
    bool summaryDue = false;
    for (const SensorAlarm& s : PlainSensorAlarms) {
        summaryDue |= judgeSensor(s.alarm, s.cell);
    }

    const int gt3 = ControllerCells[Gt3Cell];
    ControllerCells[HotWaterTemperatureCell] =
        static_cast<int16_t>(gt3 > SensorLow ? gt3 : ControllerCells[Gt3xCell]);
    const uint16_t configuration = cellUnsigned(ConfigurationCell);
    for (const OptionalSensorAlarm& s : OptionalSensorAlarms) {
        setDetected(s.bit, ControllerCells[s.cell] > SensorLow);
        if ((configuration & s.bit) != 0) {
            summaryDue |= judgeSensor(s.alarm, s.cell);
        } else {
            summaryDue |= judge(s.alarm, false, true);
        }
    }

    for (const SensorAlarm& s : LaterSensorAlarms) {
        summaryDue |= judgeSensor(s.alarm, s.cell);
    }

    for (const InputAlarm& a : InputAlarms) {
        const bool fault = a.fault();
        summaryDue |= judge(a.alarm, fault, !fault);
    }

    for (const LimitAlarm& a : LimitAlarms) {
        const int v = ControllerCells[a.sensor];
        const int limit = ControllerCells[a.limitCell];
        const bool beyond = a.above ? v > limit : v < limit;
        const bool fault = beyond && isAlarmActive(a.sensorAlarm) == 0;
        const bool normal = a.hysteresis == 0 ? !fault : v < limit - a.hysteresis;
        summaryDue |= judge(a.alarm, fault, normal);
    }

    setDetected(0x40, cellOn(VvpCopyCell));
    if (summaryDue) {
        updateAlarmSummary();
    }
    rememberPass();
}

void forgetSupervisionPass() {
    lastPassValid = false;
}

void resetAlarmState() {
    clearActiveAlarmList();
    std::memset(AlarmDelayCounters, 0, sizeof AlarmDelayCounters);
    NewAlarmFlag = 0;
    UnacknowledgedAlarmFlag = 0;
    std::memset(ClassActiveFlags, 0, sizeof ClassActiveFlags);
    lastPassValid = false;
}

} // namespace kv410
