#include "ControllerFixture.h"

#include "core/FactoryDefaults.h"
#include "core/Memory.h"

#include <map>

namespace kv410 {
namespace {

using FactoryDefaultsTest = ControllerTest;

// The factory values as the handbook lists them, derived timings included.
const std::map<int, int16_t> Expected = {
    {0, 40},   {1, 0},    {2, 50},    {3, 40},    {4, 0},     {6, 600},   {7, 30},     {32, 30},
    {33, 200}, {34, 5},   {35, 0},    {36, 180},  {37, 150},  {38, 480},  {39, 50},    {40, 1200},
    {41, 0},   {42, 0},   {43, 450},  {44, 50},   {45, 350},  {46, 650},  {47, 10800}, {48, 1800},
    {49, 49},  {50, 0},   {51, 51},   {52, 0},    {53, 53},   {54, 0},    {55, 1},     {57, 0},
    {58, 0},   {59, 1},   {60, 0},    {61, 0},    {62, 0},    {63, 0},    {64, 1},     {66, 600},
    {67, 180}, {68, 60},  {82, 3600}, {83, 201},  {85, 1800}, {86, 3600}, {88, 470},   {89, -201},
    {90, 490}, {91, 700}, {92, -100}, {93, -100}, {94, 1250}, {95, 60},   {96, 3600},  {97, 900},
    {98, 300}, {101, 20}, {102, 200}, {103, 60},  {104, 1},   {105, 3},   {107, 2},    {117, 201},
};

TEST_F(FactoryDefaultsTest, FreshStartGetsTheTableAndMirrorsItToFlash) {
    loadFactoryDefaults();
    for (int cell = 0; cell < ParameterCellCount; ++cell) {
        const auto it = Expected.find(cell);
        const int16_t want = it != Expected.end() ? it->second : 0;
        EXPECT_EQ(ControllerCells[cell], want) << "cell " << cell;
        EXPECT_EQ(FlashImage[cell], static_cast<uint16_t>(want)) << "flash word " << cell;
    }
    EXPECT_EQ(FlashImage[89], 0xFF37);
    EXPECT_EQ(FlashImage[92], 0xFF9C);
    EXPECT_EQ(FlashImage[93], 0xFF9C);
}

TEST_F(FactoryDefaultsTest, OverwritesListedCellsAndKeepsUnlistedOnes) {
    for (int cell = 0; cell < ParameterCellCount; ++cell) {
        ControllerCells[cell] = 77;
    }
    ControllerCells[300] = 0x0123; // an alarm slot stays as it stands and reaches the flash
    loadFactoryDefaults();
    for (int cell = 8; cell <= 31; ++cell) {
        EXPECT_EQ(ControllerCells[cell], 0) << "curve point " << cell;
    }
    for (int cell = 118; cell <= 222; ++cell) {
        EXPECT_EQ(ControllerCells[cell], 0) << "time program " << cell;
    }
    for (int cell : {5, 56, 65, 69, 81, 84, 87, 99, 100, 106, 108, 116, 223, 478}) {
        EXPECT_EQ(ControllerCells[cell], 77) << "cell " << cell;
        EXPECT_EQ(FlashImage[cell], 77) << "flash word " << cell;
    }
    EXPECT_EQ(FlashImage[300], 0x0123);
    EXPECT_EQ(ControllerCells[7], 30);
    EXPECT_EQ(ControllerCells[32], 30);
    EXPECT_EQ(FlashImage[479], 0);
}

TEST_F(FactoryDefaultsTest, DerivedValveTimingsCountWholeStepsOnly) {
    struct Case {
        int16_t rampOpen, rampClose, openingTime;
        int16_t c101, c102, c103, c104, c105;
    };
    const Case cases[] = {
        {600, 180, 60, 20, 200, 60, 1, 3},
        {90, 90, 600, 200, 20, 20, 6, 6},  // 90 s ramps: whole minutes only, 20 ticks
        {0, 0, 0, 0, 0, 0, 0, 0},          // zero divisors leave 104 and 105 at 0
        {3600, 59, 1, 0, 1200, 0, 0, 10},  // under a minute gives no interval
        {-1, 600, 7, 2, 21840, 200, 0, 1}, // cells read unsigned: 65535 s
    };
    for (const Case& c : cases) {
        ControllerCells[66] = c.rampOpen;
        ControllerCells[67] = c.rampClose;
        ControllerCells[68] = c.openingTime;
        deriveValveTimings();
        const int16_t got[] = {ControllerCells[101], ControllerCells[102], ControllerCells[103],
                               ControllerCells[104], ControllerCells[105]};
        const int16_t want[] = {c.c101, c.c102, c.c103, c.c104, c.c105};
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(got[i], want[i]) << "cell " << 101 + i << " for ramps " << c.rampOpen << "/"
                                       << c.rampClose << " opening " << c.openingTime;
            EXPECT_EQ(FlashImage[101 + i], static_cast<uint16_t>(want[i]));
        }
    }
}

} // namespace
} // namespace kv410
