// The five exports. Handles are small 32-bit numbers that index a table of open
// archives; the table is locked, so several threads may each work on their own
// archive at the same time.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "outside/RARExtract/archive_session.hpp"
#include "outside/RARExtract/rar_extract_api.h"

#if defined(_WIN32)
#define KESTRO_RAR_EXPORT
#else
#define KESTRO_RAR_EXPORT __attribute__((visibility("default")))
#endif

// The record layouts are part of the interface: check them field for field.
static_assert(offsetof(KESTROOpenArchiveData, ArcName) == 0);
static_assert(offsetof(KESTROOpenArchiveData, OpenMode) == sizeof(void*));
static_assert(offsetof(KESTROOpenArchiveData, OpenResult) == sizeof(void*) + 4);
static_assert(offsetof(KESTROOpenArchiveData, CmtBuf) == sizeof(void*) + 8);
static_assert(offsetof(KESTROOpenArchiveData, CmtBufSize) == 2 * sizeof(void*) + 8);
static_assert(offsetof(KESTROOpenArchiveData, CmtState) == 2 * sizeof(void*) + 16);
static_assert(offsetof(KESTROHeaderData, FileName) == 260);
static_assert(offsetof(KESTROHeaderData, Flags) == 520);
static_assert(offsetof(KESTROHeaderData, FileAttr) == 520 + 8 * 4);
static_assert(offsetof(KESTROHeaderData, CmtBuf) % alignof(char*) == 0 &&
              offsetof(KESTROHeaderData, CmtBuf) >= 520 + 9 * 4);
static_assert(offsetof(KESTROHeaderData, CmtState) == offsetof(KESTROHeaderData, CmtBuf) + sizeof(void*) + 8);

namespace kestro::rarextract {
namespace {

class SessionTable {
 public:
  KESTROArchiveHandle Add(std::unique_ptr<ArchiveSession> session) {
    std::lock_guard lock(mutex_);
    for (;;) {
      next_ = next_ >= INT32_MAX ? 1 : next_ + 1;
      if (sessions_.find(next_) == sessions_.end()) break;
    }
    sessions_.emplace(next_, std::shared_ptr<ArchiveSession>(std::move(session)));
    return next_;
  }
  std::shared_ptr<ArchiveSession> Find(KESTROArchiveHandle handle) {
    std::lock_guard lock(mutex_);
    const auto it = sessions_.find(handle);
    return it == sessions_.end() ? nullptr : it->second;
  }
  bool Remove(KESTROArchiveHandle handle) {
    std::shared_ptr<ArchiveSession> session;  // freed outside the lock
    std::lock_guard lock(mutex_);
    const auto it = sessions_.find(handle);
    if (it == sessions_.end()) return false;
    session = std::move(it->second);
    sessions_.erase(it);
    return true;
  }

 private:
  std::mutex mutex_;
  std::map<KESTROArchiveHandle, std::shared_ptr<ArchiveSession>> sessions_;
  KESTROArchiveHandle next_ = 0;
};

SessionTable& Sessions() {
  static SessionTable table;
  return table;
}

}  // namespace
}  // namespace kestro::rarextract

using kestro::rarextract::ArchiveSession;
using kestro::rarextract::Sessions;

extern "C" {

KESTRO_RAR_EXPORT KESTROArchiveHandle KESTRO_RAR_CALL KESTROOpenArchive(KESTROOpenArchiveData* data) {
  if (data == nullptr) return 0;
  data->CmtSize = 0;
  data->CmtState = 0;
  if (data->ArcName == nullptr || *data->ArcName == '\0') {
    data->OpenResult = KESTRO_ERAR_EOPEN;
    return 0;
  }
  try {
    std::uint32_t result = KESTRO_ERAR_UNKNOWN;
    auto session = ArchiveSession::Open(data->ArcName, result);
    data->OpenResult = result;
    if (!session) return 0;
    return Sessions().Add(std::move(session));
  } catch (...) {
    data->OpenResult = KESTRO_ERAR_NO_MEMORY;
    return 0;
  }
}

KESTRO_RAR_EXPORT void KESTRO_RAR_CALL KESTROSetPassword(KESTROArchiveHandle handle, const char* password) {
  if (auto session = Sessions().Find(handle)) session->SetPassword(password);
}

KESTRO_RAR_EXPORT int32_t KESTRO_RAR_CALL KESTROReadHeader(KESTROArchiveHandle handle, KESTROHeaderData* header) {
  if (header == nullptr) return KESTRO_ERAR_UNKNOWN;
  try {
    auto session = Sessions().Find(handle);
    if (!session) return KESTRO_ERAR_UNKNOWN;
    return session->ReadHeader(*header);
  } catch (...) {
    return KESTRO_ERAR_NO_MEMORY;
  }
}

KESTRO_RAR_EXPORT int32_t KESTRO_RAR_CALL KESTROProcessFile(KESTROArchiveHandle handle, int32_t operation,
                                                            const char* destPath, const char* destName) {
  try {
    auto session = Sessions().Find(handle);
    if (!session) return KESTRO_ERAR_UNKNOWN;
    return session->ProcessFile(operation, destPath, destName);
  } catch (...) {
    return KESTRO_ERAR_NO_MEMORY;
  }
}

KESTRO_RAR_EXPORT int32_t KESTRO_RAR_CALL KESTROCloseArchive(KESTROArchiveHandle handle) {
  return Sessions().Remove(handle) ? KESTRO_ERAR_SUCCESS : KESTRO_ERAR_ECLOSE;
}

}  // extern "C"
