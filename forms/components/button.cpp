#include "forms/components/button.h"

#include "forms/component_font.h"
#include "forms/picture_decoder.h"

#include <QPushButton>

namespace tillora {

namespace {
constexpr int kCaption = 5;
}

QWidget* Button::makeWidget(QWidget* parent) {
    auto* button = new QPushButton(block_.caption, parent);
    // Enter on a focused button presses it, as cashiers expect from the keyboard.
    button->setAutoDefault(pressedByEnter_);
    button->setFont(toQFont(block_.font, button->font()));
    if (!block_.picture.isEmpty()) {
        const QImage image = PictureDecoder::decode(block_.picture).value_or(QImage());
        if (!image.isNull()) {
            button->setIcon(QPixmap::fromImage(image));
        }
    }
    connect(button, &QPushButton::clicked, this, [this] { raise(event::kClicked); });
    button_ = button;
    return button;
}

void Button::setText(const QString& text) {
    block_.caption = text;
    if (button_ != nullptr) {
        button_->setText(text);
    }
}

void Button::setPressedByEnter(bool pressed) {
    pressedByEnter_ = pressed;
    if (auto* push = qobject_cast<QPushButton*>(button_)) {
        push->setAutoDefault(pressed);
    }
}

QVariant Button::ownProperty(int index) const {
    return index == kCaption ? QVariant(block_.caption) : QVariant();
}

bool Button::setOwnProperty(int index, const QVariant& value) {
    if (index != kCaption) {
        return false;
    }
    setText(value.toString());
    return true;
}

}  // namespace tillora
