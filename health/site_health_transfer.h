#pragma once
// One site's GET as a libcurl transfer: a fresh connection without the
// user's cookies, the redirect chain, the start of the page (256 KB at most)
// and, for https, the server's certificate.
#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "health/site_health.h"

namespace morvane {

inline constexpr std::size_t kHealthPageBytes = 256 * 1024;

struct HealthTransferOptions {
  std::chrono::milliseconds timeout{10000};
  std::string caFile;  // empty: the system's certificates
};

class SiteHealthTransfer {
 public:
  // Handle() is null when the address cannot be asked at all.
  SiteHealthTransfer(const HealthSite& site, const HealthTransferOptions& options);
  ~SiteHealthTransfer();
  SiteHealthTransfer(const SiteHealthTransfer&) = delete;
  SiteHealthTransfer& operator=(const SiteHealthTransfer&) = delete;

  CURL* Handle() const { return curl_; }
  // What the transfer found, given how it ended; tagHosts are the hosts the
  // analysis tag may refer to.
  SiteHealth Finish(CURLcode result, const std::vector<std::string>& tagHosts) const;

 private:
  struct Received;
  std::string address_;
  std::unique_ptr<Received> received_;
  CURL* curl_ = nullptr;
};

// The failure libcurl's result stands for.
HealthFailure FailureOf(CURLcode result);

}  // namespace morvane
