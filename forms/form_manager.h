#pragma once

#include "forms/handler_registry.h"
#include "templates/template_set.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

namespace tillora {

class FormWindow;

// Opens and closes the program's windows from the template set. One manager serves the program;
// handlers reach it through instance().
class FormManager : public QObject {
    Q_OBJECT

  public:
    FormManager(const TemplateSet& set, const HandlerRegistry& handlers);
    ~FormManager() override;

    // The manager the program made (the latest one alive), or nullptr.
    static FormManager* instance();

    // Builds and shows the window, or restores and activates it when it is open already. A modal
    // window disables the program's other windows until it closes; the call returns at once either
    // way. False (with lastError()) when the window is unknown or can't be built; nothing is left
    // open then.
    bool open(qint32 windowId, bool modal = false, QWidget* owner = nullptr);
    // Destroys the window and its components (event 2 is raised; events 12 and 1 are not asked).
    void close(qint32 windowId);
    // Closes every window, the newest first (a window before the one it was opened from).
    void closeAll();
    void closeAllBut(const FormWindow* keep);

    // The program's main window: closing it closes every other window first and ends the
    // program (mainWindowClosed); Esc never closes it.
    void setMainWindow(const FormWindow* window);
    bool isMainWindow(const FormWindow* window) const;

    bool isOpen(qint32 windowId) const { return windows_.contains(windowId); }
    FormWindow* window(qint32 windowId) const { return windows_.value(windowId); }
    QList<FormWindow*> openWindows() const;

    const TemplateSet& templateSet() const { return set_; }
    const HandlerRegistry& handlers() const { return handlers_; }
    QString lastError() const { return lastError_; }

    // Every handler name the set's templates use that the registry lacks.
    QStringList missingHandlers() const;

    // Called by a window on its way out.
    void windowDestroyed(FormWindow* window);

  Q_SIGNALS:
    void windowOpened(qint32 windowId);
    void windowClosed(qint32 windowId);
    void mainWindowClosed();

  private:
    struct ModalState {
        QList<QPointer<QWidget>> disabled;
        QPointer<QWidget> owner;
    };

    TemplateSet set_;
    const HandlerRegistry& handlers_;
    QHash<qint32, FormWindow*> windows_;
    QList<qint32> openOrder_;
    QPointer<const QObject> mainWindow_;  // a FormWindow
    QHash<FormWindow*, ModalState> modal_;
    QString lastError_;
};

}  // namespace tillora
