#pragma once
// A plain list of CP932 lines: the site list, the shown list, the tree's text
// form, the settings' name=value lines and the page link list.
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

// Raised by every out-of-range access; its message is the list's index error
// text "インデックスがリストの範囲を超えています" in CP932.
class ListIndexError : public std::out_of_range {
 public:
  ListIndexError();
};

class LineList {
 public:
  static constexpr long long kMaxCapacity = 134217727;
  using Compare = std::function<int(const std::string&, const std::string&)>;

  explicit LineList(std::string nameValueSeparator = "=");
  virtual ~LineList() = default;

  const std::string& NameValueSeparator() const { return separator_; }
  long long Count() const { return static_cast<long long>(lines_.size()); }
  long long Capacity() const { return capacity_; }

  const std::string& Get(long long i) const;
  void Put(long long i, std::string s);
  long long Add(std::string s);
  void Insert(long long i, std::string s);
  void Delete(long long i);
  void Exchange(long long i, long long j);
  void Clear();
  void SetCount(long long n);
  void SetCapacity(long long n);

  // Every line followed by CR LF.
  std::string GetText() const;
  // Lines end at CR LF, a lone CR or a lone LF; a NUL byte ends the text.
  void SetText(std::string_view text);
  void SaveToStream(std::ostream& out) const;
  void LoadFromStream(std::istream& in);

  long long IndexOf(std::string_view s) const;
  long long IndexOfName(std::string_view name) const;
  std::string Values(std::string_view name) const;
  void SetValue(std::string_view name, std::string_view value);

  void CustomSort(const Compare& compare);
  void Sort();

  [[noreturn]] void Error() const;

  // For loops over the lines without index checks.
  const std::vector<std::string>& Lines() const { return lines_; }
  // Counts every change of the lines: a list that refers to them by index
  // can tell that it no longer names the lines it was made from.
  std::uint64_t Revision() const { return revision_; }

 private:
  void CheckIndex(long long i) const;
  void Grow();
  void QuickSort(long long l, long long r, const Compare& compare, int depthLeft);

  std::string separator_;
  std::vector<std::string> lines_;
  long long capacity_ = 0;  // the list's own slot count (grows by 32); storage itself grows geometrically
  std::uint64_t revision_ = 0;
};

// Byte-wise comparison: negative, zero or positive.
int CompareBytes(const std::string& a, const std::string& b);

}  // namespace morvane
