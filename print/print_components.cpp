#include "print/print_components.h"

#include "forms/component_factory.h"
#include "print/draw_panel_component.h"
#include "print/printer_component.h"

namespace tillora {

void PrintComponents::registerWith(ComponentFactory& factory) {
    factory.add(static_cast<qint32>(ComponentType::Printer),
                [](FormWindow* window, const ComponentRecord& record, int controlId) {
                    return std::make_unique<PrinterComponent>(window, record, controlId);
                });
    factory.add(static_cast<qint32>(ComponentType::DrawPanel),
                [](FormWindow* window, const ComponentRecord& record, int controlId) {
                    return std::make_unique<DrawPanelComponent>(window, record, controlId);
                });
}

}  // namespace tillora
