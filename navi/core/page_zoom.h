#pragma once
// The page zoom a user sets with Ctrl+plus and Ctrl+minus, kept per server
// for the run, as desktop browsers keep it: a page of another server opens at
// its own server's zoom.
#include <string>
#include <unordered_map>

namespace morvane {

class PageZoom {
 public:
  // The zoom for the page at url (1 unless set for its server).
  double LevelFor(const std::string& url) const;
  // One step up or down from the server's zoom, within the steps; returns the new zoom.
  double ZoomIn(const std::string& url) { return Step(url, +1); }
  double ZoomOut(const std::string& url) { return Step(url, -1); }
  double Reset(const std::string& url);

 private:
  double Step(const std::string& url, int direction);
  std::unordered_map<std::string, double> byHost_;
};

}  // namespace morvane
