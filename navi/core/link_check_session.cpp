#include "navi/core/link_check_session.h"

namespace morvane {
namespace {

// The request goes out as the engine would send it: every byte outside
// ASCII as its escape.
std::string AsciiAddress(std::string_view url) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(url.size());
  for (const char ch : url) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out.push_back(ch);
      continue;
    }
    out.push_back('%');
    out.push_back(kHex[c >> 4]);
    out.push_back(kHex[c & 15]);
  }
  return out;
}

std::vector<std::string> URLsOf(const PageLinkList& list) {
  std::vector<std::string> urls;
  urls.reserve(list.entries.size());
  for (const std::string& entry : list.entries) urls.push_back(AsciiAddress(entry.substr(0, entry.find('\t'))));
  return urls;
}

}  // namespace

LinkCheckSession::LinkCheckSession(PageLinkList list, std::function<void()> wake, LinkCheckLimits limits)
    : list_(std::move(list)), statuses_(list_.entries.size()), wake_(std::move(wake)) {
  list_.statuses.clear();
  checker_ = std::make_unique<LinkChecker>(
      URLsOf(list_), [this](std::size_t index, LinkStatus status) { Arrived(index, std::move(status)); },
      [this](bool cancelled) { Ended(cancelled); }, limits);
}

LinkCheckSession::~LinkCheckSession() { checker_.reset(); }

void LinkCheckSession::WakeOnce(std::unique_lock<std::mutex>& lock) {
  if (woken_) return;
  woken_ = true;
  lock.unlock();
  if (wake_) wake_();
}

void LinkCheckSession::Arrived(std::size_t index, LinkStatus status) {
  std::unique_lock lock(mutex_);
  inbox_.emplace_back(index, std::move(status));
  WakeOnce(lock);
}

void LinkCheckSession::Ended(bool cancelled) {
  std::unique_lock lock(mutex_);
  ended_ = true;
  endedCancelled_ = cancelled;
  WakeOnce(lock);
}

bool LinkCheckSession::Take() {
  std::vector<std::pair<std::size_t, LinkStatus>> arrived;
  bool ended = false, cancelled = false;
  {
    std::lock_guard lock(mutex_);
    arrived.swap(inbox_);
    ended = ended_;
    cancelled = endedCancelled_;
    woken_ = false;
  }
  for (auto& [index, status] : arrived) {
    if (index >= statuses_.size()) continue;
    statuses_[index] = std::move(status);
    ++checked_;
  }
  const bool changed = !arrived.empty() || (ended && !finished_);
  if (ended) {
    finished_ = true;
    stopped_ = stopped_ || cancelled;
  }
  return changed;
}

void LinkCheckSession::Stop() {
  stopped_ = true;
  checker_->Cancel();
}

PageLinkList LinkCheckSession::Result() const {
  PageLinkList result = list_;
  result.statuses = statuses_;
  result.PutFailingFirst();
  return result;
}

}  // namespace morvane
