#pragma once
// The libcurl multi handle of a check that runs many transfers side by side:
// made with its limits, woken from another thread, cleaned up once.
#include <curl/curl.h>

#include <cstddef>

namespace morvane {

class TransferPool {
 public:
  // No more than atOnce connections in all and perHost to one host are kept
  // open, so libcurl's connection cache stays within the check's own limits.
  TransferPool(std::size_t atOnce, std::size_t perHost);
  ~TransferPool();
  TransferPool(const TransferPool&) = delete;
  TransferPool& operator=(const TransferPool&) = delete;

  // Null when libcurl had no handle to give: the check then has nothing to run.
  CURLM* Get() const { return multi_; }
  // Ends a wait in curl_multi_poll at once; safe from any thread.
  void Wake() const;

 private:
  CURLM* multi_ = nullptr;
};

}  // namespace morvane
