#include "sales/sales_module.h"

#include "forms/event_args.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/handler_registry.h"
#include "forms/message_service.h"
#include "formset/form_ids.h"
#include "platform/desktop_programs.h"
#include "sales/customers_window.h"
#include "sales/payment_methods_window.h"
#include "sales/receipt_number_format_window.h"
#include "sales/sales_entry_window.h"
#include "sales/sales_texts.h"

namespace tillora {

namespace {

int intArg(const EventArgs& args) {
    double number = 0;
    return args.arg(0).toNumber(&number) ? static_cast<int>(number) : -1;
}

// Handlers return nothing the window looks at; an empty value says so.
template <typename Logic, typename F>
Handler on(F f) {
    return [f](const EventArgs& args) {
        if (Logic* logic = Logic::of(args.window)) {
            f(*logic, args);
        }
        return Value();
    };
}

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
    r.add(name("salesEntry.clockTick"), on<W>([](W& w, const EventArgs&) { w.showTime(); }));
    r.add(name("salesEntry.productChosen"),
          on<W>([](W& w, const EventArgs& a) { w.chooseProduct(intArg(a)); }));
    r.add(name("salesEntry.productTyped"), on<W>([](W& w, const EventArgs&) { w.productTyped(); }));
    r.add(name("salesEntry.productLeft"), on<W>([](W& w, const EventArgs&) { w.productLeft(); }));
    // A key the window used is swallowed (a false result), any other reaches the box.
    r.add(name("salesEntry.entryKeyDown"), [](const EventArgs& args) {
        W* w = W::of(args.window);
        if (w != nullptr && args.component != nullptr &&
            w->entryKey(args.component, intArg(args))) {
            return Value::fromBool(false);
        }
        return Value();
    });
    r.add(name("salesEntry.cashierChosen"),
          on<W>([](W& w, const EventArgs& a) { w.chooseCashier(intArg(a)); }));
    r.add(name("salesEntry.cashChosen"),
          on<W>([](W& w, const EventArgs& a) { w.chooseCash(intArg(a)); }));
    r.add(name("salesEntry.cashChanged"), on<W>([](W& w, const EventArgs&) { w.updateChange(); }));
    r.add(name("salesEntry.paymentChosen"),
          on<W>([](W& w, const EventArgs& a) { w.choosePaymentMethod(intArg(a)); }));
    r.add(name("salesEntry.customerChosen"),
          on<W>([](W& w, const EventArgs& a) { w.chooseCustomer(intArg(a)); }));
    r.add(name("salesEntry.phoneChosen"),
          on<W>([](W& w, const EventArgs& a) { w.choosePhone(intArg(a)); }));
    r.add(name("salesEntry.discountTicked"),
          on<W>([](W& w, const EventArgs&) { w.discountTicked(); }));
    r.add(name("salesEntry.paymentTicked"),
          on<W>([](W& w, const EventArgs&) { w.paymentTicked(); }));
    r.add(name("salesEntry.customerTicked"),
          on<W>([](W& w, const EventArgs&) { w.customerTicked(); }));
    r.add(name("salesEntry.phoneTicked"), on<W>([](W& w, const EventArgs&) { w.phoneTicked(); }));
    r.add(name("salesEntry.addClicked"), on<W>([](W& w, const EventArgs&) { w.addLine(); }));
    r.add(name("salesEntry.changeClicked"), on<W>([](W& w, const EventArgs&) { w.changeLine(); }));
    r.add(name("salesEntry.deleteClicked"), on<W>([](W& w, const EventArgs&) { w.deleteLine(); }));
    r.add(name("salesEntry.rowChanged"),
          on<W>([](W& w, const EventArgs& a) { w.copyRowToEntry(intArg(a)); }));
    r.add(name("salesEntry.previewClicked"), on<W>([](W& w, const EventArgs&) { w.preview(); }));
    r.add(name("salesEntry.printClicked"), on<W>([](W& w, const EventArgs&) { w.print(); }));
    r.add(name("salesEntry.saveOnlyClicked"), on<W>([](W& w, const EventArgs&) { w.saveOnly(); }));
    r.add(name("salesEntry.paymentMethodsClicked"),
          on<W>([](W& w, const EventArgs&) { openModal(w.window(), FormId::PaymentMethods); }));
    r.add(name("salesEntry.customersClicked"),
          on<W>([](W& w, const EventArgs&) { openModal(w.window(), FormId::Customers); }));
    r.add(name("salesEntry.customerInfo"),
          on<W>([](W& w, const EventArgs&) { openModal(w.window(), FormId::Customers); }));
    r.add(name("salesEntry.softwareSettings"),
          on<W>([this](W& w, const EventArgs&) { runHook(openSettings_, w.window()); }));
    r.add(name("salesEntry.salesStatistics"),
          on<W>([this](W& w, const EventArgs&) { runHook(openStatistics_, w.window()); }));
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
        showMessage(QStringLiteral("Tillora v1.2\r\n\r\n小票打印与销售记录软件：开小票、打印、"
                                   "保存每一笔销售，\r\n数据保存在程序目录下的 Zeb.mdb 中。"),
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
          on<P>([](P& p, const EventArgs& a) { p.rowChanged(intArg(a)); }));
    r.add(name("paymentMethods.addClicked"), on<P>([](P& p, const EventArgs&) { p.add(); }));
    r.add(name("paymentMethods.changeClicked"), on<P>([](P& p, const EventArgs&) { p.change(); }));
    r.add(name("paymentMethods.deleteClicked"), on<P>([](P& p, const EventArgs&) { p.remove(); }));

    using C = CustomersWindow;
    r.add(name("customers.created"), [this](const EventArgs& args) {
        (new CustomersWindow(db_, args.window))->fill();
        return Value();
    });
    r.add(name("customers.rowChanged"),
          on<C>([](C& c, const EventArgs& a) { c.rowChanged(intArg(a)); }));
    r.add(name("customers.addClicked"), on<C>([](C& c, const EventArgs&) { c.add(); }));
    r.add(name("customers.changeClicked"), on<C>([](C& c, const EventArgs&) { c.change(); }));
    r.add(name("customers.deleteClicked"), on<C>([](C& c, const EventArgs&) { c.remove(); }));
    r.add(name("customers.searchClicked"), on<C>([](C& c, const EventArgs&) { c.search(); }));

    using F = ReceiptNumberFormatWindow;
    r.add(name("receiptNumberFormat.created"), [this](const EventArgs& args) {
        (new ReceiptNumberFormatWindow(*this, args.window))->start();
        return Value();
    });
    r.add(name("receiptNumberFormat.optionChanged"),
          on<F>([](F& f, const EventArgs&) { f.optionChanged(); }));
    r.add(name("receiptNumberFormat.okClicked"),
          on<F>([](F& f, const EventArgs&) { f.confirm(); }));
    r.add(name("receiptNumberFormat.cancelClicked"),
          on<F>([](F& f, const EventArgs&) { f.cancel(); }));
}

}  // namespace tillora
