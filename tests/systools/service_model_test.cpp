// Service rows and the service menu's states.
#include "systools/service_model.hpp"

#include <gtest/gtest.h>

#include <string>

namespace kestro::systools {
namespace {

TEST(ServiceModelTest, StateTexts) {
  const struct {
    std::uint32_t state;
    const wchar_t* text;
  } cases[] = {{1, L"STOPPED"}, {2, L""},       {3, L""}, {4, L"RUNNING"}, {5, L""},
               {6, L""},        {7, L"PAUSED"}, {0, L""}, {99, L""}};
  for (const auto& c : cases) EXPECT_EQ(ServiceStateText(c.state), c.text) << c.state;
}

TEST(ServiceModelTest, MenuStates) {
  EXPECT_EQ(ServiceMenuStateFor(L"RUNNING")->startEnabled, false);
  EXPECT_EQ(ServiceMenuStateFor(L"RUNNING")->stopEnabled, true);
  for (const wchar_t* text : {L"STOPPED", L"PAUSED"}) {
    EXPECT_EQ(ServiceMenuStateFor(text)->startEnabled, true) << text;
    EXPECT_EQ(ServiceMenuStateFor(text)->stopEnabled, false) << text;
  }
  // Pending states and no selection leave the items as they were.
  for (const wchar_t* text : {L"", L"running", L"START_PENDING"})
    EXPECT_FALSE(ServiceMenuStateFor(text)) << text;
}

TEST(ServiceModelTest, RecordsAreCutAtNulAndLimits) {
  const std::wstring longName(300, L'n');
  const std::wstring longPath(300, L'p');
  const ServiceRecord record = MakeServiceRecord(longName, std::wstring(L"Print\0garbage", 13), 4, longPath);
  EXPECT_EQ(record.serviceName.size(), 250u);
  EXPECT_EQ(record.displayName, L"Print");
  EXPECT_EQ(record.executablePath.size(), 255u);
  EXPECT_EQ(record.stateText, L"RUNNING");
  // A pending service keeps its own name and path, with an empty state.
  const ServiceRecord pending =
      MakeServiceRecord(L"Spooler", L"Print Spooler", 2, L"C:\\windows\\system32\\spoolsv.exe");
  EXPECT_EQ(pending.serviceName, L"Spooler");
  EXPECT_EQ(pending.executablePath, L"C:\\windows\\system32\\spoolsv.exe");
  EXPECT_EQ(pending.stateText, L"");
}

TEST(ServiceModelTest, MessageTexts) {
  EXPECT_EQ(UninstallQuestion(L"Spooler"), L"Are you sure want to uninstall Spooler service ?");
  EXPECT_EQ(EnumerationSizeErrorText(5), L"LastDLLError = 5");
  EXPECT_EQ(EnumerationErrorText(87), L"EnumServicesStatus failed. LastDllError = 87");
}

}  // namespace
}  // namespace kestro::systools
