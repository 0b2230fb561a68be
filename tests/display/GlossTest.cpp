#include "menu/MenuTestDriver.h"

#include "core/Clock.h"
#include "core/MemoryMap.h"
#include "display/Gloss.h"
#include "display/TextWords.h"
#include "panel/SensorSimulation.h"
#include "supervision/Alarms.h"
#include "tests/LibraryTestHooks.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

namespace kv410 {
namespace {

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

bool isLetter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || static_cast<unsigned char>(c) >= 0x80;
}

// The word starts in the text (after a non-letter); a whole word also ends there.
bool hasWord(const std::string& text, std::string_view word, bool whole) {
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        const size_t end = at + word.size();
        if ((at == 0 || !isLetter(text[at - 1])) &&
            (!whole || end == text.size() || !isLetter(text[end]))) {
            return true;
        }
    }
    return false;
}

// Characters of a gloss line (UTF-8), a placeholder counted at its width or its English.
int glossWidth(std::string_view gloss) {
    int width = 0;
    for (size_t i = 0; i < gloss.size(); ++i) {
        if (gloss[i] == '{') {
            const size_t close = gloss.find('}', i);
            const std::string_view inside = gloss.substr(i + 1, close - i - 1);
            const size_t equals = inside.find('=');
            const std::string_view columns = inside.substr(0, equals);
            const int first = std::stoi(std::string(columns));
            const size_t dash = columns.find('-');
            const int last = dash == std::string_view::npos
                                 ? first
                                 : std::stoi(std::string(columns.substr(dash + 1)));
            const int english =
                equals == std::string_view::npos ? 0 : glossWidth(inside.substr(equals + 1));
            width += std::max(last - first + 1, english);
            i = close;
        } else if ((static_cast<unsigned char>(gloss[i]) & 0xC0) != 0x80) {
            ++width;
        }
    }
    return width;
}

// Norwegian (Latin-1) or Swedish (UTF-8) word, whether it must stand as a whole word, and the
// one English term every gloss of a text or label holding it uses.
struct Term {
    const char* word;
    bool whole;
    const char* english;
};
constexpr Term Terms[] = {
    {"kuldeb", false, "brine"},
    {"kuldb", false, "brine"},
    {"kb", true, "brine"},
    {"k\xC3\xB6ldb\xC3\xA4r", false, "brine"},
    {"varmeb\xE6r", false, "heat carrier"},
    {"vb", true, "heat carrier"},
    {"v\xC3\xA4rmeb\xC3\xA4r", false, "heat carrier"},
    {"tilsk", false, "auxiliary heat"},
    {"tillsk", false, "auxiliary heat"},
    {"vekselventil", false, "changeover valve"},
    {"v\xC3\xA4xelventil", false, "changeover valve"},
    {"vxv", false, "changeover valve"},
    {"kompr", false, "compressor"},
    {"varmtvann", false, "hot water"},
    {"varmvatten", false, "hot water"},
    {"vv", true, "hot water"},
    {"shuntet", false, "mixed"},
    {"shuntv", false, "mixing valve"},
    {"shuntk", false, "mixing valve"},
    {"shunt ", false, "mixing valve"},
    {"retur", false, "return"},
    {"ute", true, "outdoor"},
    {"tur", true, "supply"},
    {"turtemp", false, "supply"},
    {"framledning", false, "supply"},
    {"foler", false, "sensor"},
    {"giver", false, "sensor"},
    {"pressostat", false, "pressure switch"},
    {"motorvern", false, "motor protection"},
    {"elkas", false, "electric heater"},
    {"varmepump", false, "heat pump"},
    {"vp", true, "heat pump"},
    {"alarm", false, "alarm"},
    {"varmek", false, "heating curve"},
    {"nullsone", false, "neutral zone"},
    {"tidsstyr", false, "time program"},
    {"fabrikk", false, "factory"},
    {"omstart", false, "restart"},
    {"handkj", false, "manual operation"},
    {"graddag", false, "degree days"},
    {"radiator", false, "radiator"},
    {"sommer", false, "summer"},
    {"ferie", false, "holiday"},
};

void expectTerms(const std::string& source, const std::string& gloss, const std::string& what) {
    const std::string english = lower(gloss);
    for (const Term& term : Terms) {
        if (hasWord(source, term.word, term.whole)) {
            EXPECT_NE(english.find(term.english), std::string::npos)
                << what << " holds \"" << term.word << "\" but its gloss \"" << gloss
                << "\" does not say \"" << term.english << "\"";
        }
    }
}

TEST(Gloss, EveryTextAndLabelHasConsistentEnglishThatFitsBesideTheDisplay) {
    for (int n = 0; n < TextCount; ++n) {
        ASSERT_NE(GlossTexts[n], nullptr) << "text " << n << " has no row in display/Gloss.tsv";
        const std::string text = lower(std::string_view(TextTable[n], 20));
        // "None needed" only for blanks, numbers and symbols, the maker's name, the power
        // choices in kW and the word lists the start-up takes apart.
        const bool name = n == 0 || n == 263 || n == 427 || n == 469 || n == 470 || n == 471;
        if (GlossTexts[n][0] == '\0' && !name) {
            int letters = 0;
            for (const char c : text) {
                letters = isLetter(c) ? letters + 1 : (letters > 1 ? letters : 0);
            }
            EXPECT_LT(letters, 2) << "text " << n << " has words but no English";
        }
        EXPECT_LE(glossWidth(GlossTexts[n]), GlossMaxLength) << "text " << n;
        EXPECT_EQ(glossPlain(n).find('{'), std::string::npos) << "text " << n;
        expectTerms(text, GlossTexts[n], "text " + std::to_string(n));
    }

    const auto expectLabel = [](const std::string& name, const char* swedish) {
        const std::string_view english = labelGloss(name);
        EXPECT_FALSE(english.empty()) << name;
        EXPECT_LE(glossWidth(english), GlossMaxLength) << name;
        if (swedish != nullptr) {
            expectTerms(lower(swedish), std::string(english), name);
        }
    };
    for (int n = 1; n <= 11; ++n) {
        expectLabel("Label" + std::to_string(n), SensorLabels[n - 1]);
        expectLabel("TrackBar" + std::to_string(n), SensorLabels[n - 1]);
        expectLabel("SpeedButton" + std::to_string(n), ToggleHints[n - 1]);
    }
    for (int n = 1; n <= 10; ++n) {
        expectLabel("Label" + std::to_string(11 + n), LampLabels[n - 1]);
        expectLabel("Led" + std::to_string(n), LampLabels[n - 1]);
    }
    for (const char* name : {"PanelsButton", "OnLed", "VVLed", "TillskottLed", "KompressorLed",
                             "AlarmLed", "Shape1", "Shape2", "Shape3", "Shape6", "RattImage"}) {
        expectLabel(name, nullptr);
    }
    EXPECT_TRUE(labelGloss("NoSuchLabel").empty());
}

TEST_F(MenuTest, GlossFollowsTheScreenWithItsValuesInPlace) {
    const auto gloss = [](int line) { return glossLine(line); };
    // The main display: the access tag and the clock line, written by the screen itself.
    EXPECT_EQ(gloss(1), "Customer 1");
    EXPECT_EQ(gloss(2), "HEAT PUMP CONTROL");
    EXPECT_EQ(gloss(3), "260314 12:15:20");
    EXPECT_EQ(gloss(4), "[Heating] [Info] [Menu]");

    pressEnter();
    EXPECT_EQ(gloss(1), "Main menu");
    EXPECT_EQ(gloss(3), "the heating in the house (1)");
    EXPECT_EQ(gloss(4), "[Back] [Select]");

    // A value editor: the limits and the value with their unit words, a blanked soft key.
    setAccessLevel(2);
    ControllerCells[41] = 150;
    openUnder({2, 1});
    EXPECT_EQ(gloss(1), "Extra hot water");
    EXPECT_EQ(gloss(3), "0h 2h 48h");
    pressEnter();
    EXPECT_EQ(gloss(4), "[Cancel]");
    turn(1);
    EXPECT_EQ(gloss(3), "0h 3h 48h");
    EXPECT_EQ(gloss(4), "[Cancel] [Save]");
    pressEnter();
    EXPECT_EQ(gloss(1), "");
    EXPECT_EQ(gloss(2), "Saving...");
    endMessage();

    // The operating-time split: a line the screen writes whole.
    openUnder({7, 2});
    EXPECT_EQ(gloss(2), "0% hot water 0% radiator");
}

TEST_F(MenuTest, GlossOfStatusPagesAndAlarmsCarriesTheLiveValues) {
    // A switched-off setting reads "Off" between its limits.
    setAccessLevel(8);
    openUnder({9, 1});
    EXPECT_EQ(line(3), "-20\xBA  Ikke Akt   10\xBA");
    EXPECT_EQ(glossLine(3), "-20° Off 10°");
    pressBack();
    pressBack();
    currentNode = &MenuNodes[NodeRoot];

    SecondTimers[2] = 45;
    ControllerCells[StatusPageIndexCell] = 1;
    pressMiddle();
    EXPECT_EQ(glossLine(3), "in 45 seconds");

    // A value that reaches over the last letter of "temp" leaves no remains of it.
    pressMiddle();
    ControllerCells[112] = 225;
    IoWords[FirstSensorWord] = static_cast<uint16_t>(-400);
    cycle();
    ControllerCells[StatusPageIndexCell] = 3;
    pressMiddle();
    EXPECT_EQ(line(4), "N\xE5v\xE6rende tem -40,0\xBA");
    EXPECT_EQ(glossLine(3), "Stop temperature 22,5°");
    EXPECT_EQ(glossLine(4), "Current temperature -40,0°");
    IoWords[FirstSensorWord] = 1401;
    cycle(2);
    EXPECT_EQ(glossLine(4), "Current temperature ---");

    raiseAlarm(13);
    cycle();
    EXPECT_EQ(glossLine(1), "ALARM (LP)");
    EXPECT_EQ(glossLine(2), "Low-pressure switch");
    EXPECT_EQ(glossLine(3), "260314 12:15:20");
    EXPECT_EQ(glossLine(4), "[Info] [Acknowledge]");
    EXPECT_EQ(glossPlain(561), "Stop temperature");
    EXPECT_EQ(glossPlain(435), "[Cancel] [Save]");
}

TEST_F(MenuTest, WordsTakenFromTheTextsHaveEnglish) {
    // The words the start-up takes out of the texts and the screens print beside them.
    const auto english = [](std::string_view word) {
        for (int w = 0; w < GlossWordCount; ++w) {
            if (word == GlossWords[w].name) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(english(OffMarker));
    EXPECT_TRUE(english(FromToHeadings));
    EXPECT_TRUE(english(FromToHeadings + 10));
    for (const auto& unit : UnitNames) {
        EXPECT_TRUE(english(unit)) << unit;
    }
    for (const auto& day : WeekdayNames) {
        EXPECT_TRUE(english(std::string_view(day, 2))) << std::string_view(day, 2);
    }
}

// Well-formed UTF-8 without placeholders left over, within the width beside the display.
void expectShowable(const std::string& gloss, const std::string& what) {
    EXPECT_EQ(gloss.find('{'), std::string::npos) << what << ": " << gloss;
    int characters = 0;
    for (size_t i = 0; i < gloss.size(); ++characters) {
        const auto lead = static_cast<unsigned char>(gloss[i]);
        const size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : 0;
        ASSERT_NE(length, 0u) << what << ": " << gloss;
        for (size_t k = 1; k < length; ++k) {
            ASSERT_LT(i + k, gloss.size()) << what;
            ASSERT_EQ(static_cast<unsigned char>(gloss[i + k]) >> 6, 2) << what << ": " << gloss;
        }
        i += length;
    }
    EXPECT_LE(characters, GlossMaxLength) << what << ": " << gloss;
}

TEST_F(MenuTest, EveryScreenOfTheTreeHasAShowableGloss) {
    setAccessLevel(8);
    for (int n = 0; n < MenuNodeCount; ++n) {
        resetControllerState();
        installPlatform(&host);
        bootController();
        ControllerCells[116] = 1;
        IoWords[50] = 1;
        cycle();
        setAccessLevel(8);
        currentNode = &MenuNodes[n];
        menuFlags =
            static_cast<uint8_t>((menuFlags & ~EditingFlag) | RedrawRequestFlag | FullRedrawFlag);
        cycle(3);
        turn(1);
        for (int l = 1; l <= 4; ++l) {
            expectShowable(glossLine(l), "node " + std::to_string(n) + " line " +
                                             std::to_string(l) + " \"" + line(l) + "\"");
        }
    }
}

TEST(Gloss, DisplayRecordsTheTextOfEachLineWithoutChangingIt) {
    resetDisplay();
    showScreen(0, 1, 1, 2);
    EXPECT_EQ(LineTexts[0], 0);
    EXPECT_EQ(LineTexts[3], TextGroupLine4 + 2);
    writeText(2, 1, "12345678901234567890");
    EXPECT_EQ(LineTexts[1], NoLineText);
    writeText(3, 2, "1234567890123456789");
    EXPECT_EQ(LineTexts[2], TextGroupLine3 + 1);
    EXPECT_EQ(std::string(LcdLines[2], 20), "v1234567890123456789");
    resetDisplay();
    EXPECT_EQ(LineTexts[0], NoLineText);
    EXPECT_EQ(glossLine(0), "");
    EXPECT_EQ(glossLine(5), "");
}

} // namespace
} // namespace kv410
