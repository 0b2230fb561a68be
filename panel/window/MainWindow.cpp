#include "panel/window/MainWindow.h"

#include "core/ControllerState.h"
#include "display/Lcd.h"
#include "pictures/FrontPicture.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QSlider>
#include <QTimer>
#include <QToolButton>

#include <cstring>

namespace kv410 {

namespace {

using front::colour;

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
    front::registerArtwork();
    setObjectName(QStringLiteral("MainFrm"));
    setWindowTitle(QStringLiteral("KV410"));
    setFont(front::windowFont(false));
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
    Image1 = new PictureBox(QPixmap::fromImage(front::pictureImage()), this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(front::PictureRect);

    LCDDisplay = new QWidget(this);
    LCDDisplay->setObjectName(QStringLiteral("LCDDisplay"));
    LCDDisplay->setGeometry(front::LcdRect);
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
        label->setGeometry(front::LcdLineRects[line]);
        LcdLineLabels[line] = label;
    }
    Graph = new GraphArea(LCDDisplay);
    Graph->setObjectName(QStringLiteral("Graph"));
    Graph->setGeometry(front::GraphRect);
    Graph->hide();

    RattImage = new KnobImage(this);
    RattImage->setObjectName(QStringLiteral("RattImage"));
    RattImage->setGeometry(front::KnobRect);
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
        {&Shape1, "Shape1", front::ButtonAreaRects[0], Shape1MouseDown, Shape1MouseUp},
        {&Shape2, "Shape2", front::ButtonAreaRects[1], Shape2MouseDown, Shape2MouseUp},
        {&Shape3, "Shape3", front::ButtonAreaRects[2], Shape3MouseDown, Shape3MouseUp},
        {&Shape6, "Shape6", front::PowerAreaRect, Shape6MouseDown, nullptr},
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
        FrontLeds[led] =
            new LedShape(front::frontLedFill(led, false), front::frontLedOutline(led), this);
        FrontLeds[led]->setObjectName(QString::fromLatin1(FrontLedNames[led]));
        FrontLeds[led]->setGeometry(
            QRect(front::FrontLedPositions[led], QSize(front::LedSize, front::LedSize)));
    }

    for (int n = 9; n <= 11; ++n) {
        SpeedButtons[n - 1] = makeToggle(this, front::MainToggleRects[n - 9], ToggleCaptions[n - 1],
                                         ToggleHints[n - 1]);
        SpeedButtons[n - 1]->setObjectName(QStringLiteral("SpeedButton%1").arg(n));
    }
    PanelsButton = makeToggle(this, front::PanelsButtonRect, front::PanelsButtonCaption,
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
    Panel1 = makePanel("Panel1", front::Panel1Rect);
    Panel2 = makePanel("Panel2", front::Panel2Rect);
    Panel3 = makePanel("Panel3", front::Panel3Rect);

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
        slider->setGeometry(front::sliderRect(n));
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
        edit->setGeometry(front::valueBoxRect(n));
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::NoFocus);
        edit->setTextMargins(0, 0, 0, 0);
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        Edits[n - 1] = edit;

        makeLabel(Panel1, n, SensorLabels[n - 1], front::sensorLabelPosition(n));
    }

    for (int n = 1; n <= 10; ++n) {
        Leds[n - 1] = new LedShape(front::lampFill(false), colour(front::GreenLedOutline), Panel2);
        Leds[n - 1]->setObjectName(QStringLiteral("Led%1").arg(n));
        Leds[n - 1]->setGeometry(front::lampRect(n));
        makeLabel(Panel2, 11 + n, LampLabels[n - 1], front::lampLabelPosition(n));
    }

    for (int n = 1; n <= 8; ++n) {
        SpeedButtons[n - 1] = makeToggle(Panel3, front::inputToggleRect(n), ToggleCaptions[n - 1],
                                         ToggleHints[n - 1]);
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
    setFixedSize(shown ? front::WidthWithPanels : front::Width, front::Height);
    Panel1->setVisible(shown);
    Panel2->setVisible(shown);
    Panel3->setVisible(shown);
    SensorPanelVisible = shown;
    setCaptionColour(PanelsButton, shown ? colour(CaptionLightColour) : Qt::black);
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
        }
    }
    Graph->setBar(barStart, barEnd);
    if (Graph->isHidden() == GraphVisible) {
        Graph->setVisible(GraphVisible);
    }
}

} // namespace kv410
