#include "templates/draw_panel_block.h"

#include "templates/block_io.h"

namespace tillora {

std::optional<DrawPanelBlock> DrawPanelBlock::parse(QByteArrayView block) {
    return readBlock<DrawPanelBlock>(block);
}

QByteArray DrawPanelBlock::write() const {
    return writeBlock(*this);
}

}  // namespace tillora
