#pragma once
// Windows: URLDownloadToFileW with a status callback that bypasses the cache,
// reports progress, learns the HTTP status and can be told to stop.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>

#include "update/download.hpp"

namespace kestro::update::win32 {

// One synchronous fetch on the calling thread (COM is set up for the call when
// the thread has none). `stop`, when given, aborts the transfer once set.
DownloadResult FetchWithUrlMoniker(const std::string& url, const std::filesystem::path& destination,
                                   const DownloadProgress& progress, const std::atomic<bool>* stop = nullptr);

// An HRESULT of the URL moniker library in words.
std::string DownloadErrorText(long hresult);

}  // namespace kestro::update::win32
