// The display text table: shape of every entry and the entries other code takes apart.
#include "display/TextTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

namespace kv410 {
namespace {

std::string text(int n) {
    return std::string(TextTable[n]);
}

TEST(TextTable, EveryEntryIsOneFullLineOfShowableBytes) {
    // Bytes the character translation would change: they must never be stored in the table.
    constexpr unsigned char controllerCodes[] = {0x7E, 0x7F, 0xB0, 0xDF, 0xE1, 0xEF};
    for (int n = 0; n < TextCount; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(std::strlen(TextTable[n]), 20u);
        EXPECT_EQ(TextTable[n][20], '\0');
        for (int i = 0; i < 20; ++i) {
            const auto c = static_cast<unsigned char>(TextTable[n][i]);
            EXPECT_GE(c, 0x20);
            EXPECT_EQ(std::count(std::begin(controllerCodes), std::end(controllerCodes), c), 0);
        }
    }
}

TEST(TextTable, GroupsStartWhereScreensExpectThem) {
    const std::string blank(20, ' ');
    EXPECT_EQ(text(TextGroupLine2), blank);
    EXPECT_EQ(text(TextGroupLine3), blank);
    EXPECT_EQ(text(TextGroupLine1 + 1), "_____Huvedmeny______");
    EXPECT_EQ(text(TextGroupLine2 + 1), "Her stiller du inn  ");
    EXPECT_EQ(text(TextGroupLine3 + 1), "varmen i huset_____1");
    EXPECT_EQ(text(TextGroupLine4), "Varme   Info    Meny");
    EXPECT_EQ(text(TextGroupLine4 + 2), "Tilbake         Velg");
    EXPECT_EQ(text(TextCount - 1), "handboken           ");
}

TEST(TextTable, EntriesTakenApartAtStartUpAndMessages) {
    EXPECT_EQ(text(427), "dagtimminsek        ");
    EXPECT_EQ(text(469), text(427));
    EXPECT_EQ(text(470), "mMtToOtTfFlLsS      ");
    EXPECT_EQ(text(471), "MaTiOnToFrLoSo      ");
    EXPECT_EQ(text(472), "Fra      Til        ");
    EXPECT_EQ(text(532), "Ikke Aktiv          ");
    EXPECT_EQ(text(533), "        OK..        ");
    EXPECT_EQ(text(534), "      Lagrer...     ");
    EXPECT_EQ(text(535), "     Bekrefter...   ");
    EXPECT_EQ(text(536), "   Fabrikk-verdier. ");
    EXPECT_EQ(text(537), "   Nullstiller...   ");
    EXPECT_EQ(text(568), "  Access = SERVICE  ");
}

TEST(TextTable, LettersBeyondAsciiAreSingleLatin1Bytes) {
    EXPECT_EQ(text(13), "_Romgiver P\345virkn.__");
    EXPECT_EQ(text(79), "______Ute 20\272_______");
    EXPECT_EQ(text(107), "___Ramptid \326ppna____");
    EXPECT_EQ(text(109), "____\305pningstid______");
    EXPECT_EQ(text(108), "___Ramptid St\344ng____");
    EXPECT_EQ(text(114), "_P3 Kuldeb\346rerpumpe_");
    EXPECT_EQ(text(305), "K\372n klokke_______4.1");
    EXPECT_EQ(text(545), "    K\332N TILSKUDD    ");
    EXPECT_EQ(text(597), "*Amp\351reverdi p\345 MB1 ");
    EXPECT_EQ(text(239), "Diff  GT9-GT1      \272");
}

TEST(TextTable, SloganIsUpperCaseWithOneLeadingBlank) {
    const std::string slogan = text(264);
    EXPECT_EQ(slogan[0], ' ');
    EXPECT_NE(slogan[1], ' ');
    EXPECT_TRUE(std::none_of(slogan.begin(), slogan.end(),
                             [](char c) { return std::islower(static_cast<unsigned char>(c)); }));
}

} // namespace
} // namespace kv410
