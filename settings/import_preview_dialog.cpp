#include "settings/import_preview_dialog.h"

#include "settings/product_import.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tillora {

bool confirmProductImport(const ProductImport& plan, QWidget* owner) {
    QDialog dialog(owner);
    dialog.setWindowTitle(QStringLiteral("导入商品"));
    dialog.resize(640, 480);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(
        new QLabel(plan.summary() + QStringLiteral("。按“确定”保存新增和修改的行。"), &dialog));
    auto* rows = new QTreeWidget(&dialog);
    rows->setRootIsDecorated(false);
    rows->setUniformRowHeights(true);
    rows->setHeaderLabels({QStringLiteral("行"), QStringLiteral("处理"), QStringLiteral("名称"),
                           QStringLiteral("单价"), QStringLiteral("条码"), QStringLiteral("原因")});
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(plan.rows().size()));
    for (const ProductImport::Row& r : plan.rows()) {
        items << new QTreeWidgetItem(QStringList{QString::number(r.line),
                                                 ProductImport::actionText(r.action), r.name,
                                                 r.unitPrice, r.barcode, r.reason});
    }
    rows->addTopLevelItems(items);
    rows->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(rows);
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    ok->setEnabled(
        plan.count(ProductImport::Action::Add) + plan.count(ProductImport::Action::Change) > 0);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace tillora
