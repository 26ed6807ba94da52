#include "forms/components/label.h"

#include "forms/component_font.h"

#include <QLabel>

namespace tillora {

namespace {
constexpr int kTextColour = 6;
constexpr int kBackColour = 7;
constexpr int kCaption = 18;  // after the sixteen ints, the font and the picture
}  // namespace

QWidget* Label::makeWidget(QWidget* parent) {
    label_ = new QLabel(block_.caption, parent);
    label_->setTextFormat(Qt::PlainText);
    label_->setWordWrap(block_.wordWrap != 0);
    Qt::Alignment align = block_.horizontalAlignment == 1   ? Qt::AlignHCenter
                          : block_.horizontalAlignment == 2 ? Qt::AlignRight
                                                            : Qt::AlignLeft;
    align |= block_.verticalAlignment == 1   ? Qt::AlignVCenter
             : block_.verticalAlignment == 2 ? Qt::AlignBottom
                                             : Qt::AlignTop;
    label_->setAlignment(align);
    if (block_.border == 1) {
        label_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    } else if (block_.border == 2) {
        label_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    } else if (block_.border == 3) {
        label_->setFrameStyle(QFrame::Box | QFrame::Plain);
    }
    label_->setFont(toQFont(block_.font, label_->font()));
    applyColours();
    return label_;
}

void Label::applyColours() {
    QPalette pal = label_->palette();
    if (block_.textColour != kDefaultColour) {
        pal.setColor(QPalette::WindowText, toQColor(block_.textColour));
    }
    // A transparent label lets its container's background show through.
    const bool opaque = block_.backColour != kDefaultColour;
    if (opaque) {
        pal.setColor(QPalette::Window, toQColor(block_.backColour));
    }
    label_->setAutoFillBackground(opaque);
    label_->setPalette(pal);
}

void Label::setText(const QString& text) {
    block_.caption = text;
    if (label_ != nullptr) {
        label_->setText(text);
    }
}

QVariant Label::ownProperty(int index) const {
    switch (index) {
        case kTextColour:
            return block_.textColour;
        case kBackColour:
            return block_.backColour;
        case kCaption:
            return block_.caption;
        default:
            return {};
    }
}

bool Label::setOwnProperty(int index, const QVariant& value) {
    switch (index) {
        case kTextColour:
            block_.textColour = value.toUInt();
            break;
        case kBackColour:
            block_.backColour = value.toUInt();
            break;
        case kCaption:
            setText(value.toString());
            return true;
        default:
            return false;
    }
    if (label_ != nullptr) {
        applyColours();
    }
    return true;
}

}  // namespace tillora
