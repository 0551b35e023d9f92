#include "catalogue/drop_rules.h"

#include "catalogue/site_record.h"

namespace morvane {
namespace {
bool IsUnder(const TreeEntry* e, const TreeEntry* ancestor) {
  for (; e; e = e->parent)
    if (e == ancestor) return true;
  return false;
}
}  // namespace

bool CategoryDropAccepted(const CategoryTree& tree, DragSource source, const TreeEntry* dragged,
                          const TreeEntry* target) {
  if (!target) return false;
  switch (source) {
    case DragSource::SiteList: return target->name != AllSitesEntryName();
    case DragSource::CategoryTree:
      // Onto itself or its own sub-entry the move would take the target away with it.
      return dragged && !tree.IsSystemEntry(dragged) && !IsUnder(target, dragged);
    case DragSource::Other: break;
  }
  return false;
}

bool DropSiteOnEntry(LineList& sites, const ShownSites& shown, long long shownRow, const TreeEntry* target) {
  const std::string* line = shown.Find(shownRow);
  if (!target || !line) return false;
  MoveSiteToEntry(sites, SiteFromLine(*line), target->name);
  return true;
}

}  // namespace morvane
