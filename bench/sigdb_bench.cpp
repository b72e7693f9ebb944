// Loads three full-size signature databases from files and runs one million
// lookups against the file-checksum list; prints the times.
//
// Sizes: DB_1x.avn and DB_2x.avn hold 32,767 records each, the most a list may
// hold; DB_0x.avn holds 32,765, the most its two header lines leave room for.
// Targets on the reference machine: all three loads under 50 ms, the lookups
// under 100 ms.
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "io/hex_text.hpp"
#include "sigdb/database_loader.hpp"
#include "sigdb/database_writer.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using namespace kestro::sigdb;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Processor time of this process: on a busy shared machine the wall time also
// counts the time other programs held the processor.
double CpuMs(std::clock_t from, std::clock_t to) { return 1000.0 * static_cast<double>(to - from) / CLOCKS_PER_SEC; }

// Checksum-like signatures: upper-case hexadecimal of random 32-bit values.
std::vector<SignatureRecord> MakeRecords(std::size_t count, std::mt19937& gen) {
  std::vector<SignatureRecord> records;
  records.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    records.push_back({"Bench.Sample." + std::to_string(i), kestro::checks::HexOfUnsigned(static_cast<std::uint32_t>(gen()))});
  }
  return records;
}

}  // namespace

int main() {
  std::mt19937 gen(20261209);
  const auto folder = std::filesystem::temp_directory_path() /
                      ("kestro-bench-sigdb-" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(folder);
  const Date date{std::chrono::year{2026}, std::chrono::month{12}, std::chrono::day{9}};

  std::vector<SignatureRecord> checksumRecords;
  for (int k = 0; k < 3; ++k) {
    const auto kind = static_cast<DatabaseKind>(k);
    auto records = MakeRecords(MaxRecordCount(kind), gen);
    const BuildOutcome built = BuildDatabase(kind, {"bench", date}, records);
    if (!built.error.empty()) {
      std::fprintf(stderr, "build failed: %s\n", built.error.c_str());
      return 1;
    }
    std::ofstream(folder / std::string(DatabaseFileName(kind)), std::ios::binary)
        .write(reinterpret_cast<const char*>(built.bytes.data()), static_cast<std::streamsize>(built.bytes.size()));
    if (kind == DatabaseKind::FileChecksum) checksumRecords = std::move(records);
  }

  // Best of five: the first pass also warms the file cache.
  double bestLoad = 1e9;
  double bestLoadCpu = 1e9;
  SignatureLists lists;
  for (int pass = 0; pass < 5; ++pass) {
    SignatureLists fresh;
    DatabaseValues values;
    const auto start = Clock::now();
    const std::clock_t cpuStart = std::clock();
    const LoadAllOutcome all = LoadDatabases(folder, fresh, values);
    const double cpuMs = CpuMs(cpuStart, std::clock());
    const double ms = Ms(Clock::now() - start);
    if (all.status != LoadStatus::Loaded) {
      std::fprintf(stderr, "load failed\n");
      return 1;
    }
    if (ms < bestLoad) bestLoad = ms;
    if (cpuMs < bestLoadCpu) bestLoadCpu = cpuMs;
    lists = std::move(fresh);
  }
  std::printf("load 3 databases (%zu + %zu + %zu records): %.2f ms wall, %.2f ms cpu (best of 5)\n",
              lists.fileChecksums.Count(), lists.sectionHeads.Count(), lists.icons.Count(), bestLoad, bestLoadCpu);

  // One million lookups, half of them hits, texts prepared beforehand.
  std::vector<std::string> probes;
  probes.reserve(1000000);
  for (std::size_t i = 0; i < 1000000; ++i) {
    probes.push_back(i % 2 == 0 ? checksumRecords[(i / 2) % checksumRecords.size()].signature
                                : kestro::checks::HexOfUnsigned(static_cast<std::uint32_t>(gen())) + "Z");
  }
  std::size_t hits = 0;
  const auto start = Clock::now();
  const std::clock_t cpuStart = std::clock();
  for (const std::string& p : probes) if (lists.fileChecksums.Find(p) != 0) ++hits;
  const double lookupCpuMs = CpuMs(cpuStart, std::clock());
  const double lookupMs = Ms(Clock::now() - start);
  std::printf("1000000 lookups (%zu hits): %.2f ms wall, %.2f ms cpu\n", hits, lookupMs, lookupCpuMs);

  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  return 0;
}
