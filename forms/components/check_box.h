#pragma once

#include "forms/components/block_component.h"

class QAbstractButton;

namespace tillora {

// 1/12 check box and 1/13 radio box (same leading fields; the radio block has no trailing texts).
// Own properties: 13 text colour, 14 background colour, 15 checked, 16 picture, 17 font,
// 18 caption. Events: 0 clicked.
template <typename Block>
class CheckableBox : public BlockComponent<Block> {
  public:
    using BlockComponent<Block>::BlockComponent;

    QString text() const override { return this->block_.caption; }
    void setText(const QString& text) override;
    bool isChecked() const override;
    void setChecked(bool checked) override;

  protected:
    QWidget* makeWidget(QWidget* parent) override;
    QVariant ownProperty(int index) const override;
    bool setOwnProperty(int index, const QVariant& value) override;
    void storeCurrent(Block& out) const override { out.checked = isChecked() ? 1 : 0; }

  private:
    QAbstractButton* button_ = nullptr;
};

class CheckBox : public CheckableBox<CheckBoxBlock> {
    Q_OBJECT
  public:
    using CheckableBox::CheckableBox;
};

class RadioBox : public CheckableBox<RadioBoxBlock> {
    Q_OBJECT
  public:
    using CheckableBox::CheckableBox;
};

}  // namespace tillora
