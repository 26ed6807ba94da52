#include "forms/components/picture_box.h"

#include "forms/picture_decoder.h"

#include <QLabel>

namespace tillora {

QWidget* PictureBox::makeWidget(QWidget* parent) {
    label_ = new QLabel(parent);
    label_->setFocusPolicy(Qt::NoFocus);
    if (block_.border != 0) {
        label_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    }
    if (block_.backColour != kDefaultColour) {
        QPalette pal = label_->palette();
        pal.setColor(QPalette::Window, toQColor(block_.backColour));
        label_->setPalette(pal);
        label_->setAutoFillBackground(true);
    }
    showPicture();
    return label_;
}

void PictureBox::showPicture() {
    image_ = PictureDecoder::decode(block_.picture).value_or(QImage());
    if (label_ == nullptr) {
        return;
    }
    if (image_.isNull()) {
        label_->clear();
        return;
    }
    // 1 stretches to the box; 3 centres; others start at the top-left corner.
    label_->setScaledContents(block_.displayMode == 1);
    label_->setAlignment(block_.displayMode == 3 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignTop);
    label_->setPixmap(QPixmap::fromImage(image_));
}

QVariant PictureBox::ownProperty(int index) const {
    switch (index) {
        case 0:
            return block_.border;
        case 1:
            return block_.backColour;
        case 2:
            return block_.displayMode;
        case 4:
            return block_.picture;
        default:
            return {};
    }
}

bool PictureBox::setOwnProperty(int index, const QVariant& value) {
    if (index == 4) {
        block_.picture = value.toByteArray();
        showPicture();
        return true;
    }
    if (index == 2) {
        block_.displayMode = value.toInt();
        showPicture();
        return true;
    }
    return false;
}

}  // namespace tillora
