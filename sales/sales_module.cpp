#include "sales/sales_module.h"
#include "data/operation_trail.h"

#include "data/current_user.h"
#include "data/database_setup.h"
#include "forms/event_args.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/handler_registry.h"
#include "forms/services/message_service.h"
#include "formset/form_ids.h"
#include "platform/data_folder.h"
#include "platform/desktop_programs.h"
#include "platform/version.h"
#include "print/printer.h"
#include "sales/customers_window.h"
#include "sales/payment_methods_window.h"
#include "sales/receipt_number_format_window.h"
#include "sales/sales_entry_window.h"
#include "sales/sales_texts.h"

namespace tillora {

namespace {

void openModal(FormWindow* owner, FormId id) {
    if (FormManager* manager = FormManager::instance()) {
        manager->open(static_cast<qint32>(id), true, owner);
    }
}

void runHook(const SalesModule::WindowHook& hook, FormWindow* owner) {
    if (hook) {
        hook(owner);
    } else {
        showMessage(sales_text::notYetAvailable(), 0, sales_text::hint());
    }
}

}  // namespace

SalesModule::SalesModule(ODBCDB& db) : db_(db) {}

std::optional<NewProductInput> SalesModule::askNewProduct(const QString& code,
                                                          FormWindow* owner) const {
    return newProduct_ ? newProduct_(code, owner) : tillora::askNewProduct(code, owner);
}

void SalesModule::registerHandlers(HandlerRegistry& r) {
    using W = SalesEntryWindow;
    const auto name = [](const char* handler) { return QString::fromLatin1(handler); };

    r.add(name("salesEntry.created"), [this](const EventArgs& args) {
        (new SalesEntryWindow(*this, args.window))->start();
        return Value();
    });
    r.add(name("salesEntry.destroyed"), [](const EventArgs&) { return Value(); });
    r.add(name("salesEntry.closeRequest"), [](const EventArgs& args) {
        W* w = W::of(args.window);
        return w != nullptr && !w->mayClose() ? Value::fromBool(false) : Value();
    });
    r.add(name("salesEntry.clockTick"),
          logicHandler<W>([](W& w, const EventArgs&) { w.showTime(); }));
    r.add(name("salesEntry.productChosen"),
          logicHandler<W>([](W& w, const EventArgs& a) { w.products().choose(intArgument(a)); }));
    r.add(name("salesEntry.productTyped"),
          logicHandler<W>([](W& w, const EventArgs&) { w.products().typed(); }));
    r.add(name("salesEntry.productLeft"),
          logicHandler<W>([](W& w, const EventArgs&) { w.products().left(); }));
    // A key the window used is swallowed (a false result), any other reaches the box.
    r.add(name("salesEntry.entryKeyDown"), [](const EventArgs& args) {
        W* w = W::of(args.window);
        if (w != nullptr && args.component != nullptr &&
            w->entryKey(args.component, intArgument(args))) {
            return Value::fromBool(false);
        }
        return Value();
    });
    r.add(name("salesEntry.cashierLeft"),
          logicHandler<W>([](W& w, const EventArgs&) { w.cashierAccepted(); }));
    r.add(name("salesEntry.listKeyDown"), [](const EventArgs& args) {
        W* w = W::of(args.window);
        return w != nullptr && w->listKey(intArgument(args, 0), intArgument(args, 1))
                   ? Value::fromBool(false)
                   : Value();
    });
    r.add(name("salesEntry.cashierChosen"), logicHandler<W>([](W& w, const EventArgs& a) {
              w.pickers().chooseCashier(intArgument(a));
          }));
    r.add(name("salesEntry.cashChosen"), logicHandler<W>([](W& w, const EventArgs& a) {
              w.pickers().chooseCash(intArgument(a));
          }));
    r.add(name("salesEntry.cashChanged"),
          logicHandler<W>([](W& w, const EventArgs&) { w.updateChange(); }));
    r.add(name("salesEntry.paymentChosen"), logicHandler<W>([](W& w, const EventArgs& a) {
              w.pickers().choosePaymentMethod(intArgument(a));
              w.updateChange();
          }));
    r.add(name("salesEntry.customerChosen"), logicHandler<W>([](W& w, const EventArgs& a) {
              w.pickers().chooseCustomer(intArgument(a));
          }));
    r.add(name("salesEntry.phoneChosen"), logicHandler<W>([](W& w, const EventArgs& a) {
              w.pickers().choosePhone(intArgument(a));
          }));
    r.add(name("salesEntry.discountTicked"),
          logicHandler<W>([](W& w, const EventArgs&) { w.pickers().discountTicked(); }));
    r.add(name("salesEntry.paymentTicked"), logicHandler<W>([](W& w, const EventArgs&) {
              w.pickers().paymentTicked();
              w.updateChange();
          }));
    r.add(name("salesEntry.customerTicked"),
          logicHandler<W>([](W& w, const EventArgs&) { w.pickers().customerTicked(); }));
    r.add(name("salesEntry.phoneTicked"),
          logicHandler<W>([](W& w, const EventArgs&) { w.pickers().phoneTicked(); }));
    r.add(name("salesEntry.addClicked"),
          logicHandler<W>([](W& w, const EventArgs&) { w.addLine(); }));
    r.add(name("salesEntry.changeClicked"),
          logicHandler<W>([](W& w, const EventArgs&) { w.changeLine(); }));
    r.add(name("salesEntry.deleteClicked"),
          logicHandler<W>([](W& w, const EventArgs&) { w.deleteLine(); }));
    r.add(name("salesEntry.rowChanged"),
          logicHandler<W>([](W& w, const EventArgs& a) { w.copyRowToEntry(intArgument(a)); }));
    r.add(name("salesEntry.previewClicked"),
          logicHandler<W>([](W& w, const EventArgs&) { w.preview(); }));
    r.add(name("salesEntry.printClicked"),
          logicHandler<W>([](W& w, const EventArgs&) { w.print(); }));
    r.add(name("salesEntry.saveOnlyClicked"),
          logicHandler<W>([](W& w, const EventArgs&) { w.saveOnly(); }));
    r.add(name("salesEntry.paymentMethodsClicked"), logicHandler<W>([](W& w, const EventArgs&) {
              openModal(w.window(), FormId::PaymentMethods);
          }));
    r.add(name("salesEntry.customersClicked"), logicHandler<W>([](W& w, const EventArgs&) {
              openModal(w.window(), FormId::Customers);
          }));
    r.add(name("salesEntry.customerInfo"), logicHandler<W>([](W& w, const EventArgs&) {
              openModal(w.window(), FormId::Customers);
          }));
    r.add(name("salesEntry.softwareSettings"),
          logicHandler<W>([this](W& w, const EventArgs&) { runHook(openSettings_, w.window()); }));
    r.add(name("salesEntry.salesStatistics"), logicHandler<W>([this](W& w, const EventArgs&) {
              runHook(openStatistics_, w.window());
          }));
    r.add(name("salesEntry.dayReport"),
          logicHandler<W>([this](W& w, const EventArgs&) { runHook(openDayReport_, w.window()); }));
    r.add(name("salesEntry.trail"),
          logicHandler<W>([this](W& w, const EventArgs&) { runHook(openTrail_, w.window()); }));
    r.add(name("salesEntry.calculator"), [](const EventArgs&) {
        if (!DesktopPrograms::startCalculator()) {
            showMessage(QStringLiteral("无法启动计算器！"), 0, sales_text::hint());
        }
        return Value();
    });
    r.add(name("salesEntry.notepad"), [](const EventArgs&) {
        if (!DesktopPrograms::startTextEditor()) {
            showMessage(QStringLiteral("无法启动记事本！"), 0, sales_text::hint());
        }
        return Value();
    });
    r.add(name("salesEntry.openDrawer"), [this](const EventArgs&) {
        if (!CurrentUser::orNobody().isAdministrator()) {
            showMessage(sales_text::drawerAdminOnly(), 0, sales_text::hint());
            return Value();
        }
        const QString failure = Printer::openCashDrawer();
        if (!failure.isEmpty()) {
            showMessage(failure, 0, sales_text::hint());
        } else {
            operation_trail::note(database(), {QStringLiteral("打开钱箱"),
                                               QStringLiteral("钱箱"),
                                               {},
                                               QStringLiteral("打开钱箱按钮"),
                                               {}});
        }
        return Value();
    });
    r.add(name("salesEntry.contact"), [](const EventArgs&) {
        showMessage(QStringLiteral("使用中遇到问题或有改进建议，\r\n"
                                   "请联系为本店安装 Tillora 的技术人员。"),
                    0x40, QStringLiteral("联系作者"));
        return Value();
    });
    r.add(name("salesEntry.versionCheck"), [](const EventArgs&) {
        showMessage(QStringLiteral(" 网站建设中......\r\n 可先咨询客服索取。"), 0,
                    QStringLiteral("提示："));
        return Value();
    });
    r.add(name("salesEntry.about"), [](const EventArgs&) {
        showMessage(QStringLiteral("Tillora v" TILLORA_VERSION
                                   "\r\n\r\n小票打印与销售记录软件：开小票、打印、"
                                   "保存每一笔销售，\r\n数据保存在 %1 中。")
                        .arg(databasePath(DataFolder::current())),
                    0x40, QStringLiteral("关于"));
        return Value();
    });

    using P = PaymentMethodsWindow;
    r.add(name("paymentMethods.created"), [this](const EventArgs& args) {
        (new PaymentMethodsWindow(db_, args.window))->fill();
        return Value();
    });
    r.add(name("paymentMethods.destroyed"), [](const EventArgs&) { return Value(); });
    r.add(name("paymentMethods.rowChanged"),
          logicHandler<P>([](P& p, const EventArgs& a) { p.rowChanged(intArgument(a)); }));
    r.add(name("paymentMethods.addClicked"),
          logicHandler<P>([](P& p, const EventArgs&) { p.add(); }));
    r.add(name("paymentMethods.changeClicked"),
          logicHandler<P>([](P& p, const EventArgs&) { p.change(); }));
    r.add(name("paymentMethods.deleteClicked"),
          logicHandler<P>([](P& p, const EventArgs&) { p.remove(); }));

    using C = CustomersWindow;
    r.add(name("customers.created"), [this](const EventArgs& args) {
        (new CustomersWindow(db_, args.window))->fill();
        return Value();
    });
    r.add(name("customers.rowChanged"),
          logicHandler<C>([](C& c, const EventArgs& a) { c.rowChanged(intArgument(a)); }));
    r.add(name("customers.addClicked"), logicHandler<C>([](C& c, const EventArgs&) { c.add(); }));
    r.add(name("customers.changeClicked"),
          logicHandler<C>([](C& c, const EventArgs&) { c.change(); }));
    r.add(name("customers.deleteClicked"),
          logicHandler<C>([](C& c, const EventArgs&) { c.remove(); }));
    r.add(name("customers.searchClicked"),
          logicHandler<C>([](C& c, const EventArgs&) { c.search(); }));

    using F = ReceiptNumberFormatWindow;
    r.add(name("receiptNumberFormat.created"), [this](const EventArgs& args) {
        (new ReceiptNumberFormatWindow(*this, args.window))->start();
        return Value();
    });
    r.add(name("receiptNumberFormat.optionChanged"),
          logicHandler<F>([](F& f, const EventArgs&) { f.optionChanged(); }));
    r.add(name("receiptNumberFormat.okClicked"),
          logicHandler<F>([](F& f, const EventArgs&) { f.confirm(); }));
    r.add(name("receiptNumberFormat.cancelClicked"),
          logicHandler<F>([](F& f, const EventArgs&) { f.cancel(); }));
}

}  // namespace tillora
