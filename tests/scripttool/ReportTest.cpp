#include "scripttool/Report.h"

#include <gtest/gtest.h>

#include <sstream>

namespace kv410 {
namespace {

ScriptReport sampleReport() {
    ScriptReport report;
    report.file = "tests/a.kvs";
    report.ran = true;
    report.output = std::string("FAIL x\n\0binary\xFF", 16);
    report.passed = 3;
    report.failed = 1;
    report.seconds = 0.25;
    CheckReport check;
    check.line = 7;
    check.step = "expect snapshot \"on.png\"";
    check.expected = "snapshot \"on.png\"";
    check.found = "12 pixels differ by up to 255";
    check.failure = "FAIL tests/a.kvs:7: ...\n";
    check.attachments = {"tests/on.actual.png", "tests/on.diff.png"};
    check.seconds = 0.125;
    report.checks.push_back(check);
    report.problems.push_back({9, "tests/a.kvs:9: cannot write the picture x.png"});
    return report;
}

TEST(ReportTest, ABytesRoundTripKeepsEverythingAndATruncatedOneIsRefused) {
    const ScriptReport report = sampleReport();
    const std::string bytes = encodeReport(report);
    ScriptReport back;
    ASSERT_TRUE(decodeReport(bytes, back));
    EXPECT_EQ(back.file, report.file);
    EXPECT_EQ(back.output, report.output);
    EXPECT_EQ(back.passed, 3);
    EXPECT_EQ(back.failed, 1);
    EXPECT_DOUBLE_EQ(back.seconds, 0.25);
    ASSERT_EQ(back.checks.size(), 1u);
    EXPECT_EQ(back.checks[0].line, 7);
    EXPECT_EQ(back.checks[0].attachments, report.checks[0].attachments);
    EXPECT_EQ(back.checks[0].found, report.checks[0].found);
    ASSERT_EQ(back.problems.size(), 1u);
    EXPECT_EQ(back.problems[0].message, report.problems[0].message);

    // A child that died while writing leaves a part of the bytes; nothing of it is believed.
    for (size_t length : {size_t{0}, size_t{5}, bytes.size() / 2, bytes.size() - 1}) {
        ScriptReport partial;
        EXPECT_FALSE(decodeReport(std::string_view(bytes).substr(0, length), partial)) << length;
    }
    EXPECT_FALSE(decodeReport(bytes + "x", back));
}

TEST(ReportTest, ClassNamesKeepScriptsOfOneNameInDifferentFoldersApart) {
    std::vector<ScriptReport> reports(5);
    reports[0].file = "tests/scenarios/x.kvs";
    reports[1].file = "bench/x.kvs";
    reports[2].file = "x.kvs";
    reports[3].file = "/abs/../up/./x.y.kvs";
    reports[4].file = "<stdin>";
    for (ScriptReport& report : reports) {
        report.ran = true;
        report.problems.push_back({1, report.file + ":1: trouble"});
    }
    std::ostringstream xml;
    writeJUnit(xml, reports);
    for (const char* name : {"tests.scenarios.x", "bench.x", "\"x\"", "abs.up.x.y", "\"stdin\""}) {
        EXPECT_NE(xml.str().find(std::string("classname=\"") +
                                 (name[0] == '"' ? name + 1 : std::string(name) + "\"")),
                  std::string::npos)
            << name << "\n"
            << xml.str();
    }
}

TEST(ReportTest, XmlTextEscapesMarkupAndReplacesWhatXmlCannotHold) {
    EXPECT_EQ(xmlText("a<b>&\"c\"", false), "a&lt;b&gt;&amp;\"c\"");
    EXPECT_EQ(xmlText("a\"b\nc\td", true), "a&quot;b&#10;c&#9;d");
    EXPECT_EQ(xmlText("Köldbärare 20º", false), "Köldbärare 20º");
    // A control character, a stray byte, a cut sequence, an encoded surrogate, an overlong form.
    EXPECT_EQ(xmlText("a\x01"
                      "b",
                      false),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(xmlText("\xFF", false), "\xEF\xBF\xBD");
    EXPECT_EQ(xmlText("x\xC3", false), "x\xEF\xBF\xBD");
    EXPECT_EQ(xmlText("\xED\xA0\x80", false), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(xmlText("\xC0\xAF", false), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(xmlText("\xF0\x9F\x98\x80", false), "\xF0\x9F\x98\x80");
}

} // namespace
} // namespace kv410
