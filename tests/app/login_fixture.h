#pragma once

#include "app/login_window.h"
#include "data/current_user.h"
#include "data/settings_record.h"
#include "data/sql_text.h"
#include "forms/component.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "formset/form_ids.h"
#include "tests/support/program_templates_fixture.h"
#include "tests/support/scripted_message_service.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEvent>

#include <memory>
#include <optional>

namespace tillora::test {

// A fresh template database, the embedded templates with the login handlers, scripted message
// boxes, and a stand-in for the window that follows a login.
class LoginFixture : public ProgramTemplatesFixture {
  protected:
    void SetUp() override {
        ProgramTemplatesFixture::SetUp();
        CurrentUser::forget();
        if (HasFatalFailure()) {
            return;
        }
        LoginWindow::registerHandlers(handlers, services());
        forms = std::make_unique<FormManager>(set, handlers);
    }
    void TearDown() override {
        forms.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        CurrentUser::forget();
    }

    LoginWindow::Services services() {
        LoginWindow::Services s;
        s.database = [this] { return &db; };
        s.openMainWindow = [this](const CurrentUser& user) {
            mainOpenedFor = user.userName();
            return mainWindowOpens;
        };
        s.endProgram = [this](int code) { endedWith = code; };
        return s;
    }

    FormWindow* openLogin() {
        if (!LoginWindow::open(*forms)) {
            return nullptr;
        }
        return forms->window(static_cast<qint32>(FormId::Login));
    }
    FormWindow* loginWindow() const { return forms->window(static_cast<qint32>(FormId::Login)); }
    bool loginWindowOpen() const {
        FormWindow* w = loginWindow();
        return w != nullptr && !w->isDestroying();
    }

    void type(const QString& name, const QString& password) {
        loginWindow()->setText(QStringLiteral("组合框_用户名"), name);
        loginWindow()->setText(QStringLiteral("编辑框_密码"), password);
    }
    void tickDirectLogin() {
        loginWindow()->widgetAs<QAbstractButton>(QStringLiteral("选择框1"))->click();
    }
    void click(const QString& button) { loginWindow()->widgetAs<QAbstractButton>(button)->click(); }
    void clickLogin() { click(QStringLiteral("按钮_登录")); }

    SettingsRecord settings() {
        SettingsRecord r;
        EXPECT_TRUE(readSettingsRecord(db, r));
        return r;
    }
    void addUser(const QString& name, const QString& permission, const QString& digest) {
        ASSERT_TRUE(db.ExecuteSql(
            QStringLiteral("insert into 用户登录 (用户名, 权限, 密码) values ('%1', '%2', '%3')")
                .arg(sqlText(name), sqlText(permission), sqlText(digest))));
    }

    ScriptedMessageService boxes;
    HandlerRegistry handlers;
    std::unique_ptr<FormManager> forms;
    std::optional<QString> mainOpenedFor;
    bool mainWindowOpens = true;
    std::optional<int> endedWith;
};

}  // namespace tillora::test
