#include "io/sampled_checksum.hpp"

#include "io/crc32.hpp"
#include "io/mdl_pe.hpp"

namespace kestro::checks {
namespace {

// Reads nothing: every position counts as 0.
class NoFileReader final : public PositionedReader {
 public:
  std::int64_t Size() const override { return -1; }
  std::int32_t ReadAt(std::int32_t, std::int32_t, Bytes& out) override {
    out.clear();
    return -1;
  }
};

}  // namespace

std::string SampledText(PositionedReader& reader) {
  std::string text;
  text.reserve(72);
  Bytes one;
  for (const std::int32_t pos : kSamplePositions) {
    const std::uint8_t value = reader.ReadAt(pos, 1, one) == 1 ? one[0] : 0;
    text += std::to_string(value);
  }
  return text;
}

std::string SampledFileChecksum(PositionedReader& reader) {
  return clsCRC32{}.StringChecksum(SampledText(reader));
}

std::string SampledFileChecksum(const std::filesystem::path& path) {
  const std::int32_t handle = mdlPE::OpenForChecking(path);
  if (handle <= 0) {
    NoFileReader none;
    return SampledFileChecksum(none);
  }
  HandleReader reader(handle);
  std::string result = SampledFileChecksum(reader);
  mdlPE::CloseFile(handle);
  return result;
}

}  // namespace kestro::checks
