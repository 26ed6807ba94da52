#include "templates/property_blocks.h"

#include "templates/block_io.h"
#include "templates/draw_panel_block.h"
#include "templates/printer_block.h"

namespace tillora {

namespace {

template <typename T>
bool parseInto(QByteArrayView block, T& out) {
    auto value = readBlock<T>(block);
    if (!value) {
        return false;
    }
    out = std::move(*value);
    return true;
}

template <typename T>
std::optional<QByteArray> rewrite(QByteArrayView block) {
    const auto value = readBlock<T>(block);
    if (!value) {
        return std::nullopt;
    }
    return writeBlock(*value);
}

}  // namespace

// clang-format off
#define TILLORA_BLOCK_FUNCTIONS(Block)                                                    \
    bool parse(QByteArrayView block, Block& out) { return parseInto(block, out); }       \
    QByteArray write(const Block& block) { return writeBlock(block); }
TILLORA_BLOCK_FUNCTIONS(WindowBlock)
TILLORA_BLOCK_FUNCTIONS(EditBoxBlock)
TILLORA_BLOCK_FUNCTIONS(LabelBlock)
TILLORA_BLOCK_FUNCTIONS(ButtonBlock)
TILLORA_BLOCK_FUNCTIONS(CheckBoxBlock)
TILLORA_BLOCK_FUNCTIONS(RadioBoxBlock)
TILLORA_BLOCK_FUNCTIONS(ComboBoxBlock)
TILLORA_BLOCK_FUNCTIONS(GroupBoxBlock)
TILLORA_BLOCK_FUNCTIONS(PictureBoxBlock)
TILLORA_BLOCK_FUNCTIONS(ShapeBoxBlock)
TILLORA_BLOCK_FUNCTIONS(TimerBlock)
TILLORA_BLOCK_FUNCTIONS(CommonDialogBlock)
TILLORA_BLOCK_FUNCTIONS(ListViewBlock)
TILLORA_BLOCK_FUNCTIONS(TabControlBlock)
#undef TILLORA_BLOCK_FUNCTIONS
// clang-format on

qint32 propertyBlockVersion(ComponentType type) {
    switch (type) {
        case ComponentType::Window:
            return WindowBlock::kVersion;
        case ComponentType::EditBox:
            return EditBoxBlock::kVersion;
        case ComponentType::PictureBox:
            return PictureBoxBlock::kVersion;
        case ComponentType::ShapeBox:
            return ShapeBoxBlock::kVersion;
        case ComponentType::DrawPanel:
            return DrawPanelBlock::kVersion;
        case ComponentType::GroupBox:
            return GroupBoxBlock::kVersion;
        case ComponentType::Label:
            return LabelBlock::kVersion;
        case ComponentType::Button:
            return ButtonBlock::kVersion;
        case ComponentType::CheckBox:
            return CheckBoxBlock::kVersion;
        case ComponentType::RadioBox:
            return RadioBoxBlock::kVersion;
        case ComponentType::ComboBox:
            return ComboBoxBlock::kVersion;
        case ComponentType::CommonDialog:
            return CommonDialogBlock::kVersion;
        case ComponentType::Timer:
            return TimerBlock::kVersion;
        case ComponentType::Printer:
            return PrinterBlock::kVersion;
        case ComponentType::ListView:
            return ListViewBlock::kVersion;
        case ComponentType::TabControl:
            return TabControlBlock::kVersion;
        case ComponentType::Menu:
        case ComponentType::DateBox:
        case ComponentType::Database:
        case ComponentType::SpreadsheetApplication:
        case ComponentType::SpreadsheetWorkbook:
            return 0;
    }
    return 0;
}

std::optional<QByteArray> rewritePropertyBlock(ComponentType type, QByteArrayView block) {
    switch (type) {
        case ComponentType::Window:
            return rewrite<WindowBlock>(block);
        case ComponentType::EditBox:
            return rewrite<EditBoxBlock>(block);
        case ComponentType::PictureBox:
            return rewrite<PictureBoxBlock>(block);
        case ComponentType::ShapeBox:
            return rewrite<ShapeBoxBlock>(block);
        case ComponentType::GroupBox:
            return rewrite<GroupBoxBlock>(block);
        case ComponentType::Label:
            return rewrite<LabelBlock>(block);
        case ComponentType::Button:
            return rewrite<ButtonBlock>(block);
        case ComponentType::CheckBox:
            return rewrite<CheckBoxBlock>(block);
        case ComponentType::RadioBox:
            return rewrite<RadioBoxBlock>(block);
        case ComponentType::ComboBox:
            return rewrite<ComboBoxBlock>(block);
        case ComponentType::CommonDialog:
            return rewrite<CommonDialogBlock>(block);
        case ComponentType::Timer:
            return rewrite<TimerBlock>(block);
        case ComponentType::ListView:
            return rewrite<ListViewBlock>(block);
        case ComponentType::TabControl:
            return rewrite<TabControlBlock>(block);
        case ComponentType::Menu:
        case ComponentType::DateBox:
        case ComponentType::Database:
        case ComponentType::SpreadsheetApplication:
        case ComponentType::SpreadsheetWorkbook:
            if (block.isEmpty()) {
                return QByteArray();
            }
            return std::nullopt;
        case ComponentType::DrawPanel:
            return rewrite<DrawPanelBlock>(block);
        case ComponentType::Printer:
            return rewrite<PrinterBlock>(block);
    }
    return std::nullopt;
}

}  // namespace tillora
