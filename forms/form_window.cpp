#include "forms/form_window.h"

#include "forms/component.h"
#include "forms/component_factory.h"
#include "forms/component_font.h"
#include "forms/event_dispatcher.h"
#include "forms/form_manager.h"
#include "forms/window_frame_metrics.h"
#include "templates/menu_keys.h"

#include <QAbstractButton>
#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QSet>
#include <QTimer>

#include <algorithm>

namespace tillora {

namespace {

// First control id and the step between components, as the window procedure numbers them.
constexpr int kFirstControlId = 100;
constexpr int kControlIdStep = 10;

}  // namespace

FormWindow::FormWindow(FormManager* manager, const WindowTemplate& windowTemplate)
    : QWidget(nullptr), manager_(manager), template_(windowTemplate) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    // Components without a font of their own inherit it, as they take the system's GUI font.
    setFont(defaultGuiFont());
}

FormWindow::~FormWindow() {
    // Components go before their widgets so that no event filter outlives its component.
    byId_.clear();
    byName_.clear();
    components_.clear();
}

bool FormWindow::build(const HandlerRegistry& handlers, QString* error) {
    if (template_.components.isEmpty()) {
        *error = QStringLiteral("window template without its own record");
        return false;
    }
    const ComponentRecord& own = template_.windowRecord();
    if (!own.propertyData.isEmpty() && !parse(own.propertyData, block_)) {
        *error = QStringLiteral("window property data can't be read (or is newer than version %1)")
                     .arg(WindowBlock::kVersion);
        return false;
    }
    setObjectName(own.name);
    if (!bindHandlers(handlers, error)) {
        return false;
    }
    buildMenu();
    applyWindowStyle();
    if (!createComponents(error)) {
        return false;
    }
    placeInContainers();
    updateParking();
    applyTabOrder();
    // Pages other than the current one keep their components hidden.
    for (const auto& c : components_) {
        if (c->pageCount() > 1 || c->type() == static_cast<qint32>(ComponentType::TabControl)) {
            for (const auto& child : components_) {
                if (child->containerId() == c->id()) {
                    child->setPageHidden(child->page() != c->currentPage());
                }
            }
        }
    }
    for (const auto& c : components_) {
        c->windowComplete();
    }
    for (const auto& c : components_) {
        c->setVisibleFlag(c->visibleFlag());
    }
    return true;
}

bool FormWindow::bindHandlers(const HandlerRegistry& handlers, QString* error) {
    QStringList missing;
    auto bind = [&](const QString& name, Handler* out) {
        if (name.isEmpty()) {
            return false;
        }
        if (const Handler* h = handlers.find(name)) {
            *out = *h;
            return true;
        }
        if (!missing.contains(name)) {
            missing << name;
        }
        return false;
    };
    for (const ComponentRecord& record : template_.components) {
        // Components sharing handlers point at another component of the same type.
        const ComponentRecord* source = &record;
        QSet<qint32> seen{record.id};
        while (source->handlerSource != 0) {
            const ComponentRecord* next = template_.component(source->handlerSource);
            if (next == nullptr || next->type != record.type || seen.contains(next->id)) {
                break;
            }
            seen.insert(next->id);
            source = next;
        }
        const qint32 key = &record == &template_.windowRecord() ? 0 : record.id;
        for (const EventEntry& entry : source->events) {
            Handler handler;
            if (bind(entry.handler, &handler)) {
                handlers_[key].insert(entry.event, std::move(handler));
            }
        }
    }
    for (const MenuItemRecord& item : template_.menuItems) {
        Handler handler;
        if (bind(item.handler, &handler)) {
            menuHandlers_.insert(item.id, std::move(handler));
        }
    }
    if (!missing.isEmpty()) {
        *error = QStringLiteral("the program provides no handler %1")
                     .arg(missing.join(QStringLiteral(", ")));
        return false;
    }
    return true;
}

void FormWindow::buildMenu() {
    QMenu* dropDown = nullptr;
    bool dropDownHidden = false;
    for (const MenuItemRecord& item : template_.menuItems) {
        if (item.level == 0) {
            dropDown = nullptr;
            dropDownHidden = item.hidden();
            if (item.hidden()) {
                continue;
            }
            if (menuBar_ == nullptr) {
                menuBar_ = new QMenuBar(this);
                menuBar_->setObjectName(QStringLiteral("menuBar"));
                menuBar_->setNativeMenuBar(false);
            }
            // A bar item becomes a drop-down when level-1 items follow it.
            const qsizetype index = template_.menuItems.indexOf(item);
            const bool hasChildren = index + 1 < template_.menuItems.size() &&
                                     template_.menuItems.at(index + 1).level > 0;
            QAction* action = nullptr;
            if (hasChildren) {
                dropDown = menuBar_->addMenu(item.caption);
                action = dropDown->menuAction();
            } else {
                action = menuBar_->addAction(item.caption);
            }
            action->setEnabled(!item.disabled());
            menuActions_.insert(item.id, action);
            if (!hasChildren) {
                connect(action, &QAction::triggered, this, [this, id = item.id] {
                    if (!EventDispatcher::suspended() && menuHandlers_.contains(id)) {
                        EventArgs args{this, nullptr, 0, {}};
                        menuHandlers_.value(id)(args);
                    }
                });
            }
            continue;
        }
        if (dropDown == nullptr || dropDownHidden || item.hidden()) {
            continue;
        }
        if (item.isSeparator()) {
            dropDown->addSeparator();
            continue;
        }
        // The menu shows the key beside the caption; the window answers it while it is active.
        QAction* action = dropDown->addAction(item.caption);
        action->setEnabled(!item.disabled());
        if (item.shortcut != 0) {
            action->setShortcut(QKeySequence::fromString(menu_keys::name(item.shortcut),
                                                         QKeySequence::PortableText));
            action->setShortcutContext(Qt::WindowShortcut);
        }
        if (item.checked()) {
            action->setCheckable(true);
            action->setChecked(true);
        }
        menuActions_.insert(item.id, action);
        connect(action, &QAction::triggered, this, [this, id = item.id] {
            if (!EventDispatcher::suspended() && menuHandlers_.contains(id)) {
                EventArgs args{this, nullptr, 0, {}};
                menuHandlers_.value(id)(args);
            }
        });
    }
}

void FormWindow::applyWindowStyle() {
    const ComponentRecord& own = template_.windowRecord();
    const bool titleBar = block_.hasTitleBar();
    const WindowFrameMetrics metrics(block_.border, titleBar);

    Qt::WindowFlags flags = Qt::Window;
    if (block_.border == 0) {
        flags |= Qt::FramelessWindowHint;
    } else {
        flags |= Qt::CustomizeWindowHint;
        if (titleBar) {
            flags |= Qt::WindowTitleHint;
        }
        if (block_.controlBox != 0) {
            flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        }
        if (block_.minButton != 0) {
            flags |= Qt::WindowMinimizeButtonHint;
        }
        if (block_.maxButton != 0) {
            flags |= Qt::WindowMaximizeButtonHint;
        }
        if (WindowFrameMetrics::isNarrowTitle(block_.border)) {
            flags = (flags & ~Qt::WindowType_Mask) | Qt::Tool;
        }
    }
    setWindowFlags(flags);
    setWindowTitle(block_.title);

    if (block_.backColour != kDefaultColour) {
        QPalette pal = palette();
        pal.setColor(QPalette::Window, toQColor(block_.backColour));
        setPalette(pal);
        setAutoFillBackground(true);
    }

    const QSize outer(own.width, own.height);
    const QSize client = metrics.clientSize(outer);
    if (WindowFrameMetrics::isResizable(block_.border)) {
        resize(client);
    } else {
        setFixedSize(client);
    }
    QPoint outerTopLeft(own.left, own.top);
    if (block_.startPosition == 1) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            outerTopLeft = area.center() - QPoint(outer.width() / 2, outer.height() / 2);
        }
    }
    move(outerTopLeft);

    // The menu bar takes its height from the top of the client area.
    int menuHeight = 0;
    if (menuBar_ != nullptr) {
        menuHeight = menuBar_->sizeHint().height();
        menuBar_->setGeometry(0, 0, client.width(), menuHeight);
    }
    clientArea_ = new QWidget(this);
    clientArea_->setObjectName(QStringLiteral("clientArea"));
    clientArea_->setGeometry(0, menuHeight, client.width(),
                             std::max(0, client.height() - menuHeight));
}

bool FormWindow::createComponents(QString* error) {
    int controlId = kFirstControlId;
    // From the last record to record 1, as the window procedure creates them.
    for (qsizetype i = template_.components.size() - 1; i >= 1; --i) {
        const ComponentRecord& record = template_.components.at(i);
        std::unique_ptr<Component> component =
            ComponentFactory::instance().make(this, record, controlId);
        if (component == nullptr) {
            *error = QStringLiteral("%1: unknown component type %2")
                         .arg(record.name)
                         .arg(record.type, 0, 16);
            return false;
        }
        QString why;
        if (!component->create(clientArea_, &why)) {
            *error = QStringLiteral("%1: %2").arg(record.name, why);
            return false;
        }
        controlId += kControlIdStep;
        byId_.insert(record.id, component.get());
        if (!record.name.isEmpty()) {
            byName_.insert(record.name, component.get());
        }
        components_.push_back(std::move(component));
    }
    // Keep record order in the list (record 1 first).
    std::reverse(components_.begin(), components_.end());
    return true;
}

void FormWindow::placeInContainers() {
    for (const auto& c : components_) {
        if (c->containerId() == 0) {
            continue;
        }
        Component* container = componentById(c->containerId());
        if (container == nullptr || container->childArea() == nullptr) {
            continue;  // a lost container leaves the component on the window
        }
        const ComponentRecord* containerRecord = template_.component(container->id());
        const QList<QList<qint32>> pages = containerRecord->childPages();
        for (qsizetype p = 0; p < pages.size(); ++p) {
            if (pages.at(p).contains(c->id())) {
                c->setPage(static_cast<int>(p));
                break;
            }
        }
        if (QWidget* w = c->widget()) {
            w->setParent(container->childArea());
            w->setGeometry(c->place());
            w->hide();
        }
    }
    // Record 1 ends on top of its siblings: raise from the last record to the first.
    for (auto it = components_.rbegin(); it != components_.rend(); ++it) {
        if (QWidget* w = (*it)->widget()) {
            w->raise();
        }
    }
}

void FormWindow::applyTabOrder() {
    std::vector<Component*> ordered;
    for (const auto& c : components_) {
        if (c->widget() != nullptr && c->widget()->focusPolicy() != Qt::NoFocus) {
            ordered.push_back(c.get());
        }
    }
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](Component* a, Component* b) { return a->tabOrder() < b->tabOrder(); });
    for (size_t i = 1; i < ordered.size(); ++i) {
        QWidget::setTabOrder(ordered[i - 1]->widget(), ordered[i]->widget());
    }
}

Component* FormWindow::component(const QString& name) const {
    return byName_.value(name);
}

Component* FormWindow::componentById(qint32 id) const {
    return byId_.value(id);
}

QString FormWindow::text(const QString& name) const {
    const Component* c = component(name);
    return c != nullptr ? c->text() : QString();
}

void FormWindow::setText(const QString& name, const QString& text) {
    if (Component* c = component(name)) {
        c->setText(text);
    }
}

bool FormWindow::hasHandler(qint32 componentId, int event) const {
    const auto it = handlers_.constFind(componentId);
    return it != handlers_.constEnd() && it->contains(event);
}

std::optional<Value> FormWindow::raiseWindowEvent(int event, const QList<Value>& args) {
    if (EventDispatcher::suspended() || !hasHandler(0, event)) {
        return std::nullopt;
    }
    const Handler handler = handlers_.value(0).value(event);
    return handler(EventArgs{this, nullptr, event, args});
}

std::optional<Value> FormWindow::raiseComponentEvent(Component* component, int event,
                                                     const QList<Value>& args) {
    // A closed window waits for its deferred delete; its timers and controls must not reach the
    // program's handlers any more (their logic objects may be gone already).
    if (destroying_ || EventDispatcher::suspended() || component == nullptr ||
        !hasHandler(component->id(), event)) {
        return std::nullopt;
    }
    // A copy: the handler may close the window and so free the table.
    const Handler handler = handlers_.value(component->id()).value(event);
    return handler(EventArgs{this, component, event, args});
}

void FormWindow::showTabPage(Component* tabControl, int page) {
    for (const auto& c : components_) {
        if (c->containerId() == tabControl->id()) {
            c->setPageHidden(c->page() != page);
        }
    }
    focusFirst(tabControl);
}

bool FormWindow::takesFocus(const Component* component) const {
    const QWidget* w = component != nullptr ? component->widget() : nullptr;
    return w != nullptr && (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus &&
           w->isVisibleTo(this) && w->isEnabledTo(this) && !component->isParked();
}

Component* FormWindow::focusFirst(const Component* container) {
    const QWidget* inside = container != nullptr ? container->widget() : nullptr;
    Component* first = nullptr;
    // Record order breaks ties, as the template lists them.
    for (const auto& c : components_) {
        if (!takesFocus(c.get()) || (inside != nullptr && !inside->isAncestorOf(c->widget()))) {
            continue;
        }
        if (first == nullptr || c->tabOrder() < first->tabOrder()) {
            first = c.get();
        }
    }
    if (first != nullptr) {
        first->widget()->setFocus(Qt::TabFocusReason);
    }
    return first;
}

void FormWindow::updateParking() {
    for (const auto& c : components_) {
        c->applyFocusPolicy();
    }
    // A control sent out of sight gives the focus back to the window's first.
    const Component* focused = focusedComponent();
    if (focused != nullptr && focused->isParked()) {
        focused->widget()->clearFocus();
        focusFirst();
    }
}

void FormWindow::setDefaultButton(Component* button) {
    defaultButton_ = button;
}

bool FormWindow::pressDefaultButton() {
    auto* button = defaultButton_ != nullptr
                       ? qobject_cast<QAbstractButton*>(defaultButton_->widget())
                       : nullptr;
    if (button == nullptr || !button->isVisibleTo(this) || !button->isEnabledTo(this)) {
        return false;
    }
    button->click();
    return true;
}

void FormWindow::destroyWindow() {
    if (destroying_) {
        return;
    }
    destroying_ = true;
    // The windows opened from the main window go before it, so none outlives it.
    if (manager_ != nullptr && manager_->isMainWindow(this)) {
        manager_->closeAllBut(this);
    }
    raiseWindowEvent(event::kWindowDestroying);
    hide();
    if (manager_ != nullptr) {
        manager_->windowDestroyed(this);
    }
    deleteLater();
}

void FormWindow::closeEvent(QCloseEvent* event) {
    if (destroying_) {
        event->accept();
        return;
    }
    auto refuses = [](const std::optional<Value>& r) {
        return r && r->kind() == Value::Kind::Bool && !r->boolValue();
    };
    QPointer<FormWindow> self(this);
    if (refuses(raiseWindowEvent(event::kWindowCloseRequest)) || self == nullptr ||
        refuses(raiseWindowEvent(event::kWindowMayClose)) || self == nullptr) {
        event->ignore();
        return;
    }
    event->accept();
    destroyWindow();
}

// Esc that no control used closes a secondary window as its close box does, questions included.
// The main window stays: Esc there must never end the program.
void FormWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
        (manager_ == nullptr || !manager_->isMainWindow(this))) {
        event->accept();
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

// A window shown for the first time (or again after its focused control went away) starts at the
// lowest tab order; one that keeps a focused control keeps it.
void FormWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    const Component* owner = focusedComponent();
    if (owner == nullptr || !takesFocus(owner)) {
        focusFirst();
    }
}

Component* FormWindow::focusedComponent() const {
    const QWidget* current = focusWidget();
    Component* owner = nullptr;
    if (current == nullptr) {
        return nullptr;
    }
    // The innermost: a container holds its components' controls.
    for (const auto& c : components_) {
        const QWidget* w = c->widget();
        if (w != nullptr && (w == current || w->isAncestorOf(current)) &&
            (owner == nullptr || owner->widget()->isAncestorOf(w))) {
            owner = c.get();
        }
    }
    return owner;
}

void FormWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && !destroying_) {
        raiseWindowEvent(isActiveWindow() ? event::kWindowActivated : event::kWindowDeactivated);
    }
    QWidget::changeEvent(event);
}

void FormWindow::closeLater() {
    QPointer<FormManager> manager = manager_;
    const qint32 id = windowId();
    QTimer::singleShot(0, manager, [manager, id] {
        if (manager) {
            manager->close(id);
        }
    });
}

}  // namespace tillora
