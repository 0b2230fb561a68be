#include "menu/MenuTree.h"

#include "ControllerFixture.h"
#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "display/TextTable.h"
#include "tests/LibraryTestHooks.h"
#include "unit/ControllerState.h"

#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace kv410 {
namespace {

class MenuTreeTest : public ControllerTest {
protected:
    static MenuNode& node(int n) { return MenuNodes[n]; }

    // Indices of the available nodes of the list that starts at first.
    static std::vector<int> availableIn(const MenuNode* first) {
        std::vector<int> found;
        for (const MenuNode* n = first; n != nullptr; n = n->next) {
            if (isNodeAvailable(n)) {
                found.push_back(nodeIndex(n));
            }
        }
        return found;
    }

    // The entry number printed at the end of a node's third line ("varmen i huset_____1"), or
    // an empty text when the line carries none.
    static std::string entryNumber(const MenuNode& n) {
        const std::string line(TextTable[TextGroupLine3 + n.texts[2]], 20);
        const auto before = line.find_last_not_of("0123456789.");
        return before == std::string::npos ? line : line.substr(before + 1);
    }

    static std::vector<int> numberParts(const std::string& number) {
        std::vector<int> parts;
        size_t start = 0;
        while (start <= number.size()) {
            const size_t dot = number.find('.', start);
            parts.push_back(std::stoi(number.substr(start, dot - start)));
            if (dot == std::string::npos) {
                break;
            }
            start = dot + 1;
        }
        return parts;
    }

    // Depth-first walk of the list at first and everything below it.
    static void walk(MenuNode* first, std::vector<MenuNode*>& out) {
        for (MenuNode* n = first; n != nullptr && out.size() <= MenuNodeCount; n = n->next) {
            out.push_back(n);
            walk(n->child, out);
        }
    }

    static bool sameNode(const MenuNode& a, const MenuNode& b) {
        return a.access == b.access && a.config == b.config && a.kind == b.kind &&
               a.format == b.format && a.unit == b.unit && std::memcmp(a.texts, b.texts, 4) == 0 &&
               std::memcmp(a.altTexts, b.altTexts, 4) == 0 && a.cell == b.cell && a.aux == b.aux &&
               a.min == b.min && a.max == b.max && a.prev == b.prev && a.next == b.next &&
               a.child == b.child && a.parent == b.parent;
    }

    void setLevelAndConfiguration(uint16_t level, uint16_t configuration) {
        IoWords[AccessLevelWord] = level;
        ControllerCells[ConfigurationCell] = static_cast<int16_t>(configuration);
    }
};

// --- Shape of the tree ---------------------------------------------------------------------

TEST_F(MenuTreeTest, LinksMeetTheTreeInvariants) {
    for (int n = 0; n < MenuNodeCount; ++n) {
        const MenuNode& m = node(n);
        SCOPED_TRACE(n);
        if (m.next != nullptr) {
            EXPECT_EQ(m.next->prev, &m);
            EXPECT_EQ(m.next->parent, m.parent);
        }
        if (m.prev != nullptr) {
            EXPECT_EQ(m.prev->next, &m);
        }
        if (m.child != nullptr) {
            EXPECT_EQ(m.child->prev, nullptr) << "a child list starts at its first member";
            int members = 0;
            for (const MenuNode* c = m.child; c != nullptr && members <= MenuNodeCount;
                 c = c->next, ++members) {
                EXPECT_EQ(c->parent, &m);
            }
            EXPECT_LE(members, MenuNodeCount) << "circular list";
        }
        for (const MenuNode* link : {m.prev, m.next, m.child, m.parent}) {
            EXPECT_TRUE(link == nullptr || nodeIndex(link) >= 0);
        }
    }
}

TEST_F(MenuTreeTest, EveryNodeIsReachedOnceFromTheRootOrTheQuickSettings) {
    std::vector<MenuNode*> reached;
    walk(&node(NodeRoot), reached);
    EXPECT_EQ(reached.size(), 247u);
    walk(node(NodeRoot).parent, reached);
    reached.push_back(&node(NodeAlarmDisplay));
    const std::set<MenuNode*> distinct(reached.begin(), reached.end());
    EXPECT_EQ(reached.size(), static_cast<size_t>(MenuNodeCount));
    EXPECT_EQ(distinct.size(), static_cast<size_t>(MenuNodeCount));
}

TEST_F(MenuTreeTest, TextOffsetsStayInsideTheirGroups) {
    const int limit[4] = {122, 143, 159, 14};
    for (int n = 0; n < MenuNodeCount; ++n) {
        for (int line = 0; line < 4; ++line) {
            EXPECT_LE(node(n).texts[line], limit[line]) << "node " << n << " line " << line;
            EXPECT_LE(node(n).altTexts[line], limit[line]) << "node " << n << " line " << line;
        }
    }
}

TEST_F(MenuTreeTest, EntryNumbersRunInTreeOrder) {
    // Every menu entry prints its number at the end of line 3; walking the tree depth first
    // meets them in increasing order, each under its own main-menu entry.
    std::vector<MenuNode*> order;
    walk(node(NodeRoot).child, order);
    std::vector<int> last;
    int numbered = 0;
    int mainEntry = 0;
    for (MenuNode* n : order) {
        const std::string number = entryNumber(*n);
        if (n->parent == &node(NodeRoot)) {
            ++mainEntry;
            EXPECT_EQ(number, std::to_string(mainEntry));
        }
        if (number.empty()) {
            continue;
        }
        SCOPED_TRACE(number);
        ++numbered;
        EXPECT_EQ(n->kind, 0);
        const std::vector<int> parts = numberParts(number);
        EXPECT_EQ(parts.front(), mainEntry);
        EXPECT_LT(last, parts);
        last = parts;
    }
    EXPECT_EQ(mainEntry, 12);
    EXPECT_EQ(numbered, 91);
}

TEST_F(MenuTreeTest, CurveRunsCoverTwelvePointsEach) {
    // Entries 1.3 and 1.7 hold the heating curve (cell 0) and the shunt curve (cell 1).
    const int entries[2] = {6, 37};
    for (uint32_t curve = 0; curve < 2; ++curve) {
        const MenuNode* readout = node(entries[curve]).child;
        for (int p = 0; p < 12; ++p, readout = readout->next) {
            ASSERT_NE(readout, nullptr);
            SCOPED_TRACE(p);
            EXPECT_EQ(readout->kind, 7);
            EXPECT_EQ(readout->cell, curve);
            EXPECT_EQ(readout->aux, static_cast<uint32_t>(11 - p));
            EXPECT_EQ(readout->texts[1], 117 + p); // "Ute  20º Kurve     º" onwards
            EXPECT_EQ(readout->texts[2], p == 11 ? 0 : 130 + p);
            EXPECT_EQ(std::memcmp(readout->texts, readout->altTexts, 4), 0);
            const MenuNode* editor = readout->child;
            ASSERT_NE(editor, nullptr);
            EXPECT_EQ(editor->kind, 8);
            EXPECT_EQ(editor->texts[0], 79 + p);
            EXPECT_EQ(editor->aux, readout->aux);
            EXPECT_EQ(editor->cell, curve);
            EXPECT_EQ(editor->min, 200);
            EXPECT_EQ(editor->max, 1080);
            EXPECT_EQ(editor->altTexts[3], 4);
            EXPECT_EQ(editor->next, nullptr);
            EXPECT_EQ(editor->config, curve == 0 ? 0xFF : 0x11);
        }
        EXPECT_EQ(readout, nullptr);
    }
}

TEST_F(MenuTreeTest, RowsCarryTheirFields) {
    const MenuNode& entry1 = *node(NodeRoot).child;
    EXPECT_EQ(nodeIndex(&entry1), 1);
    const uint8_t entry1Texts[4] = {1, 1, 1, 2}; // texts 1, 124, 268, 433
    EXPECT_EQ(std::memcmp(entry1.texts, entry1Texts, 4), 0);
    EXPECT_EQ(entry1.access, 0x0F);

    const MenuNode& root = node(NodeRoot);
    EXPECT_EQ(root.cell, 3u);
    EXPECT_EQ(root.texts[1], 141); // text 264
    EXPECT_EQ(root.altTexts[3], 1);

    const MenuNode& blockOutdoor = node(218); // 9.1's editor
    EXPECT_EQ(blockOutdoor.cell, 89u);
    EXPECT_EQ(blockOutdoor.min, -201);
    EXPECT_EQ(blockOutdoor.max, 100);

    const MenuNode& p2Mode = node(157); // 5.10's two-way choice: a whole second screen
    const uint8_t p2Alt[4] = {42, 65, 68, 4};
    EXPECT_EQ(std::memcmp(p2Mode.altTexts, p2Alt, 4), 0);
    EXPECT_EQ(p2Mode.texts[1], 64);

    const MenuNode& compressor = node(141); // manual run: line 2 offers to stop when on
    EXPECT_EQ(compressor.kind, 17);
    EXPECT_EQ(compressor.cell, 13u);
    EXPECT_EQ(compressor.texts[1], 67);
    EXPECT_EQ(compressor.altTexts[1], 68);
}

// --- Special nodes -------------------------------------------------------------------------

TEST_F(MenuTreeTest, SpecialNodesHaveTheirRolesAndLinks) {
    const MenuNode& root = node(NodeRoot);
    EXPECT_EQ(root.kind, 26);
    EXPECT_EQ(root.prev, nullptr);
    EXPECT_EQ(root.next, nullptr);
    EXPECT_EQ(nodeIndex(root.child), 1);
    EXPECT_EQ(nodeIndex(root.parent), NodeQuickFirst);

    const MenuNode& alarm = node(NodeAlarmDisplay);
    EXPECT_EQ(alarm.kind, 33);
    for (const MenuNode* link : {alarm.prev, alarm.next, alarm.child, alarm.parent}) {
        EXPECT_EQ(link, nullptr);
    }

    EXPECT_EQ(node(NodeAlarmLogViewer).kind, 27);
    EXPECT_EQ(node(NodeAlarmLogViewer).child, &node(NodeAlarmHelp));
    EXPECT_EQ(node(NodeAlarmHelp).kind, 29);
    EXPECT_EQ(node(NodeAlarmHelp).parent, &node(NodeAlarmLogViewer));

    EXPECT_EQ(node(NodeVersion).kind, 30);
    EXPECT_EQ(entryNumber(*node(NodeVersion).parent), "5.12");
    EXPECT_EQ(entryNumber(node(NodeManualEntry)), "5.3");
    EXPECT_EQ(node(NodeManualEntry).child, &node(NodeManualFirst));
    EXPECT_EQ(node(NodeManualFirst).cell, 12u); // pump P3
    EXPECT_EQ(entryNumber(node(NodeRemoteHeating)), "1.13");
    EXPECT_EQ(entryNumber(*node(NodeShuntDeadZoneEditor).parent), "8.3.3");
    EXPECT_EQ(entryNumber(*node(NodeValveOpenRuntimeEditor).parent), "8.3.4");
    EXPECT_EQ(entryNumber(*node(NodeValveCloseRuntimeEditor).parent), "8.3.5");
    EXPECT_EQ(entryNumber(node(NodeHotWaterSettingsFirst)), "2.3");
    EXPECT_EQ(entryNumber(node(NodeHotWaterSettingsFirst + 2)), "2.4");
    EXPECT_EQ(node(NodeClockLine).child, &node(NodeClockSetting));
}

TEST_F(MenuTreeTest, QuickSettingViewsPairWithTheirEditors) {
    const uint32_t cells[QuickSettingCount] = {0, 1, 3, 4, 33, 41};
    const MenuNode* view = node(NodeRoot).parent;
    for (int i = 0; i < QuickSettingCount; ++i, view = view->next) {
        ASSERT_NE(view, nullptr);
        SCOPED_TRACE(i);
        EXPECT_EQ(view->kind, 18);
        EXPECT_EQ(view->parent, &node(NodeRoot));
        EXPECT_EQ(view->cell, cells[i]);
        const MenuNode* editor = view->child;
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->kind, 19);
        EXPECT_EQ(editor->parent, view);
        EXPECT_EQ(editor->next, nullptr);
        EXPECT_EQ(editor->cell, view->cell);
        EXPECT_EQ(editor->min, view->min);
        EXPECT_EQ(editor->max, view->max);
        EXPECT_EQ(editor->format, view->format);
        EXPECT_EQ(editor->unit, view->unit);
        EXPECT_EQ(editor->texts[3], 10); // "Avbryt              "
    }
    EXPECT_EQ(view, nullptr);
}

// --- Availability --------------------------------------------------------------------------

TEST_F(MenuTreeTest, AvailabilityFollowsAccessLevelAndConfiguration) {
    setLevelAndConfiguration(1, 0xFFFF);
    EXPECT_EQ(availableIn(node(NodeRoot).child), (std::vector<int>{1, 101}));
    std::vector<std::string> numbers;
    for (int n : availableIn(node(1).child)) {
        numbers.push_back(entryNumber(node(n)));
    }
    EXPECT_EQ(numbers, (std::vector<std::string>{"1.1", "1.2", "1.10", "1.16", "1.17"}));

    // Operating case A with no option installed: 0xFF passes, 0x11 needs GT4.
    setLevelAndConfiguration(8, 1);
    EXPECT_TRUE(isNodeAvailable(&node(1)));   // config 0xFF
    EXPECT_FALSE(isNodeAvailable(&node(33))); // entry 1.5, config 0x11
    setLevelAndConfiguration(8, 1 | 0x10);
    EXPECT_TRUE(isNodeAvailable(&node(33)));
    setLevelAndConfiguration(8, 4 | 0x10); // case C: 0x11 has no case bit for it
    EXPECT_FALSE(isNodeAvailable(&node(33)));

    setLevelAndConfiguration(0, 0xFFFF);
    EXPECT_FALSE(isNodeAvailable(&node(1)));
    EXPECT_FALSE(isNodeAvailable(nullptr));
}

TEST_F(MenuTreeTest, NodesWithoutAccessOrConfigAreNeverAvailable) {
    // Entries 1.15 and 7.5 have no access level, entry 5.9 no configuration; their editors,
    // reachable only through them, keep masks of their own.
    const int closed[3] = {76, 186, 154};
    EXPECT_EQ(entryNumber(node(76)), "1.15");
    EXPECT_EQ(entryNumber(node(186)), "7.5");
    EXPECT_EQ(entryNumber(node(154)), "5.9");
    for (uint16_t level : {1, 2, 4, 8, 15}) {
        setLevelAndConfiguration(level, 0xFFFF);
        for (int n : closed) {
            EXPECT_FALSE(isNodeAvailable(&node(n))) << n << " at level " << level;
        }
    }
    setLevelAndConfiguration(8, 0xFFFF);
    for (int n : closed) {
        EXPECT_TRUE(isNodeAvailable(node(n).child)) << n;
    }
}

// --- Run-time changes ----------------------------------------------------------------------

TEST_F(MenuTreeTest, InstallationMaskMovesOnlyTheEightOptionNodes) {
    std::vector<uint8_t> before;
    for (int n = 0; n < MenuNodeCount; ++n) {
        before.push_back(node(n).config);
    }
    const auto expectOthersUnchanged = [&] {
        for (int n = 0; n < MenuNodeCount; ++n) {
            const bool hotWater =
                n >= NodeHotWaterSettingsFirst && n < NodeHotWaterSettingsFirst + 4;
            const bool valve = n >= NodeValveRunTimesFirst && n < NodeValveRunTimesFirst + 4;
            if (!hotWater && !valve) {
                EXPECT_EQ(node(n).config, before[n]) << n;
            }
        }
    };
    const auto configs = [&](int first) {
        return std::vector<int>{node(first).config, node(first + 1).config, node(first + 2).config,
                                node(first + 3).config};
    };

    ControllerCells[ConfigurationCell] = static_cast<int16_t>(0xFFFF);
    applyInstallationMask();
    EXPECT_EQ(configs(NodeHotWaterSettingsFirst), (std::vector<int>{0x03, 0xB3, 0x03, 0xB3}));
    EXPECT_EQ(configs(NodeValveRunTimesFirst), (std::vector<int>{0x93, 0x93, 0x93, 0x93}));
    expectOthersUnchanged();
    IoWords[AccessLevelWord] = 8;
    EXPECT_FALSE(isNodeAvailable(&node(NodeHotWaterSettingsFirst)));
    EXPECT_TRUE(isNodeAvailable(&node(NodeValveRunTimesFirst)));

    ControllerCells[ConfigurationCell] = 0x01 | 0x08; // case A with GT3, no VVP input
    applyInstallationMask();
    EXPECT_EQ(configs(NodeHotWaterSettingsFirst), (std::vector<int>{0x0B, 0xBB, 0x0B, 0xBB}));
    EXPECT_EQ(configs(NodeValveRunTimesFirst), (std::vector<int>{0x13, 0x13, 0x13, 0x13}));
    expectOthersUnchanged();
    EXPECT_TRUE(isNodeAvailable(&node(NodeHotWaterSettingsFirst)));
    EXPECT_FALSE(isNodeAvailable(&node(NodeValveRunTimesFirst)));

    ControllerCells[ConfigurationCell] = 0x02 | 0x40; // case B with the VVP input
    applyInstallationMask();
    applyInstallationMask();
    EXPECT_EQ(configs(NodeHotWaterSettingsFirst), (std::vector<int>{0x03, 0xB3, 0x03, 0xB3}));
    EXPECT_EQ(configs(NodeValveRunTimesFirst), (std::vector<int>{0x93, 0x93, 0x93, 0x93}));
    expectOthersUnchanged();
}

TEST_F(MenuTreeTest, ResetRestoresRunTimeChanges) {
    std::vector<MenuNode> fresh(MenuNodes, MenuNodes + MenuNodeCount);
    ControllerCells[ConfigurationCell] = static_cast<int16_t>(0xFFFF);
    applyInstallationMask();
    node(NodeRemoteHeating).config = 0;
    node(NodeValveOpenRuntimeEditor).min = 5;
    node(NodeShuntDeadZoneEditor).max = 40;
    node(NodeAlarmDisplay).parent = &node(200);
    node(NodeAlarmHelp).parent = &node(NodeAlarmDisplay);
    node(NodeAlarmHelp).cell = 7;

    resetMenuTree();
    for (int n = 0; n < MenuNodeCount; ++n) {
        EXPECT_TRUE(sameNode(node(n), fresh[n])) << n;
    }
    node(NodeAlarmHelp).cell = 3;
    resetControllerState();
    EXPECT_EQ(node(NodeAlarmHelp).cell, 18u);
    EXPECT_EQ(node(NodeRoot).parent, &node(NodeQuickFirst));
}

TEST_F(MenuTreeTest, NodeIndexNamesEveryNode) {
    for (int n = 0; n < MenuNodeCount; ++n) {
        EXPECT_EQ(nodeIndex(&node(n)), n);
    }
    EXPECT_EQ(nodeIndex(nullptr), -1);
    const MenuNode stray{};
    EXPECT_EQ(nodeIndex(&stray), -1);
}

} // namespace
} // namespace kv410
