// The sales entry window's barcode sales: a scan anywhere in the window, or a code typed into
// 商品名称 and ended with Enter.
#include "sales/sales_entry_window.h"

#include "data/current_user.h"
#include "data/master_changes.h"
#include "data/odbcdb.h"
#include "data/product_barcode.h"
#include "forms/form_window.h"
#include "forms/services/message_service.h"
#include "sales/amount_text.h"
#include "sales/sales_module.h"
#include "sales/sales_texts.h"
#include "values/plain_number.h"

namespace tillora {

namespace {

void hint(const QString& text) {
    showMessage(text, 0, sales_text::hint());
}

}  // namespace

bool SalesEntryWindow::scanned(const QString& typed) {
    const QString code = ProductBarcode::normalized(typed);
    // A code longer than any stored one (a scanner reading two labels at once) is no product.
    if (code.isEmpty() || code.size() > ProductBarcode::kMaxLength) {
        hint(sales_text::unknownBarcode(code));
        return false;
    }
    bool read = false;
    const std::vector<Product> found =
        readProducts(module_.database(), master_sql::productWithBarcode(code), &read);
    if (!read) {
        showMessage(sales_text::queryFailed());
        return false;
    }
    if (!found.empty()) {
        addScannedProduct(found.front());
        return true;
    }
    if (!CurrentUser::orNobody().isAdministrator()) {
        hint(sales_text::unknownBarcode(code));
        return false;
    }
    if (showMessage(sales_text::unknownBarcode(code) + sales_text::registerBarcodeQuestion(),
                    MessageFlags::YesNo | MessageFlags::IconQuestion,
                    sales_text::hint()) != MessageResult::Yes) {
        return false;
    }
    if (const std::optional<Product> product = registerCode(code)) {
        addScannedProduct(*product);
        return true;
    }
    return false;
}

std::optional<Product> SalesEntryWindow::registerCode(const QString& code) {
    if (const auto verdict = ProductBarcode::check(code); verdict != ProductBarcode::Verdict::Ok) {
        hint(ProductBarcode::problem(verdict, code));
        return std::nullopt;
    }
    const std::optional<NewProductInput> input = module_.askNewProduct(code, window_);
    if (!input) {
        return std::nullopt;
    }
    const QString name = input->name.trimmed();
    const std::optional<double> price = parsePlainAmount(input->unitPrice);
    if (name.isEmpty() || name.size() > ProductBarcode::kMaxLength || hasControlCharacter(name)) {
        hint(QStringLiteral("商品名称不能为空，也不能超过50个字符！"));
        return std::nullopt;
    }
    if (!price) {
        hint(
            QStringLiteral("商品价格只能是数字（最多两位小数，不超过 99999999.99），例如 12.50！"));
        return std::nullopt;
    }
    const Product product{0, name, amounts::toText(*price), code};
    if (!master_change::addProduct(module_.database(), product.name, product.unitPrice, code)) {
        showMessage(sales_text::addFailed());
        return std::nullopt;
    }
    products_.reload();
    return product;
}

bool SalesEntryWindow::sellTypedCode(const QString& typed) {
    const QString code = ProductBarcode::normalized(typed);
    if (ProductBarcode::check(code) != ProductBarcode::Verdict::Ok) {
        return false;  // a name, or part of one: the box goes on as usual
    }
    const std::vector<Product> found =
        readProducts(module_.database(), master_sql::productWithBarcode(code));
    if (found.empty()) {
        return false;
    }
    addScannedProduct(found.front());
    ui_.编辑框_名称.setText(QString());
    return true;
}

void SalesEntryWindow::addScannedProduct(const Product& product) {
    ReceiptModel::Entry entry{product.name, QStringLiteral("1"),
                              amounts::normalized(product.unitPrice), entryDiscount()};
    const int last = model_.size() - 1;
    // The same product scanned again: one more on its line, not a second line.
    const bool again = last >= 0 && model_.lines().back().name == product.name &&
                       cents::toText(model_.lines().back().unitPrice) == entry.unitPrice;
    if (again) {
        entry.quantity = QString::number(model_.lines().back().quantity + 1);
    }
    const ReceiptModel::Checked checked = ReceiptModel::check(entry);
    if (!checked.line) {
        hint(checked.problem);
        return;
    }
    // Selecting the line copies it into the entry boxes; what the cashier was typing stays.
    const QString name = ui_.编辑框_名称.text();
    const QString quantity = ui_.编辑框_数量.text();
    const QString price = ui_.编辑框_单价.text();
    if (again) {
        model_.replace(last, *checked.line);
        showLine(last);
        showTotals();
        ui_.超级列表框1.setCurrentIndex(last);
    } else {
        appendLine(*checked.line);
    }
    ui_.编辑框_名称.setText(name);
    ui_.编辑框_数量.setText(quantity);
    ui_.编辑框_单价.setText(price);
}

}  // namespace tillora
