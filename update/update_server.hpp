#pragma once
// The update server this build was configured with.

#include <string>

namespace kestro::update {

// Address of the server folder that holds update.txt, as the build set it
// (CMake cache value KESTRO_UPDATE_SERVER).
std::string DefaultUpdateServer();

}  // namespace kestro::update
