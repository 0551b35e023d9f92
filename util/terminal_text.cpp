#include "util/terminal_text.h"

#include <glib.h>

#include <cstdio>

#include "util/text_encoding.h"

namespace morvane {
namespace {

void AppendHex(std::string& out, const char* prefix, unsigned value) {
  char buffer[12];
  std::snprintf(buffer, sizeof buffer, "%s%02X", prefix, value);
  out.append(buffer);
}

// Length of the valid UTF-8 sequence at the start of s, 0 when there is none.
std::size_t SequenceLength(std::string_view s) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char b = byte(0);
  std::size_t n = 0;
  unsigned first = 0;
  if (b >= 0xC2 && b <= 0xDF) n = 2;
  else if (b >= 0xE0 && b <= 0xEF) n = 3;
  else if (b >= 0xF0 && b <= 0xF4) n = 4;
  else return 0;
  if (s.size() < n) return 0;
  for (std::size_t i = 1; i < n; ++i)
    if ((byte(i) & 0xC0) != 0x80) return 0;
  first = byte(1);
  // Overlong forms, surrogates and code points past U+10FFFF.
  if ((b == 0xE0 && first < 0xA0) || (b == 0xED && first > 0x9F) || (b == 0xF0 && first < 0x90) ||
      (b == 0xF4 && first > 0x8F))
    return 0;
  return n;
}

}  // namespace

std::string EscapeTsvField(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  while (!utf8.empty()) {
    const unsigned char b = static_cast<unsigned char>(utf8.front());
    if (b < 0x80) {
      if (b == '\\') out.append("\\\\");
      else if (b == '\t') out.append("\\t");
      else if (b == '\r') out.append("\\r");
      else if (b == '\n') out.append("\\n");
      else if (b < 0x20 || b == 0x7F) AppendHex(out, "\\x", b);
      else out.push_back(static_cast<char>(b));
      utf8.remove_prefix(1);
      continue;
    }
    const std::size_t n = SequenceLength(utf8);
    if (n == 0) {
      AppendHex(out, "\\x", b);
      utf8.remove_prefix(1);
    } else if (b == 0xC2 && static_cast<unsigned char>(utf8[1]) < 0xA0) {
      AppendHex(out, "\\u00", static_cast<unsigned char>(utf8[1]));
      utf8.remove_prefix(2);
    } else {
      out.append(utf8.substr(0, n));
      utf8.remove_prefix(n);
    }
  }
  return out;
}

std::string ControlsAsCharacterReferences(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  while (!utf8.empty()) {
    const unsigned char b = static_cast<unsigned char>(utf8.front());
    const bool c0 = (b < 0x20 && b != '\t' && b != '\r' && b != '\n') || b == 0x7F;
    if (b < 0x80) {
      if (c0) AppendHex(out, "&#x", b), out.push_back(';');
      else out.push_back(static_cast<char>(b));
      utf8.remove_prefix(1);
      continue;
    }
    const std::size_t n = SequenceLength(utf8);
    if (n == 0) {
      out.append("&#xFFFD;");
      utf8.remove_prefix(1);
    } else if (b == 0xC2 && static_cast<unsigned char>(utf8[1]) < 0xA0) {
      AppendHex(out, "&#x", static_cast<unsigned char>(utf8[1]));
      out.push_back(';');
      utf8.remove_prefix(2);
    } else {
      out.append(utf8.substr(0, n));
      utf8.remove_prefix(n);
    }
  }
  return out;
}

std::string OneShownLine(std::string_view utf8, std::size_t maxChars) {
  const std::string valid = ValidUtf8(utf8);
  std::string out;
  std::size_t chars = 0;
  bool pendingSpace = false;
  for (const char* p = valid.c_str(); *p && chars < maxChars; p = g_utf8_next_char(p)) {
    const gunichar c = g_utf8_get_char(p);
    if (g_unichar_isspace(c) || c == 0xA0 || c == 0x3000) {
      pendingSpace = !out.empty();
      continue;
    }
    if (g_unichar_iscntrl(c) || c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E) ||
        (c >= 0x2066 && c <= 0x2069))
      continue;
    if (pendingSpace) {
      out.push_back(' ');
      ++chars;
      pendingSpace = false;
    }
    out.append(p, static_cast<std::size_t>(g_utf8_next_char(p) - p));
    ++chars;
  }
  return out;
}

}  // namespace morvane
