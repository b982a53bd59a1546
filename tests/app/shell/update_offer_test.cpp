#include "shell/update_offer.h"

#include <gtest/gtest.h>
#include <utime.h>

#include <ctime>
#include <filesystem>
#include <fstream>

#include "shell/about_links.h"
#include "shell/browser_pages.h"
#include "shell/program_dates.h"
#include "temp_dir.h"

namespace vemo {
namespace {

// Without a server set, there is no update and no offer unless the
// command line names the offer's address.
TEST(UpdateOffer, AddressesFromTheServerSetting) {
  EXPECT_EQ(UpdateIndexUrl(""), "");
  EXPECT_EQ(UpdateIndexUrl("aktualizace.example.org"),
            "ftp://aktualizace.example.org/ext/qoaktual/update.txt");
  EXPECT_EQ(UpdateOfferAddress("", ""), "");
  EXPECT_EQ(UpdateOfferAddress("aktualizace.example.org", ""),
            "http://aktualizace.example.org/ke-stazeni-aktualizace-vemo.asp");
  EXPECT_EQ(UpdateOfferAddress("", "http://127.0.0.1:8080/nabidka"),
            "http://127.0.0.1:8080/nabidka");
}

void Touch(std::string const& path, int day, int month, int year) {
  std::ofstream(path) << "x";
  std::tm local{};
  local.tm_mday = day;
  local.tm_mon = month - 1;
  local.tm_year = year - 1900;
  local.tm_hour = 12;
  local.tm_isdst = -1;
  utimbuf times{std::mktime(&local), std::mktime(&local)};
  utime(path.c_str(), &times);
}

TEST(UpdateOffer, QueryNamesWhatIsInstalled) {
  test::TempDir dir;
  Touch(dir / "Rail.QO", 10, 12, 2026);
  Touch(dir / "bus.qo", 1, 9, 2026);
  Touch(dir / "city.qom", 2, 9, 2026);
  Touch(dir / "notes.txt", 2, 9, 2026);
  std::filesystem::create_directory(dir / "old.qo");
  int rail_day = DmyToDayNumber(10, 12, 2026), bus_day = DmyToDayNumber(1, 9, 2026);
  std::vector<InstalledFile> timetables = InstalledFiles(dir.path(), ".qo");
  EXPECT_EQ(timetables, (std::vector<InstalledFile>{{"bus", bus_day}, {"rail", rail_day}}));
  EXPECT_TRUE(InstalledFiles(dir.path(), ".qop").empty());

  OfferFacts facts;
  facts.random = 0x1a2b;
  facts.kernel_day = 0xb4e2;
  facts.timetables = timetables;
  facts.maps = InstalledFiles(dir.path(), ".qom");
  facts.program_dir = "/opt/jízdní řády/";
  char expected[300];
  std::snprintf(expected, sizeof expected,
                "http://h/p.asp?r=1a2b&x=qo,b4e2&t=bus,%4x&t=rail,%4x&m=city,%4x"
                "&d=/opt/jízdní%%20řády",
                bus_day, rail_day, DmyToDayNumber(2, 9, 2026));
  // No fare files: no "&p="; no symbol font: no "&f=".
  EXPECT_EQ(UpdateOfferQuery("http://h/p.asp", facts), expected);
  facts.font_day = 0x9c40;
  facts.timetables.clear();
  facts.maps.clear();
  EXPECT_EQ(UpdateOfferQuery("u", facts), "u?r=1a2b&x=qo,b4e2&f=9c40&d=/opt/jízdní%20řády");

  BrowserPage offer = UpdateOfferPage("http://h/p.asp", facts);
  EXPECT_EQ(offer.title, "*Zjištění aktualizace...");
  EXPECT_EQ(offer.placement_value_id, 4117);
  EXPECT_EQ(offer.error_text,
            "Při pokusu o zobrazení nabídky aktualizací z aplikace na adrese http://h/p.asp "
            "došlo k chybě.\n\nPrověřte dostupnost internetu.");
}

// The information page beside the program, whatever its letter case; a
// message naming the path when it is missing.
TEST(BrowserPages, InformationPage) {
  test::TempDir dir;
  std::string program_dir = dir / "Jízdní řád #1/";
  std::filesystem::create_directory(program_dir);
  BrowserPage missing = InformationPage(program_dir);
  EXPECT_EQ(missing.message,
            "Soubor " + program_dir + "Informace.htm s informacemi nebyl nalezen.");
  std::ofstream(program_dir + "INFORMACE.HTM") << "<title>x</title>";
  BrowserPage page = InformationPage(program_dir);
  EXPECT_TRUE(page.message.empty());
  EXPECT_EQ(page.url,
            "file://" + dir.path() + "/J%C3%ADzdn%C3%AD%20%C5%99%C3%A1d%20%231/INFORMACE.HTM");
  EXPECT_EQ(page.title, "Informace Ek");
  EXPECT_EQ(page.error_text, "");
}

TEST(AboutLinks, MailSubjectCarriesBothVersions) {
  AboutLinks links = MakeAboutLinks(kAboutLinkData, "1.22", "1.85.01");
  EXPECT_EQ(links.mail_url.rfind("mailto:", 0), 0u);
  EXPECT_NE(links.mail_url.find("subject=Vemo%201.22,%20knihovna%201.85.01&"), std::string::npos)
      << links.mail_url;
  EXPECT_EQ(links.web_tooltip, "firemní stránky na síti internet");
  EXPECT_EQ(links.mail_tooltip, "odeslání zprávy poštou sítě internet");
  EXPECT_FALSE(links.maker_url.empty());
  EXPECT_FALSE(links.railway_url.empty());
  // Fields that are missing stay empty instead of reading past the text.
  AboutLinks short_data = MakeAboutLinks("a|b", "1", "2");
  EXPECT_EQ(short_data.railway_url, "b");
  EXPECT_EQ(short_data.mail_url, "");
}

}  // namespace
}  // namespace vemo
