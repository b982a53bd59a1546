#include "qobuild/text_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "dates/day_number.h"
#include "load/read_timetable.h"

namespace qo::textsource {
namespace {

using writer::DayNumberOf;
using writer::kNoTime;

// The twelve lines every test source starts with; a fault in what a case
// appends is on line 13 or later.
constexpr char kHeader[] =
    "id 42\n"
    "kind rail\n"
    "languages C E\n"
    "name \"Zkouška\" \"Test\"\n"
    "valid 14.12.2025 12.12.2026\n"
    "holidays 24.12.2025-26.12.2025 1.1.2026\n"
    "station PHA 5457076 \"Praha hl.n.\" \"Prague main station\"\n"
    "station KOL 5455006 \"Kolín\" change=5\n"
    "traintype Os\n"
    "calendar workdays\n"
    "  run Mo-Fr\n"
    "  except holidays\n";
constexpr int kFirstFreeLine = 13;

std::string ErrorOf(std::string const& source) {
  try {
    WriteCompiledSource(ParseTimetableSource(source, "test.txt"));
  } catch (SourceError const& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(TextSource, FaultsNameTheirLine) {
  struct Case {
    char const* appended;  // starts at kFirstFreeLine
    int line;              // relative to kFirstFreeLine
    char const* message;
  };
  const Case cases[] = {
      {"train Os 1\n  PHA 8:00\n  XYZ 9:00\n", 2, "unknown station XYZ"},
      {"train Os 1\n  PHA 8:00\n  17 9:00\n", 2, "unknown station key 17"},
      {"train Os 1\n  PHA 8:50\n  KOL 8:05\n", 2,
       "time 8:05 lies before the time 8:50 above it (after midnight write 32:05)"},
      {"train Os 1\n  PHA 8:00\n", 0, "a train needs at least two stops"},
      {"train Os 1\n  PHA 8:00 -\n  KOL 9:00\n", 1, "the first stop needs a departure"},
      {"train Os 1\n  PHA 8:00\n  KOL 9:00 9:05 9:10\n", 2,
       "a stop has at most two times: arrival and departure"},
      {"train Os 1\n  PHA 8:0\n  KOL 9:00\n", 1,
       "a time is written hours:minutes (8:05, or 24:10 after midnight), not '8:0'"},
      {"train Os 1 days=sundays\n  PHA 8:00\n  KOL 9:00\n", 0, "unknown calendar sundays"},
      {"train R 1\n  PHA 8:00\n  KOL 9:00\n", 0, "unknown train type R"},
      {"train Os 1\n  every 60 until 7:00\n  PHA 8:00\n  KOL 9:00\n", 1,
       "the last departure lies before the first one"},
      {"calendar odd\n  run Mo Xy\n", 1,
       "unknown days 'Xy' (weekdays Mo..Su, a range Mo-Fr, a date, a range of dates, "
       "holidays or daily)"},
      {"calendar never\n  run 24.12.2025\n  except holidays\n", 0,
       "calendar never runs on no day of the validity"},
      {"calendar late\n  run 1.1.2027\n", 1, "date 1.1.2027 lies outside the validity"},
      {"calendar bad\n  run 30.2.2026\n", 1, "no such date: 30.2.2026"},
      {"holidays 6.4.2026\n", 0, "declare 'holidays' before the calendars that use them"},
      {"station BRN 5455006 \"Brno\"\n", 0, "station key 5455006 is given twice"},
      {"station PHA 1 \"Praha\"\n", 0, "station PHA is declared twice"},
      {"station line 1 \"Praha\"\n", 0, "'line' is a keyword of trains and cannot be a station id"},
      {"station X 1 \"Ωmega\"\n", 0,
       "station name: character U+03A9 in \"Ωmega\" has no Windows-1250 byte"},
      {"name \"a\" \"b\" \"c\"\n", 0,
       "3 texts for name, but the timetable has 2 languages (give one text, or one per language)"},
      {"name \"Praha\n", 0, "unterminated text (a text ends with \" on the same line)"},
      {"name\"Praha\"\n", 0, "put a blank between a word and a text"},
      {"station X 1 \"X\" colour=red\n", 0, "unknown option colour= for station"},
      {"walk PHA KOL\n", 0, "missing minutes"},
      {"arc PHA KOL 12,5\n", 0, "a length is written in kilometres (62.3), not '12,5'"},
      {"extension fares ../fares.qof\n", 0,
       "an extension file name is a plain file name, written beside the timetable"},
      {"extension fares .qof\n  PHA reservation=1\n", 1,
       "only 'extension keys' takes indented lines"},
      {"extension keys .qok\n  PHA reservation=1\n  5457076 tcv=2\n", 2,
       "a station has one row of keys"},
      {"extension keys .qok\n  BRN reservation=1\n", 1, "unknown station BRN"},
      {"extension keys .qok\n  PHA seat=1\n", 1, "unknown option seat= for a row of station keys"},
      // Reported at the statement that needs the later version (line 6).
      {"version 2\n", 6 - kFirstFreeLine,
       "a list of holidays needs format version 3 or later (the source gives 2)"},
      {"timetable 1\n", 0, "unknown statement 'timetable'"},
      {"languages C\n", 0, "declare 'languages' before the first text given per language"},
      // Found by the writer, still reported at the train's line.
      {"train Os 1\n  PHA 1:00\n  KOL 38:00\n", 0,
       "train 0: stop 1: too long after the previous stop: the file cannot express the days"},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.appended);
    std::string expected = "test.txt:" + std::to_string(kFirstFreeLine + c.line) + ": " + c.message;
    EXPECT_EQ(ErrorOf(kHeader + std::string(c.appended)), expected);
  }
  // Faults of no line, or of the lines before the first statement.
  EXPECT_EQ(ErrorOf("  indented\n"),
            "test.txt:1: an indented line belongs to the statement above it, but there is none");
  EXPECT_EQ(ErrorOf("id 1\nname \"A\"\nstation A 1 \"A\"\n"),
            "test.txt: the source gives no validity ('valid FIRST LAST')");
  EXPECT_EQ(ErrorOf("valid 14.12.2025 12.12.2026\nstation A 1 \"A\"\n"),
            "test.txt: the source gives no name ('name TEXT', or one text per language)");
}

// A small source with one of each: the model must say what the text says.
constexpr char kSmall[] =
    "region STC \"Středočeský kraj\"\n"
    "station KHN 5455156 \"Kutná Hora hl.n.\" region=STC type=0x0A\n"
    "  remark \"{I}kh.htm|Informace\"\n"
    "track \"230\"\n"
    "  KOL 0\n"
    "  KHN 10.6\n"
    "walk PHA KOL 7 oneway barrier-free=9\n"
    "traintype Sp \"Sp\" \"Sp\"\n"
    "  long \"Spěšný vlak\" \"Semi-fast train\"\n"
    "line L1 \"1 Praha – Kolín\"\n"
    "remark BIKE \"Kola.\" \"Bikes.\"\n"
    "calendar summer  # a comment after a word\n"
    "  run Sa Su holidays\n"
    "  only 1.7.2026-31.8.2026\n"
    "  remark \"jede v létě\" \"runs in summer\"\n"
    "list TOWNS type=1 \"Obce\" \"Towns\"\n"
    "  item key=534676 \"Kutná Hora\" KHN\n"
    "  item key=533165 KOL\n"
    "link kind=bus area=3\n"
    "  KOL 31002 3\n"
    "extension fares .qof\n"
    "note KOL \"#\" \"#1 in quotes\"\n"
    "train Sp 1941 \"Posázavan\" days=workdays line=L1\n"
    "  every 120 until 10:00 step=2\n"
    "  every 240 from 8:30 until 12:30 step=2 days=summer\n"
    "  remark BIKE\n"
    "  remark \"Jen 2. třída.\" \"Second class only.\"\n"
    "  note KOL x \"jen výstup\" \"set down only\"\n"
    "  PHA 6:00 km=0\n"
    "  KOL 6:50 6:55 out km=62.3\n"
    "  KHN 7:05 km=72.9\n"
    "train Os 1 \"Noční\"\n"
    "  PHA 23:40\n"
    "  KOL 24:30 -\n"
    "  KHN 24:45 request\n";

TEST(TextSource, SmallSourceGivesItsModel) {
  CompiledSource s = ParseTimetableSource(std::string(kHeader) + kSmall, "small.txt");
  writer::TimetableModel const& m = s.model;
  EXPECT_EQ(m.id, 42u);
  EXPECT_EQ(m.kind, 1);
  EXPECT_EQ(m.languages, "CE");
  EXPECT_EQ(m.first_day, DayNumberOf(2025, 12, 14));
  EXPECT_EQ(m.last_day, DayNumberOf(2026, 12, 12));
  EXPECT_EQ(m.data_from, m.first_day);  // defaults to the validity
  EXPECT_EQ(m.creation_date, m.first_day);
  EXPECT_EQ(m.days_off.size(), 4u);

  ASSERT_EQ(m.stations.size(), 3u);
  writer::Station const& khn = m.stations[2];
  EXPECT_EQ(m.stations[0].name, (writer::LangText{"Praha hl.n.", "Prague main station"}));
  EXPECT_EQ(m.stations[1].change_time, 5);
  EXPECT_EQ(khn.key, 5455156);
  EXPECT_EQ(khn.type, 0x0A);
  EXPECT_EQ(khn.region, 0);
  EXPECT_EQ(khn.remark, "{I}kh.htm|Informace");
  ASSERT_EQ(m.arcs.size(), 2u);  // a track gives both directions
  EXPECT_EQ(m.arcs[0].length, 10600);
  ASSERT_EQ(m.transfers.size(), 1u);
  EXPECT_EQ(m.transfers[0].barrier_free_minutes, 9);

  // Working days of the validity without the declared holidays, and the
  // weekends of July and August.
  ASSERT_EQ(m.calendars.size(), 2u);
  std::vector<uint16_t> const& workdays = m.calendars[0].days;
  EXPECT_EQ(workdays.front(), DayNumberOf(2025, 12, 15));  // the validity starts on a Sunday
  EXPECT_EQ(std::count(workdays.begin(), workdays.end(), DayNumberOf(2025, 12, 24)), 0);
  for (uint16_t d : workdays) EXPECT_NE(WeekdayOf(d) % 6, 0) << d;  // neither Sunday nor Saturday
  EXPECT_EQ(workdays.size(), 260u - 4u);       // 52 weeks minus the holidays 24.-26.12. and 1.1.
  EXPECT_EQ(m.calendars[1].days.size(), 18u);  // 9 weekends in July and August
  EXPECT_EQ(m.calendars[1].remarks.size(), 1u);

  // Two series of the Sp: 6:00, 8:00, 10:00 on working days; 8:30, 12:30
  // in summer, numbered on; then the night Os.
  ASSERT_EQ(m.trains.size(), 6u);
  std::vector<std::string> numbers;
  for (auto const& t : m.trains) numbers.push_back(t.number);
  EXPECT_EQ(numbers, (std::vector<std::string>{"1941", "1943", "1945", "1947", "1949", "1"}));
  EXPECT_EQ(m.trains[2].stops[0].departure, 600);
  EXPECT_EQ(m.trains[3].stops[0].departure, 510);
  EXPECT_EQ(m.trains[3].calendar, 1);
  EXPECT_EQ(m.trains[0].calendar, 0);
  EXPECT_EQ(m.trains[5].calendar, -1);
  writer::Train const& sp = m.trains[1];
  EXPECT_EQ(sp.second_number, "Posázavan");
  EXPECT_EQ(sp.line, 0);
  EXPECT_EQ(sp.remarks, (std::vector<writer::LangText>{{"Kola.", "Bikes."},
                                                       {"Jen 2. třída.", "Second class only."}}));
  ASSERT_EQ(sp.stops.size(), 3u);
  EXPECT_EQ(sp.stops[0].arrival, kNoTime);
  EXPECT_EQ(sp.stops[1].arrival, 530);
  EXPECT_EQ(sp.stops[1].departure, 535);
  EXPECT_EQ(sp.stops[1].flags, 0x4000);
  EXPECT_EQ(sp.stops[2].distance, 72900);
  EXPECT_EQ(sp.stops[2].departure, kNoTime);
  writer::Train const& night = m.trains[5];
  EXPECT_EQ(night.stops[1].arrival, 1470);  // 24:30
  EXPECT_EQ(night.stops[1].departure, kNoTime);
  EXPECT_EQ(night.stops[2].arrival, 1485);
  EXPECT_EQ(night.stops[2].flags, 0x5000);

  // The top-level note holds for every train; the train's note for its
  // five copies as one range.
  ASSERT_EQ(m.station_remarks.size(), 2u);
  EXPECT_EQ(m.station_remarks[0].train, -1);
  EXPECT_EQ(m.station_remarks[0].code, "#");
  EXPECT_EQ(m.station_remarks[1].train, 0);
  EXPECT_EQ(m.station_remarks[1].last_train, 4);

  ASSERT_EQ(m.virtual_lists.size(), 1u);
  EXPECT_EQ(m.virtual_lists[0].items[1].key, 533165);
  EXPECT_TRUE(m.virtual_lists[0].items[1].name.empty());
  ASSERT_EQ(m.links.size(), 1u);
  EXPECT_EQ(m.links[0].kind, 2);
  EXPECT_EQ(m.links[0].area, 3);
  EXPECT_EQ(m.links[0].entries[0].other_key, 31002);

  ASSERT_EQ(s.extensions.size(), 1u);
  EXPECT_EQ(s.extensions[0].model.owner_id, 42);
  EXPECT_EQ(m.description, "Zkouška");  // the summary defaults to the first name

  // The file it makes is one the kernel takes.
  CompiledFiles files = WriteCompiledSource(s);
  TimetableRecord record;
  ASSERT_EQ(ReadTimetableBytes(files.timetable.bytes.data(), files.timetable.bytes.size(), &record),
            0);
  EXPECT_EQ(record.StationCount, 3u);
  EXPECT_EQ(record.TrainCount, 6u);
  EXPECT_EQ(record.LanguageLetters, "CE");
  ASSERT_EQ(files.extensions.size(), 1u);
  EXPECT_EQ(files.extensions[0].first, ".qof");
}

// The station-key extension's rows: a key not given is the station's own.
TEST(TextSource, StationKeyRows) {
  CompiledSource s = ParseTimetableSource(std::string(kHeader) +
                                              "extension keys .qok\n"
                                              "  KOL reservation=54001\n"
                                              "  5457076 tcv=5457 reservation=54001\n",
                                          "keys.txt");
  ASSERT_EQ(s.extensions.size(), 1u);
  writer::ExtensionModel const& keys = s.extensions[0].model;
  EXPECT_EQ(keys.type, writer::ExtensionType::kStationKeys);
  EXPECT_EQ(keys.owner_id, 42);
  ASSERT_EQ(keys.station_key_rows.size(), 2u);
  EXPECT_EQ(keys.station_key_rows[0].station_key, 5455006);
  EXPECT_EQ(keys.station_key_rows[0].tcv_key, 5455006);
  EXPECT_EQ(keys.station_key_rows[0].reservation_key, 54001);
  EXPECT_EQ(keys.station_key_rows[1].station_key, 5457076);
  EXPECT_EQ(keys.station_key_rows[1].tcv_key, 5457);
  EXPECT_EQ(s.model.extension_names, std::vector<std::string>{".qok"});
}

// Line ends, a byte-order mark and comments do not change what a source
// means.
TEST(TextSource, LayoutDoesNotChangeTheFile) {
  std::string plain = std::string(kHeader) + kSmall;
  std::string crlf;
  for (char c : plain) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  std::string commented = "# a comment line\n\n" + plain + "   # trailing comment\n";
  std::vector<uint8_t> expected =
      WriteCompiledSource(ParseTimetableSource(plain, "a")).timetable.bytes;
  for (std::string const& variant : {crlf, "\xEF\xBB\xBF" + plain}) {
    EXPECT_EQ(WriteCompiledSource(ParseTimetableSource(variant, "a")).timetable.bytes, expected);
  }
  // Two more lines in front shift every line number by two; the file stays.
  EXPECT_EQ(WriteCompiledSource(ParseTimetableSource(commented, "a")).timetable.bytes, expected);
}

TEST(TextSource, ExtensionFilesLieBesideTheTimetable) {
  EXPECT_EQ(ExtensionPath("out/rail.qo", ".qof"), "out/rail.qof");
  EXPECT_EQ(ExtensionPath("out/rail.qo", "fares.qof"), "out/fares.qof");
  EXPECT_EQ(ExtensionPath("rail.qo", "map.gis"), "map.gis");
  EXPECT_THROW(ExtensionPath("out/rail.qo", "../x.qof"), SourceError);
}

// The samples the build compiles: each must load, and they must fit
// together as the program will use them.
TEST(TextSource, SamplesLoadAndShareTheirTowns) {
  std::map<std::string, CompiledSource> samples;
  for (char const* name : {"rail", "bus", "city"}) {
    SCOPED_TRACE(name);
    std::ifstream in(std::string(QO_DATA_DIR) + "/" + name + ".txt", std::ios::binary);
    ASSERT_TRUE(in) << "missing sample source";
    std::stringstream text;
    text << in.rdbuf();
    CompiledSource s = ParseTimetableSource(text.str(), name);
    std::vector<uint8_t> bytes = WriteCompiledSource(s).timetable.bytes;
    TimetableRecord record;
    ASSERT_EQ(ReadTimetableBytes(bytes.data(), bytes.size(), &record), 0);
    EXPECT_EQ(s.model.first_day, DayNumberOf(2025, 12, 14));
    EXPECT_EQ(s.model.last_day, DayNumberOf(2026, 12, 12));
    samples.emplace(name, std::move(s));
  }
  writer::TimetableModel const& rail = samples["rail"].model;
  writer::TimetableModel const& bus = samples["bus"].model;
  writer::TimetableModel const& city = samples["city"].model;
  EXPECT_EQ(rail.kind, 1);
  EXPECT_EQ(bus.kind, 2);
  EXPECT_EQ(city.kind, 3);
  EXPECT_GE(rail.stations.size(), 35u);

  auto townKeys = [](writer::TimetableModel const& m) {
    std::set<int32_t> keys;
    for (const auto& list : m.virtual_lists) {
      if (list.type != 1) continue;
      for (const auto& item : list.items) keys.insert(item.key);
    }
    return keys;
  };
  std::set<int32_t> railTowns = townKeys(rail), busTowns = townKeys(bus);
  int shared = 0;
  for (int32_t key : busTowns) shared += railTowns.count(key);
  EXPECT_GE(shared, 3);
  EXPECT_EQ(railTowns.count(static_cast<int32_t>(city.town_key)), 1u);

  std::set<int32_t> railKeys;
  for (auto const& st : rail.stations) railKeys.insert(st.key);
  for (writer::TimetableModel const* m : {&bus, &city}) {
    ASSERT_FALSE(m->links.empty());
    for (auto const& e : m->links[0].entries)
      EXPECT_EQ(railKeys.count(e.other_key), 1u) << e.other_key;
  }

  // What the program's windows show beyond routes: service codes, a
  // continuation and a pass-via table on rail, line validity in the city.
  EXPECT_GE(rail.service_codes.codes.size(), 3u);
  EXPECT_EQ(rail.continuations.size(), 1u);
  EXPECT_FALSE(rail.pass_via.empty());
  EXPECT_FALSE(city.line_validity.empty());

  // Rail and bus share one map, with a point for every domestic station.
  for (char const* name : {"rail", "bus"}) {
    SCOPED_TRACE(name);
    CompiledSource const& s = samples[name];
    auto map = std::find_if(s.extensions.begin(), s.extensions.end(), [](ExtensionFile const& e) {
      return e.model.type == writer::ExtensionType::kGis;
    });
    ASSERT_NE(map, s.extensions.end());
    writer::GisModel const& gis = map->model.gis;
    EXPECT_EQ(gis.map_id, 1u);
    EXPECT_FALSE(gis.layers[1].empty());
    EXPECT_FALSE(s.model.gis_town_items.empty());
    size_t domestic = 0;
    for (auto const& st : s.model.stations) domestic += (st.type & 0x02) == 0;
    EXPECT_EQ(gis.station_points.size(), domestic);
  }

  // Overnight trains, and both directions of every city line.
  EXPECT_TRUE(std::any_of(rail.trains.begin(), rail.trains.end(),
                          [](writer::Train const& t) { return t.stops.back().arrival >= 1440; }));
  std::map<int, std::set<uint16_t>> lineStarts;
  for (auto const& t : city.trains) lineStarts[t.line].insert(t.stops.front().station);
  EXPECT_EQ(lineStarts.size(), city.lines.size());
  for (auto const& [line, starts] : lineStarts) EXPECT_EQ(starts.size(), 2u) << "line " << line;
}

}  // namespace
}  // namespace qo::textsource
