// A file table of the thread's own: unshare(2) with CLONE_FILES, on Linux only.
#include "platform/thread_files.hpp"

#if defined(__linux__)
#include <sched.h>
#endif

namespace kestro::platform {

void UseOwnFileTable() {
#if defined(__linux__)
  // A failure leaves the thread on the shared table, which works as before.
  (void)::unshare(CLONE_FILES);
#endif
}

}  // namespace kestro::platform
