#include "navi/core/page_link_check.h"

#include <glib/gstdio.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/fake_service.h"
#include "support/wake_loop.h"
#include "util/cp932.h"

namespace morvane {
namespace {

using ::testing::HasSubstr;

// The window's side: wakes arrive from the checker's thread, Take() runs on
// the "main loop" (the test's thread).
class FakeView : public LinkCheckView {
 public:
  void WakeMainLoop() override { loop_.Wake(); }
  void ShowLinkCheckProgress(std::size_t done, std::size_t total, bool running) override {
    progress.push_back({done, total, running});
  }
  void OfferLinkList() override { ++offers; }
  void RunUntilEnded(PageLinkCheck& check) {
    loop_.TakeWhile([&] { return check.Running(); }, [&] { check.Take(); });
  }
  struct Progress {
    std::size_t done, total;
    bool running;
  };
  std::vector<Progress> progress;
  int offers = 0;

 private:
  testing::WakeLoop loop_;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

TEST(PageLinkCheck, ShowsTheCheckedListAndSavesItAsCsv) {
  testing::FakeService service;
  FakeView view;
  std::vector<std::string> shown;
  PageLinkCheck check(view, [&](std::string_view page) { shown.emplace_back(page); });
  gchar* folder = g_dir_make_tmp("linkcheck-XXXXXX", nullptr);
  const std::string path = std::string(folder) + "/links.csv";
  EXPECT_FALSE(check.SaveCsv(path));  // nothing checked yet
  EXPECT_FALSE(g_file_test(path.c_str(), G_FILE_TEST_EXISTS));

  check.Start(BuildPageLinkList("<a href=/modified>ok</a><a href=/status/410>gone</a><a href=mailto:a@b>m</a>",
                                service.URL("/"), {}, {}));
  view.RunUntilEnded(check);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_THAT(shown[0], HasSubstr(service.URL("/status/410") + "\tgone\t410\r\n"));
  EXPECT_LT(shown[0].find("[410]"), shown[0].find("[200]"));
  ASSERT_FALSE(view.progress.empty());
  EXPECT_EQ(view.progress.front().done, 0u);
  EXPECT_TRUE(view.progress.front().running);
  EXPECT_EQ(view.progress.back().done, 3u);
  EXPECT_EQ(view.progress.back().total, 3u);
  EXPECT_FALSE(view.progress.back().running);

  EXPECT_TRUE(check.SaveCsv(path));
  const std::string csv = ReadFile(path);
  EXPECT_TRUE(csv.starts_with("\xEF\xBB\xBF"));
  EXPECT_THAT(csv, HasSubstr(service.URL("/status/410") + ",gone,410\r\n"));
  EXPECT_THAT(csv, HasSubstr("mailto:a@b,m,未確認\r\n"));

  EXPECT_FALSE(check.SaveCsv(std::string(folder) + "/missing/links.csv"));  // no such folder
  g_remove(path.c_str());
  g_rmdir(folder);
  g_free(folder);
}

TEST(PageLinkCheck, StopShowsWhatWasCheckedAndANewStartDropsTheOldCheck) {
  testing::FakeService service;
  FakeView view;
  std::vector<std::string> shown;
  PageLinkCheck check(view, [&](std::string_view page) { shown.emplace_back(page); });
  std::string page;
  for (int i = 0; i < 50; ++i) page += "<a href=\"/slow?s=30&n=" + std::to_string(i) + "\">slow</a>";
  check.Start(BuildPageLinkList(page, service.URL("/"), {}, {}));
  check.Start(BuildPageLinkList(page, service.URL("/"), {}, {}));  // the first one goes quietly
  check.Stop();
  view.RunUntilEnded(check);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_THAT(shown[0], HasSubstr(Utf8ToCp932("\tslow\t未確認\r\n")));  // shown as the catalogue's CP932
  EXPECT_FALSE(view.progress.back().running);
}

// The same address loaded again is another page too: the user may have
// typed into its form since.
TEST(PageLinkCheck, AListWhosePageWasLeftIsKeptUntilAskedFor) {
  testing::FakeService service;
  FakeView view;
  std::vector<std::string> shown;
  BrowserFrame::ShownPage current{3, "http://host/a"};
  PageLinkCheck check(
      view, [&](std::string_view page) { shown.emplace_back(page); }, [&] { return std::optional(current); });
  const PageLinkList list = BuildPageLinkList("<a href=/modified>ok</a>", service.URL("/"), {}, {});
  for (const BrowserFrame::ShownPage& later :
       {BrowserFrame::ShownPage{4, "http://host/a"}, BrowserFrame::ShownPage{3, "http://host/b"}}) {
    current = {3, "http://host/a"};
    check.Start(list);
    current = later;
    view.RunUntilEnded(check);
    EXPECT_TRUE(shown.empty());
  }
  EXPECT_EQ(view.offers, 2);
  EXPECT_TRUE(check.HasResult());
  check.ShowResult();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_THAT(shown[0], HasSubstr("[200]"));

  // Still on its page: shown at once, nothing offered.
  current = {3, "http://host/a"};
  check.Start(list);
  view.RunUntilEnded(check);
  EXPECT_EQ(shown.size(), 2u);
  EXPECT_EQ(view.offers, 2);
}

}  // namespace
}  // namespace morvane
