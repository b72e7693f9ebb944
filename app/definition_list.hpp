#pragma once
// The product information page's definition list: every detection name of the
// three signature lists, the file-checksum names first, then the icon names,
// then the section-head names, each in file order (duplicates kept).

#include <string>
#include <vector>

#include "sigdb/signature_list.hpp"

namespace kestro::app {

std::vector<const std::string*> DefinitionNames(const sigdb::SignatureLists& lists);

}  // namespace kestro::app
