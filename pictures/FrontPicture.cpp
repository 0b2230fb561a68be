#include "pictures/FrontPicture.h"

#include "display/Lcd.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

// The artwork is compiled into this static library; it must be registered by name.
static void initArtworkResource() {
    Q_INIT_RESOURCE(kv410);
}

namespace kv410::front {

namespace {

// A font drawn the same on every machine: unhinted, grey-scale smoothing only, whatever the
// machine's font settings say.
QFont steadyFont(QFont font) {
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::NoSubpixelAntialias);
    return font;
}

// A knob frame with its background made transparent (clearKnobBackground).
QImage transparentFrame(const QString& resource) {
    QImage image = QImage(resource).convertToFormat(QImage::Format_ARGB32);
    if (image.isNull()) {
        return {};
    }
    clearKnobBackground(reinterpret_cast<uint32_t*>(image.bits()), image.width(), image.height());
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// A flat button of the side panels and beside the picture: face, outline, bold caption.
void paintToggle(QPainter& painter, const QRect& rect, const char* caption, bool light) {
    painter.fillRect(rect, colour(ToggleFace));
    painter.setPen(QColor(84, 90, 100));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    painter.setFont(steadyFont(windowFont(true)));
    painter.setPen(colour(light ? CaptionLightColour : CaptionBlackColour));
    painter.drawText(rect, Qt::AlignCenter, QString::fromUtf8(caption));
}

// A label of the side panels at its place, one line high.
void paintLabel(QPainter& painter, QPoint at, const char* text) {
    const QFont font = steadyFont(windowFont(true));
    painter.setFont(font);
    painter.setPen(colour(PanelLabelColour));
    const QString label = QString::fromUtf8(text);
    const QFontMetricsF metrics(font);
    const QRectF rect(at, QSizeF(metrics.horizontalAdvance(label) + 2, metrics.height()));
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter, label);
}

// A sunken panel: the window's white with a shadow line at the top and the left.
void paintPanelFrame(QPainter& painter, const QRect& rect) {
    painter.fillRect(rect, Qt::white);
    painter.setPen(QColor(159, 159, 159));
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft() - QPoint(0, 1));
}

// A horizontal slider: groove, the part up to the handle, and the handle.
void paintSlider(QPainter& painter, const QRect& rect, int position) {
    const int handleWidth = 12;
    const int travel = rect.width() - handleWidth;
    const int handleX =
        rect.left() + travel * (position - SliderMin) / (SliderMax - SliderMin) + handleWidth / 2;
    const int middle = rect.top() + rect.height() / 2;
    painter.setPen(QColor(170, 170, 170));
    painter.setBrush(QColor(226, 226, 226));
    painter.drawRect(QRect(rect.left() + 2, middle - 2, rect.width() - 5, 4));
    painter.fillRect(QRect(rect.left() + 3, middle - 1, handleX - rect.left() - 3, 3),
                     QColor(48, 140, 198));
    painter.setPen(QColor(140, 140, 140));
    painter.setBrush(QColor(246, 246, 246));
    painter.drawRect(QRect(handleX - handleWidth / 2, middle - 7, handleWidth - 1, 13));
}

// A read-only value box: white, outlined, the text right-aligned.
void paintValueBox(QPainter& painter, const QRect& rect, const char* text) {
    painter.setPen(QColor(170, 170, 170));
    painter.setBrush(Qt::white);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    painter.setFont(steadyFont(windowFont(false)));
    painter.setPen(Qt::black);
    painter.drawText(rect.adjusted(2, 0, -3, 0), Qt::AlignRight | Qt::AlignVCenter,
                     QString::fromLatin1(text));
}

void paintPanels(QPainter& painter) {
    paintPanelFrame(painter, qrect(layout::Panel1));
    painter.save();
    painter.translate(qrect(layout::Panel1).topLeft());
    for (int n = 1; n <= 11; ++n) {
        paintSlider(painter, qrect(layout::slider(n)), SliderPositions[n - 1]);
        paintValueBox(painter, qrect(layout::valueBox(n)), SliderTexts[n - 1]);
        paintLabel(painter, qpoint(layout::sensorLabel(n)), SensorLabels[n - 1]);
    }
    painter.restore();

    paintPanelFrame(painter, qrect(layout::Panel2));
    painter.save();
    painter.translate(qrect(layout::Panel2).topLeft());
    for (int n = 1; n <= 10; ++n) {
        paintLed(painter, qrect(layout::lamp(n)), lampFill(RelayLampLit[n - 1]),
                 colour(GreenLedOutline));
        paintLabel(painter, qpoint(layout::lampLabel(n)), LampLabels[n - 1]);
    }
    painter.restore();

    paintPanelFrame(painter, qrect(layout::Panel3));
    painter.save();
    painter.translate(qrect(layout::Panel3).topLeft());
    for (int n = 1; n <= 8; ++n) {
        paintToggle(painter, qrect(layout::inputToggle(n)), ToggleCaptions[n - 1],
                    CaptionLight[n - 1]);
    }
    painter.restore();
}

} // namespace

QColor colour(PanelColour colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

QFont lcdFont() {
    QFont font(QStringLiteral("Liberation Mono"));
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(19);
    font.setBold(true);
    // The same glyphs in the window and in every picture, on every machine.
    font = steadyFont(font);
    const qreal advance = QFontMetricsF(font).horizontalAdvance(QLatin1Char('M'));
    font.setLetterSpacing(QFont::AbsoluteSpacing, 11.0 - advance);
    return font;
}

QFont windowFont(bool bold) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    font.setBold(bold);
    return font;
}

QColor lcdColour(bool lit) {
    return colour(lit ? LcdLitColour : LcdUnlitColour);
}

QColor frontLedFill(int led, bool lit) {
    if (led == AlarmLed) {
        return colour(lit ? AlarmLedLitColour : AlarmLedUnlitColour);
    }
    return colour(lit ? GreenLedLitColour : GreenLedUnlitColour);
}

QColor frontLedOutline(int led) {
    return colour(led == AlarmLed ? AlarmLedOutline : GreenLedOutline);
}

QColor lampFill(bool lit) {
    return colour(lit ? LampLitColour : LampUnlitColour);
}

void registerArtwork() {
    static const bool registered = [] {
        initArtworkResource();
        return true;
    }();
    (void)registered;
}

const QImage& pictureImage() {
    static const QImage image = [] {
        registerArtwork();
        return QImage(QStringLiteral(":/Image1"))
            .convertToFormat(QImage::Format_RGB32)
            .scaled(layout::Width, layout::Height);
    }();
    return image;
}

const QImage& knobFrameImage(int frame) {
    // Each frame is prepared when it is first shown, so a window opens without waiting for all.
    static QImage frames[12];
    static const QImage none;
    if (frame < 0 || frame >= 12) {
        return none;
    }
    if (frames[frame].isNull()) {
        registerArtwork();
        frames[frame] =
            transparentFrame(QStringLiteral(":/ID_RATT%1").arg(frame + 1, 2, 10, QChar(u'0')));
    }
    return frames[frame];
}

void paintLcdLine(QPainter& painter, const QRect& rect, const QString& text) {
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.setFont(lcdFont());
    painter.setPen(Qt::black);
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter, text);
    painter.restore();
}

void paintGraph(QPainter& painter, int width, int start, int end) {
    QPen pen(Qt::black, 2, Qt::SolidLine, Qt::FlatCap);
    painter.setPen(pen);
    painter.drawLine(QPointF(0, 11), QPointF(width, 11));
    if (end != start) {
        pen.setWidth(4);
        painter.setPen(pen);
        painter.drawLine(QPointF(start, 8), QPointF(end, 8));
        painter.drawLine(QPointF(start, 14), QPointF(end, 14));
    }
}

void paintLed(QPainter& painter, const QRect& rect, const QColor& fill, const QColor& outline) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(outline, 1));
    painter.setBrush(fill);
    painter.drawEllipse(QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5));
    painter.restore();
}

void paintClickArea(QPainter& painter, const QRect& rect) {
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
}

QImage drawFront() {
    const bool panels = SensorPanelVisible;
    QImage image(panels ? layout::WidthWithPanels : layout::Width, layout::Height,
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.drawImage(qrect(layout::Picture), pictureImage());

    // The LCD: background, the glass when lit, the lines, the Graph.
    painter.save();
    const QRect lcd = qrect(layout::Lcd);
    painter.translate(lcd.topLeft());
    painter.setClipRect(QRect(QPoint(0, 0), lcd.size()));
    painter.fillRect(QRect(QPoint(0, 0), lcd.size()), lcdColour(LcdLit));
    if (LcdLit) {
        for (const GlassPiece& piece : LcdGlass) {
            painter.fillRect(piece.rect, colour(piece.colour));
        }
    }
    for (int line = 0; line < 4; ++line) {
        paintLcdLine(painter, qrect(layout::LcdLines[line]),
                     QString::fromLatin1(LcdLines[line], 20));
    }
    if (GraphVisible) {
        const QRect graph = qrect(layout::Graph);
        painter.translate(graph.topLeft());
        painter.setClipRect(QRect(QPoint(0, 0), graph.size()));
        paintGraph(painter, graph.width(), barStart, barEnd);
    }
    painter.restore();

    painter.drawImage(qrect(layout::Knob).topLeft(), knobFrameImage(knobFrame));
    for (const LayoutRect& area : layout::KeyAreas) {
        paintClickArea(painter, qrect(area));
    }
    for (int led = 0; led < FrontLedCount; ++led) {
        paintLed(painter, frontLedRect(led), frontLedFill(led, FrontLedLit[led]),
                 frontLedOutline(led));
    }
    for (int n = 9; n <= 11; ++n) {
        paintToggle(painter, qrect(layout::MainToggles[n - 9]), ToggleCaptions[n - 1],
                    CaptionLight[n - 1]);
    }
    paintToggle(painter, qrect(layout::PanelsButton), PanelsButtonCaption, panels);
    if (panels) {
        paintPanels(painter);
    }
    return image;
}

} // namespace kv410::front
