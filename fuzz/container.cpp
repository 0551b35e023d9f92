// Any file text is read as a container without fault, and contents that were
// read from a container of ours are written and read back unchanged.
#include "catalogue/site_data_file.h"
#include "fuzz_support.h"
#include "util/container_file.h"
#include "util/text_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string identity = morvane::SiteDataIdentity(morvane::kDefaultDataFileName);
  const morvane::ContainerText read = morvane::ParseContainer(morvane::ToCrLfLines(AsText(data, size)), identity);
  if (!read.contentsFound) FUZZ_CHECK(read.contents.empty());
  if (!read.identityMatches || !read.contentsFound) return 0;

  const std::string path = FuzzTempDir() + "container.dat";
  if (!morvane::WriteContainer(path, read.contents, identity)) return 0;
  const morvane::ContainerText again = morvane::ReadContainer(path, identity);
  FUZZ_CHECK(again.identityMatches && again.contentsFound);
  FUZZ_CHECK(again.contents == read.contents);
  return 0;
}
