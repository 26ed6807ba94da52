#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace tillora {

// What an administrator types to register a scanned code that no product has.
struct NewProductInput {
    QString name;
    QString unitPrice;
};

// Asks for the name and price of the product with this code; none when cancelled.
std::optional<NewProductInput> askNewProduct(const QString& code, QWidget* owner);

}  // namespace tillora
