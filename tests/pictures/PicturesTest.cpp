#include "pictures/Pictures.h"

#include "display/Lcd.h"
#include "panel/FrontPanel.h"
#include "unit/ControllerState.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kv410 {
namespace {

// Records what the timeline asks of the GIF: each frame's mark and the time it stood.
struct RecordedFrames : FrameSink {
    struct Frame {
        std::string mark;
        int64_t ms = -1;
    };
    std::vector<Frame> frames;
    // Frames captured and dropped before they were given a time.
    int dropped = 0;
    bool pending = false;

    void capture(const std::string& mark) override {
        if (pending) {
            frames.pop_back();
            ++dropped;
        }
        frames.push_back({mark, -1});
        pending = true;
    }
    void frameStood(int64_t ms) override {
        ASSERT_TRUE(pending);
        frames.back().ms = ms;
        pending = false;
    }
    bool finish(std::string&) override { return true; }
};

class GifTimelineTest : public ::testing::Test {
protected:
    void SetUp() override { resetControllerState(); }
    void TearDown() override { resetControllerState(); }

    static void showOnLine1(const char* text) { std::memcpy(LcdLines[0], text, 20); }

    // Observes every tick from `from` to `to`, as the runner does while the clock advances.
    void ticks(int64_t from, int64_t to) {
        for (int64_t tick = from + 1; tick <= to; ++tick) {
            timeline.observe(tick);
        }
    }

    RecordedFrames sink;
    GifTimeline timeline{sink};
};

TEST_F(GifTimelineTest, EveryChangeIsAFrameShownAsLongAsItStood) {
    timeline.scriptBegins();
    timeline.observe(0);
    // A click changes the front at once, a second one at the same instant: the first never stood.
    timeline.stepBegins(0, 0);
    showOnLine1("first               ");
    timeline.stepEnds(0);
    timeline.stepBegins(0, 0);
    showOnLine1("second              ");
    timeline.stepEnds(0);
    // Half a second later the front changes again; then nothing for two seconds.
    timeline.stepBegins(0, 10);
    ticks(0, 9);
    FrontLedLit[AlarmLed] = true;
    ticks(9, 10);
    timeline.stepEnds(10);
    timeline.stepBegins(10, 40);
    ticks(10, 50);
    timeline.stepEnds(50);
    timeline.finish();

    ASSERT_EQ(sink.frames.size(), 2u);
    EXPECT_EQ(sink.dropped, 2) << "the start frame and the first click never stood";
    EXPECT_EQ(sink.frames[0].ms, 500);
    EXPECT_EQ(sink.frames[1].ms, GifTimeline::LastFrameMs) << "the last frame is held";
    for (const auto& frame : sink.frames) {
        EXPECT_EQ(frame.mark, "");
    }
}

TEST_F(GifTimelineTest, LongStepsAndLongStillsAreShortenedAndMarked) {
    timeline.scriptBegins();
    timeline.observe(0);
    // `wait 2h`: the first three seconds are shown, with a change after one second; a change
    // after that is not shown; the frame at the end carries the rest of the two hours.
    const int64_t twoHours = 2 * 3600 * 20;
    timeline.stepBegins(0, twoHours);
    ticks(0, 19);
    showOnLine1("after one second    ");
    ticks(19, 499);
    showOnLine1("after 25 seconds    ");
    ticks(499, twoHours);
    timeline.stepEnds(twoHours);
    // Then the front stands still through four steps of 5 s (none is long), and changes.
    for (int step = 0; step < 4; ++step) {
        const int64_t at = twoHours + step * 100;
        timeline.stepBegins(at, 100);
        ticks(at, at + 100);
        timeline.stepEnds(at + 100);
    }
    showOnLine1("changed at last     ");
    timeline.observe(twoHours + 400);
    timeline.finish();

    ASSERT_EQ(sink.frames.size(), 4u);
    EXPECT_EQ(sink.frames[0].ms, 1000);
    EXPECT_EQ(sink.frames[1].ms, 2000) << "shown to the end of the first three seconds";
    EXPECT_EQ(sink.frames[2].mark, "+1 h 59 min");
    EXPECT_EQ(sink.frames[2].ms, GifTimeline::HeadMs) << "20 s of stillness shown as 3 s";
    EXPECT_EQ(sink.frames[3].mark, "+17 s");
}

TEST_F(GifTimelineTest, ScriptsFollowOneAnotherAndTheMarkReadsShort) {
    timeline.scriptBegins();
    timeline.observe(0);
    timeline.stepBegins(0, 20);
    ticks(0, 20);
    timeline.stepEnds(20);
    // The next script starts its ticks at 0 again; its first change comes a second later.
    timeline.scriptBegins();
    timeline.observe(0);
    ticks(0, 20);
    showOnLine1("second script       ");
    timeline.observe(20);
    timeline.finish();
    ASSERT_GE(sink.frames.size(), 1u);
    EXPECT_EQ(sink.frames[0].ms, 2000);

    EXPECT_EQ(GifTimeline::markText(45000), "+45 s");
    EXPECT_EQ(GifTimeline::markText(600000), "+10 min");
    EXPECT_EQ(GifTimeline::markText(7200000), "+2 h");
    EXPECT_EQ(GifTimeline::markText(5400000), "+1 h 30 min");
    EXPECT_EQ(GifTimeline::markText(97200000), "+1 d 3 h");
    EXPECT_EQ(GifTimeline::markText(86405000), "+1 d") << "never '1 d 5 s'";
    EXPECT_EQ(GifTimeline::markText(450), "+450 ms");
}

TEST(PicturePathTest, NamesAreRelativeToTheScriptOrThePictureFolder) {
    EXPECT_EQ(picturePath("tests/snapshots/a.kvs", "", "on.png"), "tests/snapshots/on.png");
    EXPECT_EQ(picturePath("a.kvs", "", "sub/on.png"), "sub/on.png");
    EXPECT_EQ(picturePath("<stdin>", "", "on.png"), "on.png");
    EXPECT_EQ(picturePath("tests/a.kvs", "/tmp/out", "on.png"), "/tmp/out/on.png");
    EXPECT_EQ(actualPicturePath("x/on.png"), "x/on.actual.png");
    EXPECT_EQ(diffPicturePath("x/on.PNG"), "x/on.diff.PNG");
}

} // namespace
} // namespace kv410
