#include "engine/TSyncManager.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

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
  source.SetChangeCallback([] {
    if (g_manager) g_manager->DeviceChanged();
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
  for (const std::string& path : tempFiles_.Snapshot()) std::remove(path.c_str());
  TLog::Instance().Close();
}

int TSyncManager::Add(TVdvWorker* worker) {
  instances_.Add(worker);
  return instances_.IndexOf(worker);
}

void TSyncManager::Remove(TVdvWorker* worker) {
  instances_.RemoveIf([worker](TVdvWorker* w) { return w == worker; });
}

// The first idle moment starts the previews; later ones only pass the event on.
void TSyncManager::OnIdle(bool& done) {
  done = true;
  if (!firstIdleDone_) {
    firstIdleDone_ = true;
    for (TVdvWorker* worker : Workers()) worker->FirstIdle();
  }
  if (previousIdle_) previousIdle_(done);
}

void TSyncManager::DeviceChanged() {
  scanArmed_ = true;
  scanDue_ = std::chrono::steady_clock::now() + kScanDelay;
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
      for (TVdvWorker* worker : Workers()) {
        if (worker->Destroying) continue;
        if (info.Present && video) worker->BindVideoDevice();
        if (info.Present && !video) worker->BindAudioDevice();
        if (auto handler = worker->Events.OnDeviceArrivalOrRemoval.Get())
          (*handler)(&worker->Owner, info.Present, video, entries[i].DisplayName, i);
      }
    }
  }
}
