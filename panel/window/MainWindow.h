// TMainFrm: the simulator's window. It turns Qt events into calls of the front panel logic and
// paints the panel's state; it decides nothing itself.
#pragma once

#include "panel/FrontPanel.h"
#include "panel/window/PanelWidgets.h"
#include "pictures/FrontPicture.h"

#include <QWidget>

class QFrame;
class QLabel;
class QLineEdit;
class QSlider;
class QTimer;
class QToolButton;

namespace kv410 {

// Width of the client area with the picture only, and with the side panels shown.
inline constexpr int ClientWidth = front::Width;
inline constexpr int ClientWidthWithPanels = front::WidthWithPanels;
inline constexpr int ClientHeight = front::Height;

// The front panel window with every element at its place, under its name.
class TMainFrm : public QWidget {
    Q_OBJECT
public:
    // Builds the elements and runs FormCreate (Flash.dat is read).
    explicit TMainFrm(QWidget* parent = nullptr);
    // Saves Flash.dat unless the window was closed (and saved) before.
    ~TMainFrm() override;

    // Shows or hides the three side panels; the window widens so that all of Panel1 is seen.
    void setPanelsShown(bool shown);
    // True while the side panels are shown.
    bool panelsShown() const;
    // Brings the elements in line with the panel's paint state, touching only what changed.
    void paintChanges();

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
    QFrame* Panel1 = nullptr;
    QFrame* Panel2 = nullptr;
    QFrame* Panel3 = nullptr;
    // TrackBar1..TrackBar11, Edit1..Edit11, Label1..Label21, Led1..Led10.
    QSlider* TrackBars[11] = {};
    QLineEdit* Edits[11] = {};
    QLabel* Labels[21] = {};
    LedShape* Leds[10] = {};
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    QTimer* Timer3 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildFront();
    void buildPanels();
    QToolButton* makeToggle(QWidget* parent, const QRect& geometry, const char* caption,
                            const char* hint);
    // Keeps the long-press timer in step with the panel logic, then paints.
    void afterHandler();
    bool keyEvent(QWidget* receiver, QKeyEvent* event, bool press);
    void FormDestroyOnce();

    bool shown_ = false;
    bool destroyed_ = false;
    bool forwarding_ = false;
    bool paintedOnce_ = false;
    uint32_t seenLeds_ = 0;
    uint32_t seenLamps_ = 0;
    uint32_t seenKnob_ = 0;
    uint32_t seenSliders_ = 0;
    uint32_t seenCaptions_ = 0;
    char shownLines_[4][21] = {};
};

} // namespace kv410
