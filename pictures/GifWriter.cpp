#include "pictures/GifWriter.h"

#include "pictures/FrontPicture.h"

#include <QPainter>

#include <gif_lib.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace kv410 {

namespace {

// Colours the front paints exactly: they get palette entries of their own.
std::vector<QRgb> paintColours() {
    const PanelColour colours[] = {
        LcdLitColour,           LcdUnlitColour,         GreenLedLitColour,  GreenLedUnlitColour,
        AlarmLedLitColour,      AlarmLedUnlitColour,    LampLitColour,      LampUnlitColour,
        CaptionLightColour,     CaptionBlackColour,     front::GlassShadow, front::GlassHighlight,
        front::GreenLedOutline, front::AlarmLedOutline, front::ToggleFace,  front::PanelLabelColour,
        {255, 255, 255},        {48, 140, 198},         {40, 40, 40}};
    std::vector<QRgb> out;
    for (const PanelColour& c : colours) {
        const QRgb rgb = qRgb(c.red, c.green, c.blue);
        if (std::find(out.begin(), out.end(), rgb) == out.end()) {
            out.push_back(rgb);
        }
    }
    // The artwork is mostly brushed grey metal on a pale ground: a fine ramp of greys keeps its
    // gradients smooth, which the quantizer's coarser steps would not.
    for (int grey = 130; grey <= 250; grey += 4) {
        out.push_back(qRgb(grey, grey, grey));
    }
    return out;
}

} // namespace

GifWriter::~GifWriter() {
    if (gif_ != nullptr) {
        int error = 0;
        EGifCloseFile(gif_, &error);
    }
}

bool GifWriter::failed(const char* what, int error, std::string& problem) {
    const char* reason = GifErrorString(error);
    problem = "cannot write the GIF " + path_ + ": " + what + " (" +
              (reason != nullptr ? reason : "unknown error") + ")";
    return false;
}

bool GifWriter::open(const std::string& path, QSize size, std::string& problem) {
    path_ = path;
    size_ = size;
    // Made with the usual permissions (giflib's own open makes the file private).
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        problem = "cannot write the GIF " + path + ": " + std::strerror(errno);
        return false;
    }
    int error = 0;
    gif_ = EGifOpenFileHandle(fd, &error);
    if (gif_ == nullptr) {
        ::close(fd);
        return failed("cannot create the file", error, problem);
    }
    EGifSetGifVersion(gif_, true);
    return true;
}

bool GifWriter::choosePalette(const std::vector<QImage>& samples, std::string& problem) {
    palette_ = paintColours();
    int height = 0;
    int width = 0;
    for (const QImage& sample : samples) {
        height += sample.height();
        width = std::max(width, sample.width());
    }
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::vector<GifByteType> red(pixels, 255);
    std::vector<GifByteType> green(pixels, 255);
    std::vector<GifByteType> blue(pixels, 255);
    size_t row = 0;
    for (const QImage& sample : samples) {
        const QImage image = sample.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y, ++row) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const size_t at = row * static_cast<size_t>(width) + static_cast<size_t>(x);
                red[at] = static_cast<GifByteType>(qRed(line[x]));
                green[at] = static_cast<GifByteType>(qGreen(line[x]));
                blue[at] = static_cast<GifByteType>(qBlue(line[x]));
            }
        }
    }
    int colours = 256 - static_cast<int>(palette_.size());
    std::vector<GifByteType> indexes(pixels);
    std::vector<GifColorType> quantized(256);
    if (pixels > 0 && GifQuantizeBuffer(static_cast<unsigned>(width), static_cast<unsigned>(height),
                                        &colours, red.data(), green.data(), blue.data(),
                                        indexes.data(), quantized.data()) == GIF_ERROR) {
        problem = "cannot choose the colours of the GIF " + path_;
        return false;
    }
    for (int i = 0; i < colours && palette_.size() < 256; ++i) {
        const QRgb rgb = qRgb(quantized[i].Red, quantized[i].Green, quantized[i].Blue);
        if (std::find(palette_.begin(), palette_.end(), rgb) == palette_.end()) {
            palette_.push_back(rgb);
        }
    }
    while (palette_.size() < 256) {
        palette_.push_back(qRgb(0, 0, 0));
    }

    std::vector<GifColorType> entries(256);
    for (size_t i = 0; i < 256; ++i) {
        entries[i] = {static_cast<GifByteType>(qRed(palette_[i])),
                      static_cast<GifByteType>(qGreen(palette_[i])),
                      static_cast<GifByteType>(qBlue(palette_[i]))};
    }
    ColorMapObject* map = GifMakeMapObject(256, entries.data());
    if (map == nullptr) {
        problem = "out of memory for the GIF's colours";
        return false;
    }
    const int written = EGifPutScreenDesc(gif_, size_.width(), size_.height(), 8, 0, map);
    GifFreeMapObject(map);
    if (written == GIF_ERROR) {
        return failed("the screen description", gif_->Error, problem);
    }
    // Play the frames over and over.
    static const GifByteType Netscape[] = "NETSCAPE2.0";
    static const GifByteType Loop[] = {1, 0, 0};
    if (EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(gif_, 11, Netscape) == GIF_ERROR ||
        EGifPutExtensionBlock(gif_, 3, Loop) == GIF_ERROR ||
        EGifPutExtensionTrailer(gif_) == GIF_ERROR) {
        return failed("the loop extension", gif_->Error, problem);
    }
    shown_.assign(static_cast<size_t>(size_.width()) * static_cast<size_t>(size_.height()), 0);
    return true;
}

uint8_t GifWriter::nearest(QRgb colour) {
    const auto found = mapped_.find(colour);
    if (found != mapped_.end()) {
        return found->second;
    }
    int best = 0;
    int bestDistance = INT_MAX;
    for (size_t i = 0; i < palette_.size(); ++i) {
        const int r = qRed(colour) - qRed(palette_[i]);
        const int g = qGreen(colour) - qGreen(palette_[i]);
        const int b = qBlue(colour) - qBlue(palette_[i]);
        const int distance = r * r + g * g + b * b;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<int>(i);
        }
    }
    mapped_.emplace(colour, static_cast<uint8_t>(best));
    return static_cast<uint8_t>(best);
}

bool GifWriter::addFrame(const QImage& frame, int64_t ms, std::string& problem) {
    QImage canvas(size_, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        painter.drawImage(0, 0, frame);
    }
    const int width = size_.width();
    std::vector<uint8_t> indexes(shown_.size());
    int left = width;
    int top = size_.height();
    int right = -1;
    int bottom = -1;
    for (int y = 0; y < size_.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(canvas.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            const size_t at =
                static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
            indexes[at] = nearest(line[x]);
            if (first_ || indexes[at] != shown_[at]) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0) {
        // Nothing changed in the palette's colours: one pixel keeps the frame's time.
        left = right = top = bottom = 0;
    }
    first_ = false;
    shown_ = std::move(indexes);

    const int64_t total = carriedMs_ + std::max<int64_t>(ms, 0);
    const int64_t hundredths = std::min<int64_t>(total / 10, 65535);
    carriedMs_ = total - hundredths * 10;
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = static_cast<int>(hundredths);
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    const size_t length = EGifGCBToExtension(&control, extension);
    if (EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) ==
        GIF_ERROR) {
        return failed("a frame's delay", gif_->Error, problem);
    }
    const int frameWidth = right - left + 1;
    if (EGifPutImageDesc(gif_, left, top, frameWidth, bottom - top + 1, false, nullptr) ==
        GIF_ERROR) {
        return failed("a frame", gif_->Error, problem);
    }
    for (int y = top; y <= bottom; ++y) {
        GifPixelType* line = shown_.data() + static_cast<size_t>(y) * static_cast<size_t>(width) +
                             static_cast<size_t>(left);
        if (EGifPutLine(gif_, line, frameWidth) == GIF_ERROR) {
            return failed("a frame's pixels", gif_->Error, problem);
        }
    }
    return true;
}

bool GifWriter::close(std::string& problem) {
    if (gif_ == nullptr) {
        return true;
    }
    int error = 0;
    const int result = EGifCloseFile(gif_, &error);
    gif_ = nullptr;
    if (result == GIF_ERROR) {
        return failed("closing the file", error, problem);
    }
    return true;
}

} // namespace kv410
