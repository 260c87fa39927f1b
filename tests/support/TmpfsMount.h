#pragma once
// A small file system of a test's own, to fill up or make read-only; it is
// unmounted when the object goes, also when an assertion ended the test
// early. Only root may mount: check mounted() and skip without it.

#include <cstdint>
#include <filesystem>
#include <string>

namespace orvex::test {

class TmpfsMount {
 public:
  // Creates `where` and mounts a tmpfs there with mount(8)-style options
  // ("size=64k,mode=0700").
  TmpfsMount(const std::filesystem::path& where, const std::string& options);
  ~TmpfsMount();
  TmpfsMount(const TmpfsMount&) = delete;
  TmpfsMount& operator=(const TmpfsMount&) = delete;

  bool mounted() const { return mounted_; }
  const std::filesystem::path& path() const { return where_; }
  bool MakeReadOnly();
  // Fills it with a file of its own until about `bytes` are left free.
  void LeaveFree(std::uintmax_t bytes) const;

 private:
  std::filesystem::path where_;
  bool mounted_ = false;
};

}  // namespace orvex::test
