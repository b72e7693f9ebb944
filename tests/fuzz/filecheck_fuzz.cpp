// Fuzzes the whole file check over an in-memory view, under the names that
// route a file to each check, plus packer identification and the shell-link reader.
#include <cstddef>
#include <cstdint>

#include "io/file_view.hpp"
#include "icon/icon_check.hpp"
#include "checks/shell_link.hpp"
#include "checks/shortcut_check.hpp"
#include "scan/file_check.hpp"
#include "scan/packer_identification.hpp"

namespace {

class MissingTargets final : public kestro::checks::TargetExistence {
 public:
  kestro::platform::PathExistence Exists(std::string_view) const override {
    return kestro::platform::PathExistence::Missing;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const kestro::sigdb::SignatureLists lists;
  static const kestro::checks::NoIconCheck icon;
  static const MissingTargets targets;
  const kestro::scan::FileCheckContext context{lists, icon, targets, false};
  static const char* const names[] = {"x.exe", "x.ocx", "x.lnk", "x.vbs", "x.php", "x.com", "autorun.inf", "x.html"};
  // The first byte picks the name, so one input explores one route deeply.
  if (size == 0) return 0;
  const char* name = names[data[0] % (sizeof(names) / sizeof(names[0]))];
  kestro::checks::FileView view = kestro::checks::FileView::FromBytes(name, {data + 1, size - 1});
  (void)kestro::scan::FileCheck(view, context);
  (void)kestro::scan::IdentifyPacker(view);
  (void)kestro::checks::ShellLinkTarget({data + 1, size - 1});
  return 0;
}
