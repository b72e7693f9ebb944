#include "update/update_index.hpp"

#include <vector>

#include "update/version_compare.hpp"

namespace kestro::update {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(kLineEnd, start);
    if (end == std::string_view::npos) break;
    lines.push_back(text.substr(start, end - start));
    start = end + kLineEnd.size();
  }
  lines.push_back(text.substr(start));
  return lines;
}

std::string_view TrimBlanks(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

std::string_view ServerVersionOfLine(std::string_view line) {
  if (line.size() < kVersionColumn) return {};
  return line.substr(kVersionColumn - 1, kVersionWidth);
}

std::string ServerDigitsOfLine(std::string_view line) {
  return VersionDigits(ServerVersionOfLine(line));
}

std::string ExtensionOfUrl(std::string_view url) {
  const std::size_t dot = url.rfind('.');
  return "." + std::string(dot == std::string_view::npos ? url : url.substr(dot + 1));
}

FileDigest ParseDigestLine(std::string_view line) {
  FileDigest digest;
  const std::string_view text = TrimBlanks(line);
  if (text.empty()) return digest;
  digest.state = FileDigest::State::Malformed;
  if (!text.starts_with(kDigestPrefix)) return digest;
  const auto value = ParseDigestText(TrimBlanks(text.substr(kDigestPrefix.size())));
  if (!value) return digest;
  digest.state = FileDigest::State::Given;
  digest.value = *value;
  return digest;
}

void ReadUpdateIndex(std::string_view text, UpdateIndex& held) {
  const std::vector<std::string_view> lines = SplitLines(text);
  // lines[n] is line n + 1.
  if (lines.size() > 1) {
    held.serverVersion = std::string(ServerVersionOfLine(lines[1]));
    held.serverDigits = ServerDigitsOfLine(lines[1]);
  }
  if (lines.size() > 2) {
    held.programUrl = std::string(lines[2]);
    held.programExtension = ExtensionOfUrl(lines[2]);
  }
  for (std::size_t k = 0; k < held.databaseUrls.size(); ++k) {
    if (lines.size() > 3 + k) held.databaseUrls[k] = std::string(lines[3 + k]);
  }
  for (std::size_t slot = 0; slot < held.digests.size(); ++slot) {
    held.digests[slot] = lines.size() > 6 + slot ? ParseDigestLine(lines[6 + slot]) : FileDigest{};
  }
}

std::string VersionProblem(std::string_view version) {
  if (version.empty()) return "the version is empty";
  if (version.size() > kVersionWidth) {
    return "the version '" + std::string(version) + "' is longer than " + std::to_string(kVersionWidth) +
           " characters (readers take at most " + std::to_string(kVersionWidth) + ")";
  }
  for (const char c : version) {
    if (c != '.' && (c < '0' || c > '9')) {
      return "the version '" + std::string(version) + "' holds characters other than digits and dots";
    }
  }
  if (version.find_first_not_of('.') == std::string_view::npos) return "the version has no digit";
  return {};
}

std::string WriteUpdateIndex(const IndexContent& content) {
  // Line 2 puts the version at column kVersionColumn.
  constexpr std::string_view kVersionLabel = "Latest version      : ";
  static_assert(kVersionLabel.size() == kVersionColumn - 1);
  std::string text = "KESTRO Antivirus update index\r\n";
  text += std::string(kVersionLabel) + content.version + "\r\n";
  text += content.programUrl + "\r\n";
  for (const std::string& url : content.databaseUrls) text += url + "\r\n";
  std::size_t lastDigest = 0;
  for (std::size_t slot = 0; slot < content.digests.size(); ++slot) {
    if (content.digests[slot]) lastDigest = slot + 1;
  }
  for (std::size_t slot = 0; slot < lastDigest; ++slot) {
    if (content.digests[slot]) text += std::string(kDigestPrefix) + DigestText(*content.digests[slot]);
    text += "\r\n";
  }
  return text;
}

std::string ResolveUrl(std::string_view base, std::string_view reference) {
  if (reference.find("://") != std::string_view::npos) return std::string(reference);
  const std::size_t scheme = base.find("://");
  if (reference.starts_with('/')) {
    if (scheme == std::string_view::npos) return std::string(reference);
    const std::size_t pathStart = base.find('/', scheme + 3);
    return std::string(base.substr(0, pathStart)) + std::string(reference);
  }
  const std::size_t lastSlash = base.rfind('/');
  if (lastSlash == std::string_view::npos || (scheme != std::string_view::npos && lastSlash < scheme + 3)) {
    return std::string(base) + "/" + std::string(reference);
  }
  return std::string(base.substr(0, lastSlash + 1)) + std::string(reference);
}

}  // namespace kestro::update
