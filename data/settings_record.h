#pragma once

#include "data/odbcdb.h"

#include <QByteArray>
#include <QString>

namespace tillora {

// Row ID 1 of 配置文件, every field. Yes/no fields hold "真"/"假" (直接登录: "1"/"0").
struct SettingsRecord {
    int id = 0;                   // ID
    QString shopName;             // 店名
    QString receiptNumberFormat;  // 全局单号格式
    QString note;                 // 备注 (lines separated by CR LF)
    QString customerTick;         // 客户
    QString phoneTick;            // 电话
    QString discountTick;         // 折扣
    QString paymentMethodTick;    // 付款方式的选中
    QString saveSales;            // 保存销售记录
    QString showPrinted;          // 显示打印完毕
    QString askReprint;           // 提示再次打印
    QString printUnitPrice;       // 打印单价
    QString paperMargin;          // 纸张边距 (millimetres, signed text)
    QString printOffset;          // 打印偏差 (millimetres, signed text)
    QString lastUser;             // 用户登录
    QString directLogin;          // 直接登录
    int logoOffset = 0;           // logo偏差
    QString printLogo;            // 是否打印logo
    QByteArray logo;              // logo (the picture file's bytes)

    static bool isYes(const QString& field) { return field == QStringLiteral("真"); }

    // Margins and offsets that fit a receipt, in millimetres with one decimal (the printer's
    // unit is 0.1 mm). The receipt is 44 mm wide and never narrower than 20 mm, and 80 mm paper
    // prints 24 mm beyond the 48 mm text edge; an offset beyond 20 mm moves it off the paper.
    static constexpr double kMaxPaperMargin = 24;
    static constexpr double kMaxPrintOffset = 20;
    static constexpr int kMillimetreDecimals = 1;
};

namespace settings_sql {

// Readers.
QString selectAll();   // "select * from 配置文件 where 1"
QString selectById();  // "select * from [配置文件] where [ID]=1"
// The head of the receipt-number format read; the condition's tail belongs to its caller.
QString selectFormatHead();  // "select * from 配置文件 where 全局单号格式"

// Writers: the exact statement texts; user text goes through sqlText().
QString updateShopNameAndNote(const QString& shopName, const QString& note);
QString updatePaperMargin(const QString& millimetres);
QString resetPaperMargin();
QString updatePrintOffset(const QString& millimetres);
QString resetPrintOffset();
QString updateShowPrinted(bool yes);
QString updateAskReprint(bool yes);
QString updatePrintUnitPrice(bool yes);
QString updateDirectLogin(bool on);
QString updateLastUser(const QString& userName);
// Stored unquoted as its decimal text, in every row (no WHERE clause).
QString updateReceiptNumberFormat(int format);
QString updateCustomerTick(bool yes);
QString updatePhoneTick(bool yes);
QString updatePaymentMethodTick(bool yes);
QString updatePrintLogo(bool yes);
// logo偏差 is a Long: text that is no whole number makes the statement fail.
QString updateLogoOffset(const QString& offset);
// One byte-block parameter: the picture file's bytes.
QString updateLogo();

}  // namespace settings_sql

// Reads the settings row with one of the reader statements. False (out unchanged) when the
// statement fails or finds no row.
bool readSettingsRecord(ODBCDB& db, SettingsRecord& out,
                        const QString& statement = settings_sql::selectAll());
// Stores the logo picture's bytes.
bool writeSettingsLogo(ODBCDB& db, const QByteArray& pictureBytes);

}  // namespace tillora
