// The component types this library builds, registered with the factory when it is first used.
#include "forms/component_factory.h"
#include "forms/components/button.h"
#include "forms/components/check_box.h"
#include "forms/components/combo_box.h"
#include "forms/components/common_dialog.h"
#include "forms/components/date_box.h"
#include "forms/components/edit_box.h"
#include "forms/components/group_box.h"
#include "forms/components/label.h"
#include "forms/components/list_view.h"
#include "forms/components/picture_box.h"
#include "forms/components/raw_component.h"
#include "forms/components/shape_box.h"
#include "forms/components/tab_control.h"
#include "forms/components/timer.h"
#include "templates/property_blocks.h"

namespace tillora {

namespace {

template <typename T>
ComponentMaker maker() {
    return [](FormWindow* window, const ComponentRecord& record, int controlId) {
        return std::make_unique<T>(window, record, controlId);
    };
}

ComponentMaker rawMaker(bool visual, qint32 latestVersion) {
    return
        [visual, latestVersion](FormWindow* window, const ComponentRecord& record, int controlId) {
            return std::make_unique<RawComponent>(window, record, controlId, visual, latestVersion);
        };
}

constexpr qint32 code(ComponentType type) {
    return static_cast<qint32>(type);
}

}  // namespace

void registerBuiltInComponents(ComponentFactory& factory) {
    factory.add(code(ComponentType::EditBox), maker<EditBox>());
    factory.add(code(ComponentType::PictureBox), maker<PictureBox>());
    factory.add(code(ComponentType::ShapeBox), maker<ShapeBox>());
    factory.add(code(ComponentType::GroupBox), maker<GroupBox>());
    factory.add(code(ComponentType::Label), maker<Label>());
    factory.add(code(ComponentType::Button), maker<Button>());
    factory.add(code(ComponentType::CheckBox), maker<CheckBox>());
    factory.add(code(ComponentType::RadioBox), maker<RadioBox>());
    factory.add(code(ComponentType::ComboBox), maker<ComboBox>());
    factory.add(code(ComponentType::DateBox), maker<DateBox>());
    factory.add(code(ComponentType::CommonDialog), maker<CommonDialog>());
    factory.add(code(ComponentType::Timer), maker<Timer>());
    factory.add(code(ComponentType::ListView), maker<ListView>());
    factory.add(code(ComponentType::TabControl), maker<TabControl>());
    // Until printing registers its own: keep the data, show an empty frame for the panel.
    factory.add(code(ComponentType::DrawPanel),
                rawMaker(true, propertyBlockVersion(ComponentType::DrawPanel)));
    factory.add(code(ComponentType::Printer),
                rawMaker(false, propertyBlockVersion(ComponentType::Printer)));
    // Invisible types whose work belongs to program classes.
    factory.add(code(ComponentType::Database), rawMaker(false, 0x7fffffff));
    factory.add(code(ComponentType::SpreadsheetApplication), rawMaker(false, 0x7fffffff));
    factory.add(code(ComponentType::SpreadsheetWorkbook), rawMaker(false, 0x7fffffff));
}

}  // namespace tillora
