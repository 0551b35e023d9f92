#include "util/line_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>

#include "util/cp932.h"

namespace morvane {
namespace {

std::vector<std::string> LinesOf(std::string_view text) {
  LineList list;
  list.SetText(text);
  return list.Lines();
}

using Lines = std::vector<std::string>;

TEST(LineList, EveryBoundsFailureIsTheIndexError) {
  LineList list;
  list.Add("a");
  list.Add("b");
  const std::string message = SystemText("インデックスがリストの範囲を超えています");
  try {
    list.Get(2);
    ADD_FAILURE() << "no index error";
  } catch (const ListIndexError& e) {
    EXPECT_EQ(e.what(), message);
  }
  EXPECT_THROW(list.Get(-1), ListIndexError);
  EXPECT_THROW(list.Put(2, "x"), ListIndexError);
  EXPECT_THROW(list.Delete(2), ListIndexError);
  EXPECT_THROW(list.Exchange(0, 2), ListIndexError);
  EXPECT_THROW(list.Exchange(-1, 0), ListIndexError);
  EXPECT_THROW(list.Insert(3, "x"), ListIndexError);
  EXPECT_THROW(list.Insert(-1, "x"), ListIndexError);
  EXPECT_THROW(list.SetCount(-1), ListIndexError);
  EXPECT_THROW(list.SetCount(LineList::kMaxCapacity + 1), ListIndexError);
  EXPECT_THROW(list.SetCapacity(1), ListIndexError);
  EXPECT_THROW(list.SetCapacity(LineList::kMaxCapacity + 1), ListIndexError);
  EXPECT_THROW(list.Error(), std::out_of_range);
  EXPECT_EQ(list.Lines(), (Lines{"a", "b"}));  // failures change nothing
}

TEST(LineList, EditingOperations) {
  LineList list;
  for (int i = 0; i < 40; ++i) list.Add("x");
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Add("b"), 0);
  list.Insert(0, "a");
  list.Insert(2, "d");
  list.Insert(2, "c");
  EXPECT_EQ(list.Lines(), (Lines{"a", "b", "c", "d"}));
  list.Exchange(0, 3);
  list.Delete(1);
  list.Put(1, "C");
  EXPECT_EQ(list.Lines(), (Lines{"d", "C", "a"}));
  list.SetCount(5);
  EXPECT_EQ(list.Lines(), (Lines{"d", "C", "a", "", ""}));
  list.SetCount(1);
  EXPECT_EQ(list.Lines(), (Lines{"d"}));
  list.SetCapacity(1);
  EXPECT_EQ(list.Capacity(), 1);
  EXPECT_EQ(list.IndexOf("d"), 0);
  EXPECT_EQ(list.IndexOf("D"), -1);
}

TEST(LineList, SetTextSplitsAtCrLfLoneCrAndLoneLfGetTextEndsEveryLineWithCrLf) {
  EXPECT_EQ(LinesOf(""), Lines{});
  EXPECT_EQ(LinesOf("\r\n"), Lines{""});
  EXPECT_EQ(LinesOf("a\r\nb"), (Lines{"a", "b"}));
  EXPECT_EQ(LinesOf("a\nb\rc\r\n"), (Lines{"a", "b", "c"}));
  EXPECT_EQ(LinesOf("a\n\rb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(LinesOf("a\r\n\r\n"), (Lines{"a", ""}));
  EXPECT_EQ(LinesOf("\r\r\n\n"), (Lines{"", "", ""}));
  LineList list;
  EXPECT_EQ(list.GetText(), "");
  list.Add("");
  list.Add("\x82\xA0");
  EXPECT_EQ(list.GetText(), "\r\n\x82\xA0\r\n");
  list.SetText("one\r\ntwo\r\nthree\r\n");
  EXPECT_EQ(list.Capacity(), list.Count());
  EXPECT_EQ(list.GetText(), "one\r\ntwo\r\nthree\r\n");
}

TEST(LineList, AZeroByteEndsTheText) {
  using namespace std::string_literals;
  EXPECT_EQ(LinesOf("a\0b\nc"s), Lines{"a"});
  // What comes after the zero byte is not there: no empty last line either.
  EXPECT_EQ(LinesOf("a\r\n\0junk"s), Lines{"a"});
  EXPECT_EQ(LinesOf("\0abc"s), Lines{});
}

TEST(LineList, StreamsCarryTheTextFromThePosition) {
  LineList list;
  list.SetText("a\r\nb");
  std::ostringstream out;
  list.SaveToStream(out);
  EXPECT_EQ(out.str(), "a\r\nb\r\n");

  std::istringstream in("skip|x\ny");
  in.ignore(5);
  list.LoadFromStream(in);
  EXPECT_EQ(list.Lines(), (Lines{"x", "y"}));
  list.LoadFromStream(in);  // nothing left
  EXPECT_EQ(list.Count(), 0);
}

TEST(LineList, NameValueLines) {
  LineList list;
  list.SetText("plain\r\nkey=1\r\nKEY=2\r\nother=a=b\r\nempty=");
  EXPECT_EQ(list.IndexOfName("plain"), -1);  // lines without "=" are skipped
  EXPECT_EQ(list.IndexOfName("Key"), 1);
  EXPECT_EQ(list.Values("Key"), "1");
  EXPECT_EQ(list.Values("OTHER"), "a=b");
  EXPECT_EQ(list.Values("empty"), "");
  EXPECT_EQ(list.Values("missing"), "");
  EXPECT_EQ(list.IndexOfName("ke"), -1);

  list.SetValue("k", "a\r\nb\nc");
  EXPECT_EQ(list.Get(list.Count() - 1), "k=ab\nc");
  list.SetValue("KEY", "3");
  EXPECT_EQ(list.Get(1), "KEY=3");
  EXPECT_EQ(list.Get(2), "KEY=2");
}

TEST(LineList, NameCaseFoldingLeavesDoubleByteCharactersAlone) {
  LineList list;
  // 83 41 and 83 61 are two different katakana; the second byte only looks
  // like the letters A and a.
  list.Add("\x83\x41=first");
  EXPECT_EQ(list.IndexOfName("\x83\x61"), -1);
  EXPECT_EQ(list.Values("\x83\x41"), "first");
  // Full-width Latin letters fold like the half-width ones: "Ａ" and "ａ".
  list.Add(
      "\x82\x60"
      "b=second");
  EXPECT_EQ(list.Values("\x82\x81"
                        "B"),
            "second");
}

bool SortedByBytes(const LineList& list) {
  return std::is_sorted(list.Lines().begin(), list.Lines().end(),
                        [](const std::string& a, const std::string& b) { return CompareBytes(a, b) < 0; });
}

TEST(LineList, SortOrdersAnyInputByBytes) {
  std::mt19937 rng(5);
  const int n = 20000;
  std::vector<std::vector<std::string>> inputs(5);
  for (int i = 0; i < n; ++i) {
    inputs[0].push_back("same");
    inputs[1].push_back(std::to_string(100000 + i));
    inputs[2].push_back(std::to_string(200000 - i));
    inputs[3].push_back(std::to_string(rng() % 1000));
    inputs[4].push_back(std::to_string(100000 + std::min(i, n - i)));  // organ pipe
  }
  for (auto& input : inputs) {
    LineList list;
    for (const auto& s : input) list.Add(s);
    list.Sort();
    EXPECT_TRUE(SortedByBytes(list));
    std::sort(input.begin(), input.end());
    std::vector<std::string> got = list.Lines();
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, input);  // the same lines, only reordered
  }
}

TEST(LineList, SortComparesBytesUnsignedAndCustomSortUsesTheCaller) {
  LineList list;
  for (const char* s : {"b", "\x82\xA0", "", "a", "ab", "\x7F"}) list.Add(s);
  list.Sort();
  EXPECT_EQ(list.Lines(), (Lines{"", "a", "ab", "b", "\x7F", "\x82\xA0"}));
  list.CustomSort([](const std::string& a, const std::string& b) { return CompareBytes(b, a); });
  EXPECT_EQ(list.Lines(), (Lines{"\x82\xA0", "\x7F", "b", "ab", "a", ""}));

  // A compare that is not a consistent order must not run off the list.
  std::mt19937 rng(9);
  for (int i = 0; i < 200; ++i) list.Add(std::to_string(i));
  list.CustomSort([&rng](const std::string&, const std::string&) { return static_cast<int>(rng() % 3) - 1; });
  EXPECT_EQ(list.Count(), 206);
}

}  // namespace
}  // namespace morvane
