// Text exports: converting texts between the kernel and a caller's mode.
#include "Qo.h"
#include "api/export_support.h"
#include "text/text_convert.h"

using namespace qo;

extern "C" {

QO_API char* QoDiaExport(char* text, int mode) {
  return api::Export<char*>(nullptr, [&]() -> char* {
    // UTF-16 needs twice the room, and the caller's buffer size is unknown.
    if (mode == TextModeUtf16 || !text) return nullptr;
    return ConvertTextOutMode(mode, text);
  });
}

QO_API char* QoDiaImport(char* text, int mode) {
  return api::Export<char*>(nullptr, [&]() -> char* {
    if (mode == TextModeUtf16 || !text) return nullptr;
    return ConvertTextInMode(mode, text);
  });
}

}  // extern "C"
