#include "settings/settings_module.h"

#include "forms/event_args.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/handler_registry.h"
#include "forms/services/message_service.h"
#include "formset/form_ids.h"
#include "settings/import_preview_dialog.h"
#include "settings/settings_texts.h"
#include "settings/settings_window.h"
#include "settings/user_dialog.h"

namespace tillora {

namespace {

void runHook(const SettingsModule::WindowHook& hook, FormWindow* owner) {
    if (hook) {
        hook(owner);
    } else {
        showMessage(settings_text::notYetAvailable(), 0, settings_text::hint());
    }
}

}  // namespace

SettingsModule::SettingsModule(ODBCDB& db) : db_(db) {}

bool SettingsModule::open(FormWindow* owner) {
    FormManager* manager = FormManager::instance();
    return manager != nullptr && manager->open(static_cast<qint32>(FormId::Settings), true, owner);
}

void SettingsModule::openFormat(FormWindow* owner) const {
    runHook(openFormat_, owner);
}

void SettingsModule::openLogo(FormWindow* owner) const {
    runHook(openLogo_, owner);
}

void SettingsModule::openPrinter(FormWindow* owner) const {
    runHook(openPrinter_, owner);
}

void SettingsModule::setRemembersProducts(bool on) {
    remember_ = on;
    if (writeRemember_) {
        writeRemember_(on);
    }
}

void SettingsModule::exportList(FormWindow* owner, const QStringList& titles,
                                const QList<QStringList>& rows) const {
    if (export_) {
        export_(owner, titles, rows);
    } else {
        showMessage(settings_text::notYetAvailable(), 0, settings_text::hint());
    }
}

bool SettingsModule::confirmImport(const ProductImport& plan, FormWindow* owner) const {
    return confirmImport_ ? confirmImport_(plan, owner) : confirmProductImport(plan, owner);
}

void SettingsModule::settingsClosed() const {
    if (closed_) {
        closed_();
    }
}

void SettingsModule::registerHandlers(HandlerRegistry& r) {
    using S = SettingsWindow;
    const auto name = [](const char* handler) { return QString::fromLatin1(handler); };

    r.add(name("settings.created"), [this](const EventArgs& args) {
        (new SettingsWindow(*this, args.window))->start();
        return Value();
    });
    r.add(name("settings.destroyed"), [this](const EventArgs&) {
        settingsClosed();
        return Value();
    });
    r.add(name("settings.logoClicked"), logicHandler<S>([this](S& s) { openLogo(s.window()); }));
    r.add(name("settings.formatClicked"),
          logicHandler<S>([this](S& s) { openFormat(s.window()); }));
    r.add(name("settings.printerClicked"),
          logicHandler<S>([this](S& s) { openPrinter(s.window()); }));
    r.add(name("settings.showPrintedClicked"),
          logicHandler<S>([](S& s) { s.showPrintedClicked(); }));
    r.add(name("settings.askReprintClicked"), logicHandler<S>([](S& s) { s.askReprintClicked(); }));
    r.add(name("settings.unitPriceClicked"), logicHandler<S>([](S& s) { s.unitPriceClicked(); }));
    r.add(name("settings.saveClicked"), logicHandler<S>([](S& s) { s.save(); }));

    r.add(name("settings.productRowChanged"), [](const EventArgs& args) {
        if (S* s = S::of(args.window)) {
            s->productRowChanged(intArgument(args));
        }
        return Value();
    });
    r.add(name("settings.productAddClicked"), logicHandler<S>([](S& s) { s.addProduct(); }));
    r.add(name("settings.productChangeClicked"), logicHandler<S>([](S& s) { s.changeProduct(); }));
    r.add(name("settings.productDeleteClicked"), logicHandler<S>([](S& s) { s.deleteProduct(); }));
    r.add(name("settings.rememberClicked"), logicHandler<S>([](S& s) { s.rememberClicked(); }));
    r.add(name("settings.productImportClicked"), logicHandler<S>([](S& s) { s.importProducts(); }));
    r.add(name("settings.productExportClicked"), logicHandler<S>([](S& s) { s.exportProducts(); }));

    r.add(name("settings.userAddClicked"), logicHandler<S>([](S& s) { s.addUser(); }));
    r.add(name("settings.userChangeClicked"), logicHandler<S>([](S& s) { s.changeUser(); }));
    r.add(name("settings.userDeleteClicked"), logicHandler<S>([](S& s) { s.deleteUser(); }));
    r.add(name("settings.cancelDirectLoginClicked"),
          logicHandler<S>([](S& s) { s.cancelDirectLogin(); }));

    using D = UserDialog;
    r.add(name("userAdd.created"), [this](const EventArgs& args) {
        (new UserDialog(*this, args.window, UserDialog::Kind::Add))->start();
        return Value();
    });
    r.add(name("userAdd.addClicked"), logicHandler<D>([](D& d) { d.add(); }));
    r.add(name("userAdd.closeClicked"), [](const EventArgs& args) {
        args.window->closeLater();
        return Value();
    });
    r.add(name("userChange.created"), [this](const EventArgs& args) {
        (new UserDialog(*this, args.window, UserDialog::Kind::Change))->start();
        return Value();
    });
    r.add(name("userChange.changeClicked"), logicHandler<D>([](D& d) { d.change(); }));
    r.add(name("userChange.closeClicked"), [](const EventArgs& args) {
        args.window->closeLater();
        return Value();
    });
}

}  // namespace tillora
