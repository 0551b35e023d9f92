#include "navi/core/link_checker.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>
#include <unordered_map>

#include "web/host_turns.h"
#include "web/transfer_pool.h"
#include "web/url_status_transfer.h"

namespace morvane {
namespace {

LinkStatus StatusOf(const URLStatusAnswer& answer) {
  LinkStatus status;
  status.health = LinkHealth::Failing;
  if (answer.code != 0) {
    status.text = std::to_string(answer.code);
    if (answer.code < 400) status.health = LinkHealth::Ok;
    return status;
  }
  switch (answer.error) {
    case CURLE_OPERATION_TIMEDOUT: status.text = "時間切れ"; break;
    case CURLE_COULDNT_CONNECT: status.text = "接続できません"; break;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM: status.text = "証明書エラー"; break;
    case CURLE_SSL_CONNECT_ERROR: status.text = "暗号化接続に失敗しました"; break;
    case CURLE_COULDNT_RESOLVE_HOST: status.text = "ホストが見つかりません"; break;
    case CURLE_TOO_MANY_REDIRECTS: status.text = "転送が多すぎます"; break;
    case CURLE_URL_MALFORMAT: status.text = "URLが正しくありません"; break;
    default: status.text = "応答なし"; break;
  }
  return status;
}

struct Running {
  std::size_t index;
  std::string host;
  std::unique_ptr<URLStatusTransfer> transfer;
};

}  // namespace

LinkChecker::LinkChecker(std::vector<std::string> urls, ResultHandler onResult, DoneHandler onDone,
                         LinkCheckLimits limits)
    : urls_(std::move(urls)), onResult_(std::move(onResult)), onDone_(std::move(onDone)), limits_(limits) {
  limits_.atOnce = std::max<std::size_t>(limits_.atOnce, 1);
  limits_.perHost = std::max<std::size_t>(limits_.perHost, 1);
  limits_.timeoutsBeforeGivingUp = std::max<std::size_t>(limits_.timeoutsBeforeGivingUp, 1);
  deadline_ = std::chrono::steady_clock::now() + limits_.budget;
  pool_ = std::make_unique<TransferPool>(limits_.atOnce, limits_.perHost);
  worker_ = std::thread([this] { Run(); });
}

LinkChecker::~LinkChecker() {
  Cancel();
  if (worker_.joinable()) worker_.join();
}

void LinkChecker::Cancel() {
  cancelled_ = true;
  pool_->Wake();
}

void LinkChecker::Run() {
  CURLM* multi = pool_->Get();
  HostTurns waiting;
  for (std::size_t i = 0; i < urls_.size() && !cancelled_; ++i) {
    if (!IsCheckableLink(urls_[i]) || !multi) onResult_(i, LinkStatus{});
    else waiting.Add(HostKey(urls_[i]), i);
  }

  std::unordered_map<CURL*, Running> running;
  std::unordered_map<std::string, std::size_t> timeoutsInRow;
  auto finish = [&](CURL* handle, CURLcode result) {
    auto it = running.find(handle);
    curl_multi_remove_handle(multi, handle);
    const Running r = std::move(it->second);
    running.erase(it);
    const URLStatusAnswer answer = r.transfer->Finish(result);
    waiting.Finished(r.host);
    onResult_(r.index, StatusOf(answer));
    // A silent server would otherwise cost the query's whole time limit for
    // each of its links, hours for a page with thousands of them.
    std::size_t& inRow = timeoutsInRow[r.host];
    inRow = answer.code == 0 && answer.error == CURLE_OPERATION_TIMEDOUT ? inRow + 1 : 0;
    if (inRow < limits_.timeoutsBeforeGivingUp) return;
    for (std::size_t index : waiting.DropWaiting(r.host)) onResult_(index, LinkStatus{LinkHealth::Failing, "応答なし"});
  };

  while (multi && !cancelled_) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline_) {
      outOfTime_ = true;
      break;
    }
    std::size_t index;
    std::string host;
    while (running.size() < limits_.atOnce && waiting.Take(limits_.perHost, index, host)) {
      auto transfer = std::make_unique<URLStatusTransfer>(urls_[index], limits_.timeout);
      CURL* handle = transfer->Handle();
      running.emplace(handle, Running{index, host, std::move(transfer)});
      if (!handle || curl_multi_add_handle(multi, handle) != CURLM_OK) finish(handle, CURLE_FAILED_INIT);
    }
    if (running.empty()) break;
    int stillRunning = 0;
    curl_multi_perform(multi, &stillRunning);
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &left))
      if (message->msg == CURLMSG_DONE) finish(message->easy_handle, message->data.result);
    if (running.empty() || stillRunning == 0) continue;
    const auto budgetLeft = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - now).count();
    curl_multi_poll(multi, nullptr, 0, static_cast<int>(std::clamp<long long>(budgetLeft, 1, 1000)), nullptr);
  }
  for (auto& [handle, r] : running) curl_multi_remove_handle(multi, handle);
  running.clear();
  onDone_(cancelled_);
}

}  // namespace morvane
