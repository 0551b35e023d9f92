#include "catalogue/site_sort.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

#include "catalogue/site_filter.h"
#include "util/text_routines.h"

namespace morvane {
namespace {

bool IsDigit(char16_t c) { return c >= '0' && c <= '9'; }

int NaturalCompareFolded(std::u16string_view a, std::u16string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      // Leading zeros do not count; then the longer run is the larger number.
      while (i < a.size() && a[i] == '0') ++i;
      while (j < b.size() && b[j] == '0') ++j;
      std::size_t ei = i, ej = j;
      while (ei < a.size() && IsDigit(a[ei])) ++ei;
      while (ej < b.size() && IsDigit(b[ej])) ++ej;
      if (ei - i != ej - j) return ei - i < ej - j ? -1 : 1;
      if (const int c = a.substr(i, ei - i).compare(b.substr(j, ej - j))) return c;
      i = ei;
      j = ej;
      continue;
    }
    if (a[i] != b[j]) return a[i] < b[j] ? -1 : 1;
    ++i;
    ++j;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

// The column's field of a site line, cut as the line is read.
std::string_view Field(std::string_view line, int column) {
  std::string_view rest = line;
  for (int i = 1; i < column; ++i) CutToken(rest, "\t");
  return CutToken(rest, "\t");
}

}  // namespace

int NaturalCompare(std::string_view a, std::string_view b) {
  if (const int folded = NaturalCompareFolded(FoldForMatching(a), FoldForMatching(b))) return folded;
  return a.compare(b) < 0 ? -1 : a == b ? 0 : 1;
}

namespace {

// Sorts rows (indexes into lines) by the column of the lines they name.
void SortRows(const LineList& lines, std::vector<std::uint32_t>& rows, int column, bool descending) {
  const std::vector<std::string>& all = lines.Lines();
  // Each key is folded once; the sort then compares the folded keys.
  std::vector<std::u16string> keys(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) keys[i] = FoldForMatching(Field(all[rows[i]], column));
  std::vector<std::size_t> order(rows.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
    int c = NaturalCompareFolded(keys[x], keys[y]);
    if (c == 0) c = Field(all[rows[x]], column).compare(Field(all[rows[y]], column));
    return descending ? c > 0 : c < 0;
  });
  std::vector<std::uint32_t> sorted(rows.size());
  for (std::size_t i = 0; i < order.size(); ++i) sorted[i] = rows[order[i]];
  rows = std::move(sorted);
}

bool IsSortColumn(int column) { return column >= 1 && column <= 6; }

}  // namespace

void SortSiteLines(LineList& lines, int column, bool descending) {
  if (!IsSortColumn(column)) return;
  std::vector<std::uint32_t> rows(static_cast<std::size_t>(lines.Count()));
  std::iota(rows.begin(), rows.end(), std::uint32_t{0});
  SortRows(lines, rows, column, descending);
  std::vector<std::string> sorted;
  sorted.reserve(rows.size());
  for (const std::uint32_t i : rows) sorted.push_back(lines.Get(i));
  for (std::size_t i = 0; i < rows.size(); ++i) lines.Put(static_cast<long long>(i), std::move(sorted[i]));
}

void SortSiteLines(ShownSites& shown, int column, bool descending) {
  // Rows made before the site list changed may name lines it no longer has.
  if (!IsSortColumn(column) || !shown.Current()) return;
  std::vector<std::uint32_t> rows = shown.Rows();
  SortRows(shown.Sites(), rows, column, descending);
  shown.Assign(std::move(rows));
}

}  // namespace morvane
