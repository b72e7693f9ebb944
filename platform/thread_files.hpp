#pragma once
// The table of open files of the calling thread.

namespace kestro::platform {

// Gives the calling thread a table of open files of its own, a copy of the
// process's table (Linux). A thread that opens, reads and closes only its own
// files then does not contend with the other threads on every open and close,
// and the system calls on its files skip the reference counting a shared table
// needs. Files the thread opens afterwards are not seen by the other threads,
// nor theirs by it: only for threads that keep to files they open and close
// themselves (the file checks). Elsewhere it does nothing.
void UseOwnFileTable();

}  // namespace kestro::platform
