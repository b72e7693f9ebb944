#include "app/component_registration.hpp"

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/dynamic_library.hpp"

namespace kestro::app {
namespace {

// What the worker and the waiting caller share; kept alive by both.
struct Completion {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  std::int32_t result = 0;
};

class DynamicComponent : public ComponentLibrary {
 public:
  explicit DynamicComponent(platform::DynamicLibrary library) : library_(std::move(library)) {}
  std::function<std::int32_t()> EntryPoint(const char* name) override {
    void* address = library_.Find(name);
    if (address == nullptr) return {};
    // Registration entry points take nothing and answer an HRESULT (a 32-bit
    // code) with the standard calling convention, which is the default on x64.
    using Entry = std::int32_t (*)();
    const auto entry = reinterpret_cast<Entry>(address);
    return [entry] { return entry(); };
  }

 private:
  platform::DynamicLibrary library_;
};

class DynamicLoader : public ComponentLoader {
 public:
  bool Exists(const std::filesystem::path& path) override {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
  }
  std::unique_ptr<ComponentLibrary> Load(const std::filesystem::path& path) override {
    platform::DynamicLibrary library(path);
    if (!library.IsLoaded()) return nullptr;
    return std::make_unique<DynamicComponent>(std::move(library));
  }
};

}  // namespace

RegistrationOutcome RunRegistration(const std::filesystem::path& path, bool unregister, ComponentLoader& loader,
                                    std::chrono::milliseconds wait) {
  if (!loader.Exists(path)) return RegistrationOutcome::Missing;
  // Shared with the worker: the library is unloaded only after the entry point has
  // returned, by whichever of the two lets go of it last.
  std::shared_ptr<ComponentLibrary> library = loader.Load(path);
  if (!library) return RegistrationOutcome::NotLoadable;
  auto entry = library->EntryPoint(unregister ? "DllUnregisterServer" : "DllRegisterServer");
  if (!entry) return RegistrationOutcome::NoEntryPoint;

  auto completion = std::make_shared<Completion>();
  std::thread worker;
  try {
    worker = std::thread([completion, library, entry = std::move(entry)]() mutable {
      const std::int32_t result = entry();
      entry = nullptr;
      std::lock_guard lock(completion->mutex);
      completion->result = result;
      completion->finished = true;
      completion->done.notify_all();
    });
  } catch (const std::system_error&) {
    return RegistrationOutcome::NoThread;
  }

  std::unique_lock lock(completion->mutex);
  if (!completion->done.wait_for(lock, wait, [&] { return completion->finished; })) {
    lock.unlock();
    worker.detach();  // the worker keeps the library loaded until the entry point returns
    return RegistrationOutcome::TimedOut;
  }
  const std::int32_t result = completion->result;
  lock.unlock();
  worker.join();
  return result < 0 ? RegistrationOutcome::EntryFailed : RegistrationOutcome::Done;
}

bool RegisterComponent(const std::filesystem::path& path, bool unregister, ComponentLoader& loader,
                       std::chrono::milliseconds wait) {
  return RunRegistration(path, unregister, loader, wait) == RegistrationOutcome::Done;
}

ComponentLoader& NativeComponentLoader() {
  static DynamicLoader loader;
  return loader;
}

}  // namespace kestro::app
