#include "browser/core/sign_in_prompts.h"

#include "util/terminal_text.h"

namespace morvane {
namespace {

constexpr std::size_t kRealmChars = 100;

}  // namespace

SignInRequest SignInPrompts::Shown(std::string server, std::string_view realm, bool retry, bool proxy) {
  return {OneShownLine(server, kRealmChars), OneShownLine(realm, kRealmChars), retry, proxy};
}

bool SignInPrompts::MayAsk(const SignInRequest& request) const {
  return !open_ && boxesThisPage_ < kBoxesPerPage && !declined_.contains({request.server, request.realm});
}

void SignInPrompts::Closed(const SignInRequest& request, bool signedIn) {
  open_ = false;
  if (!signedIn) declined_.insert({request.server, request.realm});
}

void SignInPrompts::NewPage() {
  boxesThisPage_ = 0;
  declined_.clear();
}

}  // namespace morvane
