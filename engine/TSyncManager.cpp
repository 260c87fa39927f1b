#include "engine/TSyncManager.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

#include "engine/TLog.h"
#include "engine/TVdvWorker.h"

namespace {
TSyncManager* g_manager = nullptr;

bool EnvSwitchOn(const char* name) {
  const char* value = std::getenv(name);
  return value && value[0] == '1' && value[1] == '\0';
}
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
  previousIdle_ = orvex::kernel::SetApplicationIdleHandler([this](bool& done) { OnIdle(done); });
}

TSyncManager::~TSyncManager() {
  // Give the idle event back to whoever had it before us.
  orvex::kernel::SetApplicationIdleHandler(previousIdle_);
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
