#pragma once
// The operating system's synchronous downloader: URL monikers
// (URLDownloadToFileW) on Windows, libcurl elsewhere. Both bypass caches, fail
// on an HTTP error status and on a transfer that ends before the announced
// length, and say why in words.

#include <memory>

#include "update/download.hpp"

namespace kestro::update {

std::unique_ptr<UrlDownloader> MakeNativeDownloader();

}  // namespace kestro::update
