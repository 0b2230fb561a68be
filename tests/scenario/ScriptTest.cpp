#include "scenario/Script.h"

#include "panel/KeyMap.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kv410 {
namespace {

// Parses a script that must be understood.
Script parsed(std::string_view text) {
    Script script;
    std::vector<std::string> errors;
    EXPECT_TRUE(parseScript(text, "t.kvs", script, errors)) << (errors.empty() ? "" : errors[0]);
    return script;
}

// The errors of a script that must not be understood.
std::vector<std::string> errorsOf(std::string_view text) {
    Script script;
    std::vector<std::string> errors;
    EXPECT_FALSE(parseScript(text, "bad.kvs", script, errors));
    return errors;
}

TEST(ScriptTest, ErrorsNameFileAndLineCountingCommentsAndBlanks) {
    const auto errors = errorsOf("# comment\n\nshow\nfrobnicate 3\nwait 5\n");
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0], "bad.kvs:4: unknown step 'frobnicate'");
    EXPECT_EQ(errors[1].rfind("bad.kvs:5: ", 0), 0u) << errors[1];
}

TEST(ScriptTest, DurationsRoundUpToWholeTicks) {
    const Script s = parsed("wait 250ms\nwait 251ms\nwait 3ticks\nwait 2s\nwait 10m\nwait 1d\n"
                            "tick\ntick 7\nhold right 1h\nwait 0s\n");
    const int64_t expected[] = {5, 6, 3, 40, 12000, 1728000, 1, 7, 72000, 0};
    ASSERT_EQ(s.steps.size(), std::size(expected));
    for (size_t i = 0; i < s.steps.size(); ++i) {
        EXPECT_EQ(s.steps[i].ticks, expected[i]) << "line " << i + 1;
    }
    for (const char* bad : {"wait 5", "wait -5s", "wait 5x", "wait s", "wait 99999999999999d"}) {
        EXPECT_EQ(errorsOf(bad).size(), 1u) << bad;
    }
}

TEST(ScriptTest, QuotedTextsKeepBlanksHashesAndEscapes) {
    const Script s = parsed(R"(print "a # \"b\" \\ c"  # trailing comment)");
    ASSERT_EQ(s.steps.size(), 1u);
    EXPECT_EQ(s.steps[0].text, R"(a # "b" \ c)");
    EXPECT_EQ(errorsOf(R"(print "open)").size(), 1u);
    EXPECT_EQ(errorsOf(R"(print "a\n")").size(), 1u);
    EXPECT_EQ(errorsOf("print unquoted").size(), 1u);
}

TEST(ScriptTest, LcdTextsAreConvertedAndMustFillTheLine) {
    const Script s = parsed("expect lcd 1 \"Ute  20º Kurve     º\"\n"
                            "expect lcd 4 contains \"Lagre\"\n");
    ASSERT_EQ(s.steps.size(), 2u);
    EXPECT_EQ(s.steps[0].check.kind, CheckKind::LcdExact);
    EXPECT_EQ(s.steps[0].check.text.size(), 20u);
    EXPECT_EQ(s.steps[0].check.text[7], '\xBA');
    EXPECT_EQ(s.steps[1].check.kind, CheckKind::LcdContains);
    EXPECT_EQ(errorsOf("expect lcd 1 \"short\"").size(), 1u);
    EXPECT_EQ(errorsOf("expect lcd 5 contains \"x\"").size(), 1u);
    EXPECT_EQ(errorsOf("expect lcd 1 contains \"€\"").size(), 1u);
}

TEST(ScriptTest, WordValuesAreSixteenBitPatterns) {
    const Script s = parsed("poke io 48 -1\nexpect io 48 0xFFFF\npoke cell 16383 -32768\n"
                            "expect flash 2047 0x8000\n");
    EXPECT_EQ(s.steps[0].value, -1);
    EXPECT_EQ(s.steps[1].check.value, 0xFFFF);
    EXPECT_EQ(static_cast<uint16_t>(s.steps[0].value), s.steps[1].check.value);
    EXPECT_EQ(s.steps[3].check.value, 0x8000);
    for (const char* bad : {"poke flash 2048 1", "poke cell -1 0", "poke io 1 65536",
                            "expect cell 1 -32769", "poke ram 1 1", "expect io 1"}) {
        EXPECT_EQ(errorsOf(bad).size(), 1u) << bad;
    }
}

TEST(ScriptTest, NamesAreCaseInsensitive) {
    const Script s = parsed("click larm\nclick Gt4\nsensor gt3X 10\nkey SHIFT+up x3\n"
                            "expect LED Alarm LIT\nclick KNOB Back Shift\n");
    EXPECT_EQ(s.steps[0].count, 9);
    EXPECT_EQ(s.steps[1].count, 10);
    EXPECT_EQ(s.steps[2].count, 11);
    EXPECT_EQ(s.steps[3].count, 3);
    EXPECT_TRUE(s.steps[3].key.shift);
    EXPECT_TRUE(s.steps[4].check.lit);
    EXPECT_EQ(s.steps[5].count, -1);
    EXPECT_TRUE(s.steps[5].shift);
}

TEST(ScriptTest, RejectsMalformedSteps) {
    for (const char* bad :
         {"click nothing", "key F5", "key Up x0", "key Up 3", "hold left", "sensor GT7 10",
          "expect led power lit", "expect lamp 11 lit", "expect display on", "expect knobframe 12",
          "clock \"2026-13-01 00:00:00\"", "clock 2026-01-01", "wait until display lit",
          "wait until display lit within", "wait until bogus within 1s", "show now",
          "restart please", "turn many"}) {
        EXPECT_EQ(errorsOf(bad).size(), 1u) << bad;
    }
}

TEST(ScriptTest, WaitUntilTakesTheCheckBeforeWithin) {
    const Script s = parsed("wait until lcd 2 contains \"within\" within 10s\n"
                            "wait until graph 0 40 within 3ticks\n");
    EXPECT_EQ(s.steps[0].kind, StepKind::WaitUntil);
    EXPECT_EQ(s.steps[0].check.text, "within");
    EXPECT_EQ(s.steps[0].ticks, 200);
    EXPECT_EQ(s.steps[1].check.kind, CheckKind::GraphRange);
    EXPECT_EQ(s.steps[1].check.value2, 40);
    EXPECT_EQ(s.steps[1].ticks, 3);
}

TEST(ScriptTest, Latin1ConversionBothWays) {
    std::string latin1;
    ASSERT_TRUE(utf8ToLatin1("Köldbärare º", latin1));
    EXPECT_EQ(latin1, "K\xF6ldb\xE4rare \xBA");
    EXPECT_EQ(latin1ToUtf8(latin1), "Köldbärare º");
    EXPECT_EQ(latin1ToUtf8(std::string("a\x01\x7F", 3)), "a??");
    EXPECT_FALSE(utf8ToLatin1("\xC3", latin1));
    EXPECT_FALSE(utf8ToLatin1("\xC3\x28", latin1));
    EXPECT_FALSE(utf8ToLatin1("Ā", latin1));
}

TEST(ScriptTest, PictureNamesStayInsideThePictureFolder) {
    const Script s = parsed("snapshot \"on.png\"   # the unit on\n"
                            "expect snapshot \"golden/Menu 1.PNG\"\n"
                            "wait until snapshot \"x..y/on.png\" within 1s\nclick Paneler\n");
    ASSERT_EQ(s.steps.size(), 4u);
    EXPECT_EQ(s.steps[0].kind, StepKind::Snapshot);
    EXPECT_EQ(s.steps[0].text, "on.png");
    EXPECT_EQ(s.steps[0].source, "snapshot \"on.png\"") << "as written, without the comment";
    EXPECT_EQ(s.steps[1].check.kind, CheckKind::Snapshot);
    EXPECT_EQ(s.steps[1].check.text, "golden/Menu 1.PNG");
    EXPECT_TRUE(stepNeedsPictures(s.steps[0]));
    EXPECT_TRUE(stepNeedsPictures(s.steps[2]));
    EXPECT_FALSE(stepNeedsPictures(s.steps[3]));
    EXPECT_EQ(s.steps[3].kind, StepKind::ClickPanels);
    for (const char* bad :
         {"snapshot \"/etc/on.png\"", "snapshot \"../on.png\"", "snapshot \"a/../../on.png\"",
          "snapshot \"a/..\"", "snapshot \"on.gif\"", "snapshot \".png\"", "snapshot on.png",
          "snapshot \"a\tb.png\"", "expect snapshot \"..\"", "snapshot \"on.png\" now"}) {
        EXPECT_EQ(errorsOf(bad).size(), 1u) << bad;
    }
}

// Every field a step carries, so that two steps compare whole.
std::string fields(const Step& step) {
    std::ostringstream out;
    const Check& c = step.check;
    out << static_cast<int>(step.kind) << ' ' << step.ticks << ' ' << step.count << ' '
        << step.value << ' ' << step.shift << ' ' << step.key.key << ' ' << step.key.shift << ' '
        << int(step.key.character) << ' ' << static_cast<int>(c.kind) << ' ' << c.index << ' '
        << c.value << ' ' << c.value2 << ' ' << c.lit << " [" << c.text << "] [" << step.text
        << "]";
    for (const int field : step.clock) {
        out << ' ' << field;
    }
    return out.str();
}

TEST(ScriptTest, WrittenStepsReadBackToTheSameSteps) {
    // Every step of the project's own scripts, written and read back.
    const char* data = std::getenv("KV410_TEST_DATA");
    ASSERT_NE(data, nullptr) << "KV410_TEST_DATA names the tests folder";
    const std::filesystem::path tests(data);
    int steps = 0;
    for (const char* folder : {"scenarios", "snapshots", "../bench"}) {
        for (const auto& entry : std::filesystem::directory_iterator(tests / folder)) {
            if (entry.path().extension() != ".kvs") {
                continue;
            }
            std::ifstream file(entry.path(), std::ios::binary);
            std::ostringstream text;
            text << file.rdbuf();
            for (const Step& step : parsed(text.str()).steps) {
                const std::string line = writeStep(step);
                const Script again = parsed(line);
                ASSERT_EQ(again.steps.size(), 1u) << line;
                Step expected = step;
                if (step.kind == StepKind::WaitUntil) {
                    expected.text = again.steps[0].text;
                }
                EXPECT_EQ(fields(again.steps[0]), fields(expected))
                    << entry.path().filename() << ':' << step.line << " written as " << line;
                ++steps;
            }
        }
    }
    EXPECT_GT(steps, 500);
}

TEST(ScriptTest, StepsAreWrittenAsRecordingsAlwaysWroteThem) {
    const Script s =
        parsed("click knob back shift\nclick mb1\nclick larm\nkeydown SHIFT+left\n"
               "keyup other\nhold middle 1501ms\nsensor gt3x -500\nfocus GT1\n"
               "poke io 27 -1\nclock \"2026-01-02 03:04:05\"\nflash \"a \\\"b\\\".dat\"\n"
               "expect lcd 1 \"Ute  20\xC2\xBA Kurve     \xC2\xBA\"\nkey + x3\ntick 3\n");
    const char* written[] = {"click knob back shift",
                             "click MB1",
                             "click Larm",
                             "keydown shift+left",
                             "keyup other",
                             "hold middle 1550ms",
                             "sensor GT3X -500",
                             "focus GT1",
                             "poke io 27 -1",
                             "clock \"2026-01-02 03:04:05\"",
                             "flash \"a \\\"b\\\".dat\"",
                             "expect lcd 1 \"Ute  20\xC2\xBA Kurve     \xC2\xBA\"",
                             "key + x3",
                             "wait 150ms"};
    ASSERT_EQ(s.steps.size(), std::size(written));
    for (size_t i = 0; i < s.steps.size(); ++i) {
        EXPECT_EQ(writeStep(s.steps[i]), written[i]);
    }
}

TEST(ScriptTest, EveryStrokeOfTheKeyMapHasTheScriptKeyThatDoesTheSame) {
    // A recording writes a stroke by its script name; reading the name back must give the very
    // stroke the window performed.
    const char* names[] = {"ArrowLeft", "ArrowRight", "ArrowUp", "ArrowDown", "Escape", "Enter",
                           "+",         "-",          "*",       "/",         "1",      "a",
                           "F2",        "PageUp",     " ",       ""};
    for (const char* name : names) {
        for (const bool shift : {false, true}) {
            for (const bool control : {false, true}) {
                const KeyStroke stroke =
                    mapKeyDown(HostKey{name, shift, control, false}, {}).stroke;
                Step step;
                step.kind = StepKind::KeyDown;
                step.key = {static_cast<int>(stroke.key), stroke.shift, stroke.character};
                const Script back = parsed(writeStep(step));
                ASSERT_EQ(back.steps.size(), 1u);
                EXPECT_EQ(fields(back.steps[0]), fields(step)) << '"' << name << "\" " << shift;
            }
        }
    }
}

} // namespace
} // namespace kv410
