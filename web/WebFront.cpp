// The web page's way into the unit, as plain C functions its script calls (Module._kv_...): the
// start of a run, the unit's time paced by the page's clock through the virtual-time driver,
// Flash.dat in the in-memory file system, the panel handlers, and the paint state read out. Like
// the Qt window it turns events into handler calls and paints; it decides nothing itself.
#include "core/FlashFile.h"
#include "core/Memory.h"
#include "display/Gloss.h"
#include "display/Lcd.h"
#include "menu/SettingsCatalogue.h"
#include "panel/FrontLayout.h"
#include "panel/FrontPanel.h"
#include "panel/KeyMap.h"
#include "scenario/Lesson.h"
#include "scenario/Script.h"
#include "unit/Session.h"
#include "unit/VirtualTime.h"
#include "web/WebPlatform.h"

#include <emscripten/emscripten.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace kv410;

// Where the page keeps Flash.dat in the in-memory file system; the page's script fills it from
// the browser's storage before a start and reads it back after every save.
constexpr const char* WebFlashPath = "/Flash.dat";

// The most ticks one call runs to catch up after the browser held the page's timers back (a
// hidden tab, a sleeping laptop): one hour of the unit's time, a fraction of a second of work.
// Beyond that the unit's time slips, so a week-old tab comes back at once.
constexpr int64_t MaxCatchUpTicks = 3600 * TicksPerSecond;

WebPlatform host;
// The page's run: Flash.dat lives in the in-memory file system.
Session session{host, WebFlashPath};
// A lesson's run: its flash image in memory (the stored Flash.dat is left alone), its clock
// starting where kv410-script's does, so the lesson runs here as it runs there.
WebLessonPlatform lessonHost;
Session lessonSession{lessonHost};
std::unique_ptr<LessonRun> lesson;
// The run the page's input and clock drive: the free unit's, or the lesson's.
Session* active = &session;
double originMs = 0;

VirtualTime& unitTime() {
    return active->time;
}
// Flash words 0..1023 as last loaded from or written to Flash.dat.
uint16_t writtenImage[PersistedFlashWords] = {};

uint32_t packed(PanelColour colour) {
    return static_cast<uint32_t>(colour.red) << 16 | static_cast<uint32_t>(colour.green) << 8 |
           colour.blue;
}

bool inRange(int n, int first, int last) {
    return n >= first && n <= last;
}

void rememberWrittenImage() {
    std::memcpy(writtenImage, FlashImage, sizeof writtenImage);
}

// The name of an element of the page whose English the page asks for.
char glossName[64] = {};

// The name of the key of the next kv_keyDown or kv_keyUp, as the page writes it (its `key`, UTF-8).
char keyName[64] = {};

// A lesson's text or a choice, and the lesson's name, as the page writes them (UTF-8).
std::string lessonBuffer;
char lessonName[64] = {};
// The lesson's last answer to the page (JSON), kept until the next call.
std::string lessonAnswer;

// A key event of the page, performed as the key map (panel/KeyMap.h) answers it. slider: the
// focused slider 1..11, or 0; button: the focused key under the display (PanelButton), or -1.
// Returns bit 1 when the focused element must not see the key, bit 2 when the side panels are to
// be shown or hidden.
int keyEvent(bool down, int shift, int control, int repeat, int slider, int button) {
    keyName[sizeof keyName - 1] = '\0';
    HostKey key{keyName, shift != 0, control != 0, repeat != 0};
    key.modifier = modifierKeyNamed(key.name);
    KeyFocus focus;
    focus.slider = inRange(slider, 1, 11) ? slider : 0;
    focus.onButton = inRange(button, 0, PanelButtonCount - 1);
    focus.button = focus.onButton ? static_cast<PanelButton>(button) : PanelButton::Left;
    const KeyAnswer answer = down ? mapKeyDown(key, focus) : mapKeyUp(key, focus);
    switch (answer.action) {
    case KeyAction::Stroke:
        FormKeyDown(answer.stroke.key, answer.stroke.shift);
        if (answer.stroke.character != 0) {
            FormKeyPress(answer.stroke.character);
        }
        break;
    case KeyAction::Release:
        FormKeyUp();
        break;
    case KeyAction::PressButton:
        pressPanelButton(unitTime(), answer.button);
        break;
    case KeyAction::ReleaseButton:
        releasePanelButton(answer.button);
        break;
    case KeyAction::None:
        break;
    }
    if (answer.slider != 0) {
        TrackBarChange(answer.slider, answer.sliderPosition);
    }
    return (answer.swallowed ? 1 : 0) | (answer.togglePanels ? 2 : 0);
}

// Where the page puts the files its settings view reads.
constexpr const char* SettingsFileA = "/SettingsA.dat";
constexpr const char* SettingsFileB = "/SettingsB.dat";
// Where the page puts a file it is asked to open as Flash.dat, to be examined first.
constexpr const char* ExamineFile = "/Examine.dat";

std::vector<char> fileBytes(const char* path) {
    std::vector<char> bytes;
    std::FILE* in = std::fopen(path, "rb");
    if (in == nullptr) {
        return bytes;
    }
    char chunk[4096];
    size_t count = 0;
    while ((count = std::fread(chunk, 1, sizeof chunk, in)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + count);
    }
    std::fclose(in);
    return bytes;
}

// The settings view's last answer, kept until the next call.
std::string settingsAnswer;

// One image read for the settings view: its cells 0..478, or why it is no Flash.dat.
struct ReadImage {
    std::vector<int16_t> cells;
    std::string problem;
};

// Loads bytes into the flash image as a start reads Flash.dat and the cells from it, for `use`;
// the running unit's memory is put back afterwards.
template <typename Use>
ReadImage withImage(const std::vector<char>& bytes, Use use) {
    std::array<int16_t, ParameterCellCount> cells;
    std::array<uint16_t, FlashWordCount> flash;
    std::copy(ControllerCells, ControllerCells + ParameterCellCount, cells.begin());
    std::copy(FlashImage, FlashImage + FlashWordCount, flash.begin());
    std::fill(FlashImage, FlashImage + FlashWordCount, 0);
    takeFlashImageBytes(bytes.data(), bytes.size());
    loadCellsFromFlash();
    ReadImage read{{}, flashImageProblem(bytes.size())};
    if (read.problem.empty()) {
        read.cells.assign(ControllerCells, ControllerCells + ParameterCellCount);
        use();
    }
    std::copy(cells.begin(), cells.end(), ControllerCells);
    std::copy(flash.begin(), flash.end(), FlashImage);
    return read;
}

} // namespace

extern "C" {

// ------------------------------------------------------------------ life cycle and time

// Starts the unit as the program starts: a fresh process, Flash.dat loaded, inputs at their start
// values, the controller booted; the unit's time begins at nowMs of the page's clock.
// A lesson under way ends; the page's free unit starts again on its Flash.dat.
EMSCRIPTEN_KEEPALIVE void kv_start(double nowMs) {
    lesson.reset();
    active = &session;
    session.create();
    rememberWrittenImage();
    session.show();
    unitTime() = VirtualTime{};
    originMs = nowMs;
}

// Runs every tick that fell due up to nowMs of the page's clock (at most MaxCatchUpTicks);
// returns the number run. In a lesson the lesson looks at the unit after every tick.
EMSCRIPTEN_KEEPALIVE int kv_advance(double nowMs) {
    const auto elapsed = static_cast<int64_t>(nowMs - originMs);
    if (!lesson) {
        return static_cast<int>(followMonotonicClock(unitTime(), elapsed, MaxCatchUpTicks));
    }
    VirtualTime& time = unitTime();
    const int64_t ticks = monotonicTargetTick(time, elapsed, MaxCatchUpTicks) - time.tick;
    advanceTicks(time, ticks, [] { lesson->afterTick(); });
    return static_cast<int>(ticks);
}

// When, on the page's clock, the next tick falls due: the page sleeps until then.
EMSCRIPTEN_KEEPALIVE double kv_nextDueMs() {
    return originMs + static_cast<double>((unitTime().tick + 1) * TickMs + unitTime().skippedMs);
}

// The unit's tick in milliseconds: the page wakes this often while it is shown.
EMSCRIPTEN_KEEPALIVE int kv_tickMs() {
    return static_cast<int>(TickMs);
}

// Ticks run since the start and milliseconds skipped because the page fell too far behind.
EMSCRIPTEN_KEEPALIVE double kv_unitTicks() {
    return static_cast<double>(unitTime().tick);
}
EMSCRIPTEN_KEEPALIVE double kv_skippedMs() {
    return static_cast<double>(unitTime().skippedMs);
}

// Writes Flash.dat when the controller has written its flash image since the last load or
// write; 1 when it did, so the page keeps the file. A lesson's image is never written.
EMSCRIPTEN_KEEPALIVE int kv_writeThrough() {
    if (lesson || std::memcmp(writtenImage, FlashImage, sizeof writtenImage) == 0) {
        return 0;
    }
    saveFlashFile();
    rememberWrittenImage();
    return 1;
}

// Writes Flash.dat as the program does when its window closes (not in a lesson).
EMSCRIPTEN_KEEPALIVE void kv_saveFlash() {
    if (lesson) {
        return;
    }
    saveFlashFile();
    rememberWrittenImage();
}

// ------------------------------------------------------------------ lessons

// Where the page writes a lesson's text, its name or a choice (UTF-8) before kv_lessonStart or
// kv_lessonChoose: room for `bytes` bytes and a zero.
EMSCRIPTEN_KEEPALIVE char* kv_lessonBuffer(int bytes) {
    lessonBuffer.assign(static_cast<size_t>(std::max(bytes, 0)) + 1, '\0');
    return lessonBuffer.data();
}

// Where the page writes the lesson's name (ASCII, at most 63 bytes, then a zero), which its
// messages carry.
EMSCRIPTEN_KEEPALIVE char* kv_lessonNameBuffer() {
    return lessonName;
}

// Starts the lesson whose text the page put in kv_lessonBuffer, named in kv_lessonNameBuffer, on a
// fresh unit with its flash image in memory; the unit's time begins at nowMs, and `seed` picks the
// instants of its faults at random times. Answers {"errors": ["name:line: message", ...]}: empty
// when the lesson started; on an error the page's unit runs on as it was.
EMSCRIPTEN_KEEPALIVE const char* kv_lessonStart(uint32_t seed, double nowMs) {
    lessonName[sizeof lessonName - 1] = '\0';
    const std::string text(lessonBuffer.c_str());
    Script script;
    std::vector<std::string> errors;
    if (parseScript(text, lessonName, script, errors) && checkLesson(script, errors)) {
        lesson.reset();
        active = &lessonSession;
        lessonHost.setClock(DefaultScriptClock[0], DefaultScriptClock[1], DefaultScriptClock[2],
                            DefaultScriptClock[3], DefaultScriptClock[4], DefaultScriptClock[5]);
        lessonSession.start();
        unitTime() = VirtualTime{};
        originMs = nowMs;
        lesson = std::make_unique<LessonRun>(lessonSession, script, seed);
        lesson->begin();
    }
    lessonAnswer = nlohmann::ordered_json{{"errors", errors}}.dump();
    return lessonAnswer.c_str();
}

// 1 while a lesson runs.
EMSCRIPTEN_KEEPALIVE int kv_lessonRunning() {
    return lesson ? 1 : 0;
}

// Changes whenever what kv_lessonView answers changes (0 without a lesson).
EMSCRIPTEN_KEEPALIVE uint32_t kv_lessonGeneration() {
    return lesson ? lesson->generation() : 0;
}

// The lesson as it stands, as JSON: its view (scenario/Lesson.h), worded by the lesson, and at
// its end the report and the exit status kv410-script --lesson would give.
EMSCRIPTEN_KEEPALIVE const char* kv_lessonView() {
    using Json = nlohmann::ordered_json;
    if (!lesson) {
        lessonAnswer = "null";
        return lessonAnswer.c_str();
    }
    const LessonView view = lesson->view();
    Json items = Json::array();
    for (const LessonItemResult& item : view.items) {
        items.push_back({{"question", item.question},
                         {"text", item.text},
                         {"line", item.line},
                         {"done", item.done},
                         {"open", item.open},
                         {"hints", item.hints},
                         {"wrongAnswers", item.wrongAnswers},
                         {"ticks", item.ticks},
                         {"points", item.points},
                         {"maxPoints", item.maxPoints}});
    }
    Json answer = {{"generation", lesson->generation()},
                   {"title", view.title},
                   {"task", view.task},
                   {"hints", view.hints},
                   {"hintAvailable", view.hintAvailable},
                   {"question", view.question},
                   {"choices", view.choices},
                   {"answerFeedback", view.answerFeedback},
                   {"itemsEnded", view.itemsEnded},
                   {"itemsTotal", view.itemsTotal},
                   {"finished", view.finished},
                   {"points", view.points},
                   {"maxPoints", view.maxPoints},
                   {"ticks", view.ticks},
                   {"items", items}};
    if (view.finished) {
        answer["report"] = lesson->report();
        answer["status"] = lesson->status();
    }
    lessonAnswer = answer.dump();
    return lessonAnswer.c_str();
}

// The trainee asks for the next hint of the task under way.
EMSCRIPTEN_KEEPALIVE void kv_lessonHint() {
    if (lesson) {
        lesson->takeHint();
    }
}

// The trainee answers the question under way with the choice the page put in kv_lessonBuffer;
// 1 when it is right.
EMSCRIPTEN_KEEPALIVE int kv_lessonChoose() {
    return lesson && lesson->choose(lessonBuffer.c_str()) ? 1 : 0;
}

// ------------------------------------------------------------------ input

// A press on the knob: button 0 left, 1 right, 2 middle (MouseButton).
EMSCRIPTEN_KEEPALIVE void kv_knob(int button, int shift) {
    if (inRange(button, 0, 2)) {
        RattImageMouseDown(static_cast<MouseButton>(button), shift != 0);
    }
}

// A press and a release of a button under the display: 0 left, 1 right, 2 middle (PanelButton).
EMSCRIPTEN_KEEPALIVE void kv_buttonDown(int button) {
    if (inRange(button, 0, PanelButtonCount - 1)) {
        pressPanelButton(unitTime(), static_cast<PanelButton>(button));
    }
}
EMSCRIPTEN_KEEPALIVE void kv_buttonUp(int button) {
    if (inRange(button, 0, PanelButtonCount - 1)) {
        releasePanelButton(static_cast<PanelButton>(button));
    }
}

// A press on the power switch.
EMSCRIPTEN_KEEPALIVE void kv_power() {
    Shape6MouseDown();
}

// Where the page writes the name of a key (at most 63 bytes of UTF-8, then a zero).
EMSCRIPTEN_KEEPALIVE char* kv_keyName() {
    return keyName;
}

// Key-down and key-up of the key named in kv_keyName, as keyEvent above.
EMSCRIPTEN_KEEPALIVE int kv_keyDown(int shift, int control, int repeat, int slider, int button) {
    return keyEvent(true, shift, control, repeat, slider, button);
}
EMSCRIPTEN_KEEPALIVE int kv_keyUp(int shift, int control, int repeat, int slider, int button) {
    return keyEvent(false, shift, control, repeat, slider, button);
}

// 1 once when the panel asked for slider 1 to get the keyboard focus.
EMSCRIPTEN_KEEPALIVE int kv_takeSliderFocusRequest() {
    const bool requested = SliderFocusRequested;
    SliderFocusRequested = false;
    return requested;
}

// Slider n (1..11) moved to a position, or given the keyboard focus.
EMSCRIPTEN_KEEPALIVE void kv_sliderChange(int n, int position) {
    if (inRange(n, 1, 11)) {
        TrackBarChange(n, position);
    }
}
EMSCRIPTEN_KEEPALIVE void kv_sliderEnter(int n) {
    if (inRange(n, 1, 11)) {
        TrackBar1Enter(n);
    }
}

// Toggle button n (1..11) clicked.
EMSCRIPTEN_KEEPALIVE void kv_toggle(int n) {
    if (inRange(n, 1, 11)) {
        SpeedButtonClick(n);
    }
}

// The side panels were shown or hidden.
EMSCRIPTEN_KEEPALIVE void kv_setPanelsShown(int shown) {
    SensorPanelVisible = shown != 0;
}

// True while a button's long-press timer runs (the unit's time runs it; the page only shows it).
EMSCRIPTEN_KEEPALIVE int kv_longPressRunning() {
    return Timer3Running;
}

// ------------------------------------------------------------------ paint state

// Change counter of a part of the paint state: 0 LCD and front LEDs, 1 relay lamps, 2 knob,
// 3 sliders and value boxes, 4 caption colours.
EMSCRIPTEN_KEEPALIVE uint32_t kv_generation(int part) {
    switch (part) {
    case 0:
        return LedsGeneration;
    case 1:
        return LampsGeneration;
    case 2:
        return KnobGeneration;
    case 3:
        return SlidersGeneration;
    case 4:
        return CaptionsGeneration;
    default:
        return 0;
    }
}

// What changed in the paint state since the last call, as bits: 1 << part for each part of
// kv_generation whose counter moved, 1 << (5 + i) for each LCD line i (0..3) whose text differs
// from the one last answered, 1 << 9 when the Graph (shown, bar) changed. With `all` every bit is
// set and the state now is the one remembered. The page asks once a wake and reads only what
// changed, so a tick that changes nothing costs it one call.
EMSCRIPTEN_KEEPALIVE uint32_t kv_changes(int all) {
    static uint32_t generations[5] = {};
    static char lines[4][20] = {};
    static int graph[3] = {};
    uint32_t changed = 0;
    for (int part = 0; part < 5; ++part) {
        const uint32_t now = kv_generation(part);
        if (all != 0 || generations[part] != now) {
            generations[part] = now;
            changed |= 1u << part;
        }
    }
    for (int line = 0; line < 4; ++line) {
        if (all != 0 || std::memcmp(lines[line], LcdLines[line], 20) != 0) {
            std::memcpy(lines[line], LcdLines[line], 20);
            changed |= 1u << (5 + line);
        }
    }
    const int graphNow[3] = {GraphVisible ? 1 : 0, barStart, barEnd};
    if (all != 0 || !std::equal(graphNow, graphNow + 3, graph)) {
        std::copy(graphNow, graphNow + 3, graph);
        changed |= 1u << 9;
    }
    return changed;
}

// The English gloss of LCD line 1..4 as it stands now (UTF-8), kept until the next call.
EMSCRIPTEN_KEEPALIVE const char* kv_glossLine(int line) {
    static std::string gloss;
    gloss = glossLine(inRange(line, 1, 4) ? line : 1);
    return gloss.c_str();
}

// The page writes the name of an element here (ASCII) before it asks kv_labelGloss.
EMSCRIPTEN_KEEPALIVE char* kv_glossNameBuffer() {
    return glossName;
}

// The English of the page's element named in kv_glossNameBuffer (UTF-8), "" for none.
EMSCRIPTEN_KEEPALIVE const char* kv_labelGloss() {
    static std::string gloss;
    glossName[sizeof glossName - 1] = '\0';
    gloss = std::string(labelGloss(glossName));
    return gloss.c_str();
}

// LCD line 1..4: 20 characters of the controller's character set (Latin-1).
EMSCRIPTEN_KEEPALIVE const char* kv_lcdLine(int line) {
    return LcdLines[inRange(line, 1, 4) ? line - 1 : 0];
}

// 1 while the LCD is lit (its glass shapes shown), and its background colour (0xRRGGBB).
EMSCRIPTEN_KEEPALIVE int kv_lcdLit() {
    return LcdLit;
}
EMSCRIPTEN_KEEPALIVE uint32_t kv_lcdColour() {
    return packed(LcdLit ? LcdLitColour : LcdUnlitColour);
}

// Colour of front LED i (FrontLed order: on, hot water, auxiliary heat, compressor, alarm).
EMSCRIPTEN_KEEPALIVE uint32_t kv_frontLedColour(int led) {
    if (!inRange(led, 0, FrontLedCount - 1)) {
        return 0;
    }
    const bool lit = FrontLedLit[led];
    if (led == AlarmLed) {
        return packed(lit ? AlarmLedLitColour : AlarmLedUnlitColour);
    }
    return packed(lit ? GreenLedLitColour : GreenLedUnlitColour);
}

// 1 while front LED i is lit.
EMSCRIPTEN_KEEPALIVE int kv_frontLedLit(int led) {
    return inRange(led, 0, FrontLedCount - 1) && FrontLedLit[led];
}

// Colour of relay lamp n (1..10), and 1 while it is lit.
EMSCRIPTEN_KEEPALIVE uint32_t kv_lampColour(int n) {
    return packed(inRange(n, 1, 10) && RelayLampLit[n - 1] ? LampLitColour : LampUnlitColour);
}
EMSCRIPTEN_KEEPALIVE int kv_lampLit(int n) {
    return inRange(n, 1, 10) && RelayLampLit[n - 1];
}

// Knob frame shown, 0..11.
EMSCRIPTEN_KEEPALIVE int kv_knobFrame() {
    return knobFrame;
}

// Position and value text of slider n (1..11).
EMSCRIPTEN_KEEPALIVE int kv_sliderPosition(int n) {
    return inRange(n, 1, 11) ? SliderPositions[n - 1] : 0;
}
EMSCRIPTEN_KEEPALIVE const char* kv_sliderText(int n) {
    return SliderTexts[inRange(n, 1, 11) ? n - 1 : 0];
}

// Caption colour of toggle button n (1..11), and of the panels button.
EMSCRIPTEN_KEEPALIVE uint32_t kv_captionColour(int n) {
    return packed(inRange(n, 1, 11) && CaptionLight[n - 1] ? CaptionLightColour
                                                           : CaptionBlackColour);
}
EMSCRIPTEN_KEEPALIVE uint32_t kv_panelsButtonColour(int shown) {
    return packed(shown != 0 ? CaptionLightColour : CaptionBlackColour);
}

// The Graph over LCD line 2: shown or not, its width and the bar's x range.
EMSCRIPTEN_KEEPALIVE int kv_graphVisible() {
    return GraphVisible;
}
EMSCRIPTEN_KEEPALIVE int kv_graphWidth() {
    return graphWidth;
}
EMSCRIPTEN_KEEPALIVE int kv_barStart() {
    return barStart;
}
EMSCRIPTEN_KEEPALIVE int kv_barEnd() {
    return barEnd;
}

// ------------------------------------------------------------------ the knob's frames

// Where the page copies a knob frame's pixels (RGBA bytes) to have its background made
// transparent in place by kv_clearKnobBackground (clearKnobBackground).
EMSCRIPTEN_KEEPALIVE uint32_t* kv_knobPixels() {
    static uint32_t pixels[layout::Knob.width * layout::Knob.height];
    return pixels;
}
// 0, and nothing done, for a frame larger than the knob.
EMSCRIPTEN_KEEPALIVE int kv_clearKnobBackground(int width, int height) {
    if (width <= 0 || height <= 0 || width * height > layout::Knob.width * layout::Knob.height) {
        return 0;
    }
    clearKnobBackground(kv_knobPixels(), width, height);
    return 1;
}

// ------------------------------------------------------------------ texts and ranges

// Label of slider n (1..11) and of relay lamp n (1..10), UTF-8.
EMSCRIPTEN_KEEPALIVE const char* kv_sensorLabel(int n) {
    return inRange(n, 1, 11) ? SensorLabels[n - 1] : "";
}
EMSCRIPTEN_KEEPALIVE const char* kv_lampLabel(int n) {
    return inRange(n, 1, 10) ? LampLabels[n - 1] : "";
}

// Caption and hint of toggle button n (1..11), UTF-8.
EMSCRIPTEN_KEEPALIVE const char* kv_toggleCaption(int n) {
    return inRange(n, 1, 11) ? ToggleCaptions[n - 1] : "";
}
EMSCRIPTEN_KEEPALIVE const char* kv_toggleHint(int n) {
    return inRange(n, 1, 11) ? ToggleHints[n - 1] : "";
}

// Slider range and page size: 0 minimum, 1 maximum, 2 page size.
EMSCRIPTEN_KEEPALIVE int kv_sliderRange(int which) {
    return which == 0 ? SliderMin : which == 1 ? SliderMax : SliderPageSize;
}

// ------------------------------------------------------------------ the settings view

// The settings catalogue as JSON for the page's settings view: image A is the running unit's
// flash image, or with fileA the file the page put at SettingsFileA; with fileB, the file at
// SettingsFileB is compared with it. Each setting carries A's value and, with B, B's value and
// whether their stored words differ. {"error": ...} names an image that is no Flash.dat.
EMSCRIPTEN_KEEPALIVE const char* kv_settings(int fileA, int fileB) {
    using Json = nlohmann::ordered_json;
    const std::vector<char> imageA = fileA != 0 ? fileBytes(SettingsFileA) : flashImageBytes();
    const std::vector<Setting>& catalogue = settingsCatalogue();
    Json rows = Json::array();
    const ReadImage readA = withImage(imageA, [&] {
        for (const Setting& setting : catalogue) {
            rows.push_back({{"number", setting.number},
                            {"name", setting.name},
                            {"english", setting.englishName},
                            {"value", settingValueText(setting)},
                            {"unit", setting.unit},
                            {"factory", settingFactoryText(setting)},
                            {"min", settingMinText(setting)},
                            {"max", settingMaxText(setting)},
                            {"level", accessLevelName(setting.access)},
                            {"changed", settingChanged(setting)}});
        }
    });
    Json answer;
    if (!readA.problem.empty()) {
        answer = {{"error", "A: " + readA.problem}};
    } else if (fileB != 0) {
        const ReadImage readB = withImage(fileBytes(SettingsFileB), [&] {
            for (size_t i = 0; i < catalogue.size(); ++i) {
                rows[i]["b"] = settingValueText(catalogue[i]);
            }
        });
        if (!readB.problem.empty()) {
            answer = {{"error", "B: " + readB.problem}};
        } else {
            for (size_t i = 0; i < catalogue.size(); ++i) {
                rows[i]["differs"] =
                    settingDiffers(catalogue[i], readA.cells.data(), readB.cells.data());
            }
            answer = {{"settings", rows}};
        }
    } else {
        answer = {{"settings", rows}};
    }
    settingsAnswer = answer.dump();
    return settingsAnswer.c_str();
}

// What a start would make of the file the page put at ExamineFile, before the page starts the
// unit on it: {"size": bytes, "problem": why it is no Flash.dat as the unit writes it (empty when
// it is one), "factory": the unit would start from factory values (no signature in what it
// reads; a longer file is read as its first 2048 bytes)}. The running unit is left as it is.
EMSCRIPTEN_KEEPALIVE const char* kv_examineFlash() {
    const std::vector<char> bytes = fileBytes(ExamineFile);
    const ReadImage read = withImage(bytes, [] {});
    std::array<uint16_t, FlashWordCount> flash;
    std::copy(FlashImage, FlashImage + FlashWordCount, flash.begin());
    std::fill(FlashImage, FlashImage + FlashWordCount, 0);
    takeFlashImageBytes(bytes.data(), bytes.size());
    const bool factory = !flashImageSigned();
    std::copy(flash.begin(), flash.end(), FlashImage);
    settingsAnswer = nlohmann::ordered_json{
        {"size", bytes.size()},
        {"problem", read.problem},
        {"factory",
         factory}}.dump();
    return settingsAnswer.c_str();
}

} // extern "C"
