#pragma once

#include "forms/components/block_component.h"

class QComboBox;

namespace tillora {

// 1/14 combo box: simple (0) and editable drop-down (1) are editable, drop-down list (2) is not.
// Own properties: 8 style, 9 maximum length, 14 text colour, 15 background colour, 16 current item,
// 18 item values (QList<int> as QVariantList), 19 content (text), 20 items (QStringList).
// Events: 0 an item was chosen (argument: its index), 1 the edit text changed.
class ComboBox : public BlockComponent<ComboBoxBlock> {
    Q_OBJECT

  public:
    using BlockComponent::BlockComponent;

    QString text() const override;
    void setText(const QString& text) override;
    QStringList items() const override;
    void setItems(const QStringList& items) override;
    int currentIndex() const override;
    void setCurrentIndex(int index) override;
    void addItem(const QString& text, qint32 value = 0);
    // The value stored with an item (0 when the list of values is shorter).
    qint32 itemValue(int index) const;

  protected:
    QWidget* makeWidget(QWidget* parent) override;
    QVariant ownProperty(int index) const override;
    bool setOwnProperty(int index, const QVariant& value) override;
    void storeCurrent(ComboBoxBlock& out) const override;

  private:
    QComboBox* combo_ = nullptr;
};

}  // namespace tillora
