#pragma once

class QWidget;

namespace tillora {

class ProductImport;

// Shows what an import will do, row by row (added, changed, refused with its reason), and asks
// for 确定. True when the user confirmed.
bool confirmProductImport(const ProductImport& plan, QWidget* owner);

}  // namespace tillora
