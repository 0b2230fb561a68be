// kv410-flash's command line on files written by the unit: what it prints, its exit status, and
// that bad input writes nothing.
#include "menu/MenuTestDriver.h"

#include "core/FlashFile.h"
#include "core/Memory.h"
#include "flashtool/FlashTool.h"
#include "menu/SettingsCatalogue.h"
#include "supervision/AlarmLog.h"

#include <gmock/gmock.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <iterator>
#include <sstream>

namespace kv410 {
namespace {

using ::testing::HasSubstr;
namespace fs = std::filesystem;

struct Result {
    int status;
    std::string out;
    std::string err;
};

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        result.push_back(line);
    }
    return result;
}

class FlashToolTest : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        folder = fs::temp_directory_path() /
                 ("kv410-flashtool-" +
                  std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        savedPath = FlashFilePath;
        // The unit of the fixture, saved as it stands: factory values, switched on.
        save("factory.dat");
    }
    void TearDown() override {
        FlashFilePath = savedPath;
        fs::remove_all(folder);
        MenuTest::TearDown();
    }

    // Writes the unit's image as the window does when it closes.
    std::string save(const std::string& name) {
        FlashFilePath = (folder / name).string();
        saveFlashFile();
        return FlashFilePath;
    }

    Result run(std::vector<std::string> arguments) {
        std::ostringstream out;
        std::ostringstream err;
        const int status = runFlashTool(arguments, out, err);
        return {status, out.str(), err.str()};
    }

    std::string path(const std::string& name) const { return (folder / name).string(); }

    fs::path folder;
    std::string savedPath;
};

TEST_F(FlashToolTest, ASettingChangedThroughTheMenuIsTheOneChangedSetting) {
    endMessage();
    openUnder({1, 10});
    pressEnter();
    turn(5);
    pressEnter();
    const std::string file = save("Flash.dat");

    Result shown = run({"show", file, "--changed"});
    EXPECT_EQ(shown.status, 0) << shown.err;
    ASSERT_EQ(lines(shown.out).size(), 2u) << shown.out;
    EXPECT_THAT(lines(shown.out)[1], ::testing::StartsWith("1.10"));
    EXPECT_THAT(lines(shown.out)[1], HasSubstr("20,5"));

    // The JSON of every setting reads back, one object per setting of the catalogue.
    shown = run({"show", file, "--format", "json"});
    ASSERT_EQ(shown.status, 0);
    const nlohmann::json all = nlohmann::json::parse(shown.out);
    ASSERT_EQ(all.size(), settingsCatalogue().size());
    int changed = 0;
    for (const auto& setting : all) {
        if (setting["changed"].get<bool>()) {
            ++changed;
            EXPECT_EQ(setting["number"], "1.10");
            EXPECT_EQ(setting["value"], "20,5");
            EXPECT_EQ(setting["factory"], "20,0");
            EXPECT_EQ(setting["unit"], "º");
            EXPECT_EQ(setting["min"], "10,0");
            EXPECT_EQ(setting["paths"].size(), 2u);
        }
    }
    EXPECT_EQ(changed, 1);

    // CSV: a head row and a row per setting; a level keeps what it reaches.
    shown = run({"show", file, "--format", "csv", "--level", "kund1"});
    EXPECT_EQ(lines(shown.out).front(),
              "number,name,english,value,unit,factory,min,max,level,changed");
    EXPECT_EQ(lines(shown.out).size(), 7u) << shown.out;

    const Result compared = run({"diff", path("factory.dat"), file});
    EXPECT_EQ(compared.status, 1);
    ASSERT_EQ(lines(compared.out).size(), 2u) << compared.out;
    EXPECT_THAT(lines(compared.out)[0], HasSubstr(path("factory.dat")));
    EXPECT_THAT(lines(compared.out)[0], HasSubstr(file));
    EXPECT_THAT(lines(compared.out)[1], HasSubstr("20,0"));
    EXPECT_EQ(run({"diff", file, file}).status, 0);
}

TEST_F(FlashToolTest, SetWritesOutAsTheEditorsSaveAndLeavesTheFileAlone) {
    const std::string factory = path("factory.dat");
    const std::string before = contents(factory);
    Result set = run(
        {"set", factory, "1.10=23,5", "8.3.6=240", "5.7=Tilskudd stopper", "-o", path("out.dat")});
    ASSERT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(contents(factory), before);
    const std::string written = contents(path("out.dat"));
    ASSERT_EQ(written.size(), 2048u);
    // The signature stays; the derived valve run time and the valve timings follow.
    EXPECT_EQ(written.substr(98, 2), before.substr(98, 2));
    const Result shown = run({"show", path("out.dat"), "--changed", "--format", "json"});
    std::map<std::string, std::string> values;
    for (const auto& setting : nlohmann::json::parse(shown.out)) {
        values[setting["number"]] = setting["value"];
    }
    EXPECT_EQ(
        values,
        (std::map<std::string, std::string>{
            {"1.10", "23,5"}, {"5.7", "Tilskudd stopper"}, {"8.3.5", "4"}, {"8.3.6", "240"}}));
    EXPECT_NE(written.substr(2 * 101, 10), before.substr(2 * 101, 10));

    // Written over the file itself when OUT names it.
    ASSERT_EQ(run({"set", factory, "1.1=5,5", "-o", factory}).status, 0);
    EXPECT_NE(contents(factory), before);
}

TEST_F(FlashToolTest, BadInputIsRefusedWithExitTwoAndNothingWritten) {
    const std::string factory = path("factory.dat");
    const std::string image = contents(factory);
    write(path("short.dat"), image.substr(0, 100));
    write(path("long.dat"), image + image);
    write(path("unsigned.dat"), std::string(2048, '\0'));
    std::string noise(2048, '\0');
    for (size_t i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<char>(i * 7919 % 251);
    }
    write(path("random.dat"), noise);
    const struct {
        std::string file;
        const char* says;
    } files[] = {{path("missing.dat"), "no such file"},  {folder.string(), "a folder"},
                 {path("short.dat"), "100 bytes"},       {path("long.dat"), "4096 bytes"},
                 {path("unsigned.dat"), "no signature"}, {path("random.dat"), "no signature"}};
    for (const auto& bad : files) {
        for (const char* command : {"show", "alarms"}) {
            const Result result = run({command, bad.file});
            EXPECT_EQ(result.status, 2) << command << ' ' << bad.file;
            EXPECT_THAT(result.err, HasSubstr(bad.says));
        }
        const Result result = run({"set", bad.file, "1.10=21", "-o", path("out.dat")});
        EXPECT_EQ(result.status, 2);
        EXPECT_FALSE(fs::exists(path("out.dat"))) << bad.file;
    }
    EXPECT_EQ(run({"diff", factory, path("short.dat")}).status, 2);

    write(path("out.dat"), "kept");
    const struct {
        std::string assignment;
        const char* says;
    } values[] = {{"9.99=1", "unknown setting number '9.99'"},
                  {"1.10=35", "1.10 Romtemperatur: 35 is outside its limits 10,0..30,0 º"},
                  {"5.1=(D)", "none of \"(A)\", \"(B)\", \"(C)\""},
                  {"2.1=4,5", "whole number"}};
    for (const auto& bad : values) {
        // A good value first: the bad one after it still leaves the output unwritten.
        const Result result =
            run({"set", factory, "1.1=5,0", bad.assignment, "-o", path("out.dat")});
        EXPECT_EQ(result.status, 2) << bad.assignment;
        EXPECT_THAT(result.err, HasSubstr(bad.says));
        EXPECT_EQ(contents(path("out.dat")), "kept");
    }
    EXPECT_EQ(run({"set", factory, "1.10=21"}).status, 2);
    EXPECT_EQ(run({"show", factory, "--level", "boss"}).status, 2);
    EXPECT_EQ(run({"frobnicate", factory}).status, 2);
    EXPECT_EQ(contents(factory), image);
}

TEST_F(FlashToolTest, CheckReportsFindingsAndTheUnreadable) {
    const std::string factory = path("factory.dat");
    Result checked = run({"check", factory});
    EXPECT_EQ(checked.status, 0) << checked.out;
    EXPECT_THAT(checked.out, HasSubstr("sound"));

    std::string image = contents(factory);
    image[2 * 33] = static_cast<char>(0xF4); // cell 33 = 500: room temperature 50,0
    image[2 * 33 + 1] = 0x01;
    image[2 * 513] = 14; // a write offset that is no multiple of 13
    write(path("odd.dat"), image);
    checked = run({"check", path("odd.dat")});
    EXPECT_EQ(checked.status, 1);
    EXPECT_THAT(checked.out, HasSubstr("1.10 Romtemperatur"));
    EXPECT_THAT(checked.out, HasSubstr("write offset (flash word 513) is 14"));

    write(path("short.dat"), image.substr(0, 100));
    checked = run({"check", path("short.dat")});
    EXPECT_EQ(checked.status, 1);
    EXPECT_THAT(checked.out, HasSubstr("100 bytes"));
    EXPECT_THAT(checked.out, HasSubstr("no signature"));
    EXPECT_EQ(run({"check", path("missing.dat")}).status, 2);
    EXPECT_EQ(run({"check", folder.string()}).status, 2);
}

TEST_F(FlashToolTest, AlarmsAreListedNewestFirstAsTheViewerShowsThem) {
    appendAlarmLog("=261206121520"); // alarm 13, the low-pressure switch
    appendAlarmLog("3261207081500");
    const std::string file = save("alarms.dat");
    Result listed = run({"alarms", file});
    ASSERT_EQ(listed.status, 0) << listed.err;
    ASSERT_EQ(lines(listed.out).size(), 3u) << listed.out;
    EXPECT_EQ(lines(listed.out)[1], "261207 08:15:00  3      ALARM (GT4) / Foler shuntKurve");
    EXPECT_EQ(lines(listed.out)[2], "261206 12:15:20  13     ALARM (LP) / Pressostat lav");

    listed = run({"alarms", file, "--format", "json"});
    const nlohmann::json records = nlohmann::json::parse(listed.out);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0]["alarm"], 3);
    EXPECT_EQ(records[1]["time"], "261206 12:15:20");
    EXPECT_EQ(run({"alarms", path("factory.dat")}).out, "Time  Alarm  Text\n");
}

} // namespace
} // namespace kv410
