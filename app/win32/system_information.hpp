#pragma once
// The system-information lines read once at start (operating system and processor).

#include <optional>

#include "app/startup_routine.hpp"

namespace kestro::app {

std::optional<SystemLines> QuerySystemLines();

}  // namespace kestro::app
