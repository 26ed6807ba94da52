#include "records/sales_records_window.h"

#include <QMenu>
#include <QTreeWidget>

#include "data/current_user.h"
#include "data/odbcdb.h"
#include "forms/component.h"
#include "forms/components/common_dialog.h"
#include "forms/components/list_view.h"
#include "forms/event_args.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/services/message_service.h"
#include "formset/form_ids.h"
#include "platform/clock.h"
#include "print/printer.h"
#include "print/printer_component.h"
#include "records/data_initialiser.h"
#include "records/records_module.h"
#include "records/records_sql.h"
#include "records/records_texts.h"
#include "records/sale_editor.h"
#include "records/sale_reprint.h"
#include "records/spreadsheet_export.h"
#include "sales/sales_entry_window.h"
#include "sales/sales_module.h"
#include "sales/sales_texts.h"

namespace tillora {

namespace {

constexpr int kKeyEnter = 0x0D;
constexpr int kKeyDelete = 0x2E;
constexpr int kKeyF10 = 0x79;
constexpr int kShiftState = 2;

void hint(const QString& text) {
    showMessage(text, 0, sales_text::hint());
}

}  // namespace

SalesRecordsWindow::SalesRecordsWindow(RecordsModule& module, FormWindow* window)
    : QObject(window), module_(module), window_(window), ui_(*window) {
    setObjectName(QStringLiteral("salesRecordsLogic"));
    if (FormManager* manager = window->manager()) {
        connect(manager, &FormManager::windowClosed, this, &SalesRecordsWindow::onWindowClosed);
    }
}

SalesRecordsWindow* SalesRecordsWindow::of(FormWindow* window) {
    return window != nullptr ? window->findChild<SalesRecordsWindow*>(
                                   QStringLiteral("salesRecordsLogic"), Qt::FindDirectChildrenOnly)
                             : nullptr;
}

ListView* SalesRecordsWindow::list() const {
    return &ui_.超级列表框1;
}

void SalesRecordsWindow::start() {
    const QDate today = Clock::now().date();
    fill(records_sql::listing(today, today));
}

void SalesRecordsWindow::fill(const QString& sql) {
    SaleListing listing = SaleListing::read(module_.database(), sql);
    // A file held by another program says nothing about the sales: an empty list with totals 0
    // would read as a day without takings.
    if (listing.fault == DbFault::Locked) {
        showMessage(records_text::databaseBusy(), 0, sales_text::hint());
        return;
    }
    lastSql_ = sql;
    ListView* l = list();
    l->clearRows();
    QList<QStringList> cells;
    cells.reserve(static_cast<qsizetype>(listing.rows.size()));
    for (const SaleRow& row : listing.rows) {
        cells.append(row.cells());
    }
    l->addRows(cells);
    rows_ = std::move(listing.rows);
    ui_.标签_销售数量.setText(listing.totalQuantityText());
    ui_.标签_总金额.setText(listing.totalAmountText());
}

void SalesRecordsWindow::refresh() {
    const int selected = selectedSaleId();
    fill(lastSql_);
    if (selected != 0) {
        selectSale(selected);
    }
}

int SalesRecordsWindow::selectedSaleId() const {
    const int row = list()->currentIndex();
    return row >= 0 && row < static_cast<int>(rows_.size())
               ? rows_[static_cast<std::size_t>(row)].id
               : 0;
}

void SalesRecordsWindow::selectSale(int saleId) {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].id == saleId) {
            list()->setCurrentIndex(static_cast<int>(i));
            return;
        }
    }
}

void SalesRecordsWindow::search() {
    const QString text = ui_.编辑框_查单号.text();
    if (text.isEmpty()) {
        showMessage(records_text::emptyNumber());
        return;
    }
    fill(records_sql::numberSearch(text));
}

void SalesRecordsWindow::openQuery() {
    if (FormManager* manager = window_->manager()) {
        manager->open(static_cast<qint32>(FormId::SalesQuery), true, window_);
    }
}

void SalesRecordsWindow::openDetails() {
    const int id = selectedSaleId();
    if (id == 0) {
        hint(records_text::selectSale());
        return;
    }
    module_.openDetails(window_, id);
}

void SalesRecordsWindow::deleteSelected() {
    if (!CurrentUser::orNobody().isAdministrator()) {
        showMessage(records_text::administratorsOnly());
        return;
    }
    const int row = list()->currentIndex();
    const int id = selectedSaleId();
    if (id == 0) {
        hint(sales_text::selectRowToDelete());
        return;
    }
    // A right-click on the wrong row must not destroy a sale without a word.
    const QString number = rows_[static_cast<std::size_t>(row)].number;
    if (showMessage(records_text::confirmDelete(number),
                    MessageFlags::YesNo | MessageFlags::IconQuestion | MessageFlags::DefaultButton2,
                    sales_text::hint()) != MessageResult::Yes) {
        return;
    }
    if (!SaleEditor(module_.database(), id).deleteSale()) {
        showMessage(sales_text::deleteFailed());
    }
    fill(lastSql_);
    // The next sale takes the place of the deleted one, so a run of deletions stays on the keys.
    if (list()->rowCount() > 0) {
        list()->setCurrentIndex(std::min(row, list()->rowCount() - 1));
    }
}

void SalesRecordsWindow::initialise() {
    // It replaces every sale and user: more than an ordinary user may even delete.
    if (!CurrentUser::orNobody().isAdministrator()) {
        showMessage(records_text::initialiseAdministratorsOnly());
        return;
    }
    if (showMessage(records_text::askInitialise(),
                    MessageFlags::YesNo | MessageFlags::IconQuestion | MessageFlags::DefaultButton2,
                    sales_text::hint()) != MessageResult::Yes) {
        return;
    }
    CommonDialog& dialog = ui_.通用对话框1;
    // The export shares this dialog: it gets its own settings back afterwards.
    const QString filter = dialog.filter();
    const QString extension = dialog.defaultExtension();
    const QString name = dialog.fileName();
    dialog.setKind(1);
    dialog.setFilter(QStringLiteral("*.mdb|*.*"));
    dialog.setDefaultExtension(QStringLiteral(".mdb"));
    dialog.setFileName(QStringLiteral("查询结果"));
    const bool chosen = dialog.open();
    const QString backup = dialog.fileName();
    dialog.setFilter(filter);
    dialog.setDefaultExtension(extension);
    dialog.setFileName(name);
    if (!chosen) {
        return;
    }
    ODBCDB& db = module_.database();
    switch (DataInitialiser::run(db, module_.databasePath(), backup)) {
        case DataInitialiser::Outcome::BackupFailed:
            showMessage(records_text::backupFailed());
            return;
        case DataInitialiser::Outcome::Failed:
            showMessage(records_text::initialiseFailed());
            break;
        case DataInitialiser::Outcome::Done:
            showMessage(records_text::initialised());
            break;
    }
    // Every open window shows what the database now holds.
    fill(lastSql_);
    if (FormManager* manager = window_->manager()) {
        if (SalesEntryWindow* entry =
                SalesEntryWindow::of(manager->window(static_cast<qint32>(FormId::SalesEntry)))) {
            entry->start();
        }
    }
}

void SalesRecordsWindow::reprintSelected() {
    const int id = selectedSaleId();
    if (id == 0) {
        hint(records_text::selectSale());
        return;
    }
    // A plain component when printing did not register its printer type.
    if (auto* component = dynamic_cast<PrinterComponent*>(&ui_.打印机1)) {
        SaleReprint::print(component->printer(), module_.database(), id);
        return;
    }
    Printer printer;
    printer.setOwnerWidget(window_);
    printer.setPenType(3);
    SaleReprint::print(printer, module_.database(), id);
}

void SalesRecordsWindow::exportList() {
    exportToSpreadsheet(window_, *list());
}

void SalesRecordsWindow::popupMenu(const QPoint& inList) {
    if (menu_ == nullptr) {
        menu_ = new QMenu(window_);
        menu_->setObjectName(QStringLiteral("菜单"));
        const FormManager* manager = window_->manager();
        bool inPopup = false;
        for (const MenuItemRecord& item : window_->windowTemplate().menuItems) {
            if (item.level == 0) {
                inPopup = item.caption == QStringLiteral("菜单");
                continue;
            }
            if (!inPopup || item.hidden()) {
                continue;
            }
            QAction* action = menu_->addAction(item.caption);
            action->setEnabled(!item.disabled());
            const Handler* handler =
                manager != nullptr ? manager->handlers().find(item.handler) : nullptr;
            if (handler != nullptr) {
                connect(action, &QAction::triggered, this, [this, h = *handler] {
                    h(EventArgs{window_, nullptr, 0, {}});
                });
            }
        }
    }
    QWidget* area = list()->widget();
    menu_->popup(area->mapToGlobal(inList + QPoint(3, 3)));
}

bool SalesRecordsWindow::listKey(int key, int state) {
    if (key == kKeyEnter && state == 0) {
        openDetails();
        return true;
    }
    if (key == kKeyDelete && state == 0) {
        deleteSelected();
        return true;
    }
    if (key == kKeyF10 && state == kShiftState) {
        ListView* l = list();
        QPoint at(8, 8);
        if (l->tree() != nullptr && l->tree()->currentItem() != nullptr) {
            const QRect row = l->tree()->visualItemRect(l->tree()->currentItem());
            at = l->tree()->viewport()->mapTo(l->tree(), row.center());
        }
        popupMenu(at);
        return true;
    }
    return false;
}

SpreadsheetTable SalesRecordsWindow::shownList() const {
    return listViewTable(*list());
}

void SalesRecordsWindow::onWindowClosed(qint32 windowId) {
    // A changed sale shows its new totals.
    if (static_cast<FormId>(windowId) == FormId::SaleDetails) {
        refresh();
    }
}

}  // namespace tillora
