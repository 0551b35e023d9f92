#pragma once
// Reversible keyed scrambling of passwords: "_" followed by four key
// characters per byte. The key is 16 distinct single-byte characters.
#include <string>
#include <string_view>

namespace morvane {

// Scrambles plain text, or unscrambles text that begins with "_". Empty text
// gives empty; so does a key shorter than 16 bytes (the program's own key
// never is).
std::string ScrambleText(std::string_view text, std::string_view key);

// Explicit directions for stored fields, so a plain value that itself begins
// with "_" survives a round trip: ScrambleField always scrambles (empty stays
// empty); UnscrambleField unscrambles a "_" field and takes any other as plain.
std::string ScrambleField(std::string_view plain, std::string_view key);
// ScrambleField appended to out.
void AppendScrambledField(std::string& out, std::string_view plain, std::string_view key);
std::string UnscrambleField(std::string_view stored, std::string_view key);

// True when stored is exactly what ScrambleField writes for some text, so
// unscrambling and scrambling it again gives it back byte for byte.
bool IsScrambledForm(std::string_view stored, std::string_view key);

std::string HexBytes(std::string_view text);
std::string SubstituteHex(std::string_view hex, std::string_view key);
std::string UnsubstituteHex(std::string_view scrambled, std::string_view key);
std::string UnhexPairs(std::string_view hex);

}  // namespace morvane
