// The character routines agree with each other on any bytes.
#include "util/text_routines.h"
#include "fuzz_support.h"
#include "util/cp932.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text = AsText(data, size);
  const long long length = morvane::CharLength(text);
  FUZZ_CHECK(morvane::CharCopy(text, 1, length + 1) == text);
  std::string source(text);
  std::string joined;
  while (!source.empty()) {
    const std::size_t before = source.size();
    joined += morvane::CutToken(source, "\t");
    FUZZ_CHECK(source.size() < before);
  }
  morvane::TrimSpaces(text);
  morvane::TrimLineBreaks(text);
  std::string block(text);
  morvane::ExtractTagBlock(block, "\t_T_\t", true);
  const std::string utf8 = morvane::Cp932ToUtf8(text);
  morvane::Utf8ToCp932(utf8);
  morvane::Utf8ToCp932(text);
  return 0;
}
