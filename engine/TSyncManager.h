#pragma once
// The process-wide side of the engine: the list of live engines, temporary
// files and the hook on the application's idle event. Created by the first engine built at
// run time; freed when the application ends.

#include <string>
#include <vector>

#include "engine/TCSList.h"
#include "platform/kernel/ApplicationIdle.h"

class TVdvWorker;

class TSyncManager {
 public:
  // The manager, or nullptr before the first engine was created.
  static TSyncManager* Instance();
  // Creates the manager on first use.
  static TSyncManager& Acquire();
  // Frees the manager (at application end; tests may call it).
  static void Free();

  // Instance list; a worker's position is its UniqueID.
  int Add(TVdvWorker* worker);
  void Remove(TVdvWorker* worker);
  std::vector<TVdvWorker*> Workers() const { return instances_.Snapshot(); }

  // Files deleted when the manager is freed.
  void AddTempFile(const std::string& path) { tempFiles_.Add(path); }

  // Whether the one-time device enumeration has finished.
  bool EnumerationDone() const { return enumerationDone_; }

  bool FirstIdleDone() const { return firstIdleDone_; }

 private:
  TSyncManager();
  ~TSyncManager();
  void OnIdle(bool& done);

  TCSList<TVdvWorker*> instances_;
  TCSList<std::string> tempFiles_;
  orvex::kernel::IdleHandler previousIdle_;
  bool firstIdleDone_ = false;
  bool enumerationDone_ = false;
};
