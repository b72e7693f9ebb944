// A harmless program for the running-process scan's tests: it sleeps for the
// seconds given (60 when none) and ends. On Windows it also keeps a worker
// thread running and one created suspended, so that a test can see the suspend
// count of every thread come back to what it was. The letters below are what
// the packer identification names "Inno Setup".
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

const char kPackerLetters[] = "InnoSetup";

#ifdef _WIN32
DWORD WINAPI Idle(void*) {
  Sleep(INFINITE);
  return 0;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
  if (argc > 2 && std::strcmp(argv[2], "--letters") == 0) std::puts(kPackerLetters);
#ifdef _WIN32
  HANDLE running = CreateThread(nullptr, 0, Idle, nullptr, 0, nullptr);
  HANDLE suspended = CreateThread(nullptr, 0, Idle, nullptr, CREATE_SUSPENDED, nullptr);
  Sleep(static_cast<DWORD>(seconds) * 1000);
  if (running != nullptr) CloseHandle(running);
  if (suspended != nullptr) CloseHandle(suspended);
#else
  for (int i = 0; i < seconds; ++i) sleep(1);
#endif
  return 0;
}
