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
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace kv410 {
namespace {

bool isLetter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || static_cast<unsigned char>(c) >= 0x80;
}

// Characters of a gloss (UTF-8), a placeholder counted at its width or its English; -1 when
// the bytes are not UTF-8.
int glossWidth(std::string_view gloss) {
    int width = 0;
    for (size_t i = 0; i < gloss.size(); ++i) {
        const auto byte = static_cast<unsigned char>(gloss[i]);
        if (gloss[i] == '{') {
            const size_t close = gloss.find('}', i);
            const std::string inside(gloss.substr(i + 1, close - i - 1));
            const size_t equals = std::min(inside.find('='), inside.size());
            const size_t dash = inside.find('-');
            const int first = std::stoi(inside);
            const int last = dash < equals ? std::stoi(inside.substr(dash + 1)) : first;
            const int english = glossWidth(inside.substr(std::min(equals + 1, inside.size())));
            width += std::max(last - first + 1, english);
            i = close;
        } else if (byte >= 0x80 && byte < 0xC2) {
            return -1; // a continuation byte without its lead, or a Latin-1 character
        } else {
            ++width;
            const size_t more = byte < 0x80 ? 0 : byte < 0xE0 ? 1 : 2;
            for (size_t k = 0; k < more; ++k, ++i) {
                if (i + 1 >= gloss.size() || (static_cast<unsigned char>(gloss[i + 1]) >> 6) != 2) {
                    return -1;
                }
            }
        }
    }
    return width;
}

// The one English term of every gloss of a text or label that holds one of its words: texts
// in Latin-1, the Swedish labels in UTF-8; a word starts after a non-letter, and with "=" it
// must also end before one.
struct Term {
    const char* english;
    std::initializer_list<const char*> words;
};
const Term Terms[] = {
    {"brine", {"kuldeb", "kuldb", "=kb", "k\xC3\xB6ldb\xC3\xA4r"}},
    {"heat carrier", {"varmeb\xE6r", "=vb", "v\xC3\xA4rmeb\xC3\xA4r"}},
    {"auxiliary heat", {"tilsk", "tillsk"}},
    {"changeover valve", {"vekselventil", "v\xC3\xA4xelventil", "vxv"}},
    {"compressor", {"kompr"}},
    {"hot water", {"varmtvann", "varmvatten", "=vv"}},
    {"mixed", {"shuntet"}},
    {"mixing valve", {"shuntv", "shuntk", "=shunt"}},
    {"return", {"retur"}},
    {"outdoor", {"=ute"}},
    {"supply", {"=tur", "turtemp", "framledning"}},
    {"sensor", {"foler", "giver"}},
    {"pressure switch", {"pressostat"}},
    {"motor protection", {"motorvern"}},
    {"electric heater", {"elkas"}},
    {"heat pump", {"varmepump", "=vp"}},
    {"heating curve", {"varmek"}},
    {"alarm", {"alarm"}},
    {"neutral zone", {"nullsone"}},
    {"time program", {"tidsstyr"}},
    {"factory", {"fabrikk"}},
    {"restart", {"omstart"}},
    {"manual operation", {"handkj"}},
    {"degree days", {"graddag"}},
    {"radiator", {"radiator"}},
    {"summer", {"sommer"}},
    {"holiday", {"ferie"}},
};

// Checks one text or label: its gloss fits and says the one term of every word it shares.
void expectGloss(std::string_view source, std::string_view gloss, const std::string& what) {
    std::string text(source);
    std::string english(gloss);
    for (std::string* s : {&text, &english}) {
        std::transform(s->begin(), s->end(), s->begin(), [](char c) {
            return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        });
    }
    const int width = glossWidth(gloss);
    EXPECT_TRUE(width >= 0 && width <= GlossMaxLength) << what << ": " << gloss;
    for (const Term& term : Terms) {
        for (std::string_view word : term.words) {
            const bool whole = word.front() == '=';
            word.remove_prefix(whole ? 1 : 0);
            for (size_t at = text.find(word); at != std::string::npos;
                 at = text.find(word, at + 1)) {
                const size_t end = at + word.size();
                if ((at == 0 || !isLetter(text[at - 1])) &&
                    (!whole || end == text.size() || !isLetter(text[end]))) {
                    EXPECT_NE(english.find(term.english), std::string::npos)
                        << what << " holds \"" << word << "\"; its gloss \"" << gloss
                        << "\" does not say \"" << term.english << "\"";
                    break;
                }
            }
        }
    }
}

TEST(Gloss, EveryTextLabelAndWordHasEnglishInOneTermThatFitsBesideTheDisplay) {
    for (int n = 0; n < TextCount; ++n) {
        ASSERT_NE(GlossTexts[n], nullptr) << "text " << n << " has no row in display/Gloss.tsv";
        const std::string_view text(TextTable[n], 20);
        // "None needed" only where no word of two letters stands, besides the maker's name,
        // the power choices in kW and the word lists the start-up takes apart.
        const bool name = n == 0 || n == 263 || n == 427 || (n >= 469 && n <= 471);
        const bool word = std::adjacent_find(text.begin(), text.end(), [](char a, char b) {
                              return isLetter(a) && isLetter(b);
                          }) != text.end();
        EXPECT_FALSE(GlossTexts[n][0] == '\0' && word && !name) << "text " << n << ": " << text;
        EXPECT_EQ(glossPlain(n).find('{'), std::string::npos) << "text " << n;
        expectGloss(text, GlossTexts[n], "text " + std::to_string(n));
    }
    const auto expectLabel = [](const std::string& name, const char* swedish) {
        EXPECT_FALSE(labelGloss(name).empty()) << name;
        expectGloss(swedish, labelGloss(name), name);
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
        expectLabel(name, "");
    }
    EXPECT_TRUE(labelGloss("NoSuchLabel").empty());

    // The words the start-up takes out of the texts, which the screens print beside them.
    resetControllerState();
    takeTextWords();
    std::vector<std::string> words = {OffMarker, FromToHeadings, FromToHeadings + 10};
    for (const auto& unit : UnitNames) {
        words.emplace_back(unit);
    }
    for (const auto& day : WeekdayNames) {
        words.emplace_back(day, 2);
    }
    for (const std::string& word : words) {
        EXPECT_TRUE(std::any_of(GlossWords, GlossWords + GlossWordCount, [&](const GlossPair& w) {
            return word == w.name;
        })) << word;
    }
}

TEST_F(MenuTest, GlossFollowsTheScreensWithTheirValuesInPlace) {
    // The main display: the access tag and the clock line, written by the screen itself.
    EXPECT_EQ(glossLine(1), "Customer 1");
    EXPECT_EQ(glossLine(2), "HEAT PUMP CONTROL");
    EXPECT_EQ(glossLine(3), "260314 12:15:20");
    EXPECT_EQ(glossLine(4), "[Heating] [Info] [Menu]");
    pressEnter();
    EXPECT_EQ(glossLine(1), "Main menu");
    EXPECT_EQ(glossLine(3), "the heating in the house (1)");
    EXPECT_EQ(glossLine(4), "[Back] [Select]");

    // A value editor: limits and value with their unit words, a soft key the editor blanked.
    setAccessLevel(2);
    ControllerCells[41] = 150;
    openUnder({2, 1});
    EXPECT_EQ(glossLine(1), "Extra hot water");
    EXPECT_EQ(glossLine(3), "0h 2h 48h");
    pressEnter();
    EXPECT_EQ(glossLine(4), "[Cancel]");
    turn(1);
    EXPECT_EQ(glossLine(3), "0h 3h 48h");
    EXPECT_EQ(glossLine(4), "[Cancel] [Save]");
    pressEnter();
    EXPECT_EQ(glossLine(1), "");
    EXPECT_EQ(glossLine(2), "Saving...");
    endMessage();
    // The operating-time split, a line the screen writes whole.
    openUnder({7, 2});
    EXPECT_EQ(glossLine(2), "0% hot water 0% radiator");
    // A switched-off setting reads "Off" between its limits.
    setAccessLevel(8);
    openUnder({9, 1});
    EXPECT_EQ(line(3), "-20\xBA  Ikke Akt   10\xBA");
    EXPECT_EQ(glossLine(3), "-20° Off 10°");

    // Status pages: a countdown, and a value over the last letter of "temp" leaves no remains.
    pressBack();
    pressBack();
    currentNode = &MenuNodes[NodeRoot];
    SecondTimers[2] = 45;
    ControllerCells[StatusPageIndexCell] = 1;
    pressMiddle();
    EXPECT_EQ(glossLine(3), "in 45 seconds");
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

    // The alarm display with the raise time.
    raiseAlarm(13);
    cycle();
    EXPECT_EQ(glossLine(1), "ALARM (LP)");
    EXPECT_EQ(glossLine(2), "Low-pressure switch");
    EXPECT_EQ(glossLine(3), "260314 12:15:20");
    EXPECT_EQ(glossLine(4), "[Info] [Acknowledge]");
    EXPECT_EQ(glossPlain(561), "Stop temperature");
    EXPECT_EQ(glossPlain(435), "[Cancel] [Save]");
}

TEST_F(MenuTest, EveryScreenOfTheTreeHasAGlossThatFitsBesideTheDisplay) {
    for (int n = 0; n < MenuNodeCount; ++n) {
        SetUp();
        setAccessLevel(8);
        currentNode = &MenuNodes[n];
        menuFlags =
            static_cast<uint8_t>((menuFlags & ~EditingFlag) | RedrawRequestFlag | FullRedrawFlag);
        cycle(3);
        turn(1);
        for (int l = 1; l <= 4; ++l) {
            const std::string gloss = glossLine(l);
            const int width = glossWidth(gloss);
            EXPECT_TRUE(width >= 0 && width <= GlossMaxLength && gloss.find('{') == gloss.npos)
                << "node " << n << " line " << l << " \"" << line(l) << "\": " << gloss;
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
