#include "qobuild/text_source.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <type_traits>

#include "dates/day_number.h"
#include "format/fare_layout.h"
#include "format/stored_bits.h"
#include "qobuild/source_lexer.h"
#include "writer/model_text.h"

namespace qo::textsource {

namespace {

using writer::LangText;

constexpr int kMinutesPerDay = 1440;

// Words that open a property line inside a train; a station id may not be
// one of them, or a stop line could not be told from a property.
const std::set<std::string> kTrainWords = {
    "days",     "line",     "owner",         "remark",  "note",      "every",  "attributes",
    "validity", "services", "region-number", "through", "line-ends", "pattern"};

bool IsDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

std::string TimeText(int minutes) {
  std::string mm = std::to_string(minutes % 60);
  return std::to_string(minutes / 60) + ":" + (mm.size() < 2 ? "0" : "") + mm;
}

// The first n characters of a UTF-8 text.
std::string CutCharacters(std::string const& s, size_t n) {
  size_t i = 0;
  for (size_t count = 0; i < s.size() && count < n; ++count) {
    ++i;
    while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
  }
  return s.substr(0, i);
}

class Compiler;

// The tokens of one line after its keyword: positional words and texts in
// order, options (key=value) by key. Finish() refuses what was not used.
class Args {
 public:
  Args(Compiler& c, Line const& line, std::string what, size_t first = 1);

  bool More() const { return next_ < positional_.size(); }
  bool NextIsText() const { return More() && positional_[next_].kind == Token::Kind::kText; }
  Token const& Next(std::string const& role);
  std::string Word(std::string const& role);
  // Every text from here on, converted once to check it; none gives an
  // empty LangText unless required.
  LangText Texts(std::string const& role, bool required);
  std::optional<std::string> Option(std::string const& key);
  void Finish();
  int line() const { return line_.number; }

 private:
  Compiler& c_;
  Line const& line_;
  std::string what_;
  std::vector<Token> positional_;
  std::map<std::string, std::string> options_;
  size_t next_ = 0;
};

class Compiler {
 public:
  Compiler(std::string file) { out_.file_name = std::move(file); }

  CompiledSource Run(std::string_view text) {
    for (Statement const& s : SplitStatements(text, out_.file_name)) Dispatch(s);
    Finish();
    return std::move(out_);
  }

  [[noreturn]] void Fail(int line, std::string const& why) const {
    throw SourceError(out_.file_name + ":" + std::to_string(line) + ": " + why);
  }

  // A text checked against Windows-1250 here, so that its fault has a line.
  void CheckText(int line, std::string const& text, std::string const& role) const {
    try {
      writer::ToCp1250(text, role);
    } catch (writer::ModelError const& e) {
      Fail(line, e.what());
    }
  }

  size_t LanguageCount() const { return model().languages.size(); }
  void SawTexts(size_t count) { multiTexts_ = multiTexts_ || count > 1; }

  int64_t Integer(int line, std::string const& s, std::string const& role, int64_t lo,
                  int64_t hi) const {
    bool negative = !s.empty() && s[0] == '-';
    std::string digits = negative ? s.substr(1) : s;
    int64_t value = 0;
    bool hex = digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
    std::string body = hex ? digits.substr(2) : digits;
    bool ok =
        !body.empty() && body.size() <= 12 && std::all_of(body.begin(), body.end(), [&](char c) {
          return (c >= '0' && c <= '9') ||
                 (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
        });
    if (ok) value = std::strtoll(body.c_str(), nullptr, hex ? 16 : 10);
    if (!ok) Fail(line, role + " must be a whole number, not '" + s + "'");
    if (negative) value = -value;
    if (value < lo || value > hi) {
      Fail(line,
           role + " " + s + " lies outside " + std::to_string(lo) + ".." + std::to_string(hi));
    }
    return value;
  }

  // "14.12.2025"
  uint16_t Date(int line, std::string const& s) const {
    int d = 0, m = 0, y = 0;
    size_t p1 = s.find('.'), p2 = p1 == std::string::npos ? p1 : s.find('.', p1 + 1);
    bool shape = p2 != std::string::npos && IsDigits(s.substr(0, p1)) &&
                 IsDigits(s.substr(p1 + 1, p2 - p1 - 1)) && IsDigits(s.substr(p2 + 1)) &&
                 s.size() - p2 - 1 == 4 && p1 <= 2 && p2 - p1 - 1 <= 2;
    if (shape) {
      d = std::atoi(s.substr(0, p1).c_str());
      m = std::atoi(s.substr(p1 + 1, p2 - p1 - 1).c_str());
      y = std::atoi(s.substr(p2 + 1).c_str());
    }
    if (!shape) Fail(line, "a date is written day.month.year (14.12.2025), not '" + s + "'");
    uint16_t day =
        y >= kFirstYear && y <= kLastYear && IsValidDate(y, m, d) ? DmyToDay(y, m, d) : 0;
    if (day == 0) Fail(line, "no such date: " + s);
    return day;
  }

  uint16_t DateInValidity(int line, std::string const& s) const {
    uint16_t day = Date(line, s);
    NeedValidity(line);
    if (day < model().first_day || day > model().last_day) {
      Fail(line, "date " + s + " lies outside the validity");
    }
    return day;
  }

  void NeedValidity(int line) const {
    if (!validSet_) Fail(line, "dates need the validity: put 'valid' before this line");
  }

  // "8:05", "24:10" (the next day); hours run on past midnight.
  int Time(int line, std::string const& s) const {
    size_t colon = s.find(':');
    if (colon == std::string::npos || colon == 0 || colon > 3 || !IsDigits(s.substr(0, colon)) ||
        s.size() - colon - 1 != 2 || !IsDigits(s.substr(colon + 1))) {
      Fail(line,
           "a time is written hours:minutes (8:05, or 24:10 after midnight), not '" + s + "'");
    }
    int h = std::atoi(s.substr(0, colon).c_str()), m = std::atoi(s.substr(colon + 1).c_str());
    if (m > 59) Fail(line, "no such time: " + s);
    return h * 60 + m;
  }

  // Kilometres with up to three decimals, as metres.
  int32_t Kilometres(int line, std::string const& s) const {
    size_t dot = s.find('.');
    std::string whole = s.substr(0, dot);
    std::string frac = dot == std::string::npos ? "" : s.substr(dot + 1);
    if (!IsDigits(whole) || whole.size() > 6 || frac.size() > 3 ||
        (dot != std::string::npos && !IsDigits(frac))) {
      Fail(line, "a length is written in kilometres (62.3), not '" + s + "'");
    }
    while (frac.size() < 3) frac.push_back('0');
    return std::atoi(whole.c_str()) * 1000 + std::atoi(frac.c_str());
  }

  uint16_t Station(int line, Token const& t) const {
    if (t.kind != Token::Kind::kWord)
      Fail(line, "a station is named by its id or key, not by a text");
    if (IsDigits(t.value)) {
      auto it = stationKeys_.find(std::atoll(t.value.c_str()));
      if (it == stationKeys_.end()) Fail(line, "unknown station key " + t.value);
      return it->second;
    }
    auto it = stationIds_.find(t.value);
    if (it == stationIds_.end()) Fail(line, "unknown station " + t.value);
    return it->second;
  }

  int Named(int line, std::map<std::string, int> const& table, std::string const& name,
            std::string const& what) const {
    auto it = table.find(name);
    if (it == table.end()) Fail(line, "unknown " + what + " " + name);
    return it->second;
  }

 private:
  writer::TimetableModel& model() { return out_.model; }
  writer::TimetableModel const& model() const { return out_.model; }

  void NoBody(Statement const& s) {
    if (!s.body.empty()) {
      Fail(s.body.front().number, "'" + s.head.tokens[0].value + "' takes no indented lines");
    }
  }

  void Declare(int line, std::map<std::string, int>& table, std::string const& name, int index,
               std::string const& what) {
    if (!table.emplace(name, index).second) Fail(line, what + " " + name + " is declared twice");
  }

  void Dispatch(Statement const& s) {
    Token const& key = s.head.tokens[0];
    int line = s.head.number;
    if (key.kind != Token::Kind::kWord)
      Fail(line,
           "a statement starts with a keyword such as station or train, not '" + key.value + "'");
    std::string const& k = key.value;
    if (k == "station") return StationStatement(s);
    if (k == "train") return TrainStatement(s);
    if (k == "calendar") return CalendarStatement(s);
    if (k == "list") return ListStatement(s);
    if (k == "track") return TrackStatement(s);
    if (k == "link") return LinkStatement(s);
    if (k == "traintype") return TrainTypeStatement(s);
    if (k == "physicaltype") return PhysicalTypeStatement(s);
    if (k == "service") return ServiceStatement(s);
    if (k == "day-types") return DayTypesStatement(s);
    if (k == "map") return MapStatement(s);
    if (k == "qmap") return QMapStatement(s);
    if (k == "pattern") return PatternStatement(s);
    if (k == "extension") return ExtensionStatement(s);
    if (k == "table") return FareTableStatement(s);
    if (k == "rule") return FareRuleStatement(s);
    NoBody(s);
    Args a(*this, s.head, k);
    if (k == "id") {
      model().id = static_cast<uint32_t>(Integer(line, a.Word("id"), "id", 0, UINT32_MAX));
    } else if (k == "version") {
      model().format_version =
          static_cast<uint32_t>(Integer(line, a.Word("version"), "version", 0, 23));
    } else if (k == "kind") {
      std::string v = Lower(a.Word("kind"));
      static const std::map<std::string, uint8_t> kinds = {
          {"rail", 1}, {"bus", 2}, {"city", 3}, {"air", 4}};
      auto it = kinds.find(v);
      model().kind =
          it != kinds.end() ? it->second : static_cast<uint8_t>(Integer(line, v, "kind", 0, 255));
    } else if (k == "area") {
      model().area = static_cast<uint8_t>(Integer(line, a.Word("area"), "area", 0, 255));
    } else if (k == "variant") {
      model().variant =
          static_cast<uint32_t>(Integer(line, a.Word("variant"), "variant", 0, UINT32_MAX));
    } else if (k == "languages") {
      std::string letters;
      while (a.More()) letters += a.Word("language letters");
      if (letters.empty()) Fail(line, "missing language letters");
      for (char c : letters) {
        if (c < 'A' || c > 'Z')
          Fail(line, "a language is one capital letter (C, E, G, S, P), not '" + letters + "'");
      }
      if (multiTexts_) Fail(line, "declare 'languages' before the first text given per language");
      model().languages = letters;
    } else if (k == "valid" || k == "data") {
      uint16_t from = Date(line, a.Word("first day"));
      uint16_t to = Date(line, a.Word("last day"));
      if (from > to) Fail(line, "the first day lies after the last day");
      if (k == "valid") {
        if (validSet_) Fail(line, "'valid' is given twice");
        validSet_ = true;
        model().first_day = from;
        model().last_day = to;
      } else {
        dataSet_ = true;
        model().data_from = from;
        model().data_to = to;
      }
    } else if (k == "created") {
      createdSet_ = true;
      model().creation_date = Date(line, a.Word("date"));
    } else if (k == "name") {
      model().names = a.Texts("name", true);
      nameSet_ = true;
    } else if (k == "decoration") {
      model().decorations = a.Texts("decoration", true);
    } else if (k == "description") {
      model().descriptions = a.Texts("description", true);
    } else if (k == "code") {
      model().code = OneText(a, "code");
      if (writer::ToCp1250(model().code, "code").size() > 8)
        Fail(line, "a code has at most 8 characters");
    } else if (k == "resource") {
      model().resource_name = OneText(a, "resource name");
    } else if (k == "summary") {
      model().description = OneText(a, "summary");
      summarySet_ = true;
      if (writer::ToCp1250(model().description, "summary").size() > 99) {
        Fail(line, "a summary has at most 99 characters");
      }
    } else if (k == "town-key") {
      model().town_key =
          static_cast<uint32_t>(Integer(line, a.Word("key"), "town key", 0, INT32_MAX));
      NeedVersion(line, 5, "a town key");
    } else if (k == "holidays") {
      if (holidaysUsed_) Fail(line, "declare 'holidays' before the calendars that use them");
      if (!a.More()) Fail(line, "missing dates");
      while (a.More()) {
        std::string word = a.Word("date");
        for (uint16_t day : DateSpan(line, word)) holidays_.insert(day);
      }
      NeedVersion(line, 3, "a list of holidays");
    } else if (k == "share-stop-patterns") {
      out_.options.share_stop_patterns = true;
    } else if (k == "search") {
      SearchStatement(a);
    } else if (k == "region") {
      std::string id = a.Word("region id");
      Declare(line, regions_, id, static_cast<int>(model().regions.size()), "region");
      model().regions.push_back(OneText(a, "region name"));
    } else if (k == "arc") {
      uint16_t from = Station(line, a.Next("first station"));
      uint16_t to = Station(line, a.Next("second station"));
      int32_t length = Kilometres(line, a.Word("length"));
      bool oneway = false;
      if (a.More()) {
        if (a.Word("option") != "oneway")
          Fail(line, "an arc ends with its length, or with 'oneway'");
        oneway = true;
      }
      AddArc(from, to, length, oneway);
    } else if (k == "walk") {
      WalkStatement(a);
    } else if (k == "line" || k == "owner") {
      std::string id = a.Word(k + " id");
      auto& table = k == "line" ? lines_ : owners_;
      auto& texts = k == "line" ? model().lines : model().owners;
      Declare(line, table, id, static_cast<int>(texts.size()), k);
      texts.push_back(a.Texts(k + " text", true));
    } else if (k == "remark") {
      std::string id = a.Word("remark id");
      if (!remarks_.emplace(id, a.Texts("remark text", true)).second) {
        Fail(line, "remark " + id + " is declared twice");
      }
    } else if (k == "note") {
      NoteLine(a, -1, -1);
    } else if (k == "validity") {
      ValidityStatement(a);
    } else if (k == "service-filter") {
      ServiceFilterStatement(a);
    } else if (k == "service-types") {
      ServiceTypesStatement(a);
    } else if (k == "merge") {
      MergeStatement(a);
    } else if (k == "continuation") {
      ContinuationStatement(a);
    } else if (k == "pass-via") {
      PassViaStatement(a);
    } else if (k == "fares") {
      FaresStatement(a);
    } else if (k == "currency") {
      CurrencyStatement(a);
    } else if (k == "fare-zone") {
      int32_t key = model().stations[Station(line, a.Next("station"))].key;
      if (!a.More()) Fail(line, "missing zones");
      while (a.More()) {
        int16_t zone = static_cast<int16_t>(Integer(line, a.Word("zone"), "zone", 0, 0x7FFF));
        Fares(line).station_zones.push_back({.key = key, .zone = zone});
      }
    } else if (k == "fare-transfer" || k == "fare-border") {
      int32_t first = model().stations[Station(line, a.Next("station"))].key;
      int32_t second = model().stations[Station(line, a.Next("station"))].key;
      int32_t metres = Kilometres(line, a.Word("kilometres"));
      (k == "fare-transfer" ? Fares(line).transfers : Fares(line).borders)
          .push_back({first, second, metres});
    } else if (k == "fare-category") {
      int category = static_cast<int>(Integer(line, a.Word("category"), "fare category", 0, 31));
      if (!a.More()) Fail(line, "missing train types");
      while (a.More())
        fareCategories_[Named(line, types_, a.Word("train type"), "train type")] = category;
      Fares(line);
    } else {
      Fail(line, "unknown statement '" + k + "'");
    }
    a.Finish();
  }

  std::string OneText(Args& a, std::string const& role) {
    Token const& t = a.Next(role);
    CheckText(a.line(), t.value, role);
    return t.value;
  }

  void NeedVersion(int line, uint32_t version, std::string const& what) {
    versionNeeds_.push_back({line, version, what});
  }

  // A date or a range of dates "1.7.2026-31.8.2026", cut to the validity;
  // a span wholly outside it is a fault.
  std::vector<uint16_t> DateSpan(int line, std::string const& word) {
    NeedValidity(line);
    size_t dash = word.find('-');
    if (dash == std::string::npos) return {DateInValidity(line, word)};
    uint16_t from = Date(line, word.substr(0, dash)), to = Date(line, word.substr(dash + 1));
    if (from > to) Fail(line, "the range " + word + " runs backwards");
    uint16_t lo = std::max(from, model().first_day), hi = std::min(to, model().last_day);
    if (lo > hi) Fail(line, "the range " + word + " lies outside the validity");
    std::vector<uint16_t> days;
    for (uint32_t d = lo; d <= hi; ++d) days.push_back(static_cast<uint16_t>(d));
    return days;
  }

  // "x,y": a vertex of a line or an area.
  writer::GisVertex Vertex(int line, std::string const& word) const {
    size_t comma = word.find(',');
    if (comma == std::string::npos)
      Fail(line, "a vertex is written x,y (-743000,-1043000), not '" + word + "'");
    return {static_cast<int32_t>(Integer(line, word.substr(0, comma), "x", INT32_MIN, INT32_MAX)),
            static_cast<int32_t>(Integer(line, word.substr(comma + 1), "y", INT32_MIN, INT32_MAX))};
  }

  int32_t MapCoordinate(Args& a, std::string const& role) {
    return static_cast<int32_t>(Integer(a.line(), a.Word(role), role, INT32_MIN, INT32_MAX));
  }

  void MapStatement(Statement const& s) {
    int line = s.head.number;
    if (mapSet_) Fail(line, "a timetable has one map");
    mapSet_ = true;
    Args a(*this, s.head, "map");
    ExtensionFile file{ExtensionName(a), {}};
    file.model.type = writer::ExtensionType::kGis;
    writer::GisModel& gis = file.model.gis;
    if (auto v = a.Option("id"))
      gis.map_id = static_cast<uint32_t>(Integer(line, *v, "map id", 0, UINT32_MAX));
    LangText names = a.Texts("map name", false);
    a.Finish();
    if (LanguageCount() > 5) Fail(line, "a map names itself in at most 5 languages");
    gis.letters = model().languages;
    file.model.gis_languages = static_cast<uint8_t>(gis.letters.size());
    if (!names.empty()) {
      names.resize(gis.letters.size(), names[0]);
      gis.map_names = names;
    }
    std::set<int32_t> pointKeys;
    writer::GisLayer* layer = nullptr;
    for (Line const& b : s.body) {
      std::string const& k = b.tokens[0].value;
      Args p(*this, b, k);
      if (k == "point") {
        uint16_t station = Station(b.number, p.Next("station"));
        int32_t key = model().stations[station].key;
        if (!pointKeys.insert(key).second) Fail(b.number, "a station has one point");
        int32_t x = MapCoordinate(p, "x");
        gis.station_points.push_back({x, MapCoordinate(p, "y"), key});
      } else if (k == "town") {
        towns_.push_back({b.number, static_cast<int32_t>(Integer(b.number, p.Word("item key"),
                                                                 "item key", 1, INT32_MAX))});
        NeedVersion(b.number, 9, "a town label");
      } else if (k == "layer") {
        layer = &MapLayer(p, gis);
      } else if (k == "line" || k == "area" || k == "label") {
        if (!layer) Fail(b.number, "'" + k + "' belongs to a layer: put a 'layer' line before it");
        if (k == "label") {
          writer::GisLabel label;
          label.x = MapCoordinate(p, "x");
          label.y = MapCoordinate(p, "y");
          label.text = OneText(p, "label text");
          if (auto v = p.Option("angle"))
            label.angle = static_cast<int32_t>(Integer(b.number, *v, "angle", -7, 7));
          if (auto v = p.Option("align"))
            label.alignment = static_cast<int32_t>(Integer(b.number, *v, "alignment", 0, 0xFFFF));
          layer->labels.push_back(std::move(label));
        } else {
          std::vector<writer::GisVertex> vertices;
          while (p.More()) vertices.push_back(Vertex(b.number, p.Word("vertex")));
          if (vertices.size() < 2) Fail(b.number, "a " + k + " needs at least two vertices");
          (k == "line" ? layer->lines : layer->areas).push_back(std::move(vertices));
        }
      } else {
        Fail(b.number, "a map takes 'point', 'town', 'layer', 'line', 'area' and 'label' lines");
      }
      p.Finish();
    }
    std::sort(gis.station_points.begin(), gis.station_points.end(),
              [](auto const& x, auto const& y) { return x.key < y.key; });
    out_.extensions.push_back(std::move(file));
    model().extension_names.push_back(out_.extensions.back().name);
  }

  // "layer 2 name=... pen=0xBBGGRR width=N ...": a layer of array 1 (the
  // background), 2 or 3, with its drawing style.
  writer::GisLayer& MapLayer(Args& p, writer::GisModel& gis) {
    int line = p.line();
    auto array = static_cast<size_t>(Integer(line, p.Word("layer array"), "layer array", 1, 3));
    writer::GisLayer layer;
    auto number = [&](char const* key, int64_t lo, int64_t hi, auto& field) {
      if (auto v = p.Option(key))
        field =
            static_cast<std::remove_reference_t<decltype(field)>>(Integer(line, *v, key, lo, hi));
    };
    if (auto v = p.Option("name")) {
      CheckText(line, *v, "layer name");
      auto it = std::find(gis.layer_names.begin(), gis.layer_names.end(), *v);
      layer.name = static_cast<int32_t>(it - gis.layer_names.begin());
      if (it == gis.layer_names.end()) gis.layer_names.push_back(*v);
    }
    number("pen", 0, 0xFFFFFF, layer.pen_color);
    number("width", 0, 255, layer.pen_width);
    number("pen-style", 0, 6, layer.pen_style);
    number("brush", 0, 0xFFFFFF, layer.brush_color);
    number("brush-style", 0, 3, layer.brush_style);
    number("hatch", 0, 5, layer.brush_hatch);
    number("size", 0, 200, layer.font_size);
    number("charset", 0, 255, layer.charset);
    if (auto v = p.Option("font")) {
      CheckText(line, *v, "font face");
      if (writer::ToCp1250(*v, "font face").size() > 31)
        Fail(line, "a font face has at most 31 characters");
      layer.face = *v;
    }
    gis.layers[array - 1].push_back(std::move(layer));
    return gis.layers[array - 1].back();
  }

  // The town lines name items of the first list by key.
  void FinishTowns() {
    for (TownLine const& town : towns_) {
      if (model().virtual_lists.empty())
        Fail(town.line, "town labels name items of the first list, and the source has no list");
      auto const& items = model().virtual_lists[0].items;
      auto it = std::find_if(items.begin(), items.end(),
                             [&](writer::VirtListItem const& i) { return i.key == town.key; });
      if (it == items.end())
        Fail(town.line, "the first list has no item with key " + std::to_string(town.key));
      model().gis_town_items.push_back(static_cast<uint16_t>(it - items.begin()));
    }
  }

  // ---- QMap ------------------------------------------------------------

  // A coordinate in the QMap plane: a decimal number, "-742600" or
  // "-742600.5".
  double QMapNumber(int line, std::string const& s, std::string const& role) const {
    std::string body = !s.empty() && s[0] == '-' ? s.substr(1) : s;
    size_t dot = body.find('.');
    std::string whole = body.substr(0, dot);
    std::string frac = dot == std::string::npos ? "" : body.substr(dot + 1);
    if (!IsDigits(whole) || whole.size() > 12 || (dot != std::string::npos && !IsDigits(frac)))
      Fail(line, role + " must be a number (-742600 or -742600.5), not '" + s + "'");
    return std::strtod(s.c_str(), nullptr);
  }

  writer::QMapPoint QMapVertex(int line, std::string const& word) const {
    size_t comma = word.find(',');
    if (comma == std::string::npos)
      Fail(line, "a point is written x,y (-742600,-1043300), not '" + word + "'");
    return {QMapNumber(line, word.substr(0, comma), "x"),
            QMapNumber(line, word.substr(comma + 1), "y")};
  }

  // The key of a place of the QMap: a station (id or key) or a key that a
  // 'place' line declared.
  int32_t QMapKey(int line, std::string const& word, std::set<int32_t> const& places) const {
    if (IsDigits(word) && word.size() <= 10) {
      int64_t key = std::atoll(word.c_str());
      if (stationKeys_.count(key) || places.count(static_cast<int32_t>(key)))
        return static_cast<int32_t>(key);
      Fail(line, "unknown station or place key " + word);
    }
    auto it = stationIds_.find(word);
    if (it == stationIds_.end()) Fail(line, "unknown station " + word);
    return model().stations[static_cast<size_t>(it->second)].key;
  }

  // "PHA" (the place's newest coordinate) or "PHA@1.6.2026" (its
  // coordinate that holds on that day): the coordinate record's index.
  int32_t QMapRecord(int line, std::string const& word, std::set<int32_t> const& places,
                     std::vector<writer::QMapCoor> const& coors) const {
    size_t at = word.find('@');
    int32_t key = QMapKey(line, word.substr(0, at), places);
    // The records are sorted by key by now.
    auto first = std::lower_bound(coors.begin(), coors.end(), key,
                                  [](writer::QMapCoor const& c, int32_t k) { return c.key < k; });
    if (first == coors.end() || first->key != key)
      Fail(line, word.substr(0, at) + " has no coordinate");
    if (at == std::string::npos) return static_cast<int32_t>(first - coors.begin());
    uint16_t day = Date(line, word.substr(at + 1));
    for (auto c = first; c != coors.end() && c->key == key; ++c)
      if (c->valid_from <= day) return static_cast<int32_t>(c - coors.begin());
    Fail(line, word.substr(0, at) + " has no coordinate on " + word.substr(at + 1));
  }

  // The QMap extension: dated coordinates, arcs drawn over polylines and
  // the path network. Ids and places may be used before the line that
  // declares them, so the lines that declare run first.
  void QMapStatement(Statement const& s) {
    int line = s.head.number;
    if (qmapSet_) Fail(line, "a timetable has one QMap");
    qmapSet_ = true;
    Args a(*this, s.head, "qmap");
    ExtensionFile file{ExtensionName(a), {}};
    file.model.type = writer::ExtensionType::kQMap;
    writer::QMapModel& q = file.model.qmap;
    if (auto v = a.Option("version"))
      q.version = static_cast<uint16_t>(Integer(line, *v, "QMap version", 0, 1));
    file.model.qmap_version = q.version;
    a.Finish();

    struct Pending {
      Line const* line;
      int32_t key;
      uint16_t from;
      writer::QMapPoint at;
    };
    std::vector<Pending> coors;
    std::set<std::pair<int32_t, uint16_t>> dated;
    std::set<int32_t> places;
    std::map<std::string, int> polylines, nodes;
    std::vector<int> polylineLines, nodeLines;
    for (Line const& b : s.body) {
      std::string const& k = b.tokens[0].value;
      if (b.tokens[0].kind != Token::Kind::kWord)
        Fail(b.number, "a line of a QMap starts with a word");
      Args p(*this, b, k);
      if (k == "coor" || k == "place") {
        int32_t key = 0;
        if (k == "coor") {
          key = model().stations[Station(b.number, p.Next("station"))].key;
        } else {
          key = static_cast<int32_t>(
              Integer(b.number, p.Word("place key"), "place key", 1, INT32_MAX));
          if (stationKeys_.count(key))
            Fail(b.number, "key " + std::to_string(key) + " is a station's: give it by 'coor'");
          places.insert(key);
          placeLines_.push_back({b.number, key});
        }
        double x = QMapNumber(b.number, p.Word("x"), "x");
        double y = QMapNumber(b.number, p.Word("y"), "y");
        uint16_t from = 0;
        if (auto v = p.Option("from")) from = Date(b.number, *v);
        if (!dated.insert({key, from}).second)
          Fail(b.number, "this place already has a coordinate from that day");
        coors.push_back({&b, key, from, {x, y}});
        p.Finish();
      } else if (k == "polyline") {
        Declare(b.number, polylines, p.Word("polyline id"), static_cast<int>(q.polylines.size()),
                "polyline");
        std::vector<writer::QMapPoint> points;
        while (p.More()) points.push_back(QMapVertex(b.number, p.Word("point")));
        if (points.size() < 2) Fail(b.number, "a polyline needs at least two points");
        q.polylines.push_back(std::move(points));
        polylineLines.push_back(static_cast<int>(&b - s.body.data()));
      } else if (k == "node") {
        if (q.version < 1) Fail(b.number, "the path network needs QMap version 1");
        Declare(b.number, nodes, p.Word("node id"), static_cast<int>(q.nodes.size()), "node");
        q.nodes.push_back({});
        nodeLines.push_back(static_cast<int>(&b - s.body.data()));
      } else if (k != "arc" && k != "edge") {
        Fail(b.number, "a QMap takes 'coor', 'place', 'polyline', 'arc', 'node' and 'edge' lines");
      }
    }
    // The kernel looks the records of a key up newest first.
    std::stable_sort(coors.begin(), coors.end(), [](Pending const& x, Pending const& y) {
      return x.key != y.key ? x.key < y.key : x.from > y.from;
    });
    for (Pending const& c : coors) q.coors.push_back({c.key, c.from, c.at, {}});

    auto named = [&](int l, std::map<std::string, int> const& table, std::string const& id,
                     char const* what) { return Named(l, table, id, what); };
    q.neighbours.resize(q.polylines.size());
    for (size_t i = 0; i < q.polylines.size(); ++i) {
      Line const& b = s.body[static_cast<size_t>(polylineLines[i])];
      Args p(*this, b, "polyline");
      p.Word("polyline id");
      while (p.More()) p.Word("point");
      if (auto v = p.Option("next")) {
        size_t start = 0;
        while (start <= v->size()) {
          size_t comma = v->find(',', start);
          std::string id = v->substr(start, comma == std::string::npos ? comma : comma - start);
          q.neighbours[i].push_back(named(b.number, polylines, id, "polyline"));
          if (comma == std::string::npos) break;
          start = comma + 1;
        }
      }
      p.Finish();
    }
    for (size_t i = 0; i < q.nodes.size(); ++i) {
      Line const& b = s.body[static_cast<size_t>(nodeLines[i])];
      Args p(*this, b, "node");
      p.Word("node id");
      writer::QMapNode& n = q.nodes[i];
      if (auto v = p.Option("at")) {
        n.coor = QMapRecord(b.number, *v, places, q.coors);
        n.at = q.coors[static_cast<size_t>(n.coor)].at;
      } else if (!p.More()) {
        Fail(b.number, "a node is written 'node ID X Y' (or 'node ID at=STATION')");
      }
      if (p.More()) {
        n.at.x = QMapNumber(b.number, p.Word("x"), "x");
        n.at.y = QMapNumber(b.number, p.Word("y"), "y");
      }
      p.Finish();
    }
    for (Line const& b : s.body) {
      std::string const& k = b.tokens[0].value;
      Args p(*this, b, k);
      if (k == "arc") {
        int32_t from = QMapRecord(b.number, p.Word("first place"), places, q.coors);
        writer::QMapArc arc;
        arc.target = QMapRecord(b.number, p.Word("second place"), places, q.coors);
        if (arc.target == from) Fail(b.number, "an arc joins two places");
        while (p.More())
          arc.polylines.push_back(named(b.number, polylines, p.Word("polyline"), "polyline"));
        if (auto v = p.Option("kind"))
          arc.kind = static_cast<int16_t>(Integer(b.number, *v, "arc kind", INT16_MIN, INT16_MAX));
        if (auto v = p.Option("from")) arc.valid_from = Date(b.number, *v);
        q.coors[static_cast<size_t>(from)].arcs.push_back(std::move(arc));
        p.Finish();
      } else if (k == "edge") {
        if (q.version < 1) Fail(b.number, "the path network needs QMap version 1");
        std::vector<int> chain;
        bool oneway = false;
        while (p.More()) {
          std::string word = p.Word("node");
          if (word == "oneway") {
            oneway = true;
          } else {
            chain.push_back(named(b.number, nodes, word, "node"));
          }
        }
        if (chain.size() < 2) Fail(b.number, "an edge joins two nodes or more");
        std::optional<int32_t> length;
        if (auto v = p.Option("length")) {
          if (chain.size() != 2) Fail(b.number, "length= is for an edge between two nodes");
          length = static_cast<int32_t>(Integer(b.number, *v, "edge length", 0, INT32_MAX));
        }
        for (size_t i = 0; i + 1 < chain.size(); ++i) {
          auto& na = q.nodes[static_cast<size_t>(chain[i])];
          auto& nb = q.nodes[static_cast<size_t>(chain[i + 1])];
          if (chain[i] == chain[i + 1]) Fail(b.number, "an edge joins two nodes");
          // Without a length the edge is as long as the straight line.
          const double straight = std::round(std::hypot(nb.at.x - na.at.x, nb.at.y - na.at.y));
          if (!length && straight > INT32_MAX) Fail(b.number, "an edge longer than 2147483647");
          const int32_t l = length.value_or(static_cast<int32_t>(straight));
          na.edges.push_back({chain[i + 1], l});
          if (!oneway) nb.edges.push_back({chain[i], l});
        }
        p.Finish();
      }
    }
    out_.extensions.push_back(std::move(file));
    model().extension_names.push_back(out_.extensions.back().name);
  }

  // "pattern ID PHA KOL:2 ... [kind=N]": the stations of a stop pattern,
  // each with the kind of the QMap arc that leads to it from the stop
  // before.
  void PatternStatement(Statement const& s) {
    NoBody(s);
    int line = s.head.number;
    Args a(*this, s.head, "pattern");
    std::string id = a.Word("pattern id");
    int16_t kind = 0;
    if (auto v = a.Option("kind"))
      kind = static_cast<int16_t>(Integer(line, *v, "arc kind", INT16_MIN, INT16_MAX));
    std::vector<writer::PatternStop> stops;
    while (a.More()) {
      Token stop = a.Next("station");
      writer::PatternStop p{0, kind};
      size_t colon = stop.value.find(':');
      if (stop.kind == Token::Kind::kWord && colon != std::string::npos) {
        p.arc_kind = static_cast<int16_t>(
            Integer(line, stop.value.substr(colon + 1), "arc kind", INT16_MIN, INT16_MAX));
        stop.value.resize(colon);
      }
      p.station = Station(line, stop);
      stops.push_back(p);
    }
    a.Finish();
    if (stops.empty()) Fail(line, "a pattern names its stations");
    Declare(line, patterns_, id, static_cast<int>(model().stop_patterns.size()), "pattern");
    model().stop_patterns.push_back(std::move(stops));
    NeedVersion(line, 16, "a stop pattern");
  }

  void ExtensionStatement(Statement const& s) {
    static const std::map<std::string, writer::ExtensionType> types = {
        {"fares", writer::ExtensionType::kFares},
        {"gis", writer::ExtensionType::kGis},
        {"keys", writer::ExtensionType::kStationKeys},
        {"qmap", writer::ExtensionType::kQMap}};
    Args a(*this, s.head, "extension");
    std::string type = Lower(a.Word("extension type"));
    auto it = types.find(type);
    if (it == types.end())
      Fail(a.line(), "unknown extension type " + type + " (fares, gis, keys, qmap)");
    ExtensionFile file;
    file.name = ExtensionName(a);
    file.model.type = it->second;
    a.Finish();
    if (!s.body.empty() && file.model.type != writer::ExtensionType::kStationKeys) {
      Fail(s.body.front().number, "only 'extension keys' takes indented lines");
    }
    for (Line const& b : s.body) file.model.station_key_rows.push_back(KeyRow(b, file));
    out_.extensions.push_back(file);
    model().extension_names.push_back(file.name);
  }

  // "STATION [tcv=KEY] [reservation=KEY]": the station's keys in other
  // systems; a key not given is the station's own.
  writer::StationKeyRow KeyRow(Line const& b, ExtensionFile const& file) {
    Args p(*this, b, "a row of station keys", 0);
    int32_t key = model().stations[Station(b.number, p.Next("station"))].key;
    for (writer::StationKeyRow const& row : file.model.station_key_rows)
      if (row.station_key == key) Fail(b.number, "a station has one row of keys");
    writer::StationKeyRow row{key, key, key};
    if (auto v = p.Option("tcv"))
      row.tcv_key = static_cast<int32_t>(Integer(b.number, *v, "TCV key", 1, INT32_MAX));
    if (auto v = p.Option("reservation")) {
      row.reservation_key =
          static_cast<int32_t>(Integer(b.number, *v, "reservation key", 1, INT32_MAX));
    }
    p.Finish();
    return row;
  }

  std::string ExtensionName(Args& a) {
    Token const& name = a.Next("file name");
    CheckText(a.line(), name.value, "extension file name");
    if (name.value.empty() || name.value.find_first_of("/\\") != std::string::npos) {
      Fail(a.line(), "an extension file name is a plain file name, written beside the timetable");
    }
    return name.value;
  }

  // ---- fares -----------------------------------------------------------

  // The fare file the fare statements describe: the first 'extension fares'.
  writer::FareModel& Fares(int line) {
    for (ExtensionFile& e : out_.extensions)
      if (e.model.type == writer::ExtensionType::kFares) return e.model.fares;
    Fail(line, "fare statements need an 'extension fares NAME' line before them");
    throw SourceError("unreachable");
  }

  // "12", "12.5" or "12.50" units of money as hundredths.
  int32_t Money(int line, std::string const& s) const {
    bool negative = !s.empty() && s[0] == '-';
    std::string body = negative ? s.substr(1) : s;
    size_t dot = body.find('.');
    std::string whole = body.substr(0, dot);
    std::string frac = dot == std::string::npos ? "" : body.substr(dot + 1);
    if (!IsDigits(whole) || whole.size() > 7 || frac.size() > 2 ||
        (dot != std::string::npos && !IsDigits(frac)))
      Fail(line,
           "an amount is written in units with at most two decimals (12.50), not '" + s + "'");
    while (frac.size() < 2) frac.push_back('0');
    int32_t v = std::atoi(whole.c_str()) * 100 + std::atoi(frac.c_str());
    return negative ? -v : v;
  }

  // "LO-HI" (either side may be empty: open) as two i16.
  void Range(int line, std::string const& s, int16_t* lo, int16_t* hi) const {
    size_t dash = s.find('-');
    if (dash == std::string::npos) {
      *lo = *hi = static_cast<int16_t>(Integer(line, s, "range", 0, 0x7FFF));
      return;
    }
    std::string a = s.substr(0, dash), b = s.substr(dash + 1);
    *lo = a.empty() ? int16_t{-1} : static_cast<int16_t>(Integer(line, a, "range", 0, 0x7FFF));
    *hi = b.empty() ? int16_t{-1} : static_cast<int16_t>(Integer(line, b, "range", 0, 0x7FFF));
  }

  void FaresStatement(Args& a) {
    int line = a.line();
    writer::FareModel& f = Fares(line);
    static const std::map<std::string, uint8_t> flags = {
        {"force-join", kFareFlagForceJoin}, {"fill-zones", kFareFlagFillZones},
        {"through", kFareFlagThrough},      {"no-links", kFareFlagNoLinks},
        {"split", kFareFlagSplit},          {"second-price", kFareFlagTwoVariants}};
    while (a.More()) {
      std::string word = a.Word("fare option");
      auto it = flags.find(word);
      if (it == flags.end())
        Fail(line, "unknown fare option " + word +
                       " (force-join, fill-zones, through, no-links, split, second-price)");
      f.flags |= it->second;
    }
    if (auto v = a.Option("basis")) {
      static const std::map<std::string, uint8_t> bases = {
          {"earlier", 0}, {"today", 1}, {"travel", 2}};
      auto it = bases.find(*v);
      if (it == bases.end()) Fail(line, "basis is earlier, today or travel");
      f.date_basis = it->second;
    }
    if (auto v = a.Option("languages")) {
      if (v->empty() || v->size() > 8) Fail(line, "one to eight fare language letters");
      f.languages = *v;
    }
  }

  void CurrencyStatement(Args& a) {
    int line = a.line();
    writer::FareModel& f = Fares(line);
    std::string id = a.Word("currency id");
    writer::FareCurrency c;
    if (auto v = a.Option("rate")) {
      char* end = nullptr;
      c.rate = std::strtod(v->c_str(), &end);
      if (end == v->c_str() || *end || !(c.rate > 0)) Fail(line, "a rate is a positive number");
    }
    if (auto v = a.Option("divide")) c.divide = *v == "yes";
    if (auto v = a.Option("rounding")) {
      static const std::map<std::string, uint8_t> modes = {{"units", 0}, {"tens", 1}, {"cents", 2}};
      auto it = modes.find(*v);
      if (it == modes.end()) Fail(line, "rounding is units, tens or cents");
      c.rounding = it->second;
    }
    if (auto v = a.Option("mark"))
      c.mark = static_cast<uint8_t>(Integer(line, *v, "total mark", 0, 255));
    c.format_cents = OneText(a, "format with hundredths");
    c.format_whole = a.More() ? OneText(a, "format without hundredths") : c.format_cents;
    Declare(line, currencies_, id, static_cast<int>(f.currencies.size()), "currency");
    f.currencies.push_back(std::move(c));
  }

  void FareTableStatement(Statement const& s) {
    int line = s.head.number;
    writer::FareModel& f = Fares(line);
    Args a(*this, s.head, "table");
    std::string id = a.Word("table id");
    static const std::map<std::string, uint8_t> kinds = {{"distance", kTableDistance},
                                                         {"duration", kTableDuration},
                                                         {"stops", kTableStops},
                                                         {"zones", kTableZones},
                                                         {"zone-price", kTableZonePrice},
                                                         {"zone-number", kTableZoneNumber},
                                                         {"zone-measure", kTableZonePairMeasure}};
    std::string kind = a.Word("table kind");
    auto it = kinds.find(kind);
    if (it == kinds.end())
      Fail(line,
           "a table is distance, duration, stops, zones, zone-price, zone-number or zone-measure");
    writer::FareTable t;
    t.kind = it->second;
    if (auto v = a.Option("base"))
      t.base = static_cast<int32_t>(Integer(line, *v, "base", -100000, 100000));
    if (auto v = a.Option("formats")) {
      CheckText(line, *v, "measure formats");
      t.formats = *v;
    }
    a.Finish();
    bool zonePair = IsZonePairTable(t.kind);
    std::vector<int32_t> seconds;  // per threshold its second price
    bool withSecond = false;
    for (Line const& b : s.body) {
      Args p(*this, b, "table", 0);
      if (zonePair) {
        std::string k = p.Word("'zone' or 'prices'");
        if (k == "zone") {
          if (p.NextIsText()) {
            t.zone_names = true;
            t.zone_names_list.push_back(OneText(p, "zone name"));
          } else {
            int32_t first = model().stations[Station(b.number, p.Next("first station"))].key;
            int32_t last = first;
            if (p.More()) last = model().stations[Station(b.number, p.Next("last station"))].key;
            t.zone_ranges.push_back({std::min(first, last), std::max(first, last)});
          }
        } else if (k == "prices") {
          while (p.More()) t.values.push_back(Money(b.number, p.Word("price")));
        } else {
          Fail(b.number, "a zone-pair table takes 'zone' and 'prices' lines");
        }
      } else {
        std::string upto = p.Word("threshold");
        t.thresholds.push_back(
            t.kind == kTableDistance
                ? Kilometres(b.number, upto)
                : static_cast<int32_t>(Integer(b.number, upto, "threshold", 0, INT32_MAX)));
        t.values.push_back(Money(b.number, p.Word("price")));
        withSecond |= p.More();
        seconds.push_back(p.More() ? Money(b.number, p.Word("second price")) : t.values.back());
      }
      p.Finish();
    }
    if (withSecond) {
      std::vector<int32_t> pairs;
      for (size_t i = 0; i < t.values.size(); ++i) {
        pairs.push_back(t.values[i]);
        pairs.push_back(seconds[i]);
      }
      t.values = pairs;
    }
    Declare(line, fareTables_, id, static_cast<int>(f.tables.size()), "fare table");
    f.tables.push_back(std::move(t));
  }

  void FarePrice(Args& a, writer::FarePrice& p, bool* any) {
    int line = a.line();
    if (auto v = a.Option("table")) {
      p.table = static_cast<int16_t>(Named(line, fareTables_, *v, "fare table"));
      *any = true;
    }
    if (auto v = a.Option("zone-table")) {
      p.zone_table = static_cast<int16_t>(Named(line, fareTables_, *v, "fare table"));
      *any = true;
    }
    if (auto v = a.Option("for-zones")) Range(line, *v, &p.zone_lo, &p.zone_hi);
    if (auto v = a.Option("base")) p.base = Money(line, *v);
    if (auto v = a.Option("fixed")) {
      std::vector<std::string> parts = Split(*v);
      if (parts.size() > 2) Fail(line, "fixed takes one or two amounts");
      p.fixed[0] = Money(line, parts[0]);
      p.fixed[1] = parts.size() > 1 ? Money(line, parts[1]) : p.fixed[0];
      *any = true;
    }
  }

  std::vector<int32_t> StationKeys(int line, std::string const& list) {
    std::vector<int32_t> keys;
    for (std::string const& id : Split(list))
      keys.push_back(model().stations[Station(line, Token{Token::Kind::kWord, id, {}, false})].key);
    return keys;
  }

  void FareRuleStatement(Statement const& s) {
    int line = s.head.number;
    writer::FareModel& f = Fares(line);
    Args a(*this, s.head, "rule");
    writer::FareRule r;
    r.names = a.Texts("rule name", true);
    if (auto v = a.Option("currency"))
      r.currency = static_cast<int16_t>(Named(line, currencies_, *v, "currency"));
    else
      Fail(line, "a rule names its currency (currency=ID)");
    if (auto v = a.Option("measure"))
      r.measure_table = static_cast<int16_t>(Named(line, fareTables_, *v, "fare table"));
    if (auto v = a.Option("category"))
      r.category = static_cast<uint8_t>(Integer(line, *v, "category", 0, 255));
    if (auto v = a.Option("days")) {
      static const std::map<std::string, uint8_t> rules = {
          {"working", 0}, {"holiday", 1}, {"not-working", 4}};
      auto it = rules.find(*v);
      if (it != rules.end()) {
        r.day_rule = it->second;
      } else {
        static const char* days[] = {"Mo", "Tu", "We", "Th", "Fr", "Sa", "Su"};
        r.day_rule = 2;
        for (std::string const& d : Split(*v)) {
          int found = -1;
          for (int i = 0; i < 7; ++i)
            if (d == days[i]) found = i;
          if (found < 0)
            Fail(line, "days is working, holiday, not-working or week days (Mo,Tu,...)");
          r.weekdays |= static_cast<uint8_t>(1u << found);
        }
      }
    }
    if (auto v = a.Option("valid")) {
      size_t dash = v->find('-');
      if (dash == std::string::npos) Fail(line, "valid is FIRST-LAST (dates)");
      r.valid_from = Date(line, v->substr(0, dash));
      r.valid_to = Date(line, v->substr(dash + 1));
    }
    if (auto v = a.Option("window")) {
      size_t dash = v->find('-');
      if (dash == std::string::npos) Fail(line, "window is FROM-TO (times)");
      r.window_start = static_cast<int16_t>(Time(line, v->substr(0, dash)));
      r.window_end = static_cast<int16_t>(Time(line, v->substr(dash + 1)));
    }
    if (auto v = a.Option("region")) {
      CheckText(line, *v, "region");
      r.region = *v;
    }
    if (auto v = a.Option("zones")) Range(line, *v, &r.zones[0], &r.zones[1]);
    if (auto v = a.Option("stops")) Range(line, *v, &r.stops[0], &r.stops[1]);
    if (auto v = a.Option("duration")) Range(line, *v, &r.duration[0], &r.duration[1]);
    if (auto v = a.Option("first")) r.first_stops = StationKeys(line, *v);
    if (auto v = a.Option("last")) r.last_stops = StationKeys(line, *v);
    if (auto v = a.Option("every")) r.all_stops = StationKeys(line, *v);
    if (auto v = a.Option("needs-zones"))
      for (std::string const& z : Split(*v))
        r.required_zones.push_back(static_cast<int16_t>(Integer(line, z, "zone", 0, 0x7FFF)));
    if (auto v = a.Option("flags")) {
      for (std::string const& word : Split(*v)) {
        if (word == "not-final")
          r.final = false;
        else if (word == "one-leg")
          r.several_legs = false;
        else if (word == "single-leg")
          r.single_leg = true;
        else if (word == "single-price")
          r.single_variant = true;
        else if (word == "either-end")
          r.either_end = true;
        else
          Fail(line, "rule flags are not-final, one-leg, single-leg, single-price, either-end");
      }
    }
    writer::FarePrice first;
    bool any = false;
    FarePrice(a, first, &any);
    if (any) r.prices.push_back(first);
    a.Finish();
    for (Line const& b : s.body) {
      Args p(*this, b, "price");
      if (b.tokens[0].value != "price") Fail(b.number, "a rule takes only 'price' lines");
      writer::FarePrice entry;
      bool named = false;
      FarePrice(p, entry, &named);
      if (!named) Fail(b.number, "a price line names a table, a zone table or a fixed amount");
      r.prices.push_back(entry);
      p.Finish();
    }
    if (r.prices.empty())
      Fail(line, "a rule needs a price (table=, zone-table=, fixed= or 'price' lines)");
    f.rules.push_back(std::move(r));
  }

  void SearchStatement(Args& a) {
    auto take = [&](char const* key, uint32_t& field) {
      if (auto v = a.Option(key)) {
        field = static_cast<uint32_t>(Integer(a.line(), *v, key, 0, INT32_MAX));
      }
    };
    take("max-change", model().search.max_change_time);
    take("min-change", model().search.min_change_time);
    take("change-penalty", model().search.change_penalty);
    take("max-changes", model().search.max_changes);
  }

  void WalkStatement(Args& a) {
    int line = a.line();
    writer::Transfer t;
    t.from = Station(line, a.Next("first station"));
    t.to = Station(line, a.Next("second station"));
    t.minutes = static_cast<int8_t>(Integer(line, a.Word("minutes"), "minutes", -128, 127));
    bool oneway = false;
    if (a.More()) {
      if (a.Word("option") != "oneway")
        Fail(line, "a walk ends with its minutes, or with 'oneway'");
      oneway = true;
    }
    if (auto v = a.Option("barrier-free")) {
      t.barrier_free_minutes =
          static_cast<int8_t>(Integer(line, *v, "barrier-free minutes", -128, 127));
    }
    model().transfers.push_back(t);
    if (!oneway) {
      std::swap(t.from, t.to);
      model().transfers.push_back(t);
    }
  }

  void AddArc(uint16_t from, uint16_t to, int32_t length, bool oneway) {
    model().arcs.push_back({from, to, length});
    if (!oneway) model().arcs.push_back({to, from, length});
  }

  static std::vector<std::string> Split(std::string const& list) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
      size_t comma = list.find(',', start);
      parts.push_back(list.substr(start, comma == std::string::npos ? comma : comma - start));
      if (comma == std::string::npos) return parts;
      start = comma + 1;
    }
  }

  uint64_t CodeMask(int line, std::vector<std::string> const& codes) const {
    if (codes.empty()) Fail(line, "missing service codes");
    uint64_t mask = 0;
    for (std::string const& c : codes)
      mask |= uint64_t{1} << Named(line, services_, c, "service code");
    return mask;
  }

  // The set of the codes, shared with every other holder of the same set.
  int16_t SetOf(int line, std::vector<std::string> const& codes) {
    uint64_t mask = CodeMask(line, codes);
    auto& sets = model().service_codes.sets;
    auto it = std::find(sets.begin(), sets.end(), mask);
    if (it != sets.end()) return static_cast<int16_t>(it - sets.begin());
    if (sets.size() >= 0x7FFF) Fail(line, "more than 32767 sets of service codes");
    sets.push_back(mask);
    return static_cast<int16_t>(sets.size() - 1);
  }

  // "service ID NAME [symbol=TEXT] [role=1..4] [barrier-free]" + "long TEXTS"
  void ServiceStatement(Statement const& s) {
    int line = s.head.number;
    Args a(*this, s.head, "service");
    std::string id = a.Word("service code id");
    writer::ServiceCode code;
    code.name = OneText(a, "service code name");
    if (auto v = a.Option("symbol")) code.short_text = *v;
    size_t index = model().service_codes.codes.size();
    if (index >= 64) Fail(line, "a timetable has at most 64 service codes");
    if (auto v = a.Option("role")) {
      int role = static_cast<int>(Integer(line, *v, "role", 1, 4));
      int32_t& slot = model().service_codes.roles[role - 1];
      if (slot >= 0) Fail(line, "role " + *v + " is filled twice");
      slot = static_cast<int32_t>(index);
      NeedVersion(line, role == 4 ? 21 : 14, "service-code role " + *v);
    }
    while (a.More()) {
      if (a.Word("'barrier-free'") != "barrier-free")
        Fail(line, "a service code takes the word 'barrier-free' after its name");
      model().service_codes.barrier_free_station_mask |= uint64_t{1} << index;
    }
    a.Finish();
    for (Line const& b : s.body) {
      Args p(*this, b, b.tokens[0].value);
      if (b.tokens[0].value != "long") Fail(b.number, "a service code takes only 'long' lines");
      code.description = p.Texts("description", true);
      p.Finish();
    }
    Declare(line, services_, id, static_cast<int>(index), "service code");
    model().service_codes.codes.push_back(std::move(code));
    NeedVersion(line, 12, "a service code");
  }

  // "service-filter LETTER CODE... [id=N]"
  void ServiceFilterStatement(Args& a) {
    int line = a.line();
    std::string letter = a.Word("filter letter");
    if (letter.size() != 1 || static_cast<unsigned char>(letter[0]) >= 0x80)
      Fail(line, "a filter letter is one character, not '" + letter + "'");
    auto& c = model().service_codes;
    if (c.filter_letters.find(letter[0]) != std::string::npos)
      Fail(line, "filter letter " + letter + " is given twice");
    std::vector<std::string> codes;
    while (a.More()) codes.push_back(a.Word("service code"));
    c.filter_letters += letter;
    c.letter_masks.push_back(CodeMask(line, codes));
    int32_t id = 0;
    if (auto v = a.Option("id"))
      id = static_cast<int32_t>(Integer(line, *v, "filter id", INT32_MIN, INT32_MAX));
    c.filter_ids.push_back(id);
    NeedVersion(line, 22, "a service filter");
  }

  // "service-types by-day=TYPE,... by-section=TYPE,..."
  void ServiceTypesStatement(Args& a) {
    int line = a.line();
    auto bits = [&](std::string const& list) {
      uint32_t mask = 0;
      for (std::string const& type : Split(list))
        mask |= 1u << Named(line, types_, type, "train type");
      return mask;
    };
    if (auto v = a.Option("by-day")) model().service_codes.day_type_mask = bits(*v);
    if (auto v = a.Option("by-section")) model().service_codes.section_type_mask = bits(*v);
    NeedVersion(line, 22, "service-code train types");
  }

  // "merge kind=rail|bus|city|air|N [area=N]"
  void MergeStatement(Args& a) {
    int line = a.line();
    auto kind = a.Option("kind");
    if (!kind) Fail(line, "'merge' needs the kind of the timetable merged with (kind=rail, ...)");
    static const std::map<std::string, uint8_t> kinds = {
        {"rail", 1}, {"bus", 2}, {"city", 3}, {"air", 4}};
    auto it = kinds.find(Lower(*kind));
    model().merge_kind =
        it != kinds.end() ? it->second : static_cast<uint8_t>(Integer(line, *kind, "kind", 1, 255));
    if (auto v = a.Option("area"))
      model().merge_area = static_cast<uint8_t>(Integer(line, *v, "area", 0, 255));
    NeedVersion(line, 15, "a merge");
  }

  // "continuation REF STATION REF": the first train goes on as the second.
  void ContinuationStatement(Args& a) {
    int line = a.line();
    writer::Continuation c;
    c.train_a = Named(line, trainRefs_, a.Word("train ref"), "train ref");
    c.station = Station(line, a.Next("station"));
    auto const train_b = Named(line, trainRefs_, a.Word("train ref"), "train ref");
    if (train_b > 0xFFFF) Fail(line, "the continuing train lies beyond train 65535");
    c.train_b = static_cast<uint16_t>(train_b);
    model().continuations.push_back(c);
  }

  // "pass-via STATION FROM>TO ...": the arcs that lead towards the station.
  void PassViaStatement(Args& a) {
    int line = a.line();
    uint16_t target = Station(line, a.Next("station"));
    std::vector<int32_t> arcs;
    while (a.More()) {
      std::string word = a.Word("arc FROM>TO");
      size_t gt = word.find('>');
      if (gt == std::string::npos) Fail(line, "an arc is written FROM>TO, not '" + word + "'");
      Token from, to;
      from.value = word.substr(0, gt);
      to.value = word.substr(gt + 1);
      uint16_t f = Station(line, from), t = Station(line, to);
      auto& all = model().arcs;
      auto it = std::find_if(all.begin(), all.end(),
                             [&](writer::Arc const& arc) { return arc.from == f && arc.to == t; });
      if (it == all.end()) Fail(line, "no arc leads from " + from.value + " to " + to.value);
      arcs.push_back(static_cast<int32_t>(it - all.begin()));
    }
    if (arcs.empty()) Fail(line, "'pass-via' needs arcs FROM>TO");
    if (!passVia_.emplace(target, arcs).second)
      Fail(line, "the station has a pass-via line already");
  }

  // "physicaltype ID [ABBREVIATION...] type=TRAINTYPE" + "long TEXTS"
  void PhysicalTypeStatement(Statement const& s) {
    int line = s.head.number;
    Args a(*this, s.head, "physicaltype");
    std::string id = a.Word("physical type id");
    writer::TrainType type;
    type.abbreviation = a.More() ? a.Texts("abbreviation", true) : LangText{id};
    CheckText(line, type.abbreviation[0], "type abbreviation");
    auto of = a.Option("type");
    if (!of) Fail(line, "a physical type names the train type it belongs to (type=ID)");
    type.type_bit = static_cast<uint8_t>(Named(line, types_, *of, "train type"));
    a.Finish();
    for (Line const& b : s.body) {
      Args p(*this, b, b.tokens[0].value);
      if (b.tokens[0].value != "long") Fail(b.number, "a physical type takes only 'long' lines");
      type.description = p.Texts("long name", true);
      p.Finish();
    }
    if (model().physical_types.size() >= 255) Fail(line, "more than 255 physical types");
    Declare(line, physicalIds_, id, static_cast<int>(model().physical_types.size()),
            "physical type");
    model().physical_types.push_back(std::move(type));
    NeedVersion(line, 20, "a physical type");
  }

  // "day-types" with lines "KIND OFFSET CALENDAR...": the stored typical sets.
  void DayTypesStatement(Statement const& s) {
    Args a(*this, s.head, "day-types");
    a.Finish();
    if (s.body.empty()) Fail(s.head.number, "'day-types' needs lines 'KIND OFFSET CALENDAR...'");
    static const std::vector<std::string> kinds = {"mo", "tu", "we",       "th",      "fr",
                                                   "sa", "su", "workdays", "holidays"};
    for (Line const& b : s.body) {
      Args p(*this, b, "day type", 0);
      std::string kind = Lower(p.Word("kind of day"));
      auto it = std::find(kinds.begin(), kinds.end(), kind);
      if (it == kinds.end()) {
        Fail(b.number, "a kind of day is Mo..Su, workdays or holidays, not '" + kind + "'");
      }
      int offset = static_cast<int>(Integer(b.number, p.Word("day offset"), "day offset", -12, 12));
      DayTypeSet set;
      set.line = b.number;
      set.index = static_cast<int>(it - kinds.begin()) * 25 + offset + 12;
      while (p.More()) set.calendars.push_back(CalendarOf(b.number, p.Word("calendar")));
      if (set.calendars.empty()) Fail(b.number, "a day-type line names calendars");
      p.Finish();
      for (DayTypeSet const& other : dayTypes_) {
        if (other.index == set.index) Fail(b.number, "this kind of day and offset is given twice");
      }
      dayTypes_.push_back(std::move(set));
    }
  }

  // "Mo-Fr,Su": bit 0 Monday .. bit 6 Sunday.
  uint8_t WeekdayBits(int line, std::string const& text) const {
    static const std::vector<std::string> names = {"mo", "tu", "we", "th", "fr", "sa", "su"};
    auto index = [&](std::string const& n) {
      auto it = std::find(names.begin(), names.end(), Lower(n));
      if (it == names.end()) {
        Fail(line, "unknown weekdays '" + text + "' (Mo..Su, ranges such as Mo-Fr, joined by ',')");
      }
      return static_cast<int>(it - names.begin());
    };
    uint8_t bits = 0;
    size_t start = 0;
    while (start <= text.size()) {
      size_t comma = text.find(',', start);
      std::string part = text.substr(start, comma == std::string::npos ? comma : comma - start);
      size_t dash = part.find('-');
      int from = index(part.substr(0, dash));
      int to = dash == std::string::npos ? from : index(part.substr(dash + 1));
      for (int i = from;; i = (i + 1) % 7) {
        bits = static_cast<uint8_t>(bits | (1u << i));
        if (i == to) break;
      }
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
    return bits;
  }

  // "validity ID line=KEY from=DATE [until=DATE] [days=Mo-Fr] [second-kind] [substitute]"
  void ValidityStatement(Args& a) {
    int line = a.line();
    std::string id = a.Word("validity id");
    writer::LineValidity r;
    auto key = a.Option("line");
    if (!key) Fail(line, "a validity record needs the key of its line (line=N)");
    r.line_key = static_cast<int32_t>(Integer(line, *key, "line key", 0, INT32_MAX));
    auto from = a.Option("from");
    if (!from) Fail(line, "a validity record needs its first day (from=DATE)");
    r.first_day = Date(line, *from);
    if (auto v = a.Option("until")) {
      r.last_day = Date(line, *v);
      if (r.last_day < r.first_day) Fail(line, "the validity record ends before it begins");
    }
    if (auto v = a.Option("days")) r.weekdays = WeekdayBits(line, *v);
    while (a.More()) {
      std::string w = a.Word("'second-kind' or 'substitute'");
      if (w == "second-kind") {
        r.weekdays |= 0x80;
      } else if (w == "substitute") {
        r.flags = static_cast<int32_t>(0x80000000u);
      } else {
        Fail(line,
             "a validity record takes the words 'second-kind' and 'substitute', not '" + w + "'");
      }
    }
    if (validity_.size() >= 0xFFFF) Fail(line, "more than 65535 validity records");
    Declare(line, validityIds_, id, static_cast<int>(validity_.size()), "validity record");
    validity_.push_back(r);
    NeedVersion(line, 18, "a line validity record");
  }

  void StationStatement(Statement const& s) {
    int line = s.head.number;
    Args a(*this, s.head, "station");
    std::string id = a.Word("station id");
    if (IsDigits(id) || id[0] == '-' || id.find(':') != std::string::npos) {
      Fail(line, "a station id starts with a letter and holds no ':' (" + id + ")");
    }
    if (kTrainWords.count(id))
      Fail(line, "'" + id + "' is a keyword of trains and cannot be a station id");
    writer::Station st;
    st.key =
        static_cast<int32_t>(Integer(line, a.Word("station key"), "station key", 1, INT32_MAX));
    st.name = a.Texts("station name", true);
    // A station stated without a type is a stop where travellers may get off.
    st.type = kStationStop;
    if (auto v = a.Option("type"))
      st.type = static_cast<uint16_t>(Integer(line, *v, "type", 0, 0xFFFF));
    if (auto v = a.Option("region"))
      st.region = static_cast<int16_t>(Named(line, regions_, *v, "region"));
    if (auto v = a.Option("change")) {
      st.change_time = static_cast<int16_t>(Integer(line, *v, "change time", 0, 0x7FFF));
    }
    if (auto v = a.Option("shift")) {
      st.time_shift = static_cast<int16_t>(Integer(line, *v, "time shift", -1440, 1440));
    }
    if (auto v = a.Option("remark")) {
      CheckText(line, *v, "station remark");
      st.remark = *v;
    }
    if (auto v = a.Option("merge")) {
      st.merge_key = static_cast<int32_t>(Integer(line, *v, "merge key", 1, INT32_MAX));
      mergeKeyLines_.push_back(line);
    }
    if (auto v = a.Option("services")) st.service_set = SetOf(line, Split(*v));
    a.Finish();
    std::vector<std::pair<int32_t, int16_t>> shifts;  // until day, shift; in source order
    for (Line const& b : s.body) {
      std::string const& k = b.tokens[0].value;
      Args p(*this, b, k);
      if (k == "remark") {
        st.remark = OneText(p, "station remark");
      } else if (k == "shift") {
        // "shift MINUTES until DATE": the shift up to and including that day.
        int16_t minutes =
            static_cast<int16_t>(Integer(b.number, p.Word("minutes"), "time shift", -1440, 1440));
        if (p.Word("'until'") != "until") Fail(b.number, "write 'shift MINUTES until DATE'");
        int32_t until = Date(b.number, p.Word("last day"));
        if (!shifts.empty() && until <= shifts.back().first)
          Fail(b.number, "the shift lines of a station go by their last days, earliest first");
        shifts.push_back({until, minutes});
      } else {
        Fail(b.number, "a station takes only 'remark' and 'shift' lines");
      }
      p.Finish();
    }
    if (!shifts.empty()) {
      // The kernel scans a list from its end and takes the first entry that
      // still holds on the day; the first entry serves every later day.
      st.time_shift_list.push_back({INT32_MAX, st.time_shift});
      for (auto it = shifts.rbegin(); it != shifts.rend(); ++it)
        st.time_shift_list.push_back({it->first, it->second});
    }
    uint16_t index = static_cast<uint16_t>(model().stations.size());
    Declare(line, stationIds_, id, index, "station");
    if (!stationKeys_.emplace(st.key, index).second) {
      Fail(line, "station key " + std::to_string(st.key) + " is given twice");
    }
    model().stations.push_back(std::move(st));
    out_.station_lines.push_back(line);
  }

  void TrackStatement(Statement const& s) {
    Args a(*this, s.head, "track");
    if (a.More()) OneText(a, "track name");  // for the reader of the source only
    a.Finish();
    std::optional<std::pair<uint16_t, int32_t>> previous;
    for (Line const& b : s.body) {
      Args p(*this, b, "track", 0);
      uint16_t station = Station(b.number, p.Next("station"));
      int32_t at = Kilometres(b.number, p.Word("kilometre"));
      p.Finish();
      if (previous) {
        if (previous->first == station) Fail(b.number, "a track passes a station twice in a row");
        AddArc(previous->first, station, std::abs(at - previous->second), false);
      }
      previous = {station, at};
    }
    if (s.body.size() < 2) Fail(s.head.number, "a track needs at least two stations");
  }

  void TrainTypeStatement(Statement const& s) {
    int line = s.head.number;
    Args a(*this, s.head, "traintype");
    std::string id = a.Word("type id");
    writer::TrainType type;
    type.abbreviation = a.More() ? a.Texts("abbreviation", true) : LangText{id};
    CheckText(line, type.abbreviation[0], "type abbreviation");
    a.Finish();
    for (Line const& b : s.body) {
      Args p(*this, b, b.tokens[0].value);
      if (b.tokens[0].value != "long") Fail(b.number, "a train type takes only 'long' lines");
      type.description = p.Texts("long name", true);
      p.Finish();
    }
    Declare(line, types_, id, static_cast<int>(model().train_types.size()), "train type");
    model().train_types.push_back(std::move(type));
  }

  void CalendarStatement(Statement const& s) {
    int line = s.head.number;
    Args a(*this, s.head, "calendar");
    std::string id = a.Word("calendar id");
    a.Finish();
    NeedValidity(line);
    if (id == "daily") Fail(line, "'daily' is the calendar of every day and cannot be declared");
    size_t days = model().last_day - model().first_day + 1;
    std::vector<char> runs(days, 0);
    writer::Calendar calendar;
    if (s.body.empty()) Fail(line, "a calendar needs 'run' lines");
    for (Line const& b : s.body) {
      std::string const& verb = b.tokens[0].value;
      Args p(*this, b, verb);
      if (verb == "remark") {
        calendar.remarks.push_back(p.Texts("day remark", true));
        p.Finish();
        continue;
      }
      if (verb != "run" && verb != "except" && verb != "only") {
        Fail(b.number,
             "a calendar takes 'run', 'except', 'only' and 'remark' lines, not '" + verb + "'");
      }
      if (!p.More())
        Fail(b.number, "'" + verb + "' needs days: weekdays, dates, ranges or holidays");
      std::vector<char> picked(days, 0);
      while (p.More()) Select(b.number, p.Word("days"), picked);
      p.Finish();
      for (size_t d = 0; d < days; ++d) {
        if (verb == "run") runs[d] = runs[d] || picked[d];
        if (verb == "except") runs[d] = runs[d] && !picked[d];
        if (verb == "only") runs[d] = runs[d] && picked[d];
      }
    }
    for (size_t d = 0; d < days; ++d) {
      if (runs[d]) calendar.days.push_back(static_cast<uint16_t>(model().first_day + d));
    }
    if (calendar.days.empty()) Fail(line, "calendar " + id + " runs on no day of the validity");
    Declare(line, calendars_, id, static_cast<int>(model().calendars.size()), "calendar");
    model().calendars.push_back(std::move(calendar));
    out_.calendar_lines.push_back(line);
  }

  // One selector of a calendar line, added to picked.
  void Select(int line, std::string const& word, std::vector<char>& picked) {
    uint16_t first = model().first_day;
    std::string w = Lower(word);
    if (w == "daily") {
      std::fill(picked.begin(), picked.end(), 1);
      return;
    }
    if (w == "holidays") {
      if (holidays_.empty())
        Fail(line, "no holidays are declared (declare them before the calendars)");
      holidaysUsed_ = true;
      for (uint16_t d : holidays_) picked[d - first] = 1;
      return;
    }
    if (word.find('.') != std::string::npos) {
      for (uint16_t d : DateSpan(line, word)) picked[d - first] = 1;
      return;
    }
    // Weekdays, Monday first: "mo", "sa", "mo-fr" (a range may wrap: "fr-mo").
    static const std::vector<std::string> names = {"mo", "tu", "we", "th", "fr", "sa", "su"};
    auto index = [&](std::string const& n) {
      auto it = std::find(names.begin(), names.end(), n);
      if (it == names.end()) {
        Fail(line, "unknown days '" + word +
                       "' (weekdays Mo..Su, a range Mo-Fr, a date, "
                       "a range of dates, holidays or daily)");
      }
      return static_cast<int>(it - names.begin());
    };
    size_t dash = w.find('-');
    int from = index(w.substr(0, dash));
    int to = dash == std::string::npos ? from : index(w.substr(dash + 1));
    std::vector<bool> week(7, false);
    for (int i = from;; i = (i + 1) % 7) {
      week[i] = true;
      if (i == to) break;
    }
    for (size_t d = 0; d < picked.size(); ++d) {
      int weekday = WeekdayOf(first + static_cast<int>(d));  // 0 Sunday
      int mondayFirst = (weekday + 6) % 7;
      if (week[mondayFirst]) picked[d] = 1;
    }
  }

  void ListStatement(Statement const& s) {
    int line = s.head.number;
    Args a(*this, s.head, "list");
    std::string id = a.Word("list id");
    writer::VirtList list;
    auto type = a.Option("type");
    if (!type) Fail(line, "a list needs its type (type=1 towns, type=2 stops, ...)");
    list.type = static_cast<uint32_t>(Integer(line, *type, "list type", 0, INT32_MAX));
    if (auto v = a.Option("kind"))
      list.default_kind = static_cast<uint8_t>(Integer(line, *v, "kind", 0, 127));
    list.name = a.Texts("list name", true);
    a.Finish();
    std::set<int32_t> keys;
    for (Line const& b : s.body) {
      Args p(*this, b, "item");
      if (b.tokens[0].value != "item") Fail(b.number, "a list takes only 'item' lines");
      writer::VirtListItem item;
      item.kind = static_cast<int8_t>(list.default_kind);
      if (auto v = p.Option("key")) {
        item.key = static_cast<int32_t>(Integer(b.number, *v, "item key", 1, INT32_MAX));
        if (!keys.insert(item.key).second)
          Fail(b.number, "item key " + *v + " is given twice in this list");
      }
      if (auto v = p.Option("kind"))
        item.kind = static_cast<int8_t>(Integer(b.number, *v, "kind", -128, 127));
      if (p.NextIsText()) item.name = p.Texts("item name", false);
      while (p.More()) item.stations.push_back(Station(b.number, p.Next("station")));
      p.Finish();
      if (item.stations.empty()) Fail(b.number, "an item needs at least one station");
      list.items.push_back(std::move(item));
    }
    if (list.items.empty()) Fail(line, "a list needs 'item' lines");
    Declare(line, lists_, id, static_cast<int>(model().virtual_lists.size()), "list");
    model().virtual_lists.push_back(std::move(list));
  }

  void LinkStatement(Statement const& s) {
    int line = s.head.number;
    Args a(*this, s.head, "link");
    writer::LinkRecord link;
    auto kind = a.Option("kind");
    if (!kind)
      Fail(line, "a link needs the kind of the other timetable (kind=rail, bus, city, air)");
    static const std::map<std::string, uint8_t> kinds = {
        {"rail", 1}, {"bus", 2}, {"city", 3}, {"air", 4}};
    auto it = kinds.find(Lower(*kind));
    link.kind =
        it != kinds.end() ? it->second : static_cast<uint8_t>(Integer(line, *kind, "kind", 0, 255));
    if (auto v = a.Option("area"))
      link.area = static_cast<uint8_t>(Integer(line, *v, "area", 0, 255));
    a.Finish();
    for (Line const& b : s.body) {
      Args p(*this, b, "link", 0);
      writer::LinkEntry e;
      e.station = Station(b.number, p.Next("station"));
      e.other_key = static_cast<int32_t>(
          Integer(b.number, p.Word("key in the other timetable"), "key", 1, INT32_MAX));
      e.value = static_cast<uint8_t>(Integer(b.number, p.Word("minutes"), "minutes", 0, 255));
      p.Finish();
      link.entries.push_back(e);
    }
    if (link.entries.empty()) Fail(line, "a link needs lines 'STATION KEY MINUTES'");
    model().links.push_back(std::move(link));
    NeedVersion(line, 3, "a link");
  }

  // ---- trains ----------------------------------------------------------

  struct RawStop {
    int line = 0;
    uint16_t station = 0;
    std::vector<int> times;  // one or two entries, writer::kNoTime for '-'
    uint16_t flags = 0;
    std::optional<int32_t> distance;
  };

  // "every MINUTES [from TIME] until TIME [step=N] [days=CALENDAR]"
  struct Series {
    int line = 0;
    int every = 0;
    std::optional<int> from;
    int until = 0;
    int step = 0;
    std::optional<int> calendar;
  };

  struct StationNote {
    uint16_t station;
    std::string code;
    LangText text;
  };

  void TrainStatement(Statement const& s) {
    int line = s.head.number;
    Args a(*this, s.head, "train");
    writer::Train train;
    std::string type = a.Word("train type");
    if (type == "-") {
      if (!model().train_types.empty()) Fail(line, "this timetable has train types: name one");
    } else {
      train.type = Named(line, types_, type, "train type");
    }
    Token const& number = a.Next("train number");
    CheckText(line, number.value, "train number");
    train.number = number.value;
    if (a.NextIsText()) train.second_number = OneText(a, "train name");
    if (auto v = a.Option("days")) train.calendar = CalendarOf(line, *v);
    if (auto v = a.Option("line"))
      train.line = static_cast<int16_t>(Named(line, lines_, *v, "line"));
    if (auto v = a.Option("owner"))
      train.owner = static_cast<int16_t>(Named(line, owners_, *v, "owner"));
    if (auto v = a.Option("physical"))
      train.physical_type = static_cast<int16_t>(Named(line, physicalIds_, *v, "physical type"));
    std::optional<std::string> ref = a.Option("ref");
    a.Finish();

    std::vector<RawStop> stops;
    std::vector<StationNote> notes;
    std::vector<Series> series;
    std::vector<uint16_t> validity;
    std::vector<std::pair<uint16_t, int16_t>> stationSets;  // station, service-code set
    std::vector<std::pair<std::string, std::string>> regionNumbers;
    std::optional<writer::ThroughRunning> through;
    for (Line const& b : s.body) {
      Token const& first = b.tokens[0];
      if (first.kind != Token::Kind::kWord) Fail(b.number, "a line of a train starts with a word");
      std::string const& k = first.value;
      if (!kTrainWords.count(k)) {
        stops.push_back(StopLine(b));
        continue;
      }
      Args p(*this, b, k);
      if (k == "days") {
        train.calendar = CalendarOf(b.number, p.Word("calendar"));
      } else if (k == "line") {
        train.line = static_cast<int16_t>(Named(b.number, lines_, p.Word("line"), "line"));
      } else if (k == "owner") {
        train.owner = static_cast<int16_t>(Named(b.number, owners_, p.Word("owner"), "owner"));
      } else if (k == "validity") {
        while (p.More()) {
          validity.push_back(static_cast<uint16_t>(
              Named(b.number, validityIds_, p.Word("validity id"), "validity record")));
        }
        if (validity.empty()) Fail(b.number, "'validity' needs the ids of validity records");
      } else if (k == "services") {
        std::vector<std::string> codes;
        while (p.More()) codes.push_back(p.Word("service code"));
        int16_t set = SetOf(b.number, codes);
        if (auto v = p.Option("at")) {
          Token at;
          at.value = *v;
          stationSets.push_back({Station(b.number, at), set});
        } else {
          train.service_set = set;
        }
      } else if (k == "region-number") {
        std::string code = OneText(p, "region code");
        std::string number = OneText(p, "number");
        if (writer::ToCp1250(code, "region code").size() > 4)
          Fail(b.number, "a region code has at most 4 characters");
        if (writer::ToCp1250(number, "number").size() > 8)
          Fail(b.number, "a regional number has at most 8 characters");
        regionNumbers.push_back({code, number});
        NeedVersion(b.number, 13, "a regional number");
      } else if (k == "through") {
        writer::ThroughRunning r;
        r.station = Station(b.number, p.Next("station"));
        if (auto v = p.Option("line"))
          r.line_value = static_cast<int32_t>(Integer(b.number, *v, "line number", 1, INT32_MAX));
        through = r;
        NeedVersion(b.number, 11, "through running");
      } else if (k == "line-ends") {
        while (p.More()) {
          std::string w = p.Word("'not-start' or 'not-end'");
          if (w == "not-start")
            train.start_end_flags |= static_cast<int8_t>(0x80);
          else if (w == "not-end")
            train.start_end_flags |= 0x40;
          else
            Fail(b.number, "write 'line-ends [not-start] [not-end]', not '" + w + "'");
        }
        NeedVersion(b.number, 11, "line ends");
      } else if (k == "pattern") {
        train.stop_pattern = Named(b.number, patterns_, p.Word("pattern id"), "pattern");
        if (auto v = p.Option("group"))
          train.stop_pattern_byte = static_cast<uint8_t>(Integer(b.number, *v, "group", 0, 63));
        while (p.More()) {
          std::string w = p.Word("'not-start' or 'not-end'");
          if (w == "not-start")
            train.stop_pattern_byte |= 0x80;
          else if (w == "not-end")
            train.stop_pattern_byte |= 0x40;
          else
            Fail(b.number, "write 'pattern ID [group=N] [not-start] [not-end]', not '" + w + "'");
        }
      } else if (k == "attributes") {
        train.attributes =
            static_cast<uint32_t>(Integer(b.number, p.Word("bits"), "attributes", 0, UINT32_MAX));
      } else if (k == "remark") {
        if (p.NextIsText()) {
          train.remarks.push_back(p.Texts("remark", true));
        } else {
          std::string id = p.Word("remark id or text");
          auto it = remarks_.find(id);
          if (it == remarks_.end()) Fail(b.number, "unknown remark " + id);
          train.remarks.push_back(it->second);
        }
      } else if (k == "note") {
        StationNote n;
        n.station = Station(b.number, p.Next("station"));
        n.code = NoteCode(p);
        n.text = p.Texts("note text", false);
        notes.push_back(std::move(n));
      } else if (k == "every") {
        Series r;
        r.line = b.number;
        r.every =
            static_cast<int>(Integer(b.number, p.Word("minutes"), "interval", 1, kMinutesPerDay));
        std::string word = p.Word("'from' or 'until'");
        if (word == "from") {
          r.from = Time(b.number, p.Word("first departure"));
          word = p.Word("'until'");
        }
        if (word != "until") Fail(b.number, "write 'every MINUTES [from TIME] until TIME'");
        r.until = Time(b.number, p.Word("last departure"));
        if (auto v = p.Option("step")) {
          r.step = static_cast<int>(Integer(b.number, *v, "number step", 0, 1000000));
          if (!IsDigits(train.number)) Fail(b.number, "step= needs a train number made of digits");
        }
        if (auto v = p.Option("days")) r.calendar = CalendarOf(b.number, *v);
        series.push_back(r);
      }
      p.Finish();
    }
    BuildStops(line, stops, train);
    // A repeated train becomes one model train per departure, series after
    // series, so that its notes can name them as one range of trains.
    int start = train.stops.front().departure;
    if (series.empty()) series.push_back({line, 1, start, start, 0, std::nullopt});
    int32_t firstTrain = static_cast<int32_t>(model().trains.size());
    int64_t nextNumber = IsDigits(train.number) ? std::atoll(train.number.c_str()) : 0;
    for (Series const& r : series) {
      int from = r.from.value_or(start);
      if (r.until < from) Fail(r.line, "the last departure lies before the first one");
      if (r.until >= kMinutesPerDay) Fail(r.line, "the last departure must lie before 24:00");
      for (int departure = from; departure <= r.until; departure += r.every) {
        writer::Train copy = train;
        if (r.calendar) copy.calendar = *r.calendar;
        if (r.step) {
          copy.number = std::to_string(nextNumber);
          nextNumber += r.step;
        }
        for (writer::Stop& stop : copy.stops) {
          if (stop.arrival != writer::kNoTime) stop.arrival += departure - start;
          if (stop.departure != writer::kNoTime) stop.departure += departure - start;
        }
        model().trains.push_back(std::move(copy));
        out_.train_lines.push_back(line);
        trainValidity_.push_back(validity);
      }
    }
    int32_t lastTrain = static_cast<int32_t>(model().trains.size()) - 1;
    if (ref) {
      if (firstTrain != lastTrain)
        Fail(line, "ref= names one train, but 'every' lines make several of this one");
      Declare(line, trainRefs_, *ref, firstTrain, "train ref");
    }
    for (auto const& [station, set] : stationSets) {
      writer::StationRemark r;
      r.train = firstTrain;
      r.last_train = lastTrain;
      r.station = station;
      r.service_set = set;
      model().station_remarks.push_back(std::move(r));
    }
    for (int32_t t = firstTrain; through && t <= lastTrain; ++t) {
      writer::ThroughRunning r = *through;
      r.train = t;
      model().through_running.push_back(r);
    }
    for (auto const& [code, number] : regionNumbers) {
      model().region_numbers.push_back({firstTrain, lastTrain, code, number});
    }
    for (StationNote& n : notes) {
      writer::StationRemark r;
      r.train = firstTrain;
      r.last_train = lastTrain;
      r.station = n.station;
      r.code = n.code;
      r.text = std::move(n.text);
      model().station_remarks.push_back(std::move(r));
    }
  }

  int CalendarOf(int line, std::string const& name) {
    if (name == "daily") return -1;
    return Named(line, calendars_, name, "calendar");
  }

  std::string NoteCode(Args& p) {
    Token const& t = p.Next("note code");
    CheckText(p.line(), t.value, "note code");
    if (writer::ToCp1250(t.value, "note code").size() > 4)
      Fail(p.line(), "a note code has at most 4 characters");
    return t.value;
  }

  // "from 'PHA 8:03 8:05 out km=12.3'"
  RawStop StopLine(Line const& b) {
    Args p(*this, b, "stop", 0);
    RawStop stop;
    stop.line = b.number;
    stop.station = Station(b.number, p.Next("station"));
    while (p.More() && !p.NextIsText()) {
      std::string w = p.Word("time");
      if (w == "-") {
        stop.times.push_back(writer::kNoTime);
      } else if (w.find(':') != std::string::npos) {
        stop.times.push_back(Time(b.number, w));
      } else if (w == "in") {
        stop.flags |= kStopNoAlighting;
      } else if (w == "out") {
        stop.flags |= kStopNoBoarding;
      } else if (w == "request") {
        stop.flags |= kStopRequest;
      } else {
        Fail(b.number,
             "a stop line is 'STATION [ARRIVAL] DEPARTURE [in|out|request]', not '" + w + "'");
      }
      if (stop.times.size() > 2)
        Fail(b.number, "a stop has at most two times: arrival and departure");
    }
    if (auto v = p.Option("flags")) {
      uint16_t f = static_cast<uint16_t>(Integer(b.number, *v, "flags", 0, 0xFFFF));
      if (f & ~writer::kStopFlagMask)
        Fail(b.number, "stop flags are bits 0x0800, 0x1000, 0x4000, 0x8000");
      stop.flags |= f;
    }
    if (auto v = p.Option("km")) stop.distance = Kilometres(b.number, *v);
    p.Finish();
    if (stop.times.empty()) Fail(b.number, "a stop needs a time");
    return stop;
  }

  void BuildStops(int line, std::vector<RawStop> const& raw, writer::Train& train) {
    if (raw.size() < 2) Fail(line, "a train needs at least two stops");
    size_t withDistance = 0;
    int previous = -1;
    for (size_t i = 0; i < raw.size(); ++i) {
      RawStop const& r = raw[i];
      bool first = i == 0, last = i + 1 == raw.size();
      writer::Stop stop;
      stop.station = r.station;
      stop.flags = r.flags;
      stop.distance = r.distance;
      if (r.distance) ++withDistance;
      if (r.times.size() == 2) {
        stop.arrival = r.times[0];
        stop.departure = r.times[1];
      } else if (first) {
        stop.departure = r.times[0];
      } else if (last) {
        stop.arrival = r.times[0];
      } else {
        stop.arrival = stop.departure = r.times[0];
      }
      if (first && stop.departure == writer::kNoTime)
        Fail(r.line, "the first stop needs a departure");
      if (last && stop.arrival == writer::kNoTime) Fail(r.line, "the last stop needs an arrival");
      if (stop.arrival == writer::kNoTime && stop.departure == writer::kNoTime) {
        Fail(r.line, "a stop needs a time");
      }
      if (first) stop.arrival = writer::kNoTime;
      if (last) stop.departure = writer::kNoTime;
      for (int t : {stop.arrival, stop.departure}) {
        if (t == writer::kNoTime) continue;
        if (t < previous) {
          Fail(r.line, "time " + TimeText(t) + " lies before the time " + TimeText(previous) +
                           " above it (after midnight write " + TimeText(t + kMinutesPerDay) + ")");
        }
        previous = t;
      }
      if (first && stop.departure >= kMinutesPerDay) {
        Fail(r.line, "a train's first departure lies before 24:00");
      }
      train.stops.push_back(stop);
    }
    if (withDistance != 0 && withDistance != raw.size()) {
      Fail(line, "give km= at every stop of a train or at none");
    }
  }

  void NoteLine(Args& a, int32_t train, int32_t lastTrain) {
    writer::StationRemark r;
    r.train = train;
    r.last_train = lastTrain;
    r.station = Station(a.line(), a.Next("station"));
    r.code = NoteCode(a);
    r.text = a.Texts("note text", false);
    model().station_remarks.push_back(std::move(r));
  }

  // ---- end -------------------------------------------------------------

  void Finish() {
    auto& m = model();
    // What is missing altogether has no line to name.
    auto missing = [&](std::string const& why) { throw SourceError(out_.file_name + ": " + why); };
    if (!validSet_) missing("the source gives no validity ('valid FIRST LAST')");
    if (!dataSet_) {
      m.data_from = m.first_day;
      m.data_to = m.last_day;
    }
    if (!createdSet_) m.creation_date = m.first_day;
    if (!nameSet_) missing("the source gives no name ('name TEXT', or one text per language)");
    if (m.stations.empty()) missing("the source declares no station");
    for (auto const& need : versionNeeds_) {
      if (m.format_version < need.version) {
        Fail(need.line, need.what + " needs format version " + std::to_string(need.version) +
                            " or later (the source gives " + std::to_string(m.format_version) +
                            ")");
      }
    }
    for (uint16_t d : holidays_) m.days_off.push_back(d);
    FinishValidity();
    FinishTrainData();
    FinishTowns();
    // A station declared after the QMap would take over a place's key.
    for (TownLine const& place : placeLines_) {
      if (stationKeys_.count(place.key))
        Fail(place.line, "key " + std::to_string(place.key) + " is a station's: give it by 'coor'");
    }
    if (!summarySet_) m.description = CutCharacters(m.names[0], 99);
    for (ExtensionFile& e : out_.extensions) e.model.owner_id = static_cast<int32_t>(m.id);
    if (!fareCategories_.empty()) {
      writer::FareModel& f = Fares(0);
      for (writer::Train const& t : m.trains) {
        auto it = fareCategories_.find(t.type);
        f.train_categories.push_back(
            static_cast<int8_t>(it == fareCategories_.end() ? -1 : it->second));
      }
    }
  }

  // The kernel walks the records of one line in order of their first day,
  // so the file holds them sorted by line and first day whatever order the
  // source gives.
  void FinishValidity() {
    auto& m = model();
    if (validity_.empty()) return;
    std::vector<uint16_t> order(validity_.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<uint16_t>(i);
    std::stable_sort(order.begin(), order.end(), [&](uint16_t x, uint16_t y) {
      return std::pair(validity_[x].line_key, validity_[x].first_day) <
             std::pair(validity_[y].line_key, validity_[y].first_day);
    });
    std::vector<uint16_t> position(order.size());
    for (size_t i = 0; i < order.size(); ++i) {
      m.line_validity.push_back(validity_[order[i]]);
      position[order[i]] = static_cast<uint16_t>(i);
    }
    for (std::vector<uint16_t>& list : trainValidity_) {
      for (uint16_t& i : list) i = position[i];
    }
    m.train_validity = trainValidity_;
  }

  void FinishTrainData() {
    auto& m = model();
    if (!m.physical_types.empty()) {
      for (size_t t = 0; t < m.trains.size(); ++t) {
        if (m.trains[t].physical_type < 0)
          Fail(out_.train_lines[t],
               "the timetable has physical types: give this train one (physical=ID)");
      }
    }
    if (m.merge_kind == 0 && !mergeKeyLines_.empty())
      Fail(mergeKeyLines_.front(),
           "merge= needs a 'merge' line naming the merged timetable's kind");
    if (!passVia_.empty()) {
      m.pass_via.assign(m.stations.size(), {});
      for (auto const& [station, arcs] : passVia_) m.pass_via[station] = arcs;
    }
    if (!dayTypes_.empty()) {
      bool everyDay = std::any_of(m.trains.begin(), m.trains.end(),
                                  [](writer::Train const& t) { return t.calendar < 0; });
      size_t classes = m.calendars.size() + (everyDay ? 1 : 0);
      m.day_type_windows.assign(9 * 25, std::vector<uint8_t>((classes + 7) / 8, 0));
      for (DayTypeSet const& set : dayTypes_) {
        for (int c : set.calendars) {
          if (c < 0 && !everyDay)
            Fail(set.line, "no train runs daily, so 'daily' is no class here");
          size_t cls = c < 0 ? m.calendars.size() : static_cast<size_t>(c);
          m.day_type_windows[set.index][cls / 8] |= static_cast<uint8_t>(1u << (cls % 8));
        }
      }
    }
  }

  struct DayTypeSet {
    int line = 0;
    int index = 0;
    std::vector<int> calendars;  // -1: the class of daily trains
  };

  struct VersionNeed {
    int line;
    uint32_t version;
    std::string what;
  };

  CompiledSource out_;
  bool multiTexts_ = false, validSet_ = false, dataSet_ = false, createdSet_ = false;
  bool summarySet_ = false, holidaysUsed_ = false, nameSet_ = false, mapSet_ = false;
  bool qmapSet_ = false;
  struct TownLine {
    int line;
    int32_t key;
  };
  std::vector<TownLine> towns_;
  std::vector<TownLine> placeLines_;  // the QMap's places: line and key
  std::map<std::string, int> currencies_, fareTables_;
  std::map<int, int> fareCategories_;  // train type -> fare category

  std::map<std::string, int> stationIds_;
  std::map<int64_t, int> stationKeys_;
  std::map<std::string, int> regions_, types_, calendars_, lines_, owners_, lists_;
  std::map<std::string, LangText> remarks_;
  std::map<std::string, int> validityIds_, services_, physicalIds_, trainRefs_, patterns_;
  std::vector<int> mergeKeyLines_;
  std::map<uint16_t, std::vector<int32_t>> passVia_;
  std::vector<DayTypeSet> dayTypes_;
  std::vector<writer::LineValidity> validity_;
  std::vector<std::vector<uint16_t>> trainValidity_;  // per model train, source order
  std::set<uint16_t> holidays_;
  std::vector<VersionNeed> versionNeeds_;
};

Args::Args(Compiler& c, Line const& line, std::string what, size_t first)
    : c_(c), line_(line), what_(std::move(what)) {
  for (size_t i = first; i < line.tokens.size(); ++i) {
    Token const& t = line.tokens[i];
    if (t.kind != Token::Kind::kOption) {
      positional_.push_back(t);
    } else if (!options_.emplace(t.key, t.value).second) {
      c_.Fail(line.number, "option " + t.key + "= is given twice");
    }
  }
}

Token const& Args::Next(std::string const& role) {
  if (!More()) c_.Fail(line_.number, "missing " + role);
  return positional_[next_++];
}

std::string Args::Word(std::string const& role) {
  Token const& t = Next(role);
  if (t.kind != Token::Kind::kWord) c_.Fail(line_.number, "expected " + role + ", not a text");
  return t.value;
}

LangText Args::Texts(std::string const& role, bool required) {
  LangText texts;
  while (NextIsText()) {
    texts.push_back(positional_[next_++].value);
    c_.CheckText(line_.number, texts.back(), role);
  }
  if (required && texts.empty()) c_.Fail(line_.number, "missing " + role + " (a text in quotes)");
  size_t n = c_.LanguageCount();
  if (texts.size() > 1 && texts.size() != n) {
    c_.Fail(line_.number, std::to_string(texts.size()) + " texts for " + role +
                              ", but the timetable has " + std::to_string(n) +
                              (n == 1 ? " language" : " languages") +
                              " (give one text, or one per language)");
  }
  c_.SawTexts(texts.size());
  return texts;
}

std::optional<std::string> Args::Option(std::string const& key) {
  auto it = options_.find(key);
  if (it == options_.end()) return std::nullopt;
  std::string v = it->second;
  options_.erase(it);
  return v;
}

void Args::Finish() {
  if (More()) {
    Token const& t = positional_[next_];
    c_.Fail(line_.number,
            "unexpected " +
                (t.kind == Token::Kind::kText ? "\"" + t.value + "\"" : "'" + t.value + "'") +
                " in " + what_);
  }
  if (!options_.empty()) {
    c_.Fail(line_.number, "unknown option " + options_.begin()->first + "= for " + what_);
  }
}

}  // namespace

CompiledSource ParseTimetableSource(std::string_view text, std::string const& file_name) {
  return Compiler(file_name).Run(text);
}

CompiledFiles WriteCompiledSource(CompiledSource const& source) {
  CompiledFiles files;
  try {
    files.timetable = writer::WriteTimetable(source.model, source.options);
    for (ExtensionFile const& e : source.extensions) {
      files.extensions.emplace_back(e.name, writer::WriteExtension(e.model));
    }
  } catch (writer::ModelError const& e) {
    // The writer names model positions ("train 3, stop 2: ..."); give the
    // source line of that train, station or calendar where there is one.
    std::string what = e.what();
    int line = 0;
    for (auto [prefix, lines] :
         {std::pair{"train ", &source.train_lines}, std::pair{"station ", &source.station_lines},
          std::pair{"calendar ", &source.calendar_lines}}) {
      std::string p = prefix;
      if (what.compare(0, p.size(), p) != 0) continue;
      size_t end = what.find_first_not_of("0123456789", p.size());
      std::string digits = what.substr(p.size(), end - p.size());
      if (!IsDigits(digits)) continue;
      size_t index = std::stoul(digits);
      if (index < lines->size()) line = (*lines)[index];
    }
    throw SourceError(source.file_name + (line ? ":" + std::to_string(line) : std::string()) +
                      ": " + what);
  }
  return files;
}

std::string ExtensionPath(std::string const& timetable_path, std::string const& name) {
  if (name.empty() || name.find_first_of("/\\") != std::string::npos) {
    throw SourceError("extension file name '" + name + "' is not a plain file name");
  }
  size_t slash = timetable_path.find_last_of("/\\");
  std::string dir = slash == std::string::npos ? "" : timetable_path.substr(0, slash + 1);
  if (name[0] != '.') return dir + name;
  std::string file = timetable_path.substr(dir.size());
  size_t dot = file.rfind('.');
  return dir + (dot == std::string::npos ? file : file.substr(0, dot)) + name;
}

}  // namespace qo::textsource
