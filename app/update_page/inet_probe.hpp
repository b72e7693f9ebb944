#pragma once
// The connectivity probe: Cek_Lin of the outside library KESTROInet.dll, loaded
// from the program folder at the first call and kept for the rest of the run.

#include <filesystem>

#include "update/download.hpp"

namespace kestro::update_page {

class InetProbe final : public update::ConnectivityProbe {
 public:
  explicit InetProbe(std::filesystem::path programFolder) : programFolder_(std::move(programFolder)) {}
  // Cek_Lin answered -1 (true). A missing library or entry point counts as no connection.
  bool IsConnected() override;

 private:
  std::filesystem::path programFolder_;
};

// The folder of the running program.
std::filesystem::path ProgramFolderOfProcess();

}  // namespace kestro::update_page
