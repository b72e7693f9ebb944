#pragma once
// The icon heuristic: worms disguise executables with folder, document and
// picture icons. The first icon a file shows is reduced to its icon value
// (icon_extract.hpp) and looked up in the icon signature list (DB_2x); a hit is
// named "HEUR[ICON]." followed by the name stored with the value.

#include <filesystem>
#include <string>
#include <string_view>

#include "checks/check_result.hpp"
#include "icon/icon_check.hpp"
#include "io/positioned_reader.hpp"
#include "sigdb/signature_list.hpp"

namespace kestro::checks {

inline constexpr std::string_view kIconDetectionPrefix = "HEUR[ICON].";

class clsHeuristic {
 public:
  // The list must outlive this object (the program's lists live until it ends).
  explicit clsHeuristic(const sigdb::SignatureList& iconList) : icons_(iconList) {}

  // A hit when the file's icon value equals an entry of the icon list (the
  // first equal entry names it). A file without icons has the value "" and hits
  // only when the list holds an empty entry; an unreadable file or broken
  // resources never hit.
  CheckResult CekHeuristic(const std::filesystem::path& Alamatfile) const;
  CheckResult CekHeuristic(PositionedReader& file) const;

  // The icon value of the file, or "" when it shows no icon (or cannot be read).
  static std::string CalcIcon(const std::filesystem::path& lpFileName);

 private:
  const sigdb::SignatureList& icons_;
};

// The icon step of the file check, backed by clsHeuristic and the icon list.
class IconHeuristicCheck final : public IconCheck {
 public:
  explicit IconHeuristicCheck(const sigdb::SignatureList& iconList) : heuristic_(iconList) {}
  CheckResult Check(const std::filesystem::path& path, PositionedReader& file) const override;

 private:
  clsHeuristic heuristic_;
};

}  // namespace kestro::checks
