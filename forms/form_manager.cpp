#include "forms/form_manager.h"

#include "forms/event_args.h"
#include "forms/event_dispatcher.h"
#include "forms/form_window.h"

#include <QApplication>

namespace tillora {

namespace {
FormManager* current = nullptr;
}

FormManager::FormManager(const TemplateSet& set, const HandlerRegistry& handlers)
    : set_(set), handlers_(handlers) {
    current = this;
}

FormManager::~FormManager() {
    closeAll();
    if (current == this) {
        current = nullptr;
    }
}

FormManager* FormManager::instance() {
    return current;
}

QList<FormWindow*> FormManager::openWindows() const {
    QList<FormWindow*> open;
    for (const qint32 id : openOrder_) {
        open.append(windows_.value(id));
    }
    return open;
}

bool FormManager::open(qint32 windowId, bool modal, QWidget* owner) {
    lastError_.clear();
    if (FormWindow* open = windows_.value(windowId)) {
        if (open->isMinimized()) {
            open->showNormal();
        }
        open->raise();
        open->activateWindow();
        return true;
    }
    const WindowTemplate* windowTemplate = set_.window(windowId);
    if (windowTemplate == nullptr) {
        lastError_ = QStringLiteral("no window template %1").arg(windowId, 0, 16);
        return false;
    }
    auto* window = new FormWindow(this, *windowTemplate);
    {
        EventDispatcher::Suspension suspended;
        QString error;
        if (!window->build(handlers_, &error)) {
            lastError_ = error;
            delete window;
            return false;
        }
    }
    windows_.insert(windowId, window);
    openOrder_.append(windowId);
    QPointer<FormWindow> alive(window);
    window->raiseWindowEvent(event::kWindowCreated);
    if (alive != nullptr && !alive->isDestroying()) {
        window->raiseWindowEvent(event::kWindowAfterCreated1);
    }
    if (alive != nullptr && !alive->isDestroying()) {
        window->raiseWindowEvent(event::kWindowAfterCreated2);
    }
    if (alive == nullptr || alive->isDestroying()) {
        return true;  // the created handler closed it again
    }
    if (modal) {
        ModalState state;
        state.owner = owner;
        for (QWidget* other : QApplication::topLevelWidgets()) {
            const Qt::WindowType kind = other->windowType();
            if (other == window || !other->isEnabled() ||
                (kind != Qt::Window && kind != Qt::Dialog && kind != Qt::Tool)) {
                continue;
            }
            other->setEnabled(false);
            state.disabled.append(other);
        }
        modal_.insert(window, state);
    }
    if (windowTemplate->windowRecord().visible()) {
        switch (window->block().startPosition) {
            case 2:
                window->showMinimized();
                break;
            case 3:
                window->showMaximized();
                break;
            default:
                window->show();
                break;
        }
    }
    Q_EMIT windowOpened(windowId);
    return true;
}

void FormManager::close(qint32 windowId) {
    if (FormWindow* window = windows_.value(windowId)) {
        window->destroyWindow();
    }
}

void FormManager::closeAll() {
    closeAllBut(nullptr);
}

void FormManager::closeAllBut(const FormWindow* keep) {
    QList<QPointer<FormWindow>> open;
    for (auto it = openOrder_.crbegin(); it != openOrder_.crend(); ++it) {
        open.append(windows_.value(*it));
    }
    // A window's being-destroyed handler may close others itself.
    for (const QPointer<FormWindow>& window : open) {
        if (window != nullptr && window != keep) {
            window->destroyWindow();
        }
    }
}

void FormManager::setMainWindow(const FormWindow* window) {
    mainWindow_ = window;
}

bool FormManager::isMainWindow(const FormWindow* window) const {
    return window != nullptr && window == mainWindow_.data();
}

void FormManager::windowDestroyed(FormWindow* window) {
    const qint32 id = window->windowId();
    if (windows_.value(id) == window) {
        windows_.remove(id);
        openOrder_.removeOne(id);
    }
    if (modal_.contains(window)) {
        const ModalState state = modal_.take(window);
        for (const QPointer<QWidget>& other : state.disabled) {
            if (other != nullptr) {
                other->setEnabled(true);
            }
        }
        if (state.owner != nullptr) {
            state.owner->activateWindow();
        }
    }
    Q_EMIT windowClosed(id);
    if (isMainWindow(window)) {
        mainWindow_ = nullptr;
        Q_EMIT mainWindowClosed();
    }
}

QStringList FormManager::missingHandlers() const {
    QStringList names;
    for (const WindowTemplate& w : set_.windows) {
        for (const ComponentRecord& r : w.components) {
            for (const EventEntry& e : r.events) {
                if (!e.handler.isEmpty()) {
                    names << e.handler;
                }
            }
        }
        for (const MenuItemRecord& m : w.menuItems) {
            if (!m.handler.isEmpty()) {
                names << m.handler;
            }
        }
    }
    return handlers_.missing(names);
}

}  // namespace tillora
