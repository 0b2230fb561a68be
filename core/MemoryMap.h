// The memory map: one name for every I/O word, cell and flash word that the controller's code
// reads or writes by number, grouped as the controller's own tables list them. Tables that
// mirror the controller's tables (the menu tree, the status pages, the copy runs of the I/O
// exchange, the factory values) keep their numbers.
#pragma once

namespace kv410 {

// ---------------------------------------------------------------- I/O words

// Power request: the power area of the front panel was pressed; the cycle clears it.
inline constexpr int PowerRequestWord = 0;
// Button events, 1 = pressed: left ("Tilbake", "Avbryt"), middle ("Info"; 2 is ORed in while
// Shift is held during a knob step) and right ("Velg", "Endre").
inline constexpr int LeftButtonWord = 1;
inline constexpr int MiddleButtonWord = 2;
inline constexpr int RightButtonWord = 3;

// Alarm inputs 0/1, words 4..11: MB2, MB1, EK, HP, LP, VVP, EXT, phase-sequence fault.
inline constexpr int Mb2InputWord = 4;
inline constexpr int Mb1InputWord = 5;
inline constexpr int EkInputWord = 6;
inline constexpr int HpInputWord = 7;
inline constexpr int LpInputWord = 8;
inline constexpr int VvpInputWord = 9;
inline constexpr int ExtInputWord = 10;
inline constexpr int PhaseFaultInputWord = 11;

// Relay outputs 0/1, words 12..23 (22 and 23 have no lamp).
inline constexpr int FirstRelayWord = 12;
inline constexpr int LastRelayWord = 23;
inline constexpr int BrinePumpWord = FirstRelayWord; // P3
inline constexpr int CompressorWord = 13;
inline constexpr int AuxHeatStep1Word = 14;
inline constexpr int AuxHeatStep2Word = 15;
inline constexpr int ValveClosePulseWord = 16; // mixing valve SV1 close
inline constexpr int ValveOpenPulseWord = 17;  // mixing valve SV1 open
inline constexpr int RadiatorPumpWord = 18;    // P1
inline constexpr int HeatCarrierPumpWord = 19; // P2
inline constexpr int ChangeoverValveWord = 20; // VXV1
inline constexpr int SumAlarmWord = 21;        // "Summalarm"

// Sensors GT1, GT2, GT3, GT4, GT5, GT6, GT8, GT9, GT10, GT11, GT3X in words 24..34, signed
// tenths of a degree.
inline constexpr int FirstSensorWord = 24;
inline constexpr int Gt1Word = FirstSensorWord;
inline constexpr int Gt3Word = FirstSensorWord + 2;
inline constexpr int Gt4Word = FirstSensorWord + 3;
inline constexpr int Gt5Word = FirstSensorWord + 4;
inline constexpr int Gt11Word = FirstSensorWord + 9;
inline constexpr int Gt3xWord = FirstSensorWord + 10;

// Clock, two BCD digits each: year, month, day, hour, minute, second; then the weekday 1..7.
inline constexpr int ClockYearWord = 35;
inline constexpr int ClockMonthWord = 36;
inline constexpr int ClockDayWord = 37;
inline constexpr int ClockHourWord = 38;
inline constexpr int ClockMinuteWord = 39;
inline constexpr int ClockSecondWord = 40;
inline constexpr int WeekdayWord = 41;

// Access level: 1 KUND1, 2 KUND2, 4 SERVICE, 8 FABRIKK.
inline constexpr int AccessLevelWord = 42;

// Front LED modes: 0 dark, 1 lit, 2 blinking (the alarm LED beeps as it blinks).
inline constexpr int OnLedWord = 44;
inline constexpr int CompressorLedWord = 45;
inline constexpr int AuxHeatLedWord = 46;
inline constexpr int HotWaterLedWord = 47;
inline constexpr int AlarmLedWord = 48;

// Display awake: 1 lit, 0 dark.
inline constexpr int DisplayAwakeWord = 50;

// ---------------------------------------------------------------- cells

// Parameters (each with its twin flash word); the menu titles are the cells' editors.
inline constexpr int HeatingCurveSlopeCell = 0;     // "_Varme oke/redusere_"
inline constexpr int HeatingCurveOffsetCell = 1;    // "Varmek.Finjustering_"
inline constexpr int SwitchingDifferentialCell = 2; // "_Varmek.Kobl. Diff__"
inline constexpr int ShuntCurveSlopeCell = 3;       // "_Shunt oke/redusere_"
inline constexpr int ShuntCurveOffsetCell = 4;      // "Shuntv.Finjustering_"
// Adjustments of the heating-curve points, cells 8..31.
inline constexpr int FirstCurvePointCell = 8;
inline constexpr int LastCurvePointCell = 31;
inline constexpr int ShuntNeutralZoneCell = 32;       // "_Shunt Nullsone_____"
inline constexpr int RoomTemperatureSetCell = 33;     // "___Romtemperatur____"
inline constexpr int HolidayCell = 35;                // "____Feriefunksjon___"
inline constexpr int ExtraHotWaterCell = 41;          // "__Ekstra Varmtvann__"
inline constexpr int HotWaterPeakIntervalCell = 42;   // "______VV Spets______"
inline constexpr int HotWaterTemperatureSetCell = 43; // "___VV Temperatur____"
inline constexpr int HotWaterDifferenceCell = 44;     // "____VV Differanse___"

// Configuration word: bits 0..2 operating mode A, B, C; bit 3 GT3, bit 4 GT4, bit 5 GT5,
// bit 6 VVP input installed.
inline constexpr int ConfigurationCell = 55;
// The signature a valid parameter image carries: each of these cells holds its own number.
inline constexpr int SignatureCells[] = {49, 51, 53};
// Detected sensors and inputs, bits 3..6 as in the configuration word.
inline constexpr int DetectedSensorsCell = 56;
// Output test (manual operation) active: the I/O exchange stops driving the relay outputs.
inline constexpr int OutputTestCell = 57;
// External control function 0..4; non-zero hides the remote-heating entry.
inline constexpr int ExternalControlCell = 60;
// Slave address 0..9.
inline constexpr int SlaveAddressCell = 62;
// Program version, hundredths (102 shows as 1.02).
inline constexpr int ProgramVersionCell = 65;
// The mixing valve's full ramp times to open and to close and its full opening time, seconds.
inline constexpr int RampOpenCell = 66;
inline constexpr int RampCloseCell = 67;
inline constexpr int OpeningTimeCell = 68;
// Mixing-valve opening marker, cleared at every start.
inline constexpr int ValveOpeningMarkerCell = 69;

// Operating times in pairs of hours and tenths: total, heat pump in heating, heat pump in hot
// water, auxiliary heat in heating, auxiliary heat in hot water; then the degree days.
inline constexpr int TotalHoursCell = 70;
inline constexpr int HeatPumpHeatingHoursCell = 72;
inline constexpr int HeatPumpHotWaterHoursCell = 74;
inline constexpr int AuxHeatingHoursCell = 76;
inline constexpr int AuxHotWaterHoursCell = 78;
inline constexpr int DegreeDaysCell = 80;

// Settings whose highest or lowest value stands for off.
inline constexpr int AuxHeatBlockCell = 83;         // "___Blok.Tilskudd____"
inline constexpr int HeatPumpBlockOutdoorCell = 89; // "_Blokkere Vp Utetemp"

// Alarm limits, cells 90..94.
inline constexpr int FirstAlarmLimitCell = 90;

// Mixing valve: motion (0 still, 1 opening, 2 closing) and the derived timings in 50 ms ticks:
// step pulse length, least intervals between opening and between closing steps, and the two
// rates nothing reads.
inline constexpr int ValveMotionCell = 100;
inline constexpr int ValvePulseLengthCell = 101;
inline constexpr int ValveOpenIntervalCell = 102;
inline constexpr int ValveCloseIntervalCell = 103;
inline constexpr int ValveOpenRateCell = 104;
inline constexpr int ValveCloseRateCell = 105;

// Status-page index; an index outside the page table shows page 0.
inline constexpr int StatusPageIndexCell = 106;
// Connected electric power: 1 = 3 kW, 2 = 6 kW, 4 = 9 kW.
inline constexpr int ConnectedPowerCell = 107;
// Electric heater power in operation, percent.
inline constexpr int HeaterPowerCell = 108;
// Request to shorten the restart delay.
inline constexpr int ShortRestartCell = 115;
// Unit on (1) or off (0), written through to its flash word.
inline constexpr int UnitOnCell = 116;
// Remote heating value, tenths of a degree ("_Fjærnstyring varme_").
inline constexpr int RemoteHeatingCell = 117;

// Time programs: entry e (0..20) has its day mask and its start and stop hour and minute (BCD)
// at these cells plus e.
inline constexpr int ProgramMaskCell = 118;
inline constexpr int ProgramStartHourCell = 139;
inline constexpr int ProgramStartMinuteCell = 160;
inline constexpr int ProgramStopHourCell = 181;
inline constexpr int ProgramStopMinuteCell = 202;
inline constexpr int LastProgramCell = 222;

// Alarm slot n (0..31): flags, raise time (BCD year..second) and class at these cells plus n.
inline constexpr int AlarmFlagsCell = 223;
inline constexpr int AlarmYearCell = 255;
inline constexpr int AlarmMonthCell = 287;
inline constexpr int AlarmDayCell = 319;
inline constexpr int AlarmHourCell = 351;
inline constexpr int AlarmMinuteCell = 383;
inline constexpr int AlarmSecondCell = 415;
inline constexpr int AlarmClassCell = 447;

// The controller's side of the I/O exchange. Copies of the alarm inputs: words 4..9 in cells
// 500..505, words 10 and 11 in cells 507 and 508.
inline constexpr int FirstInputCopyCell = 500;
inline constexpr int HpCopyCell = 503;
inline constexpr int LpCopyCell = 504;
inline constexpr int VvpCopyCell = 505;
inline constexpr int PhaseFaultCopyCell = 508;
// Commands for relay words 12..15 (cells 509..512) and 18..23 (cells 515..520).
inline constexpr int FirstCommandCell = 509;
inline constexpr int CompressorCommandCell = 510;
inline constexpr int LastCommandCell = 520;
// Mixing-valve open and close requests, turned into pulses on words 17 and 16.
inline constexpr int ValveOpenRequestCell = 513;
inline constexpr int ValveCloseRequestCell = 514;
// Command of the sum-alarm relay.
inline constexpr int SumAlarmCell = 518;
// Copies of the sensor words 24..34: GT1, GT2, GT3, GT4, GT5, GT6, GT8, GT9, GT10, GT11, GT3X.
inline constexpr int Gt1Cell = 521;
inline constexpr int Gt2Cell = 522;
inline constexpr int Gt3Cell = 523;
inline constexpr int Gt4Cell = 524;
inline constexpr int Gt5Cell = 525;
inline constexpr int Gt6Cell = 526;
inline constexpr int Gt8Cell = 527;
inline constexpr int Gt9Cell = 528;
inline constexpr int Gt10Cell = 529;
inline constexpr int Gt11Cell = 530;
inline constexpr int Gt3xCell = 531;
// Effective hot-water temperature: GT3, or GT3X while GT3 reads as absent.
inline constexpr int HotWaterTemperatureCell = 532;

// ---------------------------------------------------------------- flash words

// Words 0..478 are the parameter image of cells 0..478 (see Memory.h).
// The alarm log's write offset W: log words in use, counted from its first record word.
inline constexpr int AlarmLogOffsetFlashWord = 513;
// First word of the alarm-log records, which run to word 2047.
inline constexpr int AlarmLogFirstFlashWord = 514;

} // namespace kv410
