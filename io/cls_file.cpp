#include "io/cls_file.hpp"

#include <limits>

#include "platform/file.hpp"

namespace kestro::checks {

std::int32_t ReadRefusal(std::int64_t size, std::int64_t startPos, std::int64_t readLength) {
  if (size < 0) return -1;
  if (size == 0) return -2;
  if (size < startPos) return -3;
  if (startPos <= 0) return -4;
  if (readLength <= 0) return -5;
  if (size < readLength) return -6;
  return 0;
}

std::int32_t clsFile::VbOpenFile(const std::filesystem::path& szFileName, int opCreateOption,
                                 int opShareAccess) const {
  return platform::OpenRawFile(szFileName, opCreateOption, opShareAccess);
}

std::int64_t clsFile::FileLen64(std::int32_t nFileHandle) const {
  return platform::RawFileSize(nFileHandle);
}

std::int32_t clsFile::VbFileLen(std::int32_t nFileHandle) const {
  const std::int64_t size = FileLen64(nFileHandle);
  if (size < 0) return -1;
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(size > kMax ? kMax : size);
}

std::int32_t clsFile::VbCloseFile(std::int32_t nFileHandle) const {
  return platform::CloseRawFile(nFileHandle) ? 1 : 0;
}

std::int32_t clsFile::VbReadFileB(std::int32_t nFileHandle, std::int32_t nStartPos,
                                  std::int32_t nReadLength, Bytes& OutFileData) const {
  OutFileData.clear();
  const std::int32_t refusal = ReadRefusal(FileLen64(nFileHandle), nStartPos, nReadLength);
  if (refusal != 0) return refusal;
  OutFileData.resize(static_cast<std::size_t>(nReadLength));
  const std::int64_t got =
      platform::RawFileReadAt(nFileHandle, static_cast<std::uint64_t>(nStartPos - 1),
                              OutFileData.data(), OutFileData.size());
  if (got < 0) {
    OutFileData.clear();
    return -1;
  }
  OutFileData.resize(static_cast<std::size_t>(got));
  return static_cast<std::int32_t>(got);
}

std::int32_t clsFile::VbWriteFileB(std::int32_t nFileHandle, std::int32_t nStartPos,
                                   std::int32_t nWriteLength, const Bytes& InToFileData) const {
  if (nStartPos <= 0) return -1;
  if (nWriteLength <= 0) return -2;
  if (InToFileData.size() < static_cast<std::size_t>(nWriteLength)) return -3;
  const std::int64_t put =
      platform::RawFileWriteAt(nFileHandle, static_cast<std::uint64_t>(nStartPos - 1),
                               InToFileData.data(), static_cast<std::size_t>(nWriteLength));
  if (put < 0) return -4;
  return static_cast<std::int32_t>(put);
}

}  // namespace kestro::checks
