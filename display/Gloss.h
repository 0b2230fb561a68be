// The English gloss of the display and of the window's labels, drawn beside the LCD by the
// front-ends; the LCD itself keeps its Norwegian texts.
#pragma once

#include "display/TextTable.h"

#include <string>
#include <string_view>

namespace kv410 {

// One named gloss: a label of the window and page, or a word the screens write.
struct GlossPair {
    const char* name;
    const char* english;
};

inline constexpr int GlossTextCount = TextCount;
// The widest gloss line in characters: about the LCD's own width in the window's font.
inline constexpr int GlossMaxLength = 40;

// Gloss template of text N (UTF-8, with placeholders); "" when none is needed, nullptr when the
// gloss file has no row for it.
extern const char* const GlossTexts[GlossTextCount];
// Glosses of the window's and the page's labels, by element name.
extern const GlossPair GlossLabels[];
extern const int GlossLabelCount;
// Words the screens write beside the texts (units, weekdays, "Ikke Akt").
extern const GlossPair GlossWords[];
extern const int GlossWordCount;

// The English of LCD line 1..4 as it stands now, values filled in; empty when nothing needs it.
std::string glossLine(int line);
// The English of text N without its value places, for menus and catalogues.
std::string glossPlain(int textNumber);
// The English of a window or page label; empty for a name it does not know.
std::string_view labelGloss(std::string_view labelName);

} // namespace kv410
