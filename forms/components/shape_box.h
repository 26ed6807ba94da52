#pragma once

#include "forms/components/block_component.h"

namespace tillora {

// 1/7 shape box: a frame drawn around a group of components, which it contains.
// Own properties: 8 shape, 9 line style, 10 line width, 11 line colour, 12 fill style,
// 13 fill colour.
class ShapeBox : public BlockComponent<ShapeBoxBlock> {
    Q_OBJECT

  public:
    using BlockComponent::BlockComponent;
    QWidget* childArea() const override { return widget(); }

  protected:
    QWidget* makeWidget(QWidget* parent) override;
    QVariant ownProperty(int index) const override;
};

}  // namespace tillora
