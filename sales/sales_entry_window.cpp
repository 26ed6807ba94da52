#include "sales/sales_entry_window.h"

#include <QApplication>
#include <QScopedValueRollback>

#include "data/current_user.h"
#include "data/odbcdb.h"
#include "data/sql_text.h"
#include "forms/component.h"
#include "forms/components/combo_box.h"
#include "forms/components/list_view.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/input_mode.h"
#include "forms/services/message_service.h"
#include "formset/form_ids.h"
#include "platform/clock.h"
#include "platform/version.h"
#include "sales/amount_text.h"
#include "sales/product_lookup.h"
#include "sales/receipt_numbering.h"
#include "sales/sale_recorder.h"
#include "sales/sales_module.h"
#include "sales/sales_texts.h"
#include "sales/typed_line.h"
#include "values/value_format.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFontMetrics>
#include <QKeySequence>
#include <QLineEdit>
#include <QShortcut>
#include <QTreeWidget>

namespace tillora {

namespace {

enum Column { IdColumn, NameColumn, QuantityColumn, PriceColumn, TotalColumn, DiscountedColumn };

// Virtual-key codes as the key events carry them.
constexpr int kEnterKey = 0x0D;
constexpr int kEscapeKey = 0x1B;
constexpr int kUpKey = 0x26;
constexpr int kDownKey = 0x28;

// The shop name box shows this many characters at least, as the settings window advises.
constexpr int kShopNameCharacters = 16;
constexpr int kSmallestShopNamePixels = 9;

QString cash() {
    return QStringLiteral("现金");
}

void hint(const QString& text) {
    showMessage(text, 0, sales_text::hint());
}

QString cashNotPlain() {
    return QStringLiteral("实收只能是数字（最多两位小数，不超过 99999999.99），例如 100！");
}

// The busy cursor while a save waits for the database.
struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

SalesEntryWindow::SalesEntryWindow(SalesModule& module, FormWindow* window)
    : QObject(window), module_(module), window_(window), ui_(*window) {
    setObjectName(QStringLiteral("salesEntryLogic"));
    if (FormManager* manager = window->manager()) {
        connect(manager, &FormManager::windowClosed, this, &SalesEntryWindow::onWindowClosed);
    }
}

SalesEntryWindow* SalesEntryWindow::of(FormWindow* window) {
    return window != nullptr ? window->findChild<SalesEntryWindow*>(
                                   QStringLiteral("salesEntryLogic"), Qt::FindDirectChildrenOnly)
                             : nullptr;
}

ListView& SalesEntryWindow::list() const {
    return ui_.超级列表框1;
}

void SalesEntryWindow::start() {
    // The window stays from login to the end: closing it ends the program.
    if (FormManager* manager = window_->manager()) {
        manager->setMainWindow(window_);
    }
    ODBCDB& db = module_.database();
    if (readSettingsRecord(db, settings_)) {
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

    fillCustomers();
    fillPaymentMethods();
    fillCashiers();
    catalogue_.load(db);
    fillProducts();

    const CurrentUser& user = CurrentUser::orNobody();
    window_->setWindowTitle(QStringLiteral("Tillorav" TILLORA_VERSION "          收银员：") +
                            user.userName());
    ui_.编辑框_收银员.setText(user.userName());
    // Only an administrator chooses the cashier or changes the receipt number.
    const bool admin = user.isAdministrator();
    ui_.组合框_收银员.setEnabled(admin);
    const InputMode mode = admin ? InputMode::Normal : InputMode::ReadOnly;
    ui_.编辑框_收银员.setInputMode(mode);
    // Nothing to do there for an ordinary user: Tab passes it by.
    ui_.编辑框_收银员.setTabStop(admin);
    ui_.编辑框_单号.setInputMode(mode);

    applyPaymentTick();
    showReceiptNumber();
    showTime();
    updateChange();
    fitShopName();
    setUpKeyboard();
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
    auto* name = qobject_cast<QLineEdit*>(ui_.编辑框_名称.widget());
    auto* products = qobject_cast<QComboBox*>(ui_.组合框_名称.widget());
    if (name != nullptr && products != nullptr && lookup_ == nullptr) {
        lookup_ =
            new ProductLookup(name, products->model(), window_->clientArea(), products->width());
        connect(lookup_, &ProductLookup::picked, this, [this](int row) {
            lookup_->close();
            chooseProduct(row);
            focusEntry(ui_.编辑框_名称);
        });
    }
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

void SalesEntryWindow::focusEntry(EditBox& entry) {
    if (auto* box = qobject_cast<QLineEdit*>(entry.widget())) {
        box->setFocus(Qt::OtherFocusReason);
        box->selectAll();
    }
}

bool SalesEntryWindow::entryKey(Component* box, int key) {
    if (key == kEscapeKey) {
        if (box == &ui_.编辑框_名称 && lookup_ != nullptr && lookup_->isOpen()) {
            lookup_->close();
        } else {
            box->setText(QString());
        }
        return true;
    }
    if (box == &ui_.编辑框_名称) {
        if ((key == kDownKey || key == kUpKey) && lookup_ != nullptr) {
            if (!lookup_->isOpen()) {
                fillProducts(box->text().trimmed());
            }
            lookup_->step(key == kDownKey ? 1 : -1);
            return true;
        }
        if (key != kEnterKey) {
            return false;
        }
        if (lookup_ != nullptr && lookup_->isOpen()) {
            const int row = lookup_->chosen();
            lookup_->close();
            if (row >= 0) {
                chooseProduct(row);
                return true;
            }
        }
        focusEntry(ui_.编辑框_单价);
        return true;
    }
    if (key != kEnterKey) {
        return false;
    }
    if (box == &ui_.编辑框_单价) {
        focusEntry(ui_.编辑框_数量);
    } else if (box == &ui_.编辑框_数量) {
        addLine();
    } else if (box == &ui_.编辑框_实收) {
        if (QWidget* print = ui_.按钮_打印小票.widget()) {
            print->setFocus(Qt::OtherFocusReason);
        }
    } else {
        return false;
    }
    return true;
}

void SalesEntryWindow::productTyped() {
    const QString typed = ui_.编辑框_名称.text().trimmed();
    if (typed == lookedUp_) {
        return;  // a key that changed nothing (arrows, Enter, Tab arriving)
    }
    fillProducts(typed);
    if (lookup_ == nullptr) {
        return;
    }
    // Only while the cashier is in the box: a key let go after the focus moved on opens nothing.
    const QWidget* box = ui_.编辑框_名称.widget();
    if (typed.isEmpty() || box == nullptr || !box->hasFocus()) {
        lookup_->close();
    } else {
        lookup_->open();
    }
}

void SalesEntryWindow::productLeft() {
    if (lookup_ != nullptr) {
        lookup_->close();
    }
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
    catalogue_.load(module_.database());
    fillProducts();
    fillCashiers();
}

void SalesEntryWindow::fillProducts(const QString& typed) {
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

void SalesEntryWindow::fillPaymentMethods() {
    paymentMethods_ = readPaymentMethods(module_.database(), master_sql::listPaymentMethods());
    QStringList names;
    for (const PaymentMethod& m : paymentMethods_) {
        names.append(m.name);
    }
    ui_.组合框_付款方式.setItems(names);
}

void SalesEntryWindow::fillCustomers() {
    customers_ = readCustomers(module_.database(), master_sql::listCustomers());
    QStringList names, phones;
    for (const Customer& cu : customers_) {
        names.append(cu.name);
        phones.append(cu.phone);
    }
    ui_.组合框_客户.setItems(names);
    ui_.组合框_电话.setItems(phones);
}

void SalesEntryWindow::fillCashiers() {
    ODBCDB& db = module_.database();
    cashiers_.clear();
    const int h = db.OpenTable(QStringLiteral("select * from 用户登录"));
    if (h != 0) {
        for (; !db.IsEOF(h); db.MoveNext(h)) {
            cashiers_.append(db.ReadColByName(h, QStringLiteral("用户名")).toText());
        }
        db.CloseTable(h);
    }
    ui_.组合框_收银员.setItems(cashiers_);
}

void SalesEntryWindow::showReceiptNumber(const QString& given) {
    const QString next = given.isEmpty() ? ReceiptNumbering(module_.database()).next() : given;
    if (next.isEmpty()) {
        return;  // can't be read now; the number is taken anew when the sale is stored
    }
    proposedNumber_ = next;
    ui_.编辑框_单号.setText(next);
}

void SalesEntryWindow::showTime() {
    ui_.编辑框_时间.setText(Clock::now().toString(QStringLiteral("yyyy-MM-dd  HH:mm:ss")));
}

void SalesEntryWindow::chooseProduct(int index) {
    if (index < 0 || index >= static_cast<int>(products_.size())) {
        return;
    }
    const Product& p = products_[static_cast<std::size_t>(index)];
    // Taken, not typed: the name's own key events must not narrow the list to it again.
    lookedUp_ = p.name;
    ui_.编辑框_名称.setText(p.name);
    ui_.编辑框_单价.setText(amounts::normalized(p.unitPrice));
}

SalesEntryWindow::EntryLine SalesEntryWindow::lineFromEntry() {
    TypedLine typed{ui_.编辑框_名称.text(), ui_.编辑框_数量.text(), ui_.编辑框_单价.text(), {}};
    if (ui_.选择框_折扣.isChecked()) {
        typed.discount = ui_.组合框_折扣.text();
    }
    EntryLine entry;
    if (const std::optional<ReceiptLine> line = typed.checked()) {
        entry.line = *line;
        entry.ok = true;
    }
    return entry;
}

void SalesEntryWindow::setRow(int row, const ReceiptLine& line) {
    ListView& l = list();
    l.setCell(row, NameColumn, line.name);
    l.setCell(row, QuantityColumn, line.quantity);
    l.setCell(row, PriceColumn, line.unitPrice);
    l.setCell(row, TotalColumn, line.lineTotal);
    l.setCell(row, DiscountedColumn, line.discountedTotal);
}

void SalesEntryWindow::renumber() {
    ListView& l = list();
    for (int row = 0; row < l.rowCount(); ++row) {
        l.setCell(row, IdColumn, QString::number(row + 1));
    }
}

void SalesEntryWindow::addLine() {
    const EntryLine entry = lineFromEntry();
    if (!entry.ok) {
        return;
    }
    ListView& l = list();
    const int row = l.addRow({QString::number(l.rowCount() + 1)});
    setRow(row, entry.line);
    recomputeTotals();
    if (module_.remembersProducts()) {
        rememberProduct(entry.line.name, entry.line.unitPrice);
    }
    // The new line is the selected one and in sight; the next line starts from a fresh price and
    // quantity (selecting copies the line into the entry boxes first), with the name ready to be
    // typed over.
    l.setCurrentIndex(row);
    if (QTreeWidget* tree = l.tree()) {
        tree->scrollToItem(tree->topLevelItem(row));
    }
    ui_.编辑框_单价.setText(QStringLiteral("0.00"));
    ui_.编辑框_数量.setText(QStringLiteral("1"));
    focusEntry(ui_.编辑框_名称);
}

void SalesEntryWindow::changeLine() {
    ListView& l = list();
    const int row = l.currentIndex();
    if (row < 0) {
        hint(sales_text::selectRowToChange());
        return;
    }
    const EntryLine entry = lineFromEntry();
    if (!entry.ok) {
        return;
    }
    setRow(row, entry.line);
    recomputeTotals();
}

void SalesEntryWindow::deleteLine() {
    ListView& l = list();
    const int row = l.currentIndex();
    if (row < 0) {
        hint(sales_text::selectRowToDelete());
        return;
    }
    l.removeRow(row);
    renumber();
    recomputeTotals();
}

void SalesEntryWindow::copyRowToEntry(int row) {
    ListView& l = list();
    if (row < 0 || row >= l.rowCount()) {
        return;
    }
    ui_.编辑框_名称.setText(l.cell(row, NameColumn));
    ui_.编辑框_数量.setText(l.cell(row, QuantityColumn));
    ui_.编辑框_单价.setText(l.cell(row, PriceColumn));
}

// The product is offered next time; a name already remembered at this price is not stored again.
void SalesEntryWindow::rememberProduct(const QString& name, const QString& unitPrice) {
    // Unread products can't tell a known one from a new one: nothing is stored then.
    if ((!catalogue_.loaded() && !catalogue_.load(module_.database())) ||
        catalogue_.knows(name, unitPrice)) {
        return;
    }
    if (module_.database().ExecuteSql(master_sql::addProduct(name, unitPrice))) {
        catalogue_.add(Product{0, name, unitPrice});
        fillProducts();
    }
}

void SalesEntryWindow::recomputeTotals() {
    ListView& l = list();
    qint64 quantity = 0;
    double total = 0.0;
    double after = 0.0;
    for (int row = 0; row < l.rowCount(); ++row) {
        quantity += textToInt(l.cell(row, QuantityColumn));
        total += amounts::fromText(l.cell(row, TotalColumn));
        after += amounts::fromText(l.cell(row, DiscountedColumn));
    }
    ui_.标签_总量.setText(QString::number(quantity));
    ui_.标签_总金额.setText(amounts::toText(total));
    ui_.标签_打折后.setText(amounts::toText(after));
    updateChange();
}

double SalesEntryWindow::discountedTotal() const {
    return amounts::fromText(ui_.标签_打折后.text());
}

void SalesEntryWindow::updateChange() {
    const QString typed = ui_.编辑框_实收.text();
    const std::optional<double> received =
        typed.trimmed().isEmpty() ? std::optional<double>(0.0) : amounts::parsePlainAmount(typed);
    // No change is shown for cash that is not a plain amount, rather than a wrong one.
    ui_.编辑框_找零.setText(received ? amounts::toText(*received - discountedTotal()) : QString());
}

bool SalesEntryWindow::cashIsPlain() {
    const QString typed = ui_.编辑框_实收.text();
    if (typed.trimmed().isEmpty() || amounts::parsePlainAmount(typed)) {
        return true;
    }
    hint(cashNotPlain());
    return false;
}

void SalesEntryWindow::chooseCash(int index) {
    const QStringList items = ui_.组合框_实收.items();
    if (index >= 0 && index < items.size()) {
        ui_.编辑框_实收.setText(items.at(index));
    }
}

void SalesEntryWindow::chooseCashier(int index) {
    if (!CurrentUser::orNobody().isAdministrator() || index < 0 || index >= cashiers_.size()) {
        return;
    }
    ui_.编辑框_收银员.setText(cashiers_.at(index));
}

void SalesEntryWindow::choosePaymentMethod(int index) {
    if (index >= 0 && index < static_cast<int>(paymentMethods_.size())) {
        ui_.编辑框_付款方式.setText(paymentMethods_[static_cast<std::size_t>(index)].name);
    }
}

void SalesEntryWindow::chooseCustomer(int index) {
    if (index < 0 || index >= static_cast<int>(customers_.size())) {
        return;
    }
    const QString name = customers_[static_cast<std::size_t>(index)].name;
    ui_.编辑框_客户.setText(name);
    const std::vector<Customer> found =
        readCustomers(module_.database(), master_sql::customersNamed(name));
    ui_.编辑框_电话.setText(found.empty() ? QString() : found.front().phone);
}

void SalesEntryWindow::choosePhone(int index) {
    if (index < 0 || index >= static_cast<int>(customers_.size())) {
        return;
    }
    const QString phone = customers_[static_cast<std::size_t>(index)].phone;
    ui_.编辑框_电话.setText(phone);
    const std::vector<Customer> found =
        readCustomers(module_.database(), master_sql::customersWithPhone(phone));
    ui_.编辑框_客户.setText(found.empty() ? QString() : found.front().name);
}

void SalesEntryWindow::discountTicked() {
    ui_.组合框_折扣.setEnabled(ui_.选择框_折扣.isChecked());
}

// The tick is stored at once; when that fails the box goes back to its stored state.
bool SalesEntryWindow::storeTick(CheckBox& box, const QString& statementOn,
                                 const QString& statementOff) {
    const bool on = box.isChecked();
    if (module_.database().ExecuteSql(on ? statementOn : statementOff)) {
        return true;
    }
    showMessage(sales_text::changeFailed());
    box.setChecked(!on);
    return false;
}

void SalesEntryWindow::applyPaymentTick() {
    const bool on = ui_.选择框_付款方式.isChecked();
    ui_.组合框_付款方式.setEnabled(on);
    EditBox& edit = ui_.编辑框_付款方式;
    edit.setInputMode(on ? InputMode::Normal : InputMode::ReadOnly);
    if (!on) {
        edit.setText(cash());
    } else if (edit.text().isEmpty() && !paymentMethods_.empty()) {
        edit.setText(paymentMethods_.front().name);
    }
}

void SalesEntryWindow::paymentTicked() {
    storeTick(ui_.选择框_付款方式, settings_sql::updatePaymentMethodTick(true),
              settings_sql::updatePaymentMethodTick(false));
    applyPaymentTick();
}

void SalesEntryWindow::customerTicked() {
    storeTick(ui_.选择框_客户, settings_sql::updateCustomerTick(true),
              settings_sql::updateCustomerTick(false));
}

void SalesEntryWindow::phoneTicked() {
    storeTick(ui_.选择框_电话, settings_sql::updatePhoneTick(true),
              settings_sql::updatePhoneTick(false));
}

Receipt SalesEntryWindow::currentReceipt() const {
    Receipt r;
    r.number = ui_.编辑框_单号.text();
    r.timeText = ui_.编辑框_时间.text();
    ListView& l = list();
    for (int row = 0; row < l.rowCount(); ++row) {
        r.lines.append({l.cell(row, IdColumn), l.cell(row, NameColumn), l.cell(row, QuantityColumn),
                        l.cell(row, PriceColumn), l.cell(row, TotalColumn),
                        l.cell(row, DiscountedColumn)});
    }
    r.totalQuantity = ui_.标签_总量.text();
    r.totalAmount = ui_.标签_总金额.text();
    r.discountedTotal = ui_.标签_打折后.text();
    r.cashReceived = amounts::normalized(ui_.编辑框_实收.text());
    r.change = ui_.编辑框_找零.text();
    r.cashier = ui_.编辑框_收银员.text();
    r.paymentMethod = ui_.选择框_付款方式.isChecked() ? ui_.编辑框_付款方式.text() : cash();
    // The note keeps its CR LF line breaks, whatever the edit control uses inside.
    r.remark = ui_.编辑框_备注.text();
    r.remark.remove(QLatin1Char('\r'));
    r.remark.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    if (ui_.选择框_客户.isChecked()) {
        r.customer = ui_.编辑框_客户.text();
    }
    if (ui_.选择框_电话.isChecked()) {
        r.phone = ui_.编辑框_电话.text();
    }
    return r;
}

void SalesEntryWindow::prepare(SaleRecorder& recorder, const ReceiptNumbering& numbering) const {
    // While the save waits for a lock the windows only repaint: a click or a clock tick must
    // not run a handler in the middle of a sale.
    recorder.setWaiting([] { QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest); });
    // A number an administrator typed is stored as typed (and refused if it is taken).
    if (ui_.编辑框_单号.text() == proposedNumber_) {
        recorder.setNumbering(&numbering);
    }
}

void SalesEntryWindow::showRecordFailure(const RecordOutcome& outcome) {
    // A value to mend is the user's; a failed statement is the database's.
    switch (outcome.failure) {
        case RecordFailure::Value:
            hint(outcome.message);
            break;
        case RecordFailure::Database:
        case RecordFailure::None:
            showMessage(outcome.message);
            break;
    }
}

RecordOutcome SalesEntryWindow::store(SaleRecorder& recorder, const Receipt& receipt) {
    const BusyCursor busy;
    if (unsettled_) {
        RecordOutcome earlier;
        earlier.number = unsettled_->number;
        earlier.saleId = unsettled_->saleId;
        earlier.fault = DbFault::CommitUnknown;
        recorder.settle(earlier, unsettled_->receipt);
        if (earlier.unsettled()) {
            return earlier;
        }
        // Stored, it is this receipt (unless the cashier has changed it since: then this one
        // is a sale of its own).
        const bool same = unsettled_->receipt.lines == receipt.lines &&
                          unsettled_->receipt.cashier == receipt.cashier;
        unsettled_.reset();
        if (earlier.stored && same) {
            return earlier;
        }
    }
    RecordOutcome outcome = recorder.record(receipt);
    if (outcome.unsettled()) {
        unsettled_ = Unsettled{outcome.number, outcome.saleId, receipt};
    }
    return outcome;
}

bool SalesEntryWindow::recordCurrentReceipt() {
    if (finishing_) {
        return false;
    }
    const QScopedValueRollback<bool> finishing(finishing_, true);
    const Receipt receipt = currentReceipt();
    if (receipt.lines.isEmpty()) {
        hint(QStringLiteral("没有可以打印的数据！"));
        return false;
    }
    if (!cashIsPlain()) {
        return false;
    }
    ReceiptNumbering numbering(module_.database());
    SaleRecorder recorder(module_.database());
    prepare(recorder, numbering);
    const RecordOutcome outcome = store(recorder, receipt);
    if (!outcome.stored) {
        showRecordFailure(outcome);
        return false;
    }
    startNextReceipt(outcome.nextNumber);
    return true;
}

void SalesEntryWindow::startNextReceipt(const QString& next) {
    list().clearRows();
    recomputeTotals();
    ui_.编辑框_实收.setText(QString());
    ui_.编辑框_名称.setText(QString());
    ui_.编辑框_单价.setText(QStringLiteral("0.00"));
    ui_.编辑框_数量.setText(QStringLiteral("1"));
    updateChange();
    showReceiptNumber(next);
}

void SalesEntryWindow::preview() {
    if (list().rowCount() == 0) {
        hint(QStringLiteral("没有可以预览的数据！"));
        return;
    }
    if (module_.previewHandler()) {
        module_.previewHandler()(*this, currentReceipt());
    } else {
        showMessage(sales_text::notYetAvailable(), 0, sales_text::hint());
    }
}

void SalesEntryWindow::print() {
    if (finishing_) {
        return;  // a second click while the receipt prints
    }
    if (list().rowCount() == 0) {
        hint(QStringLiteral("没有可以打印的数据！"));
        return;
    }
    if (!cashIsPlain()) {
        return;
    }
    const bool save = SettingsRecord::isYes(settings_.saveSales);
    if (!module_.printHandler()) {
        // No printing in this build: the sale is still recorded, or nothing happens at all.
        if (save) {
            recordCurrentReceipt();
        } else {
            showMessage(sales_text::notYetAvailable(), 0, sales_text::hint());
        }
        return;
    }
    if (!save) {
        if (module_.printHandler()(*this, currentReceipt(), {})) {
            startNextReceipt();
        }
        return;
    }
    // Stored first, printed second: every number on paper is that of a stored sale.
    const QScopedValueRollback<bool> finishing(finishing_, true);
    const Receipt receipt = currentReceipt();
    ReceiptNumbering numbering(module_.database());
    SaleRecorder recorder(module_.database());
    prepare(recorder, numbering);
    RecordOutcome outcome;
    bool tried = false;
    PrintSteps steps;
    steps.record = [&](Receipt& printed) {
        tried = true;
        outcome = store(recorder, receipt);
        if (!outcome.stored) {
            return false;
        }
        printed.number = outcome.number;
        ui_.编辑框_单号.setText(outcome.number);
        return true;
    };
    const bool printed = module_.printHandler()(*this, receipt, steps);
    if (!tried) {
        return;  // no printer chosen: nothing stored, the receipt stays
    }
    if (!outcome.stored) {
        showRecordFailure(outcome);
        return;
    }
    if (!printed) {
        showMessage(sales_text::savedNotPrinted());
    }
    startNextReceipt(outcome.nextNumber);
}

void SalesEntryWindow::saveOnly() {
    if (list().rowCount() == 0) {
        hint(QStringLiteral("没有可以保存的数据！"));
        return;
    }
    recordCurrentReceipt();
}

bool SalesEntryWindow::mayClose() {
    if (list().rowCount() == 0) {
        return true;
    }
    return showMessage(QStringLiteral("当前小票尚未保存，确定退出吗？"),
                       MessageFlags::YesNo | MessageFlags::IconQuestion) == MessageResult::Yes;
}

void SalesEntryWindow::onWindowClosed(qint32 windowId) {
    switch (static_cast<FormId>(windowId)) {
        case FormId::PaymentMethods:
            fillPaymentMethods();
            applyPaymentTick();
            break;
        case FormId::Customers:
            fillCustomers();
            break;
        case FormId::ReceiptNumberFormat:
            if (list().rowCount() == 0) {
                showReceiptNumber();
            }
            break;
        default:
            break;
    }
}

}  // namespace tillora
