#include "sales/typed_line.h"

#include <cmath>

#include "forms/services/message_service.h"
#include "sales/amount_text.h"
#include "sales/sale_recorder.h"
#include "sales/sales_texts.h"

namespace tillora {

namespace {

void hint(const QString& text) {
    showMessage(text, 0, sales_text::hint());
}

QString priceNotPlain() {
    return QStringLiteral("价格只能是数字（最多两位小数，不超过 99999999.99），例如 12.50！");
}
QString quantityNotPlain() {
    return QStringLiteral("数量只能是整数，例如 3（退货写 -1）！");
}
QString amountTooLarge() {
    return QStringLiteral("金额不能超过 99999999.99！");
}
QString discountNotListed() {
    return QStringLiteral("折扣只能是 1.0 到 10 之间的数字（最多一位小数），例如 8.8！");
}

}  // namespace

std::optional<ReceiptLine> TypedLine::checked() const {
    const QString itemName = name.trimmed();
    const QString countText = quantity.trimmed();
    const QString price = unitPrice.trimmed();
    if (itemName.isEmpty()) {
        hint(QStringLiteral("商品名称不能为空！"));
        return std::nullopt;
    }
    if (countText.isEmpty()) {
        hint(QStringLiteral("数量不能为空！"));
        return std::nullopt;
    }
    if (price.isEmpty()) {
        hint(QStringLiteral("价格不能为空！"));
        return std::nullopt;
    }
    if (itemName.size() > SaleRecorder::kTextColumnLength) {
        hint(sales_text::tooLong(QStringLiteral("商品名称"), SaleRecorder::kTextColumnLength));
        return std::nullopt;
    }
    if (amounts::hasControlCharacter(itemName)) {
        hint(QStringLiteral("商品名称含有不能保存的控制字符！"));
        return std::nullopt;
    }
    const std::optional<int> count = amounts::parseQuantity(countText);
    if (!count) {
        hint(quantityNotPlain());
        return std::nullopt;
    }
    const std::optional<double> parsedPrice = amounts::parsePlainAmount(price);
    if (!parsedPrice) {
        hint(priceNotPlain());
        return std::nullopt;
    }
    const double total = amounts::lineTotal(*parsedPrice, *count);
    if (std::fabs(total) > amounts::kMaxAmount) {
        hint(amountTooLarge());
        return std::nullopt;
    }
    double after = total;
    // An empty discount box is full price, as an unticked one is.
    if (discount && !discount->trimmed().isEmpty()) {
        const std::optional<double> tenths = amounts::parseDiscount(*discount);
        if (!tenths) {
            hint(discountNotListed());
            return std::nullopt;
        }
        after = amounts::discounted(total, *tenths);
    }
    ReceiptLine line;
    line.name = itemName;
    line.quantity = QString::number(*count);
    line.unitPrice = amounts::toText(*parsedPrice);
    line.lineTotal = amounts::toText(total);
    line.discountedTotal = amounts::toText(after);
    return line;
}

}  // namespace tillora
