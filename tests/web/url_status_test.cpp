#include "web/url_status.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/fake_service.h"

namespace morvane {
namespace {

using namespace std::chrono_literals;

class QueryURLStatusTest : public ::testing::Test {
 protected:
  testing::FakeService server_;
  std::string status_ = "stale", modified_ = "stale";
};

TEST_F(QueryURLStatusTest, OnlyOkAndUnauthorizedCountAsReachable) {
  EXPECT_TRUE(QueryURLStatus(server_.URL("/modified"), status_, modified_));
  EXPECT_EQ(status_, "200");
  EXPECT_EQ(modified_, "Tue, 01 Dec 2026 10:00:00 GMT");

  EXPECT_TRUE(QueryURLStatus(server_.URL("/status/401"), status_, modified_));
  EXPECT_EQ(status_, "401");
  EXPECT_EQ(modified_, "");

  EXPECT_FALSE(QueryURLStatus(server_.URL("/missing"), status_, modified_));
  EXPECT_EQ(status_, "404");
  EXPECT_FALSE(QueryURLStatus(server_.URL("/status/500"), status_, modified_));
  EXPECT_EQ(status_, "500");
}

TEST_F(QueryURLStatusTest, FollowsRedirectsAndReadsOnlyTheHeaders) {
  EXPECT_TRUE(QueryURLStatus(server_.URL("/moved"), status_, modified_));
  EXPECT_EQ(status_, "200");
  EXPECT_EQ(modified_, "Tue, 01 Dec 2026 10:00:00 GMT");
  // The body never comes: waiting for it would run into the time-out.
  EXPECT_TRUE(QueryURLStatus(server_.URL("/stall"), status_, modified_, 5s));
  EXPECT_EQ(status_, "200");
}

TEST_F(QueryURLStatusTest, NoAnswerGivesFalseAndEmptyTexts) {
  EXPECT_FALSE(QueryURLStatus(server_.URL("/slow?s=30"), status_, modified_, 300ms));  // silent server
  EXPECT_EQ(status_, "");
  EXPECT_EQ(modified_, "");

  EXPECT_FALSE(QueryURLStatus(testing::ClosedPortURL(), status_, modified_, 2s));  // nobody listens
  EXPECT_EQ(status_, "");

  EXPECT_FALSE(QueryURLStatus("file:///etc/hostname", status_, modified_, 2s));
  EXPECT_FALSE(QueryURLStatus("", status_, modified_, 2s));
  EXPECT_FALSE(QueryURLStatus(std::string("http://127.0.0.1\0/", 18), status_, modified_, 2s));
  EXPECT_EQ(status_, "");
}

}  // namespace
}  // namespace morvane
