// The hand-over of a folder to the running instance.
#include "app/scan_page/hand_over.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/scan_page/page_texts.hpp"

namespace kestro::app::scan_page {
namespace {

TEST(HandOverTest, APathSurvivesTheRoundTrip) {
  const std::u16string path = u"C:\\Users\\me\\Downloads\\new folder \u00e9";
  const std::u16string payload = HandOverPayload(path);
  EXPECT_EQ(payload.back(), u'\0');
  EXPECT_EQ(ReadHandOver(kHandOverId, payload.data(), payload.size() * sizeof(char16_t)), path);
  EXPECT_EQ(DecideHandOver(false), HandOverAction::StartScan);
  EXPECT_EQ(DecideHandOver(true), HandOverAction::BringScanPageForward);
}

TEST(HandOverTest, WhatIsNotAHandOverIsRefused) {
  const std::u16string good = HandOverPayload(u"C:\\x");
  const std::size_t bytes = good.size() * sizeof(char16_t);
  EXPECT_FALSE(ReadHandOver(kHandOverId + 1, good.data(), bytes)) << "another identifier";
  EXPECT_FALSE(ReadHandOver(kHandOverId, nullptr, bytes));
  EXPECT_FALSE(ReadHandOver(kHandOverId, good.data(), 0));
  EXPECT_FALSE(ReadHandOver(kHandOverId, good.data(), bytes - 1)) << "half a unit";
  const std::u16string notADrive = HandOverPayload(u"/U");
  EXPECT_FALSE(ReadHandOver(kHandOverId, notADrive.data(), notADrive.size() * sizeof(char16_t)));
  const std::u16string huge(kHandOverMaxChars + 2, u'a');
  EXPECT_FALSE(ReadHandOver(kHandOverId, huge.data(), huge.size() * sizeof(char16_t)));
}

TEST(HandOverTest, TheTextEndsAtItsFirstZeroAndNeedsNoTerminatorOrAlignment) {
  std::u16string withZero = u"C:\\a";
  withZero.push_back(u'\0');
  withZero += u"D:\\hidden";
  EXPECT_EQ(ReadHandOver(kHandOverId, withZero.data(), withZero.size() * sizeof(char16_t)), u"C:\\a");

  const std::u16string bare = u"C:\\b";  // sent without its terminating zero
  std::vector<unsigned char> unaligned(1 + bare.size() * sizeof(char16_t));
  std::memcpy(unaligned.data() + 1, bare.data(), bare.size() * sizeof(char16_t));
  EXPECT_EQ(ReadHandOver(kHandOverId, unaligned.data() + 1, bare.size() * sizeof(char16_t)), u"C:\\b");
}

TEST(FolderTreeTest, CaptionsAndTargetTexts) {
  EXPECT_EQ(DriveCaption(DriveKind::Fixed, 'C'), "Local Disk (C:)");
  EXPECT_EQ(DriveCaption(DriveKind::Optical, 'D'), "CD/DVD-Drive (D:)");
  EXPECT_EQ(DriveCaption(DriveKind::Removable, 'E'), "Removable Disk (E:)");
  EXPECT_EQ(TargetTextForNode("", true), "My Computer");
  EXPECT_EQ(TargetTextForNode("C:\\", false), "C:\\");
  EXPECT_EQ(TargetTextForNode("C:\\Windows\\System32", false), "C:\\Windows\\System32\\");
}

}  // namespace
}  // namespace kestro::app::scan_page
