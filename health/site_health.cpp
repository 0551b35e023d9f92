#include "health/site_health.h"

namespace morvane {

long long CertificateDaysLeft(const CertificateFacts& certificate, std::int64_t nowSeconds) {
  constexpr std::int64_t kDay = 24 * 60 * 60;
  const std::int64_t left = certificate.expires - nowSeconds;
  // Rounded down also below zero: expired an hour ago is -1 days.
  return left >= 0 ? left / kDay : -((-left + kDay - 1) / kDay);
}

std::string HealthResultText(const SiteHealth& health) {
  switch (health.failure) {
    case HealthFailure::None: return std::to_string(health.status);
    case HealthFailure::NotChecked: return "未確認";
    case HealthFailure::BadAddress: return "URLが正しくありません";
    case HealthFailure::NameNotFound: return "ホストが見つかりません";
    case HealthFailure::Refused: return "接続できません";
    case HealthFailure::TimedOut: return "時間切れ";
    case HealthFailure::Certificate:
      return health.failureDetail.empty() ? "証明書エラー" : "証明書エラー: " + health.failureDetail;
    case HealthFailure::TooManyRedirects: return "転送が多すぎます";
    case HealthFailure::Other: break;
  }
  return health.failureDetail.empty() ? "エラー" : "エラー: " + health.failureDetail;
}

}  // namespace morvane
