#pragma once

#include <QString>

#include <QHash>

#include <functional>
#include <optional>

#include "records/records_sql.h"

class QWidget;

namespace tillora {

class FormWindow;
class HandlerRegistry;
class ODBCDB;
class SalesModule;

// Owns what the records windows share (the sales module with its database, the
// database file's path) and provides the handlers of the sales records window, the query dialog
// and the details window. Must outlive every window it serves.
class RecordsModule {
  public:
    RecordsModule(SalesModule& sales, QString databasePath);

    void registerHandlers(HandlerRegistry& registry);
    // Makes 查询统计 -> 统计销售 of the sales entry window open the sales records window, and
    // 查询统计 -> 日结报表 the day report, and 查询统计 -> 操作记录 the trail.
    void installOpener();

    SalesModule& sales() const { return sales_; }
    ODBCDB& database() const;
    const QString& databasePath() const { return databasePath_; }

    // Opens the sales records window (or brings it forward).
    void openRecords(FormWindow* owner);
    // Opens the day report window (or brings it forward).
    void openDayReport(FormWindow* owner);
    // Opens the trail window (or brings it forward); an ordinary user is refused.
    void openTrail(FormWindow* owner);
    // Opens the details window of one sale, modal over `owner`.
    void openDetails(FormWindow* owner, int saleId);

    // The conditions of the last query, offered again when the dialog reopens.
    const std::optional<SalesQuery>& lastQuery() const { return lastQuery_; }
    void setLastQuery(const SalesQuery& query) { lastQuery_ = query; }

    // Widths the user dragged the sales list's columns to (by column), kept for the run.
    QHash<int, int>& draggedColumnWidths() { return draggedWidths_; }

  private:
    SalesModule& sales_;
    QString databasePath_;
    int detailsSaleId_ = 0;
    std::optional<SalesQuery> lastQuery_;
    QHash<int, int> draggedWidths_;
};

}  // namespace tillora
