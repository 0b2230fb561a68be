#include "MenuTestDriver.h"

#include "core/Memory.h"
#include "menu/SettingsCatalogue.h"

#include <gmock/gmock.h>

#include <set>
#include <vector>

namespace kv410 {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// The screen kinds that show or edit a stored value of their own: the editors, the selections,
// the quick settings, the curve points, the time programs and the operating times.
bool isValueKind(const MenuNode& node) {
    switch (node.kind) {
    case 1:
        return node.aux != 1;
    case 5:
    case 6:
    case 7:
    case 8:
    case 11:
    case 14:
    case 15:
    case 16:
    case 18:
    case 19:
    case 21:
    case 22:
    case 28:
        return true;
    default:
        return false;
    }
}

// Cells 0..478 and their flash words, and the countdowns a saved setting loads.
struct Image {
    std::vector<int16_t> cells;
    std::vector<uint16_t> flash;
    std::vector<uint32_t> minuteTimers;
    bool operator==(const Image&) const = default;
};

Image image() {
    return {std::vector<int16_t>(ControllerCells, ControllerCells + ParameterCellCount),
            std::vector<uint16_t>(FlashImage, FlashImage + ParameterCellCount),
            std::vector<uint32_t>(std::begin(MinuteTimers), std::end(MinuteTimers))};
}

class SettingsCatalogueTest : public MenuTest {
protected:
    // A fresh unit from factory values, switched on.
    void restart() {
        TearDown();
        SetUp();
    }

    // Drives the node's own screen: the change key, one knob step, the save key (twice for the
    // 9 kW warning). Returns false when the value could not move that way.
    void editThroughScreen(int node, int step) {
        SecondTimers[7] = 0;
        currentNode = &MenuNodes[node];
        menuFlags &= static_cast<uint8_t>(~EditingFlag);
        cycle();
        if (MenuNodes[node].kind != 7 && MenuNodes[node].kind != 8) {
            pressEnter();
        }
        knobSteps = static_cast<int8_t>(step);
        cycle(3);
        pressEnter();
        if (currentNode == &MenuNodes[node] && SecondTimers[7] == 0) {
            pressEnter();
        }
    }
};

TEST_F(SettingsCatalogueTest, HoldsEveryValueNodeOnceAndNothingElse) {
    std::set<int> listed;
    std::set<std::string> numbers;
    for (const Setting& setting : settingsCatalogue()) {
        EXPECT_FALSE(setting.number.empty());
        EXPECT_TRUE(numbers.insert(setting.number).second) << "twice: " << setting.number;
        EXPECT_EQ(findSetting(setting.number), &setting);
        EXPECT_FALSE(setting.paths.empty()) << setting.number;
        for (int n : setting.nodes) {
            EXPECT_TRUE(isValueKind(MenuNodes[n])) << setting.number << " node " << n;
            // A time program node holds seven days, each a setting of its own.
            EXPECT_TRUE(listed.insert(n).second || MenuNodes[n].kind == 11) << "node " << n;
        }
    }
    for (int n = 0; n < MenuNodeCount; ++n) {
        EXPECT_EQ(listed.count(n) == 1, isValueKind(MenuNodes[n])) << "node " << n;
    }
    // The version (set at every start), the countdowns and the sensors are not stored.
    EXPECT_EQ(findSetting("5.12"), nullptr);
    EXPECT_EQ(findSetting("6.1"), nullptr);
    EXPECT_EQ(numbers.size(), 105u);
}

TEST_F(SettingsCatalogueTest, DescribesASettingAsTheUnitShowsIt) {
    const Setting* room = findSetting("1.10");
    ASSERT_NE(room, nullptr);
    EXPECT_EQ(room->name, "Romtemperatur");
    EXPECT_EQ(room->cell, 33);
    EXPECT_EQ(room->unit, "º");
    EXPECT_EQ(settingMinText(*room), "10,0");
    EXPECT_EQ(settingMaxText(*room), "30,0");
    EXPECT_EQ(accessLevelName(room->access), "kund1");
    ASSERT_EQ(room->paths.size(), 2u);
    EXPECT_EQ(room->paths[0].route, "1 > 1.10");
    EXPECT_EQ(room->paths[1].route, "quick settings > Romtemperatur");

    // Only a service level reaches the valve run time; entry 1.15 is reached by no level.
    EXPECT_EQ(accessLevelName(findSetting("8.3.4")->access), "fabrikk");
    EXPECT_EQ(accessLevelName(findSetting("1.15")->access), "none");
    EXPECT_EQ(accessLevelName(findSetting("5.9")->access), "none");

    EXPECT_THAT(findSetting("5.1")->choices, ElementsAre("(A)", "(B)", "(C)"));
    EXPECT_THAT(findSetting("5.2")->choices, ElementsAre("3kW", "6kW", "9kW"));
    EXPECT_EQ(findSetting("5.7")->choices.size(), 5u);
    EXPECT_EQ(findSetting("1.3/-35")->name, "Varmek.Tilpasse Ute -35º");
    EXPECT_EQ(findSetting("4.3/7")->name, "Tidsstyring VV So");
}

TEST_F(SettingsCatalogueTest, FactoryValuesReadAsTheEditorsShowThem) {
    // The cells as a start loads them from the image (the running unit keeps cell 55 all ones).
    loadCellsFromFlash();
    for (const Setting& setting : settingsCatalogue()) {
        EXPECT_FALSE(settingChanged(setting)) << setting.number;
        EXPECT_TRUE(settingWithinLimits(setting)) << setting.number;
        EXPECT_EQ(settingValueText(setting), settingFactoryText(setting)) << setting.number;
    }
    EXPECT_EQ(settingValueText(*findSetting("9.1")), "Ikke Akt");
    EXPECT_EQ(settingValueText(*findSetting("8.3.6")), "60");
    EXPECT_EQ(settingValueText(*findSetting("2.7")), "180");
    EXPECT_EQ(settingValueText(*findSetting("5.2")), "6kW");
    EXPECT_EQ(settingValueText(*findSetting("5.7")), "Ingen funksjon");
    EXPECT_EQ(settingValueText(*findSetting("4.1/3")), "on 00:00-00:00");
    EXPECT_EQ(settingValueText(*findSetting("7.2")), "0 % VV 0 % rad");
}

TEST_F(SettingsCatalogueTest, OperatingTimesReadAsTheirReadoutsAndCannotBeSet) {
    ControllerCells[72] = 30; // heat pump in heating: 30 h and 6 tenths
    ControllerCells[73] = 6;
    ControllerCells[74] = 10; // in hot water: 10 h
    ControllerCells[80] = 1234;
    EXPECT_EQ(settingValueText(*findSetting("7.1")), "41");
    EXPECT_EQ(settingValueText(*findSetting("7.2")), "25 % VV 75 % rad");
    EXPECT_EQ(settingValueText(*findSetting("7.5")), "123,4");
    EXPECT_EQ(findSetting("7.1")->unit, "tim");
    EXPECT_TRUE(settingChanged(*findSetting("7.2")));
    EXPECT_FALSE(settingChanged(*findSetting("7.3")));
    std::string message;
    const Image before = image();
    EXPECT_FALSE(setSettingFromText(*findSetting("7.1"), "0", message));
    EXPECT_THAT(message, HasSubstr("7.1 Varmepumpe Tim is a readout"));
    EXPECT_EQ(image(), before);
}

// Whatever a screen saves, setting its shown value through the catalogue saves the same cells,
// flash words and countdowns: the follow-ups and derived settings included.
TEST_F(SettingsCatalogueTest, SettingWritesWhatTheNodesScreenWrites) {
    int compared = 0;
    for (const Setting& setting : settingsCatalogue()) {
        if (setting.kind == SettingKind::ExtraSensors || setting.kind == SettingKind::ProgramDay ||
            setting.kind == SettingKind::Readout) {
            continue;
        }
        int editor = setting.nodes.front();
        for (int n : setting.nodes) {
            if (MenuNodes[n].kind == 5 || MenuNodes[n].kind == 6 || MenuNodes[n].kind == 15 ||
                MenuNodes[n].kind == 16 || MenuNodes[n].kind == 8) {
                editor = n;
                break;
            }
        }
        for (int step : {1, -1}) {
            restart();
            const std::string before = settingValueText(setting);
            editThroughScreen(editor, step);
            const std::string shown = settingValueText(setting);
            if (shown == before) {
                continue;
            }
            const Image edited = image();
            restart();
            std::string message;
            ASSERT_TRUE(setSettingFromText(setting, shown, message)) << setting.number << message;
            EXPECT_EQ(image(), edited) << setting.number << " = " << shown;
            ++compared;
            break;
        }
    }
    // Every setting but the time program days and the installed sensors.
    EXPECT_EQ(compared, 77);
}

TEST_F(SettingsCatalogueTest, DerivedSettingsFollow) {
    std::string message;
    ASSERT_TRUE(setSettingFromText(*findSetting("8.3.6"), "240", message));
    EXPECT_EQ(settingValueText(*findSetting("8.3.5")), "4");
    EXPECT_EQ(settingMinText(*findSetting("8.3.4")), "4");
    ASSERT_TRUE(setSettingFromText(*findSetting("1.4"), "3,0", message));
    EXPECT_EQ(settingValueText(*findSetting("8.3.3")), "2,0");
    EXPECT_EQ(settingMaxText(*findSetting("8.3.3")), "2,0");
    EXPECT_TRUE(settingChanged(*findSetting("8.3.3")));
}

TEST_F(SettingsCatalogueTest, RefusesWhatTheEditorCouldNotSaveAndWritesNothing) {
    const Image before = image();
    const struct {
        const char* number;
        const char* value;
        const char* says;
    } refused[] = {
        {"1.10", "35", "10,0..30,0"},
        {"1.10", "9,9", "10,0..30,0"},
        {"1.10", "20,55", "decimal"},
        {"1.10", "abc", "1.10 Romtemperatur"},
        {"1.10", "", "1.10"},
        {"2.1", "4,5", "whole"},
        {"9.1", "10,1", "-20,0..10,0 º or Ikke Akt"},
        {"5.1", "(D)", "\"(A)\", \"(B)\""},
        {"5.9", "10", "0..9"},
        {"5.13", "GT7", "GT3"},
        {"4.1/1", "06:00-24:30", "24:00"},
        {"4.1/1", "Ti 06:00-22:00", "another day"},
        {"1.3/20", "10,0", "20,0..108,0"},
    };
    for (const auto& value : refused) {
        std::string message;
        EXPECT_FALSE(setSettingFromText(*findSetting(value.number), value.value, message))
            << value.number << " = " << value.value;
        EXPECT_THAT(message, HasSubstr(value.says));
    }
    EXPECT_EQ(image(), before);

    std::string message;
    EXPECT_TRUE(setSettingFromText(*findSetting("9.1"), "ikke akt", message));
    EXPECT_TRUE(setSettingFromText(*findSetting("1.10"), "21.5 °", message));
    EXPECT_EQ(settingValueText(*findSetting("1.10")), "21,5");
    EXPECT_TRUE(setSettingFromText(*findSetting("4.1/1"), "Ma 22:00-24:00", message));
    EXPECT_EQ(settingValueText(*findSetting("4.1/1")), "Ma 22:00-24:00");
    EXPECT_TRUE(setSettingFromText(*findSetting("5.13"), "gt4, VVP", message));
    EXPECT_EQ(settingValueText(*findSetting("5.13")), "GT4 VVP");
    EXPECT_EQ(cellUnsigned(55) & 0x7F, 0x50 | (0xFFFF & 7));
}

} // namespace
} // namespace kv410
