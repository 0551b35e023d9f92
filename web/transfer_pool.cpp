#include "web/transfer_pool.h"

#include "web/url_status_transfer.h"

namespace morvane {

TransferPool::TransferPool(std::size_t atOnce, std::size_t perHost) {
  InitCurlOnce();
  multi_ = curl_multi_init();
  if (!multi_) return;
  curl_multi_setopt(multi_, CURLMOPT_MAX_TOTAL_CONNECTIONS, static_cast<long>(atOnce));
  curl_multi_setopt(multi_, CURLMOPT_MAX_HOST_CONNECTIONS, static_cast<long>(perHost));
  curl_multi_setopt(multi_, CURLMOPT_MAXCONNECTS, static_cast<long>(atOnce));
}

TransferPool::~TransferPool() {
  if (multi_) curl_multi_cleanup(multi_);
}

void TransferPool::Wake() const {
  if (multi_) curl_multi_wakeup(multi_);
}

}  // namespace morvane
