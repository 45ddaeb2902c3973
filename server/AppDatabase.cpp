#include "server/AppDatabase.h"

#include <sqlite3.h>

namespace lumbrix::server {

namespace {

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS applications ("
    " id TEXT PRIMARY KEY,"
    " app_key TEXT NOT NULL,"
    " notice TEXT NOT NULL DEFAULT '',"
    " version TEXT NOT NULL DEFAULT '',"
    " update_data TEXT NOT NULL DEFAULT '',"
    " software_state TEXT NOT NULL DEFAULT '',"
    " static_data TEXT NOT NULL DEFAULT '')";

std::string Column(sqlite3_stmt* statement, int column) {
  const auto* text = sqlite3_column_text(statement, column);
  return text ? reinterpret_cast<const char*>(text) : "";
}

void Bind(sqlite3_stmt* statement, int index, const std::optional<std::string>& value) {
  if (value) sqlite3_bind_text(statement, index, value->c_str(), int(value->size()), SQLITE_TRANSIENT);
  else sqlite3_bind_null(statement, index);
}

}  // namespace

AppDatabase::AppDatabase(const std::string& path, bool create) {
  const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
  if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    error_ = db_ ? sqlite3_errmsg(db_) : "cannot open database";
    sqlite3_close(db_);
    db_ = nullptr;
    return;
  }
  // Readers and the admin command may meet; let one wait for the other.
  sqlite3_busy_timeout(db_, 2000);
}

AppDatabase::~AppDatabase() {
  sqlite3_finalize(find_);
  sqlite3_close(db_);
}

bool AppDatabase::Fail() {
  error_ = sqlite3_errmsg(db_);
  return false;
}

bool AppDatabase::Exec(const char* sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
    error_ = message ? message : "sqlite error";
    sqlite3_free(message);
    return false;
  }
  return true;
}

bool AppDatabase::CreateSchema() { return Exec("PRAGMA journal_mode=WAL") && Exec(kSchema); }

std::optional<Application> AppDatabase::Find(const std::string& id) {
  if (!find_ && sqlite3_prepare_v2(db_,
                                   "SELECT id, app_key, notice, version, update_data, software_state,"
                                   " static_data FROM applications WHERE id = ?1",
                                   -1, &find_, nullptr) != SQLITE_OK) {
    Fail();
    return std::nullopt;
  }
  sqlite3_reset(find_);
  sqlite3_bind_text(find_, 1, id.c_str(), int(id.size()), SQLITE_TRANSIENT);
  std::optional<Application> found;
  if (sqlite3_step(find_) == SQLITE_ROW) {
    found = Application{Column(find_, 0), Column(find_, 1), Column(find_, 2), Column(find_, 3),
                        Column(find_, 4), Column(find_, 5), Column(find_, 6)};
  }
  sqlite3_reset(find_);
  return found;
}

bool AppDatabase::Apply(const ApplicationEdit& edit) {
  sqlite3_stmt* statement = nullptr;
  const char* sql = nullptr;
  if (!Find(edit.id)) {
    if (!edit.key) {
      error_ = "a new application needs --key";
      return false;
    }
    // Insert when new, then change only the fields that were given.
    sql = "INSERT INTO applications (id, app_key) VALUES (?1, ?2)";
    if (sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr) != SQLITE_OK) return Fail();
    sqlite3_bind_text(statement, 1, edit.id.c_str(), -1, SQLITE_TRANSIENT);
    Bind(statement, 2, edit.key);
    const int inserted = sqlite3_step(statement);
    sqlite3_finalize(statement);
    if (inserted != SQLITE_DONE) return Fail();
  }

  sql = "UPDATE applications SET app_key = COALESCE(?2, app_key), notice = COALESCE(?3, notice),"
        " version = COALESCE(?4, version), update_data = COALESCE(?5, update_data),"
        " software_state = COALESCE(?6, software_state), static_data = COALESCE(?7, static_data)"
        " WHERE id = ?1";
  if (sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr) != SQLITE_OK) return Fail();
  sqlite3_bind_text(statement, 1, edit.id.c_str(), -1, SQLITE_TRANSIENT);
  Bind(statement, 2, edit.key);
  Bind(statement, 3, edit.notice);
  Bind(statement, 4, edit.version);
  Bind(statement, 5, edit.updateData);
  Bind(statement, 6, edit.softwareState);
  Bind(statement, 7, edit.staticData);
  const int updated = sqlite3_step(statement);
  sqlite3_finalize(statement);
  return updated == SQLITE_DONE || Fail();
}

}  // namespace lumbrix::server
