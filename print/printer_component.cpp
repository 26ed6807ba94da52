#include "print/printer_component.h"

#include "forms/form_window.h"
#include "print/printer.h"
#include "templates/printer_block.h"

namespace tillora {

PrinterComponent::PrinterComponent(FormWindow* window, const ComponentRecord& record, int controlId)
    : Component(window, record, controlId), printer_(new Printer(this)) {
    // Its dialogs belong to the window.
    printer_->setOwnerWidget(window);
}

PrinterComponent::~PrinterComponent() = default;

QByteArray PrinterComponent::writeBlock() const {
    return printer_->writeBlock();
}

bool PrinterComponent::parseBlock(const QByteArray& block, QString* error) {
    if (!printer_->loadBlock(block)) {
        *error = QStringLiteral("printer data can't be read (damaged, or newer than version %1)")
                     .arg(PrinterBlock::kVersion);
        return false;
    }
    return true;
}

QWidget* PrinterComponent::makeWidget(QWidget* /*parent*/) {
    return nullptr;
}

QVariant PrinterComponent::ownProperty(int index) const {
    return printer_->propertyByNumber(index);
}

bool PrinterComponent::setOwnProperty(int index, const QVariant& value) {
    return printer_->setPropertyByNumber(index, value);
}

}  // namespace tillora
