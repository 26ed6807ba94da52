#pragma once

#include "forms/components/block_component.h"

class QLabel;

namespace tillora {

// 1/6 picture box. Own properties: 8 border, 9 background colour, 10 display mode, 12 picture
// (bytes of a whole image file; setting it redraws).
class PictureBox : public BlockComponent<PictureBoxBlock> {
    Q_OBJECT

  public:
    using BlockComponent::BlockComponent;
    // The decoded picture (null when there is none or it can't be decoded).
    QImage image() const { return image_; }

  protected:
    QWidget* makeWidget(QWidget* parent) override;
    QVariant ownProperty(int index) const override;
    bool setOwnProperty(int index, const QVariant& value) override;

  private:
    void showPicture();
    QLabel* label_ = nullptr;
    QImage image_;
};

}  // namespace tillora
