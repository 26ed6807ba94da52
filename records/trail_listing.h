#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace tillora {

class ODBCDB;

// What the 操作记录 window lists: a date range (both days whole), and optionally one user and
// one kind of action. Always newest first, equal times by ID, so that a listing read in pieces
// never repeats or skips a row; the 时间 index gives the order without a sort.
struct TrailFilter {
    QDate from;
    QDate to;
    QString user;    // empty: every user
    QString action;  // empty: every kind

    // At most `count` rows after row `afterId` in the listing's order (from the first when 0).
    QString page(int count, int afterId) const;

  private:
    QStringList where() const;
};

// The kinds of action the program writes under a fixed name (those of products, payment methods,
// customers and users name their table: "修改商品名称").
QStringList knownTrailActions();

// One piece of the trail: appends up to `count` rows (时间, 收银台, 用户, 操作, 对象, 之前, 之后)
// following `afterId` to `rows` and moves `afterId` to the last one read. False when the
// statement failed. Fewer rows than asked for: the listing is complete.
bool readTrailPiece(ODBCDB& db, const TrailFilter& filter, int count, int& afterId,
                    QList<QStringList>& rows);
// Every row of the filter, a piece at a time (for an export); false when a statement failed.
bool readWholeTrail(ODBCDB& db, const TrailFilter& filter, QList<QStringList>& rows);

}  // namespace tillora
