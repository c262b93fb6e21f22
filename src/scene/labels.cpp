#include "scene/labels.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <unordered_map>

#include "domain/text.hpp"

namespace borvane::scene {

// ---- text width estimate ----

namespace {

constexpr double kUpperFraction = 0.66;  // A-Z
constexpr double kLowerFraction = 0.56;  // a-z and 0-9
constexpr double kOtherFraction = 0.40;  // space, punctuation, non-ASCII

double width_fraction(char32_t c) {
  if (c >= 'A' && c <= 'Z') return kUpperFraction;
  if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return kLowerFraction;
  return kOtherFraction;
}

// Width of one line (no line feeds in it).
double line_width(std::string_view line, double font) {
  double width = 0;
  for (std::size_t i = 0; i < line.size();) width += font * width_fraction(domain::next_char(line, i));
  return width;
}

// Calls `visit` with every line of the text. A carriage return before a line
// feed belongs to the break; a final line feed starts no new line; the empty
// text has no lines.
template <class Visit>
void for_each_line(std::string_view text, Visit visit) {
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (end != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    visit(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

}  // namespace

double text_width(std::string_view text, double font) {
  double widest = 0;
  for_each_line(text, [&](std::string_view line) { widest = std::max(widest, line_width(line, font)); });
  return widest;
}

double header_min_width(std::string_view name, std::string_view layer) {
  constexpr double kHeaderPadding = 48;
  std::string header;
  header.reserve(layer.size() + name.size() + 3);
  header += '[';
  header += layer;
  header += "] ";
  header += name;
  return kHeaderPadding + text_width(header, kTitleFont);
}

BoxSize leaf_size_for_text(std::string_view name, std::string_view caption, double min_width, double min_height) {
  constexpr double kSidePadding = 40;  // 20 on each side; the minimum already holds 36 of it
  constexpr double kMinLeafHeight = 72;
  double text = std::max(text_width(name, kTitleFont), text_width(caption, kCaptionFont));
  double w = std::max(std::max(text, min_width - 36) + kSidePadding, min_width);
  return {w, std::max(min_height, kMinLeafHeight)};
}

Aabb text_aabb(double x, double y, double font, std::string_view text) {
  constexpr double kLeftBearing = 2;
  constexpr double kAscent = 0.85;      // of the font size, above the baseline
  constexpr double kLineHeight = 1.2;   // of the font size
  constexpr double kHorizontalPad = 8;  // 2 before the text, 6 after it
  double widest = 0;
  std::size_t lines = 0;
  for_each_line(text, [&](std::string_view line) {
    widest = std::max(widest, line_width(line, font));
    ++lines;
  });
  double min_x = x - kLeftBearing;
  double min_y = y - kAscent * font;
  return {min_x, min_y, min_x + (widest + kHorizontalPad),
          min_y + kLineHeight * font * static_cast<double>(std::max<std::size_t>(lines, 1))};
}

// ---- upper-casing ----

namespace {

// Full upper-case mapping of the Unicode character database (version 14:
// UnicodeData plus the unconditional rules of SpecialCasing), for every
// script that has case: Latin (Basic, Latin-1, Extended-A to -E, Additional),
// IPA, Greek and Coptic with Greek Extended, Cyrillic with its supplements,
// Armenian, Georgian (Mkhedruli to Mtavruli), Cherokee, Glagolitic, Old and
// Church Slavonic letters, Deseret, Osage, Vithkuqi, Old Hungarian, Warang
// Citi, Medefaidrin, Adlam, the circled and full-width letters. Language-
// specific rules (Turkish dotted i, Lithuanian) are not applied, as in a
// locale-free upper-casing.
//
// Simple mappings come as runs: every stride-th character from `first` to
// `last` maps to itself plus `delta` (stride 2 covers the alternating
// upper/lower pairs of the Latin and Cyrillic extensions).
struct UpperRun {
  char32_t first;
  char32_t last;
  std::uint8_t stride;
  std::int32_t delta;
};

constexpr UpperRun kUpperRuns[] = {
    {0x0061, 0x007A, 1, -32}, {0x00B5, 0x00B5, 1, 743}, {0x00E0, 0x00F6, 1, -32}, {0x00F8, 0x00FE, 1, -32},
    {0x00FF, 0x00FF, 1, 121}, {0x0101, 0x012F, 2, -1}, {0x0131, 0x0131, 1, -232}, {0x0133, 0x0137, 2, -1},
    {0x013A, 0x0148, 2, -1}, {0x014B, 0x0177, 2, -1}, {0x017A, 0x017E, 2, -1}, {0x017F, 0x017F, 1, -300},
    {0x0180, 0x0180, 1, 195}, {0x0183, 0x0185, 2, -1}, {0x0188, 0x0188, 1, -1}, {0x018C, 0x018C, 1, -1},
    {0x0192, 0x0192, 1, -1}, {0x0195, 0x0195, 1, 97}, {0x0199, 0x0199, 1, -1}, {0x019A, 0x019A, 1, 163},
    {0x019E, 0x019E, 1, 130}, {0x01A1, 0x01A5, 2, -1}, {0x01A8, 0x01A8, 1, -1}, {0x01AD, 0x01AD, 1, -1},
    {0x01B0, 0x01B0, 1, -1}, {0x01B4, 0x01B6, 2, -1}, {0x01B9, 0x01B9, 1, -1}, {0x01BD, 0x01BD, 1, -1},
    {0x01BF, 0x01BF, 1, 56}, {0x01C5, 0x01C5, 1, -1}, {0x01C6, 0x01C6, 1, -2}, {0x01C8, 0x01C8, 1, -1},
    {0x01C9, 0x01C9, 1, -2}, {0x01CB, 0x01CB, 1, -1}, {0x01CC, 0x01CC, 1, -2}, {0x01CE, 0x01DC, 2, -1},
    {0x01DD, 0x01DD, 1, -79}, {0x01DF, 0x01EF, 2, -1}, {0x01F2, 0x01F2, 1, -1}, {0x01F3, 0x01F3, 1, -2},
    {0x01F5, 0x01F5, 1, -1}, {0x01F9, 0x021F, 2, -1}, {0x0223, 0x0233, 2, -1}, {0x023C, 0x023C, 1, -1},
    {0x023F, 0x0240, 1, 10815}, {0x0242, 0x0242, 1, -1}, {0x0247, 0x024F, 2, -1}, {0x0250, 0x0250, 1, 10783},
    {0x0251, 0x0251, 1, 10780}, {0x0252, 0x0252, 1, 10782}, {0x0253, 0x0253, 1, -210}, {0x0254, 0x0254, 1, -206},
    {0x0256, 0x0257, 1, -205}, {0x0259, 0x0259, 1, -202}, {0x025B, 0x025B, 1, -203}, {0x025C, 0x025C, 1, 42319},
    {0x0260, 0x0260, 1, -205}, {0x0261, 0x0261, 1, 42315}, {0x0263, 0x0263, 1, -207}, {0x0265, 0x0265, 1, 42280},
    {0x0266, 0x0266, 1, 42308}, {0x0268, 0x0268, 1, -209}, {0x0269, 0x0269, 1, -211}, {0x026A, 0x026A, 1, 42308},
    {0x026B, 0x026B, 1, 10743}, {0x026C, 0x026C, 1, 42305}, {0x026F, 0x026F, 1, -211}, {0x0271, 0x0271, 1, 10749},
    {0x0272, 0x0272, 1, -213}, {0x0275, 0x0275, 1, -214}, {0x027D, 0x027D, 1, 10727}, {0x0280, 0x0280, 1, -218},
    {0x0282, 0x0282, 1, 42307}, {0x0283, 0x0283, 1, -218}, {0x0287, 0x0287, 1, 42282}, {0x0288, 0x0288, 1, -218},
    {0x0289, 0x0289, 1, -69}, {0x028A, 0x028B, 1, -217}, {0x028C, 0x028C, 1, -71}, {0x0292, 0x0292, 1, -219},
    {0x029D, 0x029D, 1, 42261}, {0x029E, 0x029E, 1, 42258}, {0x0345, 0x0345, 1, 84}, {0x0371, 0x0373, 2, -1},
    {0x0377, 0x0377, 1, -1}, {0x037B, 0x037D, 1, 130}, {0x03AC, 0x03AC, 1, -38}, {0x03AD, 0x03AF, 1, -37},
    {0x03B1, 0x03C1, 1, -32}, {0x03C2, 0x03C2, 1, -31}, {0x03C3, 0x03CB, 1, -32}, {0x03CC, 0x03CC, 1, -64},
    {0x03CD, 0x03CE, 1, -63}, {0x03D0, 0x03D0, 1, -62}, {0x03D1, 0x03D1, 1, -57}, {0x03D5, 0x03D5, 1, -47},
    {0x03D6, 0x03D6, 1, -54}, {0x03D7, 0x03D7, 1, -8}, {0x03D9, 0x03EF, 2, -1}, {0x03F0, 0x03F0, 1, -86},
    {0x03F1, 0x03F1, 1, -80}, {0x03F2, 0x03F2, 1, 7}, {0x03F3, 0x03F3, 1, -116}, {0x03F5, 0x03F5, 1, -96},
    {0x03F8, 0x03F8, 1, -1}, {0x03FB, 0x03FB, 1, -1}, {0x0430, 0x044F, 1, -32}, {0x0450, 0x045F, 1, -80},
    {0x0461, 0x0481, 2, -1}, {0x048B, 0x04BF, 2, -1}, {0x04C2, 0x04CE, 2, -1}, {0x04CF, 0x04CF, 1, -15},
    {0x04D1, 0x052F, 2, -1}, {0x0561, 0x0586, 1, -48}, {0x10D0, 0x10FA, 1, 3008}, {0x10FD, 0x10FF, 1, 3008},
    {0x13F8, 0x13FD, 1, -8}, {0x1C80, 0x1C80, 1, -6254}, {0x1C81, 0x1C81, 1, -6253}, {0x1C82, 0x1C82, 1, -6244},
    {0x1C83, 0x1C84, 1, -6242}, {0x1C85, 0x1C85, 1, -6243}, {0x1C86, 0x1C86, 1, -6236}, {0x1C87, 0x1C87, 1, -6181},
    {0x1C88, 0x1C88, 1, 35266}, {0x1D79, 0x1D79, 1, 35332}, {0x1D7D, 0x1D7D, 1, 3814}, {0x1D8E, 0x1D8E, 1, 35384},
    {0x1E01, 0x1E95, 2, -1}, {0x1E9B, 0x1E9B, 1, -59}, {0x1EA1, 0x1EFF, 2, -1}, {0x1F00, 0x1F07, 1, 8},
    {0x1F10, 0x1F15, 1, 8}, {0x1F20, 0x1F27, 1, 8}, {0x1F30, 0x1F37, 1, 8}, {0x1F40, 0x1F45, 1, 8},
    {0x1F51, 0x1F57, 2, 8}, {0x1F60, 0x1F67, 1, 8}, {0x1F70, 0x1F71, 1, 74}, {0x1F72, 0x1F75, 1, 86},
    {0x1F76, 0x1F77, 1, 100}, {0x1F78, 0x1F79, 1, 128}, {0x1F7A, 0x1F7B, 1, 112}, {0x1F7C, 0x1F7D, 1, 126},
    {0x1FB0, 0x1FB1, 1, 8}, {0x1FBE, 0x1FBE, 1, -7205}, {0x1FD0, 0x1FD1, 1, 8}, {0x1FE0, 0x1FE1, 1, 8},
    {0x1FE5, 0x1FE5, 1, 7}, {0x214E, 0x214E, 1, -28}, {0x2170, 0x217F, 1, -16}, {0x2184, 0x2184, 1, -1},
    {0x24D0, 0x24E9, 1, -26}, {0x2C30, 0x2C5F, 1, -48}, {0x2C61, 0x2C61, 1, -1}, {0x2C65, 0x2C65, 1, -10795},
    {0x2C66, 0x2C66, 1, -10792}, {0x2C68, 0x2C6C, 2, -1}, {0x2C73, 0x2C73, 1, -1}, {0x2C76, 0x2C76, 1, -1},
    {0x2C81, 0x2CE3, 2, -1}, {0x2CEC, 0x2CEE, 2, -1}, {0x2CF3, 0x2CF3, 1, -1}, {0x2D00, 0x2D25, 1, -7264},
    {0x2D27, 0x2D27, 1, -7264}, {0x2D2D, 0x2D2D, 1, -7264}, {0xA641, 0xA66D, 2, -1}, {0xA681, 0xA69B, 2, -1},
    {0xA723, 0xA72F, 2, -1}, {0xA733, 0xA76F, 2, -1}, {0xA77A, 0xA77C, 2, -1}, {0xA77F, 0xA787, 2, -1},
    {0xA78C, 0xA78C, 1, -1}, {0xA791, 0xA793, 2, -1}, {0xA794, 0xA794, 1, 48}, {0xA797, 0xA7A9, 2, -1},
    {0xA7B5, 0xA7C3, 2, -1}, {0xA7C8, 0xA7CA, 2, -1}, {0xA7D1, 0xA7D1, 1, -1}, {0xA7D7, 0xA7D9, 2, -1},
    {0xA7F6, 0xA7F6, 1, -1}, {0xAB53, 0xAB53, 1, -928}, {0xAB70, 0xABBF, 1, -38864}, {0xFF41, 0xFF5A, 1, -32},
    {0x10428, 0x1044F, 1, -40}, {0x104D8, 0x104FB, 1, -40}, {0x10597, 0x105A1, 1, -39}, {0x105A3, 0x105B1, 1, -39},
    {0x105B3, 0x105B9, 1, -39}, {0x105BB, 0x105BC, 1, -39}, {0x10CC0, 0x10CF2, 1, -64}, {0x118C0, 0x118DF, 1, -32},
    {0x16E60, 0x16E7F, 1, -32}, {0x1E922, 0x1E943, 1, -34},
};

// Characters whose upper-case form has more than one character (German sharp
// s to "SS", ligatures, Greek letters with iota subscript, ...); unused
// trailing slots are 0.
struct UpperExpansion {
  char32_t from;
  std::array<char32_t, 3> to;
};

constexpr UpperExpansion kUpperExpansions[] = {
    {0x00DF, {0x0053, 0x0053, 0x0000}}, {0x0149, {0x02BC, 0x004E, 0x0000}}, {0x01F0, {0x004A, 0x030C, 0x0000}},
    {0x0390, {0x0399, 0x0308, 0x0301}}, {0x03B0, {0x03A5, 0x0308, 0x0301}}, {0x0587, {0x0535, 0x0552, 0x0000}},
    {0x1E96, {0x0048, 0x0331, 0x0000}}, {0x1E97, {0x0054, 0x0308, 0x0000}}, {0x1E98, {0x0057, 0x030A, 0x0000}},
    {0x1E99, {0x0059, 0x030A, 0x0000}}, {0x1E9A, {0x0041, 0x02BE, 0x0000}}, {0x1F50, {0x03A5, 0x0313, 0x0000}},
    {0x1F52, {0x03A5, 0x0313, 0x0300}}, {0x1F54, {0x03A5, 0x0313, 0x0301}}, {0x1F56, {0x03A5, 0x0313, 0x0342}},
    {0x1F80, {0x1F08, 0x0399, 0x0000}}, {0x1F81, {0x1F09, 0x0399, 0x0000}}, {0x1F82, {0x1F0A, 0x0399, 0x0000}},
    {0x1F83, {0x1F0B, 0x0399, 0x0000}}, {0x1F84, {0x1F0C, 0x0399, 0x0000}}, {0x1F85, {0x1F0D, 0x0399, 0x0000}},
    {0x1F86, {0x1F0E, 0x0399, 0x0000}}, {0x1F87, {0x1F0F, 0x0399, 0x0000}}, {0x1F88, {0x1F08, 0x0399, 0x0000}},
    {0x1F89, {0x1F09, 0x0399, 0x0000}}, {0x1F8A, {0x1F0A, 0x0399, 0x0000}}, {0x1F8B, {0x1F0B, 0x0399, 0x0000}},
    {0x1F8C, {0x1F0C, 0x0399, 0x0000}}, {0x1F8D, {0x1F0D, 0x0399, 0x0000}}, {0x1F8E, {0x1F0E, 0x0399, 0x0000}},
    {0x1F8F, {0x1F0F, 0x0399, 0x0000}}, {0x1F90, {0x1F28, 0x0399, 0x0000}}, {0x1F91, {0x1F29, 0x0399, 0x0000}},
    {0x1F92, {0x1F2A, 0x0399, 0x0000}}, {0x1F93, {0x1F2B, 0x0399, 0x0000}}, {0x1F94, {0x1F2C, 0x0399, 0x0000}},
    {0x1F95, {0x1F2D, 0x0399, 0x0000}}, {0x1F96, {0x1F2E, 0x0399, 0x0000}}, {0x1F97, {0x1F2F, 0x0399, 0x0000}},
    {0x1F98, {0x1F28, 0x0399, 0x0000}}, {0x1F99, {0x1F29, 0x0399, 0x0000}}, {0x1F9A, {0x1F2A, 0x0399, 0x0000}},
    {0x1F9B, {0x1F2B, 0x0399, 0x0000}}, {0x1F9C, {0x1F2C, 0x0399, 0x0000}}, {0x1F9D, {0x1F2D, 0x0399, 0x0000}},
    {0x1F9E, {0x1F2E, 0x0399, 0x0000}}, {0x1F9F, {0x1F2F, 0x0399, 0x0000}}, {0x1FA0, {0x1F68, 0x0399, 0x0000}},
    {0x1FA1, {0x1F69, 0x0399, 0x0000}}, {0x1FA2, {0x1F6A, 0x0399, 0x0000}}, {0x1FA3, {0x1F6B, 0x0399, 0x0000}},
    {0x1FA4, {0x1F6C, 0x0399, 0x0000}}, {0x1FA5, {0x1F6D, 0x0399, 0x0000}}, {0x1FA6, {0x1F6E, 0x0399, 0x0000}},
    {0x1FA7, {0x1F6F, 0x0399, 0x0000}}, {0x1FA8, {0x1F68, 0x0399, 0x0000}}, {0x1FA9, {0x1F69, 0x0399, 0x0000}},
    {0x1FAA, {0x1F6A, 0x0399, 0x0000}}, {0x1FAB, {0x1F6B, 0x0399, 0x0000}}, {0x1FAC, {0x1F6C, 0x0399, 0x0000}},
    {0x1FAD, {0x1F6D, 0x0399, 0x0000}}, {0x1FAE, {0x1F6E, 0x0399, 0x0000}}, {0x1FAF, {0x1F6F, 0x0399, 0x0000}},
    {0x1FB2, {0x1FBA, 0x0399, 0x0000}}, {0x1FB3, {0x0391, 0x0399, 0x0000}}, {0x1FB4, {0x0386, 0x0399, 0x0000}},
    {0x1FB6, {0x0391, 0x0342, 0x0000}}, {0x1FB7, {0x0391, 0x0342, 0x0399}}, {0x1FBC, {0x0391, 0x0399, 0x0000}},
    {0x1FC2, {0x1FCA, 0x0399, 0x0000}}, {0x1FC3, {0x0397, 0x0399, 0x0000}}, {0x1FC4, {0x0389, 0x0399, 0x0000}},
    {0x1FC6, {0x0397, 0x0342, 0x0000}}, {0x1FC7, {0x0397, 0x0342, 0x0399}}, {0x1FCC, {0x0397, 0x0399, 0x0000}},
    {0x1FD2, {0x0399, 0x0308, 0x0300}}, {0x1FD3, {0x0399, 0x0308, 0x0301}}, {0x1FD6, {0x0399, 0x0342, 0x0000}},
    {0x1FD7, {0x0399, 0x0308, 0x0342}}, {0x1FE2, {0x03A5, 0x0308, 0x0300}}, {0x1FE3, {0x03A5, 0x0308, 0x0301}},
    {0x1FE4, {0x03A1, 0x0313, 0x0000}}, {0x1FE6, {0x03A5, 0x0342, 0x0000}}, {0x1FE7, {0x03A5, 0x0308, 0x0342}},
    {0x1FF2, {0x1FFA, 0x0399, 0x0000}}, {0x1FF3, {0x03A9, 0x0399, 0x0000}}, {0x1FF4, {0x038F, 0x0399, 0x0000}},
    {0x1FF6, {0x03A9, 0x0342, 0x0000}}, {0x1FF7, {0x03A9, 0x0342, 0x0399}}, {0x1FFC, {0x03A9, 0x0399, 0x0000}},
    {0xFB00, {0x0046, 0x0046, 0x0000}}, {0xFB01, {0x0046, 0x0049, 0x0000}}, {0xFB02, {0x0046, 0x004C, 0x0000}},
    {0xFB03, {0x0046, 0x0046, 0x0049}}, {0xFB04, {0x0046, 0x0046, 0x004C}}, {0xFB05, {0x0053, 0x0054, 0x0000}},
    {0xFB06, {0x0053, 0x0054, 0x0000}}, {0xFB13, {0x0544, 0x0546, 0x0000}}, {0xFB14, {0x0544, 0x0535, 0x0000}},
    {0xFB15, {0x0544, 0x053B, 0x0000}}, {0xFB16, {0x054E, 0x0546, 0x0000}}, {0xFB17, {0x0544, 0x053D, 0x0000}},
};

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The single-character upper-case form of `c` (itself when it has none).
char32_t simple_upper(char32_t c) {
  const auto* end = std::end(kUpperRuns);
  const auto* run = std::upper_bound(std::begin(kUpperRuns), end, c,
                                     [](char32_t v, const UpperRun& r) { return v < r.first; });
  if (run == std::begin(kUpperRuns)) return c;
  --run;
  if (c > run->last || (c - run->first) % run->stride != 0) return c;
  return static_cast<char32_t>(static_cast<std::int64_t>(c) + run->delta);
}

// Appends the full upper-case form of `c` as UTF-8.
void append_upper(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return;
  }
  const auto* end = std::end(kUpperExpansions);
  const auto* found = std::lower_bound(std::begin(kUpperExpansions), end, c,
                                       [](const UpperExpansion& e, char32_t v) { return e.from < v; });
  if (found != end && found->from == c) {
    for (char32_t part : found->to)
      if (part != 0) append_utf8(out, part);
    return;
  }
  append_utf8(out, simple_upper(c));
}

}  // namespace

// ---- UML member lines ----

std::string snake_ident_to_camel(std::string_view name) {
  std::string out;
  out.reserve(name.size() + 4);
  bool first = true;
  while (!name.empty()) {
    std::size_t end = name.find('_');
    std::string_view piece = name.substr(0, end);
    name.remove_prefix(end == std::string_view::npos ? name.size() : end + 1);
    if (piece.empty()) continue;
    if (first) {
      out += piece;
      first = false;
      continue;
    }
    std::size_t next = 0;
    char32_t head = domain::next_char(piece, next);
    if (head == 0xFFFD)  // U+FFFD itself or an undecodable byte: both stay as they are
      out += piece.substr(0, next);
    else
      append_upper(out, head);
    out += piece.substr(next);
  }
  return out;
}

std::string sanitize_member_line(std::string_view line) {
  std::string_view text = domain::trim(line);
  if (text.empty()) return {};
  char visibility = text.front();
  if (visibility != '+' && visibility != '-' && visibility != '#' && visibility != '~') return {};
  std::string_view rest = domain::trim(text.substr(1));
  std::string out(1, visibility);
  if (std::size_t paren = rest.find('('); paren != std::string_view::npos) {
    // A method: the signature from "(" on stays as written.
    out += snake_ident_to_camel(domain::trim(rest.substr(0, paren)));
    out += rest.substr(paren);
  } else if (std::size_t colon = rest.find(':'); colon != std::string_view::npos) {
    // A field: "name: type" with normalised spacing.
    out += snake_ident_to_camel(domain::trim(rest.substr(0, colon)));
    std::string_view type = domain::trim(rest.substr(colon + 1));
    if (!type.empty()) {
      out += ": ";
      out += type;
    }
  } else {
    out += snake_ident_to_camel(rest);
  }
  return out;
}

// ---- class boxes ----

BoxSize class_box_size(std::string_view name, const std::optional<std::string>& stereotype,
                       std::span<const std::string> member_lines) {
  constexpr double kMinTextWidth = 140;
  constexpr double kSidePadding = 40;
  constexpr double kHeaderWithStereotype = 54;
  constexpr double kHeaderPlain = 46;
  constexpr double kMemberLineHeight = 16;
  constexpr double kBottomPadding = 18;
  constexpr double kMinHeight = 88;

  double text = std::max(text_width(name, kTitleFont), kMinTextWidth);
  if (stereotype) text = std::max(text, text_width("\u00AB" + *stereotype + "\u00BB", kCaptionFont));
  for (const std::string& line : member_lines) text = std::max(text, text_width(line, kCaptionFont));

  double header = stereotype ? kHeaderWithStereotype : kHeaderPlain;
  auto lines = static_cast<double>(std::max<std::size_t>(member_lines.size(), 1));
  return {text + kSidePadding, std::max(header + lines * kMemberLineHeight + kBottomPadding, kMinHeight)};
}

std::vector<std::string> class_members_for(const domain::Element& element) {
  std::vector<std::string> lines;
  for (const std::string& raw : domain::element_uml_members(element)) {
    std::string line = sanitize_member_line(raw);
    if (!line.empty()) lines.push_back(std::move(line));
  }
  return lines;
}

// ---- edge-label placement ----

namespace {

constexpr double kNodeMargin = 4;         // around a card
constexpr double kFrameBand = 2;          // outside a group frame's border
constexpr double kFrameHeaderBand = 42;   // header band below a frame's top
constexpr double kFrameFooterBand = 18;   // band above a frame's bottom
constexpr double kFrameSideBand = 18;     // band inside a frame's sides
constexpr double kPortHalfSide = 8;       // ports block a 16x16 square
constexpr double kLabelMargin = 6;        // kept around every label box
constexpr double kReachBeyondHalfWidth = 72;
constexpr double kHorizontalTolerance = 1;  // |dy| below this: a horizontal segment
constexpr double kHorizontalWeight = 3;     // labels prefer horizontal segments

bool strictly_overlaps(const Aabb& a, const Aabb& b) {
  return a.min_x < b.max_x && b.min_x < a.max_x && a.min_y < b.max_y && b.min_y < a.max_y;
}

// A box a label must not cover, with the node it belongs to (a card, a frame
// band or a port of that node), or none for a placed label. An edge ignores
// the obstacles of its own two nodes.
struct Obstacle {
  Aabb box;
  const std::string* owner;
};

// Uniform grid over the obstacles, so that a candidate is tested only against
// boxes near it. Unlike the routers' index it grows while labels are placed.
// Boxes that would cover too many cells (or have non-finite corners) are kept
// aside and tested on every query.
class ObstacleGrid {
 public:
  void insert(const Aabb& box, const std::string* owner) {
    auto index = static_cast<std::uint32_t>(items_.size());
    items_.push_back({box, owner});
    CellRange range = cells_of(box);
    if (!range.valid) {
      wide_.push_back(index);
      return;
    }
    for (std::int64_t cy = range.y0; cy <= range.y1; ++cy)
      for (std::int64_t cx = range.x0; cx <= range.x1; ++cx) cells_[key(cx, cy)].push_back(index);
  }

  // Whether `box` strictly overlaps an obstacle that belongs to neither of
  // the nodes `from` and `to`.
  bool blocks(const Aabb& box, std::string_view from, std::string_view to) const {
    auto hits = [&](std::uint32_t index) {
      const Obstacle& o = items_[index];
      if (o.owner && (*o.owner == from || *o.owner == to)) return false;
      return strictly_overlaps(box, o.box);
    };
    if (std::any_of(wide_.begin(), wide_.end(), hits)) return true;
    CellRange range = cells_of(box);
    if (!range.valid) {
      for (std::uint32_t i = 0; i < items_.size(); ++i)
        if (hits(i)) return true;
      return false;
    }
    for (std::int64_t cy = range.y0; cy <= range.y1; ++cy)
      for (std::int64_t cx = range.x0; cx <= range.x1; ++cx) {
        auto cell = cells_.find(key(cx, cy));
        if (cell != cells_.end() && std::any_of(cell->second.begin(), cell->second.end(), hits)) return true;
      }
    return false;
  }

 private:
  static constexpr double kCell = 64;
  static constexpr std::int64_t kMaxCells = 1024;

  struct CellRange {
    bool valid = false;
    std::int64_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  };

  static CellRange cells_of(const Aabb& box) {
    constexpr double kLimit = 1e12;  // keeps the cell numbers well inside 64 bits
    for (double v : {box.min_x, box.min_y, box.max_x, box.max_y})
      if (!(std::abs(v) < kLimit)) return {};
    CellRange r{true, cell(box.min_x), cell(box.min_y), cell(box.max_x), cell(box.max_y)};
    if (r.x1 < r.x0 || r.y1 < r.y0 || (r.x1 - r.x0 + 1) * (r.y1 - r.y0 + 1) > kMaxCells) return {};
    return r;
  }
  static std::int64_t cell(double v) { return static_cast<std::int64_t>(std::floor(v / kCell)); }
  static std::uint64_t key(std::int64_t cx, std::int64_t cy) {
    return (static_cast<std::uint64_t>(cx) << 32) ^ static_cast<std::uint64_t>(cy & 0xFFFFFFFF);
  }

  std::vector<Obstacle> items_;
  std::vector<std::uint32_t> wide_;
  std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> cells_;
};

void add_node_obstacles(ObstacleGrid& grid, const SceneNode& n) {
  if (!n.group) {
    grid.insert(Aabb::from_rect(n.x, n.y, n.w, n.h).expanded(kNodeMargin), &n.id);
    return;
  }
  // A frame blocks only its border bands (with the header at the top); its
  // inside is free for the labels of the edges between its children.
  double left = n.x - kFrameBand, right = n.x + n.w + kFrameBand;
  grid.insert({left, n.y - kFrameBand, right, n.y + kFrameHeaderBand}, &n.id);
  grid.insert({left, n.y + n.h - kFrameFooterBand, right, n.y + n.h + kFrameBand}, &n.id);
  grid.insert({left, n.y, n.x + kFrameSideBand, n.y + n.h}, &n.id);
  grid.insert({n.x + n.w - kFrameSideBand, n.y, right, n.y + n.h}, &n.id);
}

ObstacleGrid static_obstacles(std::span<const SceneNode> nodes, std::span<const ScenePort> ports) {
  ObstacleGrid grid;
  for (const SceneNode& n : nodes) add_node_obstacles(grid, n);
  for (const ScenePort& p : ports)
    grid.insert({p.x - kPortHalfSide, p.y - kPortHalfSide, p.x + kPortHalfSide, p.y + kPortHalfSide}, &p.node_id);
  return grid;
}

// The segment a label sits next to: the longest, horizontal ones counting
// three times; the first of equals.
struct AnchorSegment {
  double x1, y1, x2, y2;
  bool horizontal;
  double length;  // |dx| + |dy|
  double mx, my;  // midpoint
};

AnchorSegment anchor_segment(const std::vector<std::pair<double, double>>& points) {
  AnchorSegment best{};
  double best_weight = 0;
  for (std::size_t i = 0; i + 1 < points.size(); ++i) {
    auto [x1, y1] = points[i];
    auto [x2, y2] = points[i + 1];
    double length = std::abs(x2 - x1) + std::abs(y2 - y1);
    bool horizontal = std::abs(y2 - y1) < kHorizontalTolerance;
    double weight = horizontal ? kHorizontalWeight * length : length;
    if (i > 0 && !(weight > best_weight)) continue;
    best = {x1, y1, x2, y2, horizontal, length, (x1 + x2) / 2, (y1 + y2) / 2};
    best_weight = weight;
  }
  return best;
}

// A label anchor to try. Higher scores are tried first: the spot centred on
// the anchor segment, then spots along it (above before below, or left before
// right), then the rings around the midpoint. The segment's length is part of
// every segment score, so on a very short segment the farthest rows rank
// below the rings.
struct Candidate {
  double x, y, score;
};

// At most 21 segment candidates and 18 ring candidates.
using Candidates = std::vector<Candidate>;

constexpr std::array<double, 5> kFractions{0.5, 0.4, 0.6, 0.35, 0.65};

void horizontal_candidates(const AnchorSegment& s, double w, Candidates& out) {
  double l = s.length;
  out.push_back({s.mx - w / 2, s.my - 14, l + 1000});
  for (double f : kFractions) {
    double cx = s.x1 + (s.x2 - s.x1) * f - w / 2;
    out.push_back({cx, s.my - 14, l + 100});
    out.push_back({cx, s.my - 22, l + 80});
    out.push_back({cx, s.my + 16, l + 40});
    out.push_back({cx, s.my + 26, l + 20});
  }
}

void vertical_candidates(const AnchorSegment& s, double w, Candidates& out) {
  double l = s.length;
  out.push_back({s.mx - w - 8, s.my, l + 1000});
  for (double f : kFractions) {
    double cy = s.y1 + (s.y2 - s.y1) * f;
    out.push_back({s.mx - 10 - w, cy, l + 90});
    out.push_back({s.mx + 10, cy, l + 70});
  }
}

// Rings of growing distance around the spot above the midpoint.
void ring_candidates(const AnchorSegment& s, double w, Candidates& out) {
  double bx = s.mx - w / 2, by = s.my - 16;
  constexpr std::array<std::pair<double, double>, 3> kRings{{{12, 29}, {24, 28}, {36, 27}}};
  for (auto [d, score] : kRings) {
    const std::array<std::pair<double, double>, 6> offsets{{{0, -d}, {d, -d}, {-d, -d}, {d, 0}, {-d, 0}, {0, d}}};
    for (auto [dx, dy] : offsets) out.push_back({bx + dx, by + dy, score});
  }
}

void collect_candidates(const AnchorSegment& s, double w, Candidates& out) {
  out.clear();
  if (s.horizontal)
    horizontal_candidates(s, w, out);
  else
    vertical_candidates(s, w, out);
  ring_candidates(s, w, out);
  std::stable_sort(out.begin(), out.end(), [](const Candidate& a, const Candidate& b) { return a.score > b.score; });
}

Aabb label_box(double x, double y, std::string_view label) {
  return text_aabb(x, y, kEdgeLabelFont, label).expanded(kLabelMargin);
}

// The edges in placement order: longest label first, then by id.
std::vector<std::size_t> placement_order(std::span<const SceneEdge> edges) {
  std::vector<std::size_t> order(edges.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const SceneEdge& ea = edges[a];
    const SceneEdge& eb = edges[b];
    if (ea.label.size() != eb.label.size()) return ea.label.size() > eb.label.size();
    return ea.id < eb.id;
  });
  return order;
}

void place_label(SceneEdge& edge, ObstacleGrid& grid, Candidates& candidates) {
  AnchorSegment s = anchor_segment(edge.points);
  double w = text_width(edge.label, kEdgeLabelFont);
  collect_candidates(s, w, candidates);
  double reach = w / 2 + kReachBeyondHalfWidth;
  for (const Candidate& c : candidates) {
    double dx = c.x + w / 2 - s.mx, dy = c.y - s.my;
    if (std::sqrt(dx * dx + dy * dy) > reach) continue;
    Aabb box = label_box(c.x, c.y, edge.label);
    if (grid.blocks(box, edge.from, edge.to)) continue;
    edge.label_x = c.x;
    edge.label_y = c.y;
    grid.insert(box, nullptr);
    return;
  }
  // Nowhere free: the label still gets the spot at the midpoint, and later
  // labels keep clear of it.
  edge.label_x = s.mx - w / 2;
  edge.label_y = s.horizontal ? s.my - 16 : s.my;
  grid.insert(label_box(edge.label_x, edge.label_y, edge.label), nullptr);
}

}  // namespace

void place_edge_labels(std::span<SceneEdge> edges, std::span<const SceneNode> nodes,
                       std::span<const ScenePort> ports) {
  ObstacleGrid grid = static_obstacles(nodes, ports);
  Candidates candidates;
  candidates.reserve(40);
  for (std::size_t index : placement_order(edges)) {
    SceneEdge& edge = edges[index];
    if (edge.points.size() < 2 || domain::is_blank(edge.label)) continue;
    place_label(edge, grid, candidates);
  }
}

}  // namespace borvane::scene
