#include "app/definition_list.hpp"

namespace kestro::app {

std::vector<const std::string*> DefinitionNames(const sigdb::SignatureLists& lists) {
  std::vector<const std::string*> names;
  names.reserve(lists.fileChecksums.Count() + lists.icons.Count() + lists.sectionHeads.Count());
  for (const auto* list : {&lists.fileChecksums, &lists.icons, &lists.sectionHeads}) {
    for (const auto& name : list->Names()) names.push_back(&name);
  }
  return names;
}

}  // namespace kestro::app
