#include "update/win32/url_moniker_downloader.hpp"

#include <urlmon.h>
#include <windows.h>
#include <wininet.h>

#include <cstdio>

#include "platform/win32/wide_text.hpp"
#include "update/native_downloader.hpp"

namespace kestro::update::win32 {
namespace {

using platform::WideFromUtf8;

// The status callback of one fetch. It lives on the caller's stack for the
// duration of URLDownloadToFileW, so its reference count only guards misuse.
class BindCallback final : public IBindStatusCallback, public IHttpNegotiate {
 public:
  BindCallback(const DownloadProgress& progress, const std::atomic<bool>* stop)
      : progress_(progress), stop_(stop) {}
  virtual ~BindCallback() = default;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IBindStatusCallback)) {
      *out = static_cast<IBindStatusCallback*>(this);
    } else if (IsEqualIID(riid, IID_IHttpNegotiate)) {
      *out = static_cast<IHttpNegotiate*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references_); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references_); }

  // IBindStatusCallback
  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                                       LPCWSTR) override {
    if (stop_ != nullptr && stop_->load()) return E_ABORT;
    if (statusCode == BINDSTATUS_BEGINDOWNLOADDATA || statusCode == BINDSTATUS_DOWNLOADINGDATA ||
        statusCode == BINDSTATUS_ENDDOWNLOADDATA) {
      received_ = progress;
      announced_ = progressMax;
      if (progress_) progress_(progress, progressMax);
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* flags, BINDINFO* info) override {
    // Always from the server: never a cached copy, and nothing written to the cache.
    if (flags != nullptr) *flags |= BINDF_GETNEWESTVERSION | BINDF_NOWRITECACHE | BINDF_PRAGMA_NO_CACHE;
    (void)info;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

  // IHttpNegotiate
  HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR* additional) override {
    if (additional != nullptr) *additional = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnResponse(DWORD responseCode, LPCWSTR, LPCWSTR, LPWSTR* additional) override {
    if (additional != nullptr) *additional = nullptr;
    httpStatus_ = responseCode;
    return S_OK;
  }

  DWORD httpStatus() const { return httpStatus_; }
  ULONG announced() const { return announced_; }

 private:
  const DownloadProgress& progress_;
  const std::atomic<bool>* stop_;
  long references_ = 1;
  DWORD httpStatus_ = 0;
  ULONG received_ = 0;
  ULONG announced_ = 0;
};

std::uint64_t FileSizeOf(const std::filesystem::path& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

class MonikerDownloader final : public UrlDownloader {
 public:
  DownloadResult Fetch(const std::string& url, const std::filesystem::path& destination,
                       const DownloadProgress& progress) override {
    return FetchWithUrlMoniker(url, destination, progress);
  }
};

}  // namespace

std::string DownloadErrorText(long hresult) {
  const auto code = static_cast<HRESULT>(hresult);
  switch (code) {
    case INET_E_RESOURCE_NOT_FOUND:
      return "the server could not be found";
    case INET_E_CANNOT_CONNECT:
      return "the server could not be reached";
    case INET_E_DOWNLOAD_FAILURE:
      return "the download failed (the server could not be reached)";
    case INET_E_CONNECTION_TIMEOUT:
      return "the server did not answer in time";
    case INET_E_OBJECT_NOT_FOUND:
      return "the server has no such file";
    case INET_E_INVALID_URL:
      return "the address is not valid";
    case INET_E_UNKNOWN_PROTOCOL:
      return "the address names an unknown protocol";
    case E_ACCESSDENIED:
    case STG_E_ACCESSDENIED:
      return "the file could not be written (access is denied)";
    case E_ABORT:
      return "the download was stopped";
    default:
      break;
  }
  char text[64];
  std::snprintf(text, sizeof text, "the download failed (error 0x%08lX)",
                static_cast<unsigned long>(hresult));
  return text;
}

DownloadResult FetchWithUrlMoniker(const std::string& url, const std::filesystem::path& destination,
                                   const DownloadProgress& progress, const std::atomic<bool>* stop) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  BindCallback callback(progress, stop);
  const HRESULT hr =
      URLDownloadToFileW(nullptr, WideFromUtf8(url).c_str(), destination.c_str(), 0, &callback);
  if (SUCCEEDED(com)) CoUninitialize();

  DownloadResult result;
  if (callback.httpStatus() >= 400) {
    result.error = "the server answered HTTP " + std::to_string(callback.httpStatus());
  } else if (FAILED(hr)) {
    result.error = DownloadErrorText(hr);
  } else if (callback.announced() != 0 && FileSizeOf(destination) != callback.announced()) {
    result.error = "the transfer ended before the whole file arrived (it is cut short)";
  } else {
    result.ok = true;
  }
  return result;
}

}  // namespace kestro::update::win32

namespace kestro::update {

std::unique_ptr<UrlDownloader> MakeNativeDownloader() {
  return std::make_unique<win32::MonikerDownloader>();
}

}  // namespace kestro::update
