#include "sales/product_entry.h"
#include "data/master_changes.h"

#include <QComboBox>
#include <QLineEdit>

#include "data/odbcdb.h"
#include "forms/form_window.h"
#include "forms/virtual_key.h"
#include "sales/amount_text.h"
#include "sales/product_lookup.h"
#include "sales/sales_module.h"

namespace tillora {

ProductEntry::ProductEntry(SalesModule& module, const SalesEntryHandles& ui, FormWindow* window)
    : module_(module), ui_(ui), window_(window) {}

void ProductEntry::setUpLookup() {
    auto* name = qobject_cast<QLineEdit*>(ui_.编辑框_名称.widget());
    auto* products = qobject_cast<QComboBox*>(ui_.组合框_名称.widget());
    if (name == nullptr || products == nullptr || lookup_ != nullptr) {
        return;
    }
    lookup_ = new ProductLookup(name, products->model(), window_->clientArea(), products->width());
    connect(lookup_, &ProductLookup::picked, this, [this](int row) {
        lookup_->close();
        choose(row);
        focus(ui_.编辑框_名称);
    });
}

void ProductEntry::focus(EditBox& entry) {
    if (auto* box = qobject_cast<QLineEdit*>(entry.widget())) {
        box->setFocus(Qt::OtherFocusReason);
        box->selectAll();
    }
}

bool ProductEntry::key(Component* box, int key) {
    if (key == virtual_key::kEscape) {
        if (box == &ui_.编辑框_名称 && lookup_ != nullptr && lookup_->isOpen()) {
            lookup_->close();
        } else {
            box->setText(QString());
        }
        return true;
    }
    if (box == &ui_.编辑框_名称) {
        if ((key == virtual_key::kDown || key == virtual_key::kUp) && lookup_ != nullptr) {
            if (!lookup_->isOpen()) {
                fill(box->text().trimmed());
            }
            lookup_->step(key == virtual_key::kDown ? 1 : -1);
            return true;
        }
        if (key != virtual_key::kEnter) {
            return false;
        }
        if (lookup_ != nullptr && lookup_->isOpen()) {
            const int row = lookup_->chosen();
            lookup_->close();
            if (row >= 0) {
                choose(row);
                return true;
            }
        }
        if (sellCode_ && sellCode_(box->text())) {
            left();
            return true;
        }
        focus(ui_.编辑框_单价);
        return true;
    }
    if (key != virtual_key::kEnter) {
        return false;
    }
    if (box == &ui_.编辑框_单价) {
        focus(ui_.编辑框_数量);
    } else if (box == &ui_.编辑框_实收) {
        if (QWidget* print = ui_.按钮_打印小票.widget()) {
            print->setFocus(Qt::OtherFocusReason);
        }
    } else {
        return false;
    }
    return true;
}

void ProductEntry::typed() {
    const QString text = ui_.编辑框_名称.text().trimmed();
    if (text == lookedUp_) {
        return;  // a key that changed nothing (arrows, Enter, Tab arriving)
    }
    fill(text);
    if (lookup_ == nullptr) {
        return;
    }
    // Only while the cashier is in the box: a key let go after the focus moved on opens nothing.
    const QWidget* box = ui_.编辑框_名称.widget();
    if (text.isEmpty() || box == nullptr || !box->hasFocus()) {
        lookup_->close();
    } else {
        lookup_->open();
    }
}

void ProductEntry::left() {
    if (lookup_ != nullptr) {
        lookup_->close();
    }
}

void ProductEntry::reload() {
    catalogue_.load(module_.database());
    fill();
}

void ProductEntry::fill(const QString& typed) {
    if (!catalogue_.loaded() && !catalogue_.load(module_.database())) {
        return;  // locked or unreadable for now: the list shown stays
    }
    products_ = catalogue_.lookup(typed);
    QStringList names;
    for (const Product& p : products_) {
        names.append(p.name);
    }
    ui_.组合框_名称.setItems(names);
    lookedUp_ = typed;
}

void ProductEntry::choose(int index) {
    if (index < 0 || index >= static_cast<int>(products_.size())) {
        return;
    }
    const Product& p = products_[static_cast<std::size_t>(index)];
    // Taken, not typed: the name's own key events must not narrow the list to it again.
    lookedUp_ = p.name;
    ui_.编辑框_名称.setText(p.name);
    ui_.编辑框_单价.setText(amounts::normalized(p.unitPrice));
}

void ProductEntry::remember(const QString& name, const QString& unitPrice) {
    // Unread products can't tell a known one from a new one: nothing is stored then.
    if ((!catalogue_.loaded() && !catalogue_.load(module_.database())) ||
        catalogue_.knows(name, unitPrice)) {
        return;
    }
    if (master_change::addProduct(module_.database(), name, unitPrice)) {
        catalogue_.add(Product{0, name, unitPrice, {}});
        fill();
    }
}

}  // namespace tillora
