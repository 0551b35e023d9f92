#include "util/cp932.h"

#include <glib.h>
#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "util/text_routines.h"

namespace morvane {
namespace {

struct IconvCloser {
  void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

// Width of the invalid or unconvertible character at the start of in.
using CharWidth = std::size_t (*)(std::string_view in);
// Writes what stands in for a character that cannot pass.
using Stand = void (*)(std::string& out, std::string_view character);

void Question(std::string& out, std::string_view) { out.push_back('?'); }

// An address keeps such a character as its UTF-8 bytes, escaped: the engine
// reads it back as the same address.
void PercentEscaped(std::string& out, std::string_view character) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (const unsigned char c : character) {
    out.push_back('%');
    out.push_back(kHex[c >> 4]);
    out.push_back(kHex[c & 0xF]);
  }
}

// A character as "&#xHEX;"; a byte that is not UTF-8 as the replacement
// character.
void CharacterReference(std::string& out, std::string_view character) {
  const gunichar c = g_utf8_get_char_validated(character.data(), static_cast<gssize>(character.size()));
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "&#x%X;", c < 0x110000 ? c : 0xFFFDu);
  out.append(buffer);
}

// A lead byte swallows the next byte only when that byte can close a
// character, so a line break after a stray lead byte survives.
std::size_t Cp932Width(std::string_view in) {
  if (CharWidthAt(in, 0) == 1) return 1;
  const auto trail = static_cast<unsigned char>(in[1]);
  return (trail >= 0x40 && trail <= 0xFC && trail != 0x7F) ? 2 : 1;
}

std::size_t Utf8Width(std::string_view in) {
  const auto b = static_cast<unsigned char>(in[0]);
  std::size_t w = b >= 0xF0 && b <= 0xF4 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 && b < 0xE0 ? 2 : 1;
  if (w > in.size()) return 1;
  for (std::size_t i = 1; i < w; ++i)
    if ((static_cast<unsigned char>(in[i]) & 0xC0) != 0x80) return 1;
  return w;
}

bool IsAscii(std::string_view in) {
  for (const char c : in)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// Opening a converter costs far more than converting a field: each thread
// keeps one per direction. Nullptr when the system has none.
iconv_t ConverterFor(const char* to, const char* from) {
  struct Kept {
    const char* to;
    const char* from;
    IconvHandle cd;
  };
  thread_local std::vector<Kept> kept;
  for (const Kept& k : kept)
    if (std::strcmp(k.to, to) == 0 && std::strcmp(k.from, from) == 0) return static_cast<iconv_t>(k.cd.get());
  void* cd = iconv_open(to, from);
  if (cd == reinterpret_cast<void*>(-1)) return nullptr;
  kept.push_back({to, from, IconvHandle(cd)});
  return static_cast<iconv_t>(cd);
}

std::string Convert(const char* to, const char* from, std::string_view in, CharWidth width, Stand stand = Question) {
  // Both encodings write ASCII as it is, which most fields are.
  if (IsAscii(in)) return std::string(in);
  std::string out;
  const iconv_t cd = ConverterFor(to, from);
  if (!cd) {
    // No converter at all: keep ASCII, mark the rest.
    for (std::size_t i = 0; i < in.size(); ++i)
      if (static_cast<unsigned char>(in[i]) < 0x80) out.push_back(in[i]);
      else stand(out, in.substr(i, 1));
    return out;
  }
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // a kept converter starts afresh
  out.reserve(in.size() * 3 / 2 + 16);
  char buffer[16384];
  while (!in.empty()) {
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char* dst = buffer;
    std::size_t dstLeft = sizeof buffer;
    const std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    const int err = errno;
    out.append(buffer, dst - buffer);
    in.remove_prefix(in.size() - srcLeft);
    if (rc != static_cast<std::size_t>(-1) || in.empty()) continue;
    if (err == E2BIG) continue;
    // EILSEQ or EINVAL: one character that cannot pass.
    const std::size_t w = std::min(in.size(), width(in));
    stand(out, in.substr(0, w));
    in.remove_prefix(w);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  return out;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) { return Convert("UTF-8", "CP932", cp932, Cp932Width); }

std::string Utf8ToCp932(std::string_view utf8) { return Convert("CP932", "UTF-8", utf8, Utf8Width); }

std::string Utf8URLToCp932(std::string_view utf8) { return Convert("CP932", "UTF-8", utf8, Utf8Width, PercentEscaped); }

std::string Utf8HtmlToCp932(std::string_view utf8) {
  return Convert("CP932", "UTF-8", utf8, Utf8Width, CharacterReference);
}

std::string MarkOutsideCp932(std::string_view utf8, OutsideCp932 how) {
  const Stand stand = how == OutsideCp932::kPercentEscapes ? PercentEscaped : CharacterReference;
  if (IsAscii(utf8)) return std::string(utf8);
  std::string out;
  out.reserve(utf8.size() + 16);
  const iconv_t cd = ConverterFor("CP932", "UTF-8");
  while (!utf8.empty()) {
    const std::size_t w = std::min(utf8.size(), Utf8Width(utf8));
    const std::string_view character = utf8.substr(0, w);
    utf8.remove_prefix(w);
    if (static_cast<unsigned char>(character[0]) < 0x80) {
      out.push_back(character[0]);
      continue;
    }
    // One character at a time, so a character that passes keeps its own
    // bytes: CP932 and back would trade some for look-alikes.
    bool passes = false;
    if (cd && w > 1) {  // a lone byte is no UTF-8
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      char* src = const_cast<char*>(character.data());
      std::size_t srcLeft = character.size();
      char buffer[8];
      char* dst = buffer;
      std::size_t dstLeft = sizeof buffer;
      passes = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1) && srcLeft == 0;
    }
    if (passes) out.append(character);
    else stand(out, character);
  }
  return out;
}

const std::string& SystemText(std::string_view utf8) {
  static std::mutex guard;
  static std::map<std::string, std::string, std::less<>> converted;
  std::lock_guard lock(guard);
  auto it = converted.find(utf8);
  if (it == converted.end()) it = converted.emplace(std::string(utf8), Utf8ToCp932(utf8)).first;
  return it->second;
}

}  // namespace morvane
