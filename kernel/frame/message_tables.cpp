#include "frame/message_tables.h"

#include <array>
#include <string>

#include "text/cp1250.h"

namespace qo {
namespace {

struct SourceEntry {
  int entry;
  const char* utf8;
};

// Remark words (entries 0..45) and error texts (entry 47 + code). Written
// in UTF-8 here and converted once.
constexpr SourceEntry kCzech[] = {
    // Words of the running-days remarks.
    {0, "jede "},
    {1, "nejede "},
    {2, "od "},
    {3, "do "},
    {4, "v "},
    {5, " a "},
    {6, "v lichých týdnech"},
    {7, "v sudých týdnech"},
    {8, "jede denně"},
    {9, "t.č. nejede"},
    {29, "v liché dny"},
    {30, "v sudé dny"},
    {31, "%d."},
    {32, "létá "},
    {33, "nelétá "},
    {34, "létá denně"},
    {35, "t.č. nelétá"},
    // Words of the route differences on stop timetables.
    {36, "jede jen do zastávky "},
    {37, "jede až do zastávky "},
    {38, "dále do zastávky "},
    {39, "jede přes zastávku "},
    {40, "vynechá zastávku "},
    {41, "jede přes zastávky "},
    {42, "vynechá zastávky "},
    {43, "jede do zastávky "},
    {44, "dále pokračuje do zastávky "},
    {45, " jako linka "},
    {47, "Žádná chyba."},
    {48, "Datový soubor nelze otevřít."},
    {49, "Chybná hlavička datového souboru."},
    {50, "Chybný index jízdního řádu."},
    {51, "Chybný index stanice."},
    {52, "Chybný index jazyka."},
    {53, "Chybný index vlaku."},
    {54, "Chybí Z/Do."},
    {55, "Chybné parametry."},
    {56, "Chybné datum."},
    {57, "Překrytí stanic Z/(Přes)/Do."},
    {58, "Hledání bylo přerušeno."},
    {59, "Spojení nebylo nalezeno."},
    {60, "Chybí Z nebo Do."},
    {61, "Chybný index speciálního seznamu."},
    {62, "Seznam spojení je prázdný."},
    {63, "Nelze hledat následující/předchozí spojení."},
    {64, "Příliš velký posun v datumu (nutno změnit výchozí zadání)."},
    {65, "Datum mimo přípustný rozsah."},
    {66, "Parametry pro hledání mimo přípustný rozsah."},
    {67, "Index mimo rozsah."},
    {68, "Chybný speciální seznam pro globální hledání."},
    {69, "Index objektu mimo rozsah."},
    {70, "Vlastnost není jízdním řádem podpořena."},
    {71, "Jízdní řád ještě není zaveden."},
    {72, "Chybná hlavička doplňkového souboru."},
    {77, "Seznam spojení byl uvolněn v důsledku aktualizace dat na serveru."},
    {78, "Interní chyba (access violation)."},
    {79, "Chybí Z, Do nebo Přes (zastávka není bezbariérová?)."},
    {80, "Chybné ID spojení. Spojení již možná bylo vymazáno ze seznamu."},
};

constexpr SourceEntry kEnglish[] = {
    // Words of the running-days remarks.
    {0, "runs "},
    {1, "runs not "},
    {2, "from "},
    {3, "till "},
    {4, "on "},
    {5, " and "},
    {6, "in odd weeks"},
    {7, "in even weeks"},
    {8, "runs daily"},
    {9, "runs never"},
    {22, "Mo"},
    {23, "Tu"},
    {24, "We"},
    {25, "Th"},
    {26, "Fr"},
    {27, "Sa"},
    {28, "Su"},
    {29, "on odd days"},
    {30, "on even days"},
    {31, "%d "},
    {32, "flies "},
    {33, "flies not "},
    {34, "flies daily"},
    {35, "flies never"},
    // Words of the route differences on stop timetables.
    {36, "runs only to stop "},
    {37, "continues to stop "},
    {38, "continues to stop "},
    {39, "runs via stop "},
    {40, "skips stop "},
    {41, "runs via stops "},
    {42, "skips stops "},
    {43, "runs to stop "},
    {44, "continues to stop "},
    {45, " as line "},
    {47, "No error."},
    {48, "Cannot open data file."},
    {49, "Incorrect data file header."},
    {50, "Invalid timetable index."},
    {51, "Invalid station index."},
    {52, "Invalid language index."},
    {53, "Invalid train index."},
    {54, "From/To missing."},
    {55, "Invalid parameters."},
    {56, "Invalid date."},
    {57, "Overlapping stations From/(Via)/To."},
    {58, "Searching interrupted."},
    {59, "Connection not found."},
    {60, "From or To missing."},
    {61, "Invalid virtual list index."},
    {62, "Connection list is empty."},
    {63, "Cannot search next/previous connection."},
    {64, "Too big date shift (change initial setting)."},
    {65, "Date out of admissible range."},
    {66, "Searching parameters out of admissible range."},
    {67, "Index out of range."},
    {68, "Invalid virtual list for global searching."},
    {69, "Object index out of range."},
    {70, "The property not supported by the timetable."},
    {71, "The timetable still not loaded."},
    {72, "Incorrect extension file header."},
    {77, "The connection list was released due to server data reload."},
    {78, "Internal error (access violation)."},
    {79, "Missing From, To or Via (not barrier-free?)."},
    {80, "Wrong connection ID. The connection may have been deleted from the list."},
};

constexpr SourceEntry kGerman[] = {
    // Words of the running-days remarks.
    {0, "verkehrt "},
    {1, "verkehrt nicht "},
    {2, "vom "},
    {3, "bis "},
    {4, "an "},
    {5, " und "},
    {6, "in ungeraden Wochen"},
    {7, "in geraden Wochen"},
    {8, "verkehrt täglich"},
    {9, "verkehrt zurzeit nicht"},
    {22, "Mo"},
    {23, "Di"},
    {24, "Mi"},
    {25, "Do"},
    {26, "Fr"},
    {27, "Sa"},
    {28, "So"},
    {29, "an ungeraden Tagen"},
    {30, "an geraden Tagen"},
    {31, "%d."},
    {32, "fliegt "},
    {33, "fliegt nicht "},
    {34, "fliegt täglich"},
    {35, "fliegt zurzeit nicht"},
    // Words of the route differences on stop timetables.
    {36, "fährt nur bis Haltestelle "},
    {37, "fährt weiter bis Haltestelle "},
    {38, "weiter bis Haltestelle "},
    {39, "fährt über Haltestelle "},
    {40, "hält nicht in Haltestelle "},
    {41, "fährt über Haltestellen "},
    {42, "hält nicht in Haltestellen "},
    {43, "fährt nach Haltestelle "},
    {44, "fährt weiter bis Haltestelle "},
    {45, " als Linie "},
    {47, "Kein Fehler."},
    {48, "Die Datendatei kann nicht geöffnet werden."},
    {49, "Fehlerhafter Kopf der Datendatei."},
    {50, "Ungültiger Fahrplanindex."},
    {51, "Ungültiger Stationsindex."},
    {52, "Ungültiger Sprachindex."},
    {53, "Ungültiger Zugindex."},
    {54, "Von/Nach fehlt."},
    {55, "Ungültige Parameter."},
    {56, "Ungültiges Datum."},
    {57, "Überlappende Stationen Von/(Über)/Nach."},
    {58, "Die Suche wurde unterbrochen."},
    {59, "Verbindung nicht gefunden."},
    {60, "Von oder Nach fehlt."},
    {61, "Ungültiger Index der Sonderliste."},
    {62, "Die Verbindungsliste ist leer."},
    {63, "Nächste/vorherige Verbindung kann nicht gesucht werden."},
    {64, "Zu große Datumsverschiebung (Ausgangseingabe ändern)."},
    {65, "Datum außerhalb des zulässigen Bereichs."},
    {66, "Suchparameter außerhalb des zulässigen Bereichs."},
    {67, "Index außerhalb des Bereichs."},
    {68, "Ungültige Sonderliste für die globale Suche."},
    {69, "Objektindex außerhalb des Bereichs."},
    {70, "Die Eigenschaft wird vom Fahrplan nicht unterstützt."},
    {71, "Der Fahrplan ist noch nicht geladen."},
    {72, "Fehlerhafter Kopf der Zusatzdatei."},
    {77,
     "Die Verbindungsliste wurde wegen einer Aktualisierung der Daten auf dem Server freigegeben."},
    {78, "Interner Fehler (access violation)."},
    {79, "Von, Nach oder Über fehlt (Haltestelle nicht barrierefrei?)."},
    {80, "Wrong connection ID. The connection may have been deleted from the list."},
};

constexpr SourceEntry kSlovak[] = {
    // Words of the running-days remarks.
    {0, "premáva "},
    {1, "nepremáva "},
    {2, "od "},
    {3, "do "},
    {4, "v "},
    {5, " a "},
    {6, "v nepárnych týždňoch"},
    {7, "v párnych týždňoch"},
    {8, "premáva denne"},
    {9, "t.č. nepremáva"},
    {29, "v nepárne dni"},
    {30, "v párne dni"},
    {31, "%d."},
    {32, "lieta "},
    {33, "nelieta "},
    {34, "lieta denne"},
    {35, "t.č. nelieta"},
    // Words of the route differences on stop timetables.
    {36, "ide len do zastávky "},
    {37, "ide až do zastávky "},
    {38, "ďalej do zastávky "},
    {39, "ide cez zastávku "},
    {40, "vynechá zastávku "},
    {41, "ide cez zastávky "},
    {42, "vynechá zastávky "},
    {43, "ide do zastávky "},
    {44, "ďalej pokračuje do zastávky "},
    {45, " ako linka "},
    {47, "Žiadna chyba."},
    {48, "Dátový súbor nemožno otvoriť."},
    {49, "Chybná hlavička dátového súboru."},
    {50, "Chybný index cestovného poriadku."},
    {51, "Chybný index stanice."},
    {52, "Chybný index jazyka."},
    {53, "Chybný index vlaku."},
    {54, "Chýba Z/Do."},
    {55, "Chybné parametre."},
    {56, "Chybný dátum."},
    {57, "Prekrytie staníc Z/(Cez)/Do."},
    {58, "Hľadanie bolo prerušené."},
    {59, "Spojenie nebolo nájdené."},
    {60, "Chýba Z alebo Do."},
    {61, "Chybný index špeciálneho zoznamu."},
    {62, "Zoznam spojení je prázdny."},
    {63, "Nemožno hľadať nasledujúce/predchádzajúce spojenie."},
    {64, "Príliš veľký posun v dátume (treba zmeniť východiskové zadanie)."},
    {65, "Dátum mimo prípustného rozsahu."},
    {66, "Parametre na hľadanie mimo prípustného rozsahu."},
    {67, "Index mimo rozsahu."},
    {68, "Chybný špeciálny zoznam na globálne hľadanie."},
    {69, "Index objektu mimo rozsahu."},
    {70, "Vlastnosť nie je cestovným poriadkom podporovaná."},
    {71, "Cestovný poriadok ešte nie je zavedený."},
    {72, "Chybná hlavička doplnkového súboru."},
    {77, "Zoznam spojení bol uvoľnený v dôsledku aktualizácie dát na serveri."},
    {78, "Interná chyba (access violation)."},
    {79, "Chýba Z, Do alebo Cez (zastávka nie je bezbariérová?)."},
    {80, "Chybné ID spojenia. Spojenie už možno bolo vymazané zo zoznamu."},
};

constexpr SourceEntry kPolish[] = {
    // Words of the running-days remarks.
    {0, "kursuje "},
    {1, "nie kursuje "},
    {2, "od "},
    {3, "do "},
    {4, "w "},
    {5, " i "},
    {6, "w tygodnie nieparzyste"},
    {7, "w tygodnie parzyste"},
    {8, "kursuje codziennie"},
    {9, "obecnie nie kursuje"},
    {29, "w dni nieparzyste"},
    {30, "w dni parzyste"},
    {31, "%d."},
    {32, "lata "},
    {33, "nie lata "},
    {34, "lata codziennie"},
    {35, "obecnie nie lata"},
    // Words of the route differences on stop timetables.
    {36, "kursuje tylko do przystanku "},
    {37, "kursuje aż do przystanku "},
    {38, "dalej do przystanku "},
    {39, "kursuje przez przystanek "},
    {40, "pomija przystanek "},
    {41, "kursuje przez przystanki "},
    {42, "pomija przystanki "},
    {43, "kursuje do przystanku "},
    {44, "dalej kursuje do przystanku "},
    {45, " jako linia "},
    {47, "Brak błędu."},
    {48, "Nie można otworzyć pliku danych."},
    {49, "Błędny nagłówek pliku danych."},
    {50, "Błędny indeks rozkładu jazdy."},
    {51, "Błędny indeks stacji."},
    {52, "Błędny indeks języka."},
    {53, "Błędny indeks pociągu."},
    {54, "Brak Z/Do."},
    {55, "Błędne parametry."},
    {56, "Błędna data."},
    {57, "Nakładanie się stacji Z/(Przez)/Do."},
    {58, "Wyszukiwanie zostało przerwane."},
    {59, "Nie znaleziono połączenia."},
    {60, "Brak Z lub Do."},
    {61, "Błędny indeks listy specjalnej."},
    {62, "Lista połączeń jest pusta."},
    {63, "Nie można wyszukać następnego/poprzedniego połączenia."},
    {64, "Zbyt duże przesunięcie daty (zmień ustawienia początkowe)."},
    {65, "Data poza dopuszczalnym zakresem."},
    {66, "Parametry wyszukiwania poza dopuszczalnym zakresem."},
    {67, "Indeks poza zakresem."},
    {68, "Błędna lista specjalna dla wyszukiwania globalnego."},
    {69, "Indeks obiektu poza zakresem."},
    {70, "Właściwość nie jest obsługiwana przez rozkład jazdy."},
    {71, "Rozkład jazdy nie został jeszcze wczytany."},
    {72, "Błędny nagłówek pliku dodatkowego."},
    {77, "Lista połączeń została zwolniona z powodu aktualizacji danych na serwerze."},
    {78, "Błąd wewnętrzny (access violation)."},
    {79, "Brak Z, Do lub Przez (przystanek nie jest bezbarierowy?)."},
    {80, "Wrong connection ID. The connection may have been deleted from the list."},
};

using Table = std::array<std::string, kKernelTextEntries>;

// Entries that read the same in several languages: the month numerals in
// all five, the weekdays as digits in Czech, Slovak and Polish.
constexpr SourceEntry kMonthNumerals[] = {
    {10, "I."},   {11, "II."},   {12, "III."}, {13, "IV."}, {14, "V."},  {15, "VI."},
    {16, "VII."}, {17, "VIII."}, {18, "IX."},  {19, "X."},  {20, "XI."}, {21, "XII."},
};
constexpr SourceEntry kWeekdayDigits[] = {
    {22, "1"}, {23, "2"}, {24, "3"}, {25, "4"}, {26, "5"}, {27, "6"}, {28, "7"},
};

template <size_t N>
void Fill(Table& table, const SourceEntry (&source)[N]) {
  for (const SourceEntry& e : source) table[static_cast<size_t>(e.entry)] = Utf8ToCp1250(e.utf8);
}

template <size_t N>
Table Convert(const SourceEntry (&source)[N], bool weekdaysAsDigits) {
  Table table;
  Fill(table, kMonthNumerals);
  if (weekdaysAsDigits) Fill(table, kWeekdayDigits);
  Fill(table, source);
  return table;
}

const std::array<Table, kKernelLanguageCount>& Tables() {
  static const std::array<Table, kKernelLanguageCount> tables = {
      Convert(kCzech, true), Convert(kEnglish, false), Convert(kGerman, false),
      Convert(kSlovak, true), Convert(kPolish, true)};
  return tables;
}

char g_currentLetter = 0;
KernelLanguage g_currentLanguage = KernelLangCzech;

}  // namespace

KernelLanguage LanguageOfLetter(char letter) {
  switch (letter) {
    case 'E':
      return KernelLangEnglish;
    case 'G':
      return KernelLangGerman;
    case 'S':
      return KernelLangSlovak;
    case 'P':
      return KernelLangPolish;
    default:
      return KernelLangCzech;
  }
}

void SelectLanguage(char letter) {
  if (letter == g_currentLetter && letter != 0) return;
  g_currentLetter = letter;
  g_currentLanguage = LanguageOfLetter(letter);
}

char CurrentLanguageLetter() { return g_currentLetter; }
KernelLanguage CurrentLanguage() { return g_currentLanguage; }

const char* KernelText(KernelLanguage language, int entry) {
  if (entry < 0 || entry >= kKernelTextEntries) return "";
  return Tables()[static_cast<size_t>(language)][static_cast<size_t>(entry)].c_str();
}

const char* KernelText(int entry) { return KernelText(g_currentLanguage, entry); }

}  // namespace qo
