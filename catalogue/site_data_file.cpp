#include "catalogue/site_data_file.h"

#include "catalogue/site_record.h"
#include "util/cp932.h"
#include "util/scrambler.h"
#include "util/text_routines.h"

namespace morvane {
namespace {

std::string OpeningMark(std::string_view tag) { return "<!--" + std::string(tag) + "-->"; }
std::string ClosingMark(std::string_view tag) { return "<!--/" + std::string(tag) + "-->"; }

bool Holds(std::string_view text, std::string_view mark) { return CharPos(mark, text) != 0; }

}  // namespace

const std::string& ProgramTitle() { return SystemText("Vexa アクセス解析セット - Morvane 8号"); }

std::string SiteDataIdentity(std::string_view dataFileName) { return ProgramTitle() + std::string(dataFileName); }

// Both directions are explicit, as for site passwords: an ID or password that
// itself begins with "_" is scrambled like any other and comes back as it was.
// For every other login the bytes are those of scrambling the whole block.
std::string MasterLoginBlock(std::string_view masterID, std::string_view masterPass) {
  if (masterID.empty() && masterPass.empty()) return {};
  std::string inner(masterID);
  inner.append("\t").append(ScrambleField(masterPass, kSitePasswordKey));
  return ScrambleField(inner, kSitePasswordKey);
}

MasterLogin ParseMasterLoginBlock(std::string_view block) {
  const std::string inner = UnscrambleField(block, kSitePasswordKey);
  std::string_view rest = inner;
  MasterLogin login;
  login.id = std::string(CutToken(rest, "\t"));
  login.pass = UnscrambleField(CutToken(rest, "\t"), kSitePasswordKey);
  return login;
}

// Built in one buffer: with a million sites every extra copy of the text
// costs more than the disk.
std::optional<std::string> BuildSiteDataContents(std::string_view treeText, const LineList& sites,
                                                 std::string_view masterBlock) {
  const std::string siteListClosing = ClosingMark(kSiteListTag);
  std::size_t size = treeText.size() + masterBlock.size() + 128;
  for (const std::string& line : sites.Lines()) {
    if (Holds(line, siteListClosing)) return std::nullopt;
    size += line.size() + 2;
  }
  if (Holds(treeText, ClosingMark(kCategoryTreeTag)) || Holds(masterBlock, ClosingMark(kSerialNumberTag)))
    return std::nullopt;
  std::string out;
  out.reserve(size);
  out.append(WrapTagBlock(kCategoryTreeTag, treeText)).append(OpeningMark(kSiteListTag));
  for (const std::string& line : sites.Lines()) out.append(line).append("\r\n");
  out.append(siteListClosing).append(WrapTagBlock(kSerialNumberTag, masterBlock));
  return out;
}

// Each block is cut out once read, in the order they are written: a site
// line may itself look like the opening mark of the block after it, and must
// not be taken for that block when the file is read again.
SiteDataBlocks ParseSiteDataContents(std::string contents) {
  SiteDataBlocks blocks;
  blocks.treeText = ExtractTagBlock(contents, kCategoryTreeTag, true);
  blocks.siteListText = ExtractTagBlock(contents, kSiteListTag, true);
  blocks.masterBlock = ExtractTagBlock(contents, kSerialNumberTag, true);
  return blocks;
}

}  // namespace morvane
