#pragma once
// One site as the health check sees it, and what one check of it found.
// Texts are UTF-8: names and addresses from the catalogue are converted once
// on the way in, titles come decoded from the page.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "health/page_facts.h"

namespace morvane {

struct HealthSite {
  std::string name;
  std::string url;
  std::string analysisURL;  // the site's analysis page; its host is one tag host
  bool operator==(const HealthSite&) const = default;
};

// Why no final answer came back.
enum class HealthFailure {
  None,
  NotChecked,  // stopped, or the whole check ran out of time first
  BadAddress,
  NameNotFound,
  Refused,
  TimedOut,
  Certificate,
  TooManyRedirects,
  Other,
};

struct CertificateFacts {
  std::int64_t expires = 0;  // seconds since 1970, UTC
  std::string issuer;
};

struct SiteHealth {
  HealthFailure failure = HealthFailure::NotChecked;
  std::string failureDetail;  // libcurl's words for it (a certificate's reason and the like)
  long status = 0;            // the final answer's status code
  // Every address asked, the site's first; more than one when redirected.
  std::vector<std::string> chain;
  std::chrono::milliseconds firstByte{0}, total{0};
  std::optional<CertificateFacts> certificate;  // for https answers
  std::string title;
  AnalysisTag tag = AnalysisTag::Unknown;

  bool Answered() const { return failure == HealthFailure::None; }
  // Up: a final answer below 400.
  bool Up() const { return Answered() && status >= 200 && status < 400; }
};

// Whole days from now to the certificate's expiry, rounded down (negative
// once expired).
long long CertificateDaysLeft(const CertificateFacts& certificate, std::int64_t nowSeconds);
inline constexpr long long kCertificateWarningDays = 14;

// The result in a few words for the report: the status code, or the failure
// ("接続できません", "時間切れ", ...), with the detail for certificates.
std::string HealthResultText(const SiteHealth& health);

}  // namespace morvane
