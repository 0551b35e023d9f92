// Splitting a text into lines and joining them again is stable after the
// first pass, and the sort leaves a sorted list.
#include "util/line_list.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  morvane::LineList list;
  list.SetText(AsText(data, size));
  const std::string text = list.GetText();
  morvane::LineList again;
  again.SetText(text);
  FUZZ_CHECK(again.GetText() == text);
  again.Sort();
  for (long long i = 1; i < again.Count(); ++i) FUZZ_CHECK(morvane::CompareBytes(again.Get(i - 1), again.Get(i)) <= 0);
  if (list.Count() > 0) list.Values(list.Get(0));
  return 0;
}
