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
    const qreal ratio = devicePixelRatioF();
    if (picture_.size() == size() && ratio == 1.0) {
        painter.drawPixmap(dirty, picture_, dirty);
        return;
    }
    const QSize device = (QSizeF(size()) * ratio).toSize();
    if (scaled_.size() != device) {
        scaled_ = picture_.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        scaled_.setDevicePixelRatio(ratio);
    }
    painter.drawPixmap(QRectF(dirty), scaled_,
                       QRectF(QPointF(dirty.topLeft()) * ratio, QSizeF(dirty.size()) * ratio));
}

KnobImage::KnobImage(QWidget* parent) : QWidget(parent) {}

void KnobImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int shown = frame ? frame() : 0;
    const QImage& image = front::knobFrameImage(shown);
    const qreal ratio = devicePixelRatioF();
    if (image.size() == size() && ratio == 1.0) {
        painter.drawImage(0, 0, image);
        return;
    }
    const QSize device = (QSizeF(size()) * ratio).toSize();
    if (scaledSize_ != device) {
        scaledSize_ = device;
        for (QImage& frameImage : scaled_) {
            frameImage = QImage();
        }
    }
    if (shown < 0 || shown >= 12) {
        return;
    }
    QImage& scaled = scaled_[shown];
    if (scaled.isNull() && !image.isNull()) {
        scaled = image.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        scaled.setDevicePixelRatio(ratio);
    }
    painter.drawImage(QPointF(0, 0), scaled);
}

void scaleToElement(QPainter& painter, const QWidget& element, QSize unscaled) {
    if (!unscaled.isEmpty() && unscaled != element.size()) {
        painter.scale(double(element.width()) / unscaled.width(),
                      double(element.height()) / unscaled.height());
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
    scaleToElement(painter, *this, unscaled);
    front::paintGraph(painter, unscaled.isEmpty() ? width() : unscaled.width(), barStart_, barEnd_);
}

LcdLineLabel::LcdLineLabel(QWidget* parent) : QLabel(parent) {
    setFont(front::lcdFont());
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LcdLineLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    scaleToElement(painter, *this, unscaled);
    front::paintLcdLine(painter, unscaled.isEmpty() ? rect() : QRect(QPoint(0, 0), unscaled),
                        text());
}

} // namespace kv410
