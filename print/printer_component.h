#pragma once

#include "forms/component.h"

namespace tillora {

class Printer;

// 1/33 printer (invisible). Own properties 8.. are the printer's in its slot order:
// 8 Unit, 9 PenType, ... 34 Cancelled (Printer::Property + 8).
class PrinterComponent : public Component {
    Q_OBJECT
  public:
    PrinterComponent(FormWindow* window, const ComponentRecord& record, int controlId);
    ~PrinterComponent() override;

    Printer& printer() const { return *printer_; }
    QByteArray writeBlock() const override;

  protected:
    bool parseBlock(const QByteArray& block, QString* error) override;
    QWidget* makeWidget(QWidget* parent) override;
    QVariant ownProperty(int index) const override;
    bool setOwnProperty(int index, const QVariant& value) override;

  private:
    Printer* printer_;
};

}  // namespace tillora
