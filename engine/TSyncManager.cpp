#include "engine/TSyncManager.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "engine/DeviceStore.h"
#include "engine/TLog.h"
#include "engine/TVdvWorker.h"
#include "engine/VOduduDudiviv.h"
#include "platform/media/DeviceSource.h"

namespace {
TSyncManager* g_manager = nullptr;
constexpr auto kScanDelay = std::chrono::milliseconds(2000);

bool EnvSwitchOn(const char* name) {
  const char* value = std::getenv(name);
  return value && value[0] == '1' && value[1] == '\0';
}

void Log(const std::string& line) { TLog::Instance().Line(line); }
}  // namespace

TSyncManager* TSyncManager::Instance() { return g_manager; }

TSyncManager& TSyncManager::Acquire() {
  if (!g_manager) {
    g_manager = new TSyncManager;
    qAddPostRoutine(&TSyncManager::Free);
  }
  return *g_manager;
}

void TSyncManager::Free() {
  delete g_manager;
  g_manager = nullptr;
}

TSyncManager::TSyncManager() {
  if (EnvSwitchOn("ORVEX_ENGINE_LOG")) TLog::Instance().Open(TLog::kFileName);
  device_store::EnsureVersion();
  Log("creating devs");
  auto& source = orvex::media::DeviceSource();
  lists_.EnumerateAll(source, Log);
  source.SetChangeCallback([](bool arrived, const std::string& id) {
    if (g_manager) g_manager->DeviceChanged(arrived, id);
  });
  syncTimer_ = new QTimer;
  syncTimer_->setInterval(300);
  QObject::connect(syncTimer_, &QTimer::timeout, syncTimer_, [this] { ScanIfDue(); });
  syncTimer_->start();
  previousIdle_ = orvex::kernel::SetApplicationIdleHandler([this](bool& done) { OnIdle(done); });
}

TSyncManager::~TSyncManager() {
  orvex::media::DeviceSource().SetChangeCallback(nullptr);
  // Give the idle event back to whoever had it before us.
  orvex::kernel::SetApplicationIdleHandler(previousIdle_);
  delete syncTimer_;
  TLog::Instance().Close();
}

int TSyncManager::Add(TVdvWorker* worker) {
  instances_.Add(worker);
  return instances_.IndexOf(worker);
}

void TSyncManager::Remove(TVdvWorker* worker) {
  instances_.RemoveIf([worker](TVdvWorker* w) { return w == worker; });
}

// The first idle moment starts the previews; later ones start those that
// waited for a device, and pass the event on.
void TSyncManager::OnIdle(bool& done) {
  done = true;
  const bool first = !firstIdleDone_;
  firstIdleDone_ = true;
  for (TVdvWorker* worker : Workers()) first ? worker->FirstIdle() : worker->LaterIdle();
  if (previousIdle_) previousIdle_(done);
}

void TSyncManager::DeviceChanged(bool arrived, const std::string& id) {
  scanArmed_ = true;
  scanDue_ = std::chrono::steady_clock::now() + kScanDelay;
  if (arrived || id.empty()) return;
  // A device unplugged under a running graph is lost for that graph.
  for (TVdvWorker* worker : Workers()) worker->DeviceUnplugged(id);
}

void TSyncManager::ScanIfDue() {
  if (!scanArmed_ || std::chrono::steady_clock::now() < scanDue_) return;
  scanArmed_ = false;
  Scan();
}

// Rebuilds the capture device lists and tells every engine what came and went.
void TSyncManager::Scan() {
  auto& source = orvex::media::DeviceSource();
  lists_.VideoDevices.Rebuild(source, Log);
  lists_.AudioDevices.Rebuild(source, Log);
  for (TDevices* list : {&lists_.VideoDevices, &lists_.AudioDevices}) {
    const bool video = list == &lists_.VideoDevices;
    const auto entries = list->Entries();
    for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
      const TCapDeviceInfo& info = entries[i].Info;
      if (info.Present == info.PreviouslyPresent) continue;
      for (TVdvWorker* worker : Workers())
        worker->DevicePresenceChanged(info.Present, video, entries[i].DisplayName, i);
    }
  }
}

namespace {
std::string LowerCase(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}
}  // namespace

std::string TSyncManager::CounterKey(const std::string& folder, const std::string& prefix,
                                     const std::string& extension) {
  std::string key = folder;
  if (key.empty() || key.back() != '/') key += '/';
  return LowerCase(key + prefix + extension);
}

int TSyncManager::CounterValue(const std::string& key) const {
  const auto it = counters_.find(LowerCase(key));
  return it == counters_.end() ? -1 : it->second;
}

void TSyncManager::SetCounterValue(const std::string& key, int value) { counters_[LowerCase(key)] = value; }

// Numbering goes on after the highest number found in the folder for this
// prefix and extension (and for bmp and jpg, which snapshots use).
void TSyncManager::ScanFolderCounters(const std::string& folder, const std::string& prefix,
                                      const std::string& extension, bool always) {
  bool added = false;
  for (const std::string& ext : {std::string("bmp"), std::string("jpg"), extension}) {
    const std::string key = CounterKey(folder, prefix, ext);
    if (counters_.emplace(key, 0).second) added = true;
  }
  if (!added && !always) return;
  std::error_code ec;
  for (const auto& item : std::filesystem::directory_iterator(folder, ec)) {
    const std::string name = item.path().filename().string();
    if (LowerCase(name).rfind(LowerCase(prefix), 0) != 0) continue;
    const auto dot = name.find('.', 1);
    if (dot == std::string::npos || dot < 6) continue;
    const auto it = counters_.find(CounterKey(folder, prefix, name.substr(dot + 1)));
    if (it == counters_.end()) continue;
    const std::string digits = name.substr(dot - 6, 6);
    if (digits.find_first_not_of("0123456789") != std::string::npos) continue;
    it->second = std::max(it->second, std::stoi(digits));
  }
}

int TSyncManager::NextSequentialNumber(const std::string& folder, const std::string& prefix,
                                       const std::string& extension) {
  const std::string key = CounterKey(folder, prefix, extension);
  if (!counters_.count(key)) ScanFolderCounters(folder, prefix, extension, false);
  const auto it = counters_.find(key);
  if (it == counters_.end()) {
    Log("ERROR: sequential file count not found: " + key);
    return 1;
  }
  return ++it->second;
}

bool TSyncManager::DeviceInUseByOther(const std::string& key, const TVdvWorker* worker) const {
  const auto it = devicesInUse_.find(key);
  return it != devicesInUse_.end() && it->second != worker;
}

void TSyncManager::MarkDeviceInUse(const std::string& key, const TVdvWorker* worker) {
  devicesInUse_[key] = worker;
}

void TSyncManager::ReleaseDeviceInUse(const std::string& key, const TVdvWorker* worker) {
  const auto it = devicesInUse_.find(key);
  if (it != devicesInUse_.end() && it->second == worker) devicesInUse_.erase(it);
}
