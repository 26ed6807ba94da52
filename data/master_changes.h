#pragma once

#include "data/master_data.h"
#include "data/user_accounts.h"

#include <QString>

#include <optional>

namespace tillora {

// Changes to 商品名称, 付款方式, 客户资料 and 用户登录, each stored together with its row of
// 操作记录 in one transaction: false when nothing was stored.
namespace master_change {

bool addProduct(ODBCDB& db, const QString& name, const QString& unitPrice,
                const QString& barcode = {});
// The barcode is set only when given, so a file that can't keep codes still changes the rest.
bool changeProduct(ODBCDB& db, int id, const QString& name, const QString& unitPrice,
                   const std::optional<QString>& barcode = std::nullopt);
bool deleteProduct(ODBCDB& db, int id);

bool addPaymentMethod(ODBCDB& db, const QString& name);
bool changePaymentMethod(ODBCDB& db, int id, const QString& name);
bool deletePaymentMethod(ODBCDB& db, int id);

bool addCustomer(ODBCDB& db, const QString& name, const QString& phone);
bool changeCustomer(ODBCDB& db, int id, const QString& name, const QString& phone);
bool deleteCustomer(ODBCDB& db, int id);

// The trail tells that a password was changed, never the password or its digest.
bool addUser(ODBCDB& db, const QString& name, const QString& permission, const QString& digest);
bool changeUser(ODBCDB& db, const UserAccount& before, const QString& name, const QString& digest,
                const QString& permission);
bool deleteUser(ODBCDB& db, const UserAccount& user);

}  // namespace master_change

// The payment method the drawer and the day report's cash depend on: never deleted or renamed.
QString cashPaymentMethod();
bool isCashPaymentMethod(const QString& name);

}  // namespace tillora
