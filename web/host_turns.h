#pragma once
// Many addresses queried side by side, fewer per server: which waiting one
// may start next. Used by every checker that queries a list of addresses.
#include <cstddef>
#include <deque>
#include <list>
#include <string>
#include <unordered_map>

namespace morvane {

// Scheme, host and port: what one server is, for the per-host limit.
std::string HostKey(const std::string& url);

// Items waiting to start, by host, taken from the hosts in turn.
class HostTurns {
 public:
  void Add(const std::string& host, std::size_t index);
  // The next item whose host has room, or false when none has.
  bool Take(std::size_t perHost, std::size_t& index, std::string& host);
  void Finished(const std::string& host) { --hosts_[host].running; }
  // Takes every item still waiting for the host out of the turns.
  std::deque<std::size_t> DropWaiting(const std::string& host);
  bool Empty() const { return order_.empty(); }

 private:
  struct Host {
    std::deque<std::size_t> waiting;
    std::size_t running = 0;
  };
  std::unordered_map<std::string, Host> hosts_;
  std::list<std::string> order_;  // only hosts with items waiting, so a scan stops after a few full hosts
};

}  // namespace morvane
