// Remark exports: remarks of trains at stations, general remarks with their
// control parts, owners and lines, day remarks, and description fields.
#include <string>
#include <vector>

#include "Qo.h"
#include "api/export_support.h"
#include "info/timetable_info.h"
#include "load/timetable_record.h"
#include "remarks/day_remarks.h"
#include "remarks/general_remarks.h"
#include "remarks/owners.h"
#include "remarks/station_remarks.h"

using namespace qo;

namespace {

constexpr int kLanguageLetterFloor = 33;

int StationRemarkOut(int timetable, int language, int train, int station, int n, char const** code,
                     char const** text, std::vector<char>& codeOut, std::vector<char>& textOut) {
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !api::CheckLanguage(*t, language) || !api::CheckTrain(*t, train) ||
        !api::CheckStation(*t, station))
      return 0;
    qo::StationRemark remark;
    if (!FindStationRemark(*t, static_cast<uint32_t>(train), static_cast<uint16_t>(station), n,
                           &remark))
      return 0;
    // A code of all four characters is stored without its terminator: the
    // copy has one.
    if (code) *code = api::ConvertOut(remark.Code, codeOut);
    std::string_view remarkText = StationRemarkText(*t, language, remark.Text);
    if (text) *text = api::ConvertOut(remarkText, textOut);
    return 1;
  });
}

// The checks every general-remark export shares; false with the error set.
bool CheckRemark(TimetableRecord const* t, int language, int train, int i) {
  if (!t || !api::CheckLanguage(*t, language) || !api::CheckTrain(*t, train)) return false;
  if (i >= 0 && i < CountGeneralRemarks(*t, static_cast<uint32_t>(train))) return true;
  SetKernelError(ErrIndexOutOfRange);
  return false;
}

// A processed remark handed out: its visible text shown, its "$" flag and
// its code.
struct ProcessedOut {
  std::string shown;
  std::vector<char> code, text;

  char const* Hand(TimetableRecord const& t, RemarkParts const& parts, int* flag,
                   char const** codeOut) {
    RemarkDisplayText(t, parts.Visible, shown);
    if (flag) *flag = parts.Flag ? 1 : 0;
    if (codeOut) *codeOut = api::ConvertOut(parts.Code, code);
    return api::ConvertOut(shown, text);
  }
};

char const* Description(int timetable, int language, int index, bool owner, bool process,
                        std::string& shown, std::vector<char>& out) {
  return api::Export<char const*>(nullptr, [&]() -> char const* {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !api::CheckLanguage(*t, language)) return nullptr;
    std::string_view text = index < 0 ? std::string_view()
                            : owner   ? OwnerDescription(*t, language, index)
                                      : LineDescription(*t, language, index);
    shown = process ? OwnerDisplayText(text) : std::string(text);
    return api::ConvertOut(shown, out);
  });
}

}  // namespace

extern "C" {

QO_API int QoTrStRemCount(int timetable, int train, int station) {
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !api::CheckTrain(*t, train) || !api::CheckStation(*t, station)) return 0;
    return static_cast<int>(
        StationRemarkCount(*t, static_cast<uint32_t>(train), static_cast<uint16_t>(station)));
  });
}

QO_API int QoTrStRemExt(int timetable, int language, int train, int station, int n,
                        char const** code, char const** text) {
  static std::vector<char> codeOut, textOut;
  return StationRemarkOut(timetable, language, train, station, n, code, text, codeOut, textOut);
}

QO_API int QoTrStRem(int timetable, int language, int train, int station, char const** code,
                     char const** text) {
  static std::vector<char> codeOut, textOut;
  return StationRemarkOut(timetable, language, train, station, 0, code, text, codeOut, textOut);
}

QO_API int QoTrRem1Count(int timetable, int train) {
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !api::CheckTrain(*t, train)) return 0;
    return static_cast<int>(CountGeneralRemarks(*t, static_cast<uint32_t>(train)));
  });
}

QO_API char const* QoTrRem1(int timetable, int language, int train, int i) {
  static std::string shown;
  static std::vector<char> out;
  return api::Export<char const*>(nullptr, [&]() -> char const* {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!CheckRemark(t, language, train, i)) return nullptr;
    std::string_view text = GeneralRemarkText(*t, language, static_cast<uint32_t>(train), i);
    RemarkDisplayText(*t, SplitRemark(text, false).Visible, shown);
    return api::ConvertOut(shown, out);
  });
}

QO_API char const* QoTrRem1Process(int timetable, int language, int train, int i, int* flag,
                                   char const** code) {
  static ProcessedOut out;
  return api::Export<char const*>(nullptr, [&]() -> char const* {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!CheckRemark(t, language, train, i)) return nullptr;
    std::string_view text = GeneralRemarkText(*t, language, static_cast<uint32_t>(train), i);
    return out.Hand(*t, SplitRemark(text, true), flag, code);
  });
}

QO_API char const* QoTrRem1ProcessExt(int timetable, int language, int train, int from, int to,
                                      int date, int i, int flags, int* flag, char const** code,
                                      char const** control) {
  static ProcessedOut out;
  static std::string controlOut;
  return api::GuardedExport<char const*>(nullptr, [&]() -> char const* {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!CheckRemark(t, language, train, i)) return nullptr;
    if (!api::CheckOptionalStation(*t, &from) || !api::CheckOptionalStation(*t, &to))
      return nullptr;
    RemarkParts parts;
    if (!GeneralRemarkHolds(*t, language, static_cast<uint32_t>(train), i, Journey{from, to, date},
                            flags, &parts))
      return nullptr;
    controlOut.assign(parts.Control);
    if (control) *control = controlOut.c_str();
    return out.Hand(*t, parts, flag, code);
  });
}

QO_API int QoTrOwnerExt(int timetable, int train, int from, int to, int date, int const** owners,
                        char const* const** texts) {
  static std::vector<TrainOwnerEntry> entries;
  static std::vector<int> ownerOut;
  static std::vector<std::vector<char>> textBuffers;
  static std::vector<char const*> textOut;
  if (owners) *owners = nullptr;
  if (texts) *texts = nullptr;
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !api::CheckTrain(*t, train)) return 0;
    if (!api::CheckOptionalStation(*t, &from) || !api::CheckOptionalStation(*t, &to)) return 0;
    GetTrainOwners(*t, static_cast<uint32_t>(train), Journey{from, to, date}, entries);
    ownerOut.clear();
    textOut.clear();
    textBuffers.resize(entries.size());
    for (size_t k = 0; k < entries.size(); ++k) {
      ownerOut.push_back(entries[k].Owner);
      textOut.push_back(entries[k].Text.empty() ? nullptr
                                                : api::ConvertOut(entries[k].Text, textBuffers[k]));
    }
    if (entries.empty()) return 0;
    if (owners) *owners = ownerOut.data();
    if (texts) *texts = textOut.data();
    return static_cast<int>(entries.size());
  });
}

QO_API int QoHasLineRem(int timetable) {
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    return t && HasLineRemarks(*t) ? 1 : 0;
  });
}

QO_API int QoTrRem2Count(int timetable, int train) {
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !api::CheckTrain(*t, train)) return 0;
    return static_cast<int>(DayRemarkCount(*t, static_cast<uint32_t>(train)));
  });
}

QO_API char const* QoTrRem2(int timetable, int language, int train, int i, int day_offset,
                            int force) {
  static std::string text;
  static std::vector<char> out;
  return api::GuardedExport<char const*>(nullptr, [&]() -> char const* {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return nullptr;
    char letter;
    if (language < kLanguageLetterFloor) {
      if (!api::CheckLanguage(*t, language)) return nullptr;
      letter = t->LanguageLetters[static_cast<size_t>(language)];
    } else {
      letter = static_cast<char>(language);
      language = GetLangIndex(*t, letter);
    }
    if (!api::CheckTrain(*t, train)) return nullptr;
    GetDayRemark(*t, language, letter, static_cast<uint32_t>(train), i, day_offset, force != 0,
                 text);
    return api::ConvertOut(text, out);
  });
}

QO_API int QoHaveRem2Txt(int timetable) {
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    return t && HasStoredDayRemarks(*t) ? 1 : 0;
  });
}

QO_API int QoGetLinesCount(int timetable) {
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    return t ? static_cast<int>(LineCount(*t)) : 0;
  });
}

QO_API int QoTrLine(int timetable, int train) {
  return api::Export<int>(-1, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !api::CheckTrain(*t, train)) return -1;
    return static_cast<int>(TrainLine(*t, static_cast<uint32_t>(train)));
  });
}

QO_API char const* QoLineDesc(int timetable, int language, int line) {
  static std::string shown;
  static std::vector<char> out;
  return Description(timetable, language, line, false, false, shown, out);
}

QO_API int QoGetOwnersCount(int timetable) {
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    return t ? static_cast<int>(OwnerCount(*t)) : 0;
  });
}

QO_API int QoTrOwner(int timetable, int train) {
  return api::Export<int>(-1, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !api::CheckTrain(*t, train)) return -1;
    return static_cast<int>(TrainOwner(*t, static_cast<uint32_t>(train)));
  });
}

QO_API char const* QoOwnerDesc(int timetable, int language, int owner) {
  static std::string shown;
  static std::vector<char> out;
  return Description(timetable, language, owner, true, false, shown, out);
}

QO_API char const* QoOwnerDescProcess(int timetable, int language, int owner) {
  static std::string shown;
  static std::vector<char> out;
  return Description(timetable, language, owner, true, true, shown, out);
}

QO_API char const* QoGetField(char const* name, char const* text) {
  static std::string value;
  return api::Export<char const*>(nullptr, [&]() -> char const* {
    std::string_view found;
    if (!name || !text || !GetField(name, text, &found)) return nullptr;
    value.assign(found);
    return value.c_str();
  });
}

QO_API int QoHasFields(char const* text) {
  return api::Export<int>(0, [&] { return text && HasFields(text) ? 1 : 0; });
}

}  // extern "C"
