#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

#include "data/master_data.h"
#include "formset/sales_entry_handles.h"
#include "sales/product_catalogue.h"

namespace tillora {

class ProductLookup;
class SalesModule;

// The product half of the sales entry window: the name box with its narrowing drop-down and
// lookup list, the keys of the entry boxes, and the products remembered from the lines added.
class ProductEntry : public QObject {
    Q_OBJECT

  public:
    ProductEntry(SalesModule& module, const SalesEntryHandles& ui, FormWindow* window);

    // The lookup list under the name box; once the window is laid out.
    void setUpLookup();
    // The products as stored now, listed for an empty name.
    void reload();
    void fill(const QString& typed = {});
    // Escape, arrows and Enter in the entry boxes; true when the key was used here.
    bool key(Component* box, int key);
    void typed();
    void left();
    void choose(int index);
    // The product is offered next time; a name already remembered at this price is not stored
    // again.
    void remember(const QString& name, const QString& unitPrice);
    ProductLookup* lookup() const { return lookup_; }
    // Enter in the name box first offers its text here as a barcode; true when it was sold.
    void setCodeSeller(std::function<bool(const QString&)> seller) {
        sellCode_ = std::move(seller);
    }

    // Focuses an entry box with its text selected, so that typing replaces it.
    static void focus(EditBox& entry);

  private:
    SalesModule& module_;
    const SalesEntryHandles& ui_;
    FormWindow* window_;
    ProductCatalogue catalogue_;
    // The products the drop-down shows, in its order.
    std::vector<Product> products_;
    ProductLookup* lookup_ = nullptr;
    // The text the products were last narrowed for.
    QString lookedUp_;
    std::function<bool(const QString&)> sellCode_;
};

}  // namespace tillora
