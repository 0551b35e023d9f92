#include "browser/core/download_gate.h"

namespace morvane {
namespace {

std::string_view LastPart(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The path of an address, without query, fragment, scheme and host.
std::string_view PathOf(std::string_view url) {
  url = url.substr(0, url.find_first_of("?#"));
  const std::size_t scheme = url.find("://");
  if (scheme == std::string_view::npos) return {};
  const std::size_t path = url.find('/', scheme + 3);
  return path == std::string_view::npos ? std::string_view() : url.substr(path);
}

}  // namespace

DownloadGate::Verdict DownloadGate::Admit(long long nowMilliseconds) {
  if (!allowed_) return Verdict::NotAllowed;
  if (deciding_) return Verdict::Deciding;
  if (inputUsed_ || nowMilliseconds - lastInput_ > kInputWindowMilliseconds || nowMilliseconds < lastInput_)
    return Verdict::NoInput;
  inputUsed_ = true;
  deciding_ = true;
  return Verdict::Offer;
}

std::string ProposedDownloadName(std::string_view suggestedName, std::string_view url) {
  std::string_view part = LastPart(suggestedName);
  if (part.empty()) part = LastPart(PathOf(url));
  std::string name;
  for (char c : part)
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f) name += c;
  const std::size_t shown = name.find_first_not_of(". ");
  name = shown == std::string::npos ? std::string() : name.substr(shown);
  while (!name.empty() && (name.back() == ' ' || name.back() == '.')) name.pop_back();
  return name.empty() ? "download" : name;
}

}  // namespace morvane
