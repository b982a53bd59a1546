#include "shell/font_check.h"

#include <fontconfig/fontconfig.h>

namespace vemo {

std::optional<std::string> FindFontFamilyFile(std::string const& family) {
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config) return std::nullopt;
  std::optional<std::string> file;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_FILE, nullptr);
  if (FcFontSet* fonts = FcFontList(config, pattern, objects)) {
    for (int i = 0; i < fonts->nfont && !file; ++i) {
      FcChar8* path = nullptr;
      if (FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &path) == FcResultMatch && path)
        file = reinterpret_cast<const char*>(path);
      else
        file = std::string();
    }
    FcFontSetDestroy(fonts);
  }
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  FcConfigDestroy(config);
  return file;
}

}  // namespace vemo
