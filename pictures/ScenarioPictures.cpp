#include "pictures/ScenarioPictures.h"

#include "display/Lcd.h"
#include "pictures/FrontPicture.h"
#include "pictures/GifWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kv410 {

namespace {

QString fileName(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// Writes a PNG picture, making its folder when it is missing.
bool writePicture(const QImage& image, const std::string& path, std::string& problem) {
    const QString name = fileName(path);
    QDir().mkpath(QFileInfo(name).absolutePath());
    if (!image.save(name, "PNG")) {
        problem = "cannot write the picture " + path;
        return false;
    }
    return true;
}

std::string sizeText(const QImage& image) {
    return std::to_string(image.width()) + " x " + std::to_string(image.height());
}

// The front with everything lit that can be lit, for the GIF's palette.
QImage drawFrontAllLit(bool panels) {
    const bool lcdLit = LcdLit;
    bool ledsLit[FrontLedCount];
    std::memcpy(ledsLit, FrontLedLit, sizeof ledsLit);
    bool lampsLit[10];
    std::memcpy(lampsLit, RelayLampLit, sizeof lampsLit);
    const bool panelsShown = SensorPanelVisible;
    LcdLit = true;
    std::fill(std::begin(FrontLedLit), std::end(FrontLedLit), true);
    std::fill(std::begin(RelayLampLit), std::end(RelayLampLit), true);
    SensorPanelVisible = panels;
    QImage image = front::drawFront();
    LcdLit = lcdLit;
    std::memcpy(FrontLedLit, ledsLit, sizeof ledsLit);
    std::memcpy(RelayLampLit, lampsLit, sizeof lampsLit);
    SensorPanelVisible = panelsShown;
    return image;
}

// The frames of a run's GIF, drawn when the timeline asks and written once their time is known.
class GifSink final : public FrameSink {
public:
    GifSink(ScenarioPictures& pictures, bool panels) : pictures_(pictures), panels_(panels) {}

    bool open(const std::string& path, std::string& problem) {
        return writer_.open(
            path, QSize(panels_ ? layout::WidthWithPanels : layout::Width, layout::Height),
            problem);
    }

    void capture(const std::string& mark) override {
        pictures_.ensureApplication();
        pending_ = front::drawFront();
        if (!paletteChosen_ && problem_.empty()) {
            paletteChosen_ = writer_.choosePalette({pending_, drawFrontAllLit(panels_)}, problem_);
        }
        if (!mark.empty()) {
            paintTimeMark(pending_, QString::fromStdString(mark));
        }
        havePending_ = true;
    }

    void frameStood(int64_t ms) override {
        if (havePending_ && problem_.empty()) {
            writer_.addFrame(pending_, ms, problem_);
            ++frames_;
        }
        havePending_ = false;
    }

    bool finish(std::string& problem) override {
        std::string closing;
        if (frames_ == 0 && problem_.empty()) {
            problem_ = "the GIF has no frame: no script ran";
        }
        if (!writer_.close(closing) && problem_.empty()) {
            problem_ = closing;
        }
        problem = problem_;
        return problem_.empty();
    }

private:
    ScenarioPictures& pictures_;
    bool panels_;
    GifWriter writer_;
    QImage pending_;
    bool havePending_ = false;
    bool paletteChosen_ = false;
    int frames_ = 0;
    std::string problem_;
};

// Qt's messages go to standard error as usual, but for its notes on the runtime folder, which a
// run that never opens a window has no use for.
void forwardMessage(QtMsgType, const QMessageLogContext&, const QString& message) {
    if (!message.startsWith(QLatin1String("QStandardPaths: "))) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
    }
}

} // namespace

ScenarioPictures::ScenarioPictures() = default;

ScenarioPictures::~ScenarioPictures() = default;

void ScenarioPictures::ensureApplication() {
    if (QCoreApplication::instance() != nullptr) {
        return;
    }
    // No window is ever shown: without a say from the user, no display is needed either.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    qInstallMessageHandler(forwardMessage);
    application_ = std::make_unique<QGuiApplication>(argc_, argv_);
}

bool ScenarioPictures::save(const std::string& path, std::string& problem) {
    ensureApplication();
    return writePicture(front::drawFront(), path, problem);
}

SnapshotComparison ScenarioPictures::compare(const std::string& golden, int tolerance,
                                             const std::string& actual, const std::string& diff,
                                             bool write) {
    ensureApplication();
    SnapshotComparison result;
    const QImage now = front::drawFront();
    const QString goldenName = fileName(golden);
    if (!QFileInfo::exists(goldenName)) {
        result.found = "no approved picture " + golden;
        if (write && writePicture(now, actual, result.problem)) {
            result.written.push_back(actual);
        }
        return result;
    }
    const QImage approved = QImage(goldenName).convertToFormat(QImage::Format_RGB32);
    if (approved.isNull()) {
        result.found = "an approved picture " + golden + " that cannot be read";
        if (write && writePicture(now, actual, result.problem)) {
            result.written.push_back(actual);
        }
        return result;
    }
    int64_t differing = 0;
    int largest = 0;
    const QImage marked = differencePicture(approved, now, tolerance, differing, largest);
    if (differing == 0) {
        result.matches = true;
        if (write) {
            // Pictures of an earlier mismatch would only mislead now.
            QFile::remove(fileName(actual));
            QFile::remove(fileName(diff));
        }
        return result;
    }
    if (approved.size() != now.size()) {
        result.found =
            "a picture of " + sizeText(now) + ", the approved one is " + sizeText(approved);
    } else {
        result.found = std::to_string(differing) +
                       (differing == 1 ? " pixel differs" : " pixels differ") + " by up to " +
                       std::to_string(largest);
    }
    if (write) {
        if (writePicture(now, actual, result.problem)) {
            result.written.push_back(actual);
        }
        if (result.problem.empty() && writePicture(marked, diff, result.problem)) {
            result.written.push_back(diff);
        }
    }
    return result;
}

std::unique_ptr<FrameSink> ScenarioPictures::startGif(const std::string& path, bool panels,
                                                      std::string& problem) {
    auto sink = std::make_unique<GifSink>(*this, panels);
    if (!sink->open(path, problem)) {
        return nullptr;
    }
    return sink;
}

QImage differencePicture(const QImage& golden, const QImage& actual, int tolerance,
                         int64_t& differing, int& largest) {
    const QImage a = golden.convertToFormat(QImage::Format_RGB32);
    const QImage b = actual.convertToFormat(QImage::Format_RGB32);
    const int width = std::max(a.width(), b.width());
    const int height = std::max(a.height(), b.height());
    QImage marked(width, height, QImage::Format_RGB32);
    differing = 0;
    largest = 0;
    QRect changed;
    for (int y = 0; y < height; ++y) {
        auto* out = reinterpret_cast<QRgb*>(marked.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const bool inA = x < a.width() && y < a.height();
            const bool inB = x < b.width() && y < b.height();
            int difference = 255;
            QRgb shown = qRgb(255, 255, 255);
            if (inA && inB) {
                const QRgb p = a.pixel(x, y);
                const QRgb q = b.pixel(x, y);
                difference = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                       std::abs(qBlue(p) - qBlue(q))});
                shown = q;
            }
            if (difference > tolerance) {
                ++differing;
                largest = std::max(largest, difference);
                changed |= QRect(x, y, 1, 1);
                out[x] = qRgb(255, 0, 255);
            } else {
                // The picture paled to a light grey, so the marks stand out.
                const int grey = qGray(shown);
                out[x] = qRgb(160 + grey * 95 / 255, 160 + grey * 95 / 255, 160 + grey * 95 / 255);
            }
        }
    }
    if (!changed.isEmpty()) {
        QPainter painter(&marked);
        painter.setPen(QPen(QColor(220, 0, 0), 2));
        painter.drawRect(changed.adjusted(-4, -4, 4, 4));
    }
    return marked;
}

void paintTimeMark(QImage& frame, const QString& mark) {
    QPainter painter(&frame);
    QFont font = front::windowFont(true);
    font.setPixelSize(22);
    painter.setFont(font);
    const QRect text = painter.fontMetrics().boundingRect(mark);
    const QRect box(12, 12, text.width() + 24, text.height() + 12);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(255, 255, 128), 2));
    painter.setBrush(QColor(40, 40, 40));
    painter.drawRoundedRect(QRectF(box), 6, 6);
    painter.setPen(QColor(255, 255, 128));
    painter.drawText(box, Qt::AlignCenter, mark);
}

} // namespace kv410
