// Process rows, the priority check rule, the thread selection and the detail texts.
#include "systools/process_model.hpp"

#include <gtest/gtest.h>

#include <string>

namespace kestro::systools {
namespace {

TEST(ProcessModelTest, PriorityCheckRule) {
  const struct {
    std::uint32_t priorityClass;
    std::optional<int> item;
  } cases[] = {
      {256, 1},
      {128, 2},
      {32, 3},
      {64, 4},
      {0x4000, std::nullopt},  // below normal
      {0x8000, std::nullopt},  // above normal
      {0, std::nullopt},       // class could not be read
  };
  for (const auto& c : cases) EXPECT_EQ(CheckedPriorityItem(c.priorityClass), c.item) << c.priorityClass;
}

TEST(ProcessModelTest, CellTexts) {
  ProcessRow row;
  row.name = L"notepad.exe";
  row.path = L"C:\\windows\\notepad.exe";
  row.signedFile = true;
  row.sizeText = L"150 KB";
  row.pid = 1234;
  row.workingSetBytes = 5 * 1024 * 1024;
  EXPECT_EQ(ProcessCellText(row, ProcessColumn::Name), L"notepad.exe");
  EXPECT_EQ(ProcessCellText(row, ProcessColumn::Directory), L"C:\\windows\\notepad.exe");
  EXPECT_EQ(ProcessCellText(row, ProcessColumn::Signature), L"Yes");
  EXPECT_EQ(ProcessCellText(row, ProcessColumn::Size), L"150 KB");
  EXPECT_EQ(ProcessCellText(row, ProcessColumn::Pid), L"1234");
  EXPECT_EQ(ProcessCellText(row, ProcessColumn::Memory), L"5,120 KB");
  row.signedFile = false;
  row.workingSetBytes.reset();  // the process could not be opened for its counters
  EXPECT_EQ(ProcessCellText(row, ProcessColumn::Signature), L"No");
  EXPECT_EQ(ProcessCellText(row, ProcessColumn::Memory), L"");
  EXPECT_EQ(ProcessRowKey(1234), L"PID1234");
}

TEST(ProcessModelTest, SuspendAndResumeShareOneState) {
  SuspendMenuState state;
  state.AfterSuspend();
  EXPECT_FALSE(state.suspendEnabled);
  EXPECT_TRUE(state.resumeEnabled);
  state.AfterResume();
  EXPECT_TRUE(state.suspendEnabled);
  EXPECT_FALSE(state.resumeEnabled);
}

TEST(ProcessModelTest, ThreadsOfTheTargetOnlyAndEachOnce) {
  const std::vector<ThreadEntry> threads = {{10, 1}, {11, 2}, {12, 1}, {13, 3}, {12, 1}, {14, 1}};
  EXPECT_EQ(ThreadsOfProcess(threads, 1), (std::vector<std::uint32_t>{10, 12, 14}));
  EXPECT_EQ(ThreadsOfProcess(threads, 2), (std::vector<std::uint32_t>{11}));
  EXPECT_TRUE(ThreadsOfProcess(threads, 99).empty());
}

TEST(ProcessModelTest, MessagesAndDetailTexts) {
  EXPECT_EQ(TerminateQuestion(L"C:\\windows\\notepad.exe"),
            L"Are you sure you want to terminate process notepad.exe");
  EXPECT_EQ(FileNotFoundText(L"C:\\x.exe"), L"File C:\\x.exe not found !!");
  EXPECT_EQ(DetailWindowTitle(L"C:\\windows\\explorer.exe", 1234), L"explorer:1234 properties");
  EXPECT_EQ(DetailWindowTitle(L"C:\\a\\my.tool.exe", 7), L"my:7 properties");
  EXPECT_EQ(DetailWindowTitle(L"C:\\a\\noext", 7), L"noext:7 properties");
  EXPECT_EQ(ParentNameText(L"explorer.exe"), L"explorer.exe");
  EXPECT_EQ(ParentNameText(L""), L"<Non-existent Process>");
  EXPECT_EQ(OwnerAccountText(std::wstring(L" WORKGROUP\0\0", 12), L"alice  "), L"WORKGROUP\\alice");
  EXPECT_EQ(OwnerAccountText(L"", L""), L"");
  EXPECT_EQ(ModuleCountText(0), L"0 - Module(s)");
  EXPECT_EQ(ModuleCountText(17), L"17 - Module(s)");
}

}  // namespace
}  // namespace kestro::systools
