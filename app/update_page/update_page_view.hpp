#pragma once
// The update flow's view over the page's controls: txtInfo, progUpd and its
// text, message boxes owned by the main window, and the shell.

#include <windows.h>

#include <string>

#include "update/update_flow.hpp"

namespace kestro::update_page {

struct PageControls {
  HWND info = nullptr;          // txtInfo
  HWND progress = nullptr;      // progUpd
  HWND progressText = nullptr;  // "45 %  (1.2 MB of 2.6 MB)"
};

class PageView final : public update::UpdateView {
 public:
  PageView(PageControls controls, HWND owner, std::wstring title)
      : controls_(controls), owner_(owner), title_(std::move(title)) {}

  void SetText(const std::string& text) override;
  void AppendText(const std::string& text) override;
  void ShowProgress(std::uint64_t received, std::uint64_t total) override;
  void ResetProgress() override;
  void ShowError(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  void OpenFile(const std::filesystem::path& path) override;

 private:
  PageControls controls_;
  HWND owner_;
  std::wstring title_;
};

// "1.2 MB", "512 bytes".
std::wstring SizeText(std::uint64_t bytes);

}  // namespace kestro::update_page
