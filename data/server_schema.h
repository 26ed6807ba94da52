#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace tillora {

// The program's tables on a database server, as the embedded file has them.
struct ServerTable {
    QString name;
    QStringList columns;  // in table order, as the program spells them
};
const std::vector<ServerTable>& serverTables();

// The statements that create the schema in an empty database, in order. Text columns are
// blank-padded texts in a collation that ignores letter case, so that "=" ignores case and
// trailing blanks as Jet does; Text(n) limits count every character, trailing blanks too.
// AutoNumber columns are identity columns (a value is never handed out twice); 销售时间 holds
// the same day numbers as the file; deleting or renumbering a sale carries to its lines.
QStringList serverSchemaStatements();

// Adds the payment columns of 销售记录 to a database made before them, and drops the index
// such a database kept for the older number query; harmless when already done (another till may
// have done it a moment ago).
QStringList serverPaymentColumnStatements();

// Adds 商品名称.条码 with its unique index to a database made before it; harmless when done.
QStringList serverBarcodeColumnStatements();
// The trail of changes (操作记录): made at every start when missing, and by
// serverSchemaStatements; kept apart from serverTables, which an older database is checked
// against.
QString serverTrailStatement();
ServerTable serverTrailTable();

// A result column name as the program spells it ("id" -> "ID"); other names stay as they are.
QString canonicalColumnName(const QString& serverName);

}  // namespace tillora
