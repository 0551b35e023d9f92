#pragma once
// The site data file: an identity block and a contents block that holds the
// category tree's text, the site list and the master login as three tagged
// blocks. Import and export files have the same form.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "util/line_list.h"

namespace morvane {

inline constexpr std::string_view kCategoryTreeTag = "\t_CATEGORYTREE_\t";
inline constexpr std::string_view kSiteListTag = "\t_SITELIST_\t";
inline constexpr std::string_view kSerialNumberTag = "\t_SERIALNUMBER_\t";

inline constexpr std::string_view kDefaultDataFileName = "VexaSiteData.dat";

// The program's title in CP932, which the identity text begins with.
const std::string& ProgramTitle();

// Title followed directly by the data file's name: what a data file written
// under that name carries, whatever file it is actually written to.
std::string SiteDataIdentity(std::string_view dataFileName);

// Scrambled "ID TAB scrambled password"; empty when both are empty.
std::string MasterLoginBlock(std::string_view masterID, std::string_view masterPass);

struct MasterLogin {
  std::string id;
  std::string pass;
};
// Reverses MasterLoginBlock; the block must not be empty.
MasterLogin ParseMasterLoginBlock(std::string_view block);

struct SiteDataBlocks {
  std::string treeText;      // the tree's text form; empty: leave the tree
  std::string siteListText;  // site lines; empty: no sites
  std::string masterBlock;   // empty: leave the master login
};

// Every text goes into the file only as it stands, and only where it reads
// back as written: a NUL byte would end the file's text there, a line break
// other than CR LF would be made into one, a closing mark would end its
// block early, and a lone lead byte at a text's very end would take the
// first byte of the mark after it for its own.
//
// A site line must also be one line. A save leaves a site line that breaks
// these rules out, writes the rest, and names the site (CP932, as
// LeftOutSiteName gives it).
bool SiteLineStorable(std::string_view line);
// "[name] URL" of a site line, with the bytes that kept it out removed.
std::string LeftOutSiteName(std::string_view line);

// The file as it is laid out, for both ways of writing it: the identity
// block, then the contents block holding the tree block, the site list block
// and the master login block with nothing between them, and a last CR LF.
// Each storable site line is followed by CR LF. Head is all before the first
// site line, Tail all after the last.
class SiteDataLayout {
 public:
  static constexpr std::string_view kLineEnd = "\r\n";

  // nullopt when the identity, the tree text or the master block breaks the
  // rules above, or the identity begins or ends with a line break (a block's
  // text is read without them, and the identity is compared as read): each
  // is one text, and the file cannot be written without it.
  static std::optional<SiteDataLayout> Of(std::string_view identity, std::string_view treeText,
                                          std::string_view masterBlock);

  const std::string& Head() const { return head_; }
  const std::string& Tail() const { return tail_; }

 private:
  SiteDataLayout() = default;
  std::string head_;
  std::string tail_;
};

enum class SiteDataWrite {
  Written,
  Refused,  // a text of the layout broke the rules: nothing was written
  Failed,   // the file could not be written: the one at the path is as it was
};

struct SiteDataWriteResult {
  SiteDataWrite status = SiteDataWrite::Failed;
  // The site lines that were not storable, as LeftOutSiteName names them.
  std::vector<std::string> leftOut;

  bool Written() const { return status == SiteDataWrite::Written; }
};

// The data file written at once, straight from the site lines: with a
// million sites, joining them into one text first cost more than the disk.
SiteDataWriteResult WriteSiteDataFile(const std::string& path, std::string_view identity, std::string_view treeText,
                                      const LineList& sites, std::string_view masterBlock);

// The same bytes copied a slice at a time, each slice within a time budget,
// and written later, maybe on another thread: the copying can so be spread
// over a busy thread. The site list must not change between the first
// CopyLines and the last.
class SiteDataFileBuilder {
 public:
  SiteDataFileBuilder(std::string_view identity, std::string_view treeText, const LineList& sites,
                      std::string_view masterBlock);
  // Copies lines until the budget is spent; true once every line is in.
  bool CopyLines(std::chrono::steady_clock::duration budget);
  // The sites CopyLines left out so far.
  const std::vector<std::string>& LeftOut() const { return leftOut_; }
  // After CopyLines gave true: the file's bytes, nullopt when the layout was
  // refused.
  std::optional<std::string> Finish() &&;
  // After CopyLines gave true: the bytes written to path.
  SiteDataWrite Write(const std::string& path) &&;

 private:
  const LineList* sites_;
  std::optional<SiteDataLayout> layout_;
  std::size_t next_ = 0;
  std::string bytes_;
  std::vector<std::string> leftOut_;
};

// Blocks are found by their tags in any order; a missing one reads as empty.
SiteDataBlocks ParseSiteDataContents(std::string contents);

}  // namespace morvane
