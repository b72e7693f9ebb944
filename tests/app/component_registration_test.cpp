#include "app/component_registration.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>

namespace kestro::app {
namespace {

using namespace std::chrono_literals;

// A latch the blocking entry point waits on.
struct Gate {
  void Open() {
    std::lock_guard lock(mutex);
    open = true;
    changed.notify_all();
  }
  void WaitOpen() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return open; });
  }
  std::mutex mutex;
  std::condition_variable changed;
  bool open = false;
};

struct Library {
  std::map<std::string, std::int32_t> entries;  // entry point name -> result
  Gate* gate = nullptr;                         // the entry points wait for it when set
};

struct Tracking {
  std::atomic<int> loaded{0};
  std::atomic<int> calls{0};
  std::mutex mutex;
  std::condition_variable unloadedAll;
};

class FakeLibrary : public ComponentLibrary {
 public:
  FakeLibrary(const Library& library, Tracking& tracking) : library_(library), tracking_(tracking) { ++tracking_.loaded; }
  ~FakeLibrary() override {
    std::lock_guard lock(tracking_.mutex);
    --tracking_.loaded;
    tracking_.unloadedAll.notify_all();
  }
  std::function<std::int32_t()> EntryPoint(const char* name) override {
    const auto it = library_.entries.find(name);
    if (it == library_.entries.end()) return {};
    return [this, result = it->second] {
      ++tracking_.calls;
      if (library_.gate != nullptr) library_.gate->WaitOpen();
      return result;
    };
  }

 private:
  const Library& library_;
  Tracking& tracking_;
};

class FakeLoader : public ComponentLoader {
 public:
  bool Exists(const std::filesystem::path& path) override { return files.count(path.string()) != 0; }
  std::unique_ptr<ComponentLibrary> Load(const std::filesystem::path& path) override {
    const auto it = files.find(path.string());
    if (it == files.end() || !it->second) return nullptr;
    return std::make_unique<FakeLibrary>(*it->second, tracking);
  }
  std::map<std::string, const Library*> files;  // null: a file that is not a library
  Tracking tracking;
};

TEST(RegisterComponent, Outcomes) {
  const Library good{{{"DllRegisterServer", 0}, {"DllUnregisterServer", 0}}};
  const Library failing{{{"DllRegisterServer", static_cast<std::int32_t>(0x80070005)}}};
  const Library plain{};  // no registration entry point
  FakeLoader loader;
  loader.files = {{"good.dll", &good}, {"failing.dll", &failing}, {"plain.dll", &plain}, {"text.ocx", nullptr}};

  EXPECT_EQ(RunRegistration("good.dll", false, loader), RegistrationOutcome::Done);
  EXPECT_EQ(RunRegistration("good.dll", true, loader), RegistrationOutcome::Done);
  EXPECT_EQ(RunRegistration("failing.dll", false, loader), RegistrationOutcome::EntryFailed);
  EXPECT_EQ(RunRegistration("failing.dll", true, loader), RegistrationOutcome::NoEntryPoint);
  EXPECT_EQ(RunRegistration("plain.dll", false, loader), RegistrationOutcome::NoEntryPoint);
  EXPECT_EQ(RunRegistration("text.ocx", false, loader), RegistrationOutcome::NotLoadable);
  EXPECT_EQ(RunRegistration("absent.dll", false, loader), RegistrationOutcome::Missing);
  EXPECT_EQ(loader.tracking.loaded, 0);  // every library was unloaded again
  EXPECT_EQ(loader.tracking.calls, 3);

  EXPECT_TRUE(RegisterComponent("good.dll", false, loader));
  EXPECT_FALSE(RegisterComponent("failing.dll", false, loader));  // a failure is not reported as success
  EXPECT_FALSE(RegisterComponent("plain.dll", false, loader));
}

TEST(RegisterComponent, AfterTheWaitTheLibraryStaysLoadedUntilTheEntryPointReturns) {
  Gate gate;
  const Library slow{{{"DllRegisterServer", 0}}, &gate};
  FakeLoader loader;
  loader.files = {{"slow.dll", &slow}};

  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(RunRegistration("slow.dll", false, loader, 50ms), RegistrationOutcome::TimedOut);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);
  EXPECT_EQ(loader.tracking.loaded, 1);  // still loaded: its code is running

  gate.Open();
  std::unique_lock lock(loader.tracking.mutex);
  EXPECT_TRUE(loader.tracking.unloadedAll.wait_for(lock, 10s, [&] { return loader.tracking.loaded == 0; }));
}

}  // namespace
}  // namespace kestro::app
