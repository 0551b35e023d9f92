#include "util/line_list.h"

#include <algorithm>
#include <cstring>
#include <istream>
#include <iterator>
#include <ostream>

#include "util/cp932.h"
#include "util/text_routines.h"

namespace morvane {

ListIndexError::ListIndexError() : std::out_of_range(SystemText("インデックスがリストの範囲を超えています")) {}

LineList::LineList(std::string nameValueSeparator) : separator_(std::move(nameValueSeparator)) {}

void LineList::Error() const { throw ListIndexError(); }

void LineList::CheckIndex(long long i) const {
  if (i < 0 || i >= Count()) Error();
}

void LineList::Grow() {
  if (Count() == capacity_) capacity_ += 32;
}

const std::string& LineList::Get(long long i) const {
  CheckIndex(i);
  return lines_[i];
}

void LineList::Put(long long i, std::string s) {
  CheckIndex(i);
  ++revision_;
  lines_[i] = std::move(s);
}

long long LineList::Add(std::string s) {
  ++revision_;
  Grow();
  lines_.push_back(std::move(s));
  return Count() - 1;
}

void LineList::Insert(long long i, std::string s) {
  if (i < 0 || i > Count()) Error();
  ++revision_;
  Grow();
  lines_.insert(lines_.begin() + i, std::move(s));
}

void LineList::Delete(long long i) {
  CheckIndex(i);
  ++revision_;
  lines_.erase(lines_.begin() + i);
}

void LineList::Exchange(long long i, long long j) {
  CheckIndex(i);
  CheckIndex(j);
  ++revision_;
  std::swap(lines_[i], lines_[j]);
}

void LineList::Clear() {
  ++revision_;
  lines_.clear();
  lines_.shrink_to_fit();
  capacity_ = 0;
}

void LineList::SetCount(long long n) {
  if (n < 0 || n > kMaxCapacity) Error();
  ++revision_;
  if (n > capacity_) capacity_ = n;
  lines_.resize(n);
}

void LineList::SetCapacity(long long n) {
  if (n > kMaxCapacity || n < Count()) Error();
  capacity_ = n;
  lines_.reserve(n);
}

std::string LineList::GetText() const {
  std::size_t size = 0;
  for (const auto& line : lines_) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const auto& line : lines_) text.append(line).append("\r\n");
  return text;
}

void LineList::SetText(std::string_view text) {
  Clear();
  text = text.substr(0, text.find('\0'));  // a zero byte ends the text
  if (text.empty()) return;
  // Room for a line per LF, as CR LF text has: room reserved from the length
  // was several times too much, and the shrink below then moved every line
  // to new memory.
  const auto breaks = static_cast<long long>(std::count(text.begin(), text.end(), '\n'));
  SetCapacity(std::min<long long>(breaks + (text.back() == '\n' ? 0 : 1), kMaxCapacity));
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p != end) {
    const char* start = p;
    while (p != end && *p != '\r' && *p != '\n') ++p;
    Add(std::string(start, p));
    if (p != end && *p == '\r') ++p;
    if (p != end && *p == '\n') ++p;
  }
  // Text with lone CRs has more lines than LFs.
  capacity_ = Count();
  lines_.shrink_to_fit();
}

void LineList::SaveToStream(std::ostream& out) const {
  const std::string text = GetText();
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void LineList::LoadFromStream(std::istream& in) {
  Clear();
  std::string rest((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!rest.empty()) SetText(rest);
}

long long LineList::IndexOf(std::string_view s) const {
  for (std::size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i] == s) return static_cast<long long>(i);
  return -1;
}

namespace {
// Upper-case form of the character at p (one or two bytes): the Latin
// letters fold in both widths, every other character compares as it is.
// The second byte of a double-byte character is never folded on its own.
unsigned FoldedCharAt(std::string_view s, std::size_t p, std::size_t width) {
  const auto b = static_cast<unsigned char>(s[p]);
  if (width == 1) return (b >= 'a' && b <= 'z') ? b - 32u : b;
  const unsigned c = b << 8 | static_cast<unsigned char>(s[p + 1]);
  return (c >= 0x8281 && c <= 0x829A) ? c - 0x21 : c;  // "ａ".."ｚ" -> "Ａ".."Ｚ"
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t p = 0; p < a.size();) {
    const std::size_t w = CharWidthAt(a, p);
    if (CharWidthAt(b, p) != w || FoldedCharAt(a, p, w) != FoldedCharAt(b, p, w)) return false;
    p += w;
  }
  return true;
}
}  // namespace

long long LineList::IndexOfName(std::string_view name) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const std::size_t at = lines_[i].find(separator_);
    if (at == std::string::npos) continue;
    if (SameNameIgnoringCase(std::string_view(lines_[i]).substr(0, at), name)) return static_cast<long long>(i);
  }
  return -1;
}

std::string LineList::Values(std::string_view name) const {
  const long long i = IndexOfName(name);
  if (i < 0) return {};
  const std::string& line = lines_[i];
  const std::size_t from = name.size() + 1;
  return from < line.size() ? line.substr(from) : std::string();
}

void LineList::SetValue(std::string_view name, std::string_view value) {
  std::string line(name);
  line.append(separator_).append(RemoveAll(value, "\r\n"));
  const long long i = IndexOfName(name);
  if (i >= 0) Put(i, std::move(line));
  else Add(std::move(line));
}

void LineList::QuickSort(long long l, long long r, const Compare& compare, int depthLeft) {
  // The classic partition; the smaller side is sorted by recursion and the
  // larger by the loop, so the stack stays shallow for any input. Inputs that
  // keep splitting badly (an organ pipe, a crafted page's links) would take
  // quadratic time: past the depth budget the rest is heap-sorted instead.
  while (l < r) {
    if (depthLeft-- == 0) {
      const auto first = lines_.begin() + l, last = lines_.begin() + r + 1;
      const auto less = [&compare](const std::string& a, const std::string& b) { return compare(a, b) < 0; };
      std::make_heap(first, last, less);
      std::sort_heap(first, last, less);
      return;
    }
    long long i = l, j = r;
    const std::string pivot = lines_[(l + r) / 2];
    do {
      // The bounds only matter for a compare that is no consistent order.
      while (i < r && compare(lines_[i], pivot) < 0) ++i;
      while (j > l && compare(lines_[j], pivot) > 0) --j;
      if (i <= j) {
        std::swap(lines_[i], lines_[j]);
        ++i;
        --j;
      }
    } while (i <= j);
    if (j - l < r - i) {
      if (l < j) QuickSort(l, j, compare, depthLeft);
      l = i;
    } else {
      if (i < r) QuickSort(i, r, compare, depthLeft);
      r = j;
    }
  }
}

void LineList::CustomSort(const Compare& compare) {
  ++revision_;
  if (Count() <= 1) return;
  int depth = 0;
  for (long long n = Count(); n > 1; n >>= 1) depth += 2;
  QuickSort(0, Count() - 1, compare, depth);
}

int CompareBytes(const std::string& a, const std::string& b) {
  const int c = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
  if (c != 0) return c;
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

void LineList::Sort() { CustomSort(CompareBytes); }

}  // namespace morvane
