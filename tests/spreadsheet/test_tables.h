#pragma once

#include "spreadsheet/spreadsheet_table.h"

#include <QRandomGenerator>

#include <initializer_list>

namespace tillora::test {

inline QStringList texts(std::initializer_list<const char*> utf8) {
    QStringList list;
    for (const char* t : utf8) {
        list.append(QString::fromUtf8(t));
    }
    return list;
}

inline QStringList salesTitles() {
    return {QStringLiteral("序号"), QStringLiteral("销售票号"), QStringLiteral("销售时间"),
            QStringLiteral("数量"), QStringLiteral("金额"),     QStringLiteral("收银员"),
            QStringLiteral("备注")};
}

inline SpreadsheetTable threeSales() {
    return {
        salesTitles(),
        {texts({"1", "2026120700001", "2026-12-07 09:15:02", "3", "25.50", "张三", ""}),
         texts({"2", "2026120700002", "2026-12-07 10:01:44", "1", "8.00", "李四", "会员"}),
         texts({"3", "2026120700003", "2026-12-07 11:30:10", "12", "120.00", "admin", "批发"})}};
}

// The details list's columns, `rows` lines of made-up goods.
inline SpreadsheetTable manyLines(int rows) {
    SpreadsheetTable table{{QStringLiteral("序号"), QStringLiteral("名称"), QStringLiteral("数量"),
                            QStringLiteral("单价"), QStringLiteral("金额"), QStringLiteral("折后")},
                           {}};
    table.rows.reserve(rows);
    for (int i = 0; i < rows; ++i) {
        const QString price = QString::number(1 + i % 97) + QStringLiteral(".50");
        table.rows.append({QString::number(i + 1), QStringLiteral("商品%1").arg(i % 500),
                           QString::number(1 + i % 7), price, price, price});
    }
    return table;
}

// Long, mostly distinct Chinese texts: a shared string table far larger than one record.
inline SpreadsheetTable longChineseTexts(int rows) {
    QRandomGenerator random(20261207);
    SpreadsheetTable table{salesTitles(), {}};
    for (int i = 0; i < rows; ++i) {
        QString remark;
        const int length = 80 + int(random.bounded(400));
        for (int k = 0; k < length; ++k) {
            remark += QChar(char16_t(0x4E00 + random.bounded(0x9FA5 - 0x4E00)));
        }
        table.rows.append({QString::number(i + 1),
                           QStringLiteral("20261207%1").arg(i, 5, 10, QLatin1Char('0')),
                           QStringLiteral("2026-12-07"), QStringLiteral("1"),
                           QStringLiteral("9.90"), QStringLiteral("收银员%1").arg(i % 3), remark});
    }
    return table;
}

// Texts that break naive writers: quotes, separators, line breaks, characters outside the
// basic plane, texts that look like numbers, dates or formulas, and empty cells.
inline SpreadsheetTable awkwardTexts() {
    SpreadsheetTable table{{QStringLiteral("名称"), QStringLiteral("备注"), QStringLiteral("单价")},
                           {}};
    const QStringList texts = {
        QStringLiteral("O'Brien's 饼干"),
        QStringLiteral("'"),
        QStringLiteral("''; drop table tmp"),
        QStringLiteral("\"双引号\""),
        QStringLiteral("a,b,,c"),
        QStringLiteral("第一行\n第二行"),
        QStringLiteral("Windows\r\n换行"),
        QStringLiteral("😀🎉 表情"),
        QStringLiteral("0012"),
        QStringLiteral("1.50"),
        QStringLiteral("2026-12-07"),
        QStringLiteral("=1+1"),
        QStringLiteral("  前后空格  "),
        QStringLiteral("tab\there"),
        QStringLiteral("café naïve"),
        QStringLiteral("€ ¥ £"),
        QStringLiteral("<xml> & _x0041_"),
    };
    for (int i = 0; i < texts.size(); ++i) {
        table.rows.append({texts.at(i), texts.at(texts.size() - 1 - i), QStringLiteral("1.00")});
    }
    table.rows.append({QStringLiteral("空备注"), QString(), QStringLiteral("2.00")});
    table.rows.append({QString(), QStringLiteral("空名称"), QString()});
    return table;
}

}  // namespace tillora::test
