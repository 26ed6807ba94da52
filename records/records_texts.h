#pragma once

#include <QString>

// Messages of the sales records, query and details windows.
namespace tillora::records_text {

inline QString emptyNumber() {
    return QStringLiteral("内容不能为空！");
}
inline QString administratorsOnly() {
    return QStringLiteral("只有管理员才有删除权限！");
}
inline QString changeAdministratorsOnly() {
    return QStringLiteral("只有管理员才有修改权限！");
}
inline QString initialiseAdministratorsOnly() {
    return QStringLiteral("只有管理员才有初始化数据的权限！");
}
inline QString trailAdministratorsOnly() {
    return QStringLiteral("只有管理员才有查看操作记录的权限！");
}
inline QString emptyUnitPrice() {
    return QStringLiteral("单价不能为空！");
}
inline QString confirmDelete(const QString& number) {
    return QStringLiteral("确定删除销售记录 ") + number + QStringLiteral(" 吗？");
}
inline QString confirmDeleteLine(const QString& name) {
    return QStringLiteral("确定删除商品 ") + name + QStringLiteral(" 吗？");
}
inline QString askInitialise() {
    return QStringLiteral("确定初始化吗,并备份数据吗 ？");
}
inline QString backupFailed() {
    return QStringLiteral("保存失败！");
}
inline QString initialised() {
    return QStringLiteral("初始化完成，并已备份！");
}
inline QString initialiseFailed() {
    return QStringLiteral("初始化错误！");
}
inline QString databaseBusy() {
    return QStringLiteral("数据库正忙，请稍后再试！");
}
inline QString selectSale() {
    return QStringLiteral("请选择一条销售记录！");
}

}  // namespace tillora::records_text
