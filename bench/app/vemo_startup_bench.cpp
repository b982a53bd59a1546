// Vemo's start-up on the sample timetables: binding the kernel and loading
// the timetables alone, and the whole start-up to the first window shown
// (that one needs a display: run under xvfb-run -a). Aim: under a second.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <stdlib.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/init.h>

#include <filesystem>
#include <string>
#include <vector>

#include "shell/kernel_binding.h"
#include "shell/program_dates.h"
#include "shell/timetable_loader.h"
#include "ui/vemo_app.h"

namespace {

std::vector<std::string> Samples() {
  return {std::string(QO_SAMPLES_DIR) + "/rail.qo", std::string(QO_SAMPLES_DIR) + "/bus.qo",
          std::string(QO_SAMPLES_DIR) + "/city.qo"};
}

void CloseTimetables() {
  void* kernel = dlopen("libQo.so", RTLD_NOW | RTLD_NOLOAD);
  if (!kernel) return;
  reinterpret_cast<void (*)()>(dlsym(kernel, "QoCloseData"))();
  dlclose(kernel);
}

class SilentUi : public vemo::LoadUi {
 public:
  void ShowMessage(int, std::string const&, vemo::MessageIcon) override { failed = true; }
  bool AskYesNo(int, std::string const&) override { return true; }
  std::optional<std::vector<int>> ChooseTimetables(
      std::vector<vemo::TimetableFileEntry> const&) override {
    return std::nullopt;
  }
  bool failed = false;
};

void BM_BindAndLoadSamples(benchmark::State& state) {
  for (auto _ : state) {
    SilentUi ui;
    vemo::KernelApi api;
    vemo::CommandLineOptions options;
    if (!vemo::BindKernel("libQo.so", Samples(), &options, &api, &ui)) {
      state.SkipWithError("kernel not bound");
      return;
    }
    vemo::LoadOptions load;
    load.timetable_files = Samples();
    load.today = vemo::TodayDayNumber();
    vemo::TimetableLoader loader(&api, &ui, load);
    if (!loader.LoadTimetables() || ui.failed) {
      state.SkipWithError("samples not loaded");
      return;
    }
    state.PauseTiming();
    CloseTimetables();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_BindAndLoadSamples)->Unit(benchmark::kMillisecond);

void BM_StartUpToFirstWindow(benchmark::State& state) {
  if (!getenv("DISPLAY")) {
    state.SkipWithError("needs a display (xvfb-run -a)");
    return;
  }
  for (auto _ : state) {
    if (!vemo::App().Start(Samples())) {
      state.SkipWithError("start-up failed");
      return;
    }
    // Until the first window has been shown and painted.
    wxTheApp->Yield(true);
    state.PauseTiming();
    vemo::App().CloseAllFrames();
    for (int i = 0; i < 5; ++i) {
      wxTheApp->Yield(true);
      wxTheApp->ProcessIdle();
    }
    CloseTimetables();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartUpToFirstWindow)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // The settings of the benchmark stay out of the user's.
  std::string config = "/tmp/vemo_bench_config_" + std::to_string(getpid());
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  bool gui = getenv("DISPLAY") != nullptr;
  if (gui) {
    wxApp::SetInstance(new vemo::VemoApp());
    int wx_argc = 1;
    char name[] = "vemo_bench";
    char* wx_argv[] = {name, nullptr};
    if (!wxEntryStart(wx_argc, wx_argv)) return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (gui) wxEntryCleanup();
  std::error_code ignored;
  std::filesystem::remove_all(config, ignored);
  return 0;
}
