#include "scan/archive_library.hpp"

#include <utility>

#include "platform/dynamic_library.hpp"

namespace kestro::scan {
namespace {

template <typename Fn>
Fn Bind(const platform::DynamicLibrary& library, const char* name) {
  return reinterpret_cast<Fn>(library.Find(name));
}

class BoundArchiveLibrary final : public ArchiveLibrary {
 public:
  explicit BoundArchiveLibrary(const std::filesystem::path& path) : library_(path) {
    open_ = Bind<KESTROOpenArchiveFn>(library_, "KESTROOpenArchive");
    setPassword_ = Bind<KESTROSetPasswordFn>(library_, "KESTROSetPassword");
    readHeader_ = Bind<KESTROReadHeaderFn>(library_, "KESTROReadHeader");
    processFile_ = Bind<KESTROProcessFileFn>(library_, "KESTROProcessFile");
    close_ = Bind<KESTROCloseArchiveFn>(library_, "KESTROCloseArchive");
    available_ = open_ != nullptr && setPassword_ != nullptr && readHeader_ != nullptr &&
                 processFile_ != nullptr && close_ != nullptr;
  }

  bool IsAvailable() const override { return available_; }

  ArchiveHandle OpenArchive(ArchiveOpenRecord& record) override {
    if (!available_) {
      record.OpenResult = KESTRO_ERAR_EOPEN;
      return 0;
    }
    return open_(&record);
  }

  void SetPassword(ArchiveHandle handle, const char* password) override {
    if (available_) setPassword_(handle, password);
  }

  int ReadHeader(ArchiveHandle handle, ArchiveHeaderRecord& header) override {
    return available_ ? readHeader_(handle, &header) : KESTRO_ERAR_UNKNOWN;
  }

  int ProcessFile(ArchiveHandle handle, int operation, const char* destFolder, const char* destName) override {
    return available_ ? processFile_(handle, operation, destFolder, destName) : KESTRO_ERAR_UNKNOWN;
  }

  void CloseArchive(ArchiveHandle handle) override {
    if (available_) close_(handle);
  }

 private:
  platform::DynamicLibrary library_;
  KESTROOpenArchiveFn open_ = nullptr;
  KESTROSetPasswordFn setPassword_ = nullptr;
  KESTROReadHeaderFn readHeader_ = nullptr;
  KESTROProcessFileFn processFile_ = nullptr;
  KESTROCloseArchiveFn close_ = nullptr;
  bool available_ = false;
};

class LazyArchiveLibrary final : public ArchiveLibrary {
 public:
  LazyArchiveLibrary(std::filesystem::path path, std::function<void()> unavailable)
      : path_(std::move(path)), unavailable_(std::move(unavailable)) {}

  bool IsAvailable() const override { return Bound().IsAvailable(); }
  ArchiveHandle OpenArchive(ArchiveOpenRecord& record) override { return Bound().OpenArchive(record); }
  void SetPassword(ArchiveHandle handle, const char* password) override { Bound().SetPassword(handle, password); }
  int ReadHeader(ArchiveHandle handle, ArchiveHeaderRecord& header) override {
    return Bound().ReadHeader(handle, header);
  }
  int ProcessFile(ArchiveHandle handle, int operation, const char* destFolder, const char* destName) override {
    return Bound().ProcessFile(handle, operation, destFolder, destName);
  }
  void CloseArchive(ArchiveHandle handle) override { Bound().CloseArchive(handle); }

 private:
  ArchiveLibrary& Bound() const {
    if (!bound_) {
      bound_ = std::make_unique<BoundArchiveLibrary>(path_);
      if (!bound_->IsAvailable() && unavailable_) unavailable_();
    }
    return *bound_;
  }

  std::filesystem::path path_;
  std::function<void()> unavailable_;
  mutable std::unique_ptr<ArchiveLibrary> bound_;
};

}  // namespace

std::filesystem::path ArchiveLibraryFileName() { return platform::SharedLibraryFileName("RARExtract"); }

std::unique_ptr<ArchiveLibrary> BindArchiveLibrary(const std::filesystem::path& programFolder) {
  return BindArchiveLibraryAt(programFolder / ArchiveLibraryFileName());
}

std::unique_ptr<ArchiveLibrary> BindArchiveLibraryAt(const std::filesystem::path& libraryPath) {
  return std::make_unique<BoundArchiveLibrary>(libraryPath);
}

std::unique_ptr<ArchiveLibrary> BindArchiveLibraryOnFirstUse(std::filesystem::path libraryPath,
                                                             std::function<void()> unavailable) {
  return std::make_unique<LazyArchiveLibrary>(std::move(libraryPath), std::move(unavailable));
}

}  // namespace kestro::scan
