#include "catalogue/site_sort.h"

#include <algorithm>
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

void SortSiteLines(LineList& lines, int column, bool descending) {
  if (column < 1 || column > 6) return;
  const long long n = lines.Count();
  // Each key is folded once; the sort then compares the folded keys.
  std::vector<std::u16string> keys(static_cast<std::size_t>(n));
  for (long long i = 0; i < n; ++i) keys[static_cast<std::size_t>(i)] = FoldForMatching(Field(lines.Get(i), column));
  std::vector<std::size_t> order(static_cast<std::size_t>(n));
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
    int c = NaturalCompareFolded(keys[x], keys[y]);
    if (c == 0) c = Field(lines.Get(static_cast<long long>(x)), column).compare(Field(lines.Get(static_cast<long long>(y)), column));
    return descending ? c > 0 : c < 0;
  });
  std::vector<std::string> sorted;
  sorted.reserve(order.size());
  for (std::size_t i : order) sorted.push_back(lines.Get(static_cast<long long>(i)));
  for (long long i = 0; i < n; ++i) lines.Put(i, std::move(sorted[static_cast<std::size_t>(i)]));
}

}  // namespace morvane
