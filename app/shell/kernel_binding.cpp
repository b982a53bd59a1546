#include "shell/kernel_binding.h"

#include "shell/string_table.h"

namespace vemo {

void ApiKernelSwitches::SetDiaFromDigit(char digit) { api_->SetDiaFromDigit(digit); }

void ApiKernelSwitches::SkipExtension(int type) { api_->QoSkipExtension(type); }

void ApiKernelSwitches::SetExtactInclusion(int /*value*/) {
  // The kernel's stop-timetable exports are not bound yet; "/O" takes
  // effect once they are.
}

bool BindKernel(std::string const& library, std::vector<std::string> const& args,
                CommandLineOptions* options, KernelApi* api, LoadUi* ui) {
  ui->SplashText(std::string(LoadResString(135)));
  KernelLoadResult result = LoadKernel(library, api);
  if (result.message_id != 0) {
    ui->ShowMessage(result.message_id, std::string(LoadResString(result.message_id)),
                    MessageIcon::kStop);
    return false;
  }
  std::string_view mode = LoadResString(161);
  if (!mode.empty()) api->SetDiaFromDigit(mode[0]);
  ApiKernelSwitches switches(api);
  ParseArgs(args, 1, options, &switches);
  return true;
}

}  // namespace vemo
