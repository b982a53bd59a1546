#pragma once
// Binding the kernel at start-up: load it, check its version, set the text
// mode of string 161, then the command line's second pass, so that "/D:"
// wins over the string table.
#include <string>
#include <vector>

#include "shell/command_line.h"
#include "shell/kernel_api.h"
#include "shell/load_ui.h"

namespace vemo {

// Pass 1 of the command line acting on the bound kernel.
class ApiKernelSwitches : public KernelSwitches {
 public:
  explicit ApiKernelSwitches(KernelApi* api) : api_(api) {}
  void SetDiaFromDigit(char digit) override;
  void SkipExtension(int type) override;
  void SetExtactInclusion(int value) override;

 private:
  KernelApi* api_;
};

// False after the message (10000 or 370) was shown.
bool BindKernel(std::string const& library, std::vector<std::string> const& args,
                CommandLineOptions* options, KernelApi* api, LoadUi* ui);

}  // namespace vemo
