// Pictures of the front for kv410-script: the steps `snapshot` and `expect snapshot` and the
// animated GIF of --gif. The runner decides where a picture goes and when a frame is taken; a
// front-end that can draw (pictures/ScenarioPictures, with Qt) installs itself here and draws,
// compares and encodes. A build without one refuses those steps before anything runs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kv410 {

// What a comparison of the front with an approved picture found.
struct SnapshotComparison {
    // The front equals the approved picture within the tolerance.
    bool matches = false;
    // What differs, as the failure message shows it.
    std::string found;
    // Files written beside the approved picture: the front now and the marked differences.
    std::vector<std::string> written;
    // A file could not be read or written: the run is not trustworthy.
    std::string problem;
};

// An animated picture being written frame by frame.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    // Draws the front as it is painted now as the next frame, with `mark` (if not empty) drawn in
    // it. A frame captured before and not yet given its time is dropped.
    virtual void capture(const std::string& mark) = 0;
    // The frame captured last stood for `ms` milliseconds.
    virtual void frameStood(int64_t ms) = 0;
    // Writes what is left and closes the file; false with a message when that failed.
    virtual bool finish(std::string& problem) = 0;
};

// A front-end that draws the front from the paint state.
class FrontPictures {
public:
    virtual ~FrontPictures() = default;
    // Writes a PNG picture of the front as it is painted now.
    virtual bool save(const std::string& path, std::string& problem) = 0;
    // Compares the front now with the approved picture at `golden`, allowing every colour channel
    // to differ by `tolerance`. When `write` is set, a mismatch writes the front to `actual` and,
    // when there is an approved picture, the marked differences to `diff`.
    virtual SnapshotComparison compare(const std::string& golden, int tolerance,
                                       const std::string& actual, const std::string& diff,
                                       bool write) = 0;
    // Opens an animated GIF at `path`, wide enough for the side panels when `panels` (they are
    // shown at some time of the run); nullptr with a message when it cannot be written.
    virtual std::unique_ptr<FrameSink> startGif(const std::string& path, bool panels,
                                                std::string& problem) = 0;
};

// Installs the front-end that draws (nullptr: none, the picture steps are refused).
void installFrontPictures(FrontPictures* pictures);
// The installed front-end, or nullptr.
FrontPictures* frontPictures();

// Where a picture named in a script goes: relative to `folder` (the --pictures folder, or the
// script's folder when that is empty).
std::string picturePath(const std::string& scriptFile, const std::string& folder,
                        const std::string& name);
// The names written beside an approved picture NAME.png: NAME.actual.png and NAME.diff.png.
std::string actualPicturePath(const std::string& golden);
std::string diffPicturePath(const std::string& golden);

// The paint state that a picture of the front shows, as bytes: two equal keys give the same
// picture.
std::string frontStateKey();

// Decides the frames of a run's animated picture: one at every change of the front, each shown
// as long as it stood in virtual time. Time that would make the picture drag is left out: a step
// that runs longer than LongMs shows its first HeadMs only, and a front that stands still for
// longer than LongMs is shown for HeadMs; the next frame then carries a mark of the time left
// out ("+2 h") and is shown for at least MarkMs.
class GifTimeline {
public:
    static constexpr int64_t LongMs = 10000;
    static constexpr int64_t HeadMs = 3000;
    static constexpr int64_t MarkMs = 2000;
    // The last frame of the run is shown this long before the picture starts over.
    static constexpr int64_t LastFrameMs = 3000;

    explicit GifTimeline(FrameSink& sink) : sink_(sink) {}

    // A script begins: its ticks count from 0 again, after the time of the scripts before.
    void scriptBegins();
    // A step begins at `tick` and will advance the clock by up to `ticks`.
    void stepBegins(int64_t tick, int64_t ticks);
    // The front may have changed: after every tick and every step.
    void observe(int64_t tick);
    // The step that began last ends at `tick`.
    void stepEnds(int64_t tick);
    // The run ends: the last frame is written.
    void finish();

    // The time left out, as the mark shows it: "+45 s", "+10 min", "+2 h", "+1 d 3 h".
    static std::string markText(int64_t ms);

private:
    int64_t at(int64_t tick) const;
    // Gives the frame shown its time until `shownUntil` (shortened when it stood long) and
    // captures the next one at `now`, marking the time left out in between.
    void nextFrame(int64_t shownUntil, int64_t now);

    FrameSink& sink_;
    // Virtual time of the scripts before this one, in ms.
    int64_t base_ = 0;
    // The latest time seen in this script.
    int64_t last_ = 0;
    bool haveFrame_ = false;
    // The time the frame shown marks as left out, 0 for none.
    int64_t shownLeftOut_ = 0;
    std::string shownKey_;
    int64_t shownSince_ = 0;
    // Time left out that the next frame marks.
    int64_t leftOut_ = 0;
    // The step under way may be shortened, and from when on it is.
    bool longStep_ = false;
    int64_t stepStart_ = 0;
    bool skipping_ = false;
    int64_t skipFrom_ = 0;
};

} // namespace kv410
