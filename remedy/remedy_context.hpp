#pragma once
// What the remediation operations reach the system through, and the program
// title that captions their messages (`ProgramTitle`).

#include <string>

#include "platform/file_ops.hpp"
#include "platform/messages.hpp"
#include "platform/processes.hpp"

namespace kestro::remedy {

struct RemedyContext {
  platform::FileOps& files;
  platform::ProcessTerminator& processes;
  platform::UserMessages& messages;
  std::string programTitle;
};

}  // namespace kestro::remedy
