// Downloads a page asks for: offered only right after the user's input, once
// per input, in a browser that may download; the name proposed is harmless.
#include "browser/core/download_gate.h"

#include <gtest/gtest.h>

#include "fake_browser.h"
#include "util/cp932.h"

namespace morvane {
namespace {

using Verdict = DownloadGate::Verdict;
using testing::FakeToolbar;

TEST(DownloadGateTest, OneOfferPerRecentInputInABrowserThatMayDownload) {
  DownloadGate gate;
  gate.NoteInput(0);
  EXPECT_EQ(gate.Admit(10), Verdict::NotAllowed);
  gate.Allow(true);
  EXPECT_EQ(gate.Admit(10), Verdict::Offer);  // the input was before it was allowed: still the user's
  gate.Decided();
  EXPECT_EQ(gate.Admit(20), Verdict::NoInput);  // a second file on the same click
  gate.NoteInput(500);
  EXPECT_EQ(gate.Admit(510), Verdict::Offer);
  gate.NoteInput(520);  // typing on while the dialog is open
  EXPECT_EQ(gate.Admit(530), Verdict::Deciding);
  gate.Decided();
  EXPECT_EQ(gate.Admit(540), Verdict::Offer);
  gate.Decided();
  gate.NoteInput(1000);
  EXPECT_EQ(gate.Admit(1000 + DownloadGate::kInputWindowMilliseconds + 1), Verdict::NoInput);
  gate.NoteInput(9000);
  EXPECT_EQ(gate.Admit(9000 + DownloadGate::kInputWindowMilliseconds), Verdict::Offer);
  gate.Allow(false);
  gate.Decided();
  gate.NoteInput(20000);
  EXPECT_EQ(gate.Admit(20000), Verdict::NotAllowed);
  DownloadGate never;
  never.Allow(true);
  EXPECT_EQ(never.Admit(0), Verdict::NoInput);  // no input at all yet
}

TEST(DownloadGateTest, TheProposedNameNeitherClimbsNorHidesNorBreaksLines) {
  EXPECT_EQ(ProposedDownloadName("../../.bash_login", ""), "bash_login");
  EXPECT_EQ(ProposedDownloadName("evil.desktop", "http://h/x"), "evil.desktop");
  EXPECT_EQ(ProposedDownloadName("a\nb\tc\\d.txt", ""), "d.txt");
  EXPECT_EQ(ProposedDownloadName("a\nb\tc.txt", ""), "abc.txt");
  EXPECT_EQ(ProposedDownloadName("", "http://h/files/report.csv?x=/y#z"), "report.csv");
  EXPECT_EQ(ProposedDownloadName(" .. ", "http://h/"), "download");
  EXPECT_EQ(ProposedDownloadName("", "data:text/plain,x"), "download");
  EXPECT_EQ(ProposedDownloadName("レポート.txt", ""), "レポート.txt");
}

class FrameDownloadTest : public ::testing::Test, protected testing::FakeFrame {
 protected:
  FakeToolbar bar{frame};
  std::vector<std::string> asked;
  std::vector<std::optional<DownloadTarget>> answers;
  void SetUp() override { bar.AttachAll(); }
  void Allow() {
    frame.SetDownloadChooser([this](std::string_view name) -> std::optional<DownloadTarget> {
      asked.emplace_back(name);
      return DownloadTarget{"/tmp/chosen/" + std::string(name), false};
    });
  }
  void Download(std::string_view name) {
    frame.OnDownload({"http://host/f", name}, [this](std::optional<DownloadTarget> t) { answers.push_back(t); });
  }
};

TEST_F(FrameDownloadTest, WithoutAChooserOrAnInputNothingIsAskedAndADropIsSaid) {
  frame.OnUserInput();
  Download("a.txt");
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_FALSE(answers[0]);

  Allow();
  pump.clock += 10000;
  Download("bash_login");
  pump.ProcessMessages();
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_FALSE(answers[1]);
  EXPECT_TRUE(asked.empty());
  EXPECT_EQ(bar.status.back(), SystemText("クリックなしのダウンロードを止めました: bash_login"));
}

TEST_F(FrameDownloadTest, AfterAnInputTheChooserIsAskedFromTheEventLoopOnce) {
  Allow();
  frame.OnUserInput();
  Download("../r.csv");
  Download("second.csv");      // the same click
  EXPECT_TRUE(asked.empty());  // not inside the engine's event
  pump.ProcessMessages();
  EXPECT_EQ(asked, std::vector<std::string>{"r.csv"});
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_FALSE(answers[0]);  // the second one, dropped at once
  ASSERT_TRUE(answers[1]);
  EXPECT_EQ(answers[1]->file, "/tmp/chosen/r.csv");
  // Once the user has decided, the next click may offer the next file.
  frame.OnUserInput();
  Download("third.csv");
  pump.ProcessMessages();
  EXPECT_EQ(asked.size(), 2u);

  // A page that came after the click (the click opened it) may not spend it.
  frame.OnUserInput();
  frame.OnDownload({"http://other/f", "evil.desktop", false},
                   [this](std::optional<DownloadTarget> t) { answers.push_back(t); });
  pump.ProcessMessages();
  EXPECT_EQ(asked.size(), 2u);
  EXPECT_FALSE(answers.back());
  EXPECT_EQ(bar.status.back(), SystemText("クリックなしのダウンロードを止めました: evil.desktop"));
}

TEST(FrameDownloadGone, AnAnswerAfterTheFrameHasGoneDropsTheDownload) {
  testing::FakeEngine engine;
  testing::FakePump pump;
  std::vector<std::optional<DownloadTarget>> answers;
  {
    BrowserFrame frame{engine, pump};
    frame.SetDownloadChooser([](std::string_view) { return DownloadTarget{"/tmp/x", false}; });
    frame.OnUserInput();
    frame.OnDownload({"http://host/f", "f"}, [&](std::optional<DownloadTarget> t) { answers.push_back(t); });
  }
  pump.ProcessMessages();
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_FALSE(answers[0]);
}

}  // namespace
}  // namespace morvane
