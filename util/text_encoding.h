#pragma once
// Whether another program's text file is UTF-8 or CP932, judged on the
// whole file: a UTF-8 file with one stray byte must not be read as CP932.
#include <optional>
#include <string>
#include <string_view>

namespace morvane {

enum class TextEncoding { Utf8, Cp932 };

// UTF-8 when the file starts with the byte-order mark or is clean UTF-8
// (zero bytes included); CP932 when every byte pair is CP932 and hardly any
// of it reads as UTF-8; nullopt when neither reading is clean.
std::optional<TextEncoding> GuessTextEncoding(std::string_view bytes);

// The text with every byte that is not UTF-8 turned into U+FFFD, up to its
// first zero byte: what GTK, a terminal or a report may be given.
std::string ValidUtf8(std::string_view bytes);

}  // namespace morvane
