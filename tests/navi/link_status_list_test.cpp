#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "navi/core/link_list.h"
#include "util/csv.h"

namespace morvane {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

LinkStatus Status(LinkHealth health, std::string text) { return LinkStatus{health, std::move(text)}; }

PageLinkList CheckedList() {
  PageLinkList list = BuildPageLinkList(
      "<a href=a.html>A</a><a href=b.html>B</a><a href=mailto:x@y>mail</a><a href=d.html>D</a>", "http://h/", {}, {});
  // In list order: a, b, d, mailto.
  list.statuses = {Status(LinkHealth::Ok, "200"), Status(LinkHealth::Failing, "404"),
                   Status(LinkHealth::Failing, "時間切れ"), LinkStatus{}};
  list.PutFailingFirst();
  return list;
}

TEST(CheckedLinkList, FailingLinksComeFirstWithTheirStatusInEveryBlock) {
  const PageLinkList list = CheckedList();
  EXPECT_THAT(list.entries,
              ElementsAre("http://h/b.html\tB", "http://h/d.html\tD", "http://h/a.html\tA", "mailto:x@y\tmail"));
  EXPECT_EQ(list.ListText(),
            "http://h/b.html\tB\t404\r\nhttp://h/d.html\tD\t時間切れ\r\nhttp://h/a.html\tA\t200\r\n"
            "mailto:x@y\tmail\t未確認\r\n");
  const std::string page = list.Page();
  EXPECT_THAT(page, HasSubstr("[404]</b> <a href=\"http://h/b.html\">B</a><br>"));
  EXPECT_THAT(page, HasSubstr("[200] <a href=\"http://h/a.html\">A</a><br>"));
  EXPECT_LT(page.find("b.html"), page.find("a.html"));

  // A list as built, before any check, keeps its old form.
  const PageLinkList plain = BuildPageLinkList("<a href=a.html>A</a>", "http://h/", {}, {});
  EXPECT_EQ(plain.ListText(), "http://h/a.html\tA\r\n");
  EXPECT_EQ(plain.Page().find('['), std::string::npos);
}

TEST(CheckedLinkList, CsvIsUtf8WithByteOrderMarkAndQuotedFields) {
  PageLinkList list;
  list.entries = {"http://h/a?x=1,2\t日本 \"quoted\"", "http://h/b\t=HYPERLINK(\"http://evil\")", "http://h/c\tline"};
  list.statuses = {Status(LinkHealth::Ok, "200"), Status(LinkHealth::Failing, "500"), Status(LinkHealth::Ok, "301")};
  EXPECT_EQ(list.Csv(),
            "\xEF\xBB\xBFURL,リンクテキスト,状態\r\n"
            "\"http://h/a?x=1,2\",\"日本 \"\"quoted\"\"\",200\r\n"
            "http://h/b,\"'=HYPERLINK(\"\"http://evil\"\")\",500\r\n"
            "http://h/c,line,301\r\n");

  std::string row;
  AppendCsvRow(row, {"", "a\r\nb", "-1", "@x", "plain"});
  EXPECT_EQ(row, ",\"a\r\nb\",\"'-1\",\"'@x\",plain\r\n");
}

}  // namespace
}  // namespace morvane
