// Scrambling then unscrambling gives every input back, and damaged scrambled
// text is read without fault.
#include "util/scrambler.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr std::string_view key = "#tide+arc*lump-Q";
  const std::string_view text = AsText(data, size);
  const std::string scrambled = morvane::ScrambleText(text, key);
  if (!text.empty() && text[0] != '_') {
    FUZZ_CHECK(scrambled.size() == 1 + 4 * text.size());
    FUZZ_CHECK(morvane::ScrambleText(scrambled, key) == text);
  }
  FUZZ_CHECK(morvane::UnscrambleField(morvane::ScrambleField(text, key), key) == text);
  return 0;
}
