#include "scenario/Script.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace kv410
