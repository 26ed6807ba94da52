#pragma once

#include <QAbstractButton>
#include <QCoreApplication>

#include "app/settings_hand_over.h"
#include "forms/component.h"
#include "forms/components/list_view.h"
#include "settings/logo_window.h"
#include "settings/printer_choice_window.h"
#include "settings/settings_module.h"
#include "tests/sales/sales_fixture.h"

namespace tillora::test {

// The sales fixture with the settings window joined to the sales windows as the program joins
// them; the logged-in user is admin unless a test says otherwise.
class SettingsFixture : public SalesFixture {
  protected:
    void SetUp() override {
        SalesFixture::SetUp();
        settings = std::make_unique<SettingsModule>(db);
        connectSettings(*settings, *module);
        settings->registerHandlers(handlers);
        LogoWindow::registerHandlers(handlers, db);
        PrinterChoiceWindow::registerHandlers(handlers);
    }
    void TearDown() override {
        SalesFixture::TearDown();
        settings.reset();
    }

    void logInAs(const QString& name, const QString& permission) { logIn(name, permission); }
    void logInAsOrdinaryUser() { logInAs(QStringLiteral("zoe"), QStringLiteral("普通用户")); }

    FormWindow* openSettings() {
        if (!settings->open(nullptr)) {
            ADD_FAILURE() << manager->lastError().toStdString();
            return nullptr;
        }
        return window(FormId::Settings);
    }
    FormWindow* window(FormId id) const { return manager->window(static_cast<qint32>(id)); }
    bool isOpen(FormId id) const { return manager->isOpen(static_cast<qint32>(id)); }

    static Component* c(FormWindow* w, const char* name) {
        return w->component(QString::fromUtf8(name));
    }
    static ListView* list(FormWindow* w, const char* name) {
        return dynamic_cast<ListView*>(c(w, name));
    }
    static void set(FormWindow* w, const char* name, const QString& text) {
        w->setText(QString::fromUtf8(name), text);
    }
    static QString get(FormWindow* w, const char* name) { return w->text(QString::fromUtf8(name)); }
    // Clicks as the mouse does: a disabled control ignores it, a tick box changes first.
    static void click(FormWindow* w, const char* name) {
        auto* button = qobject_cast<QAbstractButton*>(c(w, name)->widget());
        ASSERT_NE(button, nullptr) << name;
        button->click();
    }
    // Lets a dialog that closed itself go.
    static void settle() { QCoreApplication::processEvents(); }

    QString setting(const char* field) {
        return text(
            QStringLiteral("select %1 from 配置文件 where ID=1").arg(QString::fromUtf8(field)));
    }

    std::unique_ptr<SettingsModule> settings;
};

}  // namespace tillora::test
