// The window: its elements, the way events reach the panel logic and the way it paints the state.
#include "window/MainWindow.h"
#include "QtTestMain.h"
#include "ScratchFolder.h"
#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "core/VirtualPlatform.h"
#include "display/Gloss.h"
#include "display/Lcd.h"
#include "menu/MenuTree.h"
#include "panel/FrontPanel.h"
#include "pictures/FrontPicture.h"
#include "unit/ControllerState.h"
#include "window/FrontScale.h"
#include "window/ShutdownSignals.h"

#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QSettings>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <csignal>
#include <cstring>
#include <memory>

using namespace kv410;

namespace {

QColor rgb(PanelColour c) {
    return QColor(c.red, c.green, c.blue);
}

QColor fillOf(QWidget* widget) {
    return widget->palette().color(QPalette::Window);
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ScratchFolder> folder_;
    VirtualPlatform host_;
    std::unique_ptr<TMainFrm> window_;

    // Mouse press and release at a point of the window, found by position like a real click.
    void pressAt(QPoint at, Qt::MouseButton button = Qt::LeftButton,
                 Qt::KeyboardModifiers modifiers = {}) {
        QTest::mousePress(window_->windowHandle(), button, modifiers, at);
    }
    void releaseAt(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseRelease(window_->windowHandle(), button, {}, at);
    }
    void clickAt(QPoint at, Qt::MouseButton button = Qt::LeftButton,
                 Qt::KeyboardModifiers modifiers = {}) {
        pressAt(at, button, modifiers);
        releaseAt(at, button);
    }
    void wakeDisplay() { IoWords[DisplayAwakeWord] = 1; }
    // Lines 1 and 3 with characters past ASCII (degree sign, å, ø, Æ) in the display's Latin-1.
    static void writeLatin1Lines() {
        std::memcpy(LcdLines[0],
                    "Ute temp   14.0\xBA"
                    "C   ",
                    20);
        std::memcpy(LcdLines[2],
                    "R\xE5"
                    "d \xF8 \xC6  12345678901",
                    20);
    }
    // Keeps the ticks out of the way, so only the handlers change the words.
    void stopTicks() { window_->Pacer->stop(); }

private slots:
    void init() {
        folder_ = std::make_unique<ScratchFolder>("window");
        folder_->enter();
        QVERIFY(QDir::current() == QDir(QString::fromStdString(folder_->path().string())));
        resetControllerState();
        host_.messages.clear();
        installPlatform(&host_);
        window_ = std::make_unique<TMainFrm>();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    void cleanup() {
        window_.reset();
        installPlatform(nullptr);
        resetControllerState();
        folder_.reset();
    }

    // Where a widget of the window lies, in the window's coordinates.
    QRect placeOf(const char* name) {
        auto* widget = window_->findChild<QWidget*>(QString::fromLatin1(name));
        if (widget == nullptr) {
            return {};
        }
        return QRect(widget->mapTo(window_.get(), QPoint(0, 0)), widget->size());
    }

    void theFrontIsLaidOutSoundly() {
        QCOMPARE(window_->windowTitle(), QStringLiteral("KV410"));
        QCOMPARE(window_->size(), QSize(800, 600));
        // The controls of the front lie on the picture and none covers another, so a click
        // reaches the element under it.
        const char* const controls[] = {"LCDDisplay", "RattImage",    "Shape1",       "Shape2",
                                        "Shape3",     "Shape6",       "OnLed",        "AlarmLed",
                                        "VVLed",      "TillskottLed", "KompressorLed"};
        const QRect picture = placeOf("Image1");
        for (const char* name : controls) {
            const QRect place = placeOf(name);
            QVERIFY2(!place.isEmpty(), name);
            QVERIFY2(picture.contains(place), name);
            for (const char* other : controls) {
                QVERIFY2(name == other || !place.intersects(placeOf(other)),
                         qPrintable(QStringLiteral("%1 covers %2").arg(name, other)));
            }
        }
        // The four lines and the Graph lie inside the LCD, the lines in order from the top.
        const QRect lcd = placeOf("LCDDisplay");
        QVERIFY(lcd.contains(placeOf("Graph")));
        int previousTop = lcd.top() - 1;
        for (int line = 1; line <= 4; ++line) {
            const QRect place = placeOf(qPrintable(QStringLiteral("Lbl%1").arg(line)));
            QVERIFY(lcd.contains(place));
            QVERIFY(place.top() > previousTop);
            previousTop = place.top();
        }
        QCOMPARE(window_->findChild<QLabel*>(QStringLiteral("Label4"))->text(),
                 QStringLiteral("Framledning Radiator GT4"));
        QCOMPARE(window_->findChild<QLabel*>(QStringLiteral("Label17"))->text(),
                 QStringLiteral("Shuntventil SV1 Stäng"));
        QCOMPARE(window_->SpeedButtons[3]->toolTip(), QStringLiteral("Högtryckspressostat"));
        QCOMPARE(window_->SpeedButtons[8]->text(), QStringLiteral("Larm"));
        QVERIFY(window_->Panel1->isHidden());
        QVERIFY(window_->Panel2->isHidden());
        QVERIFY(window_->Panel3->isHidden());
        QVERIFY(window_->Pacer->isActive());
        QVERIFY(!Timer3Running);
        // The start values reach the sliders and value boxes.
        QCOMPARE(window_->TrackBars[0]->value(), 217);
        QCOMPARE(window_->Edits[9]->text(), QStringLiteral("-40"));
        QCOMPARE(window_->TrackBars[10]->value(), -500);
    }

    void lcdFontFitsTwentyCharactersInALine() {
        QLabel* label = window_->LcdLineLabels[0];
        const QFontInfo info(label->font());
        QVERIFY(info.bold());
        QCOMPARE(info.pixelSize(), 19);
        QVERIFY2(info.fixedPitch(), qPrintable(info.family()));
        const QFontMetricsF metrics(label->font());
        QVERIFY(metrics.horizontalAdvance(QString(20, u'W')) <= 220.5);
        QVERIFY(metrics.horizontalAdvance(QString(20, u'W')) >= 215);
    }

    void clickAreasReachTheirWords() {
        stopTicks();
        // Power switch.
        IoWords[PowerRequestWord] = 0;
        pressAt({248, 224});
        QCOMPARE(IoWords[PowerRequestWord], uint16_t(1));
        QCOMPARE(idleCountdown, 600);

        // Knob: the first click on a dark display only wakes it.
        IoWords[DisplayAwakeWord] = 0;
        knobSteps = 0;
        const int frame = knobFrame;
        clickAt({507, 335});
        QCOMPARE(IoWords[DisplayAwakeWord], uint16_t(1));
        QCOMPARE(int(knobSteps), 0);
        QCOMPARE(int(knobFrame), frame);
        clickAt({480, 310});
        QCOMPARE(int(knobSteps), 1);
        QCOMPARE(int(knobFrame), (frame + 1) % 12);
        IoWords[MiddleButtonWord] = 0;
        clickAt({507, 335}, Qt::RightButton, Qt::ShiftModifier);
        QCOMPARE(int(knobSteps), -1);
        QCOMPARE(int(knobFrame), frame);
        QVERIFY(IoWords[MiddleButtonWord] & 2);

        // The three buttons under the display, pressed and released short.
        const struct {
            QPoint at;
            int word;
        } buttons[] = {{{228, 437}, 1}, {{303, 437}, 2}, {{377, 437}, 3}};
        for (const auto& button : buttons) {
            wakeDisplay();
            IoWords[LeftButtonWord] = IoWords[MiddleButtonWord] = IoWords[RightButtonWord] = 0;
            pressAt(button.at);
            QVERIFY(Timer3Running);
            QCOMPARE(IoWords[button.word], uint16_t(0));
            releaseAt(button.at);
            QVERIFY(!Timer3Running);
            QCOMPARE(IoWords[button.word], uint16_t(1));
        }
        // The LCD and the picture take no clicks.
        IoWords[LeftButtonWord] = IoWords[MiddleButtonWord] = IoWords[RightButtonWord] = 0;
        clickAt({300, 330});
        clickAt({100, 100});
        QCOMPARE(IoWords[LeftButtonWord] + IoWords[MiddleButtonWord] + IoWords[RightButtonWord], 0);
    }

    void longPressOfTheLeftButtonSetsTheAccessLevel() {
        // The long-press tick runs on the shared schedule, once a second from the press; the
        // ticks are run here one by one, so the level is seen before the dark display's rule
        // takes it back at the next tick.
        stopTicks();
        wakeDisplay();
        IoWords[LeftButtonWord] = 0;
        IoWords[AccessLevelWord] = 1;
        pressAt({228, 437});
        window_->runTicksNow(59);
        QCOMPARE(IoWords[AccessLevelWord], uint16_t(1));
        QVERIFY(Timer3Running);
        window_->runTicksNow(1);
        QCOMPARE(IoWords[AccessLevelWord], uint16_t(2));
        QVERIFY(!Timer3Running);
        releaseAt({228, 437});
        QCOMPARE(IoWords[LeftButtonWord], uint16_t(0));
    }

    void keysReachTheKnobAndTheButtons() {
        stopTicks();
        knobSteps = 0;
        IoWords[DisplayAwakeWord] = 0;
        QTest::keyClick(window_.get(), Qt::Key_Up);
        QCOMPARE(IoWords[DisplayAwakeWord], uint16_t(1));
        QTest::keyClick(window_.get(), Qt::Key_Up);
        QCOMPARE(int(knobSteps), 2);
        QTest::keyClick(window_.get(), Qt::Key_Down);
        QCOMPARE(int(knobSteps), 1);

        const struct {
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            int word;
        } strokes[] = {
            {Qt::Key_Left, {}, 1},   {Qt::Key_Escape, {}, 1}, {Qt::Key_Right, {}, 3},
            {Qt::Key_Return, {}, 3}, {Qt::Key_Enter, {}, 3},  {Qt::Key_Right, Qt::ShiftModifier, 3},
        };
        for (const auto& stroke : strokes) {
            IoWords[LeftButtonWord] = IoWords[RightButtonWord] = 0;
            QTest::keyClick(window_.get(), stroke.key, stroke.modifiers);
            QCOMPARE(IoWords[stroke.word], uint16_t(1));
        }
        // Shift + Left is the middle button; Shift + Up marks the step until the key is released.
        IoWords[LeftButtonWord] = IoWords[MiddleButtonWord] = 0;
        QTest::keyPress(window_.get(), Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(IoWords[MiddleButtonWord], uint16_t(1));
        QCOMPARE(IoWords[LeftButtonWord], uint16_t(0));
        QTest::keyRelease(window_.get(), Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(IoWords[MiddleButtonWord], uint16_t(0));
        knobSteps = 0;
        QTest::keyPress(window_.get(), Qt::Key_Up, Qt::ShiftModifier);
        QCOMPARE(int(knobSteps), 1);
        QCOMPARE(IoWords[MiddleButtonWord], uint16_t(2));
        QTest::keyRelease(window_.get(), Qt::Key_Up, Qt::ShiftModifier);
        QCOMPARE(IoWords[MiddleButtonWord], uint16_t(0));
    }

    void aFocusedSliderLeavesTheArrowsToTheKnob() {
        stopTicks();
        QTest::keyClick(window_.get(), Qt::Key_F2);
        QSlider* slider = window_->TrackBars[2];
        slider->setFocus();
        knobSteps = 0;
        QTest::keyClick(slider, Qt::Key_Up);
        QTest::keyClick(slider, Qt::Key_Right);
        QCOMPARE(slider->value(), 480);
        QCOMPARE(IoWords[Gt3Word], uint16_t(480));
        QCOMPARE(int(knobSteps), 1);
        QCOMPARE(IoWords[RightButtonWord], uint16_t(1));
        // Other keys still move it, and the I/O word follows.
        QTest::keyClick(slider, Qt::Key_PageUp);
        QVERIFY(slider->value() != 480);
        QCOMPARE(int16_t(IoWords[Gt3Word]), int16_t(slider->value()));
    }

    void sliderKeysMoveTheCurrentSlider() {
        stopTicks();
        QTest::keyClick(window_.get(), Qt::Key_Plus);
        QCOMPARE(IoWords[Gt1Word], uint16_t(218));
        QCOMPARE(window_->TrackBars[0]->value(), 218);
        QCOMPARE(window_->Edits[0]->text(), QStringLiteral("218"));
        QTest::keyClick(window_.get(), Qt::Key_Slash);
        QCOMPARE(window_->Edits[0]->text(), QStringLiteral("208"));
        // "1" with the panels shown gives TrackBar1 the focus back.
        QTest::keyClick(window_.get(), Qt::Key_F2);
        window_->TrackBars[5]->setFocus();
        TrackBar1Enter(6);
        QTest::keyClick(window_.get(), Qt::Key_1);
        QCOMPARE(int(currentSlider), 1);
        QTest::keyClick(window_.get(), Qt::Key_Asterisk);
        QCOMPARE(window_->TrackBars[0]->value(), 218);
        QCOMPARE(window_->TrackBars[5]->value(), 900);
    }

    void slidersAndTogglesReachTheirWords() {
        stopTicks();
        window_->setPanelsShown(true);
        window_->TrackBars[4]->setValue(-123);
        QCOMPARE(int16_t(IoWords[Gt5Word]), int16_t(-123));
        QCOMPARE(window_->Edits[4]->text(), QStringLiteral("-123"));
        window_->TrackBars[10]->setValue(1500);
        QCOMPARE(IoWords[Gt3xWord], uint16_t(1500));

        const QColor light = rgb(CaptionLightColour);
        QToolButton* hp = window_->SpeedButtons[3];
        QTest::mouseClick(hp, Qt::LeftButton);
        QCOMPARE(IoWords[HpInputWord], uint16_t(1));
        QCOMPARE(hp->palette().color(QPalette::ButtonText), light);
        QTest::mouseClick(hp, Qt::LeftButton);
        QCOMPARE(IoWords[HpInputWord], uint16_t(0));
        QCOMPARE(hp->palette().color(QPalette::ButtonText), QColor(Qt::black));

        // FFF and Larm share the phase-fault input; Larm shows it.
        QTest::mouseClick(window_->SpeedButtons[7], Qt::LeftButton);
        QCOMPARE(IoWords[PhaseFaultInputWord], uint16_t(1));
        QCOMPARE(window_->SpeedButtons[8]->palette().color(QPalette::ButtonText), light);
        QTest::mouseClick(window_->SpeedButtons[8], Qt::LeftButton);
        QCOMPARE(IoWords[PhaseFaultInputWord], uint16_t(0));

        // GT4 removed: word, slider, value box and caption follow.
        QTest::mouseClick(window_->SpeedButtons[9], Qt::LeftButton);
        QCOMPARE(int16_t(IoWords[Gt4Word]), int16_t(-500));
        QCOMPARE(window_->TrackBars[3]->value(), -500);
        QCOMPARE(window_->Edits[3]->text(), QStringLiteral("-500"));
        QCOMPARE(window_->SpeedButtons[9]->palette().color(QPalette::ButtonText),
                 QColor(Qt::black));
        QTest::mouseClick(window_->SpeedButtons[9], Qt::LeftButton);
        QCOMPARE(IoWords[Gt4Word], uint16_t(217));
    }

    void labelsShowTheLcdLinesLatin1Intact() {
        stopTicks();
        writeLatin1Lines();
        window_->paintChanges();
        QCOMPARE(window_->LcdLineLabels[0]->text(), QStringLiteral("Ute temp   14.0ºC   "));
        QCOMPARE(window_->LcdLineLabels[2]->text(), QStringLiteral("Råd ø Æ  12345678901"));
        // After real ticks the labels show what the controller wrote.
        window_->Pacer->start();
        QTest::qWait(160);
        for (int line = 0; line < 4; ++line) {
            QCOMPARE(window_->LcdLineLabels[line]->text(), QString::fromLatin1(LcdLines[line], 20));
        }
    }

    void lcdAndLedColoursFollowTheModes() {
        stopTicks();
        ControllerCells[UnitOnCell] = 1;
        IoWords[DisplayAwakeWord] = 1;
        IoWords[OnLedWord] = 1;
        IoWords[AlarmLedWord] = 1;
        IoWords[CompressorLedWord] = 0;
        refreshPanel();
        window_->paintChanges();
        QCOMPARE(fillOf(window_->LCDDisplay), rgb(LcdLitColour));
        QVERIFY(!window_->Shape7->isHidden());
        QVERIFY(!window_->Shape5->isHidden());
        QCOMPARE(window_->FrontLeds[OnLed]->fill(), rgb(GreenLedLitColour));
        QCOMPARE(window_->FrontLeds[AlarmLed]->fill(), rgb(AlarmLedLitColour));
        QCOMPARE(window_->FrontLeds[KompressorLed]->fill(), rgb(GreenLedUnlitColour));

        // A blinking LED goes dark at the phase 0 of the blink and lit again at phase 5.
        IoWords[CompressorLedWord] = 2;
        bool sawLit = false;
        bool sawDark = false;
        for (int tick = 0; tick < 11; ++tick) {
            refreshPanel();
            window_->paintChanges();
            const QColor fill = window_->FrontLeds[KompressorLed]->fill();
            sawLit = sawLit || fill == rgb(GreenLedLitColour);
            sawDark = sawDark || fill == rgb(GreenLedUnlitColour);
        }
        QVERIFY(sawLit && sawDark);

        // The unit off: the LCD dark and its glass shapes hidden.
        ControllerCells[UnitOnCell] = 0;
        refreshPanel();
        window_->paintChanges();
        QCOMPARE(fillOf(window_->LCDDisplay), rgb(LcdUnlitColour));
        QVERIFY(window_->Shape7->isHidden());
        QVERIFY(window_->Shape4->isHidden());

        // Relay lamps.
        IoWords[CompressorWord] = 1;
        IoWords[ValveClosePulseWord] = 0;
        paintRelayLamps();
        window_->paintChanges();
        QCOMPARE(window_->Leds[1]->fill(), rgb(LampLitColour));
        QCOMPARE(window_->Leds[5]->fill(), rgb(LampUnlitColour));
    }

    void graphFollowsTheBar() {
        stopTicks();
        QVERIFY(window_->Graph->isHidden());
        showBar(0, 100, 50);
        window_->paintChanges();
        QVERIFY(!window_->Graph->isHidden());
        QImage image(224, 15, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        window_->Graph->render(&image, {}, {}, QWidget::DrawChildren);
        // Scale line over the whole width, the bar only up to barEnd.
        QCOMPARE(qAlpha(image.pixel(220, 11)), 255);
        QCOMPARE(qAlpha(image.pixel(2, 7)), 255);
        QCOMPARE(qAlpha(image.pixel(220, 7)), 0);
        writeText(2, 1, "x");
        window_->paintChanges();
        QVERIFY(window_->Graph->isHidden());
    }

    void knobFramesAreTransparentAroundTheKnob() {
        QImage image(72, 73, QImage::Format_ARGB32);
        for (int frame : {0, 5}) {
            knobFrame = frame;
            image.fill(Qt::transparent);
            window_->RattImage->render(&image, {}, {}, QWidget::DrawChildren);
            QCOMPARE(qAlpha(image.pixel(0, 72)), 0);
            QCOMPARE(qAlpha(image.pixel(71, 0)), 0);
            QCOMPARE(qAlpha(image.pixel(36, 36)), 255);
        }
        // Two frames differ: the knob turns.
        QImage first(72, 73, QImage::Format_ARGB32);
        first.fill(Qt::transparent);
        knobFrame = 0;
        window_->RattImage->render(&first, {}, {}, QWidget::DrawChildren);
        QVERIFY(first != image);
    }

    void f2AndTheButtonShowThePanelsReadably() {
        stopTicks();
        QTest::keyClick(window_.get(), Qt::Key_F2);
        for (QWidget* panel : {window_->Panel1, window_->Panel2, window_->Panel3}) {
            QVERIFY(panel->isVisible());
            QVERIFY(panel->geometry().right() < window_->width());
        }
        QVERIFY(SensorPanelVisible);
        // Labels stand out from their panels.
        for (QLabel* label : window_->Labels) {
            const QColor text = label->palette().color(QPalette::WindowText);
            const QColor back = label->parentWidget()->palette().color(QPalette::Window);
            QVERIFY(std::abs(text.lightness() - back.lightness()) > 120);
        }
        QTest::keyClick(window_.get(), Qt::Key_F2);
        QVERIFY(window_->Panel1->isHidden());
        QCOMPARE(window_->width(), 800);
        QVERIFY(!SensorPanelVisible);
        QTest::mouseClick(window_->PanelsButton, Qt::LeftButton);
        QVERIFY(window_->Panel2->isVisible());
    }

    // The English gloss follows the display in a strip of its own and leaves the LCD, the
    // window's own labels and, once off, their tooltips as they were.
    void theEnglishGlossFollowsTheDisplayBesideIt() {
        stopTicks();
        const QString ownTip = window_->Labels[0]->toolTip();
        window_->setEnglishShown(true);
        QCOMPARE(window_->height(), 600 + 72);
        QCOMPARE(window_->Labels[0]->toolTip(),
                 QString::fromStdString(std::string(labelGloss("Label1"))));
        clickAt({248, 224});
        window_->runTicksNow(3);
        QVERIFY(LcdLit);
        for (int line = 0; line < 4; ++line) {
            QCOMPARE(window_->LcdLineLabels[line]->text(), QString::fromLatin1(LcdLines[line], 20));
            QCOMPARE(window_->GlossLines[line]->text(),
                     QString::fromStdString(glossLine(line + 1)));
        }
        QVERIFY(!window_->GlossLines[1]->text().isEmpty());
        window_->setEnglishShown(false);
        QCOMPARE(window_->height(), 600);
        QCOMPARE(window_->Labels[0]->toolTip(), ownTip);
    }

    // kv410-script's pictures are drawn by the code that paints the window: pixel for pixel the
    // same front, but for the toggle buttons, which the window leaves to the widget style, and
    // the window's own "English" switch.
    void aPictureShowsWhatTheWindowShows() {
        stopTicks();
        ControllerCells[UnitOnCell] = 1;
        IoWords[DisplayAwakeWord] = 1;
        IoWords[OnLedWord] = 1;
        IoWords[AlarmLedWord] = 1;
        IoWords[CompressorLedWord] = 0;
        refreshPanel();
        writeLatin1Lines();
        std::memcpy(LcdLines[3], "Avbryt  gjy|   Lagre", 20);
        showBar(0, 100, 40);
        knobFrame = 7;
        IoWords[CompressorWord] = 1;
        paintRelayLamps();
        window_->paintChanges();
        window_->repaint();

        const auto differingPixels = [this] {
            const QImage shown = window_->grab().toImage().convertToFormat(QImage::Format_RGB32);
            const QImage drawn = front::drawFront();
            if (shown.size() != drawn.size()) {
                return int64_t{-1};
            }
            using front::qrect;
            // The "English" switch is the window's own: pictures keep the front as it was.
            QList<QRect> styled{qrect(layout::MainToggles[0]), qrect(layout::MainToggles[1]),
                                qrect(layout::MainToggles[2]), qrect(layout::PanelsButton),
                                qrect(layout::EnglishButton)};
            if (SensorPanelVisible) {
                // The panels' sliders, value boxes, labels and toggles are styled widgets too;
                // their lamps are painted by the front's code.
                styled += {qrect(layout::Panel1), qrect(layout::Panel3)};
                styled +=
                    qrect(layout::Panel2).adjusted(qrect(layout::lamp(1)).right() + 1, 0, 0, 0);
            }
            int64_t differing = 0;
            for (int y = 0; y < shown.height(); ++y) {
                for (int x = 0; x < shown.width(); ++x) {
                    const bool skipped =
                        std::any_of(styled.begin(), styled.end(),
                                    [&](const QRect& r) { return r.contains(x, y); });
                    differing += !skipped && shown.pixel(x, y) != drawn.pixel(x, y) ? 1 : 0;
                }
            }
            return differing;
        };
        QCOMPARE(differingPixels(), int64_t{0});
        // The unit dark, the Graph gone, the side panels shown.
        ControllerCells[UnitOnCell] = 0;
        refreshPanel();
        writeText(2, 1, "x");
        QTest::keyClick(window_.get(), Qt::Key_F2);
        window_->paintChanges();
        window_->repaint();
        QCOMPARE(differingPixels(), int64_t{0});
    }

    void closingWritesFlashDat() {
        writeFlashWord(3, 0x1234);
        writeFlashWord(1023, 0xBEEF);
        QVERIFY(window_->close());
        QFile file(QStringLiteral("Flash.dat"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(bytes.size(), 2048);
        QCOMPARE(uint8_t(bytes[6]), uint8_t(0x34));
        QCOMPARE(uint8_t(bytes[7]), uint8_t(0x12));
        QCOMPARE(uint8_t(bytes[2046]), uint8_t(0xEF));
        QVERIFY(host_.messages.empty());
        // Destroying the closed window does not save a second time over a changed file.
        file.close();
        QFile::remove(QStringLiteral("Flash.dat"));
        window_.reset();
        QVERIFY(!QFile::exists(QStringLiteral("Flash.dat")));
    }

    void aSavedSettingOutlivesTheWindow() {
        QTest::mouseClick(window_->Shape6, Qt::LeftButton);
        QTest::qWait(200);
        // Quick settings, the heating level's editor, three steps up, save.
        for (int key :
             {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Right}) {
            QTest::keyClick(window_.get(), Qt::Key(key));
            QTest::qWait(150);
        }
        QCOMPARE(ControllerCells[HeatingCurveSlopeCell], int16_t(43));
        QVERIFY(window_->close());
        window_.reset();

        // A new process starts from zeroed memory; the window alone must prepare the rest.
        resetMemory();
        std::memset(MenuNodes, 0, sizeof MenuNodes);
        window_ = std::make_unique<TMainFrm>();
        window_->show();
        QTest::qWait(200);
        QCOMPARE(ControllerCells[HeatingCurveSlopeCell], int16_t(43));
        QCOMPARE(ControllerCells[UnitOnCell], int16_t(1));
        QCOMPARE(window_->LcdLineLabels[0]->text(), QStringLiteral("         ORV      K1"));
    }

    // The same window drawn at another zoom: the geometry of every element follows the scale,
    // so a click where an element is drawn reaches its handler, and the panels' labels keep the
    // room their text needs.
    void everyClickReachesItsElementAtEveryScale() {
        for (const double zoom : {0.5, 0.75, 1.0, 2.0}) {
            window_.reset();
            resetControllerState();
            WindowOptions options;
            options.zoom = zoom;
            window_ = std::make_unique<TMainFrm>(nullptr, options);
            window_->show();
            QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
            stopTicks();
            const QString at = QStringLiteral("zoom %1").arg(zoom);
            QVERIFY2(window_->scale() == zoom, qPrintable(at));
            QCOMPARE(window_->size(), QSize(qRound(800 * zoom), qRound(600 * zoom)));
            const auto centre = [zoom](const LayoutRect& rect) {
                return scaledRect(front::qrect(rect), zoom).center();
            };

            IoWords[PowerRequestWord] = 0;
            pressAt(centre(layout::PowerArea));
            releaseAt(centre(layout::PowerArea));
            QVERIFY2(IoWords[PowerRequestWord] == 1, qPrintable(at));
            IoWords[DisplayAwakeWord] = 0;
            knobSteps = 0;
            clickAt(centre(layout::Knob));
            clickAt(centre(layout::Knob));
            QVERIFY2(IoWords[DisplayAwakeWord] == 1 && knobSteps == 1, qPrintable(at));
            for (int key = 0; key < 3; ++key) {
                wakeDisplay();
                IoWords[LeftButtonWord] = IoWords[MiddleButtonWord] = IoWords[RightButtonWord] = 0;
                clickAt(centre(layout::KeyAreas[key]));
                QVERIFY2(IoWords[LeftButtonWord + key] == 1, qPrintable(at));
            }
            IoWords[LeftButtonWord] = IoWords[MiddleButtonWord] = IoWords[RightButtonWord] = 0;
            clickAt(centre(layout::Lcd));
            QCOMPARE(IoWords[LeftButtonWord] + IoWords[MiddleButtonWord] + IoWords[RightButtonWord],
                     0);
            for (int toggle = 0; toggle < 3; ++toggle) {
                QCOMPARE(window_->childAt(centre(layout::MainToggles[toggle])),
                         window_->SpeedButtons[8 + toggle]);
            }
            clickAt(centre(layout::PanelsButton));
            QVERIFY2(window_->panelsShown(), qPrintable(at));
            QCOMPARE(window_->width(), qRound(953 * zoom));
            for (int n = 1; n <= 11; ++n) {
                const QRect panel = front::qrect(layout::Panel1);
                const QRect slider = front::qrect(layout::slider(n)).translated(panel.topLeft());
                QCOMPARE(window_->childAt(scaledRect(slider, zoom).center()),
                         window_->TrackBars[n - 1]);
            }
            for (QLabel* label : window_->Labels) {
                const QFontMetrics metrics(label->font());
                QVERIFY2(metrics.horizontalAdvance(label->text()) <= label->width(),
                         qPrintable(label->text()));
                QCOMPARE(label->font().pixelSize(), scaledPixels(11, zoom));
                QVERIFY2(label->geometry().right() < label->parentWidget()->width(),
                         qPrintable(at + QStringLiteral(": ") + label->text()));
            }
        }
    }

    // Ctrl+plus, Ctrl+minus and Ctrl+0 zoom the window (and only the window: the unit sees no
    // key) and the zoom is kept for the next start.
    void theZoomKeysScaleTheWindowAndTheZoomIsKept() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(folder_->path().string()));
        stopTicks();
        QCOMPARE(window_->scale(), 1.0);
        IoWords[DisplayAwakeWord] = 0;
        const auto kept = [] {
            return QSettings(QStringLiteral("kv410"), QStringLiteral("kv410"))
                .value(QStringLiteral("zoom"))
                .toDouble();
        };
        QTest::keyClick(window_.get(), Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(window_->scale(), 1.1);
        QCOMPARE(window_->width(), 880);
        QCOMPARE(kept(), 1.1);
        QTest::keyClick(window_.get(), Qt::Key_Minus, Qt::ControlModifier);
        QTest::keyClick(window_.get(), Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(window_->scale(), 0.9);
        QCOMPARE(kept(), 0.9);
        QTest::keyClick(window_.get(), Qt::Key_0, Qt::ControlModifier);
        const double fit = window_->scale();
        QVERIFY2(fit > 2.0 && fit <= MaxZoom, qPrintable(QString::number(fit)));
        QCOMPARE(kept(), fit);
        QCOMPARE(IoWords[DisplayAwakeWord], uint16_t(0));
        // With the panels shown the window still fits the screen.
        QTest::keyClick(window_.get(), Qt::Key_F2);
        QVERIFY(window_->screen()->availableGeometry().contains(window_->frameGeometry()));

        // The next window opens at the kept zoom.
        window_.reset();
        WindowOptions options;
        options.zoom = kept();
        window_ = std::make_unique<TMainFrm>(nullptr, options);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        QCOMPARE(window_->scale(), fit);
    }

    // The window fits the small screens people have (800 x 600, a netbook's 1024 x 600) with
    // its title bar and the side panels, and the zoom steps go as the keys go.
    void theFrontFitsSmallScreens() {
        const QSize frame(8, 32);
        for (const QSize screen : {QSize(1024, 600), QSize(800, 600), QSize(1024, 576)}) {
            for (const bool english : {false, true}) {
                const QSize content(953, 600 + (english ? 72 : 0));
                const double scale = windowScale(1.0, fitScale(screen, frame, content));
                const QSize window = scaledRect(QRect(QPoint(0, 0), content), scale).size();
                QVERIFY(window.width() + frame.width() <= screen.width());
                QVERIFY(window.height() + frame.height() <= screen.height());
                QVERIFY(scale > 0.75);
            }
        }
        QCOMPARE(fitScale({1024, 600}, frame, {953, 600}), 0.94);
        QCOMPARE(windowScale(0, 2.4), 1.0);
        QCOMPARE(windowScale(2.0, 2.4), 2.0);
        QCOMPARE(windowScale(2.0, 0.94), 0.94);
        QCOMPARE(nextZoom(0.94, 1), 1.0);
        QCOMPARE(nextZoom(0.94, -1), 0.9);
        QCOMPARE(nextZoom(MaxZoom, 1), MaxZoom);
        QCOMPARE(nextZoom(MinZoom, -1), MinZoom);
        // Neighbours that touch unscaled still touch scaled.
        const QRect left(3, 5, 7, 9);
        const QRect right(10, 5, 4, 9);
        QCOMPARE(scaledRect(left, 0.75).right() + 1, scaledRect(right, 0.75).left());
    }

    void terminationSignalClosesAndSaves() {
        ShutdownSignals shutdown(window_.get());
        QVERIFY(!QFile::exists(QStringLiteral("Flash.dat")) ||
                QFile::remove(QStringLiteral("Flash.dat")));
        std::raise(SIGTERM);
        QTRY_VERIFY(!window_->isVisible());
        QVERIFY(QFile::exists(QStringLiteral("Flash.dat")));
        QCOMPARE(QFile(QStringLiteral("Flash.dat")).size(), qint64(2048));
    }
};

KV410_QT_TEST(MainWindowTest)

#include "MainWindowTest.moc"
