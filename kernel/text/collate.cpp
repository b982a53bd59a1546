#include "text/collate.h"

#include <array>
#include <cstdint>
#include <string_view>

#include "text/cp1250.h"

namespace qo {
namespace {

// A weight holds the primary rank in its high bits and the rank inside the
// letter's class (accents, then case) in the low four.
using Weight = uint16_t;
constexpr int kSecondaryBits = 4;

// Letter classes in primary order, members in secondary order. UTF-8 here;
// the table below is built from it at compile time.
// clang-format off
constexpr std::string_view kLetterClasses[] = {
    "aáäâăąAÁÄÂĂĄ", "bB",        "cćCĆ",   "çÇ",       "čČ",     "dďđDĎĐ",
    "eéëěęEÉËĚĘ",   "fF",        "gG",     "hH",       "",  // "ch" has no byte of its own
    "iíîIÍÎ",       "jJ",        "kK",     "lĺłľLĹŁĽ", "mM",     "nńňNŃŇ",
    "oóöôőOÓÖÔŐ",   "pP",        "qQ",     "rR",       "ŕŔ",     "řŘ",
    "sśSŚ",         "šŠ",        "şŞ",     "tťţTŤŢ",   "uúůüűUÚŮÜŰ",
    "vV",           "wW",        "xX",     "yýYÝ",     "zźZŹ",   "žŽ",
    "żŻ",
};
// clang-format on
constexpr int kChClass = 10;
// Non-letters that sort after everything else, in this order.
constexpr std::string_view kLast = "×ß÷˙";

constexpr char32_t DecodeUtf8(std::string_view text, size_t& i) {
  auto lead = static_cast<uint8_t>(text[i++]);
  if (lead < 0x80) return lead;
  int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
  char32_t code = lead & (0x3F >> extra);
  while (extra-- > 0) code = (code << 6) | (static_cast<uint8_t>(text[i++]) & 0x3F);
  return code;
}

struct WeightTable {
  std::array<Weight, 256> byte{};
  Weight ch[4]{};  // "ch", "cH", "Ch", "CH"
};

constexpr WeightTable MakeWeights() {
  WeightTable table{};
  std::array<bool, 256> letter{};
  int primary = 0;
  auto set = [&](int b, int secondary) {
    table.byte[b] = static_cast<Weight>((primary << kSecondaryBits) | secondary);
  };
  // Controls, the blank and '!'..'@' in code order.
  for (int b = 1; b <= '@'; ++b, ++primary) set(b, 0);
  int classIndex = 0;
  for (std::string_view members : kLetterClasses) {
    if (classIndex++ == kChClass) {
      for (int k = 0; k < 4; ++k)
        table.ch[k] = static_cast<Weight>((primary << kSecondaryBits) | k);
    }
    int secondary = 0;
    for (size_t i = 0; i < members.size();) {
      int b = Cp1250ByteOf(DecodeUtf8(members, i));
      letter[b] = true;
      set(b, secondary++);
    }
    ++primary;
  }
  std::array<bool, 256> last{};
  for (size_t i = 0; i < kLast.size();) last[Cp1250ByteOf(DecodeUtf8(kLast, i))] = true;
  for (int b = '['; b <= 0xFF; ++b) {
    if (letter[b] || last[b]) continue;
    set(b, 0);
    ++primary;
  }
  for (size_t i = 0; i < kLast.size(); ++primary) set(Cp1250ByteOf(DecodeUtf8(kLast, i)), 0);
  return table;
}

constexpr WeightTable kWeights = MakeWeights();

static_assert(kWeights.byte['h'] < kWeights.ch[0] && kWeights.ch[3] < kWeights.byte['i']);
static_assert((kWeights.byte[0xFF] >> kSecondaryBits) < (1 << (16 - kSecondaryBits)));

inline Weight NextWeight(const unsigned char*& p, bool ch_rule) {
  unsigned char c = *p++;
  if (ch_rule && (c == 'c' || c == 'C') && (*p == 'h' || *p == 'H')) {
    int variant = (c == 'C') * 2 + (*p == 'H');
    ++p;
    return kWeights.ch[variant];
  }
  return kWeights.byte[c];
}

}  // namespace

int CompareCzech(const char* a, const char* b, bool ch_rule) {
  auto p = reinterpret_cast<const unsigned char*>(a ? a : "");
  auto q = reinterpret_cast<const unsigned char*>(b ? b : "");
  int tie = 0;
  for (;;) {
    if (!*p) return *q ? -1 : tie;
    if (!*q) return 1;
    Weight wa = NextWeight(p, ch_rule);
    Weight wb = NextWeight(q, ch_rule);
    if (wa == wb) continue;
    if ((wa >> kSecondaryBits) != (wb >> kSecondaryBits)) return wa < wb ? -1 : 1;
    if (!tie) tie = wa < wb ? -1 : 1;
  }
}

}  // namespace qo
