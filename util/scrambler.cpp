#include "util/scrambler.h"

#include <algorithm>

#include "util/cp932.h"
#include "util/text_routines.h"
#include "util/user_dialogs.h"

namespace morvane {
namespace {

constexpr std::string_view kHexDigits = "0123456789ABCDEF";
constexpr std::size_t kKeyLength = 16;

// The key turns one place after every digit: its first byte goes to the end
// and only the first 16 bytes are kept.
void TurnKey(std::string& k) {
  if (k.size() == kKeyLength) {
    std::rotate(k.begin(), k.begin() + 1, k.end());
    return;
  }
  k.push_back(k[0]);
  k = k.substr(1, kKeyLength);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool KeyUsable(std::string_view key) { return ShowErrorUnless("QZPasswordError!!!", key.size() >= kKeyLength); }

std::string Scramble(std::string_view plain, std::string_view key) {
  return "_" + SubstituteHex(HexBytes(HexBytes(plain)), key);
}

std::string Unscramble(std::string_view body, std::string_view key) {
  return UnhexPairs(UnhexPairs(UnsubstituteHex(body, key)));
}

}  // namespace

std::string HexBytes(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (unsigned char b : text) {
    out.push_back(kHexDigits[b >> 4]);
    out.push_back(kHexDigits[b & 0x0F]);
  }
  return out;
}

std::string SubstituteHex(std::string_view hex, std::string_view key) {
  std::string out;
  out.reserve(hex.size());
  std::string k(key);
  for (char d : hex) {
    const std::size_t v = kHexDigits.find(d);
    // Only digits reach here; anything else stands for digit 0.
    out.push_back(k[v == std::string_view::npos ? 0 : v]);
    TurnKey(k);
  }
  return out;
}

std::string UnsubstituteHex(std::string_view scrambled, std::string_view key) {
  std::string out;
  out.reserve(scrambled.size());
  std::string k(key);
  for (char x : scrambled) {
    const std::size_t p = k.find(x);
    // A character foreign to the key (damaged text) gives "?", which the
    // following steps carry through without error.
    out.push_back(p < kHexDigits.size() ? kHexDigits[p] : '?');
    TurnKey(k);
  }
  return out;
}

std::string UnhexPairs(std::string_view hex) {
  std::string out;
  out.reserve(hex.size() / 2);
  std::size_t p = 0;
  while (p < hex.size()) {
    const std::size_t w1 = CharWidthAt(hex, p);
    const std::size_t q = p + w1;
    const std::size_t w2 = q < hex.size() ? CharWidthAt(hex, q) : 0;
    const int hi = w1 == 1 ? HexValue(hex[p]) : -1;
    const int lo = w2 == 1 ? HexValue(hex[q]) : (w2 == 0 ? -2 : -1);
    if (hi >= 0 && lo >= 0) out.push_back(static_cast<char>(hi * 16 + lo));
    else if (hi >= 0 && lo == -2) out.push_back(static_cast<char>(hi));  // a lone last digit
    else out.append(hex.substr(p, w1));
    p = q + w2;
  }
  return out;
}

std::string ScrambleText(std::string_view text, std::string_view key) {
  if (text.empty()) return {};
  if (!KeyUsable(key)) return {};
  if (text[0] == '_') return Unscramble(text.substr(1), key);
  return Scramble(text, key);
}

std::string ScrambleField(std::string_view plain, std::string_view key) {
  if (plain.empty()) return {};
  if (!KeyUsable(key)) return {};
  return Scramble(plain, key);
}

std::string UnscrambleField(std::string_view stored, std::string_view key) {
  if (stored.empty() || stored[0] != '_') return std::string(stored);
  if (!KeyUsable(key)) return {};
  return Unscramble(stored.substr(1), key);
}

}  // namespace morvane
