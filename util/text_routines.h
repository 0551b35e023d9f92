#pragma once
// Text and token routines over CP932 byte strings. Character positions are
// 1-based and a lead byte (0x81-0x9F, 0xE0-0xFC) joins the byte after it into
// one character; a lead byte at the very end counts as a character alone.
#include <string>
#include <string_view>

namespace morvane {

inline constexpr bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
inline constexpr bool IsLeadByte(char b) { return IsLeadByte(static_cast<unsigned char>(b)); }

// True when the byte at 1-based position i is the second byte of a double-byte
// character. Throws std::out_of_range("Illegal Index") outside 1..size.
bool IsTrailByte(std::string_view s, long long i);

// Byte width of the character that starts at byte offset off (0-based).
inline std::size_t CharWidthAt(std::string_view s, std::size_t off) {
  return (off + 1 < s.size() && IsLeadByte(s[off])) ? 2 : 1;
}

// Whether byte offset p starts a character, given that offset known (<= p) does.
bool StartsCharacter(std::string_view s, std::size_t known, std::size_t p);
// Byte offset of the first occurrence of pattern that starts a character, or npos.
std::size_t FindAtCharacter(std::string_view s, std::string_view pattern);

long long CharLength(std::string_view s);
long long CharPos(std::string_view pattern, std::string_view s);
std::string CharCopy(std::string_view s, long long start, long long count);
void CharDelete(std::string& s, long long start, long long count);

// Cuts the token before the first separator byte (outside double-byte
// characters); the source loses the token and that one separator.
std::string CutToken(std::string& source, std::string_view separators);
// The same over a view that is advanced instead of rewritten, so cutting a
// long text token by token stays linear.
std::string_view CutToken(std::string_view& source, std::string_view separators);

// Half-width and full-width spaces removed at both ends.
std::string TrimSpaces(std::string_view s);
// The same as a part of s.
std::string_view SpacesTrimmed(std::string_view s);
std::string TrimLineBreaks(std::string_view s);
// The same as a part of s.
std::string_view LineBreaksTrimmed(std::string_view s);
std::string CutBefore(std::string& source, std::string_view delimiter);

std::string WrapTagBlock(std::string_view tag, std::string_view text);
std::string ExtractBetween(std::string& source, std::string_view startMark, std::string_view endMark);
std::string ExtractTagBlock(std::string& source, std::string_view tag, bool remove);
// ExtractTagBlock removing the block, for a block that holds most of a large
// source (a data file's site list): the text keeps the source's memory, moved
// within it rather than copied to new memory.
std::string ExtractLargeTagBlock(std::string& source, std::string_view tag);

// Removes every occurrence of pattern (byte-exact).
std::string RemoveAll(std::string_view s, std::string_view pattern);

}  // namespace morvane
