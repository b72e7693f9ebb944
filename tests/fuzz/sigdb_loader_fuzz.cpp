// Fuzzes the signature database loader and its codecs.
//
// The first byte picks the database kind; the rest is the deciphered file text
// (it is enciphered before loading, so the fuzzer works on the text the decoder
// sees). Besides "no crash", it checks properties that must hold for every input:
// the one-pass decoder equals blank removal followed by the hexadecimal decoder,
// and whatever the source reader accepts, the writer stores and the loader reads
// back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "sigdb/cls_xor.hpp"
#include "sigdb/database_loader.hpp"
#include "sigdb/database_writer.hpp"
#include "sigdb/hex_decode.hpp"

namespace {

using namespace kestro::sigdb;

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const auto kind = static_cast<DatabaseKind>(data[0] % 3);
  const std::string_view plain(reinterpret_cast<const char*>(data + 1), size - 1);

  // The loader over the enciphered text.
  std::vector<std::uint8_t> file(plain.begin(), plain.end());
  clsXOR cipher;
  cipher.EncryptByte(file, kDatabaseKey);
  SignatureList list;
  DatabaseValues values;
  const LoadOutcome outcome = LoadDatabaseBytes(file, kind, list, values);
  Check(outcome.records == list.Count());
  Check(list.Names().size() == list.Signatures().size());
  Check(outcome.status == LoadStatus::Loaded || list.Count() == 0);
  for (std::size_t k = 1; k <= list.Count(); ++k) Check(list.Find(list.Signature(k)) <= k);
  (void)DatabaseAgeRule(values, Date{std::chrono::year{2026}, std::chrono::month{12}, std::chrono::day{9}});

  // The one-pass decoder agrees with the two steps it replaces.
  std::string decoded;
  DecodeBlankedHexInto(plain, decoded);
  Check(decoded == HexDecode(RemoveBlanks(plain)));
  (void)ParseDatabaseDate(plain);

  // Source text accepted by the reader round-trips through writer and loader.
  const SourceOutcome source = ParseSourceText(plain);
  if (source.error.empty()) {
    const BuildOutcome built = BuildDatabase(kind, {std::string(plain.substr(0, 16)), Date{std::chrono::year{2026},
                                                    std::chrono::month{1}, std::chrono::day{31}}},
                                             source.records);
    if (built.error.empty()) {
      SignatureList back;
      DatabaseValues backValues;
      const LoadOutcome reloaded = LoadDatabaseBytes(built.bytes, kind, back, backValues);
      Check(reloaded.status == LoadStatus::Loaded);
      Check(back.Count() == source.records.size());
      for (std::size_t k = 1; k <= back.Count(); ++k) {
        Check(back.Name(k) == source.records[k - 1].name);
        Check(back.Signature(k) == source.records[k - 1].signature);
      }
    } else {
      Check(source.records.size() > MaxRecordCount(kind));
    }
  }
  return 0;
}
