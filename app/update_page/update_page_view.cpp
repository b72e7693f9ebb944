#include "app/update_page/update_page_view.hpp"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <climits>
#include <cwchar>

#include "app/update_page/page_text.hpp"

namespace kestro::update_page {

std::wstring SizeText(std::uint64_t bytes) {
  wchar_t text[32];
  if (bytes < 1024) {
    std::swprintf(text, 32, L"%llu bytes", static_cast<unsigned long long>(bytes));
  } else if (bytes < 1024 * 1024) {
    std::swprintf(text, 32, L"%.1f KB", static_cast<double>(bytes) / 1024.0);
  } else {
    std::swprintf(text, 32, L"%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  }
  return text;
}

// The edit control would show only what was there when the blocking downloads
// started; each change is painted at once.
void PageView::SetText(const std::string& text) {
  SetWindowTextW(controls_.info, WideFromAnsi(text).c_str());
  UpdateWindow(controls_.info);
}

void PageView::AppendText(const std::string& text) {
  const int length = GetWindowTextLengthW(controls_.info);
  SendMessageW(controls_.info, EM_SETSEL, static_cast<WPARAM>(length), static_cast<LPARAM>(length));
  SendMessageW(controls_.info, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(WideFromAnsi(text).c_str()));
  SendMessageW(controls_.info, EM_SCROLLCARET, 0, 0);
  UpdateWindow(controls_.info);
}

void PageView::ShowProgress(std::uint64_t received, std::uint64_t total) {
  if (total == 0) return;
  received = std::min(received, total);
  // The bar counts bytes; sizes beyond its range are counted in thousandths.
  const bool fits = total <= static_cast<std::uint64_t>(INT_MAX);
  const auto maximum = static_cast<LPARAM>(fits ? total : 1000);
  const auto position = static_cast<WPARAM>(fits ? received : received * 1000 / total);
  SendMessageW(controls_.progress, PBM_SETRANGE32, 0, maximum);
  SendMessageW(controls_.progress, PBM_SETPOS, position, 0);
  wchar_t percent[16];
  std::swprintf(percent, 16, L"%u %%", static_cast<unsigned>(received * 100 / total));
  const std::wstring text =
      std::wstring(percent) + L"  (" + SizeText(received) + L" of " + SizeText(total) + L")";
  SetWindowTextW(controls_.progressText, text.c_str());
  UpdateWindow(controls_.progress);
  UpdateWindow(controls_.progressText);
}

void PageView::ResetProgress() {
  SendMessageW(controls_.progress, PBM_SETPOS, 0, 0);
  SetWindowTextW(controls_.progressText, L"");
  UpdateWindow(controls_.progress);
  UpdateWindow(controls_.progressText);
}

void PageView::ShowError(const std::string& text) {
  MessageBoxW(owner_, WideFromAnsi(text).c_str(), title_.c_str(), MB_OK | MB_ICONERROR);
}

bool PageView::AskYesNo(const std::string& text) {
  return MessageBoxW(owner_, WideFromAnsi(text).c_str(), title_.c_str(), MB_YESNO | MB_ICONINFORMATION) ==
         IDYES;
}

void PageView::OpenFile(const std::filesystem::path& path) {
  ShellExecuteW(owner_, L"open", path.c_str(), L"", L"", SW_SHOWNORMAL);
}

}  // namespace kestro::update_page
