// The walk's folder listing and what the walks make of each kind of entry:
// links to files are scanned like the files, links to folders and dangling
// links are passed over, devices and pipes are counted but never handed over,
// and a file's size is judged through a link.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "platform/folder_listing.hpp"
#include "scan/scan_run.hpp"
#include "tests/support/temp_dir.hpp"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace kestro::scan {
namespace {
namespace fs = std::filesystem;
using platform::ListedKind;

struct Counts : ScanObserver {
  std::uint32_t files = 0, folders = 0;
  void Finishing(const ScanState& s, std::string_view) override {
    files = s.TotalFiles;
    folders = s.TotalFolders;
  }
};

struct Sink : CandidateSink {
  std::vector<std::string> files;
  void ScanFile(fs::path p) override { files.push_back(p.filename().string()); }
  bool AcceptsArchive(const fs::path&) override { return true; }
  void ScanArchive(const fs::path&) override {}
};

class ScanWalkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteFile(dir.path() / "plain.exe", std::string(10, 'x'));
    fs::create_directory(dir.path() / "sub");
    test::WriteFile(dir.path() / "sub" / "inner.vbs", std::string(3, 'x'));
  }
  // Makes the links of the tests; false where links cannot be made (Wine).
  bool MakeLinks() {
    std::error_code ec;
    fs::create_symlink(dir.path() / "plain.exe", dir.path() / "tofile.exe", ec);
    if (!ec) fs::create_directory_symlink(dir.path() / "sub", dir.path() / "tofolder", ec);
    if (!ec) fs::create_symlink(dir.path() / "missing.exe", dir.path() / "dangling.exe", ec);
    // Wine answers success without making a link: look at what is there.
    std::error_code statEc;
    return !ec && fs::is_symlink(fs::symlink_status(dir.path() / "tofile.exe", statEc));
  }
  std::map<std::string, std::pair<ListedKind, std::int64_t>> List() {
    std::map<std::string, std::pair<ListedKind, std::int64_t>> out;
    platform::FolderListing listing(dir.path());
    EXPECT_TRUE(listing.Opened());
    while (listing.Next()) {
      EXPECT_EQ(fs::path(listing.NativeName()).u8string(),
                std::u8string(listing.Name().begin(), listing.Name().end()));
      out[std::string(listing.Name())] = {listing.Kind(), listing.FileSize()};
    }
    EXPECT_FALSE(listing.Failed());
    return out;
  }

  test::TempDir dir;
};

TEST_F(ScanWalkTest, ListingTellsKindsAndSizes) {
  const auto listed = List();
  ASSERT_EQ(listed.size(), 2u) << "no . or .. entries";
  EXPECT_EQ(listed.at("plain.exe"), std::make_pair(ListedKind::File, std::int64_t{10}));
  EXPECT_EQ(listed.at("sub"), std::make_pair(ListedKind::Folder, std::int64_t{-1}));
}

TEST_F(ScanWalkTest, ListingLooksThroughLinksOnlyToFiles) {
  if (!MakeLinks()) GTEST_SKIP() << "cannot create links here";
  const auto listed = List();
  ASSERT_EQ(listed.size(), 5u);
  EXPECT_EQ(listed.at("tofile.exe"), std::make_pair(ListedKind::File, std::int64_t{10}));
  EXPECT_EQ(listed.at("tofolder"), std::make_pair(ListedKind::Skipped, std::int64_t{-1}));
  EXPECT_EQ(listed.at("dangling.exe"), std::make_pair(ListedKind::Skipped, std::int64_t{-1}));
}

TEST_F(ScanWalkTest, ListingOfWhatIsNotAFolder) {
  EXPECT_FALSE(platform::FolderListing(dir.path() / "missing").Opened());
  EXPECT_FALSE(platform::FolderListing(dir.path() / "plain.exe").Opened());
  fs::create_directory(dir.path() / "empty");
  platform::FolderListing empty(dir.path() / "empty");
  EXPECT_TRUE(empty.Opened());
  EXPECT_FALSE(empty.Next());
  EXPECT_FALSE(empty.Failed());
}

TEST_F(ScanWalkTest, LinksToFilesAreScannedLikeTheFiles) {
  if (!MakeLinks()) GTEST_SKIP() << "cannot create links here";
  // A link whose name passes but whose target is over the size limit.
  test::WriteFile(dir.path() / "big.bin", std::string(10485761, 'x'));
  fs::create_symlink(dir.path() / "big.bin", dir.path() / "tobig.exe");
  ScanState state;
  Counts counts;
  NoMessagePump pump;
  NoScanMarkers markers;
  ScanServices services;
  Sink sink;
  state.ScanTarget = dir.path();
  ScanRun(state, counts, pump, markers, services, sink, ScanOptions{}).Run();
  std::sort(sink.files.begin(), sink.files.end());
  EXPECT_EQ(sink.files, (std::vector<std::string>{"inner.vbs", "plain.exe", "tofile.exe"}));
  // plain.exe, inner.vbs, big.bin, tofile.exe, tobig.exe; the folder link is not a folder.
  EXPECT_EQ(counts.files, 5u);
  EXPECT_EQ(counts.folders, 1u);
}

// A filter that takes every file is asked only about folders: the walk then
// builds no path per file. One that filters files is asked about each.
struct AskedFilter : WalkFilter {
  explicit AskedFilter(bool filtersFiles) : filters(filtersFiles) {}
  bool filters;
  mutable int folders = 0, files = 0;
  bool EntersFolder(const fs::path&) const override { return ++folders > 0; }
  bool TakesFile(const fs::path& f) const override { return ++files > 0 && f.filename() != "plain.exe"; }
  bool FiltersFiles() const override { return filters; }
};

TEST_F(ScanWalkTest, FileFilterIsAskedOnlyWhenItFiltersFiles) {
  for (const bool filters : {false, true}) {
    ScanState state;
    Counts counts;
    NoMessagePump pump;
    NoScanMarkers markers;
    ScanServices services;
    Sink sink;
    AskedFilter filter(filters);
    state.ScanTarget = dir.path();
    ScanRun(state, counts, pump, markers, services, sink, ScanOptions{.Filter = &filter}).Run();
    EXPECT_EQ(filter.folders, 2) << "the sub folder, once per walk";
    EXPECT_EQ(filter.files, filters ? 4 : 0) << "two files, once per walk";
    std::sort(sink.files.begin(), sink.files.end());
    EXPECT_EQ(sink.files, filters ? std::vector<std::string>{"inner.vbs"}
                                  : (std::vector<std::string>{"inner.vbs", "plain.exe"}));
  }
}

#ifndef _WIN32
TEST_F(ScanWalkTest, PipesAreCountedButNeverHandedOver) {
  ASSERT_EQ(::mkfifo((dir.path() / "pipe.exe").c_str(), 0600), 0);
  EXPECT_EQ(List().at("pipe.exe"), std::make_pair(ListedKind::OtherFile, std::int64_t{-1}));
  ScanState state;
  Counts counts;
  NoMessagePump pump;
  NoScanMarkers markers;
  ScanServices services;
  Sink sink;
  state.ScanTarget = dir.path();
  ScanRun(state, counts, pump, markers, services, sink, ScanOptions{}).Run();
  std::sort(sink.files.begin(), sink.files.end());
  EXPECT_EQ(sink.files, (std::vector<std::string>{"inner.vbs", "plain.exe"}));
  EXPECT_EQ(counts.files, 3u);
}
#endif

}  // namespace
}  // namespace kestro::scan
