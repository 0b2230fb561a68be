// An animated GIF written frame by frame with giflib: one palette of 256 colours for the whole
// picture, and each frame stored as the rectangle that changed since the one before.
#pragma once

#include <QImage>
#include <QSize>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

struct GifFileType;

namespace kv410 {

class GifWriter {
public:
    GifWriter() = default;
    GifWriter(const GifWriter&) = delete;
    GifWriter& operator=(const GifWriter&) = delete;
    ~GifWriter();

    // Creates the file; false with a message when it cannot be written.
    bool open(const std::string& path, QSize size, std::string& problem);
    // Chooses the palette from sample pictures of what the frames will show (the first frame,
    // and the same with everything lit); must come before the first frame.
    bool choosePalette(const std::vector<QImage>& samples, std::string& problem);
    // Adds a frame shown for `ms` milliseconds; a frame smaller than the picture is drawn on
    // white at the top-left corner.
    bool addFrame(const QImage& frame, int64_t ms, std::string& problem);
    // Writes the end of the file and closes it.
    bool close(std::string& problem);

private:
    uint8_t nearest(QRgb colour);
    bool failed(const char* what, int error, std::string& problem);

    GifFileType* gif_ = nullptr;
    std::string path_;
    QSize size_;
    std::vector<QRgb> palette_;
    std::unordered_map<QRgb, uint8_t> mapped_;
    // The picture as shown after the last frame, in palette indexes.
    std::vector<uint8_t> shown_;
    bool first_ = true;
    // Milliseconds not yet given to a frame because delays count in hundredths of a second.
    int64_t carriedMs_ = 0;
};

} // namespace kv410
