// Mutated settings files, both kinds, from files the program wrote itself:
// each case starts the program's windows on them (loading, device binding,
// every dialog's load and save, the property pages now and then) and closes
// them again, in this process, under the sanitizers. Nothing may crash,
// abort or hang; a file that cannot be read whole is kept aside byte for
// byte; what the program stores reads back as it was stored.
//
// ORVEX_SETTINGS_FUZZ_CASES sets the number of cases (a few hundred by
// default), ORVEX_SETTINGS_FUZZ_FIRST the first one: case N is the same file
// pair in every run.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QComboBox>
#include <QCoreApplication>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "app/Forms.h"
#include "app/TApplication.h"
#include "app/TfrmMain.h"
#include "dialogs/TfrmConfiguration.h"
#include "engine/DeviceStore.h"
#include "engine/EngineEnums.h"
#include "engine/TSyncManager.h"
#include "engine/VOduduDudiviv.h"
#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/media/testdevices/TestDevices.h"
#include "platform/registry/RegFile.h"
#include "preview/TfrmPreview.h"
#include "settings/CaptureSettings.h"
#include "settings/OverlaySettings.h"
#include "settings/SnapShotSettings.h"
#include "settings/VideoProcessingSettings.h"
#include "tests/app/SettingsMutator.h"
#include "tests/support/GstLeakCheck.h"
#include "tests/support/TempDir.h"

// The header is there without a sanitizer too; the function only with one.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#include <sanitizer/common_interface_defs.h>
#define ORVEX_HAVE_SANITIZER_CALLBACK 1
#endif

namespace fs = std::filesystem;
using orvex::settings::TCaptureSettings;

namespace {

constexpr int kDefaultCases = 300;
constexpr unsigned kSeed = 20261209;
const char* const kRoots[] = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER"};

int EnvNumber(const char* name, int fallback) {
  const char* text = std::getenv(name);
  return text && *text ? std::atoi(text) : fallback;
}

// Which case was running when the sanitizer (or a signal) ends the process.
volatile sig_atomic_t g_case = -1;

void SayWhichCase() {
  char line[160];
  const int n = std::snprintf(line, sizeof line,
                              "settings fuzz: case %d failed; ORVEX_SETTINGS_FUZZ_FIRST=%d "
                              "ORVEX_SETTINGS_FUZZ_CASES=1 repeats it\n",
                              int(g_case), int(g_case));
  if (g_case >= 0 && n > 0) {
    const ssize_t written = write(STDERR_FILENO, line, std::size_t(n));
    (void)written;
  }
}

void OnFatalSignal(int signal) {
  SayWhichCase();
  ::signal(signal, SIG_DFL);
  raise(signal);
}

struct SeedFiles {
  std::string files[2];  // by root
};

std::vector<SeedFiles> LoadSeeds() {
  std::vector<SeedFiles> seeds;
  for (const char* set : {"first-start", "chosen"}) {
    SeedFiles s;
    for (int r = 0; r < 2; ++r)
      s.files[r] =
          orvex::test::ReadFile(fs::path(ORVEX_SETTINGS_SEEDS_DIR) / set / (std::string(kRoots[r]) + ".reg"));
    seeds.push_back(s);
  }
  return seeds;
}

// The files of case `index`: one seed pair, one or both files mutated, now
// and then one missing.
SeedFiles MakeCase(const std::vector<SeedFiles>& seeds, int index) {
  std::mt19937 rng(kSeed ^ static_cast<unsigned>(index) * 2654435761u);
  SeedFiles files = seeds[rng() % seeds.size()];
  const int mutate = static_cast<int>(rng() % 3);  // 0 first, 1 second, 2 both
  for (int r = 0; r < 2; ++r) {
    if (mutate != 2 && mutate != r) continue;
    files.files[r] = rng() % 20 == 0 ? std::string() : orvex::test::MutateSettingsFile(files.files[r], rng);
  }
  return files;
}

// Accepts every property page as it is shown.
bool AcceptPages(QWidget*, const std::string&, std::vector<orvex::media::ElementProperty>&,
                 const std::function<void(const std::string&, const std::string&)>&) {
  return true;
}

class SettingsFuzz : public ::testing::Test {
 protected:
  TApplication& App() { return *static_cast<TApplication*>(QCoreApplication::instance()); }

  void WriteCase(const SeedFiles& files) {
    for (const auto& entry : std::vector<fs::directory_entry>(fs::directory_iterator(config.path()), {}))
      fs::remove_all(entry.path());
    for (int r = 0; r < 2; ++r)
      if (!files.files[r].empty()) orvex::test::WriteFile(File(r), files.files[r]);
  }
  fs::path File(int root) const { return config / (std::string(kRoots[root]) + ".reg"); }

  // Start, the capture settings applied, Cancel and OK in the capture
  // dialog, every property page now and then, and the end.
  TCaptureSettings StartAndClose(int index) {
    // The device lists afresh only now and then: without a sound server,
    // GStreamer's PulseAudio provider leaks a connection at every listing.
    if (index % 256 == 0) TSyncManager::Free();
    device_store::EnsureVersion();  // what a start does first with the store
    App().CreateForms();
    frmMain->ApplyCaptureSettings();
    frmConfiguration->JvXPButton2Click();
    frmConfiguration->JvXPButton1Click();
    if (index % 8 == 0) {
      VOduduDudiviv& engine = *frmPreview->VOduduDudiviv1;
      for (int kind : {dk_VideoDevice, dk_VideoCompressor, dk_AudioDevice, dk_AudioCompressor})
        engine.ShowDeviceDialog(kind);
    }
    const TfrmConfiguration& c = *frmConfiguration;
    const TCaptureSettings shown{c.cbSVVideoSource->currentIndex(), c.cbSVVideoInput->currentIndex(),
                                 c.cbSVVideoSize->currentIndex(),   c.cbSVVideoCompression->currentIndex(),
                                 c.cbSVAudioSource->currentIndex(), c.cbSVAudioInput->currentIndex(),
                                 c.cbSVAudioFormat->currentIndex(), c.cbSVAudioCompression->currentIndex()};
    App().DestroyForms();
    return shown;
  }

  // A file that did not read whole is kept aside as it was, once.
  void ExpectKeptAside(int root, const std::string& original, int index) {
    orvex::reg::KeyNode tree;
    const bool whole = orvex::reg::ParseRegFile(original, kRoots[root], tree).None();
    std::vector<fs::path> aside;
    for (const auto& entry : fs::directory_iterator(config.path()))
      if (entry.path().filename().string().starts_with(std::string(kRoots[root]) + ".reg.corrupt-"))
        aside.push_back(entry.path());
    ASSERT_EQ(aside.size(), whole ? 0u : 1u) << "case " << index << " " << kRoots[root];
    keptAside += whole ? 0 : 1;
    if (!whole) {
      EXPECT_EQ(orvex::test::ReadFile(aside[0]), original) << "case " << index << " " << kRoots[root];
    }
  }

  // What the program stored is what it reads back: reading again corrects nothing.
  void ExpectStoredGroupsReadBack(const TCaptureSettings& shown, int index) {
    const std::string stored = orvex::test::ReadFile(File(0));
    orvex::reg::KeyNode tree;
    ASSERT_TRUE(orvex::reg::ParseRegFile(stored, kRoots[0], tree).None()) << "case " << index;
    orvex::settings::TVideoProcessingSettings::Read().Write();
    orvex::settings::TSnapShotSettings::Read().Write();
    orvex::settings::TOverlaySettings::Read().Write();
    EXPECT_EQ(orvex::test::ReadFile(File(0)), stored) << "case " << index;
    TCaptureSettings expected = shown;
    for (int* v : {&expected.SecondVideoInput, &expected.SecondVideoSize, &expected.SecondAudioInput,
                   &expected.SecondAudioFormat})
      *v = std::max(*v, 0);
    EXPECT_EQ(TCaptureSettings::Read({1000, 1000, 1000, 1000}), expected) << "case " << index;
  }

  orvex::test::TempDir config;
  orvex::dialogs::ScriptedDialogs script;
  int keptAside = 0;
  std::size_t boxes = 0;
};

}  // namespace

TEST_F(SettingsFuzz, MutatedSettingsFilesNeverCrashLoseTheFileOrStoreWhatDoesNotReadBack) {
  setenv("ORVEX_CONFIG_DIR", config.str().c_str(), 1);
  VOduduDudiviv::SetPropertyDialogRunner(&AcceptPages);
  const auto seeds = LoadSeeds();
  for (const auto& s : seeds)
    ASSERT_FALSE(s.files[0].empty() || s.files[1].empty()) << ORVEX_SETTINGS_SEEDS_DIR;
  const int first = EnvNumber("ORVEX_SETTINGS_FUZZ_FIRST", 0);
  const int count = EnvNumber("ORVEX_SETTINGS_FUZZ_CASES", kDefaultCases);
  const auto started = std::chrono::steady_clock::now();
  for (int index = first; index < first + count && !HasFatalFailure(); ++index) {
    g_case = index;
    const SeedFiles files = MakeCase(seeds, index);
    WriteCase(files);
    script.ClearCalls();
    const TCaptureSettings shown = StartAndClose(index);
    boxes += script.CallsOf(orvex::dialogs::ScriptedDialogs::Kind::MessageBox).size();
    for (int r = 0; r < 2; ++r) ExpectKeptAside(r, files.files[r], index);
    ExpectStoredGroupsReadBack(shown, index);
    if ((index - first + 1) % 1000 == 0) {
      const auto seconds =
          std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started)
              .count();
      std::fprintf(stderr, "settings fuzz: %d cases in %lld s\n", index - first + 1,
                   static_cast<long long>(seconds));
    }
  }
  g_case = -1;
  VOduduDudiviv::SetPropertyDialogRunner(nullptr);
  std::fprintf(stderr, "settings fuzz: cases %d..%d, %d files kept aside, %zu message boxes\n", first,
               first + count - 1, keptAside, boxes);
}

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  orvex::test::TempDir config;
  setenv("ORVEX_CONFIG_DIR", config.str().c_str(), 1);
  // The seeds were written with the test camera and microphone present.
  orvex::media::testdevices::Register();
  orvex::media::testdevices::SetDefaultDevices(true);
#ifdef ORVEX_HAVE_SANITIZER_CALLBACK
  __sanitizer_set_death_callback(&SayWhichCase);
#endif
  for (int s : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE}) signal(s, &OnFatalSignal);
  ::testing::InitGoogleTest(&argc, argv);
  TApplication app(argc, argv);
  const int result = RUN_ALL_TESTS();
  TSyncManager::Free();  // its device lists hold GStreamer devices
  return orvex::test::FinishGstLeakCheck(result);
}
