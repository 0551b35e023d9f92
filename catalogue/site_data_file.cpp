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

// Each text starts a character where it stands in the file: the bytes before
// it (a mark's ">", a CR LF) are never the first of a pair.
bool HoldsMark(std::string_view text, std::string_view mark) {
  return text.find('<') != std::string_view::npos && Holds(text, mark);
}

}  // namespace

bool SiteLineStorable(std::string_view line) {
  for (const char c : {'\r', '\n', '\0'})
    if (line.find(c) != std::string_view::npos) return false;
  // The marks are built once: this runs for every line of every save.
  static const std::string siteListClosing = ClosingMark(kSiteListTag), contentsClosing = ClosingMark(kContentsTag);
  return line.find('<') == std::string_view::npos ||
         (!Holds(line, siteListClosing) && !Holds(line, contentsClosing));
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

// Built in one buffer: with a million sites every extra copy of the text
// costs more than the disk.
std::optional<std::string> BuildSiteDataContents(std::string_view treeText, const LineList& sites,
                                                 std::string_view masterBlock, std::vector<std::string>* leftOut) {
  SiteDataContentsBuilder builder(treeText, sites, std::string(masterBlock));
  builder.CopyLines(std::chrono::steady_clock::duration::max());
  if (leftOut) *leftOut = builder.LeftOut();
  return std::move(builder).Finish();
}

SiteDataContentsBuilder::SiteDataContentsBuilder(std::string_view treeText, const LineList& sites,
                                                 std::string masterBlock)
    : sites_(&sites), masterBlock_(std::move(masterBlock)) {
  treeFits_ = !Holds(treeText, ClosingMark(kCategoryTreeTag));
  // Sizes only: reading them costs far less than one slice of copying. The
  // room must hold the marks too: growing the buffer at the end would copy
  // the whole text once more.
  std::size_t size = treeText.size() + masterBlock_.size();
  for (std::string_view tag : {kCategoryTreeTag, kSiteListTag, kSerialNumberTag})
    size += OpeningMark(tag).size() + ClosingMark(tag).size();
  for (const std::string& line : sites.Lines()) size += line.size() + 2;
  contents_.reserve(size);
  contents_.append(WrapTagBlock(kCategoryTreeTag, treeText)).append(OpeningMark(kSiteListTag));
}

bool SiteDataContentsBuilder::CopyLines(std::chrono::steady_clock::duration budget) {
  const auto& lines = sites_->Lines();
  const bool timed = budget != std::chrono::steady_clock::duration::max();
  const auto end = timed ? std::chrono::steady_clock::now() + budget : std::chrono::steady_clock::time_point::max();
  constexpr std::size_t kLinesBetweenClockReads = 512;
  while (next_ < lines.size()) {
    const std::size_t stop = std::min(lines.size(), next_ + kLinesBetweenClockReads);
    for (; next_ < stop; ++next_) {
      if (SiteLineStorable(lines[next_])) contents_.append(lines[next_]).append("\r\n");
      else leftOut_.push_back(LeftOutSiteName(lines[next_]));
    }
    if (timed && std::chrono::steady_clock::now() >= end) break;
  }
  return next_ == lines.size();
}

// The site lines were each checked as they were copied.
std::optional<std::string> SiteDataContentsBuilder::Finish() && {
  const std::string siteListClosing = ClosingMark(kSiteListTag);
  if (!treeFits_ || Holds(masterBlock_, ClosingMark(kSerialNumberTag))) return std::nullopt;
  contents_.append(siteListClosing).append(OpeningMark(kSerialNumberTag)).append(masterBlock_);
  contents_.append(ClosingMark(kSerialNumberTag));
  return std::move(contents_);
}

std::optional<bool> WriteSiteDataFile(const std::string& path, std::string_view identity, std::string_view treeText,
                                      const LineList& sites, std::string_view masterBlock,
                                      std::vector<std::string>* leftOut) {
  const std::string contentsClosing = ClosingMark(kContentsTag), siteListClosing = ClosingMark(kSiteListTag);
  const auto holdsMark = [&](std::string_view text, const std::string& mark) {
    return HoldsMark(text, mark) || HoldsMark(text, contentsClosing);
  };
  const std::string head = WrapTagBlock(kIdentityTag, identity) + OpeningMark(kContentsTag);
  const std::string treeBlock = WrapTagBlock(kCategoryTreeTag, treeText) + OpeningMark(kSiteListTag);
  const std::string tail = siteListClosing + WrapTagBlock(kSerialNumberTag, masterBlock);
  if (!OnlyCrLfBreaks(head) || !OnlyCrLfBreaks(treeBlock) || !OnlyCrLfBreaks(tail) ||
      Holds(identity, ClosingMark(kIdentityTag)) || holdsMark(treeText, ClosingMark(kCategoryTreeTag)) ||
      holdsMark(masterBlock, ClosingMark(kSerialNumberTag)))
    return std::nullopt;
  std::vector<std::string_view> pieces;
  pieces.reserve(2 * sites.Lines().size() + 4);
  pieces.insert(pieces.end(), {head, treeBlock});
  std::vector<std::string> names;
  for (const std::string& line : sites.Lines()) {
    if (SiteLineStorable(line)) pieces.insert(pieces.end(), {line, "\r\n"});
    else names.push_back(LeftOutSiteName(line));
  }
  if (leftOut) *leftOut = std::move(names);
  const std::string end = contentsClosing + "\r\n";
  pieces.insert(pieces.end(), {tail, end});
  return WriteFileReplacing(path, pieces, kPrivateFileMode);
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
