#include "sales/new_product_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tillora {

std::optional<NewProductInput> askNewProduct(const QString& code, QWidget* owner) {
    QDialog dialog(owner);
    dialog.setWindowTitle(QStringLiteral("登记条码"));
    auto* form = new QFormLayout(&dialog);
    form->addRow(QStringLiteral("条码："), new QLabel(code, &dialog));
    auto* name = new QLineEdit(&dialog);
    name->setMaxLength(50);
    auto* price = new QLineEdit(&dialog);
    form->addRow(QStringLiteral("商品名称："), name);
    form->addRow(QStringLiteral("商品单价："), price);
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    name->setFocus();
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return NewProductInput{name->text(), price->text()};
}

}  // namespace tillora
