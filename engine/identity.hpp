#pragma once
// The product's identity values, carried by the engine library. Plain ASCII: the
// main program reads them as byte strings.

#include <string_view>

#include "io/crc32.hpp"
#include "kestro_version.h"
#include <array>

namespace kestro::engine {

inline constexpr std::string_view kProgram = "KESTRO Antivirus";
// The product version (CMake project VERSION): "4.2".
inline constexpr std::string_view kVersion = KESTRO_VERSION_TEXT;
inline constexpr std::string_view kBuild = "1 May 2013";
inline constexpr std::string_view kSite = "http://www.kestro-antivirus.example/";

// The integrity value: fixed at build time as the CRC-32 of the identity texts
// joined with "|", written as exactly eight upper-case hexadecimal digits.
inline constexpr std::uint32_t kIntegrityValue =
    checks::Crc32Constexpr("KESTRO Antivirus|" KESTRO_VERSION_TEXT "|1 May 2013|http://www.kestro-antivirus.example/");

inline constexpr std::array<char, 9> IntegrityText() {
  constexpr char digits[] = "0123456789ABCDEF";
  std::array<char, 9> text{};
  for (int i = 0; i < 8; ++i) text[static_cast<std::size_t>(i)] = digits[(kIntegrityValue >> (28 - 4 * i)) & 0xFu];
  return text;
}

inline constexpr std::array<char, 9> kIntegrityText = IntegrityText();

}  // namespace kestro::engine
