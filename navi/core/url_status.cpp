#include "navi/core/url_status.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

#include "navi/core/scan_views.h"
#include "util/cp932.h"

namespace morvane {
namespace {

struct CurlCleanup {
  void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
using CurlHandle = std::unique_ptr<CURL, CurlCleanup>;

struct Response {
  CURL* curl = nullptr;
  long code = 0;
  std::string lastModified;
  bool sawLocation = false;
  bool complete = false;  // the headers of the final answer are all in
};

std::string_view HeaderValue(std::string_view line) {
  scan::CutAt(line, ':');
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' ' || line.back() == '\t'))
    line.remove_suffix(1);
  return line;
}

// Called once per header line of every answer, redirects included. Returning
// less than the line's size ends the transfer: that is how the body is skipped.
std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
  auto& r = *static_cast<Response*>(user);
  const std::size_t n = size * count;
  const std::string_view line(data, n);
  if (line.starts_with("HTTP/")) {
    r.lastModified.clear();
    r.sawLocation = false;
  } else if (scan::StartsWithNoCase(line, "last-modified:")) {
    r.lastModified = HeaderValue(line);
  } else if (scan::StartsWithNoCase(line, "location:")) {
    r.sawLocation = !HeaderValue(line).empty();
  } else if (line == "\r\n" || line == "\n") {
    curl_easy_getinfo(r.curl, CURLINFO_RESPONSE_CODE, &r.code);
    if (r.code < 200) return n;                           // 100 Continue and the like
    if (r.code / 100 == 3 && r.sawLocation) return n;     // curl follows it
    r.complete = true;
    return 0;
  }
  return n;
}

std::size_t OnBody(char*, std::size_t, std::size_t, void*) { return 0; }

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

bool QueryURLStatus(std::string_view url, std::string& status, std::string& lastModified) {
  return QueryURLStatus(url, status, lastModified, kURLStatusTimeout);
}

bool QueryURLStatus(std::string_view url, std::string& status, std::string& lastModified,
                    std::chrono::milliseconds timeout) {
  status.clear();
  lastModified.clear();
  if (url.empty() || url.find('\0') != std::string_view::npos) return false;
  InitCurlOnce();
  CurlHandle curl(curl_easy_init());
  if (!curl) return false;

  const std::string address(url);
  Response r;
  r.curl = curl.get();
  const long ms = static_cast<long>(timeout.count());
  CURL* c = curl.get();
  curl_easy_setopt(c, CURLOPT_URL, address.c_str());
  curl_easy_setopt(c, CURLOPT_USERAGENT, SystemText("Vexa アクセス解析セット - Morvane 8号").c_str());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(c, CURLOPT_MAXREDIRS, 10L);
  // One limit for connecting and for the whole exchange: a host that accepts
  // and never answers must not hold the window longer than that.
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, ms);
  curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, ms);
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(c, CURLOPT_HEADERDATA, &r);
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, OnBody);

  const CURLcode rc = curl_easy_perform(c);
  // Our stop after the headers ends the transfer as a write error.
  if (!(r.complete && rc == CURLE_WRITE_ERROR)) {
    if (rc != CURLE_OK) return false;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &r.code);
    if (r.code <= 0) return false;
  }
  if (r.code < 100 || r.code > 999) return false;
  status = std::to_string(r.code);
  lastModified = r.lastModified;
  return status == "200" || status == "401";
}

}  // namespace morvane
