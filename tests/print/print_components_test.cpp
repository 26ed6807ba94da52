// The printer and the draw panel as components made by the factory from template records.
#include <gtest/gtest.h>

#include <QWidget>

#include "forms/component.h"
#include "forms/component_factory.h"
#include "print/draw_panel.h"
#include "print/draw_panel_component.h"
#include "print/print_components.h"
#include "print/printer.h"
#include "print/printer_component.h"
#include "templates/draw_panel_block.h"
#include "templates/printer_block.h"

namespace tillora {
namespace {

std::unique_ptr<Component> make(ComponentType type, const QByteArray& data) {
    PrintComponents::registerWith(ComponentFactory::instance());
    ComponentRecord record;
    record.type = static_cast<qint32>(type);
    record.name = QStringLiteral("打印机1");
    record.width = 192;
    record.height = 610;
    record.propertyData = data;
    return ComponentFactory::instance().make(nullptr, record, 100);
}

TEST(PrintComponentsTest, PrinterComponentReadsItsBlockAndNumbersItsProperties) {
    PrinterBlock stored;
    stored.drawing.penType = 3;
    stored.copies = -1;
    auto component = make(ComponentType::Printer, stored.write());
    ASSERT_NE(dynamic_cast<PrinterComponent*>(component.get()), nullptr);
    QString error;
    ASSERT_TRUE(component->create(nullptr, &error)) << error.toStdString();
    EXPECT_EQ(component->widget(), nullptr);
    const int own = Component::kFirstOwnProperty;
    EXPECT_EQ(component->propertyByNumber(own + Printer::PenTypeProperty).toInt(), 3);
    EXPECT_EQ(component->propertyByNumber(own + Printer::CopiesProperty).toInt(), -1);
    EXPECT_EQ(component->propertyByNumber(own + Printer::PrintableWidthProperty).toInt(), 0);
    EXPECT_TRUE(component->setPropertyByNumber(own + Printer::UnitProperty, 2));
    stored.drawing.unit = 2;
    EXPECT_EQ(component->writeBlock(), stored.write());

    QByteArray newer = stored.write();
    newer[0] = 2;
    auto refused = make(ComponentType::Printer, newer);
    EXPECT_FALSE(refused->create(nullptr, &error));
}

TEST(PrintComponentsTest, DrawPanelComponentMakesThePanelFromItsBlock) {
    DrawPanelBlock stored;
    stored.backColour = 0xFFFFFF;
    stored.autoRedraw = 1;
    stored.drawing.unit = 1;
    QWidget parent;
    auto component = make(ComponentType::DrawPanel, stored.write());
    QString error;
    ASSERT_TRUE(component->create(&parent, &error)) << error.toStdString();
    auto* panel = qobject_cast<DrawPanel*>(component->widget());
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->autoRedraw(), 1);
    const int own = Component::kFirstOwnProperty;
    EXPECT_EQ(component->propertyByNumber(own + DrawPanel::DrawWidthProperty).toInt(), 508);
    EXPECT_EQ(component->writeBlock(), stored.write());
}

}  // namespace
}  // namespace tillora
