#include "update/update_server.hpp"

#ifndef KESTRO_UPDATE_SERVER
#error "KESTRO_UPDATE_SERVER is set by the build"
#endif

namespace kestro::update {

std::string DefaultUpdateServer() { return KESTRO_UPDATE_SERVER; }

}  // namespace kestro::update
