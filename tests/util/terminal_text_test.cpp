#include "util/terminal_text.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

TEST(EscapeTsvField, ControlsAndSeparatorsBecomeVisible) {
  // Title change, clipboard write, column and line splitters, DEL.
  EXPECT_EQ(EscapeTsvField("a\x1b]0;t\x07"
                           "b\tc\r\nd\x0b\x0c\x1c\x7f"),
            "a\\x1B]0;t\\x07b\\tc\\r\\nd\\x0B\\x0C\\x1C\\x7F");
  // Backslashes are doubled, so an escape and a page's own text stay apart.
  EXPECT_EQ(EscapeTsvField("C:\\x1B"), "C:\\\\x1B");
  // The 8-bit CSI and the rest of C1 reach a terminal as UTF-8 too.
  EXPECT_EQ(EscapeTsvField("\xc2\x9b"
                           "31m\xc2\x85"),
            "\\u009B31m\\u0085");
}

TEST(EscapeTsvField, TextIsKeptAndBrokenBytesAreShown) {
  EXPECT_EQ(EscapeTsvField("会社案内 \xc2\xa0 http://a/?q=1"), "会社案内 \xc2\xa0 http://a/?q=1");
  EXPECT_EQ(EscapeTsvField("\xf0\x9f\x98\x80"), "\xf0\x9f\x98\x80");
  // A lone lead byte, a cut sequence, an overlong ESC, a surrogate.
  EXPECT_EQ(EscapeTsvField("\xe3\x81"), "\\xE3\\x81");
  EXPECT_EQ(EscapeTsvField("\xc0\x9b"), "\\xC0\\x9B");
  EXPECT_EQ(EscapeTsvField("\xed\xa0\x80"), "\\xED\\xA0\\x80");
  EXPECT_EQ(EscapeTsvField(""), "");
}

TEST(ControlsAsCharacterReferences, OnlyControlsChange) {
  EXPECT_EQ(ControlsAsCharacterReferences("<a>t\x1B]0;x\x07\x7F\xC2\x9B"
                                          "1m</a>\r\n\t会社 \xC2\xA0"),
            "<a>t&#x1B;]0;x&#x07;&#x7F;&#x9B;1m</a>\r\n\t会社 \xC2\xA0");
  EXPECT_EQ(ControlsAsCharacterReferences(std::string("\0\xE3\x81", 3)), "&#x00;&#xFFFD;&#xFFFD;");
}

}  // namespace
}  // namespace morvane
