#pragma once
// The settings every window reads, as start-up loads them from the profile
// and exit saves them back, and the day-remark options the kernel keeps.
#include <array>
#include <cstdint>
#include <string>

#include "shell/kernel_api.h"
#include "shell/profile.h"

namespace vemo {

struct AppSettings {
  bool tooltips = true;
  bool active_only = true;
  bool low_deck = true;
  bool hide_nodes = true;
  bool expand_via = false;
  bool auto_update = true;
  // The update server's host ("Global" / "Update server"); empty: none,
  // so the program neither updates itself nor asks for an offer.
  std::string update_server;
  // The host of the railway's train-formation page ("Global" /
  // "Formation server"); empty: the context menus do not offer the page.
  std::string formation_server;
  // Colours as 0x00BBGGRR, the way they are stored.
  uint32_t date_colour = 0x0000FF;
  uint32_t opposite_route_colour = 0xFF0000;
  uint32_t arrdep_colour = 0x808080;
  uint32_t alt_line_colour = 0xEEEEEE;
  int options_tab1 = 0;
  int options_tab2 = 0;
  // 0 no marks, 1 the pair « », 2 also { } for the symbol font.
  int marks_mode = 1;
  bool symbol_font = false;
  // Day number of the symbol font file's date, 0 when unknown.
  int symbol_font_day = 0;
  bool remarks_changed = false;

  // Each value with its current value as the default.
  void Load(Profile const& profile);
  // What exit writes; the colours are written by the colours dialog.
  void Save(Profile& profile) const;

  // Only when the profile holds the "Remarks" section: the kernel's
  // day-remark options and the marks mode (symbols need the symbol font).
  void LoadRemarksOptions(Profile const& profile, KernelApi const& kernel);
  void SaveRemarksOptions(Profile& profile, KernelApi const& kernel) const;
  // The marker pairs handed to the kernel for the marks mode.
  void ApplyMarksMode(KernelApi const& kernel) const;
};

}  // namespace vemo
