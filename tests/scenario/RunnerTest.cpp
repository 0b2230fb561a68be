#include "scenario/Runner.h"
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

} // namespace
} // namespace kv410
