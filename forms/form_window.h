#pragma once

#include "forms/event_args.h"
#include "forms/handler_registry.h"
#include "templates/property_blocks.h"
#include "templates/template_set.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class QMenuBar;
class QAction;

namespace tillora {

class Component;
class FormManager;

// An open window built from its template: the top-level widget with its menu bar and a client area
// holding the components. Built by FormManager::open; destroyed by FormManager::close or when the
// user closes it (after events 12 and 1 agree).
class FormWindow : public QWidget {
    Q_OBJECT

  public:
    FormWindow(FormManager* manager, const WindowTemplate& windowTemplate);
    ~FormWindow() override;

    // Binds handlers, makes the menu, the window and its components (event delivery must be
    // suspended by the caller). False with `error` set when a component can't be made or a handler
    // is missing.
    bool build(const HandlerRegistry& handlers, QString* error);

    qint32 windowId() const { return template_.id; }
    const WindowTemplate& windowTemplate() const { return template_; }
    const WindowBlock& block() const { return block_; }
    FormManager* manager() const { return manager_; }
    // Closes the window once the handler it is inside has returned (a window can't close itself
    // under its own button's click).
    void closeLater();

    // The area the components are placed in (below the menu bar, when there is one).
    QWidget* clientArea() const { return clientArea_; }
    QMenuBar* formMenuBar() const { return menuBar_; }
    // The action of a menu item (nullptr when it is hidden or unknown).
    QAction* menuAction(qint32 menuItemId) const { return menuActions_.value(menuItemId); }

    // Component access for window logic; nullptr when there is no such component.
    Component* component(const QString& name) const;
    Component* componentById(qint32 id) const;
    const std::vector<std::unique_ptr<Component>>& components() const { return components_; }
    template <typename T>
    T* widgetAs(const QString& name) const;

    // Text shortcuts; an unknown name reads as empty and writes nowhere.
    QString text(const QString& name) const;
    void setText(const QString& name, const QString& text);

    // Raises an event; no value when the template lists no handler or delivery is suspended.
    std::optional<Value> raiseWindowEvent(int event, const QList<Value>& args = {});
    std::optional<Value> raiseComponentEvent(Component* component, int event,
                                             const QList<Value>& args = {});
    bool hasHandler(qint32 componentId, int event) const;

    // A tab control changed its page: hide the other pages' components, show this page's, focus the
    // lowest tab order.
    void showTabPage(Component* tabControl, int page);

    // Whether a component can have the focus now: a tab stop whose control shows on the window
    // (its containers and page included), is enabled and is not parked outside the client area.
    bool takesFocus(const Component* component) const;
    // Focuses the component with the lowest tab order that takes the focus, among all of the
    // window's or only among those inside `container` (a tab control's current page). Returns it,
    // or nullptr when none takes the focus.
    Component* focusFirst(const Component* container = nullptr);
    // The component whose control has the window's focus, or nullptr.
    Component* focusedComponent() const;
    // Components (re)placed: those wholly outside the client area stop taking the focus.
    void updateParking();

    // The button that Enter presses when the focused control has no use for Enter itself.
    void setDefaultButton(Component* button);
    Component* defaultButton() const { return defaultButton_; }
    // Presses the default button when it shows and is enabled; false when there is none.
    bool pressDefaultButton();

    // Closes without asking events 12 and 1 (the program closing the window).
    void destroyWindow();
    bool isDestroying() const { return destroying_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    bool bindHandlers(const HandlerRegistry& handlers, QString* error);
    void buildMenu();
    void applyWindowStyle();
    bool createComponents(QString* error);
    void placeInContainers();
    void applyTabOrder();

    FormManager* manager_;
    WindowTemplate template_;
    WindowBlock block_;
    QWidget* clientArea_ = nullptr;
    QMenuBar* menuBar_ = nullptr;
    QHash<qint32, QAction*> menuActions_;
    std::vector<std::unique_ptr<Component>> components_;
    QHash<qint32, Component*> byId_;
    QHash<QString, Component*> byName_;
    // Component id (0 = the window) -> event number -> handler.
    QHash<qint32, QHash<int, Handler>> handlers_;
    QHash<qint32, Handler> menuHandlers_;
    Component* defaultButton_ = nullptr;  // one of components_
    bool destroying_ = false;
};

template <typename T>
T* FormWindow::widgetAs(const QString& name) const {
    return clientArea_ != nullptr ? clientArea_->findChild<T*>(name) : nullptr;
}

}  // namespace tillora
