#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

#include "data/database_setup.h"
#include "data/odbcdb.h"
#include "data/template_database.h"
#include "forms/component.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/handler_registry.h"
#include "formset/form_ids.h"
#include "settings/logo_window.h"
#include "settings/printer_choice_window.h"
#include "tests/support/program_templates_fixture.h"
#include "tests/support/scripted_file_dialog.h"
#include "tests/support/scripted_message_service.h"

namespace tillora::test {

// A fresh template database and a form manager over the program's own templates with the
// printer choice and logo handlers.
class PrintWindowsFixture : public ProgramTemplatesFixture {
  protected:
    void SetUp() override {
        ProgramTemplatesFixture::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        PrinterChoiceWindow::registerHandlers(handlers);
        LogoWindow::registerHandlers(handlers, db);
        registerMoreHandlers(handlers);
        manager = std::make_unique<FormManager>(set, handlers);
    }
    void TearDown() override {
        if (manager) {
            manager->closeAll();
        }
        manager.reset();
    }

    // Handlers of other windows a test drives as well.
    virtual void registerMoreHandlers(HandlerRegistry&) {}

    FormWindow* window(FormId id) const { return manager->window(static_cast<qint32>(id)); }
    void click(FormWindow* w, const char* name) { w->component(QString::fromUtf8(name))->raise(0); }
    // Lets a window that closes itself after its handler go.
    static void settle() {
        for (int i = 0; i < 3; ++i) {
            QApplication::processEvents();
        }
    }

    // A key pressed and released on `w`, as the keyboard would send it.
    static void key(QWidget* w, int code, const QString& text = {}) {
        QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
        QApplication::sendEvent(w, &release);
    }
    static void type(QWidget* w, const QString& text) {
        for (const QChar ch : text) {
            key(w, ch.unicode(), QString(ch));
        }
    }
    // A left click in the middle of `w`.
    static void mouseClick(QWidget* w) {
        const QPointF at(w->width() / 2.0, w->height() / 2.0);
        const QPointF global = w->mapToGlobal(at);
        QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(w, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(w, &release);
    }

    // The components met when walking the focus chain once round from the first of `order`,
    // in the order met, among those of `order` that take the Tab focus.
    static QStringList tabWalk(FormWindow* w, const QStringList& order) {
        QList<QWidget*> stops;
        for (const QString& name : order) {
            stops << w->component(name)->widget();
        }
        QStringList met;
        QWidget* at = stops.front();
        for (int guard = 0; guard < 200; ++guard) {
            at = at->nextInFocusChain();
            if (at == stops.front()) {
                break;
            }
            const qsizetype i = stops.indexOf(at);
            if (i >= 0 && (at->focusPolicy() & Qt::TabFocus) != 0) {
                met << order.at(i);
            }
        }
        return met;
    }

    ScriptedMessageService messages;
    ScriptedFileDialog files;
    HandlerRegistry handlers;
    std::unique_ptr<FormManager> manager;
};

}  // namespace tillora::test
