// POSIX: no termination by file name (see platform/processes.hpp).
#include "platform/processes.hpp"

namespace kestro::platform {
namespace {

class NoProcessTerminator final : public ProcessTerminator {
 public:
  int TerminateByFileName(const std::filesystem::path&) override { return 0; }
};

}  // namespace

ProcessTerminator& NativeProcessTerminator() {
  static NoProcessTerminator terminator;
  return terminator;
}

}  // namespace kestro::platform
