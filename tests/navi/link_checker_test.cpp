#include "navi/core/link_checker.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>

#include "support/fake_service.h"
#include "support/fetch_body.h"

namespace morvane {
namespace {

using namespace std::chrono_literals;
using ::testing::Le;

// Collects what the checker reports from its thread.
class Results {
 public:
  LinkChecker::ResultHandler OnResult() {
    return [this](std::size_t index, LinkStatus status) {
      std::lock_guard lock(mutex_);
      ++reports_[index];
      statuses_[index] = std::move(status);
    };
  }
  LinkChecker::DoneHandler OnDone() {
    return [this](bool cancelled) {
      std::lock_guard lock(mutex_);
      ++doneCalls_;
      cancelled_ = cancelled;
      changed_.notify_all();
    };
  }
  void WaitDone() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return doneCalls_ > 0; });
  }
  std::string Text(std::size_t i) {
    std::lock_guard lock(mutex_);
    return statuses_[i].text;
  }
  LinkHealth Health(std::size_t i) {
    std::lock_guard lock(mutex_);
    return statuses_[i].health;
  }
  std::size_t Reported() {
    std::lock_guard lock(mutex_);
    return statuses_.size();
  }
  // Every link at most once, and done exactly once.
  void ExpectWellFormed() {
    std::lock_guard lock(mutex_);
    EXPECT_EQ(doneCalls_, 1);
    for (const auto& [index, count] : reports_) EXPECT_EQ(count, 1) << "link " << index;
  }
  bool Cancelled() {
    std::lock_guard lock(mutex_);
    return cancelled_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::size_t, int> reports_;
  std::map<std::size_t, LinkStatus> statuses_;
  int doneCalls_ = 0;
  bool cancelled_ = false;
};

class LinkCheckerTest : public ::testing::Test {
 protected:
  // The most requests the service answered at once since the last reset.
  int MostAtOnce(bool reset = false) {
    int open = 0, busy = 0;
    const std::string counts = testing::FetchBody(service_.URL(reset ? "/connections?reset" : "/connections"));
    sscanf(counts.c_str(), "%d %d", &open, &busy);
    return busy;
  }
  void Check(const std::vector<std::string>& urls, LinkCheckLimits limits = {}) {
    LinkChecker checker(urls, results_.OnResult(), results_.OnDone(), limits);
    results_.WaitDone();
  }
  testing::FakeService service_{6};
  Results results_;
};

TEST_F(LinkCheckerTest, EachLinkGetsItsStatusOrWhyItHasNone) {
  const std::vector<std::string> urls = {
      service_.URL("/modified"),       service_.URL("/status/404"),   service_.URL("/status/503"),
      service_.URL("/moved"),          service_.URL("/loop"),         testing::ClosedPortURL(),
      service_.SecureURL("/modified"), "mailto:someone@example.com",  "javascript:void(0)",
      service_.URL("/slow?s=30"),      service_.URL("/huge-headers"), "http://",
      "HTTP://127.0.0.1:1/x\x82\xA0"};
  LinkCheckLimits limits;
  limits.timeout = 1500ms;
  Check(urls, limits);
  results_.ExpectWellFormed();
  EXPECT_FALSE(results_.Cancelled());
  ASSERT_EQ(results_.Reported(), urls.size());
  const std::vector<std::pair<std::string, LinkHealth>> expected = {{"200", LinkHealth::Ok},
                                                                    {"404", LinkHealth::Failing},
                                                                    {"503", LinkHealth::Failing},
                                                                    {"200", LinkHealth::Ok},
                                                                    {"転送が多すぎます", LinkHealth::Failing},
                                                                    {"接続できません", LinkHealth::Failing},
                                                                    {"証明書エラー", LinkHealth::Failing},
                                                                    {"未確認", LinkHealth::NotChecked},
                                                                    {"未確認", LinkHealth::NotChecked},
                                                                    {"時間切れ", LinkHealth::Failing}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(results_.Text(i), expected[i].first) << urls[i];
    EXPECT_EQ(results_.Health(i), expected[i].second) << urls[i];
  }
  // Huge headers end one way or the other, never hang; broken addresses fail.
  EXPECT_NE(results_.Health(10), LinkHealth::NotChecked);
  EXPECT_EQ(results_.Health(11), LinkHealth::Failing);
  EXPECT_EQ(results_.Health(12), LinkHealth::Failing);
}

TEST_F(LinkCheckerTest, KeepsToTheLimitsAtOnceAndPerHost) {
  // One server: never more than two of its links at a time.
  std::vector<std::string> urls;
  for (int i = 0; i < 10; ++i) urls.push_back(service_.URL("/slow?s=0.2&n=" + std::to_string(i)));
  MostAtOnce(true);
  Check(urls);
  EXPECT_EQ(MostAtOnce(), 2);

  // Six servers with five slow links each: at most eight at once in all.
  urls.clear();
  for (int i = 0; i < 30; ++i) urls.push_back(service_.HostURL(i % 6, "/slow?s=0.2&n=" + std::to_string(i)));
  Results all;
  MostAtOnce(true);
  {
    LinkChecker checker(urls, all.OnResult(), all.OnDone());
    all.WaitDone();
  }
  all.ExpectWellFormed();
  EXPECT_EQ(all.Reported(), urls.size());
  EXPECT_THAT(MostAtOnce(), Le(8));
}

TEST_F(LinkCheckerTest, GivesUpOnASilentHostAndKeepsToItsBudget) {
  // Twenty links to a server that never answers and one to another that
  // does: after three time-outs in a row the silent one's links still
  // waiting are not asked; the other server is not held up by it.
  std::vector<std::string> urls;
  for (int i = 0; i < 20; ++i) urls.push_back(service_.URL("/slow?s=30&n=" + std::to_string(i)));
  urls.push_back(service_.HostURL(1, "/modified"));
  LinkCheckLimits limits;
  limits.timeout = 300ms;
  Check(urls, limits);
  results_.ExpectWellFormed();
  ASSERT_EQ(results_.Reported(), urls.size());
  int timedOut = 0, givenUp = 0;
  for (std::size_t i = 0; i < 20; ++i) {
    const std::string text = results_.Text(i);
    timedOut += text == "時間切れ";
    givenUp += text == "応答なし";
    EXPECT_EQ(results_.Health(i), LinkHealth::Failing) << text;
  }
  EXPECT_EQ(timedOut + givenUp, 20);
  EXPECT_LE(timedOut, 5);
  EXPECT_EQ(results_.Text(20), "200");

  // A budget that runs out ends the check: what was not asked stays unreported
  // (the list shows it as not checked), and the checker says why it ended.
  Results budgeted;
  LinkCheckLimits tight;
  tight.budget = 400ms;
  std::vector<std::string> slow;
  for (int i = 0; i < 40; ++i) slow.push_back(service_.HostURL(i % 6, "/slow?s=0.3&n=" + std::to_string(i)));
  LinkChecker checker(slow, budgeted.OnResult(), budgeted.OnDone(), tight);
  budgeted.WaitDone();
  budgeted.ExpectWellFormed();
  EXPECT_TRUE(checker.RanOutOfTime());
  EXPECT_FALSE(budgeted.Cancelled());
  EXPECT_LT(budgeted.Reported(), slow.size());
}

TEST_F(LinkCheckerTest, StopsPromptlyOnAHugePageOfHostsThatNeverAnswer) {
  // 100,000 links to servers that keep every answer back: closing the window
  // (the checker's end) must not wait for them.
  std::vector<std::string> urls;
  urls.reserve(100000);
  for (int i = 0; i < 100000; ++i) urls.push_back(service_.HostURL(i % 6, "/slow?s=30&n=" + std::to_string(i)));
  const auto start = std::chrono::steady_clock::now();
  {
    LinkChecker checker(urls, results_.OnResult(), results_.OnDone());
    std::this_thread::sleep_for(300ms);
  }
  results_.ExpectWellFormed();
  EXPECT_TRUE(results_.Cancelled());
  EXPECT_EQ(results_.Reported(), 0u);
  // Far below the ten seconds a single link may take; a hang would show here.
  EXPECT_LT(std::chrono::steady_clock::now() - start, 8s);
}

}  // namespace
}  // namespace morvane
