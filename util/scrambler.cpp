#include "util/scrambler.h"

#include <algorithm>
#include <array>
#include <optional>

#include "util/cp932.h"
#include "util/text_routines.h"

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

// Only digits reach the substitution; anything else stands for digit 0.
std::size_t DigitIndex(char d) {
  if (d >= '0' && d <= '9') return static_cast<std::size_t>(d - '0');
  if (d >= 'A' && d <= 'F') return static_cast<std::size_t>(d - 'A' + 10);
  return 0;
}

// Position of every byte in a 16-byte key of distinct characters (-1 when
// absent); nothing for other keys, whose lookups must follow the turns.
std::optional<std::array<int, 256>> KeyPositions(std::string_view key) {
  if (key.size() != kKeyLength) return std::nullopt;
  std::array<int, 256> at;
  at.fill(-1);
  for (std::size_t j = 0; j < key.size(); ++j) {
    int& slot = at[static_cast<unsigned char>(key[j])];
    if (slot >= 0) return std::nullopt;
    slot = static_cast<int>(j);
  }
  return at;
}

// The digit that character c stands for as the i-th character of scrambled
// text: turned i times, the key holds its character j at place j - i. -1 for
// a character foreign to the key.
int DigitAt(const std::array<int, 256>& at, char c, std::size_t i) {
  const int j = at[static_cast<unsigned char>(c)];
  if (j < 0) return -1;
  return static_cast<int>((static_cast<std::size_t>(j) + kKeyLength - i % kKeyLength) % kKeyLength);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool KeyUsable(std::string_view key) { return key.size() >= kKeyLength; }

// The four hex digits of a byte's two hex digits, as numbers.
constexpr std::array<std::array<unsigned char, 4>, 256> kDigitsOfByte = [] {
  std::array<std::array<unsigned char, 4>, 256> table{};
  for (std::size_t b = 0; b < 256; ++b) {
    const char high = kHexDigits[b >> 4], low = kHexDigits[b & 0x0F];
    table[b] = {static_cast<unsigned char>(high >> 4), static_cast<unsigned char>(high & 0x0F),
                static_cast<unsigned char>(low >> 4), static_cast<unsigned char>(low & 0x0F)};
  }
  return table;
}();

void AppendScrambled(std::string& out, std::string_view plain, std::string_view key) {
  if (key.size() != kKeyLength) {
    out.push_back('_');
    out += SubstituteHex(HexBytes(HexBytes(plain)), key);
    return;
  }
  // Straight into out: a million site lines are formatted at an import, and
  // three steps through temporary strings cost more than the rest.
  const std::size_t start = out.size();
  out.resize(start + 1 + 4 * plain.size());
  char* to = out.data() + start;
  *to++ = '_';
  std::size_t i = 0;
  for (const char c : plain)
    for (const unsigned char d : kDigitsOfByte[static_cast<unsigned char>(c)]) *to++ = key[(d + i++) % kKeyLength];
}

// Unscramble for text as Scramble writes it, in one step: four key
// characters give two hex digits, which give the byte. Nothing for any other
// text, whose damage the three steps below handle.
std::optional<std::string> UnscrambleExact(std::string_view body, std::string_view key) {
  const std::optional<std::array<int, 256>> at = KeyPositions(key);
  if (!at || body.size() % 4 != 0) return std::nullopt;
  std::string out(body.size() / 4, '\0');
  for (std::size_t i = 0; i < body.size(); i += 4) {
    int d[4];
    for (std::size_t k = 0; k < 4; ++k)
      if ((d[k] = DigitAt(*at, body[i + k], i + k)) < 0) return std::nullopt;
    const int high = HexValue(static_cast<char>(d[0] * 16 + d[1])), low = HexValue(static_cast<char>(d[2] * 16 + d[3]));
    if (high < 0 || low < 0) return std::nullopt;
    out[i / 4] = static_cast<char>(high * 16 + low);
  }
  return out;
}

std::string Unscramble(std::string_view body, std::string_view key) {
  if (std::optional<std::string> plain = UnscrambleExact(body, key)) return std::move(*plain);
  return UnhexPairs(UnhexPairs(UnsubstituteHex(body, key)));
}

}  // namespace

std::string HexBytes(std::string_view text) {
  std::string out(text.size() * 2, '\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    out[2 * i] = kHexDigits[b >> 4];
    out[2 * i + 1] = kHexDigits[b & 0x0F];
  }
  return out;
}

std::string SubstituteHex(std::string_view hex, std::string_view key) {
  if (key.size() < kKeyLength) return {};
  std::string out(hex.size(), '\0');
  if (key.size() == kKeyLength) {
    // Turned i times, a 16-byte key is the key rotated left by i places.
    for (std::size_t i = 0; i < hex.size(); ++i) out[i] = key[(DigitIndex(hex[i]) + i) % kKeyLength];
    return out;
  }
  std::string k(key);
  for (std::size_t i = 0; i < hex.size(); ++i) {
    out[i] = k[DigitIndex(hex[i])];
    TurnKey(k);
  }
  return out;
}

std::string UnsubstituteHex(std::string_view scrambled, std::string_view key) {
  if (key.size() < kKeyLength) return {};
  // A character foreign to the key (damaged text) gives "?", which the
  // following steps carry through without error.
  std::string out(scrambled.size(), '?');
  const std::optional<std::array<int, 256>> at = KeyPositions(key);
  if (at) {
    for (std::size_t i = 0; i < scrambled.size(); ++i) {
      const int d = DigitAt(*at, scrambled[i], i);
      if (d >= 0) out[i] = kHexDigits[static_cast<std::size_t>(d)];
    }
    return out;
  }
  std::string k(key);
  for (std::size_t i = 0; i < scrambled.size(); ++i) {
    const std::size_t p = k.find(scrambled[i]);
    if (p < kHexDigits.size()) out[i] = kHexDigits[p];
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
  return ScrambleField(text, key);
}

std::string ScrambleField(std::string_view plain, std::string_view key) {
  std::string out;
  AppendScrambledField(out, plain, key);
  return out;
}

void AppendScrambledField(std::string& out, std::string_view plain, std::string_view key) {
  if (plain.empty() || !KeyUsable(key)) return;
  AppendScrambled(out, plain, key);
}

std::string UnscrambleField(std::string_view stored, std::string_view key) {
  if (stored.empty() || stored[0] != '_') return std::string(stored);
  if (!KeyUsable(key)) return {};
  return Unscramble(stored.substr(1), key);
}

bool IsScrambledForm(std::string_view stored, std::string_view key) {
  if (stored.empty()) return true;
  if (stored[0] != '_' || stored.size() < 5 || (stored.size() - 1) % 4 != 0) return false;
  const std::optional<std::array<int, 256>> at = KeyPositions(key);
  if (!at) return false;
  const std::string_view body = stored.substr(1);
  // Every two digits must spell an upper-case hex digit, as HexBytes writes it.
  for (std::size_t i = 0; i < body.size(); i += 2) {
    const int hi = DigitAt(*at, body[i], i);
    const int lo = DigitAt(*at, body[i + 1], i + 1);
    if (hi < 0 || lo < 0 || kHexDigits.find(static_cast<char>(hi * 16 + lo)) == std::string_view::npos) return false;
  }
  return true;
}

}  // namespace morvane
