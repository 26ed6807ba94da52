#include "records/records_module.h"

#include "data/current_user.h"
#include "forms/event_args.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/handler_registry.h"
#include "forms/services/message_service.h"
#include "forms/virtual_key.h"
#include "formset/form_ids.h"
#include "records/day_report_window.h"
#include "records/records_texts.h"
#include "records/sale_details_window.h"
#include "records/sales_query_dialog.h"
#include "records/sales_records_window.h"
#include "records/trail_window.h"
#include "sales/sales_module.h"

namespace tillora {

RecordsModule::RecordsModule(SalesModule& sales, QString databasePath)
    : sales_(sales), databasePath_(std::move(databasePath)) {}

ODBCDB& RecordsModule::database() const {
    return sales_.database();
}

void RecordsModule::installOpener() {
    sales_.setStatisticsOpener([this](FormWindow* owner) { openRecords(owner); });
    sales_.setDayReportOpener([this](FormWindow* owner) { openDayReport(owner); });
    sales_.setTrailOpener([this](FormWindow* owner) { openTrail(owner); });
}

void RecordsModule::openRecords(FormWindow* owner) {
    FormManager* manager = owner != nullptr ? owner->manager() : FormManager::instance();
    if (manager != nullptr) {
        manager->open(static_cast<qint32>(FormId::SalesRecords), false, owner);
    }
}

void RecordsModule::openDayReport(FormWindow* owner) {
    FormManager* manager = owner != nullptr ? owner->manager() : FormManager::instance();
    if (manager != nullptr) {
        manager->open(static_cast<qint32>(FormId::DayReport), false, owner);
    }
}

void RecordsModule::openTrail(FormWindow* owner) {
    if (!CurrentUser::orNobody().isAdministrator()) {
        showMessage(records_text::trailAdministratorsOnly());
        return;
    }
    FormManager* manager = owner != nullptr ? owner->manager() : FormManager::instance();
    if (manager != nullptr) {
        manager->open(static_cast<qint32>(FormId::OperationTrail), false, owner);
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
    r.add(name("salesRecords.queryClicked"),
          logicHandler<W>([](W& w, const EventArgs&) { w.openQuery(); }));
    r.add(name("salesRecords.detailsClicked"),
          logicHandler<W>([](W& w, const EventArgs&) { w.openDetails(); }));
    r.add(name("salesRecords.rowDoubleClicked"), logicHandler<W>([](W& w, const EventArgs& a) {
              if (intArgument(a) >= 0) {
                  w.openDetails();
              }
          }));
    r.add(name("salesRecords.exportClicked"),
          logicHandler<W>([](W& w, const EventArgs&) { w.exportList(); }));
    r.add(name("salesRecords.initialiseClicked"),
          logicHandler<W>([](W& w, const EventArgs&) { w.initialise(); }));
    r.add(name("salesRecords.searchClicked"),
          logicHandler<W>([](W& w, const EventArgs&) { w.search(); }));
    r.add(name("salesRecords.deleteClicked"),
          logicHandler<W>([](W& w, const EventArgs&) { w.deleteSelected(); }));
    r.add(name("salesRecords.reprintClicked"),
          logicHandler<W>([](W& w, const EventArgs&) { w.reprintSelected(); }));
    r.add(name("salesRecords.listRightClicked"), logicHandler<W>([](W& w, const EventArgs& a) {
              w.popupMenu(QPoint(intArgument(a, 0), intArgument(a, 1)));
          }));
    r.add(name("salesRecords.numberKeyDown"), [](const EventArgs& args) {
        // Enter in the number box searches, as 搜索 does.
        W* w = W::of(args.window);
        if (w == nullptr || intArgument(args, 0) != 0x0D || intArgument(args, 1) != 0) {
            return Value();
        }
        w->search();
        return Value::fromBool(false);
    });
    r.add(name("salesRecords.listKeyDown"), [](const EventArgs& args) {
        W* w = W::of(args.window);
        // A key the window uses is not passed on to the list.
        return w != nullptr && w->listKey(intArgument(args, 0), intArgument(args, 1))
                   ? Value::fromBool(false)
                   : Value();
    });

    using Q = SalesQueryDialog;
    r.add(name("salesQuery.created"), [this](const EventArgs& args) {
        (new SalesQueryDialog(*this, args.window))->start();
        return Value();
    });
    r.add(name("salesQuery.conditionTicked"),
          logicHandler<Q>([](Q& q, const EventArgs&) { q.conditionTicked(); }));
    r.add(name("salesQuery.queryClicked"),
          logicHandler<Q>([](Q& q, const EventArgs&) { q.query(); }));
    r.add(name("salesQuery.closeClicked"),
          logicHandler<Q>([](Q& q, const EventArgs&) { q.close(); }));

    using R = DayReportWindow;
    r.add(name("dayReport.created"), [this](const EventArgs& args) {
        (new DayReportWindow(*this, args.window))->start();
        return Value();
    });
    r.add(name("dayReport.showClicked"), logicHandler<R>([](R& w, const EventArgs&) { w.show(); }));
    r.add(name("dayReport.dayChanged"),
          logicHandler<R>([](R& w, const EventArgs&) { w.dayChanged(); }));
    r.add(name("dayReport.previewClicked"),
          logicHandler<R>([](R& w, const EventArgs&) { w.preview(); }));
    r.add(name("dayReport.printClicked"),
          logicHandler<R>([](R& w, const EventArgs&) { w.print(); }));
    r.add(name("dayReport.exportClicked"),
          logicHandler<R>([](R& w, const EventArgs&) { w.exportReport(); }));
    r.add(name("dayReport.closeClicked"),
          logicHandler<R>([](R& w, const EventArgs&) { w.close(); }));

    using T = TrailWindow;
    r.add(name("operationTrail.created"), [this](const EventArgs& args) {
        (new TrailWindow(*this, args.window))->start();
        return Value();
    });
    r.add(name("operationTrail.showClicked"),
          logicHandler<T>([](T& w, const EventArgs&) { w.show(); }));
    r.add(name("operationTrail.exportClicked"),
          logicHandler<T>([](T& w, const EventArgs&) { w.exportTrail(); }));
    r.add(name("operationTrail.closeClicked"),
          logicHandler<T>([](T& w, const EventArgs&) { w.close(); }));

    using D = SaleDetailsWindow;
    r.add(name("saleDetails.created"), [this](const EventArgs& args) {
        (new SaleDetailsWindow(*this, args.window, detailsSaleId_))->start();
        return Value();
    });
    r.add(name("saleDetails.rowChanged"),
          logicHandler<D>([](D& d, const EventArgs& a) { d.rowChanged(intArgument(a)); }));
    r.add(name("saleDetails.listKeyDown"), [](const EventArgs& args) {
        // Delete in the list deletes the selected line, as 删除 does.
        D* d = D::of(args.window);
        if (d == nullptr || intArgument(args, 0) != virtual_key::kDelete ||
            intArgument(args, 1) != 0) {
            return Value();
        }
        d->remove();
        return Value::fromBool(false);
    });
    r.add(name("saleDetails.discountTicked"),
          logicHandler<D>([](D& d, const EventArgs&) { d.discountTicked(); }));
    r.add(name("saleDetails.discountChosen"),
          logicHandler<D>([](D& d, const EventArgs& a) { d.discountChosen(intArgument(a)); }));
    r.add(name("saleDetails.addClicked"), logicHandler<D>([](D& d, const EventArgs&) { d.add(); }));
    r.add(name("saleDetails.changeClicked"),
          logicHandler<D>([](D& d, const EventArgs&) { d.change(); }));
    r.add(name("saleDetails.deleteClicked"),
          logicHandler<D>([](D& d, const EventArgs&) { d.remove(); }));
    r.add(name("saleDetails.exportClicked"),
          logicHandler<D>([](D& d, const EventArgs&) { d.exportLines(); }));
    r.add(name("saleDetails.closeClicked"),
          logicHandler<D>([](D& d, const EventArgs&) { d.close(); }));
}

}  // namespace tillora
