#include "settings/settings_window.h"

#include "data/current_user.h"
#include "data/database_setup.h"
#include "data/master_changes.h"
#include "data/odbcdb.h"
#include "data/product_barcode.h"
#include "data/settings_record.h"
#include "data/till_login.h"
#include "forms/component.h"
#include "forms/components/list_view.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/services/deletion_question.h"
#include "forms/services/file_dialog_service.h"
#include "forms/services/message_service.h"
#include "formset/form_ids.h"
#include "settings/product_import.h"
#include "settings/settings_module.h"
#include "settings/settings_texts.h"
#include "spreadsheet/sheet_reader.h"
#include "values/plain_number.h"

namespace tillora {

namespace {

// Text fields of the database hold at most this many characters.
constexpr int kFieldLength = 50;

void hint(const QString& text) {
    showMessage(text, 0, settings_text::hint());
}

// A millimetre box: blank stands for zero; otherwise a plain number that fits the receipt, read
// as the receipt reads it.
enum class Millimetres { Blank, Number, Invalid };

Millimetres readMillimetres(const QString& text, double limit) {
    if (text.trimmed().isEmpty()) {
        return Millimetres::Blank;
    }
    return parsePlainDecimal(text, SettingsRecord::kMillimetreDecimals, -limit, limit)
               ? Millimetres::Number
               : Millimetres::Invalid;
}

}  // namespace

SettingsWindow::SettingsWindow(SettingsModule& module, FormWindow* window)
    : WindowLogic(window), module_(module), ui_(*window) {
    // A window opened from here (the receipt-number format) may change the next number.
    if (FormManager* manager = window->manager()) {
        connect(manager, &FormManager::windowClosed, this, [this](qint32 id) {
            if (id != window_->windowId() && !window_->isDestroying()) {
                showReceiptNumber();
            }
        });
    }
}

void SettingsWindow::start() {
    fillPrintPage();
    showReceiptNumber();
    ui_.选择框1.setChecked(module_.remembersProducts());
    fillProducts();
    fillUsers();
    // A file that could not take the barcode column yet has nowhere to keep a code.
    const bool barcodes = hasBarcodeColumn(module_.database());
    ui_.编辑框_条码.setEnabled(barcodes);
    ui_.按钮_导入.setEnabled(barcodes);

    // An ordinary user may not set the shop information nor the receipt number.
    const bool admin = CurrentUser::orNobody().isAdministrator();
    ui_.编辑框_店名.setEnabled(admin);
    ui_.编辑框_备注.setEnabled(admin);
    ui_.按钮1.setEnabled(admin);
}

// A record that can't be read leaves the boxes empty.
void SettingsWindow::fillPrintPage() {
    SettingsRecord record;
    if (!readSettingsRecord(module_.database(), record)) {
        return;
    }
    ui_.编辑框_店名.setText(record.shopName);
    ui_.编辑框_备注.setText(record.note);
    ui_.编辑框_边距.setText(record.paperMargin);
    ui_.编辑框_偏差.setText(record.printOffset);
    ui_.选择框_显示打印完毕.setChecked(SettingsRecord::isYes(record.showPrinted));
    ui_.选择框_提示再次打印.setChecked(SettingsRecord::isYes(record.askReprint));
    ui_.选择框_打印单价.setChecked(SettingsRecord::isYes(record.printUnitPrice));
}

void SettingsWindow::showReceiptNumber() {
    ui_.编辑框3.setText(module_.nextReceiptNumber());
}

// Shop name and note, margin, offset: all of them or none, so that a refused or failed value
// never leaves the receipt half changed. An ordinary user's save leaves the shop information
// alone.
void SettingsWindow::save() {
    const bool admin = CurrentUser::orNobody().isAdministrator();
    const QString shopName = ui_.编辑框_店名.text();
    const QString note = ui_.编辑框_备注.text();
    const QString margin = ui_.编辑框_边距.text();
    const QString offset = ui_.编辑框_偏差.text();
    if (admin && shopName.size() > kFieldLength) {
        hint(settings_text::tooLong(QStringLiteral("店名"), kFieldLength));
        return;
    }
    const Millimetres marginKind = readMillimetres(margin, SettingsRecord::kMaxPaperMargin);
    if (marginKind == Millimetres::Invalid) {
        hint(settings_text::notMillimetres(QStringLiteral("纸张边距"),
                                           SettingsRecord::kMaxPaperMargin));
        return;
    }
    const Millimetres offsetKind = readMillimetres(offset, SettingsRecord::kMaxPrintOffset);
    if (offsetKind == Millimetres::Invalid) {
        hint(settings_text::notMillimetres(QStringLiteral("打印偏差"),
                                           SettingsRecord::kMaxPrintOffset));
        return;
    }

    ODBCDB& db = module_.database();
    if (!db.BeginTrans()) {
        showMessage(settings_text::saveFailed());
        return;
    }
    const bool stored =
        (!admin || db.ExecuteSql(settings_sql::updateShopNameAndNote(shopName, note))) &&
        db.ExecuteSql(marginKind == Millimetres::Blank ? settings_sql::resetPaperMargin()
                                                       : settings_sql::updatePaperMargin(margin)) &&
        db.ExecuteSql(offsetKind == Millimetres::Blank ? settings_sql::resetPrintOffset()
                                                       : settings_sql::updatePrintOffset(offset));
    if (!stored) {
        db.RollbackTrans();
        showMessage(settings_text::saveFailed());
        return;
    }
    db.CommitTrans();
    // A commit that could not finish was rolled back without a word; the stored row tells.
    SettingsRecord record;
    if (!readSettingsRecord(db, record) ||
        record.paperMargin != (marginKind == Millimetres::Blank ? QStringLiteral("0") : margin) ||
        record.printOffset != (offsetKind == Millimetres::Blank ? QStringLiteral("0") : offset) ||
        (admin && (record.shopName != shopName || record.note != note))) {
        showMessage(settings_text::saveFailed());
        return;
    }
    showMessage(settings_text::saved());
}

void SettingsWindow::storeTick(CheckBox& tick, QString (*statement)(bool)) {
    const bool on = tick.isChecked();
    if (!module_.database().ExecuteSql(statement(on))) {
        tick.setChecked(!on);
        showMessage(settings_text::tickFailed());
    }
}

void SettingsWindow::showPrintedClicked() {
    storeTick(ui_.选择框_显示打印完毕, &settings_sql::updateShowPrinted);
}

void SettingsWindow::askReprintClicked() {
    storeTick(ui_.选择框_提示再次打印, &settings_sql::updateAskReprint);
}

void SettingsWindow::unitPriceClicked() {
    storeTick(ui_.选择框_打印单价, &settings_sql::updatePrintUnitPrice);
}

void SettingsWindow::fillProducts() {
    products_ = readProducts(module_.database(), master_sql::listProducts());
    ListView* l = &ui_.超级列表框1;
    l->clearRows();
    for (const Product& p : products_) {
        l->addRow({QString::number(p.id), p.name, p.unitPrice, p.barcode});
    }
}

void SettingsWindow::productRowChanged(int row) {
    if (const Product* p = shownRow(products_, row)) {
        ui_.编辑框_名称.setText(p->name);
        ui_.编辑框_单价.setText(p->unitPrice);
        ui_.编辑框_条码.setText(p->barcode);
    }
}

int SettingsWindow::selectedProductId() const {
    return shownRowId(products_, ui_.超级列表框1.currentIndex());
}

bool SettingsWindow::productFits(const QString& name, const QString& price) const {
    if (name.trimmed().isEmpty()) {
        hint(settings_text::productNameEmpty());
        return false;
    }
    if (price.trimmed().isEmpty()) {
        hint(settings_text::productPriceEmpty());
        return false;
    }
    if (name.size() > kFieldLength) {
        hint(settings_text::tooLong(QStringLiteral("商品名称"), kFieldLength));
        return false;
    }
    // The sales window reads the price as money: anything else would sell at 0.00.
    if (!parsePlainAmount(price)) {
        hint(settings_text::productPriceNotPlain());
        return false;
    }
    return true;
}

bool SettingsWindow::barcodeFits(const QString& code, int id) const {
    if (code.isEmpty()) {
        return true;
    }
    if (const auto verdict = ProductBarcode::check(code); verdict != ProductBarcode::Verdict::Ok) {
        hint(ProductBarcode::problem(verdict, code));
        return false;
    }
    bool read = false;
    const std::vector<Product> holders =
        readProducts(module_.database(), master_sql::productWithBarcode(code), &read);
    if (!read) {
        showMessage(settings_text::queryFailed());
        return false;
    }
    for (const Product& p : holders) {
        if (p.id != id) {
            hint(settings_text::barcodeTaken(code, p.name));
            return false;
        }
    }
    return true;
}

void SettingsWindow::addProduct() {
    const QString name = ui_.编辑框_名称.text();
    const QString price = ui_.编辑框_单价.text();
    const QString code = ProductBarcode::normalized(ui_.编辑框_条码.text());
    if (!productFits(name, price) || !barcodeFits(code, 0)) {
        return;
    }
    if (!master_change::addProduct(module_.database(), name, price, code)) {
        showMessage(settings_text::addFailed());
    }
    fillProducts();
}

void SettingsWindow::changeProduct() {
    const int id = selectedProductId();
    if (id == 0) {
        hint(settings_text::selectRowToChange());
        return;
    }
    const QString name = ui_.编辑框_名称.text();
    const QString price = ui_.编辑框_单价.text();
    const QString code = ProductBarcode::normalized(ui_.编辑框_条码.text());
    if (!productFits(name, price) || !barcodeFits(code, id)) {
        return;
    }
    // Name, price and code together or not at all; the code only when it was changed, so a
    // file that can't keep codes still changes names and prices.
    const Product* shown = shownRow(products_, ui_.超级列表框1.currentIndex());
    const bool codeChanged = shown != nullptr && shown->barcode != code;
    if (!master_change::changeProduct(module_.database(), id, name, price,
                                      codeChanged ? std::optional<QString>(code) : std::nullopt)) {
        showMessage(settings_text::changeFailed());
    }
    fillProducts();
}

void SettingsWindow::deleteProduct() {
    const int id = selectedProductId();
    if (id == 0) {
        hint(settings_text::selectRowToDelete());
        return;
    }
    if (!confirmDeletion()) {
        return;
    }
    if (!master_change::deleteProduct(module_.database(), id)) {
        showMessage(settings_text::deleteFailed());
    }
    fillProducts();
}

void SettingsWindow::rememberClicked() {
    module_.setRemembersProducts(ui_.选择框1.isChecked());
}

void SettingsWindow::importProducts() {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Open;
    request.title = QStringLiteral("导入商品");
    request.filter = QStringLiteral("表格文件|*.xls;*.xlsx;*.csv|全部文件|*.*");
    const QString path = fileDialogService().choose(request, window_);
    if (path.isEmpty()) {
        return;
    }
    const SheetContent sheet = SheetReader::read(path);
    if (!sheet.problem.isEmpty()) {
        showMessage(sheet.problem);
        return;
    }
    bool read = false;
    const std::vector<Product> existing =
        readProducts(module_.database(), master_sql::listProducts(), &read);
    if (!read) {
        showMessage(settings_text::queryFailed());
        return;
    }
    const ProductImport plan = ProductImport::plan(sheet.rows, existing);
    if (!plan.problem().isEmpty()) {
        showMessage(plan.problem());
        return;
    }
    if (!module_.confirmImport(plan, window_)) {
        return;
    }
    QString problem;
    if (!plan.store(module_.database(), &problem)) {
        showMessage(problem);
    } else {
        hint(QStringLiteral("导入完成：") + plan.summary() + QStringLiteral("。"));
    }
    fillProducts();
}

void SettingsWindow::exportProducts() {
    QList<QStringList> rows;
    rows.reserve(static_cast<qsizetype>(products_.size()));
    for (const Product& p : products_) {
        rows << QStringList{p.name, p.unitPrice, p.barcode};
    }
    // The columns an import reads back.
    module_.exportList(
        window_, {QStringLiteral("名称"), QStringLiteral("单价"), QStringLiteral("条码")}, rows);
}

void SettingsWindow::fillUsers() {
    users_ = readUserAccounts(module_.database());
    ListView* l = &ui_.超级列表框2;
    l->clearRows();
    for (const UserAccount& u : users_) {
        l->addRow({QString::number(u.id), u.name, u.permission});
    }
}

const UserAccount* SettingsWindow::selectedUser() const {
    return shownRow(users_, ui_.超级列表框2.currentIndex());
}

bool SettingsWindow::mayManageUsers() const {
    if (CurrentUser::orNobody().isAdministrator()) {
        return true;
    }
    hint(settings_text::administratorsOnly());
    return false;
}

void SettingsWindow::addUser() {
    if (!mayManageUsers()) {
        return;
    }
    if (FormManager* manager = window_->manager()) {
        manager->open(static_cast<qint32>(FormId::UserAdd), true, window_);
    }
}

void SettingsWindow::changeUser() {
    if (!mayManageUsers()) {
        return;
    }
    const UserAccount* user = selectedUser();
    if (user == nullptr) {
        hint(settings_text::selectRowToChange());
        return;
    }
    module_.setEditedUser(*user);
    if (FormManager* manager = window_->manager()) {
        manager->open(static_cast<qint32>(FormId::UserChange), true, window_);
    }
}

void SettingsWindow::deleteUser() {
    if (!mayManageUsers()) {
        return;
    }
    const UserAccount* selected = selectedUser();
    if (selected == nullptr) {
        hint(settings_text::selectRowToDelete());
        return;
    }
    // A copy: the list is read again below.
    const UserAccount user = *selected;
    if (user.name == CurrentUser::orNobody().userName()) {
        showMessage(settings_text::userInUse(user.name));
        return;
    }
    if (isLastAdministrator(users_, user.id)) {
        hint(settings_text::lastAdministratorDelete());
        return;
    }
    if (showMessage(settings_text::reallyDeleteUser(user.name), MessageFlags::YesNo,
                    settings_text::attention()) != MessageResult::Yes) {
        return;
    }
    if (!master_change::deleteUser(module_.database(), user)) {
        showMessage(settings_text::deleteFailed());
    }
    fillUsers();
}

// Open to every user: an ordinary user who switched direct login on must be able to switch it
// off again, or the login window would never be seen again.
void SettingsWindow::cancelDirectLogin() {
    ODBCDB& db = module_.database();
    const bool done = isServerDatabase(db) ? writeTillLogin({false, readTillLogin().user})
                                           : db.ExecuteSql(settings_sql::updateDirectLogin(false));
    if (done) {
        showMessage(settings_text::directLoginCancelled());
    } else {
        showMessage(settings_text::changeFailed());
    }
}

}  // namespace tillora
