#include "app/scan_page/page_texts.hpp"

#include <gtest/gtest.h>

namespace kestro::app::scan_page {
namespace {

TEST(FolderTreeTest, DriveCaptionsAndTheTargetTextOfANode) {
  EXPECT_EQ(DriveCaption(DriveKind::Fixed, 'C'), "Local Disk (C:)");
  EXPECT_EQ(DriveCaption(DriveKind::Optical, 'D'), "CD/DVD-Drive (D:)");
  EXPECT_EQ(DriveCaption(DriveKind::Removable, 'E'), "Removable Disk (E:)");
  EXPECT_EQ(TargetTextForNode("", true), "My Computer");
  EXPECT_EQ(TargetTextForNode("C:\\", false), "C:\\");
  EXPECT_EQ(TargetTextForNode("C:\\Windows\\System32", false), "C:\\Windows\\System32\\");
}

}  // namespace
}  // namespace kestro::app::scan_page
