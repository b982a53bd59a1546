// Service-code exports: the codes of a timetable with their texts and
// roles, the codes of stations and trains, and the connection filter.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "Qo.h"
#include "api/export_support.h"
#include "load/timetable_record.h"
#include "servicecodes/service_codes.h"

using namespace qo;

namespace {

// A code list handed out: the export's own 64-byte buffer, filled from a
// set. Returns the number of codes.
int HandOutCodes(bool has, uint64_t set, uint8_t (&buffer)[64], unsigned char const** list) {
  int const n = has ? ListCodes(set, buffer) : 0;
  if (list) *list = buffer;
  return n;
}

TimetableRecord* CheckTrain(int timetable, int train) {
  TimetableRecord* t = api::CheckTimetable(timetable);
  return t && api::CheckTrain(*t, train) ? t : nullptr;
}

int TrainCodes(int timetable, int train, int from, int to, int day, uint8_t (&buffer)[64],
               unsigned char const** list) {
  if (list) *list = nullptr;
  return api::Export<int>(0, [&] {
    TimetableRecord* t = CheckTrain(timetable, train);
    if (!t) return 0;
    uint64_t set = 0;
    const bool has = TrainCodesOnJourney(*t, static_cast<uint32_t>(train), from, to, day, &set);
    return HandOutCodes(has, set, buffer, list);
  });
}

}  // namespace

extern "C" {

QO_API int QoFCCount(int timetable) {
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    return t ? static_cast<int>(t->CodeCount) : 0;
  });
}

QO_API int QoFCValueExt(int timetable, int train, int code, int language, char const** name,
                        char const** symbols, char const** description) {
  static CodeTexts texts;
  static std::vector<char> nameBuffer, symbolBuffer, descriptionBuffer;
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return 0;
    // Negative trains ask for no train's field.
    if (train >= 0 && !api::CheckTrain(*t, train)) return 0;
    if (int error = GetCodeTexts(*t, train, code, language, &texts)) {
      SetKernelError(error);
      return 0;
    }
    if (name) *name = api::ConvertOut(texts.name, nameBuffer);
    if (symbols) {
      // Symbol-font characters: handed out as stored.
      symbolBuffer.assign(texts.symbols.begin(), texts.symbols.end());
      symbolBuffer.push_back('\0');
      *symbols = symbolBuffer.data();
    }
    if (description) *description = api::ConvertOut(texts.description, descriptionBuffer);
    return 1;
  });
}

QO_API int QoFCValue(int timetable, int code, int language, char const** name, char const** symbols,
                     char const** description) {
  return QoFCValueExt(timetable, -1, code, language, name, symbols, description);
}

QO_API int QoFCLowDeck(int timetable, int role) {
  return api::Export<int>(-1, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    return t ? static_cast<int>(RoleCode(*t, role)) : -1;
  });
}

QO_API int QoFCStation(int timetable, int station, unsigned char const** list) {
  static uint8_t buffer[64];
  if (list) *list = nullptr;
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return 0;
    if (!api::CheckStation(*t, station)) return 0;
    uint64_t set = 0;
    const bool has = StationCodeSet(*t, static_cast<uint16_t>(station), &set);
    return HandOutCodes(has, set, buffer, list);
  });
}

QO_API int QoFCTrain(int timetable, int train, unsigned char const** list) {
  static uint8_t buffer[64];
  return TrainCodes(timetable, train, -1, -1, 0, buffer, list);
}

QO_API int QoFCTrainExt(int timetable, int train, int from, int to, int day,
                        unsigned char const** list) {
  static uint8_t buffer[64];
  return TrainCodes(timetable, train, from, to, day, buffer, list);
}

QO_API int QoFCTrainStation(int timetable, int train, int station, unsigned char const** list) {
  static uint8_t buffer[64];
  if (list) *list = nullptr;
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = CheckTrain(timetable, train);
    if (!t) return 0;
    uint64_t set = 0;
    const bool has = TrainCodesAtStation(*t, static_cast<uint32_t>(train), station, &set);
    return HandOutCodes(has, set, buffer, list);
  });
}

QO_API int QoFCConn(int timetable, char const** letters) {
  if (letters) *letters = nullptr;
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return 0;
    // The stored letters, read in place (not NUL-terminated).
    if (letters && !t->CodeFilterLetters.empty())
      *letters = reinterpret_cast<const char*>(t->CodeFilterLetters.handle());
    return static_cast<int>(t->CodeFilterLetters.size());
  });
}

QO_API int QoFCConnID(int timetable, int const** ids) {
  if (ids) *ids = nullptr;
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return 0;
    if (ids && !t->CodeFilterIds.empty())
      *ids = api::AlignedIntArray(t->CodeFilterIds, t->CodeFilterIdCopy);
    return static_cast<int>(t->CodeFilterIds.size());
  });
}

QO_API void QoFCEnable(int timetable, int count, char const* bytes) {
  api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (t) EnableServiceCodes(*t, reinterpret_cast<const uint8_t*>(bytes), count);
    return 0;
  });
}

}  // extern "C"
