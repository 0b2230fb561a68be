// The small element kinds of the front panel window: picture, knob, click area, LED, LCD line,
// Graph. Each paints with the front's painting code (pictures/FrontPicture), which also draws
// kv410-script's pictures.
#pragma once

#include <QColor>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QWidget>

#include <functional>

class QPainter;

namespace kv410 {

// A picture drawn stretched over the whole element (Image1); at another size than its own, or on
// a high-DPI screen, it is scaled smoothly to the element's device pixels once.
class PictureBox : public QWidget {
public:
    PictureBox(const QPixmap& picture, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
    QPixmap scaled_;
};

// The knob (RattImage): shows one of twelve frames, the bottom-left pixel's colour transparent;
// scaled smoothly to the element's device pixels as the picture is.
class KnobImage : public QWidget {
public:
    explicit KnobImage(QWidget* parent);
    // Called on every mouse press with the button and the Shift state.
    std::function<void(Qt::MouseButton, bool)> onMouseDown;
    // The frame to show, 0..11.
    std::function<int()> frame;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QImage scaled_[12];
    QSize scaledSize_;
};

// The painter of an element drawn by the front's code in unscaled pixels (an LCD line, the
// Graph): scaled from the element's unscaled size to its size now, so text and lines are drawn
// sharp at any scale.
void scaleToElement(QPainter& painter, const QWidget& element, QSize unscaled);

// A click area over a part of the picture (Shape1..Shape3, Shape6); outlined or invisible.
class ClickArea : public QWidget {
public:
    ClickArea(bool outlined, QWidget* parent);
    std::function<void()> onMouseDown;
    std::function<void()> onMouseUp;
    // Shades the area while its button is held (a played script's presses show too).
    void setPressed(bool pressed);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool outlined_;
    bool pressed_ = false;
};

// A 16 x 16 filled circle with an outline: the front LEDs and the relay lamps.
class LedShape : public QWidget {
public:
    LedShape(QColor fill, QColor outline, QWidget* parent);
    // Repaints only when the colour really changes.
    void setFill(QColor fill);
    QColor fill() const { return fill_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor fill_;
    QColor outline_;
};

// A plain filled rectangle without outline (the LCD glass shadows and highlights).
class FilledRect : public QWidget {
public:
    FilledRect(QColor fill, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor fill_;
};

// One line of the LCD (Lbl1..Lbl4): its text in the LCD's font, painted as in a picture.
class LcdLineLabel : public QLabel {
public:
    explicit LcdLineLabel(QWidget* parent);
    // The line's size in the layout table; empty: its size now.
    QSize unscaled;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The paint area over LCD line 2 that draws the scale line and the bar or marker.
class GraphArea : public QWidget {
public:
    explicit GraphArea(QWidget* parent);
    // Redraws when the bar moved.
    void setBar(int start, int end);
    // The Graph's size in the layout table; empty: its size now.
    QSize unscaled;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int barStart_ = 0;
    int barEnd_ = 0;
};

} // namespace kv410
