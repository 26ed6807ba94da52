#pragma once

#include <QCoreApplication>
#include <QDateTime>

#include <gtest/gtest.h>

#include <memory>

#include "data/database_setup.h"
#include "data/odbcdb.h"
#include "data/template_database.h"
#include "forms/component_factory.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/handler_registry.h"
#include "formset/form_ids.h"
#include "platform/clock.h"
#include "print/print_components.h"
#include "sales/receipt_printer.h"
#include "sales/sales_module.h"
#include "tests/support/first_cell.h"
#include "tests/support/logged_in_user.h"
#include "tests/support/program_templates_fixture.h"
#include "tests/support/scripted_message_service.h"

namespace tillora::test {

// A fresh template database, the sales handlers and a form manager over the program's own
// window templates; the clock stands on 18 August 2016 unless a test moves it.
class SalesFixture : public ProgramTemplatesFixture {
  protected:
    void SetUp() override {
        ProgramTemplatesFixture::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        module = std::make_unique<SalesModule>(db);
        logIn(QStringLiteral("admin"), QStringLiteral("管理员"));
        module->registerHandlers(handlers);
        manager = std::make_unique<FormManager>(set, handlers);
    }
    void TearDown() override {
        if (manager) {
            manager->closeAll();
        }
        manager.reset();
        CurrentUser::forget();
    }

    FormWindow* open(FormId id) {
        if (!manager->open(static_cast<qint32>(id))) {
            ADD_FAILURE() << manager->lastError().toStdString();
            return nullptr;
        }
        return manager->window(static_cast<qint32>(id));
    }

    ScriptedMessageService messages;
    HandlerRegistry handlers;
    std::unique_ptr<SalesModule> module;
    std::unique_ptr<FormManager> manager;
    QDateTime now{QDate(2016, 8, 18), QTime(21, 5, 9)};
    Clock::Override clock{[this] { return now; }};
};

// The sales fixture with receipts printing as in the program: the print components and the
// receipt printer installed.
class ReceiptPrintingFixture : public SalesFixture {
  protected:
    void SetUp() override {
        // Windows other tests closed may still wait for deletion, their clocks bound to fixtures
        // that are gone.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SalesFixture::SetUp();
        PrintComponents::registerWith(ComponentFactory::instance());
        installReceiptPrinting(*module);
    }
    // Closed windows are deleted later; printing pumps events, and a closed window's clock must
    // not tick into the next test's fixture.
    void TearDown() override {
        SalesFixture::TearDown();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

}  // namespace tillora::test
