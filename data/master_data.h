#pragma once

#include "data/odbcdb.h"

#include <QString>

#include <vector>

namespace tillora {

struct Product {
    int id = 0;
    QString name;       // 名称
    QString unitPrice;  // 单价, text with two decimals
    QString barcode;    // 条码; empty when the product has none (or the file is older)
};

struct PaymentMethod {
    int id = 0;
    QString name;  // 方式
};

struct Customer {
    int id = 0;
    QString name;   // 姓名
    QString phone;  // 电话
};

// The exact statements on 商品名称, 付款方式 and 客户资料; user text goes through sqlText().
// LIKE patterns keep "%" and "_" typed by the user as wildcards, as the database reads them.
namespace master_sql {

QString listProducts();
// Products whose name begins with the typed text (the letter code or the word itself).
QString productsStartingWith(const QString& typed);
QString addProduct(const QString& name, const QString& unitPrice);
QString changeProduct(int id, const QString& name, const QString& unitPrice);
QString deleteProduct(int id);
// The product of exactly this barcode; none for an empty code.
QString productWithBarcode(const QString& code);
QString addProductWithBarcode(const QString& name, const QString& unitPrice, const QString& code);
QString setProductBarcode(int id, const QString& code);

QString listPaymentMethods();
QString addPaymentMethod(const QString& name);
QString changePaymentMethod(int id, const QString& name);
QString deletePaymentMethod(int id);

QString listCustomers();
QString customersNameContaining(const QString& text);
QString customersPhoneContaining(const QString& text);
QString customersNamed(const QString& name);
QString customersWithPhone(const QString& phone);
QString addCustomer(const QString& name, const QString& phone);
QString changeCustomer(int id, const QString& name, const QString& phone);
QString deleteCustomer(int id);

}  // namespace master_sql

// Rows of a list or search statement in the order the database returns them; empty when the
// statement fails (ok, when given, tells the two apart).
std::vector<Product> readProducts(ODBCDB& db, const QString& statement, bool* ok = nullptr);
std::vector<PaymentMethod> readPaymentMethods(ODBCDB& db, const QString& statement,
                                              bool* ok = nullptr);
std::vector<Customer> readCustomers(ODBCDB& db, const QString& statement, bool* ok = nullptr);

}  // namespace tillora
