#include "tests/support/temp_dir.hpp"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>

namespace kestro::test {

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  std::random_device rd;
  const auto base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto name = "kestro-test-" + std::to_string(rd()) + "-" + std::to_string(counter++);
    std::error_code ec;
    if (std::filesystem::create_directory(base / name, ec)) {
      path_ = base / name;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  WriteFile(path, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

namespace {
std::filesystem::path FromEnv(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return {};
  std::string text(value);
#ifdef _WIN32
  // CTest passes Unix paths; under Wine the Unix root is drive Z:.
  if (!text.empty() && text[0] == '/') text = "Z:" + text;
#endif
  return std::filesystem::path(text);
}
}  // namespace

std::filesystem::path OutputDir() { return FromEnv("KESTRO_OUT_DIR"); }
std::filesystem::path SourceDir() { return FromEnv("KESTRO_SOURCE_DIR"); }

}  // namespace kestro::test
