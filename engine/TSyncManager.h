#pragma once
// The process-wide side of the engine: the device lists, the list of live
// engines, temporary files, the 300 ms sync timer that rescans devices after
// a change, and the hook on the application's idle event. Created by the
// first engine built at run time; freed when the application ends.

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/TCSList.h"
#include "engine/TDevices.h"
#include "platform/kernel/ApplicationIdle.h"

class TVdvWorker;
class QTimer;

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

  TDeviceLists& Lists() { return lists_; }
  // Whether the one-time device enumeration has finished.
  bool EnumerationDone() const { return lists_.DiscoveryState == TDeviceLists::ds_Done; }

  // Sequential numbers of automatic file names, per folder, prefix and
  // extension (compared without case), shared by every engine.
  int NextSequentialNumber(const std::string& folder, const std::string& prefix,
                           const std::string& extension);
  // The last number handed out for a key, or -1 when the key is unknown.
  int CounterValue(const std::string& key) const;
  void SetCounterValue(const std::string& key, int value);
  // Reads the folder's numbers again (the storage folder changed).
  void RescanFolder(const std::string& folder, const std::string& prefix, const std::string& extension) {
    ScanFolderCounters(folder, prefix, extension, true);
  }
  static std::string CounterKey(const std::string& folder, const std::string& prefix,
                                const std::string& extension);

  // Capture devices are used by one engine at a time.
  bool DeviceInUseByOther(const std::string& key, const TVdvWorker* worker) const;
  void MarkDeviceInUse(const std::string& key, const TVdvWorker* worker);
  void ReleaseDeviceInUse(const std::string& key, const TVdvWorker* worker);

  // A device arrived or went: rescan 2000 ms after the last such message.
  void DeviceChanged(bool arrived, const std::string& id);
  // Runs the rescan now if it is due (the sync timer calls this).
  void ScanIfDue();

 private:
  TSyncManager();
  ~TSyncManager();
  void OnIdle(bool& done);
  void Scan();

  void ScanFolderCounters(const std::string& folder, const std::string& prefix, const std::string& extension,
                          bool always);

  TCSList<TVdvWorker*> instances_;
  std::map<std::string, int> counters_;
  std::map<std::string, const TVdvWorker*> devicesInUse_;
  TDeviceLists lists_;
  QTimer* syncTimer_ = nullptr;
  bool scanArmed_ = false;
  std::chrono::steady_clock::time_point scanDue_;
  orvex::kernel::IdleHandler previousIdle_;
  bool firstIdleDone_ = false;
};
