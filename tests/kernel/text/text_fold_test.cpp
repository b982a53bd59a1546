#include <gtest/gtest.h>

#include <iconv.h>
#include <locale.h>
#include <wctype.h>

#include <string>

#include "text/cp1250.h"
#include "text/letter_rows.h"
#include "text/text_fold.h"

namespace qo {
namespace {

std::string Upper(const char* utf8) {
  std::string text = Utf8ToCp1250(utf8);
  return Cp1250ToUtf8(MakeUpperCase(text.data()));
}

std::string Key(const char* utf8) {
  std::string text = Utf8ToCp1250(utf8);
  return Cp1250ToUtf8(MakeSearchKey(text.data()));
}

TEST(TextFold, NamesAndKeys) {
  EXPECT_EQ(Upper("Žďár nad Sázavou"), "ŽĎÁR NAD SÁZAVOU");
  EXPECT_EQ(Key("Žďár nad Sázavou"), "ZDAR NAD SAZAVOU");
  EXPECT_EQ(Upper("Straße"), "STRASE");
  EXPECT_EQ(Key("Straße"), "STRASE");
  EXPECT_EQ(Upper("łódka 1"), "ŁÓDKA 1");
  EXPECT_EQ(Key("łódka 1"), "LODKA 1");
  EXPECT_EQ(Key("§ 7"), "§ 7");
}

// Each letter of the rows against the C library's case mapping and its
// transliteration to ASCII; ß has no single capital and becomes S.
TEST(TextFold, EveryLetterAgreesWithTheCLibrary) {
  // Transliteration works only under a UTF-8 locale.
  locale_t utf8 = newlocale(LC_ALL_MASK, "C.UTF-8", nullptr);
  ASSERT_NE(utf8, nullptr);
  locale_t previous = uselocale(utf8);
  iconv_t ascii = iconv_open("ASCII//TRANSLIT", "UTF-8");
  ASSERT_NE(ascii, reinterpret_cast<iconv_t>(-1));
  for (uint8_t letter : kLetterRows[3]) {
    std::string kernel(1, static_cast<char>(letter));
    std::string utf8_letter = Cp1250ToUtf8(kernel);
    char16_t unicode = Cp1250ToUnicode(letter);
    if (unicode == u'ß') {
      EXPECT_EQ(Upper("ß"), "S");
      EXPECT_EQ(Key("ß"), "S");
      continue;
    }
    std::string upper = kernel;
    MakeUpperCase(upper.data());
    int expected = UnicodeToCp1250(static_cast<char32_t>(towupper_l(unicode, utf8)));
    EXPECT_EQ(static_cast<uint8_t>(upper[0]), expected) << utf8_letter;

    if (unicode == u'§') continue;
    char plain[8] = {};
    char* in = utf8_letter.data();
    size_t in_left = utf8_letter.size();
    char* out = plain;
    size_t out_left = sizeof plain - 1;
    iconv(ascii, &in, &in_left, &out, &out_left);
    std::string key = kernel;
    MakeSearchKey(key.data());
    EXPECT_EQ(key, std::string(1, static_cast<char>(toupper(plain[0])))) << utf8_letter;
  }
  iconv_close(ascii);
  uselocale(previous);
  freelocale(utf8);
}

}  // namespace
}  // namespace qo
