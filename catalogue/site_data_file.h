#pragma once
// The contents of the site data file: the category tree's text, the site
// list's text and the master login, as three tagged blocks. Import and export
// files have the same form.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "catalogue/line_list.h"

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

// The three blocks in the stored order, nothing between them, the site list
// as every line followed by CR LF; nullopt when a text holds its own block's
// closing mark, since it could not be read back.
std::optional<std::string> BuildSiteDataContents(std::string_view treeText, const LineList& sites,
                                                 std::string_view masterBlock);
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

 private:
  const LineList* sites_;
  std::size_t next_ = 0;
  std::string contents_;
  std::size_t siteListStart_ = 0;
  std::string masterBlock_;
  bool treeFits_ = true;
};

// The whole data file written, as WriteContainer writes the identity and the
// contents BuildSiteDataContents gives, straight from the site lines: with a
// million sites joining them into one text first cost more than the disk.
// nullopt, with nothing written, where a text could not go as it stands (a
// line break or NUL byte inside a text, a closing mark in one): the joined
// text then takes the general way.
std::optional<bool> WriteSiteDataFile(const std::string& path, std::string_view identity, std::string_view treeText,
                                      const LineList& sites, std::string_view masterBlock);

// Blocks are found by their tags in any order; a missing one reads as empty.
SiteDataBlocks ParseSiteDataContents(std::string contents);

}  // namespace morvane
