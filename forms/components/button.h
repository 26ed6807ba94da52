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

  protected:
    QWidget* makeWidget(QWidget* parent) override;
    QVariant ownProperty(int index) const override;
    bool setOwnProperty(int index, const QVariant& value) override;

  private:
    QAbstractButton* button_ = nullptr;
};

}  // namespace tillora
