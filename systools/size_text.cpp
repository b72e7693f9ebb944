#include "systools/size_text.hpp"

#include <system_error>

#include "io/cls_file.hpp"
#include "systools/number_format.hpp"

namespace kestro::systools {

std::wstring SizeText(std::int64_t size) {
  if (size < 1023) return FormatThousands(size) + L"  B";
  if (size < 1048575) return FormatThousands(size / 1024) + L" KB";
  if (size < 1073741823) return FormatThousands(size / 1048576) + L" MB";
  return FormatThousands(size / 1073741824) + L" GB";
}

std::int64_t FileSizeForText(const std::filesystem::path& path) {
  const checks::clsFile file;
  std::int64_t size = -1;
  const std::int32_t handle = file.VbOpenFile(path, 1, 4);
  if (handle > 0) {
    size = file.FileLen64(handle);
    file.VbCloseFile(handle);
  }
  if (size > 0) return size;
  std::error_code error;
  const auto length = std::filesystem::file_size(path, error);
  if (error) return size;
  return static_cast<std::int64_t>(length);
}

std::wstring FileSizeText(const std::filesystem::path& path) {
  const std::int64_t size = FileSizeForText(path);
  return size < 0 ? std::wstring{} : SizeText(size);
}

std::wstring MemoryUsageText(std::uint64_t workingSetBytes) {
  return FormatThousands(static_cast<std::int64_t>(workingSetBytes / 1024)) + L" KB";
}

}  // namespace kestro::systools
