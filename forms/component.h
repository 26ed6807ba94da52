#pragma once

#include "forms/event_args.h"
#include "templates/property_blocks.h"
#include "templates/template_set.h"

#include <QByteArray>
#include <QColor>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QVariant>
#include <QWidget>

#include <optional>

namespace tillora {

class FormWindow;

// One component of an open window, made from its template record. The loader calls create() with
// the record's property data; the component parses it at its version (an empty block gives the
// defaults, a higher version is refused) and makes its control (or nothing, for invisible types).
//
// Properties by number: 0-7 are common to every component, higher numbers are the type's own in the
// order of its property-data block (8 = the first field after the version, and so on; each type
// documents its list in its header):
//   0 left, 1 top, 2 width, 3 height (pixels, relative to the container), 4 visible (bool),
//   5 disabled (bool), 6 tab stop (bool), 7 tag (text).
// Values are QVariant: int, bool, QString, QStringList, QByteArray.
class Component : public QObject {
    Q_OBJECT

  public:
    enum CommonProperty {
        Left = 0,
        Top = 1,
        Width = 2,
        Height = 3,
        Visible = 4,
        Disabled = 5,
        TabStop = 6,
        Tag = 7,
    };
    static constexpr int kFirstOwnProperty = 8;

    Component(FormWindow* window, const ComponentRecord& record, int controlId);
    ~Component() override;

    // Parses the block and makes the control as a child of `parent`. False (with `error` set) when
    // the block can't be read or has a too-high version.
    bool create(QWidget* parent, QString* error);

    FormWindow* window() const { return window_; }
    const QString& name() const { return name_; }
    qint32 id() const { return id_; }
    qint32 type() const { return type_; }
    int controlId() const { return controlId_; }
    int tabOrder() const { return tabOrder_; }
    qint32 containerId() const { return containerId_; }
    // The control, or nullptr for invisible components (timer, database, printer ...).
    QWidget* widget() const { return widget_; }

    // Containers (shape box, group box, tab control) give the widget their components go into.
    virtual QWidget* childArea() const { return nullptr; }
    // Tab control: the number of pages and the current page; others have one.
    virtual int pageCount() const { return 1; }
    virtual int currentPage() const { return 0; }
    // Set by the window for components on a tab page: which page of `containerId()` holds it.
    void setPage(int page) { page_ = page; }
    int page() const { return page_; }

    // The stored/program visibility wish (flag bit 0); the widget shows only when its container
    // shows and, on a tab control, its page is the current one.
    bool visibleFlag() const { return visibleFlag_; }
    void setVisibleFlag(bool visible);
    // Hidden by a tab control because its page is not the current one.
    void setPageHidden(bool hidden);
    bool isEnabled() const { return !disabled_; }
    void setEnabled(bool enabled);
    // Whether Tab stops at the control (a click still focuses it).
    bool isTabStop() const { return tabStop_; }
    void setTabStop(bool tabStop);
    // Lies wholly outside the window's client area (a component the template keeps out of
    // sight): it takes no focus, by Tab or otherwise.
    bool isParked() const;
    // Sets the control's focus policy from its tab-stop flag and whether it is parked.
    void applyFocusPolicy();

    QRect place() const { return place_; }
    void setPlace(const QRect& place);

    QVariant propertyByNumber(int number) const;
    bool setPropertyByNumber(int number, const QVariant& value);

    // The property-data block of the type's latest version holding the current values.
    virtual QByteArray writeBlock() const = 0;
    // True when the control uses the Enter key itself (a multi-line edit that is not read-only, a
    // button pressed by Enter); otherwise Enter presses the window's default button.
    virtual bool handlesEnter() const { return false; }
    // The window has created every component (containers show their pages' state then).
    virtual void windowComplete() {}

    // Typed access for window logic; types that have no such thing ignore it.
    virtual QString text() const { return {}; }
    virtual void setText(const QString& text) { Q_UNUSED(text); }
    virtual bool isChecked() const { return false; }
    virtual void setChecked(bool checked) { Q_UNUSED(checked); }
    virtual QStringList items() const { return {}; }
    virtual void setItems(const QStringList& items) { Q_UNUSED(items); }
    virtual int currentIndex() const { return -1; }
    virtual void setCurrentIndex(int index) { Q_UNUSED(index); }

    // Raises an event of this component; the handler's result, or nothing when there is no handler
    // (or delivery is suspended).
    std::optional<Value> raise(int event, const QList<Value>& args = {});

  protected:
    virtual bool parseBlock(const QByteArray& block, QString* error) = 0;
    // Makes the control; nullptr for invisible types.
    virtual QWidget* makeWidget(QWidget* parent) = 0;
    // Own properties by index (number - 8).
    virtual QVariant ownProperty(int index) const {
        Q_UNUSED(index);
        return {};
    }
    virtual bool setOwnProperty(int index, const QVariant& value) {
        Q_UNUSED(index);
        Q_UNUSED(value);
        return false;
    }
    // Widgets whose input events count as this component's (the control itself by default).
    virtual QList<QWidget*> eventSources() const;
    bool eventFilter(QObject* watched, QEvent* event) override;

    void applyVisibility();
    // The control lost the focus (before the program's focus-lost event).
    virtual void focusLeft() {}

  private:
    bool filterKey(QWidget* source, QEvent* event);

    FormWindow* window_;
    QString name_;
    qint32 id_;
    qint32 type_;
    int controlId_;
    int tabOrder_;
    qint32 containerId_;
    QString tag_;
    QRect place_;
    bool visibleFlag_;
    bool pageHidden_ = false;
    bool disabled_;
    bool tabStop_;
    bool focusable_ = false;
    int page_ = 0;
    QByteArray initialBlock_;
    QPointer<QWidget> widget_;
    bool replayingKey_ = false;
};

// A template colour (0x00BBGGRR) as a QColor.
inline QColor toQColor(ColourRef colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}
inline ColourRef fromQColor(const QColor& colour) {
    return rgbColour(colour.red(), colour.green(), colour.blue());
}

}  // namespace tillora
