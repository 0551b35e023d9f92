#pragma once
// The sites shown for the selected tree entry: which lines of the site list,
// in the order shown. Rows refer to the site lines instead of copying them,
// so showing every site of a large catalogue costs four bytes a site.
#include <cstdint>
#include <string>
#include <vector>

#include "util/line_list.h"

namespace morvane {

class ShownSites {
 public:
  explicit ShownSites(const LineList& sites) : sites_(&sites), revision_(sites.Revision()) {}
  // Rows refer into the site list given: never copied away from it.
  ShownSites(const ShownSites&) = delete;
  ShownSites& operator=(const ShownSites&) = delete;

  const LineList& Sites() const { return *sites_; }
  long long Count() const { return static_cast<long long>(rows_.size()); }
  // The site line of a row; the index error outside the rows, and for every
  // row once the site list has changed since the rows were chosen (a row
  // might then name another site).
  const std::string& Get(long long row) const;
  // The same, or nullptr where Get raises the index error.
  const std::string* Find(long long row) const;
  // True while the site list is as it was when the rows were chosen.
  bool Current() const { return sites_->Revision() == revision_; }

  // The rows as indexes into the site list, in the order shown.
  const std::vector<std::uint32_t>& Rows() const { return rows_; }
  // Shows these lines of the site list (indexes into it), in this order.
  void Assign(std::vector<std::uint32_t> rows);
  // Every line of the site list, in its own order.
  void ShowAll();

 private:
  const LineList* sites_;
  std::vector<std::uint32_t> rows_;
  std::uint64_t revision_;
};

}  // namespace morvane
