// The reference service's store: one SQLite table of applications.
#pragma once

#include <optional>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace lumbrix::server {

// All texts in UTF-8.
struct Application {
  std::string id;
  std::string key;
  std::string notice;
  std::string version;
  std::string updateData;
  std::string softwareState;
  std::string staticData;
};

// The fields an edit changes; the others keep their stored values.
struct ApplicationEdit {
  std::string id;
  std::optional<std::string> key, notice, version, updateData, softwareState, staticData;
};

class AppDatabase {
 public:
  // Opens (creating when asked) the database file; Ok() tells whether it worked.
  AppDatabase(const std::string& path, bool create);
  ~AppDatabase();
  AppDatabase(const AppDatabase&) = delete;
  AppDatabase& operator=(const AppDatabase&) = delete;

  bool Ok() const { return db_ != nullptr; }
  const std::string& Error() const { return error_; }

  bool CreateSchema();
  // Reads the application as stored now, so an edit shows at the next request.
  std::optional<Application> Find(const std::string& id);
  // Adds or edits; a new application needs a key.
  bool Apply(const ApplicationEdit& edit);

 private:
  bool Exec(const char* sql);
  bool Fail();

  sqlite3* db_ = nullptr;
  sqlite3_stmt* find_ = nullptr;
  std::string error_;
};

}  // namespace lumbrix::server
