#include "ControllerFixture.h"

#include "core/Memory.h"
#include "display/Lcd.h"
#include "display/TextTable.h"

#include <string>

namespace kv410 {
namespace {

using LcdTest = ControllerTest;

std::string line(int n) {
    return std::string(LcdLines[n - 1]);
}

std::string field(int32_t value, bool tenths) {
    char out[7];
    formatNumber(value, out, tenths);
    return std::string(out);
}

TEST_F(LcdTest, LinesStartAsTwentyBlanks) {
    for (int n = 1; n <= 4; ++n) {
        EXPECT_EQ(line(n), std::string(20, ' '));
    }
}

TEST_F(LcdTest, WriteTextTranslatesControllerCodes) {
    writeText(2, 18, "\x7F\xB0");
    EXPECT_EQ(line(2).substr(17, 3), "<- ");
    writeText(1, 1, "\xDF\x01\x03\x04\x05\x7E\xE1\xEF\xBA");
    EXPECT_EQ(line(1).substr(0, 9), "\xBA\xE5\xC5\xC4^>\xE4\xF6\xBA");
    putChar(3, 1, '\x7F');
    EXPECT_EQ(LcdLines[2][0], '\x7F');
}

TEST_F(LcdTest, WriteTextOverwritesOnlyItsOwnColumns) {
    writeText(3, 1, "ABCDEFGHIJKLMNOPQRST");
    writeText(3, 5, " x ");
    EXPECT_EQ(line(3), "ABCD x HIJKLMNOPQRST");
}

TEST_F(LcdTest, WritesOutsideTheGridAreClipped) {
    writeText(1, 18, "abcdef");
    EXPECT_EQ(line(1), std::string(17, ' ') + "abc");
    writeText(4, -1, "xyz");
    EXPECT_EQ(line(4), "z" + std::string(19, ' '));
    writeText(0, 1, "nope");
    writeText(5, 1, "nope");
    putChar(2, 21, 'q');
    putChar(2, 0, 'q');
    for (int n = 2; n <= 3; ++n) {
        EXPECT_EQ(line(n), std::string(20, ' '));
    }
    EXPECT_EQ(LcdLines[0][20], '\0');
}

TEST_F(LcdTest, OnlyLineTwoWritesHideTheGraph) {
    showBar(0, 100, 50);
    writeText(3, 1, "x");
    putChar(2, 1, 'y');
    showText(1, 123);
    EXPECT_TRUE(GraphVisible);
    writeText(2, 1, "z");
    EXPECT_FALSE(GraphVisible);

    showMarker(0, 100, 50);
    showText(2, 123);
    EXPECT_FALSE(GraphVisible);
    showMarker(0, 100, 50);
    showScreen(0, 0, 0, 0);
    EXPECT_FALSE(GraphVisible);
}

TEST_F(LcdTest, GraphPositions) {
    showMarker(-80, 80, 0);
    EXPECT_TRUE(GraphVisible);
    EXPECT_EQ(barEnd, 112);
    EXPECT_EQ(barStart, 110);

    showBar(0, 100, 0);
    EXPECT_EQ(barStart, 0);
    EXPECT_EQ(barEnd, 1);
    showBar(0, 100, 100);
    EXPECT_EQ(barEnd, 224);

    showMarker(5, 5, 5);
    EXPECT_EQ(barEnd, 1);
    EXPECT_EQ(barStart, 0);
    showBar(7, 7, 3);
    EXPECT_EQ(barEnd, 1);

    // Wide ranges do not overflow, and a value beyond the range stays in the paint box.
    showBar(-2000000000, 2000000000, 2000000000);
    EXPECT_EQ(barEnd, 224);
    showMarker(0, 100, 150);
    EXPECT_EQ(barEnd, 224);
    EXPECT_EQ(barStart, 222);
    showBar(0, 100, -50);
    EXPECT_EQ(barEnd, 0);
}

TEST_F(LcdTest, NumberFields) {
    EXPECT_EQ(field(0, false), "    0");
    EXPECT_EQ(field(7, false), "    7");
    EXPECT_EQ(field(42, false), "   42");
    EXPECT_EQ(field(-1000, false), "-1000");
    EXPECT_EQ(field(12345, false), " 2345");
    EXPECT_EQ(field(-12345, false), "-2345");
    EXPECT_EQ(field(-7, false), "   -7");
    EXPECT_EQ(field(5, true), "   0,5");
    EXPECT_EQ(field(-5, true), "  -0,5");
    EXPECT_EQ(field(1080, true), " 108,0");
    EXPECT_EQ(field(-1080, true), "-108,0");
    EXPECT_EQ(field(200, true), "  20,0");
    EXPECT_EQ(field(0, true), "   0,0");
    // The most negative value has a magnitude too: its last four digits.
    EXPECT_EQ(field(INT32_MIN, false), "-3648");
}

TEST_F(LcdTest, NumberFieldsKeepOneBlankAndEndOnTheirLastColumn) {
    writeText(3, 1, "ABCDEFGHIJKLMNOPQRST");
    showInteger(3, 7, 5);
    EXPECT_EQ(line(3), "ABCDEFGHI 5LMNOPQRST");

    writeText(3, 1, "ABCDEFGHIJKLMNOPQRST");
    showInteger(3, 7, 123);
    EXPECT_EQ(line(3), "ABCDEFG 123LMNOPQRST");

    writeText(3, 1, "ABCDEFGHIJKLMNOPQRST");
    showTenths(3, 7, 123);
    EXPECT_EQ(line(3), "ABCDEFG 12,3MNOPQRST");

    writeText(3, 1, "ABCDEFGHIJKLMNOPQRST");
    showTenths(3, 7, -5);
    EXPECT_EQ(line(3), "ABCDEFG -0,5MNOPQRST");

    writeText(3, 1, "ABCDEFGHIJKLMNOPQRST");
    showInteger(3, 7, -1000);
    EXPECT_EQ(line(3), "ABCDEF-1000LMNOPQRST");

    writeText(3, 1, "ABCDEFGHIJKLMNOPQRST");
    showTenths(3, 7, -1080);
    EXPECT_EQ(line(3), "ABCDEF-108,0MNOPQRST");
}

TEST_F(LcdTest, ShowTextFillsALineOrTheScratch) {
    writeText(3, 1, "ABCDEFGHIJKLMNOPQRST");
    showText(3, 534);
    EXPECT_EQ(line(3), "      Lagrer...     ");

    writeText(1, 1, "keep");
    showText(5, 532);
    EXPECT_EQ(line(1).substr(0, 4), "keep");
    EXPECT_STREQ(TextScratch, "Ikke Aktiv          ");
}

TEST_F(LcdTest, TextsOutsideTheTableAreIgnored) {
    writeText(1, 1, "ABCDEFGHIJKLMNOPQRST");
    showMarker(0, 10, 5);
    showText(1, 735);
    showText(1, -1);
    showText(2, 100000);
    showText(0, 1);
    EXPECT_EQ(line(1), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_TRUE(GraphVisible);

    showMessage(735);
    EXPECT_EQ(line(1), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(SecondTimers[7], 0u);
}

TEST_F(LcdTest, MessageShowsBetweenBlankLinesAndHolds) {
    showMarker(0, 10, 5);
    showMessage(534);
    EXPECT_EQ(line(1), std::string(20, ' '));
    EXPECT_EQ(line(2), "      Lagrer...     ");
    EXPECT_EQ(line(3), std::string(20, ' '));
    EXPECT_EQ(line(4), std::string(20, ' '));
    EXPECT_EQ(SecondTimers[7], 2u);
    EXPECT_FALSE(GraphVisible);
}

TEST_F(LcdTest, ScreenTakesOneTextFromEachGroup) {
    showScreen(1, 0, 13, 2);
    EXPECT_STREQ(LcdLines[0], TextTable[1]);
    EXPECT_STREQ(LcdLines[1], TextTable[123]);
    EXPECT_STREQ(LcdLines[2], TextTable[280]);
    EXPECT_STREQ(LcdLines[3], TextTable[433]);
    EXPECT_EQ(line(1), "_____Huvedmeny______");
    EXPECT_EQ(line(3), "omr\xE5"
                       "de 0-10______1.1");
    EXPECT_EQ(line(4), "Tilbake         Velg");
}

} // namespace
} // namespace kv410
