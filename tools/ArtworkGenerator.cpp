// Draws the front picture of the unit (Image1) and the twelve knob frames, as 256-colour PNGs;
// with --icons, the program's icon in the hicolor sizes and as SVG.
//
// Usage: kv410-artwork OUTPUT_DIR          (run with QT_QPA_PLATFORM=offscreen)
//        kv410-artwork --icons ICON_DIR    (writes ICON_DIR/hicolor/.../apps/kv410.{png,svg})
#include "panel/FrontLayout.h"
#include "panel/PanelPaint.h"

#include <QBuffer>
#include <QColor>
#include <QConicalGradient>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

namespace {

// The flat colour of the knob recess; the knob frames use it as their transparent background.
const QColor RecessColour(46, 48, 52);
// Where the elements lie: the front's layout table, which the window and the page read too.
QRectF rectOf(const kv410::LayoutRect& r) {
    return QRectF(r.left, r.top, r.width, r.height);
}
QPointF ledCentre(int led) {
    const kv410::LayoutPoint at = kv410::layout::FrontLeds[led];
    return QPointF(at.left + kv410::layout::LedSize / 2, at.top + kv410::layout::LedSize / 2);
}

// Centre of the knob in the front picture (RattImage).
const QPointF KnobCentre = rectOf(kv410::layout::Knob).center();

struct LedSocket {
    QPointF centre;
    const char* label;
};

// The five front LEDs (16 x 16 circles) and the legend printed under each.
constexpr int LedCount = 5;
const LedSocket LedSockets[LedCount] = {
    {ledCentre(kv410::OnLed), "DRIFT"},
    {ledCentre(kv410::AlarmLed), "LARM"},
    {ledCentre(kv410::VVLed), "VARMVATTEN"},
    {ledCentre(kv410::TillskottLed), "TILLSKOTT"},
    {ledCentre(kv410::KompressorLed), "KOMPRESSOR"},
};

QFont uiFont(const char* family, int pixelSize, int weight, double spacing = 0) {
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixelSize);
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setHintingPreference(QFont::PreferNoHinting);
    if (spacing != 0) {
        font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    }
    return font;
}

// --- Reduction to 256 colours -----------------------------------------------------------------

struct ColourBox {
    std::vector<std::pair<QRgb, int>> colours;
    int spread(int* channel) const {
        int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
        for (const auto& [rgb, count] : colours) {
            const int c[3] = {qRed(rgb), qGreen(rgb), qBlue(rgb)};
            for (int i = 0; i < 3; ++i) {
                lo[i] = std::min(lo[i], c[i]);
                hi[i] = std::max(hi[i], c[i]);
            }
        }
        int best = 0;
        for (int i = 1; i < 3; ++i) {
            if (hi[i] - lo[i] > hi[best] - lo[best]) {
                best = i;
            }
        }
        *channel = best;
        return hi[best] - lo[best];
    }
    QRgb average() const {
        double sum[3] = {0, 0, 0};
        double total = 0;
        for (const auto& [rgb, count] : colours) {
            sum[0] += qRed(rgb) * double(count);
            sum[1] += qGreen(rgb) * double(count);
            sum[2] += qBlue(rgb) * double(count);
            total += count;
        }
        return qRgb(int(sum[0] / total + 0.5), int(sum[1] / total + 0.5),
                    int(sum[2] / total + 0.5));
    }
};

// Median cut over the picture's colours; the reserved colours keep exact palette entries.
QVector<QRgb> buildPalette(const QImage& image, const QVector<QRgb>& reserved) {
    std::map<QRgb, int> histogram;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb rgb = line[x] | 0xff000000u;
            if (!reserved.contains(rgb)) {
                ++histogram[rgb];
            }
        }
    }
    const int wanted = 256 - int(reserved.size());
    std::vector<ColourBox> boxes(1);
    boxes[0].colours.assign(histogram.begin(), histogram.end());
    while (int(boxes.size()) < wanted) {
        int pick = -1;
        int pickSpread = 0;
        for (int i = 0; i < int(boxes.size()); ++i) {
            int channel = 0;
            const int s = boxes[i].spread(&channel);
            if (boxes[i].colours.size() > 1 && s > pickSpread) {
                pick = i;
                pickSpread = s;
            }
        }
        if (pick < 0) {
            break;
        }
        int channel = 0;
        boxes[pick].spread(&channel);
        auto& list = boxes[pick].colours;
        const auto key = [channel](QRgb c) {
            return channel == 0 ? qRed(c) : channel == 1 ? qGreen(c) : qBlue(c);
        };
        std::sort(list.begin(), list.end(),
                  [&](const auto& a, const auto& b) { return key(a.first) < key(b.first); });
        long long total = 0;
        for (const auto& entry : list) {
            total += entry.second;
        }
        long long running = 0;
        std::size_t cut = 1;
        for (; cut < list.size(); ++cut) {
            running += list[cut - 1].second;
            if (running * 2 >= total) {
                break;
            }
        }
        cut = std::clamp<std::size_t>(cut, 1, list.size() - 1);
        ColourBox upper;
        upper.colours.assign(list.begin() + std::ptrdiff_t(cut), list.end());
        list.resize(cut);
        boxes.push_back(std::move(upper));
    }
    QVector<QRgb> palette = reserved;
    for (const auto& box : boxes) {
        if (!box.colours.empty()) {
            palette.push_back(box.average());
        }
    }
    while (palette.size() < 256) {
        palette.push_back(qRgb(0, 0, 0));
    }
    return palette;
}

// An 8-bit indexed copy of the picture, each pixel mapped to its nearest palette colour.
QImage toIndexed(const QImage& source, const QVector<QRgb>& reserved) {
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const QVector<QRgb> palette = buildPalette(image, reserved);
    QImage out(image.size(), QImage::Format_Indexed8);
    out.setColorTable(palette);
    std::map<QRgb, uchar> cache;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        uchar* target = out.scanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            const QRgb rgb = line[x] | 0xff000000u;
            auto found = cache.find(rgb);
            if (found == cache.end()) {
                int best = 0;
                int bestDistance = 1 << 30;
                for (int i = 0; i < palette.size(); ++i) {
                    const int dr = qRed(rgb) - qRed(palette[i]);
                    const int dg = qGreen(rgb) - qGreen(palette[i]);
                    const int db = qBlue(rgb) - qBlue(palette[i]);
                    const int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
                    if (d < bestDistance) {
                        bestDistance = d;
                        best = i;
                    }
                }
                found = cache.emplace(rgb, uchar(best)).first;
            }
            target[x] = found->second;
        }
    }
    return out;
}

// --- Pieces of the front ----------------------------------------------------------------------

void drawScrew(QPainter& p, QPointF c, double angle) {
    QRadialGradient head(c - QPointF(2, 2), 7);
    head.setColorAt(0, QColor(240, 240, 238));
    head.setColorAt(1, QColor(120, 122, 126));
    p.setPen(QPen(QColor(90, 92, 96), 1));
    p.setBrush(head);
    p.drawEllipse(c, 6, 6);
    p.save();
    p.translate(c);
    p.rotate(angle);
    p.setPen(QPen(QColor(70, 72, 76), 1.6));
    p.drawLine(QPointF(-3.5, 0), QPointF(3.5, 0));
    p.drawLine(QPointF(0, -3.5), QPointF(0, 3.5));
    p.restore();
}

// Light lacquered sheet of the cabinet, the background of the whole picture.
void drawCabinet(QPainter& p) {
    QLinearGradient sheet(0, 0, 0, 600);
    sheet.setColorAt(0, QColor(236, 236, 232));
    sheet.setColorAt(1, QColor(218, 219, 215));
    p.fillRect(QRect(0, 0, 800, 600), sheet);
    // The seam between the controller's door and the cabinet side.
    p.setPen(QPen(QColor(190, 191, 187), 2));
    p.drawLine(QPointF(616, 0), QPointF(616, 600));
    p.setPen(QPen(QColor(250, 250, 248), 1));
    p.drawLine(QPointF(618, 0), QPointF(618, 600));
    drawScrew(p, QPointF(780, 20), 20);
    drawScrew(p, QPointF(780, 580), 65);
}

// The brushed aluminium panel that carries the controls.
void drawFrontPlate(QPainter& p) {
    const QRectF plate(18, 18, 588, 564);
    // Soft shadow on the cabinet.
    for (int i = 8; i > 0; --i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 7));
        p.drawRoundedRect(plate.adjusted(-i + 3, -i + 4, i + 3, i + 4), 16 + i, 16 + i);
    }
    QPainterPath outline;
    outline.addRoundedRect(plate, 14, 14);
    QLinearGradient metal(0, plate.top(), 0, plate.bottom());
    metal.setColorAt(0, QColor(206, 209, 212));
    metal.setColorAt(0.5, QColor(190, 193, 197));
    metal.setColorAt(1, QColor(174, 177, 181));
    p.fillPath(outline, metal);
    // Brushing: fine horizontal streaks.
    p.save();
    p.setClipPath(outline);
    QRandomGenerator random(410);
    for (int y = int(plate.top()); y < int(plate.bottom()); ++y) {
        const int light = random.bounded(2) == 0;
        const int alpha = 6 + random.bounded(10);
        p.setPen(QPen(light ? QColor(255, 255, 255, alpha) : QColor(0, 0, 0, alpha), 1));
        const double start = plate.left() + random.bounded(60);
        p.drawLine(QPointF(start, y + 0.5), QPointF(plate.right() - random.bounded(60), y + 0.5));
    }
    p.restore();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(250, 251, 252), 1.5));
    p.drawRoundedRect(plate.adjusted(1.5, 1.5, -1.5, -1.5), 13, 13);
    p.setPen(QPen(QColor(120, 123, 128), 1.2));
    p.drawRoundedRect(plate, 14, 14);
    drawScrew(p, QPointF(36, 36), 15);
    drawScrew(p, QPointF(588, 36), 70);
    drawScrew(p, QPointF(36, 564), 40);
    drawScrew(p, QPointF(588, 564), 5);
}

// Maker's badge and the model name in the upper left corner.
void drawMaker(QPainter& p) {
    const QRectF badge(52, 52, 118, 56);
    QLinearGradient blue(0, badge.top(), 0, badge.bottom());
    blue.setColorAt(0, QColor(38, 84, 156));
    blue.setColorAt(1, QColor(18, 50, 108));
    p.setPen(QPen(QColor(12, 34, 78), 1.2));
    p.setBrush(blue);
    p.drawRoundedRect(badge, 6, 6);
    p.setPen(QColor(255, 255, 255));
    p.setFont(uiFont("Liberation Sans", 40, QFont::Black, 4));
    p.drawText(badge.adjusted(4, 0, 0, -2), Qt::AlignCenter, QStringLiteral("ORV"));
    p.setPen(QColor(40, 46, 58));
    p.setFont(uiFont("Liberation Sans", 9, QFont::Bold, 2.2));
    p.drawText(QRectF(52, 110, 118, 14), Qt::AlignCenter, QStringLiteral("INDUSTRIER"));

    p.setFont(uiFont("Liberation Sans", 30, QFont::Bold, 1));
    p.setPen(QColor(255, 255, 255, 150));
    p.drawText(QPointF(53, 165), QStringLiteral("KAVO 410"));
    p.setPen(QColor(36, 40, 48));
    p.drawText(QPointF(52, 164), QStringLiteral("KAVO 410"));
    p.setPen(QPen(QColor(36, 40, 48), 1.5));
    p.drawLine(QPointF(52, 174), QPointF(196, 174));
    p.setFont(uiFont("Liberation Sans", 9, QFont::DemiBold, 1.2));
    p.drawText(QPointF(52, 188), QStringLiteral("VÄRMEPUMPSTYRNING"));
}

// Chrome rings round the five LEDs, a printed trace joining them, and their legends.
void drawLedSockets(QPainter& p) {
    QPainterPath trace;
    trace.moveTo(LedSockets[0].centre);
    for (int i = 1; i < LedCount; ++i) {
        const QPointF a = LedSockets[i - 1].centre;
        const QPointF b = LedSockets[i].centre;
        trace.quadTo(QPointF(a.x() + (b.x() - a.x()) * 0.3, b.y() + (a.y() - b.y()) * 0.2), b);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(110, 114, 120), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(trace);
    p.setPen(QPen(QColor(226, 229, 232), 1, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(trace.translated(0, 2));
    for (const auto& led : LedSockets) {
        QConicalGradient chrome(led.centre, 45);
        chrome.setColorAt(0, QColor(250, 250, 250));
        chrome.setColorAt(0.25, QColor(150, 153, 158));
        chrome.setColorAt(0.5, QColor(235, 236, 238));
        chrome.setColorAt(0.75, QColor(110, 113, 118));
        chrome.setColorAt(1, QColor(250, 250, 250));
        p.setPen(QPen(QColor(80, 83, 88), 1));
        p.setBrush(chrome);
        p.drawEllipse(led.centre, 13, 13);
        p.setBrush(QColor(22, 24, 26));
        p.setPen(Qt::NoPen);
        p.drawEllipse(led.centre, 9.5, 9.5);
        p.setBrush(QColor(0, 70, 36));
        p.drawEllipse(led.centre, 7.5, 7.5);
        p.setFont(uiFont("Liberation Sans", 9, QFont::Bold, 0.6));
        p.setPen(QColor(36, 40, 48));
        p.drawText(QRectF(led.centre.x() - 45, led.centre.y() + 15, 90, 12), Qt::AlignCenter,
                   QString::fromUtf8(led.label));
    }
}

// The round power push button with the standby symbol.
void drawPowerSwitch(QPainter& p) {
    const QPointF c = rectOf(kv410::layout::PowerArea).center();
    QRadialGradient collar(c, 26);
    collar.setColorAt(0.8, QColor(120, 124, 130));
    collar.setColorAt(1, QColor(70, 73, 78));
    p.setPen(Qt::NoPen);
    p.setBrush(collar);
    p.drawEllipse(c, 25, 25);
    QConicalGradient ring(c, 45);
    ring.setColorAt(0, QColor(252, 252, 252));
    ring.setColorAt(0.5, QColor(120, 124, 130));
    ring.setColorAt(1, QColor(252, 252, 252));
    p.setBrush(ring);
    p.drawEllipse(c, 22, 22);
    QRadialGradient cap(c - QPointF(6, 7), 26);
    cap.setColorAt(0, QColor(92, 96, 104));
    cap.setColorAt(1, QColor(28, 30, 34));
    p.setBrush(cap);
    p.drawEllipse(c, 18.5, 18.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(236, 238, 240), 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(c.x() - 8, c.y() - 7, 16, 16), 120 * 16, 300 * 16);
    p.drawLine(c + QPointF(0, -10), c + QPointF(0, -1));
}

// The black bezel round the LCD glass (the LCD itself lies at 188,291, 231 x 87).
void drawLcdBezel(QPainter& p) {
    const QRectF lcd = rectOf(kv410::layout::Lcd);
    const QRectF outer = lcd.adjusted(-14, -14, 14, 14);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 40));
    p.drawRoundedRect(outer.translated(2, 3), 8, 8);
    QLinearGradient frame(0, outer.top(), 0, outer.bottom());
    frame.setColorAt(0, QColor(66, 70, 76));
    frame.setColorAt(1, QColor(24, 26, 30));
    p.setBrush(frame);
    p.setPen(QPen(QColor(16, 17, 20), 1));
    p.drawRoundedRect(outer, 8, 8);
    p.setPen(QPen(QColor(110, 115, 122), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(outer.adjusted(1.5, 1.5, -1.5, -1.5), 7, 7);
    const QRectF well = lcd.adjusted(-4, -4, 4, 4);
    QLinearGradient recess(0, well.top(), 0, well.bottom());
    recess.setColorAt(0, QColor(6, 8, 8));
    recess.setColorAt(1, QColor(40, 44, 46));
    p.setPen(Qt::NoPen);
    p.setBrush(recess);
    p.drawRect(well);
    p.fillRect(lcd, QColor(0, 94, 47));
}

// The three membrane keys under the display, in a recessed strip.
void drawKeys(QPainter& p) {
    const QRectF strip(196, 409, 215, 58);
    p.setPen(QPen(QColor(240, 242, 244), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(strip.translated(0.5, 1), 9, 9);
    QLinearGradient base(0, strip.top(), 0, strip.bottom());
    base.setColorAt(0, QColor(58, 62, 68));
    base.setColorAt(1, QColor(82, 86, 92));
    p.setPen(QPen(QColor(44, 46, 50), 1));
    p.setBrush(base);
    p.drawRoundedRect(strip, 9, 9);
    for (int k = 0; k < 3; ++k) {
        // The three push buttons under the display, as their click areas lie.
        const QRectF cap = rectOf(kv410::layout::KeyAreas[k]).adjusted(2, 2, -2, -2);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 90));
        p.drawRoundedRect(cap.translated(1, 2), 6, 6);
        QLinearGradient face(0, cap.top(), 0, cap.bottom());
        face.setColorAt(0, QColor(236, 238, 240));
        face.setColorAt(1, QColor(176, 180, 186));
        p.setPen(QPen(QColor(120, 124, 130), 1));
        p.setBrush(face);
        p.drawRoundedRect(cap, 6, 6);
        const QPointF c = cap.center();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 44, 52));
        if (k == 0) {
            QPolygonF arrow({c + QPointF(-7, 0), c + QPointF(4, -7), c + QPointF(4, 7)});
            p.drawPolygon(arrow);
        } else if (k == 1) {
            p.setPen(QColor(40, 44, 52));
            p.setFont(uiFont("Liberation Serif", 20, QFont::Bold));
            p.drawText(cap, Qt::AlignCenter, QStringLiteral("i"));
        } else {
            QPolygonF arrow({c + QPointF(7, 0), c + QPointF(-4, -7), c + QPointF(-4, 7)});
            p.drawPolygon(arrow);
        }
    }
}

// The round recess that the knob sits in, with the turning legend.
void drawKnobRecess(QPainter& p) {
    const QPointF c = KnobCentre;
    QRadialGradient lip(c, 60);
    lip.setColorAt(0.85, QColor(120, 124, 130));
    lip.setColorAt(1, QColor(210, 213, 217));
    p.setPen(Qt::NoPen);
    p.setBrush(lip);
    p.drawEllipse(c, 58, 58);
    QConicalGradient edge(c, 45);
    edge.setColorAt(0, QColor(236, 238, 240));
    edge.setColorAt(0.5, QColor(70, 74, 80));
    edge.setColorAt(1, QColor(236, 238, 240));
    p.setBrush(edge);
    p.drawEllipse(c, 55, 55);
    p.setBrush(RecessColour);
    p.drawEllipse(c, 53, 53);
    // Scale marks round the knob.
    p.setPen(QPen(QColor(36, 40, 48), 1.4));
    p.setFont(uiFont("Liberation Sans", 16, QFont::Bold));
    p.drawText(QRectF(c.x() - 78, c.y() + 34, 20, 20), Qt::AlignCenter, QStringLiteral("\u2212"));
    p.drawText(QRectF(c.x() + 58, c.y() + 34, 20, 20), Qt::AlignCenter, QStringLiteral("+"));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(36, 40, 48), 1.4, Qt::SolidLine, Qt::RoundCap));
    const QRectF arcBox(c.x() - 66, c.y() - 66, 132, 132);
    p.drawArc(arcBox, 200 * 16, -140 * 16);
    const double tip = (60.0) * M_PI / 180.0;
    const QPointF end(c.x() + 66 * std::cos(tip), c.y() - 66 * std::sin(tip));
    p.setBrush(QColor(36, 40, 48));
    p.drawPolygon(QPolygonF({end + QPointF(5, 3), end + QPointF(-3, -6), end + QPointF(-4, 4)}));
}

// Type plate and ventilation slots along the bottom.
void drawLowerPanel(QPainter& p) {
    const QRectF plate(52, 492, 236, 68);
    QLinearGradient silver(0, plate.top(), 0, plate.bottom());
    silver.setColorAt(0, QColor(232, 233, 230));
    silver.setColorAt(1, QColor(204, 205, 200));
    p.setPen(QPen(QColor(120, 122, 124), 1));
    p.setBrush(silver);
    p.drawRoundedRect(plate, 4, 4);
    p.setBrush(QColor(160, 162, 165));
    p.drawEllipse(QPointF(plate.left() + 7, plate.top() + 7), 2.2, 2.2);
    p.drawEllipse(QPointF(plate.right() - 7, plate.bottom() - 7), 2.2, 2.2);
    p.setPen(QColor(40, 44, 52));
    p.setFont(uiFont("Liberation Sans", 11, QFont::Bold, 0.8));
    p.drawText(QPointF(plate.left() + 16, plate.top() + 17), QStringLiteral("ORV INDUSTRIER AB"));
    p.setFont(uiFont("Liberation Sans", 10, QFont::Normal));
    p.drawText(QPointF(plate.left() + 16, plate.top() + 33),
               QStringLiteral("Typ KAVO 410    Styrenhet, bergvärme"));
    p.drawText(QPointF(plate.left() + 16, plate.top() + 47),
               QStringLiteral("230 V ~ 50 Hz    10 VA    IP 21"));
    p.drawText(QPointF(plate.left() + 16, plate.top() + 61),
               QStringLiteral("Tillv.nr 98-0411    SE"));

    const QRectF grille(330, 496, 236, 60);
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 6; ++col) {
            const QRectF slot(grille.left() + col * 40, grille.top() + row * 15, 34, 7);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(250, 251, 252));
            p.drawRoundedRect(slot.translated(0, 1.2), 3.5, 3.5);
            p.setBrush(QColor(34, 36, 40));
            p.drawRoundedRect(slot, 3.5, 3.5);
        }
    }
}

QImage drawFront() {
    QImage image(800, 600, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    drawCabinet(p);
    drawFrontPlate(p);
    drawMaker(p);
    drawLedSockets(p);
    drawPowerSwitch(p);
    drawLcdBezel(p);
    drawKeys(p);
    drawKnobRecess(p);
    drawLowerPanel(p);
    return image;
}

// One knob frame, turned clockwise by the given number of 30 degree steps.
QImage drawKnobFrame(int step) {
    QImage image(72, 73, QImage::Format_RGB32);
    image.fill(RecessColour);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(36, 36.5);
    // Shadow cast into the recess.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(24, 25, 28));
    p.drawEllipse(c + QPointF(1.5, 2), 33, 33);
    // Knurled skirt: the ridges turn with the knob, the light does not.
    QRadialGradient skirt(c - QPointF(8, 10), 44);
    skirt.setColorAt(0, QColor(96, 100, 108));
    skirt.setColorAt(1, QColor(20, 21, 24));
    p.setBrush(skirt);
    p.drawEllipse(c, 32.5, 32.5);
    p.save();
    p.translate(c);
    p.rotate(step * 30.0);
    for (int ridge = 0; ridge < 40; ++ridge) {
        p.rotate(9.0);
        p.setPen(QPen(QColor(150, 154, 162, 150), 1.1));
        p.drawLine(QPointF(0, -25.5), QPointF(0, -31.5));
        p.setPen(QPen(QColor(0, 0, 0, 160), 1.0));
        p.drawLine(QPointF(1.6, -25.5), QPointF(1.6, -31.5));
    }
    p.restore();
    // Brushed cap with a fixed highlight.
    QConicalGradient cap(c, 60);
    cap.setColorAt(0.0, QColor(242, 244, 246));
    cap.setColorAt(0.25, QColor(150, 154, 160));
    cap.setColorAt(0.5, QColor(226, 228, 232));
    cap.setColorAt(0.75, QColor(128, 132, 138));
    cap.setColorAt(1.0, QColor(242, 244, 246));
    p.setPen(QPen(QColor(40, 42, 46), 1.2));
    p.setBrush(cap);
    p.drawEllipse(c, 24, 24);
    QRadialGradient sheen(c - QPointF(7, 9), 30);
    sheen.setColorAt(0, QColor(255, 255, 255, 90));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(sheen);
    p.drawEllipse(c, 23, 23);
    // The pointer: an engraved line and a white dot on the skirt.
    p.translate(c);
    p.rotate(step * 30.0);
    p.setPen(QPen(QColor(30, 32, 36), 3.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(0, -8), QPointF(0, -21));
    p.setPen(QPen(QColor(255, 255, 255, 160), 1, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(1.8, -8), QPointF(1.8, -21));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(245, 245, 240));
    p.drawEllipse(QPointF(0, -28.5), 2.4, 2.4);
    p.end();
    // The bottom-left pixel must keep the recess colour: it marks the transparent background.
    image.setPixel(0, 72, RecessColour.rgb());
    return image;
}

bool save(const QImage& image, const QString& path) {
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// --- The program's icon: the unit's front in small -------------------------------------------

// The icon on a 256 x 256 grid; below 48 px it leaves out what would only blur (the knurls, the
// text becomes bars), below 32 px the LED and the text as well.
void drawIcon(QPainter& p, int pixels) {
    const bool fine = pixels >= 48;
    const bool small = pixels < 32;
    // Aluminium plate with a darker rim.
    const QRectF plate(14, 14, 228, 228);
    QLinearGradient metal(0, plate.top(), 0, plate.bottom());
    metal.setColorAt(0, QColor(222, 225, 228));
    metal.setColorAt(1, QColor(168, 171, 176));
    p.setPen(QPen(QColor(96, 99, 104), small ? 10 : 5));
    p.setBrush(metal);
    p.drawRoundedRect(plate, 40, 40);
    if (fine) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(250, 251, 252), 3));
        p.drawRoundedRect(plate.adjusted(6, 6, -6, -6), 34, 34);
    }

    // The display: black bezel, lit green glass and its text.
    const QRectF bezel = small ? QRectF(34, 36, 188, 88) : QRectF(34, 38, 188, 82);
    QLinearGradient frame(0, bezel.top(), 0, bezel.bottom());
    frame.setColorAt(0, QColor(66, 70, 76));
    frame.setColorAt(1, QColor(20, 22, 26));
    p.setPen(Qt::NoPen);
    p.setBrush(frame);
    p.drawRoundedRect(bezel, 12, 12);
    const QRectF glass = bezel.adjusted(12, 12, -12, -12);
    p.setBrush(QColor(0, 236, 118));
    p.drawRect(glass);
    p.setBrush(QColor(10, 30, 16));
    if (fine) {
        QFont font(QStringLiteral("Liberation Mono"));
        font.setPixelSize(36);
        font.setBold(true);
        QPainterPath text;
        text.addText(0, 0, font, QStringLiteral("410"));
        const QRectF box = text.boundingRect();
        p.drawPath(text.translated(glass.center() - box.center()));
    } else if (!small) {
        // Two lines of text as bars.
        p.drawRect(QRectF(glass.left() + 14, glass.top() + 12, glass.width() - 56, 14));
        p.drawRect(QRectF(glass.left() + 14, glass.bottom() - 26, glass.width() - 28, 14));
    }

    // The green power LED in a chrome ring.
    if (!small) {
        const QPointF led(64, 182);
        p.setBrush(QColor(120, 124, 130));
        p.drawEllipse(led, 20, 20);
        p.setBrush(QColor(22, 24, 26));
        p.drawEllipse(led, 15, 15);
        QRadialGradient lit(led - QPointF(4, 4), 16);
        lit.setColorAt(0, QColor(170, 255, 190));
        lit.setColorAt(1, QColor(0, 200, 80));
        p.setBrush(lit);
        p.drawEllipse(led, 12, 12);
    }

    // The knob: dark knurled skirt, aluminium cap, pointer.
    const QPointF knob = small ? QPointF(128, 178) : QPointF(164, 178);
    const double skirtRadius = small ? 60 : 56;
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawEllipse(knob + QPointF(3, 5), skirtRadius, skirtRadius);
    QRadialGradient skirt(knob - QPointF(16, 20), skirtRadius * 1.5);
    skirt.setColorAt(0, QColor(96, 100, 108));
    skirt.setColorAt(1, QColor(16, 17, 20));
    p.setBrush(skirt);
    p.drawEllipse(knob, skirtRadius, skirtRadius);
    if (fine) {
        p.save();
        p.translate(knob);
        p.setPen(QPen(QColor(150, 154, 162), 2.2, Qt::SolidLine, Qt::RoundCap));
        for (int ridge = 0; ridge < 36; ++ridge) {
            p.drawLine(QPointF(0, -skirtRadius + 4), QPointF(0, -skirtRadius + 12));
            p.rotate(10);
        }
        p.restore();
        p.setPen(Qt::NoPen);
    }
    const double capRadius = skirtRadius * 0.7;
    QRadialGradient cap(knob - QPointF(12, 14), capRadius * 1.6);
    cap.setColorAt(0, QColor(250, 251, 252));
    cap.setColorAt(0.6, QColor(186, 190, 196));
    cap.setColorAt(1, QColor(120, 124, 130));
    p.setPen(QPen(QColor(36, 38, 42), fine ? 2 : 4));
    p.setBrush(cap);
    p.drawEllipse(knob, capRadius, capRadius);
    p.setPen(QPen(QColor(24, 26, 30), small ? 14 : 9, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(knob + QPointF(0, -capRadius * 0.25), knob + QPointF(0, -capRadius * 0.85));
}

QImage iconImage(int pixels) {
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(pixels / 256.0, pixels / 256.0);
    drawIcon(p, pixels);
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

// The scalable icon, drawn through the same painter calls into SVG.
QByteArray iconSvg() {
    QBuffer buffer;
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(QSize(256, 256));
    svg.setViewBox(QRect(0, 0, 256, 256));
    svg.setTitle(QStringLiteral("KV410"));
    svg.setDescription(QStringLiteral("The KV410 simulator: the front of the unit"));
    QPainter p(&svg);
    p.setRenderHint(QPainter::Antialiasing);
    drawIcon(p, 256);
    p.end();
    // The generator gives the size in millimetres; an icon is measured in pixels.
    QString text = QString::fromUtf8(buffer.data());
    text.replace(QRegularExpression(QStringLiteral("<svg width=\"[^\"]*\" height=\"[^\"]*\"")),
                 QStringLiteral("<svg width=\"256\" height=\"256\""));
    return text.toUtf8();
}

bool writeIcons(const QDir& root) {
    bool ok = true;
    for (const int pixels : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
        const QString folder = QStringLiteral("hicolor/%1x%1/apps").arg(pixels);
        ok = QDir().mkpath(root.filePath(folder)) && ok;
        ok = save(iconImage(pixels), root.filePath(folder + QStringLiteral("/kv410.png"))) && ok;
    }
    const QString svgPath = root.filePath(QStringLiteral("hicolor/scalable/apps/kv410.svg"));
    QFile svgFile(svgPath);
    if (!QDir().mkpath(QFileInfo(svgPath).path()) || !svgFile.open(QIODevice::WriteOnly) ||
        svgFile.write(iconSvg()) < 0) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(svgPath));
        return false;
    }
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--icons") {
        return writeIcons(QDir(QString::fromLocal8Bit(argv[2]))) ? 0 : 1;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR | %s --icons ICON_DIR\n", argv[0], argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path())) {
        return 1;
    }
    const QVector<QRgb> reserved{RecessColour.rgb(), qRgb(0, 94, 47)};
    bool ok = save(toIndexed(drawFront(), reserved), out.filePath(QStringLiteral("Image1.png")));
    for (int step = 0; step < 12; ++step) {
        const QString name = QStringLiteral("ID_RATT%1.png").arg(step + 1, 2, 10, QLatin1Char('0'));
        ok = save(toIndexed(drawKnobFrame(step), {RecessColour.rgb()}), out.filePath(name)) && ok;
    }
    return ok ? 0 : 1;
}
