#include "util/user_dialogs.h"

#include <gtest/gtest.h>

#include "support/fake_dialogs.h"

namespace morvane {
namespace {

TEST(MessageRoutines, ErrorOnlyWhenTheCheckFailsAndNoMeansDeclined) {
  {
    FakeDialogs dialogs;
    EXPECT_TRUE(ShowErrorUnless("never shown", true));
    EXPECT_FALSE(ShowErrorUnless("shown", false));
    EXPECT_EQ(dialogs.errors, std::vector<std::string>{"shown"});

    dialogs.yesNoAnswers = {true, false};
    EXPECT_FALSE(AskDeclined("q1"));
    EXPECT_TRUE(AskDeclined("q2"));
    EXPECT_TRUE(AskDeclined("q3"));  // closed without an answer
    EXPECT_EQ(dialogs.questions.size(), 3u);
  }
  // With no dialogs installed nothing destructive goes ahead unattended.
  EXPECT_TRUE(AskDeclined("unattended"));
  EXPECT_FALSE(ShowErrorUnless("to standard error", false));
}

}  // namespace
}  // namespace morvane
