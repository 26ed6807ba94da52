#pragma once

#include <QString>

// Messages and captions of the settings window and the user dialogs.
namespace tillora::settings_text {

inline QString hint() {
    return QStringLiteral("提示");
}
inline QString notYetAvailable() {
    return QStringLiteral("该功能尚未开放！");
}
// 保存设置: the shop name and note, then the whole save.
inline QString saveFailed() {
    return QStringLiteral("数据添加失败!");
}
inline QString saved() {
    return QStringLiteral("基本信息已经保存！");
}
// A tick box's write.
inline QString tickFailed() {
    return QStringLiteral("数据添加失败");
}
inline QString addFailed() {
    return QStringLiteral("数据添加失败");
}
inline QString changeFailed() {
    return QStringLiteral("数据修改失败");
}
inline QString deleteFailed() {
    return QStringLiteral("数据删除失败");
}
inline QString selectRowToChange() {
    return QStringLiteral("请选择要修改的行！");
}
inline QString selectRowToDelete() {
    return QStringLiteral("请选择要删除的行！");
}
// "<field>不能超过<n>个字符！"
inline QString tooLong(const QString& field, int length) {
    return QStringLiteral("%1不能超过%2个字符！").arg(field).arg(length);
}
// A margin or offset that the receipt could not use.
inline QString notMillimetres(const QString& field, double limit) {
    return QStringLiteral("%1只能是-%2至%2之间的数字（毫米，最多一位小数）！")
        .arg(field)
        .arg(limit);
}

inline QString productNameEmpty() {
    return QStringLiteral("商品名称不能为空！");
}
inline QString productPriceEmpty() {
    return QStringLiteral("商品价格不能为空！");
}
inline QString productPriceNotPlain() {
    return QStringLiteral("商品价格只能是数字（最多两位小数，不超过 99999999.99），例如 12.50！");
}

inline QString barcodeTaken(const QString& code, const QString& product) {
    return QStringLiteral("条码 %1 已用于商品“%2”！").arg(code, product);
}
inline QString queryFailed() {
    return QStringLiteral("查询失败！");
}

inline QString userNameEmpty() {
    return QStringLiteral("用户不能为空！");
}
inline QString passwordEmpty() {
    return QStringLiteral("密码不能为空！");
}
inline QString confirmationEmpty() {
    return QStringLiteral("请输入确认密码！");
}
inline QString permissionEmpty() {
    return QStringLiteral("请选择权限！");
}
inline QString passwordsDiffer() {
    return QStringLiteral("密码输入不一致，请重新输入！！");
}
inline QString userAddFailed() {
    return QStringLiteral("添加失败！");
}
inline QString userChanged() {
    return QStringLiteral("修改成功！下次登录生效！");
}
inline QString userChangeFailed() {
    return QStringLiteral("数据修改失败！");
}
inline QString userInUse(const QString& name) {
    return QStringLiteral("当前用户(") + name + QStringLiteral(")正在使用，无法删除！");
}
inline QString reallyDeleteUser(const QString& name) {
    return QStringLiteral("真的要删除用户 ") + name + QStringLiteral(" 吗？");
}
inline QString attention() {
    return QStringLiteral("注意");
}
inline QString lastAdministratorDelete() {
    return QStringLiteral("至少要保留一个管理员，无法删除！");
}
inline QString lastAdministratorDemote() {
    return QStringLiteral("至少要保留一个管理员，无法改为普通用户！");
}
inline QString administratorsOnly() {
    return QStringLiteral("只有管理员才有管理用户的权限！");
}
inline QString directLoginCancelled() {
    return QStringLiteral("设置成功！");
}

}  // namespace tillora::settings_text
