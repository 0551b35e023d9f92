// Any bytes as a data file load without fault and change nothing unless the
// file is taken; a catalogue that was taken is saved and loaded again to the
// same catalogue and the same bytes.
#include "catalogue/catalogue.h"
#include "catalogue/site_data_file.h"
#include "fuzz_support.h"
#include "util/text_routines.h"

namespace {

std::string FileBytes(const std::string& path) {
  std::string bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
    std::fclose(f);
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input = AsText(data, size);
  // An odd first byte wraps the rest in a container of the right identity, so
  // that the blocks inside get most of the attention.
  std::string bytes;
  if (!input.empty() && (input[0] & 1)) {
    input.remove_prefix(1);
    bytes = "<!--\t\t@__QZ_ID_CODE_BLOCK_TAG__@\t\t-->" + morvane::SiteDataIdentity(morvane::kDefaultDataFileName) +
            "<!--/\t\t@__QZ_ID_CODE_BLOCK_TAG__@\t\t--><!--\t\t@__QZ_CONTENTS_BLOCK_TAG__@\t\t-->" +
            std::string(input) + "<!--/\t\t@__QZ_CONTENTS_BLOCK_TAG__@\t\t-->\r\n";
  } else {
    bytes = std::string(input);
  }
  const std::string dir = FuzzTempDir();
  const std::string in = dir + "import.dat", out = dir + "export.dat", out2 = dir + "export2.dat";
  WriteRawFile(in, bytes);

  morvane::SiteCatalogue catalogue(dir), fresh(dir);
  const morvane::SiteDataLoadResult result = catalogue.LoadSiteData(in);
  FUZZ_CHECK(FileBytes(in) == bytes);
  if (!result.Loaded()) {
    FUZZ_CHECK(catalogue.SiteList().Count() == 0);
    FUZZ_CHECK(catalogue.Tree().ToText() == fresh.Tree().ToText());
    return 0;
  }
  FUZZ_CHECK(catalogue.SaveSiteData(out));
  // An empty tree is written as an empty block, which reads as "keep the
  // tree": the file comes back with the two system entries. Entries without
  // a name at the end of the tree's text are lost with the block's last line
  // breaks; neither comes from a tree the window built.
  if (catalogue.Tree().Roots().empty()) return 0;
  for (const auto* e : catalogue.Tree().PreOrder())
    if (e->name.empty()) return 0;
  // Nor does a master ID ending in a lone lead byte, which pairs with the tab
  // written after it: one read from a damaged block, never one typed.
  const std::string& id = catalogue.MasterID();
  if (!id.empty() && morvane::IsLeadByte(id.back()) && !morvane::IsTrailByte(id, static_cast<long long>(id.size())))
    return 0;
  morvane::SiteCatalogue again(dir);
  FUZZ_CHECK(again.LoadSiteData(out).Loaded());
  FUZZ_CHECK(again.SiteList().GetText() == catalogue.SiteList().GetText());
  FUZZ_CHECK(again.Tree().ToText() == catalogue.Tree().ToText());
  FUZZ_CHECK(again.MasterID() == catalogue.MasterID() && again.MasterPass() == catalogue.MasterPass());
  FUZZ_CHECK(again.SaveSiteData(out2));
  FUZZ_CHECK(FileBytes(out2) == FileBytes(out));
  return 0;
}
