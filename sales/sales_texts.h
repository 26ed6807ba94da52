#pragma once

#include <QString>

// Messages and captions the sales windows share.
namespace tillora::sales_text {

inline QString hint() {
    return QStringLiteral("提示");
}
inline QString queryFailed() {
    return QStringLiteral("查询失败！");
}
inline QString changeFailed() {
    return QStringLiteral("数据修改失败");
}
inline QString addFailed() {
    return QStringLiteral("数据添加失败");
}
inline QString deleteFailed() {
    return QStringLiteral("数据删除失败");
}
// A scanned or typed barcode that no product has.
inline QString unknownBarcode(const QString& code) {
    return QStringLiteral("条码 %1 没有登记").arg(code);
}
inline QString registerBarcodeQuestion() {
    return QStringLiteral("。\r\n是否现在登记这个商品（名称和单价）？");
}
inline QString cashIsKept() {
    return QStringLiteral("付款方式“现金”不能删除，也不能改名：钱箱和日报表的应有现金都按它计算。");
}
inline QString notEmpty() {
    return QStringLiteral("不能为空");
}
inline QString selectRowToChange() {
    return QStringLiteral("请选择要修改的行！");
}
inline QString selectRowToDelete() {
    return QStringLiteral("请选择要删除的行！");
}
inline QString notYetAvailable() {
    return QStringLiteral("该功能尚未开放！");
}
// The sale is stored and its receipt can be printed again from the records.
inline QString savedNotPrinted() {
    return QStringLiteral("已保存，但小票没有打印！可在统计销售中用打印记录重印。");
}
// The cash drawer opens without a sale for administrators alone.
inline QString drawerAdminOnly() {
    return QStringLiteral("只有管理员才有打开钱箱的权限！");
}
// "<field>不能超过<n>个字符！"
inline QString tooLong(const QString& field, int length) {
    return QStringLiteral("%1不能超过%2个字符！").arg(field).arg(length);
}

}  // namespace tillora::sales_text
