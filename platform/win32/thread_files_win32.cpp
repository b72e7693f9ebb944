// Windows has one handle table per process; the checks share it.
#include "platform/thread_files.hpp"

namespace kestro::platform {

void UseOwnFileTable() {}

}  // namespace kestro::platform
