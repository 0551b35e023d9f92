// A site line parsed and formatted again keeps its first seven fields, and a
// record formatted and parsed comes back whole.
#include "catalogue/site_record.h"
#include "fuzz_support.h"
#include "util/text_routines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view line = AsText(data, size);
  const morvane::ParsedSiteLine parsed = morvane::ParseSiteLine(line);
  const std::string again = morvane::FormatSiteLine(parsed.record);
  // A field that ends in a lone lead byte (only the last field of a damaged
  // line can) would pair with the tab written after it; such lines are read
  // as they are and not expected to come back field for field.
  const auto& r = parsed.record;
  for (const std::string* f : {&r.SiteName, &r.SiteURL, &r.Category, &r.RegistDate, &r.AccessURL, &r.LoginID})
    if (!f->empty() && morvane::CharWidthAt(*f, f->size() - 1) == 1 &&
        morvane::IsLeadByte(static_cast<unsigned char>(f->back())) && !morvane::IsTrailByte(*f, f->size()))
      return 0;
  if (again.find_first_of("\r\n") == std::string::npos)
    FUZZ_CHECK(morvane::ParseSiteLine(again).record == parsed.record);
  morvane::SiteRowCells(line, 0);
  return 0;
}
