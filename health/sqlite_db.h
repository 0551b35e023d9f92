#pragma once
// The little of SQLite's C API the site history needs, owned: a connection
// and its prepared statements close with their objects.
#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace morvane {

class SqliteStatement {
 public:
  SqliteStatement(sqlite3* db, std::string_view sql);
  bool Ok() const { return statement_ != nullptr; }
  // Binding by position, from 1.
  void Bind(int at, std::int64_t value);
  void Bind(int at, std::string_view text);
  void BindNull(int at);
  // One step: true while a row is there; Done() tells a finished statement
  // from a failed one.
  bool Step();
  bool Done() const { return done_; }
  void Reset();
  std::int64_t Integer(int column) const;
  std::string Text(int column) const;
  bool IsNull(int column) const;

 private:
  struct Finalize {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
  };
  std::unique_ptr<sqlite3_stmt, Finalize> statement_;
  bool done_ = false;
};

class SqliteDatabase {
 public:
  // Opens (creating when missing) the file; Ok() tells whether it worked and
  // Error() why not.
  explicit SqliteDatabase(const std::string& path);
  bool Ok() const { return db_ != nullptr; }
  const std::string& Error() const { return error_; }
  sqlite3* Handle() const { return db_.get(); }
  // Runs statements that give no rows; false (with Error()) on a failure.
  bool Run(std::string_view sql);
  std::int64_t IntegerOf(std::string_view sql);

 private:
  struct Close {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
  };
  std::unique_ptr<sqlite3, Close> db_;
  std::string error_;
};

}  // namespace morvane
