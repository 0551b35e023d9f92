#include "web/url_status_transfer.h"

#include <mutex>

#include "util/cp932.h"
#include "web/scan_views.h"

namespace morvane {
namespace {

std::string_view HeaderValue(std::string_view line) {
  scan::CutAt(line, ':');
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' ' || line.back() == '\t'))
    line.remove_suffix(1);
  return line;
}

std::size_t OnBody(char*, std::size_t, std::size_t, void*) { return 0; }

}  // namespace

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

void SetCheckOptions(CURL* c, const char* url, const char* userAgent, std::chrono::milliseconds timeout) {
  const long ms = static_cast<long>(timeout.count());
  curl_easy_setopt(c, CURLOPT_URL, url);
  curl_easy_setopt(c, CURLOPT_USERAGENT, userAgent);
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(c, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, ms);
  curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, ms);
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
}

struct URLStatusTransfer::Headers {
  CURL* curl = nullptr;
  long code = 0;
  std::string lastModified;
  bool sawLocation = false;
  bool complete = false;  // the headers of the final answer are all in

  // Called once per header line of every answer, redirects included.
  // Returning less than the line's size ends the transfer: that is how the
  // body is skipped.
  static std::size_t OnLine(char* data, std::size_t size, std::size_t count, void* user) {
    auto& h = *static_cast<Headers*>(user);
    const std::size_t n = size * count;
    const std::string_view line(data, n);
    if (line.starts_with("HTTP/")) {
      h.lastModified.clear();
      h.sawLocation = false;
    } else if (scan::StartsWithNoCase(line, "last-modified:")) {
      h.lastModified = HeaderValue(line);
    } else if (scan::StartsWithNoCase(line, "location:")) {
      h.sawLocation = !HeaderValue(line).empty();
    } else if (line == "\r\n" || line == "\n") {
      curl_easy_getinfo(h.curl, CURLINFO_RESPONSE_CODE, &h.code);
      if (h.code < 200) return n;                        // 100 Continue and the like
      if (h.code / 100 == 3 && h.sawLocation) return n;  // curl follows it
      h.complete = true;
      return 0;
    }
    return n;
  }
};

URLStatusTransfer::URLStatusTransfer(std::string_view url, std::chrono::milliseconds timeout)
    : address_(url), headers_(std::make_unique<Headers>()) {
  if (url.empty() || url.find('\0') != std::string_view::npos) return;
  InitCurlOnce();
  curl_ = curl_easy_init();
  if (!curl_) return;
  headers_->curl = curl_;
  CURL* c = curl_;
  SetCheckOptions(c, address_.c_str(), SystemText("Vexa アクセス解析セット - Morvane 8号").c_str(), timeout);
  curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, &Headers::OnLine);
  curl_easy_setopt(c, CURLOPT_HEADERDATA, headers_.get());
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, OnBody);
}

URLStatusTransfer::~URLStatusTransfer() {
  if (curl_) curl_easy_cleanup(curl_);
}

URLStatusAnswer URLStatusTransfer::Finish(CURLcode result) const {
  URLStatusAnswer answer;
  long code = headers_->code;
  // Our stop after the headers ends the transfer as a write error.
  if (!(headers_->complete && result == CURLE_WRITE_ERROR)) {
    if (result != CURLE_OK) {
      answer.error = result;
      return answer;
    }
    curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &code);
  }
  if (code < 100 || code > 999) {
    answer.error = CURLE_WEIRD_SERVER_REPLY;
    return answer;
  }
  answer.code = code;
  answer.lastModified = headers_->lastModified;
  return answer;
}

}  // namespace morvane
