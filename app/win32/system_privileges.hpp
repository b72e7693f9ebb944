#pragma once
// Token privileges of the program's own process.

namespace kestro::app {

// Enables "SeDebugPrivilege" in the process token; false when it cannot.
bool EnableDebugPrivilege();

}  // namespace kestro::app
