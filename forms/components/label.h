#pragma once

#include "forms/components/block_component.h"

class QLabel;

namespace tillora {

// 1/10 label. Own properties: 14 text colour, 15 background colour (0xFF000000 transparent),
// 24 font (bytes), 26 caption. Captions keep their line breaks; long ones wrap.
class Label : public BlockComponent<LabelBlock> {
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
    void applyColours();
    QLabel* label_ = nullptr;
};

}  // namespace tillora
