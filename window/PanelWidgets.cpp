#include "window/PanelWidgets.h"

#include "pictures/FrontPicture.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>

namespace kv410 {

PictureBox::PictureBox(const QPixmap& picture, QWidget* parent)
    : QWidget(parent), picture_(picture) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect dirty = event->rect();
    if (picture_.size() == size()) {
        painter.drawPixmap(dirty, picture_, dirty);
    } else {
        painter.drawPixmap(rect(), picture_);
    }
}

KnobImage::KnobImage(QWidget* parent) : QWidget(parent) {}

void KnobImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, front::knobFrameImage(frame ? frame() : 0));
}

void KnobImage::mousePressEvent(QMouseEvent* event) {
    if (onMouseDown) {
        onMouseDown(event->button(), event->modifiers().testFlag(Qt::ShiftModifier));
    }
}

ClickArea::ClickArea(bool outlined, QWidget* parent) : QWidget(parent), outlined_(outlined) {}

void ClickArea::setPressed(bool pressed) {
    if (pressed != pressed_) {
        pressed_ = pressed;
        update();
    }
}

void ClickArea::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (pressed_) {
        painter.fillRect(rect(), QColor(0, 0, 0, 70));
    }
    if (outlined_) {
        front::paintClickArea(painter, rect());
    }
}

void ClickArea::mousePressEvent(QMouseEvent*) {
    if (onMouseDown) {
        onMouseDown();
    }
}

void ClickArea::mouseReleaseEvent(QMouseEvent*) {
    if (onMouseUp) {
        onMouseUp();
    }
}

LedShape::LedShape(QColor fill, QColor outline, QWidget* parent)
    : QWidget(parent), fill_(fill), outline_(outline) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LedShape::setFill(QColor fill) {
    if (fill != fill_) {
        fill_ = fill;
        update();
    }
}

void LedShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    front::paintLed(painter, rect(), fill_, outline_);
}

FilledRect::FilledRect(QColor fill, QWidget* parent) : QWidget(parent), fill_(fill) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void FilledRect::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), fill_);
}

GraphArea::GraphArea(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void GraphArea::setBar(int start, int end) {
    if (start != barStart_ || end != barEnd_) {
        barStart_ = start;
        barEnd_ = end;
        update();
    }
}

void GraphArea::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    front::paintGraph(painter, width(), barStart_, barEnd_);
}

LcdLineLabel::LcdLineLabel(QWidget* parent) : QLabel(parent) {
    setFont(front::lcdFont());
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LcdLineLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    front::paintLcdLine(painter, rect(), text());
}

} // namespace kv410
