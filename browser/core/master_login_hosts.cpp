#include "browser/core/master_login_hosts.h"

#include "browser/core/web_origin.h"

namespace morvane {
namespace {

constexpr std::string_view kKeyPrefix = "MasterLoginHost_";
constexpr std::string_view kYes = "1", kNo = "0";

// Host names as OriginOf spells them, but only what a settings key can hold.
bool StorableHost(std::string_view host) {
  for (char c : host)
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_' || c == '[' ||
          c == ']' || c == ':'))
      return false;
  return !host.empty();
}

}  // namespace

std::string MasterLoginHosts::Key(std::string_view host) { return std::string(kKeyPrefix) + std::string(host); }

std::string MasterLoginHosts::HostToAgree(const SiteLoginRequest& request) {
  if (!request.usesMasterLogin) return {};
  const std::string host = HostOf(request.accessURL);
  // An address without a host goes nowhere a login could be sent.
  if (host.empty() || host == HostOf(request.serviceURL)) return {};
  return host;
}

std::string MasterLoginHosts::Question(std::string_view host) {
  return "マスターIDとパスワードを " + std::string(host) + " に送信しますか？";
}

bool MasterLoginHosts::Decided(std::string_view host) const {
  if (!StorableHost(host)) return thisRun_.count(host) > 0;
  const std::string stored = settings_.ReadString(Key(host));
  return stored == kYes || stored == kNo;
}

bool MasterLoginHosts::Allowed(std::string_view host) const {
  if (!StorableHost(host)) {
    const auto found = thisRun_.find(host);
    return found != thisRun_.end() && found->second;
  }
  return settings_.ReadString(Key(host)) == kYes;
}

bool MasterLoginHosts::Decide(SiteLoginRequest& request, const Ask& ask) {
  const std::string host = HostToAgree(request);
  if (host.empty()) return false;
  bool asked = false;
  if (!Decided(host) && ask) {
    const bool yes = ask(host);
    if (StorableHost(host)) settings_.WriteString(Key(host), yes ? kYes : kNo);
    else thisRun_[host] = yes;
    asked = true;
  }
  request.masterLoginDeclined = !Allowed(host);
  return asked;
}

}  // namespace morvane
