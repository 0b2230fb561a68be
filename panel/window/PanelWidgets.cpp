#include "panel/window/PanelWidgets.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>

namespace kv410 {

namespace {

// A knob frame with every pixel of its bottom-left pixel's colour made transparent.
QPixmap transparentFrame(const QString& resource) {
    QImage image = QImage(resource).convertToFormat(QImage::Format_ARGB32);
    if (image.isNull()) {
        return {};
    }
    const QRgb key = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] == key) {
                line[x] = qRgba(0, 0, 0, 0);
            }
        }
    }
    return QPixmap::fromImage(image);
}

} // namespace

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
    const int n = frame ? frame() : 0;
    if (n >= 0 && n < 12) {
        // Each frame is prepared when it is first shown, so the window opens without waiting
        // for all twelve.
        if (frames_[n].isNull()) {
            frames_[n] =
                transparentFrame(QStringLiteral(":/ID_RATT%1").arg(n + 1, 2, 10, QChar(u'0')));
        }
        QPainter painter(this);
        painter.drawPixmap(0, 0, frames_[n]);
    }
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
        painter.setPen(Qt::black);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
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
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(outline_, 1));
    painter.setBrush(fill_);
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
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
    QPen pen(Qt::black, 2, Qt::SolidLine, Qt::FlatCap);
    painter.setPen(pen);
    painter.drawLine(QPointF(0, 11), QPointF(width(), 11));
    if (barEnd_ != barStart_) {
        pen.setWidth(4);
        painter.setPen(pen);
        painter.drawLine(QPointF(barStart_, 8), QPointF(barEnd_, 8));
        painter.drawLine(QPointF(barStart_, 14), QPointF(barEnd_, 14));
    }
}

} // namespace kv410
