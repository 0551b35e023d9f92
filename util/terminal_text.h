#pragma once
// Text from a web page on its way to a terminal, a tab-separated file or a
// line of the window.
#include <string>
#include <string_view>

namespace morvane {

// One field of a tab-separated line, made safe to print: a backslash becomes
// "\\", tab, CR and LF become "\t", "\r", "\n", every other C0 control and
// DEL becomes "\xHH", and a C1 control (U+0080-U+009F, which terminals take
// as escape sequences too) becomes "\u00HH". Bytes that are not UTF-8 become
// "\xHH". Whatever a page holds, the result is one field on one line that
// cannot move the cursor, set a title or write to the clipboard, and the
// original can be read back from it.
std::string EscapeTsvField(std::string_view utf8);

// HTML on its way to a terminal: every control character but tab, CR and LF
// (C0, DEL and C1) becomes a numeric character reference ("&#x1B;"), and a
// byte that is not UTF-8 becomes "&#xFFFD;". The page reads the same in a
// browser; the terminal never sees an escape sequence.
std::string ControlsAsCharacterReferences(std::string_view utf8);

// A page's text as one line the user reads (a title, a sign-in prompt's
// realm): valid UTF-8, runs of white space made one space, control characters
// and direction overrides dropped (they would garble or disguise the line),
// at most maxChars characters.
std::string OneShownLine(std::string_view utf8, std::size_t maxChars);

}  // namespace morvane
