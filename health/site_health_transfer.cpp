#include "health/site_health_transfer.h"

#include <cctype>
#include <optional>

#include "web/url_status_transfer.h"

namespace morvane {
namespace {

// A page is checked as a browser would ask for it; some servers answer a
// bare client differently.
constexpr const char* kUserAgent =
    "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/605.1.15 (KHTML, like Gecko) Version/17.0 Safari/605.1.15";
constexpr std::size_t kHeaderBytes = 256 * 1024;

std::string Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' || text.back() == '\t'))
    text.remove_suffix(1);
  return std::string(text);
}

bool StartsNoCase(std::string_view s, std::string_view lower) {
  if (s.size() < lower.size()) return false;
  for (std::size_t i = 0; i < lower.size(); ++i)
    if (static_cast<char>(std::tolower(static_cast<unsigned char>(s[i]))) != lower[i]) return false;
  return true;
}

std::optional<CertificateFacts> ServerCertificate(CURL* curl) {
  curl_certinfo* info = nullptr;
  if (curl_easy_getinfo(curl, CURLINFO_CERTINFO, &info) != CURLE_OK || !info || info->num_of_certs < 1)
    return std::nullopt;
  CertificateFacts facts;
  bool dated = false;
  for (curl_slist* item = info->certinfo[0]; item; item = item->next) {
    const std::string_view line(item->data);
    if (StartsNoCase(line, "expire date:")) {
      const std::string date = Trimmed(line.substr(12));
      const time_t when = curl_getdate(date.c_str(), nullptr);
      if (when != -1) {
        facts.expires = when;
        dated = true;
      }
    } else if (StartsNoCase(line, "issuer:")) {
      facts.issuer = Trimmed(line.substr(7));
    }
  }
  if (!dated) return std::nullopt;
  return facts;
}

}  // namespace

HealthFailure FailureOf(CURLcode result) {
  switch (result) {
    case CURLE_OK: return HealthFailure::None;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL: return HealthFailure::BadAddress;
    case CURLE_COULDNT_RESOLVE_HOST: return HealthFailure::NameNotFound;
    case CURLE_COULDNT_CONNECT: return HealthFailure::Refused;
    case CURLE_OPERATION_TIMEDOUT: return HealthFailure::TimedOut;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_ISSUER_ERROR: return HealthFailure::Certificate;
    case CURLE_TOO_MANY_REDIRECTS: return HealthFailure::TooManyRedirects;
    default: return HealthFailure::Other;
  }
}

struct SiteHealthTransfer::Received {
  CURL* curl = nullptr;
  std::vector<std::string> chain;
  std::string contentType;
  std::string body;
  std::size_t headerBytes = 0;
  bool bodyCut = false;     // the page went on past what is read
  bool headersCut = false;  // the server sent headers without end
  char error[CURL_ERROR_SIZE] = {};

  static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto& r = *static_cast<Received*>(user);
    const std::size_t n = size * count;
    r.headerBytes += n;
    if (r.headerBytes > kHeaderBytes) {
      r.headersCut = true;
      return 0;
    }
    const std::string_view line(data, n);
    if (line.starts_with("HTTP/")) {
      // A new answer: of the first address, or of the next in a redirect.
      char* url = nullptr;
      curl_easy_getinfo(r.curl, CURLINFO_EFFECTIVE_URL, &url);
      if (url && (r.chain.empty() || r.chain.back() != url)) r.chain.emplace_back(url);
      r.contentType.clear();
    } else if (StartsNoCase(line, "content-type:")) {
      r.contentType = Trimmed(line.substr(13));
    }
    return n;
  }

  static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& r = *static_cast<Received*>(user);
    const std::size_t n = size * count;
    const std::size_t room = kHealthPageBytes - r.body.size();
    if (n > room) {
      r.body.append(data, room);
      r.bodyCut = true;
      return 0;  // enough read: ending here is not a failure
    }
    r.body.append(data, n);
    return n;
  }
};

SiteHealthTransfer::SiteHealthTransfer(const HealthSite& site, const HealthTransferOptions& options)
    : address_(site.url), received_(std::make_unique<Received>()) {
  if (address_.empty() || address_.find('\0') != std::string::npos) return;
  InitCurlOnce();
  curl_ = curl_easy_init();
  if (!curl_) return;
  received_->curl = curl_;
  CURL* c = curl_;
  SetCheckOptions(c, address_.c_str(), kUserAgent, options.timeout);
  curl_easy_setopt(c, CURLOPT_ACCEPT_ENCODING, "");
  // A connection of its own: the times are this site's, and the
  // certificate is read from a handshake of its own.
  curl_easy_setopt(c, CURLOPT_FRESH_CONNECT, 1L);
  curl_easy_setopt(c, CURLOPT_FORBID_REUSE, 1L);
  curl_easy_setopt(c, CURLOPT_CERTINFO, 1L);
  if (!options.caFile.empty()) curl_easy_setopt(c, CURLOPT_CAINFO, options.caFile.c_str());
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, received_->error);
  curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, &Received::OnHeader);
  curl_easy_setopt(c, CURLOPT_HEADERDATA, received_.get());
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &Received::OnBody);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, received_.get());
}

SiteHealthTransfer::~SiteHealthTransfer() {
  if (curl_) curl_easy_cleanup(curl_);
}

SiteHealth SiteHealthTransfer::Finish(CURLcode result, const std::vector<std::string>& tagHosts) const {
  SiteHealth health;
  const Received& r = *received_;
  health.chain = r.chain;
  if (health.chain.empty()) health.chain.push_back(address_);
  if (!curl_) {
    health.failure = HealthFailure::BadAddress;
    return health;
  }
  curl_off_t firstByte = 0, total = 0;
  curl_easy_getinfo(curl_, CURLINFO_STARTTRANSFER_TIME_T, &firstByte);
  curl_easy_getinfo(curl_, CURLINFO_TOTAL_TIME_T, &total);
  health.firstByte = std::chrono::milliseconds(firstByte / 1000);
  health.total = std::chrono::milliseconds(total / 1000);
  if (result == CURLE_WRITE_ERROR && r.bodyCut) result = CURLE_OK;
  health.failure = FailureOf(result);
  if (r.headersCut) {
    health.failure = HealthFailure::Other;
    health.failureDetail = "ヘッダーが長すぎます";
    return health;
  }
  if (result != CURLE_OK) {
    health.failureDetail = r.error[0] ? r.error : curl_easy_strerror(result);
    return health;
  }
  curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &health.status);
  if (health.status < 100 || health.status > 999) {
    health.failure = HealthFailure::Other;
    health.failureDetail = "答えが読めません";
    health.status = 0;
    return health;
  }
  char* finalURL = nullptr;
  curl_easy_getinfo(curl_, CURLINFO_EFFECTIVE_URL, &finalURL);
  const std::string pageURL = finalURL ? finalURL : address_;
  if (pageURL.starts_with("https:")) health.certificate = ServerCertificate(curl_);
  const std::string charset = PageCharset(r.contentType, r.body);
  health.title = PageTitle(r.body, charset);
  const bool html = r.contentType.empty() || StartsNoCase(r.contentType, "text/html") ||
                    StartsNoCase(r.contentType, "application/xhtml");
  if (health.status >= 200 && health.status < 300 && html)
    health.tag = FindAnalysisTag(r.body, pageURL, tagHosts, r.bodyCut);
  return health;
}

}  // namespace morvane
