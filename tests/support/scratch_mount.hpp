#pragma once
// A small tmpfs mounted over a folder for the length of a test, in a mount
// namespace private to this process (Linux, as root). Where the machine does not
// allow it, ok() is false and the test skips.

#include <cstddef>
#include <filesystem>
#include <string>

namespace kestro::test {

class ScratchMount {
 public:
  ScratchMount(const std::filesystem::path& folder, std::size_t bytes);
  ~ScratchMount();
  ScratchMount(const ScratchMount&) = delete;
  ScratchMount& operator=(const ScratchMount&) = delete;

  bool ok() const { return mounted_; }
  const std::string& why() const { return why_; }

 private:
  std::filesystem::path folder_;
  bool mounted_ = false;
  std::string why_;
};

}  // namespace kestro::test
