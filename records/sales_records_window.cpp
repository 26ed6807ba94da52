#include "records/sales_records_window.h"

#include <QHeaderView>
#include <QMenu>
#include <QStyle>
#include <QTreeView>
#include <QTreeWidget>

#include <algorithm>

#include "data/current_user.h"
#include "data/odbcdb.h"
#include "forms/component.h"
#include "forms/components/common_dialog.h"
#include "forms/components/list_view.h"
#include "forms/event_args.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/services/message_service.h"
#include "forms/virtual_key.h"
#include "formset/form_ids.h"
#include "platform/clock.h"
#include "platform/remembered_folder.h"
#include "print/printer.h"
#include "print/printer_component.h"
#include "records/data_initialiser.h"
#include "records/records_module.h"
#include "records/records_sql.h"
#include "records/records_texts.h"
#include "records/sale_editor.h"
#include "records/sale_reprint.h"
#include "records/sales_list_model.h"
#include "records/spreadsheet_export.h"
#include "sales/sales_entry_window.h"
#include "sales/sales_module.h"
#include "sales/sales_texts.h"

namespace tillora {

namespace {

void hint(const QString& text) {
    showMessage(text, 0, sales_text::hint());
}

}  // namespace

SalesRecordsWindow::SalesRecordsWindow(RecordsModule& module, FormWindow* window)
    : WindowLogic(window), module_(module), ui_(*window) {
    if (FormManager* manager = window->manager()) {
        connect(manager, &FormManager::windowClosed, this, &SalesRecordsWindow::onWindowClosed);
    }
    reader_.setSingleShot(true);
    connect(&reader_, &QTimer::timeout, this, &SalesRecordsWindow::readMore);
    makeView();
}

void SalesRecordsWindow::makeView() {
    ListView* l = list();
    QTreeWidget* tree = l->tree();
    if (tree == nullptr) {
        return;
    }
    QStringList titles;
    QList<Qt::Alignment> alignments;
    for (int c = 0; c < tree->columnCount(); ++c) {
        titles.append(tree->headerItem()->text(c));
        alignments.append(Qt::Alignment(tree->headerItem()->textAlignment(c)));
        templateWidths_.append(tree->columnWidth(c));
    }
    model_ = new SalesListModel(titles, alignments, this);
    view_ = new QTreeView(tree->parentWidget());
    view_->setModel(model_);
    view_->setGeometry(tree->geometry());
    view_->setFont(tree->font());
    view_->setPalette(tree->palette());
    view_->setRootIsDecorated(false);
    view_->setItemsExpandable(false);
    view_->setUniformRowHeights(true);
    view_->setWordWrap(false);
    view_->setSelectionBehavior(tree->selectionBehavior());
    view_->setSelectionMode(tree->selectionMode());
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setHeaderHidden(tree->isHeaderHidden());
    view_->setFocusPolicy(tree->focusPolicy());
    view_->setEnabled(tree->isEnabled());
    view_->header()->setStretchLastSection(false);
    view_->header()->setSectionsMovable(false);
    for (int c = 0; c < templateWidths_.size(); ++c) {
        view_->setColumnWidth(c, templateWidths_.at(c));
    }
    const QHash<int, int>& dragged = module_.draggedColumnWidths();
    for (auto it = dragged.begin(); it != dragged.end(); ++it) {
        view_->setColumnWidth(it.key(), it.value());
    }
    connect(view_->header(), &QHeaderView::sectionResized, this,
            [this](int column, int, int width) {
                if (!fitting_) {
                    module_.draggedColumnWidths().insert(column, width);
                }
            });
    // The view takes the template list's name, place in the Tab order and events; the template's
    // own list stays behind it, hidden.
    view_->setObjectName(tree->objectName());
    tree->setObjectName(QString());
    QWidget::setTabOrder(tree, view_);
    tree->setFocusPolicy(Qt::NoFocus);
    view_->setVisible(!tree->isHidden());
    tree->hide();
    view_->installEventFilter(l);
    view_->viewport()->installEventFilter(l);
    connect(view_, &QAbstractItemView::doubleClicked, this, [l](const QModelIndex& index) {
        l->raise(event::kListDoubleClicked, {Value::fromInt(index.row())});
    });
    connect(view_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [l](const QModelIndex& current) {
                l->raise(event::kListSelectionChanged,
                         {Value::fromInt(current.isValid() ? current.row() : -1)});
            });
}

ListView* SalesRecordsWindow::list() const {
    return &ui_.超级列表框1;
}

void SalesRecordsWindow::start() {
    const QDate today = Clock::now().date();
    fill(records_sql::listing(today, today));
}

void SalesRecordsWindow::fill(const SalesSelection& selection) {
    if (model_ == nullptr) {
        return;
    }
    SaleListing listing = SaleListing::read(module_.database(), selection);
    // A file held by another program says nothing about the sales: an empty list with totals 0
    // would read as a day without takings.
    if (listing.fault() == DbFault::Locked && listing.size() == 0) {
        showMessage(records_text::databaseBusy(), 0, sales_text::hint());
        return;
    }
    reader_.stop();
    lastSelection_ = selection;
    model_->setListing(std::move(listing));
    showTotals();
    fitColumns();
    if (!model_->listing().complete()) {
        reader_.start(0);
    }
}

void SalesRecordsWindow::readMore() {
    const bool ok = model_->readMore(kChunk);
    showTotals();
    if (!model_->listing().complete()) {
        // A busy file is given a moment before it is asked again.
        reader_.start(ok ? 0 : 250);
    }
}

void SalesRecordsWindow::readAll() {
    reader_.stop();
    while (!model_->listing().complete()) {
        if (!model_->readMore(kChunk)) {
            // Busy: what is read so far is the list, and the rest comes in the background.
            reader_.start(250);
            break;
        }
    }
    showTotals();
}

const SaleListing& SalesRecordsWindow::listing() const {
    static const SaleListing none;
    return model_ != nullptr ? model_->listing() : none;
}

void SalesRecordsWindow::showTotals() {
    ui_.标签_销售数量.setText(listing().totalQuantityText());
    ui_.标签_总金额.setText(listing().totalAmountText());
}

void SalesRecordsWindow::fitColumns() {
    const QFontMetrics metrics(view_->font());
    // The margins the item delegate leaves on either side of a text.
    const int margin =
        2 * (view_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view_) + 1) + 4;
    QList<int> widths(templateWidths_.size(), 0);
    // The longest date-time text there is, so that a later row never needs more room.
    widths[TimeColumn] =
        metrics.horizontalAdvance(QStringLiteral("2088年12月28日23时59分59秒")) + margin;
    const int sample = std::min(listing().size(), 64);
    for (int r = 0; r < sample; ++r) {
        const QStringList cells = listing().row(r).cells();
        for (int c = 0; c < widths.size() && c < cells.size(); ++c) {
            widths[c] =
                std::max(widths[c],
                         metrics.horizontalAdvance(SalesListModel::oneLine(cells.at(c))) + margin);
        }
    }
    fitting_ = true;
    const QHash<int, int>& dragged = module_.draggedColumnWidths();
    // The remark is the last column: the rest of it may go under the window's edge.
    for (int c = 0; c < RemarkColumn && c < widths.size(); ++c) {
        if (!dragged.contains(c)) {
            view_->setColumnWidth(c, std::max(templateWidths_.at(c), widths.at(c)));
        }
    }
    fitting_ = false;
}

void SalesRecordsWindow::refresh() {
    const int selected = selectedSaleId();
    fill(lastSelection_);
    if (selected != 0) {
        selectSale(selected);
    }
}

int SalesRecordsWindow::currentRow() const {
    if (view_ == nullptr) {
        return -1;
    }
    const QModelIndex current = view_->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void SalesRecordsWindow::setCurrentRow(int row) {
    if (view_ == nullptr) {
        return;
    }
    const QModelIndex index = model_->index(row, 0);
    view_->setCurrentIndex(index);
    if (!index.isValid()) {
        view_->clearSelection();
    }
}

int SalesRecordsWindow::selectedSaleId() const {
    const int row = currentRow();
    return row >= 0 && row < listing().size() ? listing().idAt(row) : 0;
}

void SalesRecordsWindow::selectSale(int saleId) {
    int row = listing().rowOf(saleId);
    while (row < 0 && !listing().complete() && model_->readMore(kChunk)) {
        row = listing().rowOf(saleId);
    }
    if (row >= 0) {
        setCurrentRow(row);
        view_->scrollTo(model_->index(row, 0));
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
    const int row = currentRow();
    const int id = selectedSaleId();
    if (id == 0) {
        hint(sales_text::selectRowToDelete());
        return;
    }
    // A right-click on the wrong row must not destroy a sale without a word.
    const QString number = listing().row(row).number;
    if (showMessage(records_text::confirmDelete(number),
                    MessageFlags::YesNo | MessageFlags::IconQuestion | MessageFlags::DefaultButton2,
                    sales_text::hint()) != MessageResult::Yes) {
        return;
    }
    if (!SaleEditor(module_.database(), id).deleteSale()) {
        showMessage(sales_text::deleteFailed());
    }
    fill(lastSelection_);
    // The next sale takes the place of the deleted one, so a run of deletions stays on the keys.
    if (listing().size() > 0) {
        setCurrentRow(std::min(row, listing().size() - 1));
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
    const QString folder = dialog.initialFolder();
    dialog.setInitialFolder(RememberedFolder::start(QStringLiteral("backup")));
    const bool chosen = dialog.open();
    const QString backup = dialog.fileName();
    dialog.setInitialFolder(folder);
    dialog.setFilter(filter);
    dialog.setDefaultExtension(extension);
    dialog.setFileName(name);
    if (!chosen) {
        return;
    }
    RememberedFolder::remember(QStringLiteral("backup"), backup);
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
    fill(lastSelection_);
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
    const SpreadsheetTable table = shownList();
    SpreadsheetExportOptions options;
    options.suggestedName = exportName(QStringLiteral("销售记录"), Clock::now().date());
    exportToSpreadsheet(window_, table.titles, table.rows, options);
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
    QWidget* area = view_ != nullptr ? static_cast<QWidget*>(view_) : list()->widget();
    menu_->popup(area->mapToGlobal(inList + QPoint(3, 3)));
}

bool SalesRecordsWindow::listKey(int key, int state) {
    if (key == virtual_key::kEnter && state == 0) {
        openDetails();
        return true;
    }
    if (key == virtual_key::kDelete && state == 0) {
        deleteSelected();
        return true;
    }
    if (key == virtual_key::kF10 && state == virtual_key::kShiftHeld) {
        QPoint at(8, 8);
        if (view_ != nullptr && view_->currentIndex().isValid()) {
            const QRect row = view_->visualRect(view_->currentIndex());
            at = view_->viewport()->mapTo(view_, row.center());
        }
        popupMenu(at);
        return true;
    }
    return false;
}

SpreadsheetTable SalesRecordsWindow::shownList() {
    // Read through the query, not the view: the view holds only the rows on screen.
    readAll();
    SpreadsheetTable table;
    for (int c = 0; c < model_->columnCount(); ++c) {
        table.titles.append(model_->headerData(c, Qt::Horizontal).toString().trimmed());
    }
    table.rows.reserve(listing().size());
    listing().forEachRow([&table](const SaleRow& row) { table.rows.append(row.cells()); });
    return table;
}

void SalesRecordsWindow::onWindowClosed(qint32 windowId) {
    // A changed sale shows its new totals.
    if (static_cast<FormId>(windowId) == FormId::SaleDetails) {
        refresh();
    }
}

}  // namespace tillora
