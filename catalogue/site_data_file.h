#pragma once
// The contents of the site data file: the category tree's text, the site
// list's text and the master login, as three tagged blocks. Import and export
// files have the same form.
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

// A site line goes into the file only as it stands: a line break in it would
// split it on reading, a NUL byte would end the file's text there, and a
// closing mark would end its block. A save leaves such a line out, writes
// the rest, and names the site (CP932, as LeftOutSiteName gives it).
bool SiteLineStorable(std::string_view line);
// "[name] URL" of a site line, with the bytes that kept it out removed.
std::string LeftOutSiteName(std::string_view line);

// The three blocks in the stored order, nothing between them, the site list
// as every storable line followed by CR LF (the names of the others in
// leftOut, when given); nullopt when the tree text or the master block holds
// its own block's closing mark, since it could not be read back.
std::optional<std::string> BuildSiteDataContents(std::string_view treeText, const LineList& sites,
                                                 std::string_view masterBlock,
                                                 std::vector<std::string>* leftOut = nullptr);
// BuildSiteDataContents a slice at a time: the site lines are copied in
// steps, each within a time budget, and the checks run in Finish. The copying
// can so be spread over a busy thread and the rest be done on another. The
// site list must not change between the first CopyLines and the last.
class SiteDataContentsBuilder {
 public:
  SiteDataContentsBuilder(std::string_view treeText, const LineList& sites, std::string masterBlock);
  // Copies lines until the budget is spent; true once every line is in.
  bool CopyLines(std::chrono::steady_clock::duration budget);
  // After CopyLines gave true: what BuildSiteDataContents gives.
  std::optional<std::string> Finish() &&;
  // The sites CopyLines left out so far.
  const std::vector<std::string>& LeftOut() const { return leftOut_; }

 private:
  const LineList* sites_;
  std::size_t next_ = 0;
  std::string contents_;
  std::string masterBlock_;
  bool treeFits_ = true;
  std::vector<std::string> leftOut_;
};

// The whole data file written, as WriteContainer writes the identity and the
// contents BuildSiteDataContents gives, straight from the site lines: with a
// million sites joining them into one text first cost more than the disk.
// A site line that is not storable is left out and named in leftOut. nullopt,
// with nothing written, where another text could not go as it stands (a line
// break or NUL byte inside the tree text, a closing mark in it): the joined
// text then takes the general way.
std::optional<bool> WriteSiteDataFile(const std::string& path, std::string_view identity, std::string_view treeText,
                                      const LineList& sites, std::string_view masterBlock,
                                      std::vector<std::string>* leftOut = nullptr);

// Blocks are found by their tags in any order; a missing one reads as empty.
SiteDataBlocks ParseSiteDataContents(std::string contents);

}  // namespace morvane
