#include "navi/core/page_zoom.h"

#include <algorithm>
#include <array>

#include "web/host_turns.h"

namespace morvane {
namespace {

constexpr std::array<double, 13> kSteps = {0.3, 0.5, 0.67, 0.8, 0.9, 1.0, 1.1, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0};

}  // namespace

double PageZoom::LevelFor(const std::string& url) const {
  const auto it = byHost_.find(HostKey(url));
  return it == byHost_.end() ? 1.0 : it->second;
}

double PageZoom::Step(const std::string& url, int direction) {
  const double now = LevelFor(url);
  // The next step past the present zoom, so a zoom between steps moves too.
  double next = now;
  if (direction > 0) {
    const auto up = std::upper_bound(kSteps.begin(), kSteps.end(), now + 1e-9);
    next = up == kSteps.end() ? kSteps.back() : *up;
  } else {
    const auto down = std::lower_bound(kSteps.begin(), kSteps.end(), now - 1e-9);
    next = down == kSteps.begin() ? kSteps.front() : *(down - 1);
  }
  byHost_[HostKey(url)] = next;
  return next;
}

double PageZoom::Reset(const std::string& url) {
  byHost_.erase(HostKey(url));
  return 1.0;
}

}  // namespace morvane
