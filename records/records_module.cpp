#include "records/records_module.h"

#include "forms/event_args.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/handler_registry.h"
#include "formset/form_ids.h"
#include "records/sale_details_window.h"
#include "records/sales_query_dialog.h"
#include "records/sales_records_window.h"
#include "sales/sales_module.h"

namespace tillora {

namespace {

int intArg(const EventArgs& args, qsizetype i = 0) {
    double number = 0;
    return args.arg(i).toNumber(&number) ? static_cast<int>(number) : -1;
}

template <typename Logic, typename F>
Handler on(F f) {
    return [f](const EventArgs& args) {
        if (Logic* logic = Logic::of(args.window)) {
            f(*logic, args);
        }
        return Value();
    };
}

}  // namespace

RecordsModule::RecordsModule(SalesModule& sales, QString databasePath)
    : sales_(sales), databasePath_(std::move(databasePath)) {}

ODBCDB& RecordsModule::database() const {
    return sales_.database();
}

void RecordsModule::installOpener() {
    sales_.setStatisticsOpener([this](FormWindow* owner) { openRecords(owner); });
}

void RecordsModule::openRecords(FormWindow* owner) {
    FormManager* manager = owner != nullptr ? owner->manager() : FormManager::instance();
    if (manager != nullptr) {
        manager->open(static_cast<qint32>(FormId::SalesRecords), false, owner);
    }
}

void RecordsModule::openDetails(FormWindow* owner, int saleId) {
    FormManager* manager = owner != nullptr ? owner->manager() : FormManager::instance();
    if (manager == nullptr) {
        return;
    }
    // One sale at a time: an open details window belongs to another sale.
    manager->close(static_cast<qint32>(FormId::SaleDetails));
    detailsSaleId_ = saleId;
    manager->open(static_cast<qint32>(FormId::SaleDetails), true, owner);
}

void RecordsModule::registerHandlers(HandlerRegistry& r) {
    const auto name = [](const char* handler) { return QString::fromLatin1(handler); };

    using W = SalesRecordsWindow;
    r.add(name("salesRecords.created"), [this](const EventArgs& args) {
        (new SalesRecordsWindow(*this, args.window))->start();
        return Value();
    });
    r.add(name("salesRecords.queryClicked"), on<W>([](W& w, const EventArgs&) { w.openQuery(); }));
    r.add(name("salesRecords.detailsClicked"),
          on<W>([](W& w, const EventArgs&) { w.openDetails(); }));
    r.add(name("salesRecords.rowDoubleClicked"), on<W>([](W& w, const EventArgs& a) {
              if (intArg(a) >= 0) {
                  w.openDetails();
              }
          }));
    r.add(name("salesRecords.exportClicked"),
          on<W>([](W& w, const EventArgs&) { w.exportList(); }));
    r.add(name("salesRecords.initialiseClicked"),
          on<W>([](W& w, const EventArgs&) { w.initialise(); }));
    r.add(name("salesRecords.searchClicked"), on<W>([](W& w, const EventArgs&) { w.search(); }));
    r.add(name("salesRecords.deleteClicked"),
          on<W>([](W& w, const EventArgs&) { w.deleteSelected(); }));
    r.add(name("salesRecords.reprintClicked"),
          on<W>([](W& w, const EventArgs&) { w.reprintSelected(); }));
    r.add(name("salesRecords.listRightClicked"),
          on<W>([](W& w, const EventArgs& a) { w.popupMenu(QPoint(intArg(a, 0), intArg(a, 1))); }));
    r.add(name("salesRecords.numberKeyDown"), [](const EventArgs& args) {
        // Enter in the number box searches, as 搜索 does.
        W* w = W::of(args.window);
        if (w == nullptr || intArg(args, 0) != 0x0D || intArg(args, 1) != 0) {
            return Value();
        }
        w->search();
        return Value::fromBool(false);
    });
    r.add(name("salesRecords.listKeyDown"), [](const EventArgs& args) {
        W* w = W::of(args.window);
        // A key the window uses is not passed on to the list.
        return w != nullptr && w->listKey(intArg(args, 0), intArg(args, 1)) ? Value::fromBool(false)
                                                                            : Value();
    });

    using Q = SalesQueryDialog;
    r.add(name("salesQuery.created"), [this](const EventArgs& args) {
        (new SalesQueryDialog(*this, args.window))->start();
        return Value();
    });
    r.add(name("salesQuery.conditionTicked"),
          on<Q>([](Q& q, const EventArgs&) { q.conditionTicked(); }));
    r.add(name("salesQuery.queryClicked"), on<Q>([](Q& q, const EventArgs&) { q.query(); }));
    r.add(name("salesQuery.closeClicked"), on<Q>([](Q& q, const EventArgs&) { q.close(); }));

    using D = SaleDetailsWindow;
    r.add(name("saleDetails.created"), [this](const EventArgs& args) {
        (new SaleDetailsWindow(*this, args.window, detailsSaleId_))->start();
        return Value();
    });
    r.add(name("saleDetails.rowChanged"),
          on<D>([](D& d, const EventArgs& a) { d.rowChanged(intArg(a)); }));
    r.add(name("saleDetails.discountTicked"),
          on<D>([](D& d, const EventArgs&) { d.discountTicked(); }));
    r.add(name("saleDetails.discountChosen"),
          on<D>([](D& d, const EventArgs& a) { d.discountChosen(intArg(a)); }));
    r.add(name("saleDetails.addClicked"), on<D>([](D& d, const EventArgs&) { d.add(); }));
    r.add(name("saleDetails.changeClicked"), on<D>([](D& d, const EventArgs&) { d.change(); }));
    r.add(name("saleDetails.deleteClicked"), on<D>([](D& d, const EventArgs&) { d.remove(); }));
    r.add(name("saleDetails.exportClicked"),
          on<D>([](D& d, const EventArgs&) { d.exportLines(); }));
    r.add(name("saleDetails.closeClicked"), on<D>([](D& d, const EventArgs&) { d.close(); }));
}

}  // namespace tillora
