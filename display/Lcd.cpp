#include "display/Lcd.h"

#include "core/Memory.h"
#include "display/TextTable.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace kv410 {

char LcdLines[4][21];
char TextScratch[21];
int LineTexts[4];
bool GraphVisible;
int32_t barStart;
int32_t barEnd;

namespace {

constexpr int LineCount = 4;
constexpr int LineLength = 20;
// Target numbers of showText from this one on fetch into TextScratch.
constexpr int ScratchTarget = 5;
// showMessage keeps its text for one to two seconds.
constexpr int MessageHoldTimer = 7;
constexpr uint32_t MessageHoldSeconds = 2;

// The display controller's own codes and the glyphs the window font shows for them.
struct Translation {
    unsigned char code;
    unsigned char glyph;
};
constexpr Translation Translations[] = {
    {0x01, 0xE5}, // å
    {0x03, 0xC5}, // Å
    {0x04, 0xC4}, // Ä
    {0x05, 0x5E}, // ^
    {0x7E, 0x3E}, // right arrow
    {0x7F, 0x3C}, // left arrow
    {0xB0, 0x2D}, // the stem of the "<-" arrow
    {0xDF, 0xBA}, // degree sign
    {0xE1, 0xE4}, // ä
    {0xEF, 0xF6}, // ö
};

constexpr std::array<unsigned char, 256> makeGlyphTable() {
    std::array<unsigned char, 256> table{};
    for (int code = 0; code < 256; ++code) {
        table[code] = static_cast<unsigned char>(code);
    }
    for (const Translation& t : Translations) {
        table[t.code] = t.glyph;
    }
    return table;
}
constexpr std::array<unsigned char, 256> GlyphOf = makeGlyphTable();

bool validLine(int line) {
    return line >= 1 && line <= LineCount;
}

bool validText(int textIndex) {
    return textIndex >= 0 && textIndex < TextCount;
}

// Writes a field built by formatNumber with its run of leading blanks cut down to one.
void showField(int line, int column, const char* field) {
    while (field[0] == ' ' && field[1] == ' ') {
        ++field;
        ++column;
    }
    writeText(line, column, field);
}

void showGraph(int32_t min, int32_t max, int32_t value, bool marker) {
    GraphVisible = true;
    const bool atStart = value == min || max == min;
    if (atStart) {
        barEnd = 1;
    } else {
        const int64_t end = int64_t{graphWidth} * (int64_t{value} - min) / (int64_t{max} - min);
        barEnd = static_cast<int32_t>(end < 0 ? 0 : (end > graphWidth ? graphWidth : end));
    }
    if (marker) {
        barStart = atStart ? 0 : barEnd - 2;
    } else {
        barStart = 0;
    }
}

} // namespace

char shownGlyph(char code) {
    return static_cast<char>(GlyphOf[static_cast<unsigned char>(code)]);
}

void writeText(int line, int column, const char* text) {
    if (!validLine(line) || text == nullptr) {
        return;
    }
    char* target = LcdLines[line - 1];
    int position = column - 1;
    for (int i = 0; text[i] != '\0' && position < LineLength; ++i, ++position) {
        if (position >= 0) {
            target[position] = static_cast<char>(GlyphOf[static_cast<unsigned char>(text[i])]);
        }
    }
    if (column <= 1 && position >= LineLength) {
        LineTexts[line - 1] = NoLineText;
    }
    if (line == 2) {
        GraphVisible = false;
    }
}

void putChar(int line, int column, char character) {
    if (validLine(line) && column >= 1 && column <= LineLength) {
        LcdLines[line - 1][column - 1] = character;
    }
}

void showText(int target, int textIndex) {
    if (!validText(textIndex) || target < 1) {
        return;
    }
    const char* text = TextTable[textIndex];
    if (target >= ScratchTarget) {
        std::strncpy(TextScratch, text, LineLength);
        TextScratch[LineLength] = '\0';
        return;
    }
    // Every stored text fills the line; a short one is padded so the line keeps its width.
    LineTexts[target - 1] = textIndex;
    char* line = LcdLines[target - 1];
    int i = 0;
    for (; i < LineLength && text[i] != '\0'; ++i) {
        line[i] = text[i];
    }
    for (; i < LineLength; ++i) {
        line[i] = ' ';
    }
    if (target == 2) {
        GraphVisible = false;
    }
}

void formatNumber(int32_t value, char* out, bool tenths) {
    const int last = tenths ? 5 : 4;
    const bool negative = value < 0;
    const int64_t m = negative ? -int64_t{value} : int64_t{value};
    for (int i = 0; i < last; ++i) {
        out[i] = ' ';
    }
    out[last] = static_cast<char>('0' + m % 10);
    out[last + 1] = '\0';
    int position = last - 1;
    if (tenths) {
        out[position--] = ',';
        out[position--] = static_cast<char>('0' + m % 100 / 10);
    } else if (m > 9) {
        out[position--] = static_cast<char>('0' + m % 100 / 10);
    }
    if (m > 99) {
        out[position--] = static_cast<char>('0' + m % 1000 / 100);
    }
    if (m > 999) {
        out[position--] = static_cast<char>('0' + m % 10000 / 1000);
    }
    if (negative && position >= 0) {
        out[position] = '-';
    }
}

void showInteger(int line, int column, int32_t value) {
    char field[7];
    formatNumber(value, field, false);
    showField(line, column, field);
}

void showTenths(int line, int column, int32_t value) {
    char field[7];
    formatNumber(value, field, true);
    showField(line, column, field);
}

void showMarker(int32_t min, int32_t max, int32_t value) {
    showGraph(min, max, value, true);
}

void showBar(int32_t min, int32_t max, int32_t value) {
    showGraph(min, max, value, false);
}

void showScreen(int t1, int t2, int t3, int t4) {
    showText(1, TextGroupLine1 + static_cast<uint8_t>(t1));
    showText(2, TextGroupLine2 + static_cast<uint8_t>(t2));
    showText(3, TextGroupLine3 + static_cast<uint8_t>(t3));
    showText(4, TextGroupLine4 + static_cast<uint8_t>(t4));
    GraphVisible = false;
}

void showMessage(int textIndex) {
    if (!validText(textIndex)) {
        return;
    }
    showText(1, TextGroupLine2);
    showText(2, textIndex);
    showText(3, TextGroupLine2);
    showText(4, TextGroupLine2);
    SecondTimers[MessageHoldTimer] = MessageHoldSeconds;
}

void resetDisplay() {
    for (char* line : LcdLines) {
        std::memset(line, ' ', LineLength);
        line[LineLength] = '\0';
    }
    std::memset(TextScratch, 0, sizeof TextScratch);
    for (int& text : LineTexts) {
        text = NoLineText;
    }
    GraphVisible = false;
    barStart = 0;
    barEnd = 0;
}

} // namespace kv410
