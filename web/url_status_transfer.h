#pragma once
// One status query as a libcurl transfer: the options, the header reading
// that stops before the body, and what the answer was. The single query runs
// it at once; the link checker runs many of them side by side.
#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

namespace morvane {

// libcurl's global set-up, done once for the whole program.
void InitCurlOnce();

// The options every check's transfer shares: http and https only, redirects
// followed up to 10, and one limit for connecting and for the whole exchange,
// so that a host that accepts and never answers holds nobody longer than that.
void SetCheckOptions(CURL* curl, const char* url, const char* userAgent, std::chrono::milliseconds timeout);

struct URLStatusAnswer {
  CURLcode error = CURLE_OK;  // CURLE_OK whenever a status came back
  long code = 0;              // the final answer's status, 0 without one
  std::string lastModified;
};

class URLStatusTransfer {
 public:
  // Handle() is null when the address cannot be queried at all (empty, a
  // zero byte in it, or no handle to be had).
  URLStatusTransfer(std::string_view url, std::chrono::milliseconds timeout);
  ~URLStatusTransfer();
  URLStatusTransfer(const URLStatusTransfer&) = delete;
  URLStatusTransfer& operator=(const URLStatusTransfer&) = delete;

  CURL* Handle() const { return curl_; }
  // What came back, given how the transfer ended.
  URLStatusAnswer Finish(CURLcode result) const;

 private:
  struct Headers;
  std::string address_;
  std::unique_ptr<Headers> headers_;
  CURL* curl_ = nullptr;
};

}  // namespace morvane
