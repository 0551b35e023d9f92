// The site check against servers of the test's own on 127.0.0.1: plain and
// https answers, failures, redirects, certificates, titles and the tag.
#include <gtest/gtest.h>
#include <unistd.h>

#include <condition_variable>
#include <ctime>
#include <map>
#include <mutex>

#include "health/loopback_server.h"
#include "health/site_health_checker.h"

namespace morvane {
namespace {

using testing::Answer;
using testing::LoopbackServer;
using testing::TestAnswer;
using testing::TestCertificates;

constexpr const char* kTaggedPage =
    "<html><head><title>\n  Good  &amp; tagged\t</title></head><body>"
    "<!-- <script src=\"http://old-service.test/t.js\"></script> -->"
    "<script async src=\"//stats.vexa.test/tag.js?id=1\"></script></body></html>";

std::map<std::string, SiteHealth> CheckAll(const std::vector<HealthSite>& sites, HealthCheckLimits limits) {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  std::map<std::string, SiteHealth> results;
  {
    SiteHealthChecker checker(
        sites, "http://vexa.test/",
        [&](std::size_t index, SiteHealth health) {
          std::lock_guard lock(mutex);
          results[sites[index].name] = std::move(health);
        },
        [&](bool) {
          std::lock_guard lock(mutex);
          finished = true;
          done.notify_all();
        },
        limits);
    std::unique_lock lock(mutex);
    done.wait(lock, [&] { return finished; });
  }
  return results;
}

class SiteHealthCheckerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/morvane-health-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    folder_ = folder;
    caFile_ = folder_ + "/ca.pem";
    certificates_ = std::make_unique<TestCertificates>(caFile_);
    otherCA_ = folder_ + "/other-ca.pem";
    other_ = std::make_unique<TestCertificates>(otherCA_);
    https_ = std::make_unique<LoopbackServer>(
        [](const std::string&) {
          return Answer(200, "<title>secure</title><img src=\"http://stats.vexa.test/p.gif\">");
        },
        certificates_->ServerContext(-1, 40));
    expiredServer_ = std::make_unique<LoopbackServer>([](const std::string&) { return Answer(200, "late"); },
                                                      certificates_->ServerContext(-30, -2));
    http_ = std::make_unique<LoopbackServer>([this](const std::string& path) { return Serve(path); });
  }
  void TearDown() override {
    http_.reset();
    https_.reset();
    expiredServer_.reset();
    std::remove(caFile_.c_str());
    std::remove(otherCA_.c_str());
    rmdir(folder_.c_str());
  }

  TestAnswer Serve(const std::string& path) {
    if (path == "/tagged") return Answer(200, kTaggedPage);
    if (path == "/untagged")
      return Answer(200,
                    "<title>plain</title><a href=\"http://stats.vexa.test/\">stats</a>"
                    "<img src=\"/stats.vexa.test/x.gif\">");
    if (path == "/sjis")
      // 日本語のタイトル in Shift_JIS, the charset said only by the page.
      return Answer(200,
                    "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">"
                    "<title>\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x5e\x83\x43\x83\x67\x83\x8b</title></head></html>",
                    {}, "text/html");
    if (path == "/moved") return Answer(301, "", "Location: " + https_->URL("/secure") + "\r\n");
    if (path == "/missing") return Answer(404, "<title>Not Found</title>");
    if (path == "/broken") return Answer(500, "oops");
    if (path == "/hang") return {TestAnswer::Kind::Never, {}};
    if (path == "/loop") return Answer(302, "", "Location: /loop\r\n");
    if (path == "/endless")
      return {TestAnswer::Kind::Endless,
              "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n\r\n"
              "<title>" +
                  std::string(100000, 'T') + "</title>"};
    if (path == "/hostile")
      return Answer(200,
                    "<title>\x1b]0;owned\x07<script>alert(1)</script>\xe2\x80\xae"
                    "evil</title>");
    return Answer(404, "");
  }

  HealthCheckLimits Limits() const {
    HealthCheckLimits limits;
    limits.perSite = std::chrono::milliseconds(2000);
    limits.caFile = caFile_;
    return limits;
  }

  std::string folder_, caFile_, otherCA_;
  std::unique_ptr<TestCertificates> certificates_, other_;
  std::unique_ptr<LoopbackServer> https_, expiredServer_, http_;
};

TEST_F(SiteHealthCheckerTest, ReportsAnswersFailuresAndTheTag) {
  const std::string refused = "http://127.0.0.1:" + std::to_string(LoopbackServer::ClosedPort()) + "/";
  const std::vector<HealthSite> sites = {
      {"tagged", http_->URL("/tagged"), "http://stats.vexa.test/site?id=1"},
      {"untagged", http_->URL("/untagged"), "http://stats.vexa.test/site?id=2"},
      {"sjis", http_->URL("/sjis"), ""},
      {"missing", http_->URL("/missing"), ""},
      {"broken", http_->URL("/broken"), ""},
      {"refused", refused, ""},
      {"hang", http_->URL("/hang"), ""},
      {"loop", http_->URL("/loop"), ""},
      {"bad", "not a web address", ""},
  };
  const auto results = CheckAll(sites, Limits());
  ASSERT_EQ(results.size(), sites.size());

  const SiteHealth& tagged = results.at("tagged");
  EXPECT_TRUE(tagged.Up());
  EXPECT_EQ(tagged.status, 200);
  EXPECT_EQ(tagged.title, "Good & tagged");
  EXPECT_EQ(tagged.tag, AnalysisTag::Present);
  EXPECT_FALSE(tagged.certificate);
  EXPECT_LE(tagged.firstByte, tagged.total);
  // A link to the service or a path that only looks like its host is no tag.
  EXPECT_EQ(results.at("untagged").tag, AnalysisTag::Absent);
  EXPECT_EQ(results.at("sjis").title, "日本語のタイトル");

  EXPECT_EQ(results.at("missing").status, 404);
  EXPECT_FALSE(results.at("missing").Up());
  EXPECT_EQ(results.at("missing").tag, AnalysisTag::Unknown);
  EXPECT_EQ(results.at("broken").status, 500);
  EXPECT_FALSE(results.at("broken").Up());
  EXPECT_EQ(results.at("refused").failure, HealthFailure::Refused);
  EXPECT_EQ(results.at("hang").failure, HealthFailure::TimedOut);
  EXPECT_EQ(results.at("loop").failure, HealthFailure::TooManyRedirects);
  EXPECT_NE(results.at("bad").failure, HealthFailure::None);
  EXPECT_FALSE(results.at("bad").Up());
}

TEST_F(SiteHealthCheckerTest, FollowsARedirectToHttpsAndReadsTheCertificate) {
  const std::vector<HealthSite> sites = {{"moved", http_->URL("/moved"), "http://stats.vexa.test/a"},
                                         {"expired", expiredServer_->URL("/"), ""}};
  HealthCheckLimits limits = Limits();
  auto results = CheckAll(sites, limits);
  const SiteHealth& moved = results.at("moved");
  ASSERT_TRUE(moved.Up()) << HealthResultText(moved);
  ASSERT_EQ(moved.chain.size(), 2u);
  EXPECT_EQ(moved.chain[0], http_->URL("/moved"));
  EXPECT_EQ(moved.chain[1], https_->URL("/secure"));
  EXPECT_EQ(moved.title, "secure");
  EXPECT_EQ(moved.tag, AnalysisTag::Present);
  ASSERT_TRUE(moved.certificate);
  const long long days = CertificateDaysLeft(*moved.certificate, std::time(nullptr));
  EXPECT_TRUE(days == 39 || days == 40) << days;
  EXPECT_NE(moved.certificate->issuer.find("Morvane Test CA"), std::string::npos) << moved.certificate->issuer;

  // Its authority is trusted: only its date fails.
  const SiteHealth& expired = results.at("expired");
  EXPECT_EQ(expired.failure, HealthFailure::Certificate);
  EXPECT_NE(expired.failureDetail.find("expired"), std::string::npos) << expired.failureDetail;

  // Without the test authority the good server is not trusted either.
  limits.caFile = otherCA_;
  results = CheckAll({{"moved", http_->URL("/moved"), ""}}, limits);
  EXPECT_EQ(results.at("moved").failure, HealthFailure::Certificate);
}

TEST_F(SiteHealthCheckerTest, AHostileServerCannotHoldTheCheckNorFloodTheReport) {
  const std::vector<HealthSite> sites = {{"endless", http_->URL("/endless"), "http://stats.vexa.test/"},
                                         {"hostile", http_->URL("/hostile"), ""}};
  const auto results = CheckAll(sites, Limits());
  const SiteHealth& endless = results.at("endless");
  EXPECT_TRUE(endless.Up()) << HealthResultText(endless);
  EXPECT_EQ(endless.title, std::string(200, 'T'));
  // Cut short without a tag found: it may come later in the page.
  EXPECT_EQ(endless.tag, AnalysisTag::Unknown);
  // Terminal escapes and direction overrides are dropped; markup is left
  // for the report to escape.
  EXPECT_EQ(results.at("hostile").title, "]0;owned<script>alert(1)</script>evil");
}

TEST_F(SiteHealthCheckerTest, TheBudgetEndsTheWholeCheckAndLeavesTheRestNotChecked) {
  HealthCheckLimits limits = Limits();
  limits.atOnce = 1;
  limits.budget = std::chrono::milliseconds(600);
  const auto results = CheckAll({{"hang", http_->URL("/hang"), ""}, {"later", http_->URL("/tagged"), ""}}, limits);
  ASSERT_EQ(results.size(), 2u);
  EXPECT_NE(results.at("hang").failure, HealthFailure::None);
  EXPECT_EQ(results.at("later").failure, HealthFailure::NotChecked);
}

}  // namespace
}  // namespace morvane
