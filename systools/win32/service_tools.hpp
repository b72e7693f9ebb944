// The service manager's calls: enumeration of the Win32 services with their
// configured paths, and start, stop and delete by service name.
#pragma once

#include <string>
#include <vector>

#include "systools/service_model.hpp"

namespace kestro::systools {

struct ServiceListing {
  std::vector<ServiceRecord> records;  // in enumeration order
  std::wstring errorText;              // the message to show when the enumeration failed
};
ServiceListing ListServices();

// Each opens the manager and the service and reports whether the call succeeded.
bool StartServiceNamed(const std::wstring& serviceName);
bool StopServiceNamed(const std::wstring& serviceName);
bool DeleteServiceNamed(const std::wstring& serviceName);

}  // namespace kestro::systools
