#pragma once

#include "forms/components/block_component.h"

class QAbstractButton;

namespace tillora {

// 1/11 button, 1/12 check box and 1/13 radio box. Events: 0 clicked.
// Button own properties: 8 type, 11 picture, 12 font, 13 caption.
class Button : public BlockComponent<ButtonBlock> {
    Q_OBJECT

  public:
    using BlockComponent::BlockComponent;
    QString text() const override { return block_.caption; }
    void setText(const QString& text) override;
    // Enter on the focused button presses it, unless the window turns that off for a button that
    // must act only on its own click or Space (Enter then goes to the window's default button).
    bool handlesEnter() const override { return pressedByEnter_; }
    void setPressedByEnter(bool pressed);

  protected:
    QWidget* makeWidget(QWidget* parent) override;
    QVariant ownProperty(int index) const override;
    bool setOwnProperty(int index, const QVariant& value) override;

  private:
    QAbstractButton* button_ = nullptr;
    bool pressedByEnter_ = true;
};

}  // namespace tillora
