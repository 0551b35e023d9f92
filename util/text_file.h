#pragma once
// Whole-file text reading and writing with CR LF lines, the way every text
// file of this program is stored. File names are in the file system's
// encoding; texts are CP932 bytes.
#include <sys/types.h>

#include <initializer_list>
#include <string>
#include <string_view>

#include "util/safe_file_writer.h"

namespace morvane {

// What LoadTextFile gives in place of a file's text when it cannot be read.
inline constexpr std::string_view kFileLoadError = "#FileLoadError#";

// Lines end at CR LF, a lone CR or a lone LF, and a NUL byte ends the text;
// every line comes out followed by CR LF, the last one included.
std::string ToCrLfLines(std::string_view text);
// True when the text has no NUL byte and no line break but CR LF: ToCrLfLines
// then changes nothing but a missing last CR LF.
bool OnlyCrLfBreaks(std::string_view text);

// The file's text with the line handling above, or kFileLoadError when it is
// missing, not a regular file, or cannot be read.
std::string LoadTextFile(const std::string& name);

// Replaces the file with the text, lines ended by CR LF; an empty text makes
// an empty file. False when it could not be written; the old file stays.
bool SaveTextFile(const std::string& name, std::string_view text, mode_t mode = kPrivateFileMode);
// The same for a text given in pieces, so that a large text need not be
// joined into one string first.
bool SaveTextFile(const std::string& name, std::initializer_list<std::string_view> pieces,
                  mode_t mode = kPrivateFileMode);

// The file's bytes as stored; false on any failure. Only regular files are
// read, so a FIFO or device under the name cannot block the program.
bool ReadWholeFile(const std::string& name, std::string& bytes);

// True when name is an existing regular file (following links).
bool RegularFileExists(const std::string& name);

}  // namespace morvane
