// The quarantine panel's Restore and Clean flows with scripted answers.
#include "app/scan_page/quarantine_actions.hpp"

#include <gtest/gtest.h>

#include <deque>

#include "tests/support/remedy_fakes.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::app::scan_page {
namespace {
namespace fs = std::filesystem;

struct ScriptedPrompts final : QuarantinePrompts {
  std::optional<fs::path> folder;
  std::deque<bool> answers;  // Yes/No answers in order; No when they run out
  std::vector<std::string> asked, shown;
  std::optional<fs::path> ChooseFolder(std::string_view title) override {
    asked.emplace_back(title);
    return folder;
  }
  bool AskYesNo(std::string_view text, platform::MessageIcon) override {
    asked.emplace_back(text);
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void Show(std::string_view text, platform::MessageIcon) override { shown.emplace_back(text); }
};

class QuarantineActionsTest : public ::testing::Test {
 protected:
  QuarantineActionsTest() : store_(dir_.path() / "[ KESTRO ]", fake_.context, nullptr) {
    EXPECT_TRUE(store_.PrepareFolder());
    fs::create_directories(dir_ / "restore");
    prompts_.folder = dir_ / "restore";
  }
  fs::path Quarantined(const std::string& name, std::string_view bytes) {
    test::WriteFile(dir_ / name, bytes);
    const auto result = store_.Quarantine(dir_ / name);
    EXPECT_EQ(result.status, remedy::QuarantineStatus::Quarantined);
    return result.container.filename();
  }
  std::string Read(const fs::path& path) {
    const auto bytes = test::ReadFile(path);
    return std::string(bytes.begin(), bytes.end());
  }

  test::TempDir dir_;
  test::FakeRemedy fake_;
  remedy::QuarantineStore store_;
  ScriptedPrompts prompts_;
};

TEST_F(QuarantineActionsTest, RestoreAsksWhereAndConfirmsThenBringsTheBytesBack) {
  const fs::path container = Quarantined("x.exe", "MZ original bytes");
  prompts_.answers = {true};
  EXPECT_EQ(RestoreSelected(store_, container, prompts_, fake_.files), RestoreStep::Restored);
  EXPECT_EQ(prompts_.asked,
            (std::vector<std::string>{"Select location to restore the file ..", "Are you sure restore this file ?"}));
  EXPECT_EQ(Read(dir_ / "restore" / "x.exe"), "MZ original bytes");
  EXPECT_TRUE(store_.List().empty());
}

TEST_F(QuarantineActionsTest, RestoreStopsWithoutSelectionOnCancelAndOnNo) {
  const fs::path container = Quarantined("x.exe", "MZ");
  EXPECT_EQ(RestoreSelected(store_, std::nullopt, prompts_, fake_.files), RestoreStep::NotSelected);
  EXPECT_EQ(prompts_.shown, std::vector<std::string>{"File not found or file not selected !"});

  prompts_.folder.reset();
  EXPECT_EQ(RestoreSelected(store_, container, prompts_, fake_.files), RestoreStep::Cancelled);
  prompts_.folder = dir_ / "restore";
  prompts_.answers = {false};
  EXPECT_EQ(RestoreSelected(store_, container, prompts_, fake_.files), RestoreStep::Declined);
  EXPECT_EQ(store_.List(), std::vector<fs::path>{container});
  EXPECT_FALSE(fs::exists(dir_ / "restore" / "x.exe"));
}

TEST_F(QuarantineActionsTest, AnExistingFileIsReplacedOnlyAfterAYes) {
  const fs::path container = Quarantined("x.exe", "MZ quarantined");
  test::WriteFile(dir_ / "restore" / "x.exe", "the user's own file");

  prompts_.answers = {true, false};  // restore: yes; replace: no
  EXPECT_EQ(RestoreSelected(store_, container, prompts_, fake_.files), RestoreStep::KeptExisting);
  EXPECT_EQ(prompts_.asked.back(), ReplaceQuestion(dir_ / "restore" / "x.exe"));
  EXPECT_EQ(Read(dir_ / "restore" / "x.exe"), "the user's own file");
  EXPECT_EQ(store_.List(), std::vector<fs::path>{container});

  prompts_.answers = {true, true};
  EXPECT_EQ(RestoreSelected(store_, container, prompts_, fake_.files), RestoreStep::Restored);
  EXPECT_EQ(Read(dir_ / "restore" / "x.exe"), "MZ quarantined");
  EXPECT_TRUE(store_.List().empty());
}

TEST_F(QuarantineActionsTest, CleanSelectedAndCleanAll) {
  const fs::path a = Quarantined("a.exe", "MZ a");
  Quarantined("b.exe", "MZ b");
  Quarantined("c.exe", "MZ c");

  EXPECT_FALSE(CleanSelected(store_, std::nullopt, prompts_));
  EXPECT_FALSE(CleanAll(store_, std::nullopt, prompts_));
  EXPECT_EQ(prompts_.shown, (std::vector<std::string>{"File not found or file not selected.",
                                                      "File not found or file not selected."}));
  EXPECT_EQ(store_.List().size(), 3u);

  EXPECT_TRUE(CleanSelected(store_, a, prompts_));
  EXPECT_EQ(store_.List().size(), 2u);

  prompts_.shown.clear();
  prompts_.answers = {false};
  EXPECT_FALSE(CleanAll(store_, store_.List().front(), prompts_));
  EXPECT_EQ(store_.List().size(), 2u);
  prompts_.answers = {true};
  EXPECT_TRUE(CleanAll(store_, store_.List().front(), prompts_));
  EXPECT_TRUE(store_.List().empty());
  EXPECT_EQ(prompts_.asked.back(), "Are you sure clean all object ?");
  EXPECT_EQ(prompts_.shown, std::vector<std::string>{"All object has been cleaned."});
  EXPECT_FALSE(QuarantineButtonsEnabled(store_.List().size()));
}

}  // namespace
}  // namespace kestro::app::scan_page
