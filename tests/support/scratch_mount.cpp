#include "tests/support/scratch_mount.hpp"

#ifdef __linux__
#include <sched.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#endif

namespace kestro::test {

#ifdef __linux__
namespace {

// Once per process: a mount namespace of its own whose mounts never reach the
// machine's (children started afterwards share it).
bool PrivateNamespace(std::string& why) {
  static const std::string failure = [] {
    if (::unshare(CLONE_NEWNS) != 0) return std::string("unshare: ") + std::strerror(errno);
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
      return std::string("private mounts: ") + std::strerror(errno);
    }
    return std::string();
  }();
  why = failure;
  return failure.empty();
}

}  // namespace

ScratchMount::ScratchMount(const std::filesystem::path& folder, std::size_t bytes) : folder_(folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (!PrivateNamespace(why_)) return;
  const std::string options = "size=" + std::to_string(bytes);
  if (::mount("kestro-test", folder.c_str(), "tmpfs", 0, options.c_str()) != 0) {
    why_ = std::string("mount: ") + std::strerror(errno);
    return;
  }
  mounted_ = true;
}

ScratchMount::~ScratchMount() {
  if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
}
#else
ScratchMount::ScratchMount(const std::filesystem::path& folder, std::size_t) : folder_(folder) {
  why_ = "no mounts on this platform";
}

ScratchMount::~ScratchMount() = default;
#endif

}  // namespace kestro::test
