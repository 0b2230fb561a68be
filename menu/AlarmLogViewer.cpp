#include "menu/AlarmLogViewer.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "display/Lcd.h"
#include "display/TextTable.h"
#include "menu/MenuEngine.h"
#include "menu/MenuTree.h"
#include "menu/Screens.h"
#include "supervision/AlarmLog.h"
#include "supervision/Alarms.h"

#include <iterator>

namespace kv410 {

int32_t helpPage;

namespace {

// Alarm number of the record the viewer shows.
uint8_t logAlarm;
// Whether the viewer shows a record (else "Ingen alarm logget! ").
bool logHasRecord;
// Set when the help pages were opened from the viewer: it then shows the same record again.
bool returnFromHelp;

constexpr int FirstAlarmLineText = 488;
constexpr int LogHeadingText = 69;
constexpr int EmptyLogText = 468;
constexpr int BlankLineText = 267;
constexpr int CancelText = 441;
constexpr int CancelInfoText = 442;
constexpr int TimeColumn = 3;
constexpr int PageLines = 4;

constexpr uint8_t ReadNewest = 0;
constexpr uint8_t ReadOlder = 1;
constexpr uint8_t ReadNewer = 2;
constexpr uint8_t ReadSame = 3;

// Shows a record read back from the log: the alarm's two lines and its raise time.
void showRecord(const char* record) {
    logAlarm = static_cast<uint8_t>(record[0] - '0');
    logHasRecord = true;
    showText(1, FirstAlarmLineText + 2 * logAlarm);
    showText(2, FirstAlarmLineText + 2 * logAlarm + 1);
    showText(3, BlankLineText);
    showText(4, CancelInfoText);
    writeText(3, TimeColumn, record + 1);
}

void showEmptyLog() {
    logHasRecord = false;
    showText(1, LogHeadingText);
    showText(2, EmptyLogText);
    showText(3, BlankLineText);
    showText(4, CancelText);
}

void openHelpPages() {
    MenuNode* help = &MenuNodes[NodeAlarmHelp];
    help->parent = currentNode;
    help->cell = logAlarm;
    currentNode = help;
    menuFlags &= ~EditingFlag;
    menuFlags |= RedrawRequestFlag;
    returnFromHelp = true;
}

void showHelpLines(int lines) {
    for (int line = 1; line <= lines; ++line) {
        showText(line, TextGroupLine4 + helpPage + line - 1);
    }
}

} // namespace

std::vector<AlarmLogLine> alarmLogLines() {
    std::vector<AlarmLogLine> lines;
    char record[AlarmLogTextLength + 1];
    const int count = repairAlarmLogOffset() / AlarmRecordWords;
    for (int n = 0; n < count; ++n) {
        const bool known = readAlarmLog(record, n == 0 ? ReadNewest : ReadOlder);
        AlarmLogLine line{-1, record[0] != 0 ? std::string(record + 1) : std::string(), {}};
        if (known) {
            line.alarm = record[0] - '0';
            line.texts[0] = TextTable[FirstAlarmLineText + 2 * line.alarm];
            line.texts[1] = TextTable[FirstAlarmLineText + 2 * line.alarm + 1];
        }
        lines.push_back(line);
    }
    return lines;
}

AlarmTexts alarmTexts(int alarm) {
    AlarmTexts texts;
    if (alarm < 0 || alarm >= static_cast<int>(std::size(AlarmHelpTable))) {
        return texts;
    }
    texts.lines[0] = TextTable[FirstAlarmLineText + 2 * alarm];
    texts.lines[1] = TextTable[FirstAlarmLineText + 2 * alarm + 1];
    // The pager shows lines 1 to 3 of every page from its first text; line 4 shows the next
    // text, and on the last page the cancel key instead.
    const int32_t first = AlarmHelpTable[alarm].firstText;
    const int32_t end = first + AlarmHelpTable[alarm].lastPage + PageLines - 1;
    for (int32_t text = first; text < end && TextGroupLine4 + text < TextCount; ++text) {
        texts.help.emplace_back(TextTable[TextGroupLine4 + text]);
    }
    return texts;
}

void screenAlarmLogViewer() {
    char record[AlarmLogTextLength + 1];
    if ((menuFlags & EditingFlag) == 0) {
        if (readAlarmLog(record, returnFromHelp ? ReadSame : ReadNewest)) {
            showRecord(record);
        } else {
            showEmptyLog();
        }
        menuFlags |= EditingFlag;
        returnFromHelp = false;
    }

    if (IoWords[LeftButtonWord] != 0) {
        leaveToParent();
        return;
    }
    if (IoWords[MiddleButtonWord] != 0) {
        IoWords[MiddleButtonWord] = 0;
        if (logHasRecord && isKnownAlarm(logAlarm)) {
            openHelpPages();
            return;
        }
    }
    IoWords[RightButtonWord] = 0;

    if (knobSteps != 0) {
        const uint8_t mode = knobSteps > 0 ? ReadOlder : ReadNewer;
        if (readAlarmLog(record, mode)) {
            showRecord(record);
        }
        knobSteps = 0;
    }
}

void screenAlarmHelp() {
    const uint32_t alarm = currentNode->cell;
    // An alarm without texts has no help pages: hand back at once.
    if (alarm >= static_cast<uint32_t>(KnownAlarmCount)) {
        leaveToParent();
        return;
    }
    const int32_t first = AlarmHelpTable[alarm].firstText;
    const int32_t last = first + AlarmHelpTable[alarm].lastPage;

    // A page outside this alarm's help text (the alarm changed under an open pager) starts
    // the text afresh.
    if ((menuFlags & EditingFlag) == 0 || helpPage < first || helpPage > last) {
        menuFlags |= EditingFlag;
        helpPage = first;
        showHelpLines(PageLines);
    }

    if (IoWords[LeftButtonWord] != 0) {
        IoWords[LeftButtonWord] = 0;
        // The help text is read to its end before it can be left.
        if (helpPage == last) {
            leaveToParent();
            return;
        }
    }
    IoWords[MiddleButtonWord] = 0;
    IoWords[RightButtonWord] = 0;

    if (knobSteps != 0) {
        if (knobSteps > 0) {
            helpPage += PageLines;
            --knobSteps;
        } else {
            helpPage -= PageLines;
            ++knobSteps;
        }
        helpPage = helpPage < first ? first : (helpPage > last ? last : helpPage);
        showHelpLines(PageLines - 1);
        showText(4, helpPage == last ? CancelText : TextGroupLine4 + helpPage + PageLines - 1);
    }
}

void resetAlarmLogViewerState() {
    logAlarm = 0;
    logHasRecord = false;
    returnFromHelp = false;
    helpPage = 0;
}

} // namespace kv410
