#pragma once

#include <sqlite3.h>

#include <QFile>
#include <QString>

namespace tillora::test {

// A second connection on the same file, as another program (the sqlite3 tool, a second till)
// would hold it: no busy wait and none of the program's functions unless a test adds them.
class OtherProgram {
  public:
    explicit OtherProgram(const QString& path) {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~OtherProgram() { sqlite3_close_v2(db_); }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    bool run(const char* sql) {
        return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    // The first column of the first row, or "<failed: the engine's message>".
    QString text(const char* sql) {
        sqlite3_stmt* stmt = nullptr;
        QString result = QStringLiteral("<failed: ");
        if (sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW) {
            result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        } else {
            result += QString::fromUtf8(sqlite3_errmsg(db_)) + QStringLiteral(">");
        }
        sqlite3_finalize(stmt);
        return result;
    }
    int number(const char* sql) { return text(sql).toInt(); }
    sqlite3* handle() const { return db_; }

  private:
    sqlite3* db_ = nullptr;
};

}  // namespace tillora::test
