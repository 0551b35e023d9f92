#include "catalogue/shown_sites.h"

#include <numeric>

namespace morvane {

const std::string* ShownSites::Find(long long row) const {
  if (row < 0 || row >= Count() || !Current()) return nullptr;
  const std::uint32_t line = rows_[static_cast<std::size_t>(row)];
  return line < sites_->Lines().size() ? &sites_->Lines()[line] : nullptr;
}

const std::string& ShownSites::Get(long long row) const {
  const std::string* line = Find(row);
  if (!line) sites_->Error();
  return *line;
}

void ShownSites::Assign(std::vector<std::uint32_t> rows) {
  rows_ = std::move(rows);
  rows_.shrink_to_fit();
  revision_ = sites_->Revision();
}

void ShownSites::ShowAll() {
  std::vector<std::uint32_t> rows(static_cast<std::size_t>(sites_->Count()));
  std::iota(rows.begin(), rows.end(), std::uint32_t{0});
  Assign(std::move(rows));
}

}  // namespace morvane
