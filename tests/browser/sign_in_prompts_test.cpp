#include "browser/core/sign_in_prompts.h"

#include <glib.h>
#include <gtest/gtest.h>

namespace morvane {
namespace {

TEST(SignInPrompts, OneBoxAtATimeAndNoneAgainAfterANoUntilAnotherPage) {
  SignInPrompts prompts;
  const SignInRequest shop = SignInPrompts::Shown("shop.example", "Members", false, false);
  const SignInRequest other = SignInPrompts::Shown("shop.example", "Admin", false, false);
  ASSERT_TRUE(prompts.MayAsk(shop));
  prompts.Opened();
  EXPECT_FALSE(prompts.MayAsk(other));  // while one is open
  prompts.Closed(shop, false);
  EXPECT_FALSE(prompts.MayAsk(shop));  // turned down
  EXPECT_TRUE(prompts.MayAsk(other));
  prompts.NewPage();
  EXPECT_TRUE(prompts.MayAsk(shop));

  // A page that keeps asking (a wrong password each time, new realms) gets a few boxes only.
  for (int i = 0; i < SignInPrompts::kBoxesPerPage; ++i) {
    const SignInRequest again = SignInPrompts::Shown("shop.example", "r" + std::to_string(i), true, false);
    ASSERT_TRUE(prompts.MayAsk(again)) << i;
    prompts.Opened();
    prompts.Closed(again, true);
  }
  EXPECT_FALSE(prompts.MayAsk(SignInPrompts::Shown("shop.example", "one more", true, false)));
}

TEST(SignInPrompts, ARealmIsOnePlainShortLine) {
  const std::string hostile =
      "Bank\r\n\x1b]0;title\x07 \xE2\x80\xAE"
      "evil\tlogin  " +
      std::string(500, 'x') + "\xFF";
  const SignInRequest shown = SignInPrompts::Shown("127.0.0.1:8080", hostile, false, false);
  EXPECT_EQ(shown.realm.substr(0, 24), "Bank ]0;title evil login");
  EXPECT_EQ(shown.realm.find_first_of("\r\n\t\x1b\x07"), std::string::npos);
  EXPECT_EQ(shown.realm.find("\xE2\x80\xAE"), std::string::npos);
  EXPECT_EQ(g_utf8_strlen(shown.realm.c_str(), -1), 100);
  EXPECT_EQ(shown.server, "127.0.0.1:8080");
}

}  // namespace
}  // namespace morvane
