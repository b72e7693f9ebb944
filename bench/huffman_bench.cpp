// HE3 container speed on 64 MiB of mixed executable-like data, next to gzip -1
// (compress) and gzip -d (decompress) on the same bytes in the same run.
// Prints figures only; targets: encode >= 4x gzip -1, decode >= gzip -d, with
// both sides handing their output on without keeping it (the streamed figures
// against gzip writing to /dev/null).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include <sys/resource.h>

#include "remedy/huffman_codec.hpp"

namespace {

// Processor time (user + system) of this process or of its finished children:
// on a shared, busy machine it measures the work, where wall time measures the queue.
double CpuSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Blocks of machine-code-like bytes (skewed opcodes), zero padding, text
// strings and incompressible resource data, in the proportions of a typical
// Windows executable.
kestro::remedy::Bytes MixedExecutableData(std::size_t size) {
  kestro::remedy::Bytes data;
  data.reserve(size);
  std::mt19937 rng(2024);
  const std::string words[] = {"KERNEL32.dll", "GetProcAddress", "LoadLibraryA", "This program cannot be run in DOS mode",
                               "Microsoft", "\\Software\\", ".text", ".rdata", "VirtualAlloc", "MessageBoxW"};
  const std::uint8_t opcodes[] = {0x8B, 0x89, 0xE8, 0xFF, 0x83, 0x55, 0x5D, 0xC3, 0x48, 0x0F, 0x85, 0x74, 0x75,
                                  0x33, 0xC0, 0x50, 0x51, 0x52, 0x6A, 0x00, 0x45, 0xEC, 0x24, 0x04, 0x08};
  while (data.size() < size) {
    const auto kind = rng() % 10;
    const std::size_t block = 512 + rng() % 8192;
    for (std::size_t i = 0; i < block && data.size() < size; ++i) {
      if (kind < 5) {
        const auto r = rng();
        data.push_back(r % 4 == 0 ? static_cast<std::uint8_t>(r >> 8) : opcodes[(r >> 8) % sizeof opcodes]);
      } else if (kind < 7) {
        data.push_back(0);
      } else if (kind < 9) {
        const std::string& w = words[rng() % 10];
        for (char c : w) data.push_back(static_cast<std::uint8_t>(c));
        data.push_back(0);
      } else {
        data.push_back(static_cast<std::uint8_t>(rng()));
      }
    }
  }
  data.resize(size);
  return data;
}

double TimeCommand(const std::string& command) {
  const double start = CpuSeconds(RUSAGE_CHILDREN);
  if (std::system(command.c_str()) != 0) return -1;
  return CpuSeconds(RUSAGE_CHILDREN) - start;
}

}  // namespace

int main() {
  constexpr std::size_t kSize = 64u << 20;
  const double mb = static_cast<double>(kSize) / 1e6;
  const auto data = MixedExecutableData(kSize);

  // Streamed: the codec hands its output on in pieces that are not kept, as
  // gzip -c writing to /dev/null does. In memory: the whole result is built in
  // a fresh buffer, which adds the cost of fresh pages.
  double encodeStream = 1e9, decodeStream = 1e9, encodeMemory = 1e9, decodeMemory = 1e9;
  kestro::remedy::Bytes container;
  std::uint64_t handedOver = 0;
  const kestro::remedy::ChunkSink discard = [&](std::span<const std::uint8_t> piece) { handedOver += piece.size(); };
  for (int run = 0; run < 3; ++run) {
    double start = CpuSeconds(RUSAGE_SELF);
    container = kestro::remedy::EncodeContainer(data);
    encodeMemory = std::min(encodeMemory, CpuSeconds(RUSAGE_SELF) - start);
    start = CpuSeconds(RUSAGE_SELF);
    const auto decoded = kestro::remedy::DecodeContainer(container);
    decodeMemory = std::min(decodeMemory, CpuSeconds(RUSAGE_SELF) - start);
    if (decoded != data) {
      std::fprintf(stderr, "round trip failed\n");
      return 1;
    }
    handedOver = 0;
    start = CpuSeconds(RUSAGE_SELF);
    kestro::remedy::EncodeContainerTo(data, discard);
    encodeStream = std::min(encodeStream, CpuSeconds(RUSAGE_SELF) - start);
    if (handedOver != container.size()) {
      std::fprintf(stderr, "streamed container has a different size\n");
      return 1;
    }
    handedOver = 0;
    start = CpuSeconds(RUSAGE_SELF);
    kestro::remedy::DecodeContainerTo(container, discard);
    decodeStream = std::min(decodeStream, CpuSeconds(RUSAGE_SELF) - start);
    if (handedOver != data.size()) {
      std::fprintf(stderr, "streamed decoding has a different size\n");
      return 1;
    }
  }

  const auto folder = std::filesystem::temp_directory_path() / ("kestro-bench-huffman-" + std::to_string(std::rand()));
  std::filesystem::create_directories(folder);
  const auto raw = folder / "data.bin";
  {
    std::ofstream out(raw, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  }
  const std::string rawText = raw.string();
  double gzipBest = 1e9, gunzipBest = 1e9;
  const bool packed = std::system(("gzip -1 -c '" + rawText + "' > '" + rawText + ".gz'").c_str()) == 0;
  for (int run = 0; packed && run < 3; ++run) {
    gzipBest = std::min(gzipBest, TimeCommand("gzip -1 -c '" + rawText + "' > /dev/null"));
    gunzipBest = std::min(gunzipBest, TimeCommand("gzip -d -c '" + rawText + ".gz' > /dev/null"));
  }
  std::error_code ec;
  const auto gzSize = std::filesystem::file_size(rawText + ".gz", ec);
  std::filesystem::remove_all(folder, ec);

  std::printf("data: %.1f MB mixed executable-like bytes (best of 3 runs, processor time, MB = 10^6 bytes)\n", mb);
  std::printf("HE3 encode, streamed  : %8.1f MB/s  (container %.1f%% of input)\n", mb / encodeStream,
              100.0 * static_cast<double>(container.size()) / static_cast<double>(kSize));
  std::printf("HE3 decode, streamed  : %8.1f MB/s\n", mb / decodeStream);
  std::printf("HE3 encode, in memory : %8.1f MB/s  (result built in a fresh buffer)\n", mb / encodeMemory);
  std::printf("HE3 decode, in memory : %8.1f MB/s\n", mb / decodeMemory);
  if (packed && gzipBest > 0 && gunzipBest > 0) {
    std::printf("gzip -1 > /dev/null   : %8.1f MB/s  (output %.1f%% of input)\n", mb / gzipBest,
                100.0 * static_cast<double>(gzSize) / static_cast<double>(kSize));
    std::printf("gzip -d > /dev/null   : %8.1f MB/s\n", mb / gunzipBest);
    std::printf("streamed: encode / gzip -1 %.2fx (target >= 4), decode / gzip -d %.2fx (target >= 1)\n",
                gzipBest / encodeStream, gunzipBest / decodeStream);
    std::printf("in memory: encode / gzip -1 %.2fx, decode / gzip -d %.2fx\n", gzipBest / encodeMemory,
                gunzipBest / decodeMemory);
  } else {
    std::printf("gzip not available: no comparison\n");
  }
  return 0;
}
