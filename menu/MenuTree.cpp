#include "menu/MenuTree.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "display/TextTable.h"

#include <array>

namespace kv410 {

MenuNode MenuNodes[MenuNodeCount];

namespace {

// How many nodes one row of the tree stands for.
enum class RowRun : uint8_t {
    One,              // one node
    CurveReadouts,    // a readout per curve point, 20º first, each followed by its point editor
    CurvePointEditors // the point editor under each readout of the row above
};

inline constexpr int CurvePoints = 12;

// One row of the tree as written: depth, then the node's fields with absolute text numbers.
struct TreeRow {
    int8_t depth; // ListBreak: the rows below start lists of their own
    uint8_t kind;
    uint16_t texts[4];
    uint16_t altTexts[4]; // {}: the same screen as texts
    uint32_t cell;
    uint32_t aux;
    int32_t min;
    int32_t max;
    uint8_t format;
    uint8_t unit;
    uint8_t access;
    uint8_t config;
    RowRun run = RowRun::One;
};

// Separates the quick settings and the alarm display from the main tree.
inline constexpr TreeRow ListBreak{-1, 0, {}, {}, 0, 0, 0, 0, 0, 0, 0, 0};

// The whole tree in sibling order, depth first, a node's list directly under it. The quick
// settings follow the first break (the root's parent leads there), the alarm display the second.
// clang-format off
inline constexpr TreeRow TreeRows[] = {
//  depth, kind, texts, altTexts, cell, aux, min, max, format, unit, access, config
    {0, 26, {0, 264, 267, 431}, {0, 264, 267, 432}, 3, 0, 0, 0, 0, 0, 0x0F, 0xFF}, // main display (root)
    {1, 0, {1, 124, 268, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0F, 0xFF}, // 1 Her stiller du inn varmen i huset
    {2, 0, {2, 136, 280, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0F, 0xFF}, // 1.1 Varme oke/redusere område 0-10
    {3, 16, {3, 123, 267, 434}, {3, 123, 267, 436}, 0, 0, 0, 100, 1, 0, 0x0F, 0xFF}, // Varme oke/redusere
    {2, 0, {2, 137, 281, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0F, 0xFF}, // 1.2 Varme finjustering område -8/+8
    {3, 15, {4, 123, 267, 434}, {4, 123, 267, 436}, 1, 0, -80, 80, 1, 6, 0x0F, 0xFF}, // Varmek.Finjustering
    {2, 0, {2, 138, 282, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFF}, // 1.3 Tilassing av varme- Kurven(knekk)
    {3, 7, {5, 240, 397, 434}, {}, 0, 11, 0, 0, 1, 6, 0x0C, 0xFF, RowRun::CurveReadouts}, // Varmek.Tilpasse, points 20º .. -35º
    {4, 8, {79, 123, 267, 441}, {79, 123, 267, 435}, 0, 11, 200, 1080, 1, 6, 0x0C, 0xFF, RowRun::CurvePointEditors}, // Ute 20º .. Ute -35º
    {2, 0, {2, 266, 283, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFB}, // 1.4 VarmeKurvens koblingsdiff.
    {3, 5, {6, 123, 267, 434}, {6, 123, 267, 436}, 2, 0, 20, 150, 1, 6, 0x0C, 0xFB}, // Varmek.Kobl. Diff
    {2, 0, {2, 140, 284, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0E, 0x11}, // 1.5 Shunt oke/redusere område 0-10
    {3, 16, {7, 123, 267, 434}, {7, 123, 267, 436}, 3, 0, 0, 100, 1, 0, 0x0E, 0x11}, // Shunt oke/redusere
    {2, 0, {2, 141, 285, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0E, 0x11}, // 1.6 Shunt finjustering område -8/+8
    {3, 15, {8, 123, 267, 434}, {8, 123, 267, 436}, 4, 0, -80, 80, 1, 6, 0x0E, 0x11}, // Shuntv.Finjustering
    {2, 0, {2, 142, 286, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0x11}, // 1.7 Tilpassing av Shunt- Kurven(knekk)
    {3, 7, {9, 240, 397, 434}, {}, 1, 11, 0, 0, 1, 6, 0x0C, 0x11, RowRun::CurveReadouts}, // Shuntv.Tilpasse, points 20º .. -35º
    {4, 8, {79, 123, 267, 441}, {79, 123, 267, 435}, 1, 11, 200, 1080, 1, 6, 0x0C, 0x11, RowRun::CurvePointEditors}, // Ute 20º .. Ute -35º
    {2, 0, {2, 143, 287, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0x15}, // 1.8 Shuntkurve nullsone
    {3, 5, {11, 123, 267, 434}, {11, 123, 267, 435}, 7, 0, 0, 90, 1, 6, 0x0C, 0x15}, // Shuntv.Nullsone
    {2, 0, {2, 202, 355, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0x15}, // 1.9 Shuntkurve Maks ved GT4
    {3, 5, {10, 123, 267, 434}, {10, 123, 267, 435}, 6, 0, 300, 700, 1, 6, 0x0C, 0x15}, // Shuntv.Makstemp
    {2, 0, {2, 145, 289, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0F, 0x27}, // 1.10 Instilling av romtemperatur
    {3, 5, {12, 123, 267, 434}, {12, 123, 267, 436}, 33, 0, 100, 300, 1, 6, 0x0F, 0x27}, // Romtemperatur
    {2, 0, {2, 146, 290, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0E, 0x27}, // 1.11 Instilling av roms- giver påvirket
    {3, 5, {13, 123, 267, 434}, {13, 123, 267, 436}, 34, 0, 0, 10, 0, 0, 0x0E, 0x27}, // Romgiver Påvirkn.
    {2, 0, {2, 145, 291, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0E, 0x21}, // 1.12 Instilling av feriefunksjon
    {3, 5, {14, 123, 267, 434}, {14, 123, 267, 436}, 35, 0, 0, 30, 5, 1, 0x0E, 0x21}, // Feriefunksjon
    {2, 0, {2, 265, 426, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0E, 0x21}, // 1.13 Fjærnstyring varme
    {3, 5, {122, 123, 267, 434}, {122, 123, 267, 435}, 117, 0, 100, 201, 1, 6, 0x0E, 0x21}, // Fjærnstyring varme
    {2, 0, {2, 145, 292, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0E, 0xFB}, // 1.14 Instilling av Sommerutkobl.
    {3, 5, {15, 123, 267, 434}, {15, 123, 267, 436}, 36, 0, 100, 300, 1, 6, 0x0E, 0xFB}, // Sommerutkobling
    {2, 0, {2, 147, 293, 433}, {}, 0, 0, 0, 0, 0, 0, 0x00, 0xFB}, // 1.15 Returtemperatur min i varmesystem
    {3, 5, {16, 123, 267, 434}, {16, 123, 267, 436}, 37, 0, 100, 400, 1, 6, 0x08, 0xFB}, // Retur Min Gt1
    {2, 0, {2, 148, 294, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0F, 0xFC}, // 1.16 Returtermostat stopp temp. inst
    {3, 5, {17, 123, 267, 434}, {17, 123, 267, 436}, 38, 0, 300, 500, 1, 6, 0x0F, 0xFC}, // Returtermostat Inst
    {2, 0, {2, 149, 295, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0F, 0xFC}, // 1.17 Returtermostat differanse inst
    {3, 5, {18, 123, 267, 434}, {18, 123, 267, 436}, 39, 0, 20, 150, 1, 6, 0x0F, 0xFC}, // Returtermostat Diff
    {2, 0, {2, 150, 296, 433}, {}, 0, 0, 0, 0, 0, 0, 0x08, 0xFB}, // 1.18 Instilling av min- tid rad.drift
    {3, 5, {19, 123, 267, 434}, {19, 123, 267, 436}, 40, 0, 5, 60, 7, 3, 0x08, 0xFB}, // Raddrift Mintid
    {1, 0, {1, 125, 269, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0E, 0xFB}, // 2 Her endrer du varm- vanninstilling
    {2, 0, {20, 151, 297, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0E, 0xF9}, // 2.1 Antall timer for Ekstra varmtvann
    {3, 5, {21, 123, 267, 434}, {21, 123, 267, 436}, 41, 0, 0, 48, 6, 2, 0x0E, 0xF9}, // Ekstra VV
    {2, 0, {20, 152, 298, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0E, 0xF9}, // 2.2 Intervall for varmvattenspets
    {3, 5, {22, 123, 267, 434}, {22, 123, 267, 436}, 42, 0, 0, 30, 5, 1, 0x0E, 0xF9}, // VV Spets
    {2, 0, {20, 145, 299, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0x0B}, // 2.3 Instilling av varmtvannstemp
    {3, 5, {23, 123, 267, 434}, {23, 123, 267, 436}, 43, 0, 350, 600, 1, 6, 0x0C, 0xBB}, // VV Temperatur
    {2, 0, {20, 145, 300, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0x0B}, // 2.4 Instilling av VV differanse
    {3, 5, {24, 123, 267, 434}, {24, 123, 267, 436}, 44, 0, 20, 150, 1, 6, 0x0C, 0xBB}, // VV Differanse
    {2, 0, {20, 153, 301, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0x43}, // 2.5 Starttemperatur av VV ladning
    {3, 5, {25, 123, 267, 434}, {25, 123, 267, 436}, 45, 0, 250, 480, 1, 6, 0x0C, 0xF3}, // VV Starttemp
    {2, 0, {20, 154, 302, 433}, {}, 0, 0, 0, 0, 0, 0, 0x08, 0xF9}, // 2.6 Stopptemperatur for VV spets
    {3, 5, {26, 123, 267, 434}, {26, 123, 267, 436}, 46, 0, 500, 700, 1, 6, 0x08, 0xF9}, // VV Spets Stopp
    {2, 0, {20, 155, 303, 433}, {}, 0, 0, 0, 0, 0, 0, 0x08, 0xF9}, // 2.7 Makstid for VV spets
    {3, 5, {27, 123, 267, 434}, {27, 123, 267, 436}, 47, 0, 60, 300, 7, 3, 0x08, 0xF9}, // VV Spets Maxtid
    {2, 0, {20, 155, 304, 433}, {}, 0, 0, 0, 0, 0, 0, 0x08, 0xFB}, // 2.8 Makstid for VV ladning
    {3, 5, {28, 123, 267, 434}, {28, 123, 267, 436}, 48, 0, 5, 120, 7, 3, 0x08, 0xFB}, // VV Makstid
    {1, 0, {1, 126, 270, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0F, 0xFF}, // 3 Her kan du se alle temperaturer
    {2, 4, {29, 229, 424, 440}, {}, 521, 112, 0, 0, 1, 6, 0x0F, 0xFF}, // Temperaturavlesing
    {2, 4, {29, 230, 385, 440}, {}, 522, 0, 0, 0, 1, 6, 0x0F, 0xFF}, // Temperaturavlesing
    {2, 4, {29, 231, 424, 440}, {}, 532, 114, 0, 0, 1, 6, 0x0F, 0x0F}, // Temperaturavlesing
    {2, 4, {29, 232, 425, 440}, {}, 524, 109, 0, 0, 1, 6, 0x0F, 0x17}, // Temperaturavlesing
    {2, 4, {29, 233, 424, 440}, {}, 525, 33, 0, 0, 1, 6, 0x0F, 0x27}, // Temperaturavlesing
    {2, 4, {29, 234, 385, 440}, {}, 526, 0, 0, 0, 1, 6, 0x0F, 0xFF}, // Temperaturavlesing
    {2, 4, {29, 235, 385, 440}, {}, 527, 0, 0, 0, 1, 6, 0x0F, 0xFF}, // Temperaturavlesing
    {2, 4, {29, 236, 385, 440}, {}, 528, 0, 0, 0, 1, 6, 0x0F, 0xFF}, // Temperaturavlesing
    {2, 4, {29, 237, 385, 440}, {}, 529, 0, 0, 0, 1, 6, 0x0F, 0xFF}, // Temperaturavlesing
    {2, 4, {29, 238, 385, 440}, {}, 530, 0, 0, 0, 1, 6, 0x0F, 0xFF}, // Temperaturavlesing
    {1, 0, {1, 127, 271, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0E, 0xFF}, // 4 Tidsstyringer Kun klokke
    {2, 0, {30, 156, 305, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0E, 0xFF}, // 4.1 Tidsstyring VP Kún klokke
    {3, 11, {31, 123, 267, 434}, {}, 0, 0, 0, 0, 0, 0, 0x0E, 0xFF}, // Tidsstyring VP
    {4, 12, {31, 123, 267, 437}, {}, 0, 0, 0, 0, 0, 0, 0x0E, 0xFF}, // Tidsstyring VP
    {2, 0, {30, 228, 382, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0E, 0xFF}, // 4.1.1 Instilling av nivå Varmepumpe +/-
    {3, 6, {103, 123, 267, 434}, {103, 123, 267, 436}, 50, 0, -200, 200, 1, 6, 0x0E, 0xFF}, // Varmepumpe +/-
    {2, 0, {30, 157, 306, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFF}, // 4.2 Tidsstyring tillsk. Kún klokke
    {3, 11, {32, 123, 267, 434}, {}, 7, 0, 0, 0, 0, 0, 0x0C, 0xFF}, // Tidsstyr. Tillsk.
    {4, 12, {32, 123, 267, 437}, {}, 7, 0, 0, 0, 0, 0, 0x0C, 0xFF}, // Tidsstyr. Tillsk.
    {2, 0, {30, 158, 307, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0E, 0xFB}, // 4.3 Tidsstyring varmtv. Kún klokke
    {3, 11, {33, 123, 267, 434}, {}, 14, 0, 0, 0, 0, 0, 0x0E, 0xFB}, // Tidsstyring VV
    {4, 12, {33, 123, 267, 437}, {}, 14, 0, 0, 0, 0, 0, 0x0E, 0xFF}, // Tidsstyring VV
    {1, 0, {1, 128, 272, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFF}, // 5 Igangkjoring Service for installatorer
    {2, 0, {34, 159, 308, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFF}, // 5.1 Her velger du driftfall A B C
    {3, 14, {35, 169, 267, 434}, {35, 169, 267, 435}, 55, 0, 0, 0, 0, 0, 0x0C, 0xFF}, // Valg Av Driftmåte
    {2, 0, {34, 254, 409, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFD}, // 5.2 Valg av tilkoblings- effekt elkassett
    {3, 14, {110, 263, 267, 434}, {110, 263, 267, 435}, 107, 0, 99, 1, 0, 0, 0x0C, 0xFD}, // Tilkoblingseffekt
    {2, 0, {34, 160, 309, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFF}, // 5.3 Handkjoring av samtlige funksj.
    {3, 0, {36, 176, 324, 433}, {}, 12, 1, 0, 0, 0, 0, 0x0C, 0xFF}, // P3 Kuldebærerpumpe starte/stoppe
    {4, 17, {114, 190, 417, 443}, {114, 191, 417, 443}, 12, 1, 0, 0, 0, 0, 0x0C, 0xFF}, // P3 Kuldebærerpumpe
    {3, 0, {36, 177, 324, 433}, {}, 19, 1, 0, 0, 0, 0, 0x0C, 0xFF}, // P2 Varmebærerpumpe starte/stoppe
    {4, 17, {115, 190, 418, 443}, {115, 191, 418, 443}, 19, 1, 0, 0, 0, 0, 0x0C, 0xFF}, // P2 Varmebærerpumpe
    {3, 0, {36, 178, 324, 433}, {}, 18, 1, 0, 0, 0, 0, 0x0C, 0xFF}, // P1 Radiatorpumpe starte/stoppe
    {4, 17, {116, 190, 419, 443}, {116, 191, 419, 443}, 18, 1, 0, 0, 0, 0, 0x0C, 0xFF}, // P1 Radiatorpumpe
    {3, 0, {36, 179, 325, 433}, {}, 20, 1, 0, 0, 0, 0, 0x0C, 0xFF}, // Vekselventil VXV aktivere/avslutte
    {4, 17, {117, 259, 420, 443}, {117, 260, 420, 443}, 20, 1, 0, 0, 0, 0, 0x0C, 0xFF}, // Vekselventil Vxv1
    {3, 0, {36, 180, 324, 433}, {}, 14, 1, 0, 0, 0, 0, 0x0C, 0xFF}, // Tilskudd Olje/El starte/stoppe
    {4, 17, {118, 190, 421, 443}, {118, 191, 421, 443}, 14, 1, 0, 0, 0, 0, 0x0C, 0xFF}, // Tilskudd Olje/El
    {3, 0, {36, 181, 324, 433}, {}, 13, 1, 0, 0, 0, 0, 0x0C, 0xFF}, // Kompressor starte/stoppe
    {4, 17, {119, 190, 422, 443}, {119, 191, 422, 443}, 13, 1, 0, 0, 0, 0, 0x0C, 0xFF}, // Kompressor
    {3, 0, {36, 182, 323, 433}, {}, 17, 1, 0, 0, 0, 0, 0x0C, 0xFF}, // Shuntventil SV1 åpne/steng
    {4, 17, {120, 261, 423, 443}, {120, 262, 423, 443}, 17, 1, 0, 0, 0, 0, 0x0C, 0xFF}, // Shuntventil Sv1
    {2, 0, {34, 161, 310, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFD}, // 5.4 Valg av funksjon Kún tilskudd
    {3, 1, {37, 186, 330, 434}, {37, 186, 330, 435}, 58, 0, 0, 0, 0, 0, 0x0C, 0xFD}, // Kun Tillskudd
    {2, 0, {34, 161, 410, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xF9}, // 5.5 Valg av funksjon tilskudd ja/nei
    {3, 1, {58, 185, 336, 434}, {58, 185, 336, 435}, 59, 0, 42, 1, 0, 0, 0x0C, 0xF9}, // Tilskudd Ja/Nei
    {2, 0, {34, 170, 311, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFF}, // 5.6 Hurtigomstart av av varmepumpe
    {3, 32, {104, 139, 331, 443}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFF}, // Vil du korte
    {2, 0, {34, 163, 312, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFF}, // 5.7 Valg av eksterne styringer
    {3, 21, {39, 123, 333, 434}, {39, 123, 333, 435}, 60, 0, 51, 4, 0, 0, 0x0C, 0xFF}, // Ekstern Styring
    {2, 0, {34, 164, 313, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFF}, // 5.8 Valg av språkmeny
    {3, 21, {40, 123, 267, 434}, {40, 123, 267, 435}, 61, 0, 44, 6, 0, 0, 0x0C, 0xFF}, // Språk
    {2, 0, {34, 165, 314, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0x00}, // 5.9 Instilling for slave-adressering
    {3, 21, {41, 123, 267, 434}, {41, 123, 267, 435}, 62, 0, 0, 9, 0, 0, 0x0C, 0xFF}, // Adressering Slave
    {2, 0, {34, 166, 315, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFB}, // 5.10 Valg av drifstalt. for P2
    {3, 1, {42, 187, 334, 434}, {42, 188, 335, 435}, 63, 0, 0, 0, 0, 0, 0x0C, 0xFB}, // P2 Driftsalternativ
    {2, 0, {34, 167, 316, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFF}, // 5.11 Valg av drifstalt. for P3
    {3, 1, {43, 188, 335, 434}, {43, 188, 335, 435}, 64, 0, 0, 0, 0, 0, 0x0C, 0xFF}, // P3 Driftsalternativ
    {2, 0, {34, 168, 317, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFF}, // 5.12 Visning av versjonsnummer
    {3, 30, {44, 123, 267, 440}, {}, 65, 0, 0, 0, 0, 0, 0x0C, 0xFF}, // Versjon
    {2, 0, {34, 252, 408, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFF}, // 5.13 Inkoblet ekstra folere i drift
    {3, 28, {106, 123, 267, 445}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFF}, // Ekstra Giver
    {1, 0, {1, 129, 273, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFF}, // 6 Timer avlesing status i sekunder
    {2, 0, {45, 192, 339, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xF9}, // 6.1 Avlesing av VV-Spets-timer
    {3, 25, {46, 123, 267, 440}, {}, 0, 1, 0, 0, 5, 3, 0x0C, 0xF9}, // VV-Spetstimer
    {2, 0, {45, 192, 340, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFF}, // 6.2 Avlesing av tilskudds-timer
    {3, 25, {47, 123, 267, 440}, {}, 0, 0, 0, 0, 8, 4, 0x0C, 0xFF}, // Tilskuddstimer
    {2, 0, {45, 192, 341, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFF}, // 6.3 Avlesing av Alarm-timer
    {3, 25, {48, 123, 267, 440}, {}, 1, 0, 0, 0, 8, 4, 0x0C, 0xFF}, // Alarmtimer
    {2, 0, {45, 192, 342, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFF}, // 6.4 Avlesing av startforsenkning
    {3, 25, {49, 123, 267, 440}, {}, 2, 0, 0, 0, 8, 4, 0x0C, 0xFF}, // Startforsenkning
    {2, 0, {45, 192, 343, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFA}, // 6.5 Avlesing av fors.shuntåpn.
    {3, 25, {50, 123, 267, 440}, {}, 3, 0, 0, 0, 8, 4, 0x0C, 0xFA}, // Forsinket Shuntoppn
    {2, 0, {45, 192, 344, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFA}, // 6.6 Avlesing av fors.op stopp
    {3, 25, {51, 123, 267, 440}, {}, 4, 0, 0, 0, 8, 4, 0x0C, 0xFA}, // Forsinket OP Stopp
    {1, 0, {1, 130, 274, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0E, 0xFF}, // 7 Driftstider avlesn. på VP og tilsk.
    {2, 0, {98, 193, 345, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0E, 0xFF}, // 7.1 Varmepumpe i drift antall timer?
    {3, 22, {52, 123, 267, 440}, {}, 72, 0, 0, 0, 0, 2, 0x0E, 0xFF}, // Varmepumpe Tim
    {2, 0, {98, 194, 346, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0E, 0xFB}, // 7.2 Fordeling VP VV-Rad i %
    {3, 22, {53, 123, 267, 440}, {}, 74, 0, 0, 0, 2, 7, 0x0E, 0xFB}, // VP VV-Rad %
    {2, 0, {98, 195, 347, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0E, 0xFF}, // 7.3 Tilskudd i drift antall timer?
    {3, 22, {54, 123, 267, 440}, {}, 76, 0, 0, 0, 0, 2, 0x0E, 0xFF}, // Tilskudd Tim
    {2, 0, {98, 196, 348, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0E, 0xFB}, // 7.4 Fordeling tilskudd VV-Rad i %
    {3, 22, {55, 123, 267, 440}, {}, 78, 0, 0, 0, 2, 7, 0x0E, 0xFB}, // Tilskudd VV-Rad %
    {2, 0, {98, 197, 349, 433}, {}, 0, 0, 0, 0, 0, 0, 0x00, 0xFF}, // 7.5 Beregning av graddager
    {3, 22, {56, 123, 267, 440}, {}, 80, 0, 0, 0, 0, 0, 0x0E, 0xFF}, // Graddager
    {2, 0, {98, 255, 414, 433}, {}, 0, 0, 0, 0, 0, 0, 0x08, 0xFF}, // 7.6 Total driftstid på Kavo410
    {3, 22, {111, 123, 267, 440}, {}, 70, 0, 0, 0, 6, 2, 0x08, 0xFF}, // Total Driftstid
    {2, 0, {98, 198, 350, 433}, {}, 0, 0, 0, 0, 0, 0, 0x08, 0xFF}, // 7.7 Reset av samtlige driftstider
    {3, 23, {57, 227, 338, 443}, {}, 81, 0, 0, 0, 0, 0, 0x08, 0xFF}, // Reset Driftstid
    {1, 0, {1, 131, 275, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFF}, // 8 Instillingar for Tilsk. og Shunt
    {2, 0, {76, 199, 351, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFF}, // 8.1 Instilling av tilskuddstimer
    {3, 5, {59, 123, 267, 434}, {59, 123, 267, 436}, 82, 0, 1, 300, 7, 3, 0x0C, 0x3F}, // Tilskuddstimer
    {2, 0, {76, 199, 352, 433}, {}, 0, 0, 0, 0, 0, 0, 0x08, 0xFF}, // 8.2 Instilling av blokker tilskudd
    {3, 5, {60, 123, 267, 434}, {60, 123, 267, 436}, 83, 0, -100, 201, 1, 6, 0x08, 0x3F}, // Blok.Tilskudd
    {2, 0, {76, 200, 353, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFB}, // 8.3 Instillinger for shuntet tilsk.
    {3, 0, {61, 203, 356, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFA}, // 8.3.1 Tidsforsenkning for Shunt SV1
    {4, 5, {63, 123, 267, 434}, {63, 123, 267, 435}, 85, 0, 0, 60, 7, 3, 0x0C, 0xFA}, // Tidsforsinking Sv1
    {3, 0, {61, 203, 357, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFA}, // 8.3.2 Tidsforsenkning for Stopp Kjel
    {4, 5, {64, 123, 267, 434}, {64, 123, 267, 436}, 86, 0, 10, 240, 7, 3, 0x0C, 0xFA}, // Tidsforsink. Stopp
    {3, 0, {61, 143, 288, 433}, {}, 0, 0, 0, 90, 0, 0, 0x0C, 0xFA}, // 8.3.3 Shuntkurve nullsone
    {4, 5, {121, 123, 267, 434}, {121, 123, 267, 436}, 32, 0, 0, 90, 1, 6, 0x0C, 0xFA}, // Shunt Nullsone
    {3, 0, {61, 145, 411, 433}, {}, 0, 0, 0, 0, 0, 0, 0x08, 0x13}, // 8.3.4 Instilling av gangtid åpne
    {4, 5, {107, 123, 267, 434}, {107, 123, 267, 436}, 66, 0, 0, 60, 7, 3, 0x08, 0x13}, // Ramptid Öppna
    {3, 0, {61, 145, 412, 433}, {}, 0, 0, 0, 0, 0, 0, 0x08, 0x13}, // 8.3.5 Instilling av gangtid stenge
    {4, 5, {108, 123, 267, 434}, {108, 123, 267, 435}, 67, 0, 0, 60, 7, 3, 0x08, 0x13}, // Ramptid Stäng
    {3, 0, {61, 145, 413, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFA}, // 8.3.6 Instilling av åpningstid
    {4, 5, {109, 123, 267, 434}, {109, 123, 267, 436}, 68, 0, 0, 600, 0, 4, 0x0C, 0xFA}, // Åpningstid
    {2, 0, {76, 201, 354, 433}, {}, 0, 0, 0, 0, 0, 0, 0x08, 0xFF}, // 8.4 Tilskudd kobbles ut ved GT9
    {3, 5, {66, 123, 267, 434}, {66, 123, 267, 436}, 88, 0, 300, 600, 1, 6, 0x08, 0xFF}, // Tilsk. Ut Ved Gt9
    {2, 0, {76, 256, 415, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFD}, // 8.5 Vising av inkoblet eleffekt i drift
    {3, 31, {112, 123, 267, 440}, {}, 108, 0, 0, 0, 2, 7, 0x0C, 0xFD}, // El-effekt I Drift
    {2, 0, {76, 257, 416, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0C, 0xFA}, // 8.6 Vising av shuntens åpning
    {3, 31, {113, 123, 267, 440}, {}, 100, 0, 0, 0, 3, 7, 0x0C, 0xFA}, // Shuntens Åpning
    {1, 0, {1, 132, 276, 433}, {}, 0, 0, 0, 0, 0, 0, 0x08, 0xFF}, // 9 Skyddsfunktioner for varmepumpe
    {2, 0, {67, 205, 359, 433}, {}, 0, 0, 0, 0, 0, 0, 0x08, 0xFF}, // 9.1 Blokkert VP utetemp
    {3, 5, {91, 123, 267, 434}, {91, 123, 267, 436}, 89, 0, -201, 100, 1, 6, 0x08, 0xFF}, // Blokkere Vp Utetemp
    {2, 0, {67, 206, 360, 433}, {}, 0, 0, 0, 0, 0, 0, 0x08, 0xFB}, // 9.2 Varmebærer inn hoy retur
    {3, 5, {92, 123, 267, 434}, {92, 123, 267, 436}, 90, 0, 300, 600, 1, 6, 0x08, 0xFB}, // Vb Inn Hoy Retur Gt9
    {2, 0, {67, 207, 361, 433}, {}, 0, 0, 0, 0, 0, 0, 0x08, 0xFB}, // 9.3 Varmebærer ut maks
    {3, 5, {93, 123, 267, 434}, {93, 123, 267, 436}, 91, 0, 400, 750, 1, 6, 0x08, 0xFB}, // Vb Ut Maks
    {2, 0, {67, 208, 362, 433}, {}, 0, 0, 0, 0, 0, 0, 0x08, 0xFF}, // 9.4 Kuldebærer inn min
    {3, 5, {94, 123, 267, 434}, {94, 123, 267, 436}, 92, 0, -100, 350, 1, 6, 0x08, 0xFF}, // Kuldeb. Inn Min
    {2, 0, {67, 209, 363, 433}, {}, 0, 0, 0, 0, 0, 0, 0x08, 0xFF}, // 9.5 Kuldebærer ut min
    {3, 5, {95, 123, 267, 434}, {95, 123, 267, 436}, 93, 0, -100, 350, 1, 6, 0x08, 0xFF}, // Kuldeb. Ut Min
    {2, 0, {67, 210, 364, 433}, {}, 0, 0, 0, 0, 0, 0, 0x08, 0xFF}, // 9.6 Kompressor maks
    {3, 5, {96, 123, 267, 434}, {96, 123, 267, 436}, 94, 0, 1000, 1400, 1, 6, 0x08, 0xFF}, // Kompr. Maks
    {2, 0, {67, 211, 365, 433}, {}, 0, 0, 0, 0, 0, 0, 0x08, 0xFF}, // 9.7 LP Tidsforsinkning
    {3, 5, {97, 123, 267, 434}, {97, 123, 267, 436}, 95, 0, 0, 300, 8, 4, 0x08, 0xFF}, // Lp Tidsforsinkning
    {2, 0, {67, 212, 366, 433}, {}, 0, 0, 0, 0, 0, 0, 0x08, 0xFF}, // 9.8 Alarmtimer tid
    {3, 5, {99, 123, 267, 434}, {99, 123, 267, 436}, 96, 0, 5, 120, 7, 3, 0x08, 0xFF}, // Alarmtimer Tid
    {2, 0, {67, 213, 367, 433}, {}, 0, 0, 0, 0, 0, 0, 0x08, 0xFF}, // 9.9 Omstart VP Rad
    {3, 5, {100, 123, 267, 434}, {100, 123, 267, 436}, 97, 0, 0, 30, 7, 3, 0x08, 0xFF}, // Omstart VP Rad
    {2, 0, {67, 214, 368, 433}, {}, 0, 0, 0, 0, 0, 0, 0x08, 0xFB}, // 9.10 Omstart VP VV
    {3, 5, {101, 123, 267, 434}, {101, 123, 267, 436}, 98, 0, 0, 30, 7, 3, 0x08, 0xFB}, // Omstart VP VV
    {2, 0, {67, 215, 369, 433}, {}, 0, 0, 0, 0, 0, 0, 0x08, 0xFF}, // 9.11 Reset Alarmlogg
    {3, 20, {102, 198, 381, 443}, {}, 99, 0, 0, 0, 0, 0, 0x08, 0xFF}, // Reset Alarmlogg
    {1, 0, {1, 133, 277, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0E, 0xFF}, // 10 Klokke, instilling av tid og dato
    {2, 9, {68, 123, 267, 434}, {}, 2, 0, 0, 0, 0, 0, 0x0E, 0xFF}, // Instilling Klokke
    {3, 10, {68, 123, 267, 437}, {}, 0, 0, 0, 0, 0, 0, 0x0E, 0xFF}, // Instilling Klokke
    {1, 0, {1, 134, 278, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0E, 0xFF}, // 11 Alarmloggning av samtlige alarmer
    {2, 27, {69, 253, 267, 440}, {}, 57, 90, 0, 0, 0, 0, 0x0E, 0xFF}, // Alarmlogg
    {3, 29, {0, 123, 267, 440}, {}, 18, 18, 0, 0, 0, 0, 0x0F, 0xFF}, // alarm help pages (heading text 0)
    {1, 0, {1, 135, 279, 433}, {}, 0, 0, 0, 0, 0, 0, 0x0E, 0xFF}, // 12 Gå tilbake til Fabrikkverdier
    {2, 24, {70, 216, 370, 443}, {}, 0, 0, 0, 0, 0, 0, 0x0E, 0xFF}, // Fabrikkverdier
    ListBreak,
    {1, 18, {3, 123, 267, 434}, {}, 0, 0, 0, 100, 1, 0, 0x1F, 0xFF}, // Varme oke/redusere
    {2, 19, {3, 123, 267, 441}, {3, 123, 267, 435}, 0, 0, 0, 100, 1, 0, 0x0F, 0xFF}, // Varme oke/redusere
    {1, 18, {4, 123, 267, 434}, {}, 1, 0, -80, 80, 1, 6, 0x1F, 0xFF}, // Varmek.Finjustering
    {2, 19, {4, 123, 267, 441}, {4, 123, 267, 435}, 1, 0, -80, 80, 1, 6, 0x0F, 0xFF}, // Varmek.Finjustering
    {1, 18, {7, 123, 267, 434}, {}, 3, 0, 0, 100, 1, 0, 0x0E, 0x11}, // Shunt oke/redusere
    {2, 19, {7, 123, 267, 441}, {7, 123, 267, 435}, 3, 0, 0, 100, 1, 0, 0x0E, 0x11}, // Shunt oke/redusere
    {1, 18, {8, 123, 267, 434}, {}, 4, 0, -80, 80, 1, 6, 0x0E, 0x11}, // Shuntv.Finjustering
    {2, 19, {8, 123, 267, 441}, {8, 123, 267, 435}, 4, 0, -80, 80, 1, 6, 0x0E, 0x11}, // Shuntv.Finjustering
    {1, 18, {77, 123, 267, 434}, {}, 33, 0, 100, 300, 1, 6, 0x1F, 0x27}, // Romtemperatur
    {2, 19, {77, 123, 267, 441}, {77, 123, 267, 436}, 33, 0, 100, 300, 1, 6, 0x0F, 0x27}, // Romtemperatur
    {1, 18, {78, 123, 267, 434}, {}, 41, 0, 0, 48, 6, 2, 0x1F, 0xFB}, // Ekstra Varmtvann
    {2, 19, {78, 123, 267, 441}, {78, 123, 267, 435}, 41, 0, 0, 48, 6, 2, 0x0F, 0xFB}, // Ekstra Varmtvann
    ListBreak,
    {0, 33, {67, 213, 367, 433}, {}, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF}, // alarm display (stand-alone)
};
// clang-format on

// One node of the tree after the curve runs are spread out.
struct TreeNode {
    int8_t depth;
    bool startsList; // the node opens lists of its own: no links to the nodes above it
    TreeRow row;     // texts and aux already those of the node's curve point
};

constexpr TreeNode curvePointNode(const TreeRow& row, int point, bool startsList) {
    TreeNode node{row.depth, startsList, row};
    node.row.aux = row.aux - static_cast<uint32_t>(point);
    if (row.run == RowRun::CurveReadouts) {
        // Line 2 names this point, line 3 the next one; the last point has no next.
        node.row.texts[1] = static_cast<uint16_t>(row.texts[1] + point);
        node.row.texts[2] =
            point == CurvePoints - 1 ? TextGroupLine3 : static_cast<uint16_t>(row.texts[2] + point);
    } else {
        node.row.texts[0] = static_cast<uint16_t>(row.texts[0] + point);
    }
    return node;
}

constexpr int countNodes() {
    int count = 0;
    for (const TreeRow& row : TreeRows) {
        count += row.depth < 0 ? 0 : row.run == RowRun::One ? 1 : CurvePoints;
    }
    return count;
}

constexpr std::array<TreeNode, MenuNodeCount> spreadRows() {
    std::array<TreeNode, MenuNodeCount> nodes{};
    int n = 0;
    bool startsList = false;
    for (const TreeRow* row = std::begin(TreeRows); row != std::end(TreeRows); ++row) {
        if (row->depth < 0) {
            startsList = true;
        } else if (row->run == RowRun::One) {
            nodes[n++] = TreeNode{row->depth, startsList, *row};
            startsList = false;
        } else if (row->run == RowRun::CurveReadouts) {
            const TreeRow& editors = row[1];
            for (int p = 0; p < CurvePoints; ++p) {
                nodes[n++] = curvePointNode(*row, p, startsList && p == 0);
                nodes[n++] = curvePointNode(editors, p, false);
            }
            startsList = false;
            ++row;
        }
    }
    return nodes;
}

static_assert(countNodes() == MenuNodeCount);

inline constexpr std::array<TreeNode, MenuNodeCount> Tree = spreadRows();

inline constexpr int TextGroupBase[4] = {TextGroupLine1, TextGroupLine2, TextGroupLine3,
                                         TextGroupLine4};
// Largest offset a node may hold in each text group.
inline constexpr int TextGroupLimit[4] = {122, 143, 159, 14};

constexpr bool isWellFormed() {
    int lastDepth = -1;
    for (const TreeNode& node : Tree) {
        // A list member follows its parent or a member of a list above; a new list opens at the
        // top or one level down.
        if (node.depth < 0 || node.depth > (node.startsList ? 1 : lastDepth + 1)) {
            return false;
        }
        lastDepth = node.depth;
        for (int line = 0; line < 4; ++line) {
            const int alt =
                node.row.altTexts[3] == 0 ? node.row.texts[line] : node.row.altTexts[line];
            for (int text : {static_cast<int>(node.row.texts[line]), alt}) {
                const int offset = text - TextGroupBase[line];
                if (offset < 0 || offset > TextGroupLimit[line]) {
                    return false;
                }
            }
        }
    }
    return true;
}

static_assert(isWellFormed());
static_assert(Tree[NodeRoot].row.kind == 26);
static_assert(Tree[NodeRemoteHeating].row.texts[1] == 265 &&
              Tree[NodeRemoteHeating].row.config == 0x21);
static_assert(Tree[NodeHotWaterSettingsFirst + 1].row.cell == HotWaterTemperatureSetCell &&
              Tree[NodeHotWaterSettingsFirst + 3].row.cell == HotWaterDifferenceCell);
static_assert(Tree[NodeOperatingCaseSelection].row.kind == 14 &&
              Tree[NodeOperatingCaseSelection].row.cell == ConfigurationCell);
static_assert(Tree[NodeHeaterPowerSelection].row.kind == 14 &&
              Tree[NodeHeaterPowerSelection].row.cell == ConnectedPowerCell);
static_assert(Tree[NodeManualEntry].row.texts[1] == 160 &&
              Tree[NodeManualFirst].row.cell == BrinePumpWord);
static_assert(Tree[NodeExternalControlChoice].row.kind == 21 &&
              Tree[NodeExternalControlChoice].row.cell == ExternalControlCell);
static_assert(Tree[NodeVersion].row.kind == 30);
static_assert(Tree[NodeExtraSensors].row.kind == 28);
static_assert(Tree[NodeShuntDeadZoneEditor].row.cell == ShuntNeutralZoneCell);
static_assert(Tree[NodeValveOpenRuntimeEditor].row.cell == RampOpenCell &&
              Tree[NodeValveOpenRuntimeEditor - 1].row.kind == 0);
static_assert(Tree[NodeValveCloseRuntimeEditor].row.cell == RampCloseCell &&
              Tree[NodeValveRunTimesFirst + 1].row.cell == RampOpenCell);
static_assert(Tree[NodeClockLine].row.kind == 9 && Tree[NodeClockSetting].row.kind == 10);
static_assert(Tree[NodeAlarmLogViewer].row.kind == 27 && Tree[NodeAlarmHelp].row.kind == 29);
static_assert(Tree[NodeQuickFirst].row.kind == 18 && Tree[NodeQuickFirst].startsList);
static_assert(Tree[NodeAlarmDisplay].row.kind == 33 && Tree[NodeAlarmDisplay].startsList);

// The deepest level of the tree.
inline constexpr int MaxDepth = 4;

MenuNode nodeFields(const TreeRow& row) {
    MenuNode node{};
    node.access = row.access;
    node.config = row.config;
    node.kind = row.kind;
    node.format = row.format;
    node.unit = row.unit;
    const bool sameScreen = row.altTexts[3] == 0;
    for (int line = 0; line < 4; ++line) {
        node.texts[line] = static_cast<uint8_t>(row.texts[line] - TextGroupBase[line]);
        const uint16_t alt = sameScreen ? row.texts[line] : row.altTexts[line];
        node.altTexts[line] = static_cast<uint8_t>(alt - TextGroupBase[line]);
    }
    node.cell = row.cell;
    node.aux = row.aux;
    node.min = row.min;
    node.max = row.max;
    return node;
}

// Configuration word bits that move the eight option-dependent nodes.
inline constexpr uint16_t HotWaterSwitchInstalled = 0x40;
inline constexpr uint16_t OperatingCaseB = 0x02;
// Config bits those nodes gain or lose.
inline constexpr uint8_t Gt3Installed = 0x08;
inline constexpr uint8_t NoOptionNeeded = 0x80;

} // namespace

void resetMenuTree() {
    MenuNode* lastAtDepth[MaxDepth + 1] = {};
    for (int n = 0; n < MenuNodeCount; ++n) {
        const TreeNode& entry = Tree[n];
        MenuNode& node = MenuNodes[n];
        node = nodeFields(entry.row);
        if (entry.startsList) {
            for (MenuNode*& last : lastAtDepth) {
                last = nullptr;
            }
        }
        const int depth = entry.depth;
        node.parent = depth > 0 ? lastAtDepth[depth - 1] : nullptr;
        if (node.parent != nullptr && node.parent->child == nullptr) {
            node.parent->child = &node;
        }
        node.prev = lastAtDepth[depth];
        if (node.prev != nullptr) {
            node.prev->next = &node;
        }
        lastAtDepth[depth] = &node;
        for (int deeper = depth + 1; deeper <= MaxDepth; ++deeper) {
            lastAtDepth[deeper] = nullptr;
        }
    }
    // The back key on the main display opens the quick settings, and returns from there.
    MenuNode& root = MenuNodes[NodeRoot];
    root.parent = &MenuNodes[NodeQuickFirst];
    for (MenuNode* view = root.parent; view != nullptr; view = view->next) {
        view->parent = &root;
    }
}

bool isNodeAvailable(const MenuNode* node) {
    if (node == nullptr) {
        return false;
    }
    const unsigned installed = node->config & cellUnsigned(ConfigurationCell);
    return (node->access & IoWords[AccessLevelWord]) != 0 && (installed & 0x07) != 0 &&
           ((installed & 0x78) != 0 || (node->config & NoOptionNeeded) != 0);
}

void applyInstallationMask() {
    const uint16_t configuration = cellUnsigned(ConfigurationCell);
    for (int n = NodeHotWaterSettingsFirst; n < NodeHotWaterSettingsFirst + 4; ++n) {
        if ((configuration & HotWaterSwitchInstalled) != 0) {
            MenuNodes[n].config &= static_cast<uint8_t>(~Gt3Installed);
        } else {
            MenuNodes[n].config |= Gt3Installed;
        }
    }
    for (int n = NodeValveRunTimesFirst; n < NodeValveRunTimesFirst + 4; ++n) {
        if ((configuration & OperatingCaseB) != 0) {
            MenuNodes[n].config |= NoOptionNeeded;
        } else {
            MenuNodes[n].config &= static_cast<uint8_t>(~NoOptionNeeded);
        }
    }
}

} // namespace kv410
