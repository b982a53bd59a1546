// Library frame exports: errors, version, timetable count, text mode.
#include <cstring>

#include "Qo.h"
#include "api/export_support.h"
#include "frame/message_tables.h"
#include "text/text_convert.h"

using namespace qo;

extern "C" {

QO_API int QoError(void) { return TakeKernelError(); }

QO_API int QoPeekError(void) { return PeekKernelError(); }

QO_API const char* QoErrorText(int code, char language) {
  static char buffer[100];
  return api::Export<const char*>(buffer, [&] {
    buffer[0] = '\0';
    SelectLanguage(language);
    if (code >= 0 && code <= kKernelTextEntries - 1 - kErrorTextBase) {
      std::strncpy(buffer, KernelText(kErrorTextBase + code), sizeof buffer - 1);
      buffer[sizeof buffer - 1] = '\0';
    }
    return ConvertTextOut(buffer);
  });
}

QO_API const char* QoVer(void) { return "1.85.01"; }

QO_API int QoQoCount(void) { return LoadedCount(); }

QO_API int QoSetDia(int mode) {
  SetTextMode(mode);
  return mode;
}

}  // extern "C"
