#include "web/host_turns.h"

#include <curl/curl.h>

#include <utility>

#include "web/scan_views.h"

namespace morvane {

std::string HostKey(const std::string& url) {
  CURLU* parsed = curl_url();
  std::string key;
  if (parsed && curl_url_set(parsed, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK) {
    for (auto [part, flags] :
         {std::pair{CURLUPART_SCHEME, 0u}, {CURLUPART_HOST, 0u}, {CURLUPART_PORT, CURLU_DEFAULT_PORT}}) {
      char* value = nullptr;
      if (curl_url_get(parsed, part, &value, flags) == CURLUE_OK && value) key.append(value).append(1, ' ');
      curl_free(value);
    }
  }
  curl_url_cleanup(parsed);
  for (char& c : key) c = scan::LowerAscii(c);
  return key;
}

void HostTurns::Add(const std::string& host, std::size_t index) {
  Host& h = hosts_[host];
  if (h.waiting.empty()) order_.push_back(host);
  h.waiting.push_back(index);
}

bool HostTurns::Take(std::size_t perHost, std::size_t& index, std::string& host) {
  for (auto it = order_.begin(); it != order_.end(); ++it) {
    Host& h = hosts_[*it];
    if (h.running >= perHost) continue;
    index = h.waiting.front();
    h.waiting.pop_front();
    ++h.running;
    host = *it;
    // Round the hosts: taking one host's items first would leave its last
    // ones to run two at a time at the end.
    if (h.waiting.empty()) order_.erase(it);
    else order_.splice(order_.end(), order_, it);
    return true;
  }
  return false;
}

std::deque<std::size_t> HostTurns::DropWaiting(const std::string& host) {
  auto it = hosts_.find(host);
  if (it == hosts_.end() || it->second.waiting.empty()) return {};
  order_.remove(host);
  return std::exchange(it->second.waiting, {});
}

}  // namespace morvane
