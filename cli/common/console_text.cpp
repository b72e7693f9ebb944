#include "cli/common/console_text.hpp"

#ifdef _WIN32
#include <windows.h>

#include <string>
#endif

namespace kestro::cli {

#ifdef _WIN32
namespace {

constexpr std::size_t kFlushAt = 4096;

// The length of the longest prefix that ends on a whole UTF-8 sequence (an
// incomplete sequence at the end waits for its remaining bytes).
std::size_t CompletePrefix(const std::string& text) {
  std::size_t start = text.size();
  for (std::size_t back = 0; back < 4 && start > 0; ++back) {
    const auto c = static_cast<unsigned char>(text[start - 1]);
    if ((c & 0xC0) != 0x80) {
      const std::size_t need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
      return text.size() - (start - 1) >= need ? text.size() : start - 1;
    }
    --start;
  }
  return text.size();
}

class ConsoleBuffer final : public std::streambuf {
 public:
  ConsoleBuffer(std::ostream& stream, HANDLE console) : stream_(stream), console_(console) {
    previous_ = stream_.rdbuf(this);
  }
  ~ConsoleBuffer() override {
    Write(true);
    stream_.rdbuf(previous_);
  }

 protected:
  int_type overflow(int_type c) override {
    if (c != traits_type::eof()) {
      pending_.push_back(static_cast<char>(c));
      if (c == '\n' || pending_.size() >= kFlushAt) Write(false);
    }
    return traits_type::not_eof(c);
  }
  std::streamsize xsputn(const char* text, std::streamsize count) override {
    pending_.append(text, static_cast<std::size_t>(count));
    if (pending_.size() >= kFlushAt || pending_.find('\n') != std::string::npos) Write(false);
    return count;
  }
  int sync() override {
    Write(false);
    return 0;
  }

 private:
  void Write(bool everything) {
    const std::size_t length = everything ? pending_.size() : CompletePrefix(pending_);
    if (length == 0) return;
    const int wideLength = MultiByteToWideChar(CP_UTF8, 0, pending_.data(), static_cast<int>(length), nullptr, 0);
    if (wideLength > 0) {
      std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
      MultiByteToWideChar(CP_UTF8, 0, pending_.data(), static_cast<int>(length), wide.data(), wideLength);
      DWORD written = 0;
      WriteConsoleW(console_, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    }
    pending_.erase(0, length);
  }

  std::ostream& stream_;
  HANDLE console_;
  std::streambuf* previous_ = nullptr;
  std::string pending_;
};

}  // namespace

std::unique_ptr<std::streambuf> AttachConsoleText(std::ostream& stream, int standardHandle) {
  HANDLE handle = GetStdHandle(standardHandle == 2 ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) return nullptr;
  stream.flush();
  return std::make_unique<ConsoleBuffer>(stream, handle);
}
#else
std::unique_ptr<std::streambuf> AttachConsoleText(std::ostream&, int) { return nullptr; }
#endif

}  // namespace kestro::cli
