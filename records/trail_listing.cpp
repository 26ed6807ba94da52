#include "records/trail_listing.h"

#include "data/odbcdb.h"
#include "data/operation_trail.h"
#include "data/sql_text.h"
#include "records/records_sql.h"

namespace tillora {

namespace {

QString dayStart(const QDate& day) {
    return u'#' + records_sql::dateText(day) + QStringLiteral("  00:00:00#");
}

QString quoted(const QString& text) {
    return QLatin1Char('\'') + sqlText(text) + QLatin1Char('\'');
}

constexpr int kPiece = 2000;

}  // namespace

QStringList TrailFilter::where() const {
    // The next day's start as the upper end: times are stored with fractions of a second.
    QStringList parts{QStringLiteral("[时间] >= ") + dayStart(from),
                      QStringLiteral("[时间] < ") + dayStart(to.addDays(1))};
    if (!user.isEmpty()) {
        parts.append(QStringLiteral("[用户] = ") + quoted(user));
    }
    if (!action.isEmpty()) {
        parts.append(QStringLiteral("[操作] = ") + quoted(action));
    }
    return parts;
}

QString TrailFilter::page(int count, int afterId) const {
    QStringList parts = where();
    if (afterId != 0) {
        // Rows are never changed, so the last row's time is read as stored.
        const QString after = QString::number(afterId);
        const QString last =
            QStringLiteral("(select [时间] from [操作记录] where [ID] = ") + after + u')';
        parts.append(QStringLiteral("[时间] <= ") + last);
        parts.append(QStringLiteral("([时间] < ") + last + QStringLiteral(" or [ID] < ") + after +
                     u')');
    }
    return QStringLiteral("select top ") + QString::number(count) + u' ' +
           QStringLiteral("[ID], ") + operation_trail::columns().join(QStringLiteral(", ")) +
           QStringLiteral(" from [操作记录] where ") + parts.join(QStringLiteral(" and ")) +
           QStringLiteral(" order by [时间] desc, [ID] desc");
}

QStringList knownTrailActions() {
    return {QStringLiteral("登录"),         QStringLiteral("登录失败"),
            QStringLiteral("打开钱箱"),     QStringLiteral("重印"),
            QStringLiteral("删除销售记录"), QStringLiteral("增加销售明细"),
            QStringLiteral("修改销售明细"), QStringLiteral("删除销售明细"),
            QStringLiteral("数据初始化"),   QStringLiteral("修改单号格式"),
            QStringLiteral("导入商品名称")};
}

bool readTrailPiece(ODBCDB& db, const TrailFilter& filter, int count, int& afterId,
                    QList<QStringList>& rows) {
    const int h = db.OpenTable(filter.page(count, afterId));
    if (h == 0) {
        return false;
    }
    const QStringList columns = operation_trail::columns();
    for (; !db.IsEOF(h); db.MoveNext(h)) {
        QStringList cells;
        cells.reserve(columns.size());
        for (const QString& column : columns) {
            cells.append(db.ReadColByName(h, column).toText());
        }
        afterId = db.ReadColByName(h, QStringLiteral("ID")).toInt();
        rows.append(cells);
    }
    db.CloseTable(h);
    return true;
}

bool readWholeTrail(ODBCDB& db, const TrailFilter& filter, QList<QStringList>& rows) {
    int afterId = 0;
    for (;;) {
        const qsizetype before = rows.size();
        if (!readTrailPiece(db, filter, kPiece, afterId, rows)) {
            return false;
        }
        if (rows.size() - before < kPiece) {
            return true;
        }
    }
}

}  // namespace tillora
