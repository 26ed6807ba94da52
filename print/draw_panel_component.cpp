#include "print/draw_panel_component.h"

#include "print/draw_panel.h"

namespace tillora {

QByteArray DrawPanelComponent::writeBlock() const {
    return panel_ != nullptr ? panel_->writeBlock() : initial_.write();
}

bool DrawPanelComponent::parseBlock(const QByteArray& block, QString* error) {
    const std::optional<DrawPanelBlock> parsed = DrawPanelBlock::parse(block);
    if (!parsed) {
        *error = QStringLiteral("draw panel data can't be read (damaged, or newer than version %1)")
                     .arg(DrawPanelBlock::kVersion);
        return false;
    }
    initial_ = *parsed;
    return true;
}

QWidget* DrawPanelComponent::makeWidget(QWidget* parent) {
    panel_ = new DrawPanel(parent);
    panel_->applyBlock(initial_);
    return panel_;
}

QVariant DrawPanelComponent::ownProperty(int index) const {
    return panel_ != nullptr ? panel_->propertyByNumber(index) : QVariant();
}

bool DrawPanelComponent::setOwnProperty(int index, const QVariant& value) {
    return panel_ != nullptr && panel_->setPropertyByNumber(index, value);
}

}  // namespace tillora
