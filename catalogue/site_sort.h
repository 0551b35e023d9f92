#pragma once
// Ordering the shown sites by a column of the site list, as a click on its
// header asks: numbers and dates by value, letters without regard to case
// or width, Japanese by character code. Only the shown list is reordered;
// the site list keeps its order.
#include <string_view>

#include "catalogue/shown_sites.h"
#include "util/line_list.h"

namespace morvane {

// Negative, zero or positive. Runs of digits compare by their value, so
// "site9" comes before "site10"; other characters by their matching form
// (FoldForMatching), then by their code.
int NaturalCompare(std::string_view a, std::string_view b);

// Sorts site lines by a column of the list (1 name, 2 URL, 3 category,
// 4 date, 5 analysis URL, 6 login ID); lines that compare equal keep their
// order. Other columns leave the lines as they are.
void SortSiteLines(LineList& lines, int column, bool descending);
// The same over the rows of the shown list; the site list keeps its order.
void SortSiteLines(ShownSites& shown, int column, bool descending);

}  // namespace morvane
