#include "health/health_history.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>

#include "health/sqlite_db.h"

namespace morvane {
namespace {

constexpr std::string_view kSchema = R"(
CREATE TABLE IF NOT EXISTS checks (
  site_url      TEXT    NOT NULL,
  site_name     TEXT    NOT NULL,
  checked_at    INTEGER NOT NULL,
  up            INTEGER NOT NULL,
  status        INTEGER NOT NULL,
  failure       TEXT    NOT NULL,
  result        TEXT    NOT NULL,
  final_url     TEXT    NOT NULL,
  redirects     INTEGER NOT NULL,
  first_byte_ms INTEGER NOT NULL,
  total_ms      INTEGER NOT NULL,
  cert_expires  INTEGER,
  cert_issuer   TEXT,
  title         TEXT    NOT NULL,
  tag           TEXT    NOT NULL,
  PRIMARY KEY (site_url, site_name, checked_at)
);
CREATE INDEX IF NOT EXISTS checks_by_url_time ON checks (site_url, checked_at);
PRAGMA user_version = 1;
)";

std::string_view TagName(AnalysisTag tag) {
  switch (tag) {
    case AnalysisTag::Present: return "present";
    case AnalysisTag::Absent: return "absent";
    case AnalysisTag::Unknown: break;
  }
  return "unknown";
}

std::string_view FailureName(HealthFailure failure) {
  switch (failure) {
    case HealthFailure::None: return "";
    case HealthFailure::NotChecked: return "not-checked";
    case HealthFailure::BadAddress: return "bad-address";
    case HealthFailure::NameNotFound: return "name-not-found";
    case HealthFailure::Refused: return "refused";
    case HealthFailure::TimedOut: return "time-out";
    case HealthFailure::Certificate: return "certificate";
    case HealthFailure::TooManyRedirects: return "redirect-loop";
    case HealthFailure::Other: break;
  }
  return "other";
}

}  // namespace

std::int64_t SystemClockMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

struct HealthHistory::Impl {
  explicit Impl(const std::string& path) : db(path) {}
  SqliteDatabase db;
};

HealthHistory::HealthHistory(const std::string& path) {
  // Made private before SQLite opens it; its -wal and -shm files take the
  // database file's mode.
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    error_ = "履歴のデータベースを開けません: " + path;
    return;
  }
  ::close(fd);
  impl_ = std::make_unique<Impl>(path);
  SqliteDatabase& db = impl_->db;
  if (!db.Ok()) {
    error_ = db.Error();
    return;
  }
  const std::int64_t version = db.IntegerOf("PRAGMA user_version");
  if (!db.Run("SELECT count(*) FROM sqlite_master")) {  // not a database at all
    error_ = "履歴のデータベースが読めません: " + db.Error();
    return;
  }
  if (version > kHealthHistorySchemaVersion) {
    error_ = "履歴のデータベースは新しい版のものです";
    return;
  }
  if (!db.Run("PRAGMA journal_mode = WAL") || !db.Run(kSchema)) {
    error_ = "履歴のデータベースを作れません: " + db.Error();
    return;
  }
  ok_ = true;
}

HealthHistory::~HealthHistory() = default;

bool HealthHistory::Record(const std::vector<HealthSite>& sites, const std::vector<SiteHealth>& results,
                           std::int64_t checkedAt) {
  if (!ok_) return false;
  SqliteDatabase& db = impl_->db;
  if (!db.Run("BEGIN IMMEDIATE")) {
    error_ = db.Error();
    return false;
  }
  SqliteStatement insert(db.Handle(),
                         "INSERT OR REPLACE INTO checks VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, "
                         "?13, ?14, ?15)");
  bool written = insert.Ok();
  for (std::size_t i = 0; written && i < sites.size() && i < results.size(); ++i) {
    const SiteHealth& h = results[i];
    if (h.failure == HealthFailure::NotChecked) continue;
    insert.Reset();
    insert.Bind(1, sites[i].url);
    insert.Bind(2, sites[i].name);
    insert.Bind(3, checkedAt);
    insert.Bind(4, std::int64_t{h.Up()});
    insert.Bind(5, std::int64_t{h.status});
    insert.Bind(6, FailureName(h.failure));
    insert.Bind(7, HealthResultText(h));
    insert.Bind(8, h.chain.empty() ? sites[i].url : h.chain.back());
    insert.Bind(9, static_cast<std::int64_t>(h.chain.empty() ? 0 : h.chain.size() - 1));
    insert.Bind(10, static_cast<std::int64_t>(h.firstByte.count()));
    insert.Bind(11, static_cast<std::int64_t>(h.total.count()));
    if (h.certificate) {
      insert.Bind(12, h.certificate->expires);
      insert.Bind(13, h.certificate->issuer);
    } else {
      insert.BindNull(12);
      insert.BindNull(13);
    }
    insert.Bind(14, h.title);
    insert.Bind(15, TagName(h.tag));
    insert.Step();
    written = insert.Done();
  }
  if (!written) {
    error_ = sqlite3_errmsg(db.Handle());
    db.Run("ROLLBACK");
    return false;
  }
  if (!db.Run("COMMIT")) {
    error_ = db.Error();
    db.Run("ROLLBACK");
    return false;
  }
  return true;
}

std::vector<HealthRecord> HealthHistory::Last(const HealthSite& site, std::size_t count) {
  std::vector<HealthRecord> records;
  if (!ok_) return records;
  SqliteStatement query(impl_->db.Handle(),
                        "SELECT checked_at, up, status, result, total_ms, cert_expires FROM checks "
                        "WHERE site_url = ?1 AND site_name = ?2 ORDER BY checked_at DESC LIMIT ?3");
  query.Bind(1, site.url);
  query.Bind(2, site.name);
  query.Bind(3, static_cast<std::int64_t>(count));
  while (query.Step()) {
    HealthRecord r;
    r.checkedAt = query.Integer(0);
    r.up = query.Integer(1) != 0;
    r.status = static_cast<long>(query.Integer(2));
    r.result = query.Text(3);
    r.totalMs = query.Integer(4);
    if (!query.IsNull(5)) r.certificateExpires = query.Integer(5);
    records.push_back(std::move(r));
  }
  return {records.rbegin(), records.rend()};
}

bool HealthHistory::DropGone(const std::vector<HealthSiteKey>& current, std::int64_t now) {
  if (!ok_) return false;
  SqliteDatabase& db = impl_->db;
  if (!db.Run("BEGIN IMMEDIATE")) {
    error_ = db.Error();
    return false;
  }
  bool done = db.Run(
      "CREATE TEMP TABLE IF NOT EXISTS current_sites (site_url TEXT, site_name TEXT, PRIMARY KEY (site_url, "
      "site_name)); DELETE FROM current_sites;");
  SqliteStatement insert(db.Handle(), "INSERT OR IGNORE INTO current_sites VALUES (?1, ?2)");
  done = done && insert.Ok();
  for (std::size_t i = 0; done && i < current.size(); ++i) {
    insert.Reset();
    insert.Bind(1, current[i].url);
    insert.Bind(2, current[i].name);
    insert.Step();
    done = insert.Done();
  }
  if (done) {
    SqliteStatement drop(db.Handle(),
                         "DELETE FROM checks WHERE (site_url, site_name) IN (SELECT site_url, site_name FROM checks "
                         "GROUP BY site_url, site_name HAVING max(checked_at) < ?1) AND NOT EXISTS (SELECT 1 FROM "
                         "current_sites c WHERE c.site_url = checks.site_url AND c.site_name = checks.site_name)");
    drop.Bind(1, now - kGoneSiteKeepMs);
    drop.Step();
    done = drop.Done();
  }
  if (!done || !db.Run("COMMIT")) {
    error_ = sqlite3_errmsg(db.Handle());
    db.Run("ROLLBACK");
    return false;
  }
  return true;
}

}  // namespace morvane
