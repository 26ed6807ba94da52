#pragma once

#include <QObject>

#include "data/odbcdb.h"

namespace tillora {

// The program's hidden owner: never shown (it is no window at all, so it never counts against
// the last-window rule) and alive from start to shutdown. It owns the shared database
// component 外部数据库1, the connection that window logic without its own uses, and receives
// end requests made on other threads.
class ProgramHolder : public QObject {
    Q_OBJECT

  public:
    // The name window logic knows the shared database by.
    static QString databaseName() { return QStringLiteral("外部数据库1"); }

    explicit ProgramHolder(QObject* parent = nullptr);
    ~ProgramHolder() override;

    // The holder of this run; nullptr before start and after shutdown.
    static ProgramHolder* instance();

    ODBCDB& database() { return database_; }

  Q_SIGNALS:
    // Carried to the UI thread whatever thread asked.
    void endRequested(int exitCode);

  private:
    ODBCDB database_;
};

}  // namespace tillora
