// POSIX: downloads with libcurl.
#include <curl/curl.h>

#include <cstdio>
#include <mutex>

#include "update/native_downloader.hpp"

namespace kestro::update {
namespace {

// A transfer that stalls (under one byte a second) this long is given up.
constexpr long kStallSeconds = 60;
constexpr long kConnectSeconds = 30;

struct Transfer {
  std::FILE* file = nullptr;
  bool writeFailed = false;
  const DownloadProgress* progress = nullptr;
};

extern "C" std::size_t WritePiece(char* data, std::size_t size, std::size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const std::size_t bytes = size * count;
  if (std::fwrite(data, 1, bytes, transfer->file) != bytes) {
    transfer->writeFailed = true;
    return 0;  // makes curl stop with CURLE_WRITE_ERROR
  }
  return bytes;
}

extern "C" int ReportProgress(void* user, curl_off_t total, curl_off_t received, curl_off_t, curl_off_t) {
  auto* transfer = static_cast<Transfer*>(user);
  if (transfer->progress != nullptr && *transfer->progress) {
    (*transfer->progress)(static_cast<std::uint64_t>(received), static_cast<std::uint64_t>(total));
  }
  return 0;
}

class CurlDownloader final : public UrlDownloader {
 public:
  CurlDownloader() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  }

  DownloadResult Fetch(const std::string& url, const std::filesystem::path& destination,
                       const DownloadProgress& progress) override {
    DownloadResult result;
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
      result.error = "the download library could not start";
      return result;
    }
    Transfer transfer;
    transfer.progress = &progress;
    transfer.file = std::fopen(destination.c_str(), "wb");
    if (transfer.file == nullptr) {
      curl_easy_cleanup(curl);
      result.error = "the file " + destination.filename().string() + " could not be created";
      return result;
    }

    char errorText[CURL_ERROR_SIZE] = {};
    curl_slist* headers = nullptr;
    headers = curl_slist_append(headers, "Cache-Control: no-cache");
    headers = curl_slist_append(headers, "Pragma: no-cache");
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectSeconds);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WritePiece);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, ReportProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);

    const CURLcode code = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    const bool closed = std::fclose(transfer.file) == 0;
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);

    if (code == CURLE_OK && closed) {
      result.ok = true;
      return result;
    }
    if (code == CURLE_HTTP_RETURNED_ERROR) {
      result.error = "the server answered HTTP " + std::to_string(status);
    } else if (code == CURLE_PARTIAL_FILE) {
      result.error = "the transfer ended before the whole file arrived (it is cut short)";
    } else if (transfer.writeFailed || !closed) {
      result.error = "the file " + destination.filename().string() + " could not be written";
    } else {
      result.error = errorText[0] != '\0' ? std::string(errorText) : std::string(curl_easy_strerror(code));
    }
    return result;
  }
};

}  // namespace

std::unique_ptr<UrlDownloader> MakeNativeDownloader() {
  return std::make_unique<CurlDownloader>();
}

}  // namespace kestro::update
