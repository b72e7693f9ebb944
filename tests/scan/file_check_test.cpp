// The file check (size limit, sequence, icon step, checksum list) and scanning
// one file (record, count, deletion, log line), and packer identification.
#include <gtest/gtest.h>

#include "checks/extension_list.hpp"
#include "io/sampled_checksum.hpp"
#include "scan/file_check.hpp"
#include "scan/packer_identification.hpp"
#include "scan/scan_one_file.hpp"
#include "tests/support/pe_builder.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

class CountingIcon final : public checks::IconCheck {
 public:
  mutable int calls = 0;
  std::string name;  // empty: no hit
  checks::CheckResult Check(const std::filesystem::path&, checks::PositionedReader&) const override {
    ++calls;
    return name.empty() ? checks::CheckResult::Miss() : checks::CheckResult::Hit(name);
  }
};

class NoTargets final : public checks::TargetExistence {
 public:
  platform::PathExistence Exists(std::string_view) const override { return platform::PathExistence::Unknown; }
};

Bytes PlainPe(const std::string& firstName = ".text") {
  PeImage image;
  PeSection text;
  text.name = firstName;
  text.raw.assign(0x6000, 0);
  for (std::size_t i = 0; i < text.raw.size(); ++i) text.raw[i] = static_cast<std::uint8_t>(i * 13 + 1);
  PeSection data;
  data.name = ".data";
  data.characteristics = 0x40000040u;
  data.raw.assign(0x200, 1);
  image.sections = {text, data};
  image.entryPoint = image.SectionRva(0);
  return image.Build();
}

std::string ChecksumOf(const Bytes& bytes) {
  checks::MemoryReader reader(bytes);
  return checks::SampledFileChecksum(reader);
}

class FileCheckTest : public ::testing::Test {
 protected:
  TempDir dir;
  sigdb::SignatureLists lists;
  CountingIcon icon;
  NoTargets targets;
  scan::FileCheckContext Context() { return {lists, icon, targets, true}; }
  std::string Check(const std::string& name, const Bytes& bytes) {
    WriteFile(dir / name, bytes);
    const auto r = scan::FileCheck(dir / name, Context());
    return r.hit ? "hit " + r.detectionName : "miss";
  }
};

TEST_F(FileCheckTest, ChecksumListNamesPeFilesAndTheFirstEntryWins) {
  const Bytes pe = PlainPe();
  lists.fileChecksums.Append("W32.FIRST", ChecksumOf(pe));
  lists.fileChecksums.Append("W32.SECOND", ChecksumOf(pe));
  EXPECT_EQ(Check("x.dll", pe), "hit W32.FIRST");
  EXPECT_EQ(icon.calls, 0) << "the icon step is for names ending in EXE";
  EXPECT_EQ(Check("x.exe", pe), "hit W32.FIRST");
  EXPECT_EQ(icon.calls, 1);
  Bytes notPe = pe;
  notPe[0] = 'X';
  EXPECT_EQ(Check("y.exe", notPe), "miss") << "steps 5 and 6 are for PE images";
  EXPECT_EQ(icon.calls, 1);
}

TEST_F(FileCheckTest, IconStepComesBeforeTheChecksumList) {
  const Bytes pe = PlainPe();
  lists.fileChecksums.Append("W32.LISTED", ChecksumOf(pe));
  icon.name = "HEUR[ICON].FOLDER";
  EXPECT_EQ(Check("a.exe", pe), "hit HEUR[ICON].FOLDER");
  EXPECT_EQ(Check("a.dll", pe), "hit W32.LISTED");
}

TEST_F(FileCheckTest, HeuristicSequenceNameWinsOverTheList) {
  const Bytes upx = PlainPe("UPX0");
  lists.fileChecksums.Append("W32.LISTED", ChecksumOf(upx));
  EXPECT_EQ(Check("u.exe", upx), "hit HEUR[PE].UPX");
}

TEST_F(FileCheckTest, SequenceOrder) {
  // A script whose path also says AUTORUN: the script check runs first.
  EXPECT_EQ(Check("autorun.vbs", Bytes{'w', 's', 'c', 'r', 'i', 'p', 't', '.', 'e', 'x', 'e', ' ', 'T', 'A', 'S', 'K', 'K', 'I', 'L', 'L'}),
            "hit MAL.SCRIPT.VBS");
  EXPECT_EQ(Check("autorun.inf", Bytes{'w', 's', 'c', 'r', 'i', 'p', 't', '.', 'e', 'x', 'e', ' '}), "hit [ARRS] AUT");
}

TEST_F(FileCheckTest, SizeLimitAtItsBoundary) {
  Bytes digits(10485759, '1');
  EXPECT_EQ(Check("big.bat", digits), "hit MAL.SCRIPT.BAT");
  digits.push_back('1');
  EXPECT_EQ(Check("big.bat", digits), "miss") << "10,485,760 bytes";
  Bytes script(20 * 1024 * 1024, '1');
  EXPECT_EQ(Check("huge.bat", script), "miss");
}

TEST_F(FileCheckTest, UnopenableFileIsNoHit) {
  const auto r = scan::FileCheck(dir / "missing.exe", Context());
  EXPECT_FALSE(r.hit);
}

struct RecordingList final : scan::DetectionList {
  std::vector<scan::DetectionRecord> rows;
  std::uint32_t shown = 0;
  void Append(scan::DetectionRecord r) override { rows.push_back(std::move(r)); }
  void ShowCount(std::uint32_t c) override { shown = c; }
};
struct CountingSound final : scan::DetectionSound {
  int plays = 0;
  void PlayDetected() override { ++plays; }
};
struct RemovingDeleter final : scan::DetectedFileDeleter {
  std::vector<std::filesystem::path> deleted;
  void Delete(const std::filesystem::path& p) override {
    deleted.push_back(p);
    std::filesystem::remove(p);
  }
};
struct LinesLog final : scan::DetectionLog {
  std::vector<std::string> lines;
  void WriteLine(std::string_view l) override { lines.emplace_back(l); }
};
struct FixedClock final : scan::DetectionClock {
  std::string NowText() const override { return "10/12/2026 01:00:00"; }
};
struct TildeLongForm final : scan::LongPathForm {
  std::filesystem::path LongForm(const std::filesystem::path& p) const override {
    return p.parent_path() / "LongName.vbs";
  }
};

TEST_F(FileCheckTest, ScanOneFileRecordsCountsDeletesAndLogs) {
  RecordingList list;
  CountingSound sound;
  RemovingDeleter deleter;
  LinesLog log;
  FixedClock clock;
  TildeLongForm longForm;
  std::uint32_t count = 0;
  scan::ScanOneFileContext context{Context(), list, sound, deleter, log, longForm, clock, count, true, true};

  const Bytes script = {'T', 'A', 'S', 'K', 'K', 'I', 'L', 'L', ' ', 'U', 'P', 'X', '!', 0x0C, 0x09};
  WriteFile(dir / "SHORT~1.vbs", script);
  WriteFile(dir / "clean.vbs", Bytes{'h', 'e', 'l', 'l', 'o'});
  EXPECT_FALSE(scan::ScanOneFile(dir / "clean.vbs", context));
  ASSERT_TRUE(scan::ScanOneFile(dir / "SHORT~1.vbs", context));

  ASSERT_EQ(list.rows.size(), 1u);
  const auto& row = list.rows[0];
  EXPECT_EQ(row.infection, "MAL.SCRIPT.VBS");
  EXPECT_EQ(row.location, checks::PathUtf8(dir / "LongName.vbs"));
  EXPECT_EQ(row.detectionTime, "10/12/2026 01:00:00");
  EXPECT_EQ(row.packer, "UPX");
  EXPECT_EQ(row.tag, dir / "SHORT~1.vbs");
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(list.shown, 1u);
  EXPECT_EQ(sound.plays, 1);
  ASSERT_EQ(deleter.deleted.size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(dir / "SHORT~1.vbs"));
  ASSERT_EQ(log.lines.size(), 1u);
  EXPECT_EQ(log.lines[0], "MAL.SCRIPT.VBS" + std::string(6 + 5, ' ') + checks::PathUtf8(dir / "SHORT~1.vbs"));
}

TEST(LogAlignment, Columns) {
  EXPECT_EQ(scan::LogAlignment("W32.OLIGA"), 11u);
  EXPECT_EQ(scan::DetectionLogLine("W32.OLIGA", "C:\\a"), "W32.OLIGA" + std::string(16, ' ') + "C:\\a");
  EXPECT_EQ(scan::LogAlignment(std::string(20, 'x')), 0u);
  EXPECT_EQ(scan::LogAlignment("x"), 19u);
  EXPECT_EQ(scan::DetectionLogLine(std::string(25, 'N'), "p"), std::string(25, 'N') + "     p");
}

TEST(PackerIdentification, TableOrderAndCase) {
  TempDir dir;
  const auto identify = [&](const std::string& content) {
    WriteFile(dir / "f.exe", std::string_view(content));
    return scan::IdentifyPacker(dir / "f.exe");
  };
  struct Case { std::string content; const char* expected; };
  const Case cases[] = {
      {std::string("ab\0\0\0MEWcd", 10), "MEW Zenix"},
      {"xxUPX!\x0C\x09yy", "UPX"},
      {std::string("\xC0.aspack\0", 9), "Aspack"},
      {"\x89\x08PECompact", "PECompact"},
      {"InnoSetup", "Inno Setup"},
      {"WINRAR.SFX", "Winrar SFX"},
      {"petite", "Petite"},
      {"PEPACK", "PEPack"},
      {"FPException", "ASpack"},
      {"FPException UPX!\x0C\x09", "UPX"},
      {"innosetup", "Unknown"},
      {std::string("\0\0\0\0\0\0", 6), "Unknown"},
      {"", "Unknown"},
  };
  for (const Case& c : cases) EXPECT_EQ(identify(c.content), c.expected) << c.content;
  EXPECT_EQ(scan::IdentifyPacker(dir / "none.exe"), "Unknown");
  EXPECT_EQ(scan::PackerTableEntry(2), "555058210c09:UPX");
  EXPECT_EQ(scan::PackerTableEntry(10), "Selesai:Selesai");
  EXPECT_EQ(scan::PackerTableEntry(11), "");
  WriteFile(dir / "g.exe", std::string_view("..UPX!\x0C\x09.."));
  EXPECT_EQ(scan::FileContains(dir / "g.exe", "555058210C09", "UPX"), "UPX");
  EXPECT_EQ(scan::FileContains(dir / "g.exe", "496E6E6F", "Inno"), "");
}

}  // namespace
}  // namespace kestro::test
