#pragma once
// The web engine's process that runs a view's page, found by its pid so a
// test can kill it as a crash would end it.
#include <sys/types.h>
#include <unistd.h>
#include <webkit2/webkit2.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>

namespace morvane::testing {

// CPU time so far of each web process this program started, by pid.
inline std::map<pid_t, long long> WebProcessTimes() {
  std::map<pid_t, long long> times;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos || line.find("(WebKitWebProces") == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 2));
    std::string state;
    long long ppid = 0, skip = 0, user = 0, system = 0;
    rest >> state >> ppid;
    for (int i = 0; i < 9; ++i) rest >> skip;
    rest >> user >> system;
    if (ppid == getpid()) times[std::stoi(entry.path().filename().string())] = user + system;
  }
  return times;
}

// The process of the page view shows: of the web processes this program runs
// (spare ones and other views' wait beside it), the one that works while the
// page keeps its processor busy. pumpFor(ms) runs the event loop that long.
inline pid_t PageProcessOf(WebKitWebView* view, const std::function<void(int)>& pumpFor) {
  const std::map<pid_t, long long> before = WebProcessTimes();
  webkit_web_view_evaluate_javascript(view, "{ const end = Date.now() + 600; while (Date.now() < end); }", -1, nullptr,
                                      nullptr, nullptr, nullptr, nullptr);
  pumpFor(800);
  pid_t busiest = 0;
  long long most = -1;
  for (const auto& [pid, time] : WebProcessTimes()) {
    const auto was = before.find(pid);
    const long long worked = time - (was == before.end() ? 0 : was->second);
    if (worked > most) busiest = pid, most = worked;
  }
  return busiest;
}

}  // namespace morvane::testing
