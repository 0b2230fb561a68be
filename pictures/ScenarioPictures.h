// kv410-script's pictures of the front: drawn by the window's own painting code
// (pictures/FrontPicture) into images, without a window and without an X server. The Qt
// application object is made only when the first picture is needed, on the offscreen platform
// unless QT_QPA_PLATFORM says otherwise.
#pragma once

#include "pictures/Pictures.h"

#include <QImage>

#include <memory>

class QGuiApplication;

namespace kv410 {

class ScenarioPictures final : public FrontPictures {
public:
    ScenarioPictures();
    ~ScenarioPictures() override;

    bool save(const std::string& path, std::string& problem) override;
    SnapshotComparison compare(const std::string& golden, int tolerance, const std::string& actual,
                               const std::string& diff, bool write) override;
    std::unique_ptr<FrameSink> startGif(const std::string& path, bool panels,
                                        std::string& problem) override;

    // Makes the Qt application object if there is none yet.
    void ensureApplication();

private:
    int argc_ = 1;
    char name_[16] = "kv410-script";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QGuiApplication> application_;
};

// The marked differences of two pictures: the actual picture paled, every pixel that differs by
// more than `tolerance` in a colour channel in strong magenta, the changed region framed in red.
// Counts those pixels and the largest difference of a channel.
QImage differencePicture(const QImage& golden, const QImage& actual, int tolerance,
                         int64_t& differing, int& largest);

// The mark of left-out time drawn into a GIF frame.
void paintTimeMark(QImage& frame, const QString& mark);

} // namespace kv410
