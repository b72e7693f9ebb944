#include "systools/win32/service_tools.hpp"

#include <windows.h>

#include "platform/win32/wide_text.hpp"
#include "systools/win32/scoped_handle.hpp"

namespace kestro::systools {
namespace {

std::wstring FromAnsi(const char* text) {
  return text == nullptr ? std::wstring{} : platform::WideFrom(text, CP_ACP);
}

std::string ToAnsi(const std::wstring& text) { return platform::NarrowFrom(text, CP_ACP); }

std::wstring ConfiguredPath(SC_HANDLE manager, const char* serviceName) {
  ScopedServiceHandle service(OpenServiceA(manager, serviceName, SERVICE_QUERY_CONFIG));
  if (!service) return {};
  DWORD needed = 0;
  if (QueryServiceConfigA(service.get(), nullptr, 0, &needed) || GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    return {};
  std::vector<std::uint8_t> buffer(needed + sizeof(QUERY_SERVICE_CONFIGA));
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
  if (!QueryServiceConfigA(service.get(), config, static_cast<DWORD>(buffer.size()), &needed)) return {};
  return FromAnsi(config->lpBinaryPathName);
}

// Opens the service with all access on the active database, or nothing.
template <typename Action>
bool WithService(const std::wstring& serviceName, const char* database, Action action) {
  ScopedServiceHandle manager(OpenSCManagerA(nullptr, database, SC_MANAGER_ALL_ACCESS));
  if (!manager) return false;
  ScopedServiceHandle service(OpenServiceA(manager.get(), ToAnsi(serviceName).c_str(), SERVICE_ALL_ACCESS));
  if (!service) return false;
  return action(service.get());
}

}  // namespace

ServiceListing ListServices() {
  ServiceListing listing;
  ScopedServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE));
  if (!manager) return listing;

  DWORD needed = 0, count = 0, resume = 0;
  if (!EnumServicesStatusA(manager.get(), SERVICE_WIN32, SERVICE_STATE_ALL, nullptr, 0, &needed, &count,
                           &resume) &&
      GetLastError() != ERROR_MORE_DATA) {
    listing.errorText = EnumerationSizeErrorText(GetLastError());
    return listing;
  }
  // Services can appear between the two calls: grow and ask again, a bounded
  // number of times.
  std::vector<ENUM_SERVICE_STATUSA> entries;
  bool listed = false;
  DWORD error = 0;
  for (int attempt = 0; attempt < 4 && !listed; ++attempt) {
    entries.assign(needed / sizeof(ENUM_SERVICE_STATUSA) + 1, ENUM_SERVICE_STATUSA{});
    resume = 0;
    listed = EnumServicesStatusA(manager.get(), SERVICE_WIN32, SERVICE_STATE_ALL, entries.data(),
                                 static_cast<DWORD>(entries.size() * sizeof(ENUM_SERVICE_STATUSA)), &needed,
                                 &count, &resume) != FALSE;
    error = listed ? 0 : GetLastError();
    if (!listed && error != ERROR_MORE_DATA) break;
  }
  if (!listed) {
    listing.errorText = EnumerationErrorText(error);
    return listing;
  }
  for (DWORD i = 0; i < count && i < entries.size(); ++i) {
    const ENUM_SERVICE_STATUSA& entry = entries[i];
    listing.records.push_back(MakeServiceRecord(FromAnsi(entry.lpServiceName), FromAnsi(entry.lpDisplayName),
                                                entry.ServiceStatus.dwCurrentState,
                                                ConfiguredPath(manager.get(), entry.lpServiceName)));
  }
  return listing;
}

bool StartServiceNamed(const std::wstring& serviceName) {
  return WithService(serviceName, SERVICES_ACTIVE_DATABASEA,
                     [](SC_HANDLE service) { return StartServiceA(service, 0, nullptr) != FALSE; });
}

bool StopServiceNamed(const std::wstring& serviceName) {
  return WithService(serviceName, SERVICES_ACTIVE_DATABASEA, [](SC_HANDLE service) {
    SERVICE_STATUS status{};
    return ControlService(service, SERVICE_CONTROL_STOP, &status) != FALSE;
  });
}

bool DeleteServiceNamed(const std::wstring& serviceName) {
  return WithService(serviceName, nullptr, [](SC_HANDLE service) { return DeleteService(service) != FALSE; });
}

}  // namespace kestro::systools
