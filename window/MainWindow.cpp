#include "window/MainWindow.h"
#include "window/FrontScale.h"

#include "display/Gloss.h"
#include "display/Lcd.h"
#include "display/RelayLamps.h"
#include "unit/Ticks.h"

#include "core/FlashFile.h"
#include "core/Memory.h"
#include "panel/KeyMap.h"
#include "pictures/FrontPicture.h"
#include "scenario/Actions.h"
#include "window/LessonPanel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QSettings>
#include <QSlider>
#include <QSocketNotifier>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <unistd.h>

namespace kv410 {

namespace {

using front::colour;

// The pacer wakes when the next tick falls due; it catches up at most this far (a longer pause,
// such as a suspended machine, slips the clock instead of running hours of ticks).
constexpr int FirstPaceMs = 50;
constexpr int64_t MaxCatchUpTicks = 200;
// Ticks one pacer event runs at the playback speed "max".
constexpr int64_t MaxSpeedTicksPerPace = 2000;
// The key that starts and stops a recording.
constexpr int RecordKey = Qt::Key_F9;

constexpr const char* FrontLedNames[FrontLedCount] = {"OnLed", "VVLed", "TillskottLed",
                                                      "KompressorLed", "AlarmLed"};

// The name of a Qt key as the key map reads it (panel/KeyMap.h): the W3C name of a key that
// types nothing, else the text it types.
std::string hostKeyName(const QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left:
        return "ArrowLeft";
    case Qt::Key_Right:
        return "ArrowRight";
    case Qt::Key_Up:
        return "ArrowUp";
    case Qt::Key_Down:
        return "ArrowDown";
    case Qt::Key_Escape:
        return "Escape";
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return "Enter";
    case Qt::Key_F2:
        return "F2";
    case Qt::Key_PageUp:
        return "PageUp";
    case Qt::Key_PageDown:
        return "PageDown";
    case Qt::Key_Tab:
        return "Tab";
    case Qt::Key_Shift:
        return "Shift";
    case Qt::Key_Control:
        return "Control";
    case Qt::Key_Alt:
        return "Alt";
    case Qt::Key_AltGr:
        return "AltGraph";
    case Qt::Key_Meta:
        return "Meta";
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        return "Super";
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
        return "Hyper";
    case Qt::Key_CapsLock:
        return "CapsLock";
    case Qt::Key_NumLock:
        return "NumLock";
    case Qt::Key_ScrollLock:
        return "ScrollLock";
    default:
        return event->text().toStdString();
    }
}

// A step of the person's, of one kind with its count (button, slider, toggle, knob direction).
Step personStep(StepKind kind, int32_t count = 0) {
    Step step;
    step.kind = kind;
    step.count = count;
    return step;
}

Step keyStep(StepKind kind, const KeyStroke& stroke) {
    Step step = personStep(kind, 1);
    step.key = {static_cast<int>(stroke.key), stroke.shift, stroke.character};
    return step;
}

void setBackground(QWidget* widget, QColor colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
}

void setCaptionColour(QToolButton* button, QColor colour) {
    QPalette palette = button->palette();
    if (palette.color(QPalette::ButtonText) != colour) {
        palette.setColor(QPalette::ButtonText, colour);
        palette.setColor(QPalette::WindowText, colour);
        button->setPalette(palette);
    }
}

} // namespace

QString scriptFileName(const QString& chosen) {
    return QFileInfo(chosen).suffix().isEmpty() ? chosen + QStringLiteral(".kvs") : chosen;
}

TMainFrm::TMainFrm(QWidget* parent, WindowOptions options)
    : QWidget(parent), options_(std::move(options)),
      session_(platform(),
               options_.playPath.empty() && !options_.control && options_.lessonPath.empty()
                   ? FlashFilePath
                   : std::string()) {
    front::registerArtwork();
    setObjectName(QStringLiteral("MainFrm"));
    setWindowTitle(QStringLiteral("KV410"));
    setFont(front::windowFont(false));
    resize(ClientWidth, ClientHeight);
    setAutoFillBackground(true);
    setBackground(this, Qt::white);
    buildFront();
    buildPanels();

    Pacer = new QTimer(this);
    Pacer->setObjectName(QStringLiteral("Pacer"));
    Pacer->setTimerType(Qt::PreciseTimer);
    Pacer->setSingleShot(true);
    Pacer->setInterval(FirstPaceMs);
    connect(Pacer, &QTimer::timeout, this, [this] { pace(); });

    StatusLabel = new QLabel(this);
    StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
    StatusLabel->setGeometry(8, 8, 360, 20);
    QFont statusFont = font();
    statusFont.setBold(true);
    statusFont.setPixelSize(13);
    StatusLabel->setFont(statusFont);
    StatusLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    StatusLabel->hide();
    notePlaces();
    zoom_ = options_.zoom > 0 ? std::clamp(options_.zoom, MinZoom, MaxZoom) : 0.0;
    refit();

    qApp->installEventFilter(this);
    // The window owns the process: tables whose start values are not zero (the menu tree, the
    // screens' "nothing shown" marks) get them before Flash.dat is loaded and the controller boots.
    session_.setReadOnly(options_.readOnly);
    if (options_.readOnly) {
        setWindowTitle(QStringLiteral("KV410 (read-only: Flash.dat is not saved)"));
    }
    session_.create();

    if (!options_.lessonPath.empty()) {
        loadLesson();
    }
    SequencerOptions played;
    played.trace = options_.trace;
    played.oneLine = options_.control;
    // The trainee's `choose` and `hint` go to the lesson, which looks after every tick.
    played.lesson = lesson_.get();
    SequencerHooks hooks;
    hooks.programStarted = [this] { SensorPanelVisible = panelsShown(); };
    hooks.togglePanels = [this] { setPanelsShown(!panelsShown()); };
    hooks.checked = [this](const CheckOutcome& outcome) {
        showStatus((outcome.passed ? QStringLiteral("\u2714 line %1: %2")
                                   : QStringLiteral("\u2718 line %1: %2"))
                       .arg(outcome.step.line)
                       .arg(QString::fromStdString(outcome.step.check.source)),
                   outcome.passed ? QColor(0, 110, 40) : QColor(190, 0, 0), 1500);
    };
    sequencer_ = std::make_unique<StepSequencer>(session_, out(), played, std::move(hooks));
}

void TMainFrm::loadLesson() {
    std::ifstream file(options_.lessonPath, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    Script script;
    if (!file) {
        lessonErrors_.push_back(options_.lessonPath + ":0: cannot read the script");
        return;
    }
    if (!parseScript(text.str(), options_.lessonPath, script, lessonErrors_) ||
        !checkLesson(script, lessonErrors_)) {
        return;
    }
    lesson_ = std::make_unique<LessonRun>(session_, script, options_.seed);
    lesson_->setOutput([this](const std::string& line) { out() << line << '\n'; });
    LessonPane = new LessonPanel(this);
    // The panel keeps its own size of text whatever the front's zoom.
    LessonPane->setFont(windowFont_);
    LessonPane->onHint = [this] { takeHint(); };
    LessonPane->onChoose = [this](const std::string& choice) { choose(choice); };
    setWindowTitle(windowTitle() + QStringLiteral(" - lesson"));
    fitWindow();
}

void TMainFrm::fitWindow() {
    const QSize front = scaledRect(QRect(QPoint(0, 0), contentSize()), scale_).size();
    const int frontWidth = front.width();
    const int frontHeight = front.height();
    if (LessonPane == nullptr) {
        setFixedSize(front);
        return;
    }
    const QScreen* screen = this->screen() != nullptr ? this->screen() : qApp->primaryScreen();
    const int room = screen != nullptr ? screen->availableGeometry().width() : INT_MAX;
    // The panel never covers the front: beside it when the screen is wide enough, else under it.
    if (room >= frontWidth + LessonPanelWidth) {
        LessonPane->setGeometry(frontWidth, 0, LessonPanelWidth, frontHeight);
        setFixedSize(frontWidth + LessonPanelWidth, frontHeight);
    } else {
        LessonPane->setGeometry(0, frontHeight, frontWidth, LessonPanelHeight);
        setFixedSize(frontWidth, frontHeight + LessonPanelHeight);
    }
}

void TMainFrm::paintLesson() {
    if (!lesson_) {
        return;
    }
    const uint32_t generation = lesson_->generation();
    if (lessonPainted_ && generation == seenLessonGeneration_) {
        return;
    }
    lessonPainted_ = true;
    seenLessonGeneration_ = generation;
    const bool finished = lesson_->finished();
    LessonPane->showView(lesson_->view(), finished ? lesson_->report() : std::string());
    if (finished && !lessonReported_ && !playing_) {
        // A person's lesson: its result also goes to standard output.
        lessonReported_ = true;
        out() << lesson_->report() << std::flush;
    }
}

void TMainFrm::takeHint() {
    if (!lesson_) {
        return;
    }
    takeOver();
    // A recording writes the trainee's hint and answer steps, so it replays as a trainee.
    recorder_.performed(session_.time.tick, personStep(StepKind::TakeHint));
    lesson_->takeHint();
    paintLesson();
}

void TMainFrm::choose(const std::string& choice) {
    if (!lesson_) {
        return;
    }
    takeOver();
    Step step = personStep(StepKind::Choose);
    step.text = choice;
    recorder_.performed(session_.time.tick, step);
    lesson_->choose(choice);
    paintLesson();
}

TMainFrm::~TMainFrm() {
    qApp->removeEventFilter(this);
    FormDestroyOnce();
}

void TMainFrm::buildFront() {
    Image1 = new PictureBox(QPixmap::fromImage(front::pictureImage()), this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(front::qrect(layout::Picture));

    LCDDisplay = new QWidget(this);
    LCDDisplay->setObjectName(QStringLiteral("LCDDisplay"));
    LCDDisplay->setGeometry(front::qrect(layout::Lcd));
    LCDDisplay->setAutoFillBackground(true);
    setBackground(LCDDisplay, front::lcdColour(false));
    FilledRect** glass[4] = {&Shape7, &Shape9, &Shape4, &Shape5};
    for (int n = 0; n < 4; ++n) {
        const front::GlassPiece& piece = front::LcdGlass[n];
        *glass[n] = new FilledRect(colour(piece.colour), LCDDisplay);
        (*glass[n])->setObjectName(QString::fromLatin1(piece.name));
        (*glass[n])->setGeometry(piece.rect);
        (*glass[n])->hide();
    }
    for (int line = 0; line < 4; ++line) {
        auto* label = new LcdLineLabel(LCDDisplay);
        label->setObjectName(QStringLiteral("Lbl%1").arg(line + 1));
        label->setGeometry(front::qrect(layout::LcdLines[line]));
        label->unscaled = label->size();
        LcdLineLabels[line] = label;
    }
    Graph = new GraphArea(LCDDisplay);
    Graph->setObjectName(QStringLiteral("Graph"));
    Graph->setGeometry(front::qrect(layout::Graph));
    Graph->unscaled = Graph->size();
    Graph->hide();

    RattImage = new KnobImage(this);
    RattImage->setObjectName(QStringLiteral("RattImage"));
    RattImage->setGeometry(front::qrect(layout::Knob));
    RattImage->frame = [] { return int(knobFrame); };
    RattImage->onMouseDown = [this](Qt::MouseButton button, bool shift) {
        const MouseButton knob = button == Qt::LeftButton    ? MouseButton::Left
                                 : button == Qt::RightButton ? MouseButton::Right
                                                             : MouseButton::Middle;
        Step step = personStep(StepKind::ClickKnob, knob == MouseButton::Left    ? 1
                                                    : knob == MouseButton::Right ? -1
                                                                                 : 0);
        step.shift = shift;
        perform(step);
    };

    // The buttons under the display by PanelButton (left, right, middle), and the power switch.
    const struct {
        ClickArea** area;
        const char* name;
        QRect geometry;
        int button;
    } areas[] = {
        {&Shape1, "Shape1", front::qrect(layout::KeyAreas[0]), static_cast<int>(PanelButton::Left)},
        {&Shape2, "Shape2", front::qrect(layout::KeyAreas[1]),
         static_cast<int>(PanelButton::Middle)},
        {&Shape3, "Shape3", front::qrect(layout::KeyAreas[2]),
         static_cast<int>(PanelButton::Right)},
        {&Shape6, "Shape6", front::qrect(layout::PowerArea), -1},
    };
    for (const auto& entry : areas) {
        auto* area = new ClickArea(entry.button >= 0, this);
        area->setObjectName(QString::fromLatin1(entry.name));
        area->setGeometry(entry.geometry);
        if (entry.button >= 0) {
            area->onMouseDown = [this, button = entry.button] {
                perform(personStep(StepKind::PressButton, button));
            };
            area->onMouseUp = [this, button = entry.button] {
                perform(personStep(StepKind::ReleaseButton, button));
            };
        } else {
            area->onMouseDown = [this] { perform(personStep(StepKind::ClickPower)); };
        }
        *entry.area = area;
    }

    for (int led = 0; led < FrontLedCount; ++led) {
        FrontLeds[led] =
            new LedShape(front::frontLedFill(led, false), front::frontLedOutline(led), this);
        FrontLeds[led]->setObjectName(QString::fromLatin1(FrontLedNames[led]));
        FrontLeds[led]->setGeometry(front::frontLedRect(led));
    }

    for (int n = 9; n <= 11; ++n) {
        SpeedButtons[n - 1] = makeToggle(this, front::qrect(layout::MainToggles[n - 9]),
                                         ToggleCaptions[n - 1], ToggleHints[n - 1]);
        SpeedButtons[n - 1]->setObjectName(QStringLiteral("SpeedButton%1").arg(n));
    }
    PanelsButton = makeToggle(this, front::qrect(layout::PanelsButton), front::PanelsButtonCaption,
                              "Visa eller dölj simuleringspanelerna (F2)");
    PanelsButton->setObjectName(QStringLiteral("PanelsButton"));
    connect(PanelsButton, &QToolButton::clicked, this,
            [this] { perform(personStep(StepKind::ClickPanels)); });

    EnglishButton = makeToggle(this, front::qrect(layout::EnglishButton), "English",
                               "Show the English gloss of the display and the labels");
    EnglishButton->setObjectName(QStringLiteral("EnglishButton"));
    GlossStrip = new QWidget(this);
    GlossStrip->setObjectName(QStringLiteral("GlossStrip"));
    GlossStrip->setGeometry(front::qrect(layout::GlossStrip));
    GlossStrip->setAutoFillBackground(true);
    setBackground(GlossStrip, QColor(32, 40, 48));
    QFont glossFont(QStringLiteral("Liberation Mono"));
    glossFont.setStyleHint(QFont::Monospace);
    glossFont.setPixelSize(13);
    for (int line = 0; line < 4; ++line) {
        auto* label = new QLabel(GlossStrip);
        label->setObjectName(QStringLiteral("GlossLine%1").arg(line + 1));
        label->setGeometry(layout::Lcd.left, 2 + 17 * line, layout::Width - layout::Lcd.left - 8,
                           17);
        label->setFont(glossFont);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor(236, 240, 200));
        label->setPalette(palette);
        GlossLines[line] = label;
    }
    GlossStrip->hide();
    connect(EnglishButton, &QToolButton::clicked, this, [this] {
        setEnglishShown(!englishShown());
        QSettings(QStringLiteral("kv410"), QStringLiteral("kv410"))
            .setValue(QStringLiteral("english"), englishShown());
    });
}

QToolButton* TMainFrm::makeToggle(QWidget* parent, const QRect& geometry, const char* caption,
                                  const char* hint) {
    auto* button = new QToolButton(parent);
    button->setGeometry(geometry);
    button->setText(QString::fromUtf8(caption));
    if (hint[0] != '\0') {
        button->setToolTip(QString::fromUtf8(hint));
    }
    QFont font = button->font();
    font.setBold(true);
    button->setFont(font);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoFillBackground(true);
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, colour(front::ToggleFace));
    palette.setColor(QPalette::Window, colour(front::ToggleFace));
    button->setPalette(palette);
    setCaptionColour(button, Qt::black);
    return button;
}

void TMainFrm::buildPanels() {
    const auto makePanel = [this](const char* name, QRect geometry) {
        auto* panel = new QFrame(this);
        panel->setObjectName(QString::fromLatin1(name));
        panel->setGeometry(geometry);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setAutoFillBackground(true);
        setBackground(panel, Qt::white);
        panel->hide();
        return panel;
    };
    Panel1 = makePanel("Panel1", front::qrect(layout::Panel1));
    Panel2 = makePanel("Panel2", front::qrect(layout::Panel2));
    Panel3 = makePanel("Panel3", front::qrect(layout::Panel3));

    QFont bold = font();
    bold.setBold(true);
    const auto makeLabel = [&](QWidget* parent, int n, const char* text, QPoint at) {
        auto* label = new QLabel(QString::fromUtf8(text), parent);
        label->setObjectName(QStringLiteral("Label%1").arg(n));
        label->setFont(bold);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, colour(front::PanelLabelColour));
        label->setPalette(palette);
        label->move(at);
        label->adjustSize();
        Labels[n - 1] = label;
    };

    for (int n = 1; n <= 11; ++n) {
        auto* slider = new QSlider(Qt::Horizontal, Panel1);
        slider->setObjectName(QStringLiteral("TrackBar%1").arg(n));
        slider->setGeometry(front::qrect(layout::slider(n)));
        slider->setRange(SliderMin, SliderMax);
        slider->setPageStep(SliderPageSize);
        slider->setTickPosition(QSlider::NoTicks);
        slider->setFocusPolicy(Qt::StrongFocus);
        connect(slider, &QSlider::valueChanged, this, [this, n](int position) {
            Step step = personStep(StepKind::Sensor, n);
            step.value = position;
            perform(step);
        });
        TrackBars[n - 1] = slider;

        auto* edit = new QLineEdit(QStringLiteral("0"), Panel1);
        edit->setObjectName(QStringLiteral("Edit%1").arg(n));
        edit->setGeometry(front::qrect(layout::valueBox(n)));
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::NoFocus);
        edit->setTextMargins(0, 0, 0, 0);
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        Edits[n - 1] = edit;

        makeLabel(Panel1, n, SensorLabels[n - 1], front::qpoint(layout::sensorLabel(n)));
    }

    for (int n = 1; n <= 10; ++n) {
        Leds[n - 1] = new LedShape(front::lampFill(false), colour(front::GreenLedOutline), Panel2);
        Leds[n - 1]->setObjectName(QStringLiteral("Led%1").arg(n));
        Leds[n - 1]->setGeometry(front::qrect(layout::lamp(n)));
        makeLabel(Panel2, 11 + n, LampLabels[n - 1], front::qpoint(layout::lampLabel(n)));
    }

    for (int n = 1; n <= 8; ++n) {
        SpeedButtons[n - 1] = makeToggle(Panel3, front::qrect(layout::inputToggle(n)),
                                         ToggleCaptions[n - 1], ToggleHints[n - 1]);
        SpeedButtons[n - 1]->setObjectName(QStringLiteral("SpeedButton%1").arg(n));
    }
    for (int n = 1; n <= 11; ++n) {
        connect(SpeedButtons[n - 1], &QToolButton::clicked, this,
                [this, n] { perform(personStep(StepKind::ClickToggle, n)); });
    }
}

bool TMainFrm::panelsShown() const {
    return !Panel1->isHidden();
}

bool TMainFrm::englishShown() const {
    return !GlossStrip->isHidden();
}

void TMainFrm::setEnglishShown(bool shown) {
    GlossStrip->setVisible(shown);
    refit();
    setCaptionColour(EnglishButton, shown ? colour(CaptionLightColour) : Qt::black);
    // The labels of the front and the panels carry their English as tooltips.
    if (shown && ownToolTips_.empty()) {
        for (QWidget* element : findChildren<QWidget*>()) {
            const std::string_view english = labelGloss(element->objectName().toStdString());
            if (!english.empty()) {
                ownToolTips_.emplace_back(element, element->toolTip());
                element->setToolTip(QString::fromUtf8(english.data(), qsizetype(english.size())));
            }
        }
    } else if (!shown) {
        for (const auto& [element, tip] : ownToolTips_) {
            element->setToolTip(tip);
        }
        ownToolTips_.clear();
    }
    paintedOnce_ = false;
    paintChanges();
}

void TMainFrm::setPanelsShown(bool shown) {
    Panel1->setVisible(shown);
    Panel2->setVisible(shown);
    Panel3->setVisible(shown);
    SensorPanelVisible = shown;
    setCaptionColour(PanelsButton, shown ? colour(CaptionLightColour) : Qt::black);
    fitWindow();
    keepOnScreen();
}

void TMainFrm::notePlaces() {
    windowFont_ = font();
    for (QWidget* element : findChildren<QWidget*>()) {
        const QString name = element->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_"))) {
            continue;
        }
        // The LCD lines draw with the LCD's own font, scaled by their painter.
        const bool ownFont = element->testAttribute(Qt::WA_SetFont) &&
                             dynamic_cast<LcdLineLabel*>(element) == nullptr;
        placed_.push_back({element, element->geometry(), element->font(), ownFont});
    }
}

QSize TMainFrm::contentSize() const {
    return {panelsShown() ? ClientWidthWithPanels : ClientWidth,
            ClientHeight + (englishShown() ? layout::GlossStrip.height : 0)};
}

double TMainFrm::screenFit() const {
    const QScreen* screen = this->screen();
    if (screen == nullptr) {
        return MaxZoom;
    }
    // The title bar and the borders count; before the window manager has framed the window,
    // a usual frame is assumed.
    QSize frame = frameGeometry().size() - geometry().size();
    if (frame.width() <= 0 && frame.height() <= 0) {
        frame = QSize(8, 32);
    }
    // A lesson's panel stands beside the front and takes its room.
    QSize available = screen->availableGeometry().size();
    if (LessonPane != nullptr) {
        available.rwidth() -= LessonPanelWidth;
    }
    return fitScale(available, frame, {ClientWidthWithPanels, contentSize().height()});
}

void TMainFrm::refit() {
    const double scale = windowScale(zoom_, screenFit());
    if (scale != scale_) {
        applyScale(scale);
    }
    fitWindow();
    keepOnScreen();
}

void TMainFrm::applyScale(double scale) {
    scale_ = scale;
    const auto scaledFont = [scale](QFont font) {
        if (font.pixelSize() > 0) {
            font.setPixelSize(scaledPixels(font.pixelSize(), scale));
        } else {
            font.setPointSizeF(font.pointSizeF() * scale);
        }
        return font;
    };
    setFont(scaledFont(windowFont_));
    for (const Placed& placed : placed_) {
        if (placed.ownFont) {
            placed.widget->setFont(scaledFont(placed.font));
        }
        placed.widget->setGeometry(scaledRect(placed.geometry, scale));
    }
    // The panels' labels take the room their text needs at the new size.
    for (QLabel* label : Labels) {
        label->adjustSize();
    }
    update();
}

void TMainFrm::keepOnScreen() {
    const QScreen* screen = this->screen();
    if (!isVisible() || screen == nullptr) {
        return;
    }
    const QRect area = screen->availableGeometry();
    const QRect outer = frameGeometry();
    const int left =
        std::max(area.left(), std::min(outer.left(), area.right() + 1 - outer.width()));
    const int top = std::max(area.top(), std::min(outer.top(), area.bottom() + 1 - outer.height()));
    if (left != outer.left() || top != outer.top()) {
        move(left, top);
    }
}

void TMainFrm::setZoom(double zoom) {
    zoom_ = std::clamp(zoom, MinZoom, MaxZoom);
    QSettings(QStringLiteral("kv410"), QStringLiteral("kv410"))
        .setValue(QStringLiteral("zoom"), zoom_);
    refit();
}

void TMainFrm::zoomToFit() {
    setZoom(screenFit());
}

void TMainFrm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_) {
        return;
    }
    shown_ = true;
    refit();
    if (QWindow* handle = windowHandle()) {
        connect(handle, &QWindow::screenChanged, this, [this] { refit(); });
    }
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        const QSize outer = frameGeometry().size();
        move(area.left() + area.width() / 2 - outer.width() / 2,
             area.top() + area.height() / 2 - outer.height() / 2);
    }
    beginRun();
    session_.show();
    SensorPanelVisible = panelsShown();
    if (lesson_) {
        // The panel may go under the front on this screen.
        refit();
        lesson_->begin();
    }
    afterHandler();
    Pacer->start();
    if (!options_.recordPath.empty()) {
        startRecording(options_.recordPath, options_.recordChecks);
    }
    if (!options_.playPath.empty() || options_.control) {
        startPlayback();
    }
}

void TMainFrm::closeEvent(QCloseEvent* event) {
    FormDestroyOnce();
    event->accept();
}

void TMainFrm::FormDestroyOnce() {
    if (destroyed_) {
        return;
    }
    destroyed_ = true;
    Pacer->stop();
    stopRecording();
    session_.stop();
}

void TMainFrm::afterHandler() {
    paintChanges();
    paintLesson();
    if (options_.trace) {
        traceLcd();
    }
}

bool TMainFrm::eventFilter(QObject* watched, QEvent* event) {
    if (forwarding_ || !watched->isWidgetType()) {
        return false;
    }
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != this) {
        return false;
    }
    switch (event->type()) {
    case QEvent::KeyPress:
        return keyEvent(widget, static_cast<QKeyEvent*>(event), true);
    case QEvent::KeyRelease:
        return keyEvent(widget, static_cast<QKeyEvent*>(event), false);
    case QEvent::FocusIn:
        for (int n = 1; n <= 11; ++n) {
            if (widget == TrackBars[n - 1]) {
                perform(personStep(StepKind::FocusSlider, n));
            }
        }
        return false;
    default:
        return false;
    }
}

// The window sees every key before the focused element: the panel's key handlers run first, a
// focused slider then gets the key unless the panel swallows it.
bool TMainFrm::keyEvent(QWidget* receiver, QKeyEvent* event, bool press) {
    bool deliver = receiver != this;
    if (event->key() == RecordKey) {
        // The recording key is the window's own; the unit does not see it.
        if (press && !event->isAutoRepeat()) {
            if (recording()) {
                stopRecording();
            } else {
                const QString path = QFileDialog::getSaveFileName(
                    this, QStringLiteral("Record the session as a scenario script"),
                    QStringLiteral("session.kvs"), QStringLiteral("Scenario scripts (*.kvs)"));
                if (!path.isEmpty()) {
                    startRecording(scriptFileName(path).toStdString(), options_.recordChecks);
                }
            }
        }
        return true;
    }
    if (press && event->modifiers().testFlag(Qt::ControlModifier)) {
        // The zoom keys are the window's own; the unit does not see them.
        switch (event->key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            setZoom(nextZoom(scale_, 1));
            return true;
        case Qt::Key_Minus:
            setZoom(nextZoom(scale_, -1));
            return true;
        case Qt::Key_0:
            zoomToFit();
            return true;
        default:
            break;
        }
    }
    if (!press && !event->isAutoRepeat() && !keysDown_.remove(event->key())) {
        // A key let go whose press this window never saw (the Return that closed a dialog):
        // it did not reach the unit going down, so it does not going up.
        return true;
    }
    const std::string name = hostKeyName(event);
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    HostKey key{name, modifiers.testFlag(Qt::ShiftModifier),
                modifiers.testAnyFlags(Qt::ControlModifier | Qt::MetaModifier),
                event->isAutoRepeat()};
    key.modifier = modifierKeyNamed(key.name);
    if (press && !event->isAutoRepeat()) {
        keysDown_.insert(event->key());
    }
    KeyFocus focus;
    for (int n = 1; n <= 11; ++n) {
        if (receiver == TrackBars[n - 1]) {
            focus.slider = n;
        }
    }
    const KeyAnswer answer = press ? mapKeyDown(key, focus) : mapKeyUp(key, focus);
    deliver = deliver && !answer.swallowed;
    switch (answer.action) {
    case KeyAction::Stroke:
        perform(keyStep(StepKind::KeyDown, answer.stroke));
        break;
    case KeyAction::Release:
        perform(keyStep(StepKind::KeyUp, answer.stroke));
        break;
    case KeyAction::PressButton:
        perform(personStep(StepKind::PressButton, static_cast<int>(answer.button)));
        break;
    case KeyAction::ReleaseButton:
        perform(personStep(StepKind::ReleaseButton, static_cast<int>(answer.button)));
        break;
    case KeyAction::None:
        break;
    }
    if (answer.slider != 0) {
        Step step = personStep(StepKind::Sensor, answer.slider);
        step.value = answer.sliderPosition;
        perform(step);
    }
    if (answer.togglePanels) {
        perform(personStep(StepKind::ClickPanels));
    }
    if (press && SliderFocusRequested) {
        SliderFocusRequested = false;
        TrackBars[0]->setFocus(Qt::ShortcutFocusReason);
        perform(personStep(StepKind::FocusSlider, 1));
    }
    afterHandler();
    if (deliver) {
        forwarding_ = true;
        QCoreApplication::sendEvent(receiver, event);
        forwarding_ = false;
        // Handled here whatever the element did with it: it must not travel on to the parents,
        // which would hand it to the panel a second time.
        event->accept();
    }
    return true;
}

void TMainFrm::paintChanges() {
    const bool all = !paintedOnce_;
    paintedOnce_ = true;
    if (all || seenLeds_ != LedsGeneration) {
        seenLeds_ = LedsGeneration;
        setBackground(LCDDisplay, front::lcdColour(LcdLit));
        for (FilledRect* glass : {Shape7, Shape4, Shape9, Shape5}) {
            glass->setVisible(LcdLit);
        }
        for (int led = 0; led < FrontLedCount; ++led) {
            FrontLeds[led]->setFill(front::frontLedFill(led, FrontLedLit[led]));
        }
    }
    if (all || seenLamps_ != LampsGeneration) {
        seenLamps_ = LampsGeneration;
        for (int lamp = 0; lamp < 10; ++lamp) {
            Leds[lamp]->setFill(front::lampFill(RelayLampLit[lamp]));
        }
    }
    if (all || seenKnob_ != KnobGeneration) {
        seenKnob_ = KnobGeneration;
        RattImage->update();
    }
    if (all || seenSliders_ != SlidersGeneration) {
        seenSliders_ = SlidersGeneration;
        for (int n = 0; n < 11; ++n) {
            const QSignalBlocker blocker(TrackBars[n]);
            TrackBars[n]->setValue(SliderPositions[n]);
            Edits[n]->setText(QString::fromLatin1(SliderTexts[n]));
        }
    }
    if (all || seenCaptions_ != CaptionsGeneration) {
        seenCaptions_ = CaptionsGeneration;
        for (int n = 0; n < 11; ++n) {
            setCaptionColour(SpeedButtons[n], CaptionLight[n] ? colour(CaptionLightColour)
                                                              : colour(CaptionBlackColour));
        }
    }
    for (int line = 0; line < 4; ++line) {
        if (all || std::memcmp(shownLines_[line], LcdLines[line], 20) != 0) {
            std::memcpy(shownLines_[line], LcdLines[line], 20);
            LcdLineLabels[line]->setText(QString::fromLatin1(LcdLines[line], 20));
            if (englishShown()) {
                GlossLines[line]->setText(QString::fromStdString(glossLine(line + 1)));
            }
        }
    }
    Graph->setBar(barStart, barEnd);
    if (Graph->isHidden() == GraphVisible) {
        Graph->setVisible(GraphVisible);
    }
    // A held button shows pressed until its long press has fired or it is let go.
    const auto held = [](PanelButton button) {
        return Timer3Running && pressedButton == static_cast<int32_t>(button);
    };
    Shape1->setPressed(held(PanelButton::Left));
    Shape2->setPressed(held(PanelButton::Middle));
    Shape3->setPressed(held(PanelButton::Right));
}

void TMainFrm::syncClock() {
    if (options_.clock[0] != 0) {
        // A clock of its own (a playback, live control, --clock): the unit's time goes on from
        // it and never follows the computer's.
        session_.host().setClock(hostDateTime(options_.clock));
        return;
    }
    const QDateTime now = QDateTime::currentDateTime();
    const int fields[6] = {now.date().year(), now.date().month(),  now.date().day(),
                           now.time().hour(), now.time().minute(), now.time().second()};
    session_.host().setClock(hostDateTime(fields));
}

void TMainFrm::beginRun() {
    syncClock();
    session_.host().clearBeeps();
    session_.time = VirtualTime{};
    monotonic_.start();
    rebasePace();
    sequencer_->noteLcd();
}

void TMainFrm::rebasePace() {
    paceBaseMs_ = monotonic_.isValid() ? monotonic_.elapsed() : 0;
    paceBaseTick_ = session_.time.tick;
    session_.time.skippedMs = 0;
    seenSkippedMs_ = 0;
}

void TMainFrm::pace() {
    VirtualTime& time = session_.time;
    int64_t target = time.tick;
    const bool fast = playing_ && options_.speed == 0 && (!sequencer_->idle() || lessonRunsOn_);
    if (fast) {
        target += MaxSpeedTicksPerPace;
    } else {
        const int speed = playing_ && options_.speed > 0 ? options_.speed : 1;
        const int64_t elapsed =
            paceBaseTick_ * TickMs + (monotonic_.elapsed() - paceBaseMs_) * speed;
        target = monotonicTargetTick(time, elapsed, MaxCatchUpTicks);
        if (time.skippedMs != seenSkippedMs_ && options_.clock[0] == 0) {
            // The machine stood still: the unit's clock follows the system's again.
            seenSkippedMs_ = time.skippedMs;
            syncClock();
            const HostDateTime now = session_.host().localNow();
            Step clock;
            clock.kind = StepKind::SetClock;
            const int fields[6] = {now.year, now.month, now.day, now.hour, now.minute, now.second};
            std::copy(fields, fields + 6, clock.clock);
            recorder_.performed(time.tick, clock);
        }
    }
    sequencer_->runUntil(target);
    out().flush();
    paintChanges();
    paintLesson();
    // Sleep until the next tick falls due.
    const int speedNow = playing_ && options_.speed > 0 ? options_.speed : 1;
    const int64_t nextDueMs =
        paceBaseMs_ + ((time.tick + 1 - paceBaseTick_) * TickMs + time.skippedMs) / speedNow;
    const int64_t wait = fast ? 0 : nextDueMs - monotonic_.elapsed();
    Pacer->start(static_cast<int>(std::clamp<int64_t>(wait, 0, TickMs)));
    if (playing_ && sequencer_->idle() && !options_.control && lesson_ && !lesson_->finished() &&
        !lessonRunsOn_) {
        // The trainee's playback has ended: the lesson runs on by itself to its end.
        lessonRunsOn_ = true;
        lesson_->traineeFinished();
    }
    if (playing_ && sequencer_->idle() && !options_.control && (!lesson_ || lesson_->finished())) {
        playing_ = false;
        lessonRunsOn_ = false;
        const ScenarioTotals& totals = sequencer_->totals;
        int status = scenarioStatus(totals);
        if (lesson_) {
            // As kv410-script --lesson: the report, then the trainee's checks, and the status
            // of both.
            paintLesson();
            lessonReported_ = true;
            out() << lesson_->report();
            status = status == 2 ? 2 : std::max(status, lesson_->status());
        }
        out() << totals.passed << " passed, " << totals.failed << " failed" << std::endl;
        showStatus(QStringLiteral("Playback ended: %1 passed, %2 failed")
                       .arg(totals.passed)
                       .arg(totals.failed),
                   status == 0 ? QColor(0, 110, 40) : QColor(190, 0, 0), 4000);
        rebasePace();
        if (options_.exitAtEnd) {
            emit finished(status);
        }
    }
    if (controlInputEnded_ && sequencer_->idle()) {
        endControl();
    }
}

void TMainFrm::endControl() {
    if (controlEnded_) {
        return;
    }
    controlEnded_ = true;
    const ScenarioTotals& totals = sequencer_->totals;
    out() << totals.passed << " passed, " << totals.failed << " failed" << std::endl;
    showStatus(
        QStringLiteral("Input ended: %1 passed, %2 failed").arg(totals.passed).arg(totals.failed),
        scenarioStatus(totals) == 0 ? QColor(0, 110, 40) : QColor(190, 0, 0), 4000);
    if (options_.exitAtEnd) {
        emit finished(scenarioStatus(totals));
    }
}

std::ostream& TMainFrm::out() const {
    return options_.output != nullptr ? *options_.output : std::cout;
}

void TMainFrm::runTicksNow(int64_t ticks) {
    sequencer_->runUntil(session_.time.tick + ticks);
    out().flush();
    paintChanges();
    paintLesson();
}

void TMainFrm::traceLcd() {
    sequencer_->traceLcd();
    out().flush();
}

void TMainFrm::takeOver() {
    if (playing_ && !sequencer_->idle()) {
        // A person touched a control: the playback stops and the unit is theirs.
        sequencer_->stop();
        playing_ = false;
        rebasePace();
        out() << "playback stopped: a person took over" << std::endl;
        showStatus(QStringLiteral("Playback stopped: you took over"), QColor(190, 90, 0), 4000);
    }
}

void TMainFrm::perform(const Step& step) {
    // Letting go of a button a playback pressed does not take the unit over, nor does a look at
    // the side panels.
    if (step.kind != StepKind::ReleaseButton && step.kind != StepKind::ClickPanels) {
        takeOver();
    }
    recorder_.performed(session_.time.tick, step);
    if (step.kind == StepKind::ClickPanels) {
        setPanelsShown(!panelsShown());
    }
    performAction(step, session_.time);
    recorder_.reached();
    afterHandler();
    if (!recorder_.error().empty()) {
        stopRecording();
    }
}

bool TMainFrm::startRecording(const std::string& path, bool checks) {
    stopRecording();
    namespace fs = std::filesystem;
    const fs::path script(path);
    const std::string flashName = script.stem().string() + ".flash.dat";
    const fs::path flashCopy = script.parent_path() / flashName;
    // The recording starts with a fresh start of the program from its flash image, as a
    // replay does; the image it starts from is kept beside the script.
    const bool atStart =
        session_.time.tick == 0 && !recorder_.recording() && StatusLabel->isHidden();
    if (!atStart) {
        session_.reopen();
    }
    const std::vector<char> bytes = flashImageBytes();
    std::ofstream copy(flashCopy, std::ios::binary | std::ios::trunc);
    copy.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    copy.close();
    if (!atStart) {
        beginRun();
        session_.show();
        SensorPanelVisible = panelsShown();
        paintedOnce_ = false;
        afterHandler();
    }
    const HostDateTime clock = session_.host().localNow();
    const int fields[6] = {clock.year, clock.month,  clock.day,
                           clock.hour, clock.minute, clock.second};
    if (!copy || !recorder_.begin(path, flashName, fields, checks, "the kv410 window")) {
        const QString why =
            !copy
                ? QStringLiteral("cannot write %1").arg(QString::fromStdString(flashCopy.string()))
                : QString::fromStdString(recorder_.error());
        std::cerr << "kv410: recording not started: " << why.toStdString() << std::endl;
        recorder_.end(session_.time.tick);
        showStatus(QStringLiteral("Recording not started: ") + why, QColor(190, 0, 0), 8000);
        return false;
    }
    StatusLabel->setText(QStringLiteral("\u25CF REC  %1  (F9 stops)")
                             .arg(QString::fromStdString(script.filename().string())));
    StatusLabel->setStyleSheet(QStringLiteral("color: rgb(200, 0, 0);"));
    StatusLabel->show();
    return true;
}

void TMainFrm::stopRecording() {
    if (!recorder_.recording()) {
        return;
    }
    const bool written = recorder_.end(session_.time.tick);
    if (written) {
        StatusLabel->hide();
    } else {
        std::cerr << "kv410: recording stopped: " << recorder_.error() << std::endl;
        showStatus(QStringLiteral("Recording stopped: ") +
                       QString::fromStdString(recorder_.error()),
                   QColor(190, 0, 0), 8000);
    }
}

void TMainFrm::showStatus(const QString& text, const QColor& colour, int ms) {
    if (recorder_.recording()) {
        return;
    }
    StatusLabel->setText(text);
    StatusLabel->setStyleSheet(QStringLiteral("color: %1;").arg(colour.name()));
    StatusLabel->show();
    QTimer::singleShot(ms, StatusLabel, [this, text] {
        if (StatusLabel->text() == text && !recorder_.recording()) {
            StatusLabel->hide();
        }
    });
}

void TMainFrm::startPlayback() {
    if (options_.control) {
        auto* input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
        connect(input, &QSocketNotifier::activated, this, [this, input] {
            char buffer[4096];
            const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
                return;
            }
            if (got <= 0) {
                // The end of the input: a last line without its newline is still a line; the
                // totals follow when every step has been played.
                input->setEnabled(false);
                if (!controlBuffer_.empty()) {
                    playLine(controlBuffer_, ++controlLine_);
                    controlBuffer_.clear();
                }
                controlInputEnded_ = true;
                if (sequencer_->idle()) {
                    endControl();
                }
                return;
            }
            controlBuffer_.append(buffer, static_cast<size_t>(got));
            for (size_t end; (end = controlBuffer_.find('\n')) != std::string::npos;) {
                playLine(controlBuffer_.substr(0, end), ++controlLine_);
                controlBuffer_.erase(0, end + 1);
            }
        });
        return;
    }
    std::ifstream file(options_.playPath, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    Script script;
    std::vector<std::string> errors;
    if (!file) {
        errors.push_back(options_.playPath + ":0: cannot read the script");
    } else {
        if (parseScript(text.str(), options_.playPath, script, errors) && lesson_) {
            // The trainee's script has no lesson steps of its own.
            checkTraineeScript(script, errors);
        }
    }
    if (!errors.empty()) {
        for (const std::string& error : errors) {
            std::cerr << error << '\n';
        }
        showStatus(QString::fromStdString(errors.front()), QColor(190, 0, 0), 8000);
        if (options_.exitAtEnd) {
            QTimer::singleShot(0, this, [this] { emit finished(2); });
        }
        return;
    }
    sequencer_->enqueue(script);
    playing_ = true;
    rebasePace();
}

void TMainFrm::playLine(const std::string& line, int number) {
    Script one;
    std::vector<std::string> errors;
    if (!parseScript(line, "<stdin>", one, errors)) {
        const std::string& error = errors.front();
        const size_t at = error.find(": ", std::string("<stdin>").size() + 1);
        out() << "error <stdin>:" << number << ':'
              << (at == std::string::npos ? " " + error : error.substr(at + 1)) << std::endl;
        ++sequencer_->totals.problems;
        return;
    }
    for (Step& step : one.steps) {
        step.line = number;
    }
    sequencer_->enqueue(one);
    sequencer_->runUntil(session_.time.tick);
    out().flush();
    paintChanges();
}

} // namespace kv410
