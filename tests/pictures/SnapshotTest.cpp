// kv410-script's pictures drawn for real: golden snapshots catch small changes of the front, and
// the animated GIF is a well-formed picture of the run. Runs without an X server.
#include "pictures/ScenarioPictures.h"

#include "ScratchFolder.h"
#include "scripttool/CommandLine.h"
#include "unit/ControllerState.h"

#include <QImage>

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace kv410 {
namespace {

namespace fs = std::filesystem;

// Made in main(), so that Qt closes down before the program's statics go.
ScenarioPictures* drawing = nullptr;

class SnapshotTest : public ::testing::Test {
protected:
    void SetUp() override { installFrontPictures(drawing); }
    void TearDown() override {
        installFrontPictures(nullptr);
        resetControllerState();
    }

    std::string write(const std::string& name, const std::string& text) {
        return scratch.write(name, text);
    }

    int run(std::vector<std::string> arguments) {
        std::istringstream in;
        std::ostringstream o;
        std::ostringstream e;
        const int status = runScenarioTool(arguments, in, o, e);
        out = o.str();
        err = e.str();
        return status;
    }

    QImage picture(const std::string& name) const {
        return QImage(QString::fromStdString((folder / name).string()));
    }

    // The main display three seconds after switching on, and then the script's `extra` steps.
    static std::string mainDisplay(const std::string& extra) {
        return "click power\nwait 3s\n" + extra + "expect snapshot \"main.png\"\n";
    }

    ScratchFolder scratch{"snapshots"};
    const fs::path folder = scratch.path();
    std::string out;
    std::string err;
};

TEST_F(SnapshotTest, AOneCharacterChangeOfAnLcdLineIsCaught) {
    const std::string approved = write("a.kvs", mainDisplay(""));
    EXPECT_EQ(run({"--update-snapshots", approved}), 0) << out << err;
    EXPECT_EQ(run({approved}), 0) << out;
    EXPECT_FALSE(fs::exists(folder / "main.actual.png"));

    // One second later the clock on line 3 shows one other digit ("08:00:02", then "08:00:03").
    const std::string later = write("b.kvs", mainDisplay("wait 1s\n"));
    EXPECT_EQ(run({later}), 1);
    EXPECT_NE(out.find("FAIL " + later + ":4: expected snapshot \"main.png\", got "),
              std::string::npos)
        << out;
    EXPECT_NE(out.find(" pixels differ by up to "), std::string::npos) << out;
    EXPECT_NE(out.find("wrote " + (folder / "main.actual.png").string() + " and " +
                       (folder / "main.diff.png").string()),
              std::string::npos)
        << out;
    // The marks lie in the one character cell that changed: line 3, column 15 ("08:00:02").
    const QImage diff = picture("main.diff.png");
    ASSERT_FALSE(diff.isNull());
    const QRect cell(188 + 5 + 14 * 11, 291 + 43, 11, 22);
    int inside = 0;
    int outside = 0;
    for (int y = 0; y < diff.height(); ++y) {
        for (int x = 0; x < diff.width(); ++x) {
            if (diff.pixel(x, y) == qRgb(255, 0, 255)) {
                (cell.contains(x, y) ? inside : outside) += 1;
            }
        }
    }
    EXPECT_GT(inside, 10);
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(picture("main.actual.png").size(), QSize(800, 600));

    // A match again removes the pictures of the old mismatch.
    EXPECT_EQ(run({approved}), 0) << out;
    EXPECT_FALSE(fs::exists(folder / "main.actual.png"));
    EXPECT_FALSE(fs::exists(folder / "main.diff.png"));
}

TEST_F(SnapshotTest, AnLedThatShouldBeLitIsCaughtAndTheToleranceIsPerChannel) {
    // The alarm LED driven lit for the approved picture only.
    EXPECT_EQ(run({"--update-snapshots", write("lit.kvs", mainDisplay("poke io 48 1\ntick\n"))}),
              0);
    const std::string unlit = write("unlit.kvs", mainDisplay("tick\n"));
    EXPECT_EQ(run({unlit}), 1);
    const QImage diff = picture("main.diff.png");
    ASSERT_FALSE(diff.isNull());
    EXPECT_EQ(diff.pixel(318 + 8, 180 + 8), qRgb(255, 0, 255)) << "the alarm LED's middle";
    EXPECT_NE(diff.pixel(282 + 8, 237 + 8), qRgb(255, 0, 255)) << "the on LED is the same";

    // An approved picture that is off by 3 in one channel everywhere passes with --tolerance 3.
    EXPECT_EQ(run({"--update-snapshots", unlit}), 0);
    QImage shifted = picture("main.png").convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < shifted.height(); ++y) {
        for (int x = 0; x < shifted.width(); ++x) {
            const QRgb p = shifted.pixel(x, y);
            shifted.setPixel(
                x, y, qRgb(qRed(p), qGreen(p), qBlue(p) < 128 ? qBlue(p) + 3 : qBlue(p) - 3));
        }
    }
    ASSERT_TRUE(shifted.save(QString::fromStdString((folder / "main.png").string())));
    EXPECT_EQ(run({"--tolerance", "2", unlit}), 1);
    EXPECT_NE(out.find("480000 pixels differ by up to 3"), std::string::npos) << out;
    EXPECT_EQ(run({"--tolerance", "3", unlit}), 0) << out;
}

TEST_F(SnapshotTest, AMissingOrOtherSizedPictureFailsAndShowsTheFront) {
    const std::string script = write("m.kvs", mainDisplay(""));
    EXPECT_EQ(run({script}), 1);
    EXPECT_NE(out.find("got no approved picture " + (folder / "main.png").string() + ", wrote " +
                       (folder / "main.actual.png").string() + "\n"),
              std::string::npos)
        << out;
    EXPECT_FALSE(fs::exists(folder / "main.png")) << "a run never approves by itself";
    EXPECT_EQ(picture("main.actual.png").size(), QSize(800, 600));

    // The same front with the side panels shown is wider than the approved picture.
    EXPECT_EQ(run({"--update-snapshots", script}), 0);
    EXPECT_EQ(run({write("p.kvs", mainDisplay("click paneler\n"))}), 1);
    EXPECT_NE(out.find("got a picture of 953 x 600, the approved one is 800 x 600"),
              std::string::npos)
        << out;
    EXPECT_EQ(picture("main.diff.png").size(), QSize(953, 600));
}

TEST_F(SnapshotTest, TheGifHoldsAFrameForEveryChangeWithLongWaitsShortened) {
    const std::string gif = (folder / "run.gif").string();
    const std::string script =
        write("g.kvs", "click power\nwait 2s\nturn 2\nwait 2h\nclick left\nwait 1s\n");
    EXPECT_EQ(run({"--gif", gif, script}), 0) << out << err;

    int error = 0;
    GifFileType* file = DGifOpenFileName(gif.c_str(), &error);
    ASSERT_NE(file, nullptr) << GifErrorString(error);
    ASSERT_EQ(DGifSlurp(file), GIF_OK) << GifErrorString(file->Error);
    EXPECT_EQ(file->SWidth, 800);
    EXPECT_EQ(file->SHeight, 600);
    ASSERT_GE(file->ImageCount, 4);
    int hundredths = 0;
    for (int i = 0; i < file->ImageCount; ++i) {
        GraphicsControlBlock control{};
        ASSERT_EQ(DGifSavedExtensionToGCB(file, i, &control), GIF_OK);
        hundredths += control.DelayTime;
        EXPECT_GT(control.DelayTime, 0) << "frame " << i;
    }
    // Two hours of the run shown in a few seconds.
    EXPECT_GT(hundredths, 500);
    EXPECT_LT(hundredths, 2000);
    // Frames after the first hold only what changed.
    const GifImageDesc& second = file->SavedImages[1].ImageDesc;
    EXPECT_LT(second.Width * second.Height, 800 * 600 / 4);
    DGifCloseFile(file, &error);
}

} // namespace
} // namespace kv410

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    kv410::ScenarioPictures pictures;
    kv410::drawing = &pictures;
    return RUN_ALL_TESTS();
}
