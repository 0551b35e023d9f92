#pragma once
// Which sign-in requests of the shown page (HTTP authentication) reach the
// user as a box. One box at a time; a server and realm the user turned down
// is not asked for again until the user opens another page, and a page gets
// at most a few boxes, so no page can stack or repeat them without end.
#include <set>
#include <string>
#include <utility>

namespace morvane {

// What the box shows: the server asking (from the request's address, which
// the page cannot disguise) and its realm, made one plain line.
struct SignInRequest {
  std::string server;  // "host" or "host:port"
  std::string realm;
  bool retry = false;  // the last answer was refused
  bool proxy = false;
};

struct SignInAnswer {
  std::string user, password;
};

class SignInPrompts {
 public:
  static constexpr int kBoxesPerPage = 5;

  // The request as the box shows it; the realm a page sent is cut and cleaned.
  static SignInRequest Shown(std::string server, std::string_view realm, bool retry, bool proxy);

  bool MayAsk(const SignInRequest& request) const;
  void Opened() { open_ = true, ++boxesThisPage_; }
  void Closed(const SignInRequest& request, bool signedIn);
  // The user opened another page: what was turned down may be asked again.
  void NewPage();

 private:
  bool open_ = false;
  int boxesThisPage_ = 0;
  std::set<std::pair<std::string, std::string>> declined_;
};

}  // namespace morvane
