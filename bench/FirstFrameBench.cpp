// From creating the program's windows to the first frame of the test camera
// reaching the preview window: window set, device binding, graph build and
// the first frame through the processing chain.

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/Forms.h"
#include "app/TApplication.h"
#include "app/TfrmMain.h"
#include "engine/TSyncManager.h"
#include "engine/VOduduDudiviv.h"
#include "preview/TfrmPreview.h"
#include "tests/support/EngineProbe.h"

namespace {

// Settings that choose the test camera at `sizeIndex`.
void WriteSettings(const std::filesystem::path& folder, int sizeIndex) {
  std::filesystem::create_directories(folder);
  std::ofstream reg(folder / "HKEY_LOCAL_MACHINE.reg");
  reg << "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Brevantix\\Orvex]\n"
      << "\"SecondVideoSource\"=dword:00000001\n\"SecondVideoSize\"=dword:0000000" << sizeIndex << "\n";
}

void BM_WindowsToFirstFrame(benchmark::State& state) {
  for (auto _ : state) {
    QElapsedTimer timer;
    timer.start();
    auto* app = static_cast<TApplication*>(QCoreApplication::instance());
    app->CreateForms();
    frmMain->show();
    EngineProbe engine(*frmPreview->VOduduDudiviv1);
    QEventLoop loop;
    while (engine.FramesShown() == 0 && timer.elapsed() < 10000)
      loop.processEvents(QEventLoop::WaitForMoreEvents, 5);
    state.SetIterationTime(timer.nsecsElapsed() / 1e9);
    if (engine.FramesShown() == 0) state.SkipWithError("no frame within 10 s");
    app->DestroyForms();
    // The next start enumerates devices and waits for its first idle moment again.
    TSyncManager::Free();
  }
}
BENCHMARK(BM_WindowsToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  const auto folder = std::filesystem::temp_directory_path() / "orvex-first-frame-bench";
  std::filesystem::remove_all(folder);
  WriteSettings(folder, 4);  // 640x480
  setenv("ORVEX_CONFIG_DIR", folder.c_str(), 1);
  setenv("ORVEX_TEST_DEVICES", "1", 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  benchmark::Initialize(&argc, argv);
  TApplication app(argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(folder);
  return 0;
}
