#include "records/sale_details_window.h"

#include <QLabel>

#include <cmath>

#include "data/current_user.h"
#include "data/odbcdb.h"
#include "forms/component.h"
#include "forms/components/combo_box.h"
#include "forms/components/list_view.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/services/message_service.h"
#include "platform/clock.h"
#include "records/records_module.h"
#include "records/records_texts.h"
#include "records/sale_editor.h"
#include "records/spreadsheet_export.h"
#include "sales/amount_text.h"
#include "sales/receipt.h"
#include "sales/sale_recorder.h"
#include "sales/sales_texts.h"
#include "sales/typed_line.h"
#include "values/value_format.h"

namespace tillora {

namespace {

void hint(const QString& text) {
    showMessage(text, 0, sales_text::hint());
}

// A change that failed was rolled back whole, so the lines shown are still what is stored.
void tellFailure(const SaleEditor& editor, const QString& message) {
    if (editor.lastFault() == DbFault::Locked) {
        hint(records_text::databaseBusy());
    } else {
        showMessage(message);
    }
}

}  // namespace

SaleDetailsWindow::SaleDetailsWindow(RecordsModule& module, FormWindow* window, int saleId)
    : WindowLogic(window), module_(module), ui_(*window), saleId_(saleId) {}

ListView* SaleDetailsWindow::list() const {
    return &ui_.超级列表框1;
}

void SaleDetailsWindow::start() {
    // Enter in an edit box stores the line being edited.
    window_->setDefaultButton(&ui_.按钮_修改);
    ComboBox& discounts = ui_.组合框_折扣;
    discounts.setItems(amounts::discountChoices());
    discounts.setCurrentIndex(0);
    ui_.编辑框_折扣.setText(discounts.text());
    // A new line carries the sale's note, as the lines recorded with it do.
    ODBCDB& db = module_.database();
    const int h = db.OpenTable(sale_sql::saleById(saleId_));
    if (h != 0 && !db.IsEOF(h)) {
        ui_.编辑框_备注.setText(db.ReadColByName(h, QStringLiteral("备注")).toText().trimmed());
    }
    db.CloseTable(h);
    fill();
}

void SaleDetailsWindow::showPayment() {
    const std::optional<StoredPayment> paid = StoredPayment::read(module_.database(), saleId_);
    ui_.标签_付款.setText(
        paid ? QStringLiteral("付款方式：%1    实收现金：%2    找零：%3")
                   .arg(paid->method, cents::toText(paid->received), cents::toText(paid->change))
             : QString());
    if (auto* label = qobject_cast<QLabel*>(ui_.标签_付款.widget())) {
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText,
                     paid && paid->change < 0 ? QColor(Qt::red) : QColor(Qt::black));
        label->setPalette(pal);
    }
}

bool SaleDetailsWindow::paymentKept(int without, const QString& added) const {
    const std::optional<StoredPayment> paid = StoredPayment::read(module_.database(), saleId_);
    if (!paid) {
        return true;
    }
    const auto toCents = [](const QString& text) {
        return static_cast<Cents>(std::llround(amounts::fromText(text) * 100.0));
    };
    Cents total = toCents(added);
    for (int row = 0; row < static_cast<int>(lines_.size()); ++row) {
        if (row != without) {
            total += toCents(lines_[static_cast<std::size_t>(row)].discounted);
        }
    }
    const Payment after = paid->settle(total);
    if (!after.isShort()) {
        return true;
    }
    return showMessage(
               QStringLiteral("修改后折后总额 %1，实收现金 %2，少收 %3。确定修改吗？")
                   .arg(cents::toText(total), cents::toText(after.received),
                        cents::toText(-after.change)),
               MessageFlags::YesNo | MessageFlags::IconQuestion | MessageFlags::DefaultButton2,
               sales_text::hint()) == MessageResult::Yes;
}

void SaleDetailsWindow::fill() {
    ODBCDB& db = module_.database();
    bool ok = false;
    std::vector<SaleLineRow> lines = SaleLineRow::read(db, saleId_, &ok);
    // The lines shown stay while another program holds the file: they are still what is stored.
    if (!ok && db.lastFault() == DbFault::Locked) {
        hint(records_text::databaseBusy());
        return;
    }
    lines_ = std::move(lines);
    ListView* l = list();
    l->clearRows();
    QList<QStringList> cells;
    for (const SaleLineRow& line : lines_) {
        cells.append(line.cells());
    }
    l->addRows(cells);
    showPayment();
    if (!ok) {
        showMessage(sales_text::queryFailed());
    }
}

int SaleDetailsWindow::selectedLineId() const {
    return shownRowId(lines_, list()->currentIndex());
}

void SaleDetailsWindow::rowChanged(int row) {
    if (row < 0 || row >= static_cast<int>(lines_.size())) {
        return;
    }
    const SaleLineRow& line = lines_[static_cast<std::size_t>(row)];
    ui_.编辑框_名称.setText(line.name);
    ui_.编辑框_数量.setText(line.quantity);
    ui_.编辑框_单价.setText(line.unitPrice);
    // Lines keep no discount of their own; without it in the edit row a change would store the
    // line at full price.
    const std::optional<double> discount = storedDiscount(line);
    ui_.选择框_折扣.setChecked(discount.has_value());
    const QString text = amounts::discountText(discount.value_or(10.0));
    ComboBox& discounts = ui_.组合框_折扣;
    discounts.setCurrentIndex(static_cast<int>(discounts.items().indexOf(text)));
    ui_.编辑框_折扣.setText(text);
    discountTicked();
}

std::optional<double> SaleDetailsWindow::storedDiscount(const SaleLineRow& line) {
    const double amount = amounts::fromText(line.amount);
    const double discounted = amounts::fromText(line.discounted);
    if (amount == 0.0) {
        return std::nullopt;
    }
    const double tenths = roundTo(discounted / amount * 10.0, 1);
    if (tenths == 10.0) {
        return std::nullopt;
    }
    return tenths;
}

void SaleDetailsWindow::discountTicked() {
    const bool on = ui_.选择框_折扣.isChecked();
    ui_.组合框_折扣.setEnabled(on);
    ui_.编辑框_折扣.setEnabled(on);
}

void SaleDetailsWindow::discountChosen(int index) {
    const QStringList items = ui_.组合框_折扣.items();
    if (index >= 0 && index < items.size()) {
        ui_.编辑框_折扣.setText(items.at(index));
    }
}

bool SaleDetailsWindow::lineFromEntry(ReceiptLine& line) const {
    if (ui_.编辑框_单价.text().trimmed().isEmpty()) {
        hint(records_text::emptyUnitPrice());
        return false;
    }
    TypedLine typed{ui_.编辑框_名称.text(), ui_.编辑框_数量.text(), ui_.编辑框_单价.text(), {}};
    if (ui_.选择框_折扣.isChecked()) {
        typed.discount = ui_.编辑框_折扣.text();
    }
    const std::optional<ReceiptLine> checked = typed.checked();
    if (!checked) {
        return false;
    }
    line = *checked;
    return true;
}

bool SaleDetailsWindow::mayChange(const QString& refusal) const {
    if (CurrentUser::orNobody().isAdministrator()) {
        return true;
    }
    showMessage(refusal);
    return false;
}

void SaleDetailsWindow::add() {
    if (!mayChange(records_text::changeAdministratorsOnly())) {
        return;
    }
    ReceiptLine line;
    if (!lineFromEntry(line) || !paymentKept(-1, line.discountedTotal)) {
        return;
    }
    QString remark = ui_.编辑框_备注.text();
    remark.remove(QLatin1Char('\r'));
    remark.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    SaleEditor editor(module_.database(), saleId_);
    if (!editor.addLine(line, remark)) {
        tellFailure(editor, sales_text::addFailed());
        return;
    }
    fill();
    list()->setCurrentIndex(list()->rowCount() - 1);
}

void SaleDetailsWindow::change() {
    if (!mayChange(records_text::changeAdministratorsOnly())) {
        return;
    }
    const int row = list()->currentIndex();
    const int id = selectedLineId();
    if (id == 0) {
        hint(sales_text::selectRowToChange());
        return;
    }
    ReceiptLine line;
    if (!lineFromEntry(line) || !paymentKept(row, line.discountedTotal)) {
        return;
    }
    SaleEditor editor(module_.database(), saleId_);
    if (!editor.changeLine(id, line)) {
        tellFailure(editor, sales_text::changeFailed());
        return;
    }
    fill();
    list()->setCurrentIndex(row);
}

void SaleDetailsWindow::remove() {
    if (!mayChange(records_text::administratorsOnly())) {
        return;
    }
    const int row = list()->currentIndex();
    const int id = selectedLineId();
    if (id == 0) {
        hint(sales_text::selectRowToDelete());
        return;
    }
    // As with a whole sale: one stray click must not take a line off a stored sale.
    const QString name = lines_[static_cast<std::size_t>(row)].name;
    if (showMessage(records_text::confirmDeleteLine(name),
                    MessageFlags::YesNo | MessageFlags::IconQuestion | MessageFlags::DefaultButton2,
                    sales_text::hint()) != MessageResult::Yes ||
        !paymentKept(row, QString())) {
        return;
    }
    SaleEditor editor(module_.database(), saleId_);
    if (!editor.deleteLine(id)) {
        tellFailure(editor, sales_text::deleteFailed());
        return;
    }
    fill();
    if (list()->rowCount() > 0) {
        list()->setCurrentIndex(std::min(row, list()->rowCount() - 1));
    }
}

void SaleDetailsWindow::exportLines() {
    SpreadsheetExportOptions options;
    options.suggestedName = exportName(QStringLiteral("销售详情"), Clock::now().date());
    exportToSpreadsheet(window_, *list(), options);
}

void SaleDetailsWindow::close() {
    if (FormManager* manager = window_->manager()) {
        manager->close(window_->windowId());
    }
}

SpreadsheetTable SaleDetailsWindow::shownList() const {
    return listViewTable(*list());
}

}  // namespace tillora
