// Prints CRC-32 throughput over a 64 MiB buffer (table-sliced form and the
// byte-at-a-time reference) and the sampled checksum rate over a generated folder.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "io/crc32.hpp"
#include "bench/best_of.hpp"
#include "io/sampled_checksum.hpp"

int main(int argc, char** argv) {
  using namespace kestro::checks;
  using kestro::bench::BestOf;
  const std::size_t size = 64u << 20;
  std::vector<std::uint8_t> buffer(size);
  std::mt19937_64 rng(1);
  for (std::size_t i = 0; i + 8 <= size; i += 8) {
    const std::uint64_t v = rng();
    for (int b = 0; b < 8; ++b) buffer[i + static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(v >> (8 * b));
  }

  volatile std::uint32_t sink = 0;
  const double fast = BestOf(5, [&] { sink = sink ^ Crc32(buffer); });
  const double reference = BestOf(2, [&] { sink = sink ^ Crc32Reference(buffer); });
  const double mb = static_cast<double>(size) / 1e6;
  std::printf("crc32 (sliced)       : %8.1f MB/s over 64 MiB\n", mb / fast);
  std::printf("crc32 (byte-at-once) : %8.1f MB/s over 64 MiB\n", mb / reference);

  // Sampled checksum over a generated folder of files of mixed sizes.
  const int files = argc > 1 ? std::atoi(argv[1]) : 5000;
  const auto dir = std::filesystem::temp_directory_path() / "kestro-bench-sampled";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  for (int i = 0; i < files; ++i) {
    const std::size_t len = 100 + static_cast<std::size_t>(rng() % 40000);
    std::ofstream out(dir / ("f" + std::to_string(i) + ".bin"), std::ios::binary);
    out.write(reinterpret_cast<const char*>(buffer.data() + (rng() % (size - len))), static_cast<std::streamsize>(len));
  }
  std::vector<std::filesystem::path> paths;
  for (const auto& e : std::filesystem::directory_iterator(dir)) paths.push_back(e.path());
  std::size_t checksumChars = 0;
  const double sampled = BestOf(3, [&] {
    for (const auto& p : paths) checksumChars += SampledFileChecksum(p).size();
  });
  std::printf("sampled checksum     : %8.0f files/s over %d files\n", static_cast<double>(paths.size()) / sampled, files);
  std::filesystem::remove_all(dir);
  return sink == 0x12345678u && checksumChars == 0 ? 1 : 0;
}
