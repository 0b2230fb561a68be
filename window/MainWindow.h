// TMainFrm: the simulator's window. It turns Qt events into calls of the front panel logic and
// paints the panel's state; it decides nothing itself.
#pragma once

#include "panel/FrontPanel.h"
#include "pictures/FrontPicture.h"
#include "scenario/Lesson.h"
#include "scenario/ScriptRecorder.h"
#include "scenario/StepSequencer.h"
#include "unit/Session.h"
#include "unit/VirtualTime.h"
#include "window/PanelWidgets.h"

#include <QElapsedTimer>
#include <QFont>
#include <QSet>
#include <QWidget>

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QFrame;
class QLabel;
class QLineEdit;
class QSlider;
class QTimer;
class QToolButton;

namespace kv410 {

class LessonPanel;

// How the window is asked to run (its command line).
struct WindowOptions {
    // Record the session from the start into this script.
    std::string recordPath;
    // A recording writes the LCD lines as checks after each action that changed the display.
    bool recordChecks = false;
    // Play this script visibly; the flash image then stays in memory (Flash.dat is not used).
    std::string playPath;
    // Playback speed: 1, 2, 5, 10, or 0 for as fast as the window can.
    int speed = 1;
    // Close the window when the playback ends, with the runner's exit status.
    bool exitAtEnd = false;
    // Read steps from standard input while the window runs (Flash.dat is not used).
    bool control = false;
    // Print every change of an LCD line with its time, as kv410-script --trace does.
    bool trace = false;
    // The host clock at the start (year, month, day, hour, minute, second); all zero: the
    // computer's local time. A playback and live control start as kv410-script does.
    int clock[6] = {};
    // Flash.dat is read but never written (another program owns it).
    bool readOnly = false;
    // Play this lesson beside the trainee (the flash image stays in memory, the clock starts as
    // kv410-script's); with playPath the playback is the trainee.
    std::string lessonPath;
    // Picks the instants of the lesson's faults that fall at a random time.
    uint32_t seed = 1;
    // Where the trace and the playback's answers go; standard output when null.
    std::ostream* output = nullptr;
    // The zoom kept from the last run (Ctrl+plus, Ctrl+minus, Ctrl+0); 0: none, 100 %. The
    // window never draws larger than fits its screen.
    double zoom = 0;
};

// The name a recording is written under: the name chosen in the record dialog, with ".kvs" added
// when it has no extension.
QString scriptFileName(const QString& chosen);

// Width of the client area with the picture only, and with the side panels shown.
inline constexpr int ClientWidth = layout::Width;
inline constexpr int ClientWidthWithPanels = layout::WidthWithPanels;
inline constexpr int ClientHeight = layout::Height;

// The front panel window with every element at its place, under its name.
class TMainFrm : public QWidget {
    Q_OBJECT
public:
    // Builds the elements and runs FormCreate (Flash.dat is read).
    explicit TMainFrm(QWidget* parent = nullptr, WindowOptions options = {});
    // Saves Flash.dat unless the window was closed (and saved) before.
    ~TMainFrm() override;

    // Shows or hides the three side panels; the window widens so that all of Panel1 is seen.
    void setPanelsShown(bool shown);
    // True while the side panels are shown.
    bool panelsShown() const;
    // Shows or hides the English gloss: four lines under the picture and the labels' English as
    // their tooltips. The choice is remembered for the next start.
    void setEnglishShown(bool shown);
    bool englishShown() const;
    // Brings the elements in line with the panel's paint state, touching only what changed.
    void paintChanges();
    // The scale the front is drawn at now (1: the layout table's pixels).
    double scale() const { return scale_; }
    // The zoom a person chose; the window draws at it unless the screen is too small.
    double zoom() const { return zoom_; }
    // Chooses a zoom (held to 50 %..300 %) and keeps it for the next start: Ctrl+plus and
    // Ctrl+minus go a step up or down from the scale shown.
    void setZoom(double zoom);
    // The largest zoom that fits the screen (Ctrl+0), kept as setZoom keeps it.
    void zoomToFit();

    // The elements, named as on the form.
    PictureBox* Image1 = nullptr;
    QWidget* LCDDisplay = nullptr;
    QLabel* LcdLineLabels[4] = {};
    FilledRect* Shape7 = nullptr;
    FilledRect* Shape9 = nullptr;
    FilledRect* Shape4 = nullptr;
    FilledRect* Shape5 = nullptr;
    GraphArea* Graph = nullptr;
    KnobImage* RattImage = nullptr;
    ClickArea* Shape1 = nullptr;
    ClickArea* Shape2 = nullptr;
    ClickArea* Shape3 = nullptr;
    ClickArea* Shape6 = nullptr;
    // OnLed, VVLed, TillskottLed, KompressorLed, AlarmLed, indexed by FrontLed.
    LedShape* FrontLeds[FrontLedCount] = {};
    // SpeedButton1..SpeedButton11.
    QToolButton* SpeedButtons[11] = {};
    // The flat button that shows and hides the side panels.
    QToolButton* PanelsButton = nullptr;
    // The switch of the English gloss, and its four lines under the picture.
    QToolButton* EnglishButton = nullptr;
    QWidget* GlossStrip = nullptr;
    QLabel* GlossLines[4] = {};
    QFrame* Panel1 = nullptr;
    QFrame* Panel2 = nullptr;
    QFrame* Panel3 = nullptr;
    // TrackBar1..TrackBar11, Edit1..Edit11, Label1..Label21, Led1..Led10.
    QSlider* TrackBars[11] = {};
    QLineEdit* Edits[11] = {};
    QLabel* Labels[21] = {};
    LedShape* Leds[10] = {};
    // Paces the unit's ticks by a monotonic clock (unit/VirtualTime.h runs them).
    QTimer* Pacer = nullptr;
    // The recording indicator and the playback's messages.
    QLabel* StatusLabel = nullptr;
    // The lesson beside the front (with --lesson), else null.
    LessonPanel* LessonPane = nullptr;

    // Starts recording into a script; the program starts again from its Flash.dat so that the
    // recording begins with a fresh start. False (and a message on the window) when the script
    // cannot be written.
    bool startRecording(const std::string& path, bool checks);
    // Ends the recording.
    void stopRecording();
    bool recording() const { return recorder_.recording(); }
    // The unit's time in this window.
    const VirtualTime& time() const { return session_.time; }
    // Runs ticks at once, as the pacer runs them when they fall due (for tests).
    void runTicksNow(int64_t ticks);
    // True when Flash.dat could not be saved in this session (the changes are lost).
    bool flashSaveFailed() const { return session_.failedSaves() > 0; }
    // The lesson under way, or null.
    const LessonRun* lesson() const { return lesson_.get(); }
    // Why the lesson could not be read ("file:line: message" lines); empty when it was.
    const std::vector<std::string>& lessonErrors() const { return lessonErrors_; }
    // The trainee asks for a hint, or answers the question under way, as the panel's buttons do.
    void takeHint();
    void choose(const std::string& choice);

signals:
    // A playback, or live control at the end of its input, with exitAtEnd has ended: 0 all
    // checks passed, 1 a check failed, 2 the script or a line could not be read or understood,
    // or a step could not do its work.
    void finished(int status);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildFront();
    void buildPanels();
    // Notes every element's unscaled place and font, once all are built.
    void notePlaces();
    // Draws the front at the scale that the zoom and the screen allow, and sizes the window.
    void refit();
    void applyScale(double scale);
    // The client area's unscaled size as it is shown now, and the widest it gets (the panels
    // shown), which must fit the screen.
    QSize contentSize() const;
    double screenFit() const;
    void keepOnScreen();
    void loadLesson();
    // The window's size and the lesson panel's place: beside the front when the screen has the
    // room, else under it (under the English gloss when it is shown).
    void fitWindow();
    // The lesson panel shows the lesson when it has changed; at its end the report is printed.
    void paintLesson();
    QToolButton* makeToggle(QWidget* parent, const QRect& geometry, const char* caption,
                            const char* hint);
    // Paints after a handler, and traces.
    void afterHandler();
    // A person's action as a scenario step: it ends a playback, is recorded as it is written and
    // is performed as kv410-script performs it (performAction).
    void perform(const Step& step);
    // A person touched a control: a playback stops.
    void takeOver();
    // Runs the ticks the monotonic clock has made due, and the queued steps.
    void pace();
    // Tick 0 of a run: the clock from the system, the pacing from now.
    void beginRun();
    void rebasePace();
    void startPlayback();
    void readControlInput();
    // Live control's input has ended and every step is played: the totals, and the status.
    void endControl();
    void playLine(const std::string& line, int number);
    void showStatus(const QString& text, const QColor& colour, int ms);
    void traceLcd();
    std::ostream& out() const;
    // The host's clock set from the computer's local time, to the whole second.
    void syncClock();
    bool keyEvent(QWidget* receiver, QKeyEvent* event, bool press);
    void FormDestroyOnce();

    WindowOptions options_;
    // The lesson (with --lesson).
    std::unique_ptr<LessonRun> lesson_;
    std::vector<std::string> lessonErrors_;
    uint32_t seenLessonGeneration_ = 0;
    bool lessonPainted_ = false;
    // The trainee's playback has ended: the lesson runs on by itself until it has finished.
    bool lessonRunsOn_ = false;
    bool lessonReported_ = false;
    // The run: Flash.dat is loaded and saved, except when playing or under control, when the
    // image stays in memory.
    Session session_;
    // Plays the steps of a playback or of live control; with none queued the ticks simply run.
    std::unique_ptr<StepSequencer> sequencer_;
    QElapsedTimer monotonic_;
    int64_t paceBaseMs_ = 0;
    int64_t paceBaseTick_ = 0;
    int64_t seenSkippedMs_ = 0;
    ScriptRecorder recorder_;
    bool playing_ = false;
    int controlLine_ = 0;
    std::string controlBuffer_;
    // The keys whose press reached the key map and that are not let go yet.
    QSet<int> keysDown_;
    double zoom_ = 0;
    double scale_ = 1.0;
    // Every element with its unscaled geometry and, when it has a font of its own, that font.
    struct Placed {
        QWidget* widget;
        QRect geometry;
        QFont font;
        bool ownFont;
    };
    std::vector<Placed> placed_;
    QFont windowFont_;
    bool controlInputEnded_ = false;
    bool controlEnded_ = false;
    bool shown_ = false;
    bool destroyed_ = false;
    bool forwarding_ = false;
    bool paintedOnce_ = false;
    // The tooltips of the labelled elements before the English replaced them.
    std::vector<std::pair<QWidget*, QString>> ownToolTips_;
    uint32_t seenLeds_ = 0;
    uint32_t seenLamps_ = 0;
    uint32_t seenKnob_ = 0;
    uint32_t seenSliders_ = 0;
    uint32_t seenCaptions_ = 0;
    char shownLines_[4][21] = {};
};

} // namespace kv410
