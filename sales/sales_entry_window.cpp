#include "sales/sales_entry_window.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QKeySequence>
#include <QLineEdit>
#include <QShortcut>
#include <QTreeWidget>

#include <algorithm>

#include "data/current_user.h"
#include "data/odbcdb.h"
#include "forms/components/list_view.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/input_mode.h"
#include "forms/services/message_service.h"
#include "forms/virtual_key.h"
#include "formset/form_ids.h"
#include "platform/clock.h"
#include "platform/version.h"
#include "sales/amount_text.h"
#include "sales/barcode_scanner.h"
#include "sales/receipt_numbering.h"
#include "sales/sales_module.h"
#include "sales/sales_texts.h"

namespace tillora {

namespace {

enum Column { IdColumn, NameColumn, QuantityColumn, PriceColumn, TotalColumn, DiscountedColumn };

// The shop name box shows this many characters at least, as the settings window advises.
constexpr int kShopNameCharacters = 16;
constexpr int kSmallestShopNamePixels = 9;

void hint(const QString& text) {
    showMessage(text, 0, sales_text::hint());
}

}  // namespace

SalesEntryWindow::SalesEntryWindow(SalesModule& module, FormWindow* window)
    : WindowLogic(window),
      module_(module),
      ui_(*window),
      products_(module, ui_, window),
      pickers_(module, ui_),
      checkout_(module, *this) {
    if (FormManager* manager = window->manager()) {
        connect(manager, &FormManager::windowClosed, this, &SalesEntryWindow::onWindowClosed);
    }
}

void SalesEntryWindow::start() {
    // The window stays from login to the end: closing it ends the program.
    if (FormManager* manager = window_->manager()) {
        manager->setMainWindow(window_);
    }
    if (readSettingsRecord(module_.database(), settings_)) {
        ui_.编辑框_店名.setText(settings_.shopName);
        ui_.编辑框_备注.setText(settings_.note);
        ui_.选择框_折扣.setChecked(SettingsRecord::isYes(settings_.discountTick));
        ui_.选择框_付款方式.setChecked(SettingsRecord::isYes(settings_.paymentMethodTick));
        ui_.选择框_客户.setChecked(SettingsRecord::isYes(settings_.customerTick));
        ui_.选择框_电话.setChecked(SettingsRecord::isYes(settings_.phoneTick));
    } else {
        showMessage(sales_text::queryFailed());
    }
    ui_.组合框_折扣.setItems(amounts::discountChoices());
    ui_.组合框_折扣.setCurrentIndex(0);
    ui_.组合框_折扣.setEnabled(ui_.选择框_折扣.isChecked());

    pickers_.fillCustomers();
    pickers_.fillPaymentMethods();
    pickers_.fillCashiers();
    products_.reload();

    const CurrentUser& user = CurrentUser::orNobody();
    window_->setWindowTitle(QStringLiteral("Tillorav" TILLORA_VERSION "          收银员：") +
                            user.userName());
    ui_.编辑框_收银员.setText(user.userName());
    cashierShown_ = user.userName();
    // Only an administrator chooses the cashier or changes the receipt number.
    const bool admin = user.isAdministrator();
    ui_.组合框_收银员.setEnabled(admin);
    const InputMode mode = admin ? InputMode::Normal : InputMode::ReadOnly;
    ui_.编辑框_收银员.setInputMode(mode);
    // Nothing to do there for an ordinary user: Tab passes it by.
    ui_.编辑框_收银员.setTabStop(admin);
    ui_.编辑框_单号.setInputMode(mode);

    pickers_.applyPaymentTick();
    showReceiptNumber();
    showTime();
    updateChange();
    fitShopName();
    setUpKeyboard();
    if (scanner_ == nullptr) {
        scanner_ = new BarcodeScanner(window_, [this](const QString& code) { scanned(code); });
        products_.setCodeSeller([this](const QString& text) { return sellTypedCode(text); });
    }
    // Before the first receipt: what became of a sale the last run could not settle.
    checkout_.settleEarlierSale();
}

// The finishing buttons answer function keys from anywhere in the window, and say so.
void SalesEntryWindow::setUpKeyboard() {
    const struct {
        Button& button;
        Qt::Key key;
        const char* keyName;
    } keys[] = {{ui_.按钮_打印预览, Qt::Key_F5, "F5"},
                {ui_.按钮_打印小票, Qt::Key_F9, "F9"},
                {ui_.按钮_仅保存小票, Qt::Key_F10, "F10"}};
    for (const auto& k : keys) {
        auto* button = qobject_cast<QAbstractButton*>(k.button.widget());
        if (button == nullptr) {
            continue;
        }
        button->setToolTip(
            QStringLiteral("%1 (%2)").arg(button->text(), QString::fromLatin1(k.keyName)));
        auto* shortcut = new QShortcut(QKeySequence(k.key), window_);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, button, [button] {
            if (button->isVisible() && button->isEnabled()) {
                button->click();
            }
        });
    }
    products_.setUpLookup();
}

// A long shop name shrinks the font until the advised number of characters fits the box.
void SalesEntryWindow::fitShopName() {
    auto* box = qobject_cast<QLineEdit*>(ui_.编辑框_店名.widget());
    if (box == nullptr) {
        return;
    }
    // The line edit keeps a small margin on each side of its text.
    const int room = box->contentsRect().width() - 8;
    const QString sample(kShopNameCharacters, QChar(0x56FD));
    QFont font = box->font();
    int pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    font.setPixelSize(pixels);
    while (pixels > kSmallestShopNamePixels &&
           QFontMetrics(font).horizontalAdvance(sample) > room) {
        font.setPixelSize(--pixels);
    }
    box->setFont(font);
}

bool SalesEntryWindow::entryKey(Component* box, int key) {
    if (box == &ui_.编辑框_数量 && key == virtual_key::kEnter) {
        addLine();
        return true;
    }
    return products_.key(box, key);
}

void SalesEntryWindow::settingsChanged() {
    SettingsRecord fresh;
    if (readSettingsRecord(module_.database(), fresh)) {
        // A note the cashier typed for this receipt stays; one left as stored follows the store.
        if (ui_.编辑框_备注.text() == settings_.note) {
            ui_.编辑框_备注.setText(fresh.note);
        }
        settings_ = std::move(fresh);
        ui_.编辑框_店名.setText(settings_.shopName);
    }
    products_.reload();
    pickers_.fillCashiers();
}

void SalesEntryWindow::showReceiptNumber(const QString& given) {
    const QString next = given.isEmpty() ? ReceiptNumbering(module_.database()).next() : given;
    if (next.isEmpty()) {
        return;  // can't be read now; the number is taken anew when the sale is stored
    }
    proposedNumber_ = next;
    ui_.编辑框_单号.setText(next);
}

void SalesEntryWindow::showNumber(const QString& number) {
    ui_.编辑框_单号.setText(number);
}

bool SalesEntryWindow::numberTyped() const {
    return ui_.编辑框_单号.text() != proposedNumber_;
}

void SalesEntryWindow::showTime() {
    ui_.编辑框_时间.setText(Clock::now().toString(QStringLiteral("yyyy-MM-dd  HH:mm:ss")));
}

std::optional<SaleLine> SalesEntryWindow::lineFromEntry() {
    const ReceiptModel::Entry entry{ui_.编辑框_名称.text(), ui_.编辑框_数量.text(),
                                    ui_.编辑框_单价.text(), entryDiscount()};
    ReceiptModel::Checked checked = ReceiptModel::check(entry);
    if (!checked.line) {
        hint(checked.problem);
    }
    return checked.line;
}

void SalesEntryWindow::showLine(int row) {
    const ReceiptLine line = ReceiptModel::lineText(row, model_.lines()[static_cast<size_t>(row)]);
    ListView& l = ui_.超级列表框1;
    l.setCell(row, IdColumn, line.id);
    l.setCell(row, NameColumn, line.name);
    l.setCell(row, QuantityColumn, line.quantity);
    l.setCell(row, PriceColumn, line.unitPrice);
    l.setCell(row, TotalColumn, line.lineTotal);
    l.setCell(row, DiscountedColumn, line.discountedTotal);
}

void SalesEntryWindow::showTotals() {
    ui_.标签_总量.setText(QString::number(model_.totalQuantity()));
    ui_.标签_总金额.setText(cents::toText(model_.totalAmount()));
    ui_.标签_打折后.setText(cents::toText(model_.discountedTotal()));
    updateChange();
}

std::optional<QString> SalesEntryWindow::entryDiscount() const {
    if (ui_.选择框_折扣.isChecked()) {
        return ui_.组合框_折扣.text();
    }
    return std::nullopt;
}

void SalesEntryWindow::appendLine(const SaleLine& line) {
    ListView& l = ui_.超级列表框1;
    const int row = model_.add(line);
    receiptFinished_ = false;
    l.addRow({QString::number(row + 1)});
    showLine(row);
    showTotals();
    // The new line is the selected one and in sight.
    l.setCurrentIndex(row);
    if (QTreeWidget* tree = l.tree()) {
        tree->scrollToItem(tree->topLevelItem(row));
    }
}

void SalesEntryWindow::addLine() {
    const std::optional<SaleLine> line = lineFromEntry();
    if (!line) {
        return;
    }
    appendLine(*line);
    // The next line starts from a fresh price and quantity (selecting copies the line into the
    // entry boxes first), with the name ready to be typed over.
    ui_.编辑框_单价.setText(QStringLiteral("0.00"));
    ui_.编辑框_数量.setText(QStringLiteral("1"));
    ProductEntry::focus(ui_.编辑框_名称);
}

void SalesEntryWindow::changeLine() {
    const int row = ui_.超级列表框1.currentIndex();
    if (row < 0 || row >= model_.size()) {
        hint(sales_text::selectRowToChange());
        return;
    }
    if (const std::optional<SaleLine> line = lineFromEntry()) {
        model_.replace(row, *line);
        showLine(row);
        showTotals();
    }
}

void SalesEntryWindow::deleteLine() {
    ListView& l = ui_.超级列表框1;
    const int row = l.currentIndex();
    if (!model_.remove(row)) {
        hint(sales_text::selectRowToDelete());
        return;
    }
    l.removeRow(row);
    for (int r = row; r < model_.size(); ++r) {
        l.setCell(r, IdColumn, QString::number(r + 1));
    }
    // The line now in its place is selected, so that Delete pressed again takes it next.
    if (!model_.isEmpty()) {
        l.setCurrentIndex(std::min(row, model_.size() - 1));
    }
    showTotals();
}

bool SalesEntryWindow::listKey(int key, int state) {
    if (key != virtual_key::kDelete || state != 0) {
        return false;
    }
    deleteLine();
    return true;
}

void SalesEntryWindow::copyRowToEntry(int row) {
    if (row < 0 || row >= model_.size()) {
        return;
    }
    const ReceiptLine line = ReceiptModel::lineText(row, model_.lines()[static_cast<size_t>(row)]);
    ui_.编辑框_名称.setText(line.name);
    ui_.编辑框_数量.setText(line.quantity);
    ui_.编辑框_单价.setText(line.unitPrice);
}

QString SalesEntryWindow::paymentMethod() const {
    return ui_.选择框_付款方式.isChecked() ? ui_.编辑框_付款方式.text() : SalePickers::cash();
}

void SalesEntryWindow::updateChange() {
    model_.setCashReceived(ui_.编辑框_实收.text());
    model_.setPaymentMethod(paymentMethod());
    // No change is shown for cash that is not a plain amount, rather than a wrong one.
    const std::optional<Cents> change = model_.change();
    ui_.编辑框_找零.setText(change ? cents::toText(*change) : QString());
}

Receipt SalesEntryWindow::currentReceipt() {
    model_.setCashReceived(ui_.编辑框_实收.text());
    model_.setHeader({ui_.编辑框_单号.text(), ui_.编辑框_时间.text(), ui_.编辑框_收银员.text(),
                      paymentMethod(), ui_.编辑框_备注.text(),
                      ui_.选择框_客户.isChecked() ? ui_.编辑框_客户.text() : QString(),
                      ui_.选择框_电话.isChecked() ? ui_.编辑框_电话.text() : QString()});
    return model_.receipt();
}

void SalesEntryWindow::startNextReceipt(const QString& next) {
    // Only the products of a finished receipt are remembered: a line keyed by mistake and taken
    // off again leaves no product behind, nor does a gift at 0.00 leave its price.
    if (module_.remembersProducts()) {
        for (const SaleLine& line : model_.lines()) {
            if (line.unitPrice > 0) {
                products_.remember(line.name, cents::toText(line.unitPrice));
            }
        }
    }
    model_.clear();
    receiptFinished_ = true;
    ui_.超级列表框1.clearRows();
    ui_.编辑框_实收.setText(QString());
    showTotals();
    ui_.编辑框_名称.setText(QString());
    ui_.编辑框_单价.setText(QStringLiteral("0.00"));
    ui_.编辑框_数量.setText(QStringLiteral("1"));
    // A cashier an administrator chose served this sale only.
    ui_.编辑框_收银员.setText(CurrentUser::orNobody().userName());
    cashierShown_ = ui_.编辑框_收银员.text();
    showReceiptNumber(next);
}

bool SalesEntryWindow::cashierAccepted() {
    const QString typed = ui_.编辑框_收银员.text();
    if (pickers_.isCashier(typed)) {
        cashierShown_ = typed;
        return true;
    }
    // Sales are never filed under a name that is no user: the box goes back to the cashier it
    // showed before.
    ui_.编辑框_收银员.setText(cashierShown_);
    hint(QStringLiteral("收银员 %1 不是本店用户，请从列表中选择！").arg(typed.trimmed()));
    // Given back once the box that was left has finished losing the focus (it drops the
    // selection as it goes).
    QMetaObject::invokeMethod(
        this, [this] { ProductEntry::focus(ui_.编辑框_收银员); }, Qt::QueuedConnection);
    return false;
}

void SalesEntryWindow::mend(EditBox& box) {
    mending_ = &box;
    ProductEntry::focus(box);
}

void SalesEntryWindow::finished() {
    EditBox* box = mending_ != nullptr ? mending_ : &ui_.编辑框_名称;
    mending_ = nullptr;
    // The print's progress window took the activation with it when it closed; the keys the
    // cashier types next belong here.
    if (!window_->isActiveWindow()) {
        window_->activateWindow();
    }
    ProductEntry::focus(*box);
}

void SalesEntryWindow::print() {
    mending_ = nullptr;
    checkout_.print();
    finished();
}

void SalesEntryWindow::preview() {
    if (model_.isEmpty()) {
        hint(QStringLiteral("没有可以预览的数据！"));
    } else if (module_.previewHandler()) {
        module_.previewHandler()(*this, currentReceipt());
    } else {
        hint(sales_text::notYetAvailable());
    }
}

void SalesEntryWindow::saveOnly() {
    mending_ = nullptr;
    if (!model_.isEmpty()) {
        checkout_.record();
    } else if (!receiptFinished_) {
        // F10 pressed twice at once stored the sale with the first press: nothing to say to the
        // second.
        hint(QStringLiteral("没有可以保存的数据！"));
    }
    finished();
}

bool SalesEntryWindow::mayClose() {
    if (!model_.isEmpty() &&
        showMessage(QStringLiteral("当前小票尚未保存，确定退出吗？"),
                    MessageFlags::YesNo | MessageFlags::IconQuestion) != MessageResult::Yes) {
        return false;
    }
    checkout_.tellUnsettledAtClose();
    return true;
}

void SalesEntryWindow::onWindowClosed(qint32 windowId) {
    switch (static_cast<FormId>(windowId)) {
        case FormId::PaymentMethods:
            pickers_.fillPaymentMethods();
            pickers_.applyPaymentTick();
            break;
        case FormId::Customers:
            pickers_.fillCustomers();
            break;
        case FormId::Preview:
            // Back to the sale the preview showed, whatever the window manager picks next.
            if (!window_->isDestroying()) {
                window_->activateWindow();
            }
            break;
        case FormId::ReceiptNumberFormat:
            if (model_.isEmpty()) {
                showReceiptNumber();
            }
            break;
        default:
            break;
    }
}

}  // namespace tillora
