#include "scenario/Runner.h"
#include "scenario/Pictures.h"
#include "unit/ControllerState.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace kv410 {
namespace {

namespace fs = std::filesystem;

// Runs the tool on scripts written to a scratch folder.
class RunnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder =
            fs::temp_directory_path() /
            ("kv410-runner-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override {
        fs::remove_all(folder);
        resetControllerState();
    }

    std::string write(const std::string& name, const std::string& text) {
        const fs::path path = folder / name;
        std::ofstream(path) << text;
        return path.string();
    }

    int run(std::vector<std::string> arguments, const std::string& input = "") {
        std::istringstream in(input);
        std::ostringstream o;
        std::ostringstream e;
        const int status = runScenarioTool(arguments, in, o, e);
        out = o.str();
        err = e.str();
        return status;
    }

    std::string lastLine() const {
        const size_t end = out.find_last_not_of('\n');
        return out.substr(out.rfind('\n', end) + 1, end - out.rfind('\n', end));
    }

    fs::path folder;
    std::string out;
    std::string err;
};

TEST_F(RunnerTest, UnknownStepStopsEverythingBeforeItRuns) {
    const std::string good = write("good.kvs", "print \"ran\"\n");
    const std::string bad = write("bad.kvs", "show\n\nwiggle knob\n");
    EXPECT_EQ(run({good, bad}), 2);
    EXPECT_EQ(err, bad + ":3: unknown step 'wiggle'\n");
    EXPECT_EQ(out, "") << "nothing runs when a script cannot be understood";
}

TEST_F(RunnerTest, UnreadableScriptExitsWithTwo) {
    EXPECT_EQ(run({(folder / "missing.kvs").string()}), 2);
    EXPECT_NE(err.find("missing.kvs"), std::string::npos);
}

TEST_F(RunnerTest, FailedCheckReportsAndTheRunGoesOn) {
    const std::string script =
        write("f.kvs", "expect io 44 1\nexpect lcd 2 contains \"nowhere\"\nexpect io 44 2\n");
    EXPECT_EQ(run({script}), 1);
    EXPECT_NE(out.find("FAIL " + script + ":1: expected io 44 1, got 2 (0x0002)\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("FAIL " + script + ":2: expected lcd 2 contains \"nowhere\", got \""),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("+--------------------+"), std::string::npos) << "the LCD follows";
    EXPECT_EQ(lastLine(), "1 passed, 2 failed");
}

TEST_F(RunnerTest, EveryScriptStartsFromAFreshProcess) {
    const std::string first =
        write("a.kvs", "click power\npoke io 5 1\nturn 3\nexpect cell 116 1\n");
    const std::string second =
        write("b.kvs", "expect cell 116 0\nexpect io 5 0\nexpect knobframe 0\nexpect beeps 0\n");
    EXPECT_EQ(run({first, second}), 0) << out;
    EXPECT_EQ(lastLine(), "5 passed, 0 failed");
}

TEST_F(RunnerTest, RestartWithoutFlashFileCarriesOnlyThePersistedWords) {
    const std::string script = write("r.kvs", "poke flash 1023 7\npoke flash 1024 9\n"
                                              "poke cell 600 5\nrestart\n"
                                              "expect flash 1023 7\nexpect flash 1024 0\n"
                                              "expect cell 600 0\n");
    const bool existed = fs::exists("Flash.dat");
    EXPECT_EQ(run({script}), 0) << out;
    EXPECT_EQ(fs::exists("Flash.dat"), existed) << "no flash file is created without --flash";
}

TEST_F(RunnerTest, FlashFileCarriesTheStateFromScriptToScriptAndAtRestart) {
    const std::string flash = (folder / "Flash.dat").string();
    const std::string on = write("on.kvs", "click power\ntick\nrestart\nexpect cell 116 1\n");
    const std::string check = write("check.kvs", "expect cell 116 1\nexpect flash 116 1\n");
    EXPECT_EQ(run({"--flash", flash, on, check}), 0) << out;
    ASSERT_TRUE(fs::exists(flash));
    EXPECT_EQ(fs::file_size(flash), 2048u);
    std::ifstream file(flash, std::ios::binary);
    file.seekg(2 * 116);
    char word[2] = {};
    file.read(word, 2);
    EXPECT_EQ(word[0], 1);
    EXPECT_EQ(word[1], 0);
}

TEST_F(RunnerTest, FlashFileThatCannotBeOpenedIsReported) {
    const std::string flash = (folder / "missing" / "Flash.dat").string();
    const std::string script = write("on.kvs", "click power\ntick\nexpect cell 116 1\n");
    EXPECT_EQ(run({"--flash", flash, script}), 0) << out;
    EXPECT_NE(out.find("message box \"File Access Error\": Could not open or create file "
                       "FLASH.DAT"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("message box \"File Access Error\": Could not open file Flash.DAT"),
              std::string::npos)
        << out;
    EXPECT_EQ(lastLine(), "1 passed, 0 failed");
}

TEST_F(RunnerTest, ClockOptionAndClockStepSetTheHostClock) {
    const std::string script =
        write("c.kvs", "expect io 35 0x30\nclock \"2031-06-01 12:00:00\"\nclick power\ntick 2\n"
                       "expect io 35 0x31\nshow\n");
    EXPECT_EQ(run({"--clock", "2030-01-02 03:04:05", script}), 0) << out;
    EXPECT_NE(out.find("[00:00:00.100]"), std::string::npos) << "virtual time goes on";
    EXPECT_EQ(run({"--clock", "2030-01-02", script}), 2);
}

TEST_F(RunnerTest, WaitUntilGivesUpAfterItsDuration) {
    const std::string script = write("w.kvs", "wait until display lit within 1s\nshow\n"
                                              "click power\nwait until display lit within 1s\n");
    EXPECT_EQ(run({"--trace", script}), 1);
    EXPECT_NE(out.find("FAIL " + script + ":1: expected display lit within 1s, got dark"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("[00:00:01.000]\n+"), std::string::npos) << out;
    EXPECT_NE(out.find(script + ":4: held after 100 ms"), std::string::npos) << out;
    EXPECT_EQ(lastLine(), "1 passed, 1 failed");
}

TEST_F(RunnerTest, TracePrintsEveryChangedLine) {
    EXPECT_EQ(run({"--trace", "-"}, "click power\ntick 2\n"), 0);
    EXPECT_NE(out.find("[00:00:00.000] L2 \""), std::string::npos) << out;
    EXPECT_NE(out.find("[00:00:00.100] L1"), std::string::npos) << out;
}

TEST_F(RunnerTest, StandardInputAndHelp) {
    EXPECT_EQ(run({"-"}, "print \"Köldbärare\"\nexpect beeps 0\n"), 0);
    EXPECT_EQ(out, "Köldbärare\n1 passed, 0 failed\n");
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_NE(out.find("usage: kv410-script"), std::string::npos);
    EXPECT_EQ(run({"--version"}), 0);
    EXPECT_EQ(run({"--bogus", "-"}), 2);
    EXPECT_EQ(run({}), 2);
    EXPECT_EQ(run({"--flash"}), 2);
}

TEST_F(RunnerTest, FlashStepStartsFromACopyAndNeverWritesIt) {
    // A saved image with the unit on and a quick setting changed.
    const std::string image = (folder / "start.flash.dat").string();
    EXPECT_EQ(run({"--flash", image, write("make.kvs", "click power\ntick 2\npoke flash 0 43\n")}),
              0);
    const auto before = fs::last_write_time(image);
    const std::string script = write("replay.kvs", "flash \"start.flash.dat\"\nwait 2s\n"
                                                   "expect display lit\nexpect flash 0 43\n"
                                                   "press right\nwait 6s\nrelease right\n"
                                                   "expect io 42 4\nfocus GT3\nkey +\n"
                                                   "expect io 26 481\nrestart\n");
    EXPECT_EQ(run({script}), 0) << out;
    EXPECT_EQ(lastLine(), "4 passed, 0 failed");
    EXPECT_EQ(fs::last_write_time(image), before);
    // A missing image fails the run.
    EXPECT_EQ(run({write("missing.kvs", "flash \"nowhere.dat\"\n")}), 1);
    EXPECT_NE(out.find("cannot read the flash image"), std::string::npos);
    // The JUnit report counts it as the failed check it is.
    const std::string report = (folder / "missing.xml").string();
    EXPECT_EQ(run({"--junit", report, (folder / "missing.kvs").string()}), 1);
    std::ifstream file(report);
    const std::string xml((std::istreambuf_iterator<char>(file)), {});
    EXPECT_NE(xml.find("failures=\"1\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("<failure"), std::string::npos) << xml;
}

TEST_F(RunnerTest, LiveAnswersEveryCheckShowAndPrintWithOneLine) {
    EXPECT_EQ(run({"--live"}, "click power\nwait 2s\nexpect display lit\nwiggle\n"
                              "expect lcd 1 \"                    \"\nshow\nprint \"end\"\n"),
              1);
    std::istringstream lines(out);
    std::string line;
    std::vector<std::string> answers;
    while (std::getline(lines, line)) {
        answers.push_back(line);
    }
    ASSERT_EQ(answers.size(), 6u) << out;
    EXPECT_EQ(answers[0], "ok <stdin>:3");
    EXPECT_EQ(answers[1], "error <stdin>:4: unknown step 'wiggle'");
    EXPECT_EQ(answers[2].rfind("FAIL <stdin>:5: expected lcd 1", 0), 0u);
    EXPECT_EQ(answers[3].rfind("[00:00:02.000] |         ORV      K1|", 0), 0u);
    EXPECT_EQ(answers[4], "end");
    EXPECT_EQ(answers[5], "1 passed, 1 failed");
    EXPECT_EQ(run({"--live", write("x.kvs", "show\n")}), 2);
}

TEST_F(RunnerTest, SideBySideFilesPrintWhatOneAfterAnotherPrints) {
    const std::string a = write("a.kvs", "click power\nwait 2s\nshow\nexpect display lit\n");
    const std::string b = write("b.kvs", "print \"b\"\nexpect led alarm lit\nturn 3\n");
    const std::string c = write("c.kvs", "click power\nhold right 6s\nexpect beeps 0\n");
    for (const bool trace : {false, true}) {
        std::vector<std::string> arguments{a, b, c};
        if (trace) {
            arguments.insert(arguments.begin(), "--trace");
        }
        EXPECT_EQ(run(arguments), 1);
        const std::string serial = out;
        for (const char* jobs : {"2", "3", "8"}) {
            std::vector<std::string> parallel = arguments;
            parallel.insert(parallel.begin(), {"-j", jobs});
            EXPECT_EQ(run(parallel), 1) << "the worst status of the files";
            EXPECT_EQ(out, serial) << "-j " << jobs << (trace ? " --trace" : "");
        }
    }
    EXPECT_EQ(lastLine(), "2 passed, 1 failed");
    EXPECT_EQ(run({"-j2", a, a}), 0);
    EXPECT_EQ(lastLine(), "2 passed, 0 failed");
    EXPECT_EQ(run({"-j", "0", a}), 2);
    EXPECT_EQ(run({"-jx", a}), 2);
    // Scripts at the same time cannot share one flash file, nor one animated picture.
    EXPECT_EQ(run({"-j", "2", "--flash", (folder / "F.dat").string(), a, b}), 2);
    EXPECT_NE(err.find("--flash"), std::string::npos) << err;
}

TEST_F(RunnerTest, PictureStepsNeedAFrontEndThatDraws) {
    // This test program has none, as a build without Qt (the WebAssembly runner) has none.
    ASSERT_EQ(frontPictures(), nullptr);
    const std::string good = write("good.kvs", "print \"ran\"\n");
    const std::string script = write("p.kvs", "click power\nsnapshot \"on.png\"\n"
                                              "expect snapshot \"on.png\"\n");
    EXPECT_EQ(run({good, script}), 2);
    EXPECT_EQ(out, "") << "nothing runs";
    EXPECT_NE(err.find(script + ":2: pictures of the front need kv410-script built with Qt 6"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find(script + ":3: "), std::string::npos) << err;
    EXPECT_EQ(run({"--gif", (folder / "run.gif").string(), good}), 2);
    EXPECT_NE(err.find("--gif"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(folder / "run.gif"));
    // With --keep-going the understood script runs, and the status is still 2.
    EXPECT_EQ(run({"--keep-going", good, script}), 2);
    EXPECT_EQ(out, "ran\n0 passed, 0 failed\n");
}

// Draws nothing: records where the runner asked for pictures and answers as told.
struct PretendPictures : FrontPictures {
    std::vector<std::string> saved;
    std::vector<std::string> compared;
    // compare() matches on the N-th call (0: never), or always for a name with "same".
    int matchOnCall = 0;

    bool save(const std::string& path, std::string& problem) override {
        saved.push_back(path);
        if (path.find("unwritable") != std::string::npos) {
            problem = "cannot write the picture " + path;
            return false;
        }
        return true;
    }
    SnapshotComparison compare(const std::string& golden, int tolerance, const std::string& actual,
                               const std::string& diff, bool write) override {
        compared.push_back(golden + " tolerance " + std::to_string(tolerance) +
                           (write ? " write" : ""));
        SnapshotComparison result;
        result.matches = golden.find("same") != std::string::npos ||
                         static_cast<int>(compared.size()) == matchOnCall;
        if (!result.matches) {
            result.found = "12 pixels differ by up to 200";
            if (write) {
                result.written = {actual, diff};
            }
        }
        return result;
    }
    std::unique_ptr<FrameSink> startGif(const std::string&, bool, std::string& problem) override {
        problem = "no GIF here";
        return nullptr;
    }
};

class RunnerPicturesTest : public RunnerTest {
protected:
    void SetUp() override {
        RunnerTest::SetUp();
        installFrontPictures(&pictures);
    }
    void TearDown() override {
        installFrontPictures(nullptr);
        RunnerTest::TearDown();
    }
    PretendPictures pictures;
};

TEST_F(RunnerPicturesTest, SnapshotsLieBesideTheScriptOrInThePictureFolder) {
    const std::string script =
        write("s.kvs", "snapshot \"shots/start.png\"\nexpect snapshot \"same.png\"\n"
                       "expect snapshot \"golden/on.png\"\n");
    const std::string report = (folder / "report.xml").string();
    EXPECT_EQ(run({"--tolerance", "3", "--junit", report, script}), 1);
    const std::string base = folder.string() + "/";
    EXPECT_EQ(pictures.saved, std::vector<std::string>{base + "shots/start.png"});
    ASSERT_EQ(pictures.compared.size(), 2u);
    EXPECT_EQ(pictures.compared[1], base + "golden/on.png tolerance 3 write");
    EXPECT_NE(out.find("FAIL " + script +
                       ":3: expected snapshot \"golden/on.png\", got 12 pixels "
                       "differ by up to 200, wrote " +
                       base + "golden/on.actual.png and " + base + "golden/on.diff.png\n"),
              std::string::npos)
        << out;
    std::ifstream file(report);
    const std::string xml((std::istreambuf_iterator<char>(file)), {});
    EXPECT_NE(xml.find("[[ATTACHMENT|" + base + "golden/on.diff.png]]"), std::string::npos) << xml;

    // --pictures puts them elsewhere; --update-snapshots writes the approved ones and passes.
    pictures.saved.clear();
    EXPECT_EQ(run({"--pictures", "/elsewhere", "--update-snapshots", script}), 0) << out;
    EXPECT_EQ(pictures.saved,
              (std::vector<std::string>{"/elsewhere/shots/start.png", "/elsewhere/same.png",
                                        "/elsewhere/golden/on.png"}));
    EXPECT_EQ(lastLine(), "2 passed, 0 failed");
}

TEST_F(RunnerPicturesTest, WaitUntilSnapshotWritesPicturesOnlyWhenItGivesUp) {
    const std::string script = write("w.kvs", "wait until snapshot \"on.png\" within 200ms\n"
                                              "wait until snapshot \"on.png\" within 100ms\n");
    pictures.matchOnCall = 3;
    EXPECT_EQ(run({script}), 1);
    // Tried at once and after each tick: held on the third try; the second check gives up
    // after three tries and a fourth that writes the pictures of the mismatch.
    ASSERT_EQ(pictures.compared.size(), 7u);
    EXPECT_EQ(pictures.compared[5].find(" write"), std::string::npos);
    EXPECT_NE(pictures.compared[6].find(" write"), std::string::npos);
    EXPECT_NE(out.find(":2: expected snapshot \"on.png\" within 100ms, got 12 pixels"),
              std::string::npos)
        << out;
}

TEST_F(RunnerPicturesTest, APictureThatCannotBeWrittenMakesTheRunUntrustworthy) {
    const std::string script = write("u.kvs", "snapshot \"unwritable.png\"\nexpect beeps 0\n");
    EXPECT_EQ(run({script}), 2);
    EXPECT_NE(out.find("ERROR " + script + ":1: cannot write the picture"), std::string::npos)
        << out;
    EXPECT_EQ(lastLine(), "1 passed, 0 failed") << "the run goes on";
    EXPECT_EQ(run({"--gif", (folder / "x.gif").string(), script}), 2);
    EXPECT_NE(err.find("no GIF here"), std::string::npos) << err;
}

} // namespace
} // namespace kv410
