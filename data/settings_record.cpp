#include "data/settings_record.h"

#include "data/sql_text.h"

namespace tillora {

namespace settings_sql {

namespace {

QString yesNo(bool yes) {
    return yes ? QStringLiteral("真") : QStringLiteral("假");
}

}  // namespace

QString selectAll() {
    return QStringLiteral("select * from 配置文件 where 1");
}

QString selectById() {
    return QStringLiteral("select * from [配置文件] where [ID]=1");
}

QString selectFormatHead() {
    return QStringLiteral("select * from 配置文件 where 全局单号格式");
}

QString updateShopNameAndNote(const QString& shopName, const QString& note) {
    return QStringLiteral("update 配置文件  set   店名='") + sqlText(shopName) +
           QStringLiteral("',备注='") + sqlText(note) + QStringLiteral("'where ID=1");
}

QString updatePaperMargin(const QString& millimetres) {
    return QStringLiteral("update 配置文件  set    纸张边距='") + sqlText(millimetres) +
           QStringLiteral("' where ID=1");
}

QString resetPaperMargin() {
    return QStringLiteral("update 配置文件  set    纸张边距='0' where ID=1");
}

QString updatePrintOffset(const QString& millimetres) {
    return QStringLiteral("update 配置文件  set    打印偏差='") + sqlText(millimetres) +
           QStringLiteral("' where ID=1");
}

QString resetPrintOffset() {
    return QStringLiteral("update 配置文件  set    打印偏差='0' where ID=1");
}

QString updateShowPrinted(bool yes) {
    return QStringLiteral("update 配置文件  set   显示打印完毕='") + yesNo(yes) +
           QStringLiteral("' where ID=1");
}

QString updateAskReprint(bool yes) {
    return QStringLiteral("update 配置文件  set   提示再次打印='") + yesNo(yes) +
           QStringLiteral("' where ID=1");
}

QString updatePrintUnitPrice(bool yes) {
    return QStringLiteral("update 配置文件  set   打印单价='") + yesNo(yes) +
           QStringLiteral("' where ID=1");
}

QString updateDirectLogin(bool on) {
    return on ? QStringLiteral("update 配置文件  set   直接登录='1' where ID=1")
              : QStringLiteral("update 配置文件  set   直接登录='0' where ID=1");
}

QString updateLastUser(const QString& userName) {
    return QStringLiteral("update 配置文件  set   用户登录='") + sqlText(userName) +
           QStringLiteral("'where ID=1");
}

QString updateReceiptNumberFormat(int format) {
    return QStringLiteral("update 配置文件  set  全局单号格式=") + QString::number(format);
}

QString updateCustomerTick(bool yes) {
    return QStringLiteral("update 配置文件  set  客户='") + yesNo(yes) + QStringLiteral("'");
}

QString updatePhoneTick(bool yes) {
    return QStringLiteral("update 配置文件  set  电话='") + yesNo(yes) + QStringLiteral("'");
}

QString updatePaymentMethodTick(bool yes) {
    return QStringLiteral("update 配置文件  set  付款方式的选中='") + yesNo(yes) +
           QStringLiteral("'");
}

QString updatePrintLogo(bool yes) {
    return QStringLiteral("update 配置文件  set  是否打印logo='") + yesNo(yes) +
           QStringLiteral("'");
}

QString updateLogoOffset(const QString& offset) {
    return QStringLiteral("update  [配置文件] set  logo偏差 ='") + sqlText(offset) +
           QStringLiteral("' where [ID]=1");
}

QString updateLogo() {
    return QStringLiteral("update  [配置文件] set logo=? where [ID]=1");
}

}  // namespace settings_sql

bool readSettingsRecord(ODBCDB& db, SettingsRecord& out, const QString& statement) {
    const int h = db.OpenTable(statement);
    if (db.IsEOF(h)) {
        db.CloseTable(h);
        return false;
    }
    auto text = [&](const char16_t* name) {
        return db.ReadColByName(h, QString::fromUtf16(name)).toText();
    };
    SettingsRecord r;
    r.id = db.ReadColByName(h, QStringLiteral("ID")).toInt();
    r.shopName = text(u"店名");
    r.receiptNumberFormat = text(u"全局单号格式");
    r.note = text(u"备注");
    r.customerTick = text(u"客户");
    r.phoneTick = text(u"电话");
    r.discountTick = text(u"折扣");
    r.paymentMethodTick = text(u"付款方式的选中");
    r.saveSales = text(u"保存销售记录");
    r.showPrinted = text(u"显示打印完毕");
    r.askReprint = text(u"提示再次打印");
    r.printUnitPrice = text(u"打印单价");
    r.paperMargin = text(u"纸张边距");
    r.printOffset = text(u"打印偏差");
    r.lastUser = text(u"用户登录");
    r.directLogin = text(u"直接登录");
    r.logoOffset = db.ReadColByName(h, QStringLiteral("logo偏差")).toInt();
    r.printLogo = text(u"是否打印logo");
    r.logo = db.ReadColByName(h, QStringLiteral("logo")).toBytes();
    db.CloseTable(h);
    out = std::move(r);
    return true;
}

bool writeSettingsLogo(ODBCDB& db, const QByteArray& pictureBytes) {
    return db.ExecuteSql(settings_sql::updateLogo(), {DbParam::bytes(pictureBytes)});
}

}  // namespace tillora
