#include "sigdb/signature_list.hpp"

namespace kestro::sigdb {

void SignatureList::Append(std::string name, std::string signature) {
  names_.push_back(std::move(name));
  signatures_.push_back(std::move(signature));
  // try_emplace keeps the first index of a signature text: the first entry wins.
  firstIndex_.try_emplace(signatures_.back(), signatures_.size());
}

void SignatureList::Reserve(std::size_t count) {
  names_.reserve(count);
  signatures_.reserve(count);
  firstIndex_.reserve(count);
}

void SignatureList::Clear() {
  names_.clear();
  signatures_.clear();
  firstIndex_.clear();
}

std::size_t SignatureList::Find(std::string_view signature) const {
  const auto it = firstIndex_.find(signature);
  return it == firstIndex_.end() ? 0 : it->second;
}

std::string_view SignatureList::NameOf(std::string_view signature) const {
  const std::size_t k = Find(signature);
  return k == 0 ? std::string_view() : std::string_view(names_[k - 1]);
}

}  // namespace kestro::sigdb
