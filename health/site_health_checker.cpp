#include "health/site_health_checker.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>
#include <unordered_map>

#include "health/site_health_transfer.h"
#include "web/host_turns.h"
#include "web/transfer_pool.h"
#include "web/url_status_transfer.h"

namespace morvane {
namespace {

struct Running {
  std::size_t index;
  std::string host;
  std::vector<std::string> tagHosts;
  std::unique_ptr<SiteHealthTransfer> transfer;
};

SiteHealth NotChecked(const HealthSite& site) {
  SiteHealth health;
  health.chain.push_back(site.url);
  return health;
}

}  // namespace

SiteHealthChecker::SiteHealthChecker(std::vector<HealthSite> sites, std::string serviceURL, ResultHandler onResult,
                                     DoneHandler onDone, HealthCheckLimits limits)
    : sites_(std::move(sites)),
      serviceURL_(std::move(serviceURL)),
      onResult_(std::move(onResult)),
      onDone_(std::move(onDone)),
      limits_(std::move(limits)) {
  limits_.atOnce = std::max<std::size_t>(limits_.atOnce, 1);
  limits_.perHost = std::max<std::size_t>(limits_.perHost, 1);
  pool_ = std::make_unique<TransferPool>(limits_.atOnce, limits_.perHost);
  worker_ = std::thread([this] { Run(); });
}

SiteHealthChecker::~SiteHealthChecker() {
  Cancel();
  if (worker_.joinable()) worker_.join();
}

void SiteHealthChecker::Cancel() {
  cancelled_ = true;
  pool_->Wake();
}

void SiteHealthChecker::Run() {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + limits_.budget;
  CURLM* multi = pool_->Get();
  HostTurns waiting;
  for (std::size_t i = 0; i < sites_.size(); ++i) waiting.Add(HostKey(sites_[i].url), i);

  std::unordered_map<CURL*, Running> running;
  auto finish = [&](CURL* handle, CURLcode result) {
    auto it = running.find(handle);
    if (handle) curl_multi_remove_handle(multi, handle);
    Running& r = it->second;
    SiteHealth health = r.transfer->Finish(result, r.tagHosts);
    waiting.Finished(r.host);
    const std::size_t index = r.index;
    running.erase(it);
    onResult_(index, std::move(health));
  };

  while (multi && !cancelled_) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) break;
    std::size_t index;
    std::string host;
    while (running.size() < limits_.atOnce && waiting.Take(limits_.perHost, index, host)) {
      const HealthSite& site = sites_[index];
      // No site may run past the budget of the whole check.
      const HealthTransferOptions options{std::min(limits_.perSite, left), limits_.caFile};
      auto transfer = std::make_unique<SiteHealthTransfer>(site, options);
      CURL* handle = transfer->Handle();
      std::vector<std::string> tagHosts = TagHosts({site.analysisURL, serviceURL_});
      running.emplace(handle, Running{index, host, std::move(tagHosts), std::move(transfer)});
      // An address that cannot be asked ends at once, so a null key never stays.
      if (!handle || curl_multi_add_handle(multi, handle) != CURLM_OK) finish(handle, CURLE_FAILED_INIT);
    }
    if (running.empty()) break;
    int stillRunning = 0;
    curl_multi_perform(multi, &stillRunning);
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &queued))
      if (message->msg == CURLMSG_DONE) finish(message->easy_handle, message->data.result);
    if (running.empty() || stillRunning == 0) continue;
    curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
  }
  // Out of budget: what is under way and what waits is reported as not
  // checked; after a cancel nothing more is reported.
  for (auto& [handle, r] : running) {
    if (handle) curl_multi_remove_handle(multi, handle);
    if (!cancelled_) onResult_(r.index, NotChecked(sites_[r.index]));
  }
  running.clear();
  std::size_t index;
  std::string host;
  while (!cancelled_ && waiting.Take(sites_.size() + 1, index, host)) onResult_(index, NotChecked(sites_[index]));
  onDone_(cancelled_);
}

}  // namespace morvane
