#include "display/Gloss.h"

#include "display/Lcd.h"

#include <cstring>

namespace kv410 {

namespace {

constexpr int LineLength = 20;
constexpr unsigned char DegreeGlyph = 0xBA;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isWordCharacter(char c) {
    const auto u = static_cast<unsigned char>(c);
    return isDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || u >= 0x80;
}

// Latin-1 display characters as UTF-8; the degree glyph becomes the degree sign.
std::string toUtf8(std::string_view latin1) {
    std::string out;
    out.reserve(latin1.size() + 4);
    for (const char c : latin1) {
        const auto u = static_cast<unsigned char>(c);
        if (u == DegreeGlyph) {
            out += "\xC2\xB0";
        } else if (u < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

// Replaces the known words of a live piece by their English, in one pass (an English word is
// never looked up again), the longest word first where several start at one place.
std::string translateWords(std::string_view text) {
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        // A word starts after a blank or a sign, or right after a number ("48tim").
        const bool afterDigit = i > 0 && isDigit(text[i - 1]) && !isDigit(text[i]);
        const bool atStart = i == 0 || !isWordCharacter(text[i - 1]) || afterDigit;
        const GlossPair* best = nullptr;
        size_t bestLength = 0;
        for (int w = 0; atStart && w < GlossWordCount; ++w) {
            const std::string_view word = GlossWords[w].name;
            const size_t end = i + word.size();
            if (word.size() > bestLength && text.substr(i, word.size()) == word &&
                (end == text.size() || !isWordCharacter(text[end]) ||
                 !isWordCharacter(word.back()))) {
                best = &GlossWords[w];
                bestLength = word.size();
            }
        }
        if (best != nullptr) {
            out += best->english;
            i += bestLength;
        } else {
            out += text[i++];
        }
    }
    return out;
}

std::string trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

bool isLetter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           (c >= 0xC0 && c != 0xD7 && c != 0xF7);
}

// Live characters of columns first..last (1-based) with the known words in English, blanks
// trimmed; letters still standing from the text (when there is one) are left out, so that a
// value written over the end of a word comes without the word's remains.
std::string livePiece(const char* line, const char* text, int first, int last) {
    std::string piece(line + first - 1, static_cast<size_t>(last - first + 1));
    if (text != nullptr) {
        for (int c = first; c <= last; ++c) {
            const auto own = static_cast<unsigned char>(text[c - 1]);
            if (line[c - 1] == text[c - 1] && isLetter(own)) {
                piece[static_cast<size_t>(c - first)] = ' ';
            }
        }
    }
    return translateWords(trimmed(toUtf8(piece)));
}

// Drops empty soft-key brackets and runs of blanks, and trims the ends.
std::string tidy(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '[' && i + 1 < text.size() && text[i + 1] == ']') {
            ++i;
            continue;
        }
        if (text[i] == ' ' && (out.empty() || out.back() == ' ')) {
            continue;
        }
        out += text[i];
    }
    while (!out.empty() && out.back() == ' ') {
        out.pop_back();
    }
    return out;
}

// One placeholder of a template: columns first..last and, after "=", the text's own English.
struct Placeholder {
    int first = 0;
    int last = 0;
    bool hasEnglish = false;
    std::string_view english;
    size_t length = 0; // characters of the template it takes, braces included
};

int readNumber(std::string_view text, size_t& i) {
    int value = 0;
    while (i < text.size() && isDigit(text[i])) {
        value = value < 1000 ? value * 10 + (text[i] - '0') : value; // past 20 is refused anyway
        ++i;
    }
    return value;
}

// Reads "{a}", "{a-b}" or "{a-b=English}" at text[at]; false when it is no placeholder.
bool readPlaceholder(std::string_view text, size_t at, Placeholder& p) {
    size_t i = at + 1;
    p.first = readNumber(text, i);
    p.last = p.first;
    if (i < text.size() && text[i] == '-') {
        ++i;
        p.last = readNumber(text, i);
    }
    p.hasEnglish = i < text.size() && text[i] == '=';
    size_t close = text.find('}', i);
    if (close == std::string_view::npos || p.first < 1 || p.last > LineLength || p.first > p.last ||
        (!p.hasEnglish && close != i)) {
        return false;
    }
    if (p.hasEnglish) {
        p.english = text.substr(i + 1, close - i - 1);
    }
    p.length = close - at + 1;
    return true;
}

int findText(const char* line) {
    for (int n = 0; n < TextCount; ++n) {
        if (std::memcmp(TextTable[n], line, LineLength) == 0) {
            return n;
        }
    }
    return NoLineText;
}

} // namespace

std::string glossLine(int line) {
    if (line < 1 || line > 4) {
        return {};
    }
    const char* live = LcdLines[line - 1];
    int n = LineTexts[line - 1];
    if (n < 0 || n >= TextCount) {
        n = findText(live);
    }
    if (n == NoLineText) {
        // Written by the screen alone (the clock line, a split of percentages): its own words.
        return tidy(livePiece(live, nullptr, 1, LineLength));
    }
    const char* text = TextTable[n];
    const std::string_view gloss = GlossTexts[n] != nullptr ? GlossTexts[n] : "";
    bool covered[LineLength] = {};
    std::string out;
    for (size_t i = 0; i < gloss.size(); ++i) {
        Placeholder p;
        if (gloss[i] != '{' || !readPlaceholder(gloss, i, p)) {
            out += gloss[i];
            continue;
        }
        for (int c = p.first; c <= p.last; ++c) {
            covered[c - 1] = true;
        }
        const bool unchanged =
            std::memcmp(live + p.first - 1, text + p.first - 1, p.last - p.first + 1) == 0;
        if (p.hasEnglish && unchanged) {
            out += p.english;
        } else {
            out += livePiece(live, text, p.first, p.last);
        }
        i += p.length - 1;
    }
    // Whatever the screen wrote outside the placeholders follows, so that no value is lost.
    char rest[LineLength];
    for (int c = 0; c < LineLength; ++c) {
        rest[c] = !covered[c] && live[c] != text[c] ? live[c] : ' ';
    }
    const std::string added = livePiece(rest, nullptr, 1, LineLength);
    if (!added.empty()) {
        out += ' ';
        out += added;
    }
    return tidy(out);
}

std::string glossPlain(int textNumber) {
    if (textNumber < 0 || textNumber >= TextCount || GlossTexts[textNumber] == nullptr) {
        return {};
    }
    const std::string_view gloss = GlossTexts[textNumber];
    std::string out;
    for (size_t i = 0; i < gloss.size(); ++i) {
        Placeholder p;
        if (gloss[i] == '{' && readPlaceholder(gloss, i, p)) {
            out += p.english;
            i += p.length - 1;
        } else {
            out += gloss[i];
        }
    }
    return tidy(out);
}

std::string_view labelGloss(std::string_view labelName) {
    for (int i = 0; i < GlossLabelCount; ++i) {
        if (labelName == GlossLabels[i].name) {
            return GlossLabels[i].english;
        }
    }
    return {};
}

} // namespace kv410
