#include "forms/components/group_box.h"

#include "forms/component_font.h"

#include <QGroupBox>

namespace tillora {

QWidget* GroupBox::makeWidget(QWidget* parent) {
    box_ = new QGroupBox(block_.caption, parent);
    box_->setFont(toQFont(block_.font, box_->font()));
    box_->setFocusPolicy(Qt::NoFocus);
    QPalette pal = box_->palette();
    if (block_.textColour != kDefaultColour) {
        pal.setColor(QPalette::WindowText, toQColor(block_.textColour));
    }
    if (block_.backColour != kDefaultColour) {
        pal.setColor(QPalette::Window, toQColor(block_.backColour));
        box_->setAutoFillBackground(true);
    }
    box_->setPalette(pal);
    return box_;
}

void GroupBox::setText(const QString& text) {
    block_.caption = text;
    if (box_ != nullptr) {
        box_->setTitle(text);
    }
}

QVariant GroupBox::ownProperty(int index) const {
    switch (index) {
        case 1:
            return block_.textColour;
        case 2:
            return block_.backColour;
        case 4:
            return block_.caption;
        default:
            return {};
    }
}

}  // namespace tillora
