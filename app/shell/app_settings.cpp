#include "shell/app_settings.h"

#include "shell/string_table.h"

namespace vemo {
namespace {

constexpr int kGlobal = 4057, kColors = 4059, kConnectionParameters = 4017, kRemarks = 4037;
constexpr const char* kUpdateServer = "Update server";
constexpr const char* kFormationServer = "Formation server";

void ReadFlag(Profile const& profile, int section, int value, bool* flag) {
  *flag = profile.GetProfileIntIds(section, value, *flag ? 1 : 0) != 0;
}

void ReadColour(Profile const& profile, int value, uint32_t* colour) {
  *colour =
      static_cast<uint32_t>(profile.GetProfileIntIds(kColors, value, static_cast<int>(*colour)));
}

}  // namespace

void AppSettings::Load(Profile const& profile) {
  ReadFlag(profile, kGlobal, 4046, &tooltips);
  ReadFlag(profile, kGlobal, 4058, &active_only);
  ReadFlag(profile, kGlobal, 4108, &low_deck);
  ReadFlag(profile, kGlobal, 4081, &hide_nodes);
  ReadFlag(profile, kGlobal, 4092, &expand_via);
  ReadColour(profile, 4060, &date_colour);
  ReadColour(profile, 4103, &opposite_route_colour);
  ReadColour(profile, 4107, &arrdep_colour);
  ReadColour(profile, 4115, &alt_line_colour);
  options_tab1 = profile.GetProfileIntIds(kConnectionParameters, 4071, options_tab1);
  options_tab2 = profile.GetProfileIntIds(kConnectionParameters, 4076, options_tab2);
  ReadFlag(profile, kGlobal, 4119, &auto_update);
  update_server = profile.GetProfileStringKeyText(kGlobal, kUpdateServer, update_server);
  formation_server = profile.GetProfileStringKeyText(kGlobal, kFormationServer, formation_server);
}

void AppSettings::Save(Profile& profile) const {
  profile.WriteProfileIntIds(kGlobal, 4046, tooltips);
  profile.WriteProfileIntIds(kGlobal, 4058, active_only);
  profile.WriteProfileIntIds(kGlobal, 4108, low_deck);
  profile.WriteProfileIntIds(kGlobal, 4081, hide_nodes);
  profile.WriteProfileIntIds(kGlobal, 4092, expand_via);
  profile.WriteProfileIntIds(kConnectionParameters, 4071, options_tab1);
  profile.WriteProfileIntIds(kConnectionParameters, 4076, options_tab2);
  profile.WriteProfileIntIds(kGlobal, 4119, auto_update);
  // Written back so that the user finds the values to fill in.
  profile.WriteProfileStringKeyText(kGlobal, kUpdateServer, update_server);
  profile.WriteProfileStringKeyText(kGlobal, kFormationServer, formation_server);
}

void AppSettings::LoadRemarksOptions(Profile const& profile, KernelApi const& kernel) {
  if (!profile.ProfileKeyExists(std::string(LoadResString(kRemarks)))) return;
  int base = 0, limit = 0, max_days = 0;
  kernel.QoGetDateRemOptions(&base, &limit, &max_days);
  base = profile.GetProfileIntIds(kRemarks, 4038, base);
  limit = profile.GetProfileIntIds(kRemarks, 4039, limit);
  max_days = profile.GetProfileIntIds(kRemarks, 4040, max_days);
  kernel.QoSetDateRemOptions(base, limit, max_days);
  marks_mode = profile.GetProfileIntIds(kRemarks, 4043, marks_mode);
  if (!symbol_font && marks_mode == 2) marks_mode = 1;
}

void AppSettings::SaveRemarksOptions(Profile& profile, KernelApi const& kernel) const {
  int base = 0, limit = 0, max_days = 0;
  kernel.QoGetDateRemOptions(&base, &limit, &max_days);
  profile.WriteProfileIntIds(kRemarks, 4038, base);
  profile.WriteProfileIntIds(kRemarks, 4039, limit);
  profile.WriteProfileIntIds(kRemarks, 4040, max_days);
  profile.WriteProfileIntIds(kRemarks, 4043, marks_mode);
}

void AppSettings::ApplyMarksMode(KernelApi const& kernel) const {
  std::string open = kernel.ToKernel("«"), close = kernel.ToKernel("»");
  switch (marks_mode) {
    case 0:
      kernel.QoFCMarks("", "", "", "");
      break;
    case 1:
      kernel.QoFCMarks(open.c_str(), close.c_str(), nullptr, nullptr);
      break;
    case 2:
      kernel.QoFCMarks(open.c_str(), close.c_str(), "{", "}");
      break;
    default:
      break;
  }
}

}  // namespace vemo
