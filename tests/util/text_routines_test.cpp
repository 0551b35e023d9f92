#include "util/text_routines.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

TEST(CutToken, TabSeparatedFieldsComeOutOneByOne) {
  std::string s = "a\t\tb";
  EXPECT_EQ(CutToken(s, "\t"), "a");
  EXPECT_EQ(CutToken(s, "\t"), "");
  EXPECT_EQ(CutToken(s, "\t"), "b");
  EXPECT_EQ(s, "");
  EXPECT_EQ(CutToken(s, "\t"), "");
}

}  // namespace
}  // namespace morvane
