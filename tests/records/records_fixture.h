#pragma once

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QDateTime>
#include <QTreeView>

#include <gtest/gtest.h>

#include <memory>

#include "data/database_setup.h"
#include "data/odbcdb.h"
#include "data/sql_text.h"
#include "data/template_database.h"
#include "forms/component.h"
#include "forms/component_factory.h"
#include "forms/components/list_view.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/handler_registry.h"
#include "formset/form_ids.h"
#include "platform/clock.h"
#include "print/print_components.h"
#include "records/records_module.h"
#include "records/records_sql.h"
#include "records/sales_records_window.h"
#include "sales/receipt_printer.h"
#include "sales/sales_module.h"
#include "tests/support/first_cell.h"
#include "tests/support/logged_in_user.h"
#include "tests/support/program_templates_fixture.h"
#include "tests/support/scripted_file_dialog.h"
#include "tests/support/scripted_message_service.h"

namespace tillora::test {

// Every sale the query dialog can reach.
inline SalesSelection everySale() {
    SalesQuery q;
    q.from = QDate(2000, 1, 1);
    q.to = QDate(2099, 12, 31);
    return records_sql::query(q);
}

// A template database holding sales on several days around "today" (20 August 2016), one of
// them at 23:59 and one at midnight, with the sales and records handlers over the program's own
// window templates. The template's own sale 401 (18 August, 10.00) stays.
class RecordsFixture : public ProgramTemplatesFixture {
  protected:
    void SetUp() override {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ProgramTemplatesFixture::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        PrintComponents::registerWith(ComponentFactory::instance());
        module = std::make_unique<SalesModule>(db);
        logIn(QStringLiteral("admin"), QStringLiteral("管理员"));
        installReceiptPrinting(*module);
        module->registerHandlers(handlers);
        records = std::make_unique<RecordsModule>(*module, path);
        records->registerHandlers(handlers);
        records->installOpener();
        manager = std::make_unique<FormManager>(set, handlers);

        ASSERT_TRUE(db.ExecuteSql(QStringLiteral(
            "insert into 用户登录 (用户名,权限,密码) values ('张三','普通用户','')")));
        late = addSale("1608200000002", "2016-08-20  23:59:00", "admin",
                       {{"mkf-麦克风", "2", "10.00"}, {"茶叶", "1", "19.99"}});
        midnight =
            addSale("1608200000001", "2016-08-20  00:00:00", "张三", {{"dyx-电源线", "1", "6.00"}});
        yesterday =
            addSale("1608190000001", "2016-08-19  12:30:00", "张三", {{"麦克风", "2", "10.00"}});
        early = addSale("1608010000001", "2016-08-01  09:00:00", "admin",
                        {{"xsq-显示器", "1", "300.00"},
                         {"dyj-打印机", "1", "80.00"},
                         {"dyx-电源线", "1", "6.00"}});
    }
    void TearDown() override {
        if (manager) {
            manager->closeAll();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        manager.reset();
        CurrentUser::forget();
    }

    struct Line {
        const char* name;
        const char* quantity;
        const char* price;
    };
    // Stores a sale the way the recorder does: 金额 the total of its lines, 数量 their count.
    int addSale(const char* number, const char* time, const char* cashier,
                const QList<Line>& lines) {
        int quantity = 0;
        double amount = 0;
        for (const Line& l : lines) {
            quantity += QString::fromUtf8(l.quantity).toInt();
            amount += QString::fromUtf8(l.quantity).toInt() * QString::fromUtf8(l.price).toDouble();
        }
        const QString sql =
            QStringLiteral(
                "insert into 销售记录 (销售票号,销售时间,数量,金额,收银员,备注) values "
                "('%1',#%2#,'%3','%4','%5','谢谢惠顾 ')")
                .arg(QString::fromUtf8(number), QString::fromUtf8(time), QString::number(quantity),
                     QString::number(amount, 'f', 2), sqlText(QString::fromUtf8(cashier)));
        EXPECT_TRUE(db.ExecuteSql(sql)) << sql.toStdString();
        const int id = number_(QStringLiteral("select max(ID) from 销售记录"));
        for (const Line& l : lines) {
            const double total =
                QString::fromUtf8(l.quantity).toInt() * QString::fromUtf8(l.price).toDouble();
            const QString line =
                QStringLiteral(
                    "insert into 销售详情 (关联,名称,数量,单价,金额,折后,备注) values "
                    "(%1,'%2','%3','%4','%5','%5',' 谢谢惠顾')")
                    .arg(id)
                    .arg(QString::fromUtf8(l.name), QString::fromUtf8(l.quantity),
                         QString::fromUtf8(l.price), QString::number(total, 'f', 2));
            EXPECT_TRUE(db.ExecuteSql(line)) << line.toStdString();
        }
        return id;
    }

    FormWindow* open(FormId id) {
        if (!manager->open(static_cast<qint32>(id))) {
            ADD_FAILURE() << manager->lastError().toStdString();
            return nullptr;
        }
        return manager->window(static_cast<qint32>(id));
    }
    FormWindow* window(FormId id) const { return manager->window(static_cast<qint32>(id)); }
    SalesRecordsWindow* openRecords() {
        recordsWindow = open(FormId::SalesRecords);
        return recordsWindow != nullptr ? SalesRecordsWindow::of(recordsWindow) : nullptr;
    }
    static void click(FormWindow* w, const char* name) {
        w->component(QString::fromUtf8(name))->raise(event::kClicked);
    }
    static ListView* listOf(FormWindow* w) {
        return dynamic_cast<ListView*>(w->component(QStringLiteral("超级列表框1")));
    }
    // The 序号 column of a window's list, the sales list read to its end.
    static QList<int> ids(FormWindow* w) {
        QList<int> out;
        if (SalesRecordsWindow* records = SalesRecordsWindow::of(w)) {
            records->readAll();
            for (int r = 0; r < records->listing().size(); ++r) {
                out.append(records->listing().idAt(r));
            }
            return out;
        }
        ListView* l = listOf(w);
        for (int r = 0; r < l->rowCount(); ++r) {
            out.append(l->cell(r, 0).toInt());
        }
        return out;
    }

    // A cell of the sales list as it is shown.
    QString shown(int row, int column) const {
        const QAbstractItemModel* m = SalesRecordsWindow::of(recordsWindow)->view()->model();
        return m->data(m->index(row, column)).toString();
    }

    // Every row of the sales, their lines and the users, to show that a refusal wrote nothing.
    QStringList stored() {
        QStringList out;
        for (const char* table : {"销售记录", "销售详情", "用户登录"}) {
            const int h = db.OpenTable(
                QStringLiteral("select * from %1 order by ID").arg(QString::fromUtf8(table)));
            EXPECT_NE(h, 0) << table;
            const qsizetype columns = db.columnNames(h).size();
            for (; h != 0 && !db.IsEOF(h); db.MoveNext(h)) {
                QStringList cells{QString::fromUtf8(table)};
                for (int c = 1; c <= columns; ++c) {
                    cells.append(db.ReadColByIndex(h, c).toText());
                }
                out.append(cells.join(u'|'));
            }
            db.CloseTable(h);
        }
        return out;
    }

    int number_(const QString& sql) { return firstNumber(db, sql); }

    static constexpr int kTemplateSale = 401;

    ScriptedMessageService messages;
    ScriptedFileDialog files;
    HandlerRegistry handlers;
    std::unique_ptr<SalesModule> module;
    std::unique_ptr<RecordsModule> records;
    std::unique_ptr<FormManager> manager;
    QDateTime now{QDate(2016, 8, 20), QTime(10, 15, 0)};
    Clock::Override clock{[this] { return now; }};
    FormWindow* recordsWindow = nullptr;
    int late = 0, midnight = 0, yesterday = 0, early = 0;
};

}  // namespace tillora::test
