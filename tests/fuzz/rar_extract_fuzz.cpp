// Fuzzes RARExtract's exports on arbitrary archive bytes: open, read every
// header, extract or test every member into a scratch folder, close. Any
// result is fine; a crash, a sanitizer report or a hang is not.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "outside/RARExtract/rar_extract_api.h"

namespace {
std::filesystem::path Scratch() {
  static const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("kestro-rar-fuzz-" + std::to_string(getpid()));
  return folder;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto folder = Scratch();
  std::filesystem::create_directories(folder);
  const auto archive = folder / "input.rar";
  {
    std::ofstream out(archive, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const std::string archiveText = archive.string();
  KESTROOpenArchiveData open{};
  open.ArcName = archiveText.c_str();
  open.OpenMode = KESTRO_RAR_OM_EXTRACT;
  const KESTROArchiveHandle handle = KESTROOpenArchive(&open);
  if (open.OpenResult == 0) {
    KESTROHeaderData header{};
    int index = 0;
    while (KESTROReadHeader(handle, &header) == 0 && index < 1000) {
      const std::string dest = (folder / "out" / std::to_string(index++)).string();
      (void)KESTROProcessFile(handle, index % 3 == 0 ? KESTRO_RAR_TEST : KESTRO_RAR_EXTRACT, "", dest.c_str());
    }
    KESTROCloseArchive(handle);
  }
  std::error_code ec;
  std::filesystem::remove_all(folder / "out", ec);
  return 0;
}
