#include "templates/printer_block.h"

#include "templates/block_io.h"

namespace tillora {

std::optional<PrinterBlock> PrinterBlock::parse(QByteArrayView block) {
    return readBlock<PrinterBlock>(block);
}

QByteArray PrinterBlock::write() const {
    return writeBlock(*this);
}

}  // namespace tillora
