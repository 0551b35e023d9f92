#pragma once
// Where the master login may go. The master ID and password are the
// service's: they go to the service's own host, and to another host only
// once the user has agreed. The user is asked once per host; the answer is
// kept in the settings file.
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "browser/core/site_login.h"
#include "util/settings_file.h"

namespace morvane {

class MasterLoginHosts {
 public:
  // The user's answer to sending the master login to host: true to send.
  using Ask = std::function<bool(std::string_view host)>;

  explicit MasterLoginHosts(SettingsFile& settings) : settings_(settings) {}

  // The host a request would send the master login to that needs the user's
  // word first; empty when it needs none (the site's own login, or the
  // service's host).
  static std::string HostToAgree(const SiteLoginRequest& request);
  // "マスターIDとパスワードを <host> に送信しますか？"
  static std::string Question(std::string_view host);

  // Decides the request's master login, asking about its host when nobody
  // has yet (without ask, an undecided host is declined this once); true
  // when the answer is new (the settings want saving).
  bool Decide(SiteLoginRequest& request, const Ask& ask);
  // Decided, undecided or declined: whether the master login may go there.
  // An undecided host counts as declined.
  bool Allowed(std::string_view host) const;
  bool Decided(std::string_view host) const;

 private:
  static std::string Key(std::string_view host);

  SettingsFile& settings_;
  // Hosts whose name cannot be a settings key are decided for this run only.
  std::map<std::string, bool, std::less<>> thisRun_;
};

}  // namespace morvane
