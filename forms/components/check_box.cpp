#include "forms/components/check_box.h"

#include "forms/component_font.h"

#include <QCheckBox>
#include <QRadioButton>

#include <type_traits>

namespace tillora {

namespace {
constexpr int kTextColour = 5;
constexpr int kBackColour = 6;
constexpr int kChecked = 7;
constexpr int kCaption = 10;
}  // namespace

template <typename Block>
QWidget* CheckableBox<Block>::makeWidget(QWidget* parent) {
    const Block& b = this->block_;
    QAbstractButton* button = nullptr;
    if constexpr (std::is_same_v<Block, RadioBoxBlock>) {
        button = new QRadioButton(b.caption, parent);
    } else {
        button = new QCheckBox(b.caption, parent);
    }
    button->setChecked(b.checked != 0);
    button->setFont(toQFont(b.font, button->font()));
    QPalette pal = button->palette();
    if (b.textColour != kDefaultColour) {
        pal.setColor(QPalette::WindowText, toQColor(b.textColour));
    }
    if (b.backColour != kDefaultColour) {
        pal.setColor(QPalette::Window, toQColor(b.backColour));
        button->setAutoFillBackground(true);
    }
    button->setPalette(pal);
    if (b.textOnLeft != 0) {
        button->setLayoutDirection(Qt::RightToLeft);
    }
    QObject::connect(button, &QAbstractButton::clicked, this,
                     [this] { this->raise(event::kClicked); });
    button_ = button;
    return button;
}

template <typename Block>
void CheckableBox<Block>::setText(const QString& text) {
    this->block_.caption = text;
    if (button_ != nullptr) {
        button_->setText(text);
    }
}

template <typename Block>
bool CheckableBox<Block>::isChecked() const {
    return button_ != nullptr ? button_->isChecked() : this->block_.checked != 0;
}

template <typename Block>
void CheckableBox<Block>::setChecked(bool checked) {
    this->block_.checked = checked ? 1 : 0;
    if (button_ != nullptr) {
        button_->setChecked(checked);
    }
}

template <typename Block>
QVariant CheckableBox<Block>::ownProperty(int index) const {
    switch (index) {
        case kTextColour:
            return this->block_.textColour;
        case kBackColour:
            return this->block_.backColour;
        case kChecked:
            return isChecked();
        case kCaption:
            return this->block_.caption;
        default:
            return {};
    }
}

template <typename Block>
bool CheckableBox<Block>::setOwnProperty(int index, const QVariant& value) {
    switch (index) {
        case kChecked:
            setChecked(value.toBool());
            return true;
        case kCaption:
            setText(value.toString());
            return true;
        default:
            return false;
    }
}

template class CheckableBox<CheckBoxBlock>;
template class CheckableBox<RadioBoxBlock>;

}  // namespace tillora
