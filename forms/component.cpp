#include "forms/component.h"

#include "forms/form_window.h"
#include "forms/virtual_key.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <utility>

namespace tillora {

namespace {

int keyState(Qt::KeyboardModifiers modifiers) {
    int state = 0;
    if (modifiers & Qt::ControlModifier) {
        state |= virtual_key::kControlHeld;
    }
    if (modifiers & Qt::ShiftModifier) {
        state |= virtual_key::kShiftHeld;
    }
    if (modifiers & Qt::AltModifier) {
        state |= virtual_key::kAltHeld;
    }
    return state;
}

// Handlers see Windows virtual-key codes, as the templates' programs were written for them.
int virtualKey(int qtKey) {
    using namespace virtual_key;
    if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)) {
        return qtKey;
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) {
        return kF1 + (qtKey - Qt::Key_F1);
    }
    switch (qtKey) {
        case Qt::Key_Backspace:
            return kBackspace;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return kTab;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return kEnter;
        case Qt::Key_Shift:
            return kShift;
        case Qt::Key_Control:
            return kControl;
        case Qt::Key_Alt:
            return kAlt;
        case Qt::Key_Escape:
            return kEscape;
        case Qt::Key_Space:
            return kSpace;
        case Qt::Key_PageUp:
            return kPageUp;
        case Qt::Key_PageDown:
            return kPageDown;
        case Qt::Key_End:
            return kEnd;
        case Qt::Key_Home:
            return kHome;
        case Qt::Key_Left:
            return kLeft;
        case Qt::Key_Up:
            return kUp;
        case Qt::Key_Right:
            return kRight;
        case Qt::Key_Down:
            return kDown;
        case Qt::Key_Insert:
            return kInsert;
        case Qt::Key_Delete:
            return kDelete;
        default:
            return qtKey & 0xFFFF;
    }
}

bool isFalse(const std::optional<Value>& result) {
    return result && result->kind() == Value::Kind::Bool && !result->boolValue();
}

}  // namespace

Component::Component(FormWindow* window, const ComponentRecord& record, int controlId)
    : QObject(nullptr),
      window_(window),
      name_(record.name),
      id_(record.id),
      type_(record.type),
      controlId_(controlId),
      tabOrder_(record.tabOrder),
      containerId_(record.container),
      tag_(record.tag),
      place_(record.left, record.top, record.width, record.height),
      visibleFlag_(record.visible()),
      disabled_(record.disabled()),
      tabStop_(record.tabStop()),
      initialBlock_(record.propertyData) {
    setObjectName(record.name);
}

Component::~Component() = default;

bool Component::create(QWidget* parent, QString* error) {
    const QByteArray block = std::exchange(initialBlock_, QByteArray());
    if (!parseBlock(block, error)) {
        return false;
    }
    widget_ = makeWidget(parent);
    if (widget_ == nullptr) {
        return true;
    }
    widget_->setObjectName(name_);
    widget_->setGeometry(place_);
    widget_->setEnabled(!disabled_);
    focusable_ = widget_->focusPolicy() != Qt::NoFocus;
    applyFocusPolicy();
    // Shown by the window once every component exists.
    widget_->hide();
    for (QWidget* source : eventSources()) {
        source->installEventFilter(this);
        if (source != widget_) {
            source->setMouseTracking(widget_->hasMouseTracking());
        }
    }
    return true;
}

std::optional<Value> Component::raise(int event, const QList<Value>& args) {
    return window_ != nullptr ? window_->raiseComponentEvent(this, event, args) : std::nullopt;
}

void Component::setVisibleFlag(bool visible) {
    visibleFlag_ = visible;
    applyVisibility();
}

void Component::setPageHidden(bool hidden) {
    pageHidden_ = hidden;
    applyVisibility();
}

void Component::applyVisibility() {
    if (widget_ != nullptr) {
        widget_->setVisible(visibleFlag_ && !pageHidden_);
    }
}

void Component::setEnabled(bool enabled) {
    disabled_ = !enabled;
    if (widget_ != nullptr) {
        widget_->setEnabled(enabled);
    }
}

void Component::setPlace(const QRect& place) {
    place_ = place;
    if (widget_ != nullptr) {
        widget_->setGeometry(place);
        // Moving a container moves its components in or out of sight as well.
        if (window_ != nullptr) {
            window_->updateParking();
        }
    }
}

bool Component::isParked() const {
    const QWidget* area = window_ != nullptr ? window_->clientArea() : nullptr;
    if (widget_ == nullptr || area == nullptr || !area->isAncestorOf(widget_)) {
        return false;
    }
    const QRect onArea(widget_->mapTo(area, QPoint(0, 0)), widget_->size());
    return !onArea.intersects(area->rect());
}

void Component::applyFocusPolicy() {
    if (widget_ == nullptr || !focusable_) {
        return;
    }
    if (isParked()) {
        widget_->setFocusPolicy(Qt::NoFocus);
    } else {
        widget_->setFocusPolicy(tabStop_ ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

void Component::setTabStop(bool tabStop) {
    tabStop_ = tabStop;
    applyFocusPolicy();
}

QVariant Component::propertyByNumber(int number) const {
    switch (number) {
        case Left:
            return place_.x();
        case Top:
            return place_.y();
        case Width:
            return place_.width();
        case Height:
            return place_.height();
        case Visible:
            return visibleFlag_;
        case Disabled:
            return disabled_;
        case TabStop:
            return isTabStop();
        case Tag:
            return tag_;
        default:
            return number >= kFirstOwnProperty ? ownProperty(number - kFirstOwnProperty)
                                               : QVariant();
    }
}

bool Component::setPropertyByNumber(int number, const QVariant& value) {
    QRect place = place_;
    switch (number) {
        case Left:
            place.moveLeft(value.toInt());
            break;
        case Top:
            place.moveTop(value.toInt());
            break;
        case Width:
            place.setWidth(value.toInt());
            break;
        case Height:
            place.setHeight(value.toInt());
            break;
        case Visible:
            setVisibleFlag(value.toBool());
            return true;
        case Disabled:
            setEnabled(!value.toBool());
            return true;
        case TabStop:
            setTabStop(value.toBool());
            return true;
        case Tag:
            tag_ = value.toString();
            return true;
        default:
            return number >= kFirstOwnProperty && setOwnProperty(number - kFirstOwnProperty, value);
    }
    setPlace(place);
    return true;
}

QList<QWidget*> Component::eventSources() const {
    if (widget_ == nullptr) {
        return {};
    }
    return {widget_.data()};
}

bool Component::eventFilter(QObject* watched, QEvent* event) {
    auto* source = qobject_cast<QWidget*>(watched);
    if (source == nullptr || widget_ == nullptr) {
        return false;
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            int number = 0;
            if (event->type() == QEvent::MouseMove) {
                number = event::kMouseMove;
            } else if (mouse->button() == Qt::LeftButton) {
                number = event->type() == QEvent::MouseButtonPress     ? event::kMouseDown
                         : event->type() == QEvent::MouseButtonRelease ? event::kMouseUp
                                                                       : event::kDoubleClick;
            } else if (mouse->button() == Qt::RightButton &&
                       event->type() != QEvent::MouseButtonDblClick) {
                number = event->type() == QEvent::MouseButtonPress ? event::kRightMouseDown
                                                                   : event::kRightMouseUp;
            } else {
                return false;
            }
            // Places are the component's own, whichever inner widget got the event.
            const QPoint at = source->mapTo(widget_->window(), mouse->position().toPoint()) -
                              widget_->mapTo(widget_->window(), QPoint(0, 0));
            const auto result = raise(number, {Value::fromInt(at.x()), Value::fromInt(at.y()),
                                               Value::fromInt(keyState(mouse->modifiers()))});
            return number != event::kMouseMove && isFalse(result);
        }
        case QEvent::FocusIn:
            if (source == widget_) {
                raise(event::kFocusGained);
            }
            return false;
        case QEvent::FocusOut:
            if (source == widget_) {
                focusLeft();
                raise(event::kFocusLost);
            }
            return false;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return filterKey(source, event);
        case QEvent::Wheel: {
            auto* wheel = static_cast<QWheelEvent*>(event);
            const auto result =
                raise(event::kWheel, {Value::fromInt(wheel->angleDelta().y() / 120),
                                      Value::fromInt(keyState(wheel->modifiers()))});
            return isFalse(result);
        }
        default:
            return false;
    }
}

bool Component::filterKey(QWidget* source, QEvent* event) {
    auto* key = static_cast<QKeyEvent*>(event);
    const QList<Value> keyArgs = {Value::fromInt(virtualKey(key->key())),
                                  Value::fromInt(keyState(key->modifiers()))};
    if (event->type() == QEvent::KeyRelease) {
        raise(event::kKeyUp, keyArgs);
        return false;
    }
    if (replayingKey_) {
        // A character the program's handler put in place of the typed one goes to the control.
        return false;
    }
    if (isFalse(raise(event::kKeyDown, keyArgs))) {
        return true;
    }
    // Enter in a control that has no use for it acts on the window: its default button.
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !handlesEnter() &&
        window_ != nullptr && window_->pressDefaultButton()) {
        return true;
    }
    const QString text = key->text();
    if (text.isEmpty()) {
        return false;
    }
    const QList<uint> codes = text.toUcs4();
    char32_t ch = codes.isEmpty() ? 0 : codes.front();
    if (const auto result = raise(event::kCharTyped, {Value::fromInt(static_cast<qint32>(ch))})) {
        double replacement = 0;
        if (isFalse(result) || (result->toNumber(&replacement) && replacement == 0)) {
            return true;
        }
        if (result->isNumber() && static_cast<char32_t>(replacement) != ch) {
            ch = static_cast<char32_t>(replacement);
            const char32_t chars[] = {ch};
            QKeyEvent replaced(QEvent::KeyPress, 0, key->modifiers(), QString::fromUcs4(chars, 1));
            replayingKey_ = true;
            QApplication::sendEvent(source, &replaced);
            replayingKey_ = false;
            return true;
        }
    }
    return false;
}

}  // namespace tillora
