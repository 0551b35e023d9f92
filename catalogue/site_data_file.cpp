#include "catalogue/site_data_file.h"

#include "catalogue/site_record.h"
#include "util/container_file.h"
#include "util/cp932.h"
#include "util/scrambler.h"
#include "util/text_file.h"
#include "util/text_routines.h"

namespace morvane {
namespace {

std::string OpeningMark(std::string_view tag) { return "<!--" + std::string(tag) + "-->"; }
std::string ClosingMark(std::string_view tag) { return "<!--/" + std::string(tag) + "-->"; }

bool Holds(std::string_view text, std::string_view mark) { return CharPos(mark, text) != 0; }

// Where a text stands in the file, for the rules it must keep.
struct TextPlace {
  std::string_view ownClosing;  // the closing mark of its block
  bool inContents;              // inside the contents block, whose closing mark would end it too
  bool oneLine;                 // a site line: no line break at all
  bool markFollows;             // a mark right after it, not CR LF
};

// Every text starts a character where it stands in the file: the bytes
// before it are a mark's ">" or a CR LF. Its marks are so looked for from its
// own start, and its end must not leave a lead byte waiting for a partner.
bool ReadsBack(std::string_view text, const TextPlace& place) {
  if (place.oneLine) {
    for (const char c : {'\r', '\n', '\0'})
      if (text.find(c) != std::string_view::npos) return false;
  } else if (!OnlyCrLfBreaks(text)) {
    return false;
  }
  // Built once: this runs for every line of every save.
  static const std::string contentsClosing = ClosingMark(kContentsTag);
  if (text.find('<') != std::string_view::npos &&
      (Holds(text, place.ownClosing) || (place.inContents && Holds(text, contentsClosing))))
    return false;
  return !place.markFollows || StartsCharacter(text, 0, text.size());
}

}  // namespace

bool SiteLineStorable(std::string_view line) {
  static const std::string siteListClosing = ClosingMark(kSiteListTag);
  return ReadsBack(line, {siteListClosing, true, true, false});
}

std::string LeftOutSiteName(std::string_view line) {
  const SiteRecord site = SiteFromLine(line);
  return "[" + FlattenField(site.SiteName) + "] " + FlattenField(site.SiteURL);
}

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

std::optional<SiteDataLayout> SiteDataLayout::Of(std::string_view identity, std::string_view treeText,
                                                 std::string_view masterBlock) {
  const std::string identityClosing = ClosingMark(kIdentityTag), treeClosing = ClosingMark(kCategoryTreeTag),
                    masterClosing = ClosingMark(kSerialNumberTag);
  // A block's text is read trimmed of line breaks at its ends: the tree
  // reads the same without them, but the identity is compared as read.
  if (!ReadsBack(identity, {identityClosing, false, false, true}) ||
      LineBreaksTrimmed(identity).size() != identity.size() || !ReadsBack(treeText, {treeClosing, true, false, true}) ||
      !ReadsBack(masterBlock, {masterClosing, true, false, true}))
    return std::nullopt;
  SiteDataLayout layout;
  layout.head_.reserve(treeText.size() + identity.size() + 160);
  layout.head_.append(OpeningMark(kIdentityTag)).append(identity).append(identityClosing);
  layout.head_.append(OpeningMark(kContentsTag));
  layout.head_.append(OpeningMark(kCategoryTreeTag)).append(treeText).append(treeClosing);
  layout.head_.append(OpeningMark(kSiteListTag));
  layout.tail_.append(ClosingMark(kSiteListTag));
  layout.tail_.append(OpeningMark(kSerialNumberTag)).append(masterBlock).append(masterClosing);
  layout.tail_.append(ClosingMark(kContentsTag)).append("\r\n");
  return layout;
}

SiteDataWriteResult WriteSiteDataFile(const std::string& path, std::string_view identity, std::string_view treeText,
                                      const LineList& sites, std::string_view masterBlock) {
  SiteDataWriteResult result;
  const std::optional<SiteDataLayout> layout = SiteDataLayout::Of(identity, treeText, masterBlock);
  if (!layout) {
    result.status = SiteDataWrite::Refused;
    return result;
  }
  std::vector<std::string_view> pieces;
  pieces.reserve(2 * sites.Lines().size() + 2);
  pieces.push_back(layout->Head());
  for (const std::string& line : sites.Lines()) {
    if (SiteLineStorable(line)) pieces.insert(pieces.end(), {line, SiteDataLayout::kLineEnd});
    else result.leftOut.push_back(LeftOutSiteName(line));
  }
  pieces.push_back(layout->Tail());
  result.status = WriteFileReplacing(path, pieces, kPrivateFileMode) ? SiteDataWrite::Written : SiteDataWrite::Failed;
  return result;
}

// Built in one buffer: with a million sites every extra copy of the text
// costs more than the disk.
SiteDataFileBuilder::SiteDataFileBuilder(std::string_view identity, std::string_view treeText, const LineList& sites,
                                         std::string_view masterBlock)
    : sites_(&sites), layout_(SiteDataLayout::Of(identity, treeText, masterBlock)) {
  if (!layout_) {
    next_ = sites.Lines().size();  // nothing to copy: the file is refused
    return;
  }
  // Sizes only: reading them costs far less than one slice of copying. The
  // room must hold the tail too: growing the buffer at the end would copy
  // the whole text once more.
  std::size_t size = layout_->Head().size() + layout_->Tail().size();
  for (const std::string& line : sites.Lines()) size += line.size() + SiteDataLayout::kLineEnd.size();
  bytes_.reserve(size);
  bytes_.append(layout_->Head());
}

bool SiteDataFileBuilder::CopyLines(std::chrono::steady_clock::duration budget) {
  const auto& lines = sites_->Lines();
  const bool timed = budget != std::chrono::steady_clock::duration::max();
  const auto end = timed ? std::chrono::steady_clock::now() + budget : std::chrono::steady_clock::time_point::max();
  constexpr std::size_t kLinesBetweenClockReads = 512;
  while (next_ < lines.size()) {
    const std::size_t stop = std::min(lines.size(), next_ + kLinesBetweenClockReads);
    for (; next_ < stop; ++next_) {
      if (SiteLineStorable(lines[next_])) bytes_.append(lines[next_]).append(SiteDataLayout::kLineEnd);
      else leftOut_.push_back(LeftOutSiteName(lines[next_]));
    }
    if (timed && std::chrono::steady_clock::now() >= end) break;
  }
  return next_ == lines.size();
}

std::optional<std::string> SiteDataFileBuilder::Finish() && {
  if (!layout_) return std::nullopt;
  bytes_.append(layout_->Tail());
  return std::move(bytes_);
}

SiteDataWrite SiteDataFileBuilder::Write(const std::string& path) && {
  const std::optional<std::string> bytes = std::move(*this).Finish();
  if (!bytes) return SiteDataWrite::Refused;
  return WriteFileReplacing(path, *bytes, kPrivateFileMode) ? SiteDataWrite::Written : SiteDataWrite::Failed;
}

// Each block is cut out once read, in the order they are written: a site
// line may itself look like the opening mark of the block after it, and must
// not be taken for that block when the file is read again.
SiteDataBlocks ParseSiteDataContents(std::string contents) {
  SiteDataBlocks blocks;
  blocks.treeText = ExtractTagBlock(contents, kCategoryTreeTag, true);
  blocks.siteListText = ExtractLargeTagBlock(contents, kSiteListTag);
  blocks.masterBlock = ExtractTagBlock(contents, kSerialNumberTag, true);
  return blocks;
}

}  // namespace morvane
