#include "health/sqlite_db.h"

namespace morvane {

SqliteStatement::SqliteStatement(sqlite3* db, std::string_view sql) {
  sqlite3_stmt* statement = nullptr;
  if (db && sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &statement, nullptr) == SQLITE_OK)
    statement_.reset(statement);
  else sqlite3_finalize(statement);
}

void SqliteStatement::Bind(int at, std::int64_t value) { sqlite3_bind_int64(statement_.get(), at, value); }

void SqliteStatement::Bind(int at, std::string_view text) {
  sqlite3_bind_text(statement_.get(), at, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void SqliteStatement::BindNull(int at) { sqlite3_bind_null(statement_.get(), at); }

bool SqliteStatement::Step() {
  if (!statement_) return false;
  const int result = sqlite3_step(statement_.get());
  done_ = result == SQLITE_DONE;
  return result == SQLITE_ROW;
}

void SqliteStatement::Reset() {
  sqlite3_reset(statement_.get());
  sqlite3_clear_bindings(statement_.get());
  done_ = false;
}

std::int64_t SqliteStatement::Integer(int column) const { return sqlite3_column_int64(statement_.get(), column); }

std::string SqliteStatement::Text(int column) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_.get(), column));
  return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement_.get(), column)))
              : std::string();
}

bool SqliteStatement::IsNull(int column) const { return sqlite3_column_type(statement_.get(), column) == SQLITE_NULL; }

SqliteDatabase::SqliteDatabase(const std::string& path) {
  sqlite3* db = nullptr;
  const int result =
      sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (result != SQLITE_OK) {
    error_ = db ? sqlite3_errmsg(db) : sqlite3_errstr(result);
    sqlite3_close_v2(db);
    return;
  }
  db_.reset(db);
  // The window and the timer's program may write at the same moment.
  sqlite3_busy_timeout(db, 5000);
}

bool SqliteDatabase::Run(std::string_view sql) {
  char* message = nullptr;
  const std::string text(sql);
  if (sqlite3_exec(db_.get(), text.c_str(), nullptr, nullptr, &message) == SQLITE_OK) return true;
  error_ = message ? message : sqlite3_errmsg(db_.get());
  sqlite3_free(message);
  return false;
}

std::int64_t SqliteDatabase::IntegerOf(std::string_view sql) {
  SqliteStatement statement(db_.get(), sql);
  return statement.Step() ? statement.Integer(0) : 0;
}

}  // namespace morvane
