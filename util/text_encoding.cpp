#include "util/text_encoding.h"

#include <glib.h>

#include <cstddef>

#include "util/csv.h"
#include "util/glib_ptr.h"

namespace morvane {
namespace {

struct Utf8Tally {
  std::size_t sequences = 0;  // well-formed characters of two bytes or more
  std::size_t bad = 0;        // bytes that start none
};

Utf8Tally TallyUtf8(std::string_view s) {
  Utf8Tally tally;
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    const std::size_t length = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    // g_utf8_validate stops at a zero byte, which is ASCII here.
    if (length && i + length <= s.size() &&
        g_utf8_get_char_validated(s.data() + i, static_cast<gssize>(length)) < 0x110000) {
      ++tally.sequences;
      i += length;
    } else {
      ++tally.bad;
      ++i;
    }
  }
  return tally;
}

bool IsCp932Lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool IsCp932Trail(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

bool IsCleanCp932(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80 || (c >= 0xA1 && c <= 0xDF)) {
      ++i;
    } else if (IsCp932Lead(c) && i + 1 < s.size() && IsCp932Trail(static_cast<unsigned char>(s[i + 1]))) {
      i += 2;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

std::optional<TextEncoding> GuessTextEncoding(std::string_view bytes) {
  if (bytes.starts_with(kUtf8ByteOrderMark)) return TextEncoding::Utf8;
  const Utf8Tally tally = TallyUtf8(bytes);
  if (tally.bad == 0) return TextEncoding::Utf8;
  // CP932 text of Japanese is mostly lead bytes that cannot start a UTF-8
  // character; UTF-8 with a stray byte is mostly well-formed characters.
  if (tally.sequences <= tally.bad && IsCleanCp932(bytes)) return TextEncoding::Cp932;
  return std::nullopt;
}

std::string ValidUtf8(std::string_view bytes) {
  const GCharPtr valid(g_utf8_make_valid(bytes.data(), static_cast<gssize>(bytes.size())));
  return valid.get();
}

}  // namespace morvane
