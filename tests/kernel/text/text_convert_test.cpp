#include <gtest/gtest.h>

#include <iconv.h>
#include <locale.h>

#include <cstring>
#include <string>
#include <vector>

#include "Qo.h"
#include "text/cp1250.h"
#include "text/letter_rows.h"
#include "text/text_convert.h"

namespace qo {
namespace {

// A Czech sentence in both cases, then the other letters the kernel knows
// (Slovak, German, the section sign), then those that Kamenický lacks. The
// Polish letters are kept apart: every 8-bit mode turns them into plain
// letters.
#define QO_CZECH_SLOVAK                                                                                            \
  "Příliš žluťoučký kůň úpěl ďábelské ódy. PŘÍLIŠ ŽLUŤOUČKÝ KŮŇ ÚPĚL ĎÁBELSKÉ ÓDY. " \
  "Ĺĺ Ľľ Ŕŕ Ää Öö Üü Ôô Ňň Ťť Ď §"
constexpr const char* kCzechSlovak = QO_CZECH_SLOVAK;
constexpr const char* kSentence = QO_CZECH_SLOVAK " Őő ß";
constexpr const char* kPolish = "łŁżŻąĄęĘćĆńŃ";

std::string Kernel(const char* utf8) { return Utf8ToCp1250(utf8); }

// glibc's own converter, as the independent account of a code page. Its
// transliteration works only under a UTF-8 locale.
std::string Iconv(const std::string& text, const char* to, const char* from) {
  locale_t utf8 = newlocale(LC_ALL_MASK, "C.UTF-8", nullptr);
  locale_t previous = uselocale(utf8);
  struct Restore {
    locale_t previous, utf8;
    ~Restore() {
      uselocale(previous);
      freelocale(utf8);
    }
  } restore{previous, utf8};
  iconv_t cd = iconv_open(to, from);
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << to << " from " << from;
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::string in = text;
  std::vector<char> out(in.size() * 4 + 8);
  char* in_p = in.data();
  size_t in_left = in.size();
  char* out_p = out.data();
  size_t out_left = out.size();
  size_t result = iconv(cd, &in_p, &in_left, &out_p, &out_left);
  iconv_close(cd);
  if (result == static_cast<size_t>(-1)) return "<fails>";
  return std::string(out.data(), out.size() - out_left);
}

std::string Out(int mode, std::string text) {
  ConvertTextOutMode(mode, text.data());
  return text;
}

std::string In(int mode, std::string text) {
  ConvertTextInMode(mode, text.data());
  return text;
}

// Splits a UTF-8 text into its characters.
std::vector<std::string> Characters(const std::string& utf8) {
  std::vector<std::string> out;
  for (size_t i = 0; i < utf8.size();) {
    size_t n = (utf8[i] & 0x80) == 0 ? 1 : (utf8[i] & 0xE0) == 0xC0 ? 2 : 3;
    out.push_back(utf8.substr(i, n));
    i += n;
  }
  return out;
}

TEST(TextConvert, TheSentenceHoldsEveryLetter) {
  std::string all = Kernel(kSentence) + Kernel(kPolish);
  for (uint8_t letter : kLetterRows[TextModeWin1250])
    EXPECT_NE(all.find(static_cast<char>(letter)), std::string::npos)
        << Cp1250ToUtf8(std::string(1, static_cast<char>(letter)));
}

TEST(TextConvert, Cp852AndIso88592AgreeWithIconvBothWays) {
  struct Case {
    int mode;
    const char* iconv_name;
  } cases[] = {{TextModeCp852, "CP852"}, {TextModeIso88592, "ISO-8859-2"}};
  std::string text = Kernel(kSentence);
  for (const Case& c : cases) {
    std::string expected = Iconv(kSentence, c.iconv_name, "UTF-8");
    EXPECT_EQ(Out(c.mode, text), expected) << c.iconv_name;
    EXPECT_EQ(In(c.mode, expected), text) << c.iconv_name;
    EXPECT_EQ(Out(c.mode, Kernel(kPolish)), "lLzZaAeEcCnN") << c.iconv_name;
  }
}

// glibc has no Kamenický; what is known of it: the Czech and Slovak letters
// sit at 0x80..0xAB and § at 0xAD, each at its own byte, and a text comes
// back whole.
TEST(TextConvert, KamenickyKeepsEveryCzechAndSlovakLetterApart) {
  std::string text = Kernel(kCzechSlovak);
  std::string out = Out(TextModeKamenicky, text);
  EXPECT_EQ(In(TextModeKamenicky, out), text);
  EXPECT_EQ(Out(TextModeKamenicky, Kernel("Čžář§")), "\x80\x91\xA0\xA9\xAD");
  EXPECT_EQ(Out(TextModeKamenicky, Kernel(kPolish)), "lLzZaAeEcCnN");

  std::vector<std::string> seen(256);
  for (const std::string& ch : Characters("ČüéďäĎŤčěĚĹÍľĺÄÁÉžŽôöÓůÚýÖÜŠĽÝŘťáíóúňŇŮÔšřŕŔ§")) {
    auto byte = static_cast<uint8_t>(Out(TextModeKamenicky, Kernel(ch.c_str()))[0]);
    EXPECT_TRUE((byte >= 0x80 && byte <= 0xAB) || byte == 0xAD) << ch;
    EXPECT_EQ(seen[byte], "") << ch << " shares its byte with " << seen[byte];
    seen[byte] = ch;
  }
}

// Kamenický has no ő and Ő: they borrow the bytes of ö and Ö, which read
// back as ö and Ö; ß has no place either and becomes s.
TEST(TextConvert, KamenickyDuplicatesReadBackAsTheFirstLetter) {
  std::string out = Out(TextModeKamenicky, Kernel("öőÖŐß"));
  EXPECT_EQ(out, "\x94\x94\x99\x99s");
  EXPECT_EQ(Cp1250ToUtf8(In(TextModeKamenicky, out)), "ööÖÖs");
}

TEST(TextConvert, AsciiDropsDiacriticsLikeIconv) {
  for (const std::string& ch : Characters(std::string(kSentence) + kPolish)) {
    std::string out = Out(TextModeAscii, Kernel(ch.c_str()));
    if (ch == "ß") {
      EXPECT_EQ(out, "s");
    } else if (ch == "§") {
      EXPECT_EQ(out, Kernel("§"));  // not a letter: kept
    } else {
      EXPECT_EQ(out, Iconv(ch, "ASCII//TRANSLIT", "UTF-8")) << ch;
    }
  }
  EXPECT_EQ(Out(TextModeAscii, Kernel("Čéšť")), "Cest");
  // What ASCII dropped cannot come back: input is taken as given.
  std::string given = Kernel("Čéšť");
  EXPECT_EQ(In(TextModeAscii, given), given);
  EXPECT_EQ(In(TextModeWin1252Subset, given), given);
}

// Mode 5 keeps a letter exactly when Windows-1252 has it at the same byte.
// ž and Ž are the exception: they came to Windows-1252 only later, and the
// mode keeps to the older set.
TEST(TextConvert, Win1252SubsetKeepsTheSharedLetters) {
  for (const std::string& ch : Characters(std::string(kSentence) + kPolish)) {
    if (ch == " " || ch == ".") continue;
    std::string kernel = Kernel(ch.c_str());
    std::string out = Out(TextModeWin1252Subset, kernel);
    bool in_1252 = Iconv(ch, "CP1252", "UTF-8") == kernel;
    bool older_1252 = in_1252 && ch != "ž" && ch != "Ž";
    if (older_1252) {
      EXPECT_EQ(out, kernel) << ch;
    } else {
      EXPECT_EQ(out, Out(TextModeAscii, kernel)) << ch;
    }
  }
  EXPECT_EQ(Cp1250ToUtf8(Out(TextModeWin1252Subset, Kernel("Čéšť"))), "Céšt");
}

TEST(TextConvert, IsoBytesOfAStationName) {
  EXPECT_EQ(Out(TextModeIso88592, Kernel("Čéšť")), "\xC8\xE9\xB9\xBB");
}

TEST(TextConvert, OtherBytesPassUntouched) {
  // Only letters are translated: ASCII and the signs of the code page stay.
  std::string signs = Kernel("a1 €„…†‡‰‹");
  for (int mode = 0; mode <= 5; ++mode) EXPECT_EQ(Out(mode, signs), signs) << mode;
  std::string text = Kernel(kSentence);
  EXPECT_EQ(Out(TextModeWin1250, text), text);
  EXPECT_EQ(Out(9, text), text);
  EXPECT_EQ(In(-1, text), text);
}

TEST(TextConvert, TranslateLettersWithRowsOfTheCaller) {
  std::string text = Kernel("Čau");
  TranslateLetters(text.data(), kLetterRows[TextModeWin1250].data(),
                   kLetterRows[TextModeIso88592].data());
  EXPECT_EQ(text,
            "\xC8"
            "au");
}

TEST(TextMode, ModeSixAndUnknownModesAreRefused) {
  EXPECT_EQ(QoSetDia(4), 4);
  EXPECT_EQ(GetTextMode(), TextModeAscii);
  EXPECT_EQ(QoSetDia(6), 6);
  EXPECT_EQ(QoSetDia(7), 7);
  EXPECT_EQ(QoSetDia(-1), -1);
  EXPECT_EQ(GetTextMode(), TextModeAscii);
  // Texts leaving the kernel follow the mode; texts entering it do not
  // change in ASCII mode.
  EXPECT_STREQ(QoErrorText(0, 'C'), "Zadna chyba.");
  std::string given = Kernel("Čéšť");
  ConvertTextIn(given.data());
  EXPECT_EQ(Cp1250ToUtf8(given), "Čéšť");
  QoSetDia(3);
  EXPECT_EQ(Cp1250ToUtf8(QoErrorText(0, 'C')), "Žádná chyba.");
}

TEST(TextMode, DiaExportAndImport) {
  std::string text = Kernel("Čéšť");
  EXPECT_EQ(QoDiaExport(text.data(), TextModeIso88592), text.data());
  EXPECT_EQ(text, "\xC8\xE9\xB9\xBB");
  EXPECT_EQ(QoDiaImport(text.data(), TextModeIso88592), text.data());
  EXPECT_EQ(Cp1250ToUtf8(text), "Čéšť");
  EXPECT_EQ(QoDiaExport(text.data(), TextModeUtf16), nullptr);
  EXPECT_EQ(QoDiaImport(text.data(), TextModeUtf16), nullptr);
  EXPECT_EQ(Cp1250ToUtf8(text), "Čéšť");  // untouched
  EXPECT_EQ(QoDiaExport(nullptr, 1), nullptr);
}

std::u16string Utf16Of(const char* buffer) {
  std::u16string out;
  for (size_t i = 0;; i += 2) {
    char16_t c;
    std::memcpy(&c, buffer + i, sizeof c);
    if (!c) return out;
    out.push_back(c);
  }
}

TEST(TextMode, Utf16RoundTripAndLimits) {
  char buffer[kUtf16BufferSize];
  std::strcpy(buffer, Kernel("Žďár €").c_str());
  ConvertToUtf16(buffer, sizeof buffer);
  EXPECT_EQ(Utf16Of(buffer), u"Žďár €");
  ConvertFromUtf16(buffer);
  EXPECT_EQ(Cp1250ToUtf8(buffer), "Žďár €");

  // 600 characters do not fit: 511 do, with the terminator.
  std::string longer(600, 'a');
  std::memset(buffer, 'x', sizeof buffer);
  std::memcpy(buffer, longer.c_str(), longer.size() + 1);
  ConvertToUtf16(buffer, sizeof buffer);
  EXPECT_EQ(Utf16Of(buffer).size(), 511u);

  // Characters Windows-1250 lacks come back as '?', a surrogate pair as one.
  const char16_t wide[] = u"a\u0416\U0001F600b";
  std::memcpy(buffer, wide, sizeof wide);
  ConvertFromUtf16(buffer);
  EXPECT_STREQ(buffer, "a??b");

  // Without a buffer size the text's own bytes are the room.
  std::strcpy(buffer, "abcdef");
  std::memset(buffer + 7, 'x', 8);
  ConvertTextOutMode(TextModeUtf16, buffer);
  EXPECT_EQ(Utf16Of(buffer), u"ab");
  EXPECT_EQ(buffer[7], 'x');
}

}  // namespace
}  // namespace qo
