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
    void setFileName(const QString& fileName) { block_.fileName = fileName; }
    // 0 open, 1 save.
    int kind() const { return block_.kind; }
    void setKind(int kind) { block_.kind = kind; }
    // "description|pattern|description|pattern".
    QString filter() const { return block_.filter; }
    void setFilter(const QString& filter) { block_.filter = filter; }
    // Added to a typed name that has none (".xls").
    QString defaultExtension() const { return block_.defaultExtension; }
    void setDefaultExtension(const QString& extension) { block_.defaultExtension = extension; }
    // The folder the dialog opens in when the file name is not a path of its own.
    QString initialFolder() const { return block_.initialFolder; }
    void setInitialFolder(const QString& folder) { block_.initialFolder = folder; }
    QString text() const override { return block_.fileName; }
    void setText(const QString& text) override { block_.fileName = text; }

  protected:
    QWidget* makeWidget(QWidget*) override { return nullptr; }
    QVariant ownProperty(int index) const override;
    bool setOwnProperty(int index, const QVariant& value) override;
};

}  // namespace tillora
