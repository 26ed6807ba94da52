#pragma once

#include "forms/components/block_component.h"

class QGroupBox;

namespace tillora {

// 1/9 group box: a titled frame containing components. Own properties: 9 text colour,
// 10 background colour, 11 font, 12 caption.
class GroupBox : public BlockComponent<GroupBoxBlock> {
    Q_OBJECT

  public:
    using BlockComponent::BlockComponent;
    QWidget* childArea() const override { return widget(); }
    QString text() const override { return block_.caption; }
    void setText(const QString& text) override;

  protected:
    QWidget* makeWidget(QWidget* parent) override;
    QVariant ownProperty(int index) const override;

  private:
    QGroupBox* box_ = nullptr;
};

}  // namespace tillora
