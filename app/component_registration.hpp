#pragma once
// RegisterComponent: runs a companion library's registration entry point
// ("DllRegisterServer", or "DllUnregisterServer" to unregister) on a worker thread
// while the caller waits at most a fixed time (10,000 ms in the program).
//
// When the entry point has not returned in time the caller stops waiting, but the
// library stays loaded and the thread keeps running: unloading a library whose
// code is still executing on another thread would crash the program. The worker
// holds the library and lets go of it only after the entry point has returned
// (an entry point that never returns keeps it loaded for the rest of the run).

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

namespace kestro::app {

inline constexpr std::chrono::milliseconds kRegistrationWait{10000};

// One loaded library; destroying it unloads the library.
class ComponentLibrary {
 public:
  virtual ~ComponentLibrary() = default;
  // The named entry point (answers an HRESULT-style code: negative is failure),
  // or an empty function when the library lacks it.
  virtual std::function<std::int32_t()> EntryPoint(const char* name) = 0;
};

class ComponentLoader {
 public:
  virtual ~ComponentLoader() = default;
  virtual bool Exists(const std::filesystem::path& path) = 0;
  // Null when the file cannot be loaded as a library.
  virtual std::unique_ptr<ComponentLibrary> Load(const std::filesystem::path& path) = 0;
};

enum class RegistrationOutcome {
  Done,          // the entry point returned success
  EntryFailed,   // it returned a failure code
  Missing,       // no such file
  NotLoadable,
  NoEntryPoint,  // loaded, found lacking, unloaded
  NoThread,      // the worker thread could not be started
  TimedOut,      // still running after the wait; library and thread left alone
};

RegistrationOutcome RunRegistration(const std::filesystem::path& path, bool unregister, ComponentLoader& loader,
                                    std::chrono::milliseconds wait = kRegistrationWait);

// True only when the entry point ran and reported success.
bool RegisterComponent(const std::filesystem::path& path, bool unregister, ComponentLoader& loader,
                       std::chrono::milliseconds wait = kRegistrationWait);

// Libraries loaded through platform/dynamic_library (LoadLibrary on Windows).
ComponentLoader& NativeComponentLoader();

}  // namespace kestro::app
