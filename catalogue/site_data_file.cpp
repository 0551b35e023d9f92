#include "catalogue/site_data_file.h"

#include "catalogue/site_record.h"
#include "util/cp932.h"
#include "util/scrambler.h"
#include "util/text_routines.h"

namespace morvane {
namespace {

bool AppendBlock(std::string& out, std::string_view tag, std::string_view text) {
  const std::string closing = "<!--/" + std::string(tag) + "-->";
  if (CharPos(closing, text) != 0) return false;
  out.append(WrapTagBlock(tag, text));
  return true;
}

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

std::optional<std::string> BuildSiteDataContents(const SiteDataBlocks& blocks) {
  std::string out;
  out.reserve(blocks.treeText.size() + blocks.siteListText.size() + blocks.masterBlock.size() + 128);
  if (!AppendBlock(out, kCategoryTreeTag, blocks.treeText) || !AppendBlock(out, kSiteListTag, blocks.siteListText) ||
      !AppendBlock(out, kSerialNumberTag, blocks.masterBlock))
    return std::nullopt;
  return out;
}

SiteDataBlocks ParseSiteDataContents(std::string contents) {
  SiteDataBlocks blocks;
  blocks.treeText = ExtractTagBlock(contents, kCategoryTreeTag, false);
  blocks.siteListText = ExtractTagBlock(contents, kSiteListTag, false);
  blocks.masterBlock = ExtractTagBlock(contents, kSerialNumberTag, false);
  return blocks;
}

}  // namespace morvane
