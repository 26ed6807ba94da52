#include "records/trail_window.h"

#include "data/odbcdb.h"
#include "data/operation_trail.h"
#include "forms/components/combo_box.h"
#include "forms/components/date_box.h"
#include "forms/components/list_view.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/services/message_service.h"
#include "formset/form_ids.h"
#include "platform/clock.h"
#include "platform/jet_date.h"
#include "records/records_module.h"
#include "records/spreadsheet_export.h"
#include "sales/sales_texts.h"

#include <QScrollBar>
#include <QTreeWidget>

namespace tillora {

namespace {

QString everyone() {
    return QStringLiteral("全部");
}

QDate dayIn(const DateBox& box) {
    return dateTimeFromJetDay(box.jetDay()).date();
}

// The chosen item, or empty for 全部.
QString choice(const ComboBox& box) {
    return box.currentIndex() > 0 ? box.text() : QString();
}

void choose(ComboBox& box, const QStringList& items, const QString& chosen) {
    box.setItems(QStringList{everyone()} + items);
    const qsizetype at = items.indexOf(chosen);
    box.setCurrentIndex(at >= 0 ? static_cast<int>(at) + 1 : 0);
}

// Chooses `text` (全部 for none), added when the box does not offer it.
void pick(ComboBox& box, const QString& text) {
    QStringList items = box.items().mid(1);
    if (!text.isEmpty() && !items.contains(text)) {
        items.append(text);
    }
    choose(box, items, text);
}

double jetDayOf(const QDate& day) {
    return jetDayFromDateTime(QDateTime(day, QTime(0, 0)));
}

}  // namespace

TrailWindow::TrailWindow(RecordsModule& module, FormWindow* window)
    : WindowLogic(window), module_(module), ui_(*window) {
    if (QTreeWidget* tree = ui_.超级列表框_记录.tree()) {
        connect(tree->verticalScrollBar(), &QScrollBar::valueChanged, this, [this, tree](int at) {
            if (at == tree->verticalScrollBar()->maximum()) {
                readMore();
            }
        });
    }
}

void TrailWindow::start() {
    // Enter in a box shows the trail.
    window_->setDefaultButton(&ui_.按钮_显示);
    const double today = jetDayOf(Clock::now().date());
    ui_.日期框_起.setJetDay(today);
    ui_.日期框_止.setJetDay(today);
    ODBCDB& db = module_.database();
    QStringList users;
    const int h = db.OpenTable(QStringLiteral("select * from 用户登录"));
    for (; h != 0 && !db.IsEOF(h); db.MoveNext(h)) {
        users.append(db.ReadColByName(h, QStringLiteral("用户名")).toText());
    }
    db.CloseTable(h);
    choose(ui_.组合框_用户, users, QString());
    // Listing the kinds stored would read the whole trail: the fixed ones, and any other as soon
    // as a row of it is read.
    actions_ = knownTrailActions();
    actions_.sort();
    choose(ui_.组合框_操作, actions_, QString());
    show();
    ui_.日期框_起.widget()->setFocus();
}

void TrailWindow::setFilter(const TrailFilter& filter) {
    ui_.日期框_起.setJetDay(jetDayOf(filter.from));
    ui_.日期框_止.setJetDay(jetDayOf(filter.to));
    pick(ui_.组合框_用户, filter.user);
    if (!filter.action.isEmpty() && !actions_.contains(filter.action)) {
        actions_.append(filter.action);
        actions_.sort();
    }
    choose(ui_.组合框_操作, actions_, filter.action);
}

TrailFilter TrailWindow::chosen() const {
    QDate from = dayIn(ui_.日期框_起);
    QDate to = dayIn(ui_.日期框_止);
    if (to < from) {
        std::swap(from, to);
    }
    return {from, to, choice(ui_.组合框_用户), choice(ui_.组合框_操作)};
}

void TrailWindow::offerActions(const QList<QStringList>& rows) {
    const qsizetype known = actions_.size();
    for (const QStringList& row : rows) {
        if (!actions_.contains(row.at(3))) {
            actions_.append(row.at(3));
        }
    }
    if (actions_.size() != known) {
        actions_.sort();
        choose(ui_.组合框_操作, actions_, choice(ui_.组合框_操作));
    }
}

void TrailWindow::show() {
    filter_ = chosen();
    ui_.超级列表框_记录.clearRows();
    afterId_ = 0;
    complete_ = false;
    ui_.标签_范围.setText(QStringLiteral("%1 至 %2  用户：%3  操作：%4")
                              .arg(filter_.from.toString(QStringLiteral("yyyy-MM-dd")),
                                   filter_.to.toString(QStringLiteral("yyyy-MM-dd")),
                                   filter_.user.isEmpty() ? everyone() : filter_.user,
                                   filter_.action.isEmpty() ? everyone() : filter_.action));
    readMore();
}

void TrailWindow::readMore() {
    if (complete_) {
        return;
    }
    QList<QStringList> rows;
    if (!readTrailPiece(module_.database(), filter_, kPiece, afterId_, rows)) {
        complete_ = true;
        showMessage(sales_text::queryFailed());
        return;
    }
    complete_ = rows.size() < kPiece;
    offerActions(rows);
    ui_.超级列表框_记录.addRows(rows);
}

void TrailWindow::exportTrail() {
    // What the boxes choose now, read whole: the export never stops at the rows scrolled to.
    const TrailFilter filter = chosen();
    QList<QStringList> rows;
    if (!readWholeTrail(module_.database(), filter, rows)) {
        showMessage(sales_text::queryFailed());
        return;
    }
    SpreadsheetExportOptions options;
    options.suggestedName =
        exportName(QStringLiteral("操作记录"), filter.to, QStringLiteral(".xlsx"));
    exportToSpreadsheet(window_, operation_trail::columns(), rows, options);
}

void TrailWindow::close() {
    if (FormManager* manager = window_->manager()) {
        manager->close(static_cast<qint32>(FormId::OperationTrail));
    }
}

}  // namespace tillora
