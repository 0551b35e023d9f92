#pragma once
// View helpers for the page scanners: they never copy the page and keep
// every cut on a character boundary, so a walk over a page is linear.
#include <string_view>

namespace morvane {

// How a page's text is written: CP932 (double-byte characters whose second
// byte may look like ASCII), or UTF-8 (no ASCII byte is ever part of another
// character).
enum class TextEncoding { kCp932, kUtf8 };

}  // namespace morvane

namespace morvane::scan {

inline constexpr std::size_t npos = std::string_view::npos;

// Offset of the first character that is the ASCII byte c, or npos.
std::size_t FindChar(std::string_view s, char c, TextEncoding e = TextEncoding::kCp932);

// Cuts the text before the first c; s loses it and that c. Without c the
// whole of s is taken and s becomes empty.
std::string_view CutAt(std::string_view& s, char c, TextEncoding e = TextEncoding::kCp932);

// Half-width and full-width spaces removed at both ends.
std::string_view TrimView(std::string_view s, TextEncoding e = TextEncoding::kCp932);

inline char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// lowerWord must be lower case ASCII.
bool StartsWithNoCase(std::string_view s, std::string_view lowerWord);
bool EqualsNoCase(std::string_view s, std::string_view lowerWord);
// Offset of lowerWord starting at a character of s, ignoring ASCII case, or npos.
std::size_t FindNoCase(std::string_view s, std::string_view lowerWord, TextEncoding e = TextEncoding::kCp932);

}  // namespace morvane::scan
