#include "panel/window/MainWindow.h"

#include "display/Lcd.h"
#include "display/RelayLamps.h"
#include "unit/ControllerState.h"
#include "unit/FormLifeCycle.h"
#include "unit/Ticks.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetricsF>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QSlider>
#include <QTimer>
#include <QToolButton>

#include <cstring>

// Compiled-in pictures live in the static library; they must be registered by name.
static void registerPictures() {
    Q_INIT_RESOURCE(kv410);
}

namespace kv410 {

namespace {

QColor toQColor(PanelColour colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

// Outlines of the front LEDs and the relay lamps.
const QColor GreenLedOutline(0, 128, 64);
const QColor AlarmLedOutline(128, 0, 0);
// Glass shadow (top and left) and highlight (bottom and right) of the lit LCD.
const QColor GlassShadow(0, 128, 64);
const QColor GlassHighlight(255, 255, 128);
// Face of the flat toggle buttons: dark enough for the light caption, light enough for black.
const QColor ToggleFace(118, 126, 138);
// Labels on the side panels (the panels have the window's white colour).
const QColor PanelLabelColour(24, 32, 48);

// Where the five front LEDs lie, indexed by FrontLed.
constexpr QPoint FrontLedPositions[FrontLedCount] = {
    {282, 237}, {369, 134}, {431, 105}, {501, 96}, {318, 180}};
constexpr const char* FrontLedNames[FrontLedCount] = {"OnLed", "VVLed", "TillskottLed",
                                                      "KompressorLed", "AlarmLed"};

// The panel logic's key for a Qt key; every other key is Other.
PanelKey panelKey(int key) {
    switch (key) {
    case Qt::Key_Left:
        return PanelKey::Left;
    case Qt::Key_Right:
        return PanelKey::Right;
    case Qt::Key_Up:
        return PanelKey::Up;
    case Qt::Key_Down:
        return PanelKey::Down;
    case Qt::Key_Escape:
        return PanelKey::Escape;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return PanelKey::Enter;
    default:
        return PanelKey::Other;
    }
}

// The character a key stroke types, as the key-press handler receives it; 0 for none.
char typedCharacter(const QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        return EscapeChar;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return EnterChar;
    default:
        break;
    }
    const QString text = event->text();
    if (text.isEmpty()) {
        return 0;
    }
    const char16_t unit = text.at(0).unicode();
    return unit < 256 ? static_cast<char>(unit) : '?';
}

QFont defaultFont() {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    return font;
}

// Courier New, bold, 19 pixels, with every character 11 pixels wide so 20 fit the 220 pixel line.
QFont lcdFont() {
    QFont font(QStringLiteral("Courier New"));
    font.setPixelSize(19);
    font.setBold(true);
    const qreal advance = QFontMetricsF(font).horizontalAdvance(QLatin1Char('M'));
    font.setLetterSpacing(QFont::AbsoluteSpacing, 11.0 - advance);
    return font;
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

TMainFrm::TMainFrm(QWidget* parent) : QWidget(parent) {
    registerPictures();
    setObjectName(QStringLiteral("MainFrm"));
    setWindowTitle(QStringLiteral("KV410"));
    setFont(defaultFont());
    setFixedSize(ClientWidth, ClientHeight);
    setAutoFillBackground(true);
    setBackground(this, Qt::white);
    buildFront();
    buildPanels();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(50);
    connect(Timer1, &QTimer::timeout, this, [this] {
        Timer1Timer();
        afterHandler();
    });
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(1000);
    connect(Timer2, &QTimer::timeout, this, [this] {
        Timer2Timer();
        afterHandler();
    });
    Timer3 = new QTimer(this);
    Timer3->setObjectName(QStringLiteral("Timer3"));
    Timer3->setInterval(1000);
    connect(Timer3, &QTimer::timeout, this, [this] {
        Timer3Timer();
        afterHandler();
    });

    qApp->installEventFilter(this);
    // The window owns the process: tables whose start values are not zero (the menu tree, the
    // screens' "nothing shown" marks) get them before Flash.dat is loaded and the controller boots.
    resetControllerState();
    FormCreate();
}

TMainFrm::~TMainFrm() {
    qApp->removeEventFilter(this);
    FormDestroyOnce();
}

void TMainFrm::buildFront() {
    Image1 = new PictureBox(QPixmap(QStringLiteral(":/Image1")), this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 800, 600);

    LCDDisplay = new QWidget(this);
    LCDDisplay->setObjectName(QStringLiteral("LCDDisplay"));
    LCDDisplay->setGeometry(188, 291, 231, 87);
    LCDDisplay->setAutoFillBackground(true);
    setBackground(LCDDisplay, toQColor(LcdUnlitColour));
    const struct {
        FilledRect** shape;
        const char* name;
        QRect geometry;
        QColor colour;
    } glass[] = {
        {&Shape7, "Shape7", {0, 0, 230, 3}, GlassShadow},
        {&Shape9, "Shape9", {-1, 2, 4, 85}, GlassShadow},
        {&Shape4, "Shape4", {-1, 85, 231, 3}, GlassHighlight},
        {&Shape5, "Shape5", {228, 2, 3, 84}, GlassHighlight},
    };
    for (const auto& piece : glass) {
        *piece.shape = new FilledRect(piece.colour, LCDDisplay);
        (*piece.shape)->setObjectName(QString::fromLatin1(piece.name));
        (*piece.shape)->setGeometry(piece.geometry);
        (*piece.shape)->hide();
    }
    const QFont font = lcdFont();
    for (int line = 0; line < 4; ++line) {
        auto* label = new QLabel(LCDDisplay);
        label->setObjectName(QStringLiteral("Lbl%1").arg(line + 1));
        label->setGeometry(5, line == 0 ? 4 : line == 1 ? 24 : line == 2 ? 43 : 63, 220, 22);
        label->setFont(font);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        label->setPalette(palette);
        LcdLineLabels[line] = label;
    }
    Graph = new GraphArea(LCDDisplay);
    Graph->setObjectName(QStringLiteral("Graph"));
    Graph->setGeometry(3, 28, graphWidth, 15);
    Graph->hide();

    RattImage = new KnobImage(this);
    RattImage->setObjectName(QStringLiteral("RattImage"));
    RattImage->setGeometry(471, 299, 72, 73);
    RattImage->frame = [] { return int(knobFrame); };
    RattImage->onMouseDown = [this](Qt::MouseButton button, bool shift) {
        RattImageMouseDown(button == Qt::LeftButton    ? MouseButton::Left
                           : button == Qt::RightButton ? MouseButton::Right
                                                       : MouseButton::Middle,
                           shift);
        afterHandler();
    };

    const struct {
        ClickArea** area;
        const char* name;
        QRect geometry;
        void (*down)();
        void (*up)();
    } areas[] = {
        {&Shape1, "Shape1", {208, 418, 41, 39}, Shape1MouseDown, Shape1MouseUp},
        {&Shape2, "Shape2", {283, 418, 41, 39}, Shape2MouseDown, Shape2MouseUp},
        {&Shape3, "Shape3", {356, 418, 43, 39}, Shape3MouseDown, Shape3MouseUp},
        {&Shape6, "Shape6", {224, 200, 49, 49}, Shape6MouseDown, nullptr},
    };
    for (const auto& entry : areas) {
        auto* area = new ClickArea(entry.up != nullptr, this);
        area->setObjectName(QString::fromLatin1(entry.name));
        area->setGeometry(entry.geometry);
        area->onMouseDown = [this, down = entry.down] {
            down();
            afterHandler();
        };
        if (entry.up != nullptr) {
            area->onMouseUp = [this, up = entry.up] {
                up();
                afterHandler();
            };
        }
        *entry.area = area;
    }

    for (int led = 0; led < FrontLedCount; ++led) {
        const bool alarm = led == AlarmLed;
        FrontLeds[led] =
            new LedShape(alarm ? toQColor(AlarmLedUnlitColour) : toQColor(LampUnlitColour),
                         alarm ? AlarmLedOutline : GreenLedOutline, this);
        FrontLeds[led]->setObjectName(QString::fromLatin1(FrontLedNames[led]));
        FrontLeds[led]->setGeometry(QRect(FrontLedPositions[led], QSize(16, 16)));
    }

    const QRect mainToggles[3] = {{668, 484, 73, 21}, {668, 416, 73, 21}, {668, 440, 73, 21}};
    for (int n = 9; n <= 11; ++n) {
        SpeedButtons[n - 1] =
            makeToggle(this, mainToggles[n - 9], ToggleCaptions[n - 1], ToggleHints[n - 1]);
        SpeedButtons[n - 1]->setObjectName(QStringLiteral("SpeedButton%1").arg(n));
    }
    PanelsButton = makeToggle(this, {668, 508, 73, 21}, "Paneler",
                              "Visa eller dölj simuleringspanelerna (F2)");
    PanelsButton->setObjectName(QStringLiteral("PanelsButton"));
    connect(PanelsButton, &QToolButton::clicked, this, [this] {
        setPanelsShown(!panelsShown());
        afterHandler();
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
    palette.setColor(QPalette::Button, ToggleFace);
    palette.setColor(QPalette::Window, ToggleFace);
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
    Panel1 = makePanel("Panel1", {626, 188, 323, 187});
    Panel2 = makePanel("Panel2", {626, 3, 171, 174});
    Panel3 = makePanel("Panel3", {744, 387, 47, 174});

    QFont bold = font();
    bold.setBold(true);
    const auto makeLabel = [&](QWidget* parent, int n, const char* text, QPoint at) {
        auto* label = new QLabel(QString::fromUtf8(text), parent);
        label->setObjectName(QStringLiteral("Label%1").arg(n));
        label->setFont(bold);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, PanelLabelColour);
        label->setPalette(palette);
        label->move(at);
        label->adjustSize();
        Labels[n - 1] = label;
    };

    for (int n = 1; n <= 11; ++n) {
        const int row = (n - 1) * 16;
        auto* slider = new QSlider(Qt::Horizontal, Panel1);
        slider->setObjectName(QStringLiteral("TrackBar%1").arg(n));
        slider->setGeometry(4, 8 + row, 120, 18);
        slider->setRange(SliderMin, SliderMax);
        slider->setPageStep(SliderPageSize);
        slider->setTickPosition(QSlider::NoTicks);
        slider->setFocusPolicy(Qt::StrongFocus);
        connect(slider, &QSlider::valueChanged, this, [this, n](int position) {
            TrackBarChange(n, position);
            afterHandler();
        });
        TrackBars[n - 1] = slider;

        auto* edit = new QLineEdit(QStringLiteral("0"), Panel1);
        edit->setObjectName(QStringLiteral("Edit%1").arg(n));
        edit->setGeometry(127, 5 + row, 30, 21);
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::NoFocus);
        edit->setTextMargins(0, 0, 0, 0);
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        Edits[n - 1] = edit;

        makeLabel(Panel1, n, SensorLabels[n - 1], {166, 6 + row});
    }

    for (int n = 1; n <= 10; ++n) {
        const int row = (n - 1) * 16;
        Leds[n - 1] = new LedShape(toQColor(LampUnlitColour), GreenLedOutline, Panel2);
        Leds[n - 1]->setObjectName(QStringLiteral("Led%1").arg(n));
        Leds[n - 1]->setGeometry(7, 6 + row, 16, 16);
        makeLabel(Panel2, 11 + n, LampLabels[n - 1], {30, 8 + row});
    }

    for (int n = 1; n <= 8; ++n) {
        const QRect geometry(n == 8 ? 7 : 8, 8 + (n - 1) * 16, 32, 16);
        SpeedButtons[n - 1] =
            makeToggle(Panel3, geometry, ToggleCaptions[n - 1], ToggleHints[n - 1]);
        SpeedButtons[n - 1]->setObjectName(QStringLiteral("SpeedButton%1").arg(n));
    }
    for (int n = 1; n <= 11; ++n) {
        connect(SpeedButtons[n - 1], &QToolButton::clicked, this, [this, n] {
            SpeedButtonClick(n);
            afterHandler();
        });
    }
}

bool TMainFrm::panelsShown() const {
    return !Panel1->isHidden();
}

void TMainFrm::setPanelsShown(bool shown) {
    setFixedSize(shown ? ClientWidthWithPanels : ClientWidth, ClientHeight);
    Panel1->setVisible(shown);
    Panel2->setVisible(shown);
    Panel3->setVisible(shown);
    SensorPanelVisible = shown;
    setCaptionColour(PanelsButton, shown ? toQColor(CaptionLightColour) : Qt::black);
}

void TMainFrm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_) {
        return;
    }
    shown_ = true;
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->geometry();
        const QSize outer = frameGeometry().size();
        move(area.left() + area.width() / 2 - outer.width() / 2,
             area.top() + area.height() / 2 - outer.height() / 2);
    }
    FormShow();
    SensorPanelVisible = panelsShown();
    afterHandler();
    Timer1->start();
    Timer2->start();
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
    Timer1->stop();
    Timer2->stop();
    Timer3->stop();
    FormDestroy();
}

void TMainFrm::afterHandler() {
    if (Timer3Running && !Timer3->isActive()) {
        Timer3->start();
    } else if (!Timer3Running && Timer3->isActive()) {
        Timer3->stop();
    }
    paintChanges();
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
                TrackBar1Enter(n);
                afterHandler();
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
    if (press) {
        const PanelKey key = panelKey(event->key());
        FormKeyDown(key, event->modifiers().testFlag(Qt::ShiftModifier));
        for (QSlider* slider : TrackBars) {
            if (receiver == slider && TrackBar1KeyDown(key)) {
                deliver = false;
            }
        }
        if (event->key() == Qt::Key_F2) {
            setPanelsShown(!panelsShown());
        }
        if (const char character = typedCharacter(event); character != 0) {
            FormKeyPress(character);
        }
        if (SliderFocusRequested) {
            SliderFocusRequested = false;
            TrackBars[0]->setFocus(Qt::ShortcutFocusReason);
            TrackBar1Enter(1);
        }
    } else if (!event->isAutoRepeat()) {
        FormKeyUp();
    }
    afterHandler();
    if (deliver) {
        forwarding_ = true;
        QCoreApplication::sendEvent(receiver, event);
        forwarding_ = false;
    }
    return true;
}

void TMainFrm::paintChanges() {
    const bool all = !paintedOnce_;
    paintedOnce_ = true;
    if (all || seenLeds_ != LedsGeneration) {
        seenLeds_ = LedsGeneration;
        setBackground(LCDDisplay, toQColor(LcdLit ? LcdLitColour : LcdUnlitColour));
        for (FilledRect* glass : {Shape7, Shape4, Shape9, Shape5}) {
            glass->setVisible(LcdLit);
        }
        for (int led = 0; led < FrontLedCount; ++led) {
            const bool lit = FrontLedLit[led];
            FrontLeds[led]->setFill(led == AlarmLed
                                        ? toQColor(lit ? AlarmLedLitColour : AlarmLedUnlitColour)
                                        : toQColor(lit ? GreenLedLitColour : GreenLedUnlitColour));
        }
    }
    if (all || seenLamps_ != LampsGeneration) {
        seenLamps_ = LampsGeneration;
        for (int lamp = 0; lamp < 10; ++lamp) {
            Leds[lamp]->setFill(toQColor(RelayLampLit[lamp] ? LampLitColour : LampUnlitColour));
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
            setCaptionColour(SpeedButtons[n], CaptionLight[n] ? toQColor(CaptionLightColour)
                                                              : toQColor(CaptionBlackColour));
        }
    }
    for (int line = 0; line < 4; ++line) {
        if (all || std::memcmp(shownLines_[line], LcdLines[line], 20) != 0) {
            std::memcpy(shownLines_[line], LcdLines[line], 20);
            LcdLineLabels[line]->setText(QString::fromLatin1(LcdLines[line], 20));
        }
    }
    Graph->setBar(barStart, barEnd);
    if (Graph->isHidden() == GraphVisible) {
        Graph->setVisible(GraphVisible);
    }
}

} // namespace kv410
