#pragma once

#include "forms/components/block_component.h"

namespace tillora {

// 1/31 common dialog (invisible): asks for a file to open or save through the file-dialog service.
// Own properties: 8 kind (0 open, 1 save), 9 flags, 10 title, 11 filter ("*.xls|*.xls"),
// 12 default extension, 13 initial folder, 14 file name (the last choice).
class CommonDialog : public BlockComponent<CommonDialogBlock> {
    Q_OBJECT

  public:
    using BlockComponent::BlockComponent;
    // Shows the dialog; true when the user chose a file (then fileName() holds it).
    bool open();
    QString fileName() const { return block_.fileName; }
    QString text() const override { return block_.fileName; }
    void setText(const QString& text) override { block_.fileName = text; }

  protected:
    QWidget* makeWidget(QWidget*) override { return nullptr; }
    QVariant ownProperty(int index) const override;
    bool setOwnProperty(int index, const QVariant& value) override;
};

}  // namespace tillora
