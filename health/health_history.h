#pragma once
// The history of site checks: an SQLite database in the data folder
// (site-health.sqlite, private to the user, WAL so the window and the
// timer's program can both write). One row per site and check; a site's
// history is its name and address together, so a renamed site or one with a
// new address starts a new history. The catalogue's own file never holds it.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "health/site_health.h"

namespace morvane {

inline constexpr std::string_view kHealthHistoryFileName = "site-health.sqlite";
inline constexpr int kHealthHistorySchemaVersion = 1;
// History of a site no longer in the catalogue is dropped this long after its last check.
inline constexpr std::int64_t kGoneSiteKeepMs = 90LL * 24 * 60 * 60 * 1000;

// Milliseconds since 1970, UTC; tests give a clock of their own.
using HealthClock = std::function<std::int64_t()>;
std::int64_t SystemClockMs();

// One stored check, as the report needs it.
struct HealthRecord {
  std::int64_t checkedAt = 0;  // ms since 1970
  bool up = false;
  long status = 0;
  std::string result;  // HealthResultText
  std::int64_t totalMs = 0;
  std::optional<std::int64_t> certificateExpires;
};

struct HealthSiteKey {
  std::string url;
  std::string name;
};

class HealthHistory {
 public:
  // Opens the database at path, creating it (mode 0600) and its table when
  // missing. Ok() false with Error() for a file that is not such a database,
  // or one of a newer version of the program, which is then left as it is.
  explicit HealthHistory(const std::string& path);
  ~HealthHistory();
  HealthHistory(const HealthHistory&) = delete;
  HealthHistory& operator=(const HealthHistory&) = delete;

  bool Ok() const { return ok_; }
  const std::string& Error() const { return error_; }

  // Stores the checks done, in one transaction; sites not checked (a stop,
  // the budget) are not stored. False with Error() when the write failed.
  bool Record(const std::vector<HealthSite>& sites, const std::vector<SiteHealth>& results, std::int64_t checkedAt);
  // The last count checks of the site, oldest first.
  std::vector<HealthRecord> Last(const HealthSite& site, std::size_t count);
  // Drops the history of every site not among current (the whole
  // catalogue) whose last check is older than the keep time.
  bool DropGone(const std::vector<HealthSiteKey>& current, std::int64_t now);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  bool ok_ = false;
  std::string error_;
};

}  // namespace morvane
