#include "sales/receipt_model.h"

#include <cmath>
#include <cstdlib>

#include "sales/amount_text.h"
#include "sales/sales_texts.h"

namespace tillora {

namespace cents {

QString toText(Cents amount) {
    const Cents magnitude = amount < 0 ? -amount : amount;
    return QStringLiteral("%1%2.%3")
        .arg(amount < 0 ? QStringLiteral("-") : QString())
        .arg(magnitude / 100)
        .arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

std::optional<Cents> parse(const QString& text, bool allowNegative) {
    const std::optional<double> value = amounts::parsePlainAmount(text, allowNegative);
    if (!value) {
        return std::nullopt;
    }
    // At most two decimals and eleven digits: the nearest whole number of cents is exact.
    return static_cast<Cents>(std::llround(*value * 100.0));
}

Cents discounted(Cents total, int percent) {
    const Cents scaled = total * percent;
    Cents result = scaled / 100;
    if (std::llabs(scaled % 100) >= 50) {
        result += scaled < 0 ? -1 : 1;
    }
    return result;
}

}  // namespace cents

Payment Payment::settle(Cents total, std::optional<Cents> cash, bool isCash) {
    if (total < 0) {
        return {0, -total};
    }
    if (!isCash || !cash) {
        return {total, 0};
    }
    return {*cash, *cash - total};
}

bool isCashMethod(const QString& method) {
    const QString name = method.trimmed();
    return name.isEmpty() || name == QStringLiteral("现金");
}

namespace {

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

constexpr Cents kMaxCents = 9999999999;

bool tooLong(const QString& value) {
    return value.size() > ReceiptModel::kTextColumnLength;
}

QString tooLongText(const QString& field) {
    return sales_text::tooLong(field, ReceiptModel::kTextColumnLength);
}

// NUL and other control characters can't go through the statement text; line breaks and tabs
// in the remark can.
bool unstorable(const QString& value, bool multiLine = false) {
    for (QChar c : value) {
        const char16_t u = c.unicode();
        if ((u < 0x20 || u == 0x7F) && !(multiLine && (u == u'\r' || u == u'\n' || u == u'\t'))) {
            return true;
        }
    }
    return false;
}

QString unstorableText(const QString& field) {
    return QStringLiteral("%1含有不能保存的控制字符！").arg(field);
}

ReceiptModel::Checked refused(const QString& problem) {
    return {std::nullopt, problem};
}

}  // namespace

ReceiptModel::Checked ReceiptModel::check(const Entry& entry) {
    const QString name = entry.name.trimmed();
    const QString count = entry.quantity.trimmed();
    const QString price = entry.unitPrice.trimmed();
    if (name.isEmpty()) {
        return refused(QStringLiteral("商品名称不能为空！"));
    }
    if (count.isEmpty()) {
        return refused(QStringLiteral("数量不能为空！"));
    }
    if (price.isEmpty()) {
        return refused(QStringLiteral("价格不能为空！"));
    }
    if (tooLong(name)) {
        return refused(tooLongText(QStringLiteral("商品名称")));
    }
    if (amounts::hasControlCharacter(name)) {
        return refused(unstorableText(QStringLiteral("商品名称")));
    }
    const std::optional<int> quantity = amounts::parseQuantity(count);
    if (!quantity) {
        return refused(quantityNotPlain());
    }
    // A line of nothing sold is no line: refused as an empty quantity is.
    if (*quantity == 0) {
        return refused(QStringLiteral("数量不能为 0！"));
    }
    const std::optional<Cents> unitPrice = cents::parse(price);
    if (!unitPrice) {
        return refused(priceNotPlain());
    }
    SaleLine line{name, *quantity, *unitPrice, *unitPrice * *quantity, 0};
    if (std::llabs(line.total) > kMaxCents) {
        return refused(amountTooLarge());
    }
    line.discounted = line.total;
    // An empty discount box is full price, as an unticked one is.
    if (entry.discount && !entry.discount->trimmed().isEmpty()) {
        const std::optional<double> tenths = amounts::parseDiscount(*entry.discount);
        if (!tenths) {
            return refused(discountNotListed());
        }
        line.discounted =
            cents::discounted(line.total, static_cast<int>(std::lround(*tenths * 10)));
    }
    return {line, {}};
}

QString ReceiptModel::storeProblem(const Receipt& receipt) {
    if (tooLong(receipt.number)) {
        return tooLongText(QStringLiteral("单号"));
    }
    if (tooLong(receipt.cashier)) {
        return tooLongText(QStringLiteral("收银员"));
    }
    if (tooLong(receipt.totalQuantity) || tooLong(receipt.discountedTotal)) {
        return tooLongText(QStringLiteral("合计"));
    }
    if (tooLong(receipt.paymentMethod)) {
        return tooLongText(QStringLiteral("付款方式"));
    }
    if (tooLong(receipt.cashReceived) || tooLong(receipt.change)) {
        return tooLongText(QStringLiteral("实收"));
    }
    if (unstorable(receipt.paymentMethod) || unstorable(receipt.cashReceived) ||
        unstorable(receipt.change)) {
        return unstorableText(QStringLiteral("付款方式"));
    }
    if (unstorable(receipt.number)) {
        return unstorableText(QStringLiteral("单号"));
    }
    if (unstorable(receipt.cashier)) {
        return unstorableText(QStringLiteral("收银员"));
    }
    if (unstorable(receipt.remark, true)) {
        return unstorableText(QStringLiteral("备注"));
    }
    for (const ReceiptLine& line : receipt.lines) {
        if (tooLong(line.name)) {
            return tooLongText(QStringLiteral("商品名称"));
        }
        if (unstorable(line.name)) {
            return unstorableText(QStringLiteral("商品名称"));
        }
        if (unstorable(line.quantity) || unstorable(line.unitPrice) || unstorable(line.lineTotal) ||
            unstorable(line.discountedTotal)) {
            return unstorableText(QStringLiteral("金额"));
        }
        if (tooLong(line.quantity)) {
            return tooLongText(QStringLiteral("数量"));
        }
        if (tooLong(line.unitPrice) || tooLong(line.lineTotal) || tooLong(line.discountedTotal)) {
            return tooLongText(QStringLiteral("金额"));
        }
    }
    return {};
}

int ReceiptModel::add(const SaleLine& line) {
    lines_.push_back(line);
    return size() - 1;
}

bool ReceiptModel::replace(int row, const SaleLine& line) {
    if (row < 0 || row >= size()) {
        return false;
    }
    lines_[static_cast<std::size_t>(row)] = line;
    return true;
}

bool ReceiptModel::remove(int row) {
    if (row < 0 || row >= size()) {
        return false;
    }
    lines_.erase(lines_.begin() + row);
    return true;
}

void ReceiptModel::clear() {
    lines_.clear();
    cashTyped_.clear();
}

qint64 ReceiptModel::totalQuantity() const {
    qint64 sum = 0;
    for (const SaleLine& line : lines_) {
        sum += line.quantity;
    }
    return sum;
}

Cents ReceiptModel::totalAmount() const {
    Cents sum = 0;
    for (const SaleLine& line : lines_) {
        sum += line.total;
    }
    return sum;
}

Cents ReceiptModel::discountedTotal() const {
    Cents sum = 0;
    for (const SaleLine& line : lines_) {
        sum += line.discounted;
    }
    return sum;
}

bool ReceiptModel::cashIsPlain() const {
    return cashTyped_.trimmed().isEmpty() || cents::parse(cashTyped_).has_value();
}

bool ReceiptModel::isCashSale() const {
    return isCashMethod(header_.paymentMethod);
}

std::optional<Payment> ReceiptModel::payment() const {
    const Cents total = discountedTotal();
    // Only a cash sale takes the cash typed; whatever the box holds is no matter otherwise.
    if (total < 0 || !isCashSale()) {
        return Payment::settle(total, std::nullopt, isCashSale());
    }
    if (!cashIsPlain()) {
        return std::nullopt;
    }
    const std::optional<Cents> cash =
        cashTyped_.trimmed().isEmpty() ? std::nullopt : cents::parse(cashTyped_);
    return Payment::settle(total, cash, true);
}

std::optional<Cents> ReceiptModel::change() const {
    const std::optional<Payment> paid = payment();
    return paid ? std::optional<Cents>(paid->change) : std::nullopt;
}

QString ReceiptModel::paymentProblem() const {
    const std::optional<Payment> paid = payment();
    if (!paid) {
        return cashNotPlainText();
    }
    if (paid->isShort()) {
        return QStringLiteral("实收 %1 少于折后总额 %2，请收足现金或改正实收！")
            .arg(cents::toText(paid->received), cents::toText(discountedTotal()));
    }
    return {};
}

ReceiptLine ReceiptModel::lineText(int row, const SaleLine& line) {
    return {QString::number(row + 1),       line.name,
            QString::number(line.quantity), cents::toText(line.unitPrice),
            cents::toText(line.total),      cents::toText(line.discounted)};
}

Receipt ReceiptModel::receipt() const {
    Receipt r;
    r.number = header_.number;
    r.timeText = header_.timeText;
    for (int row = 0; row < size(); ++row) {
        r.lines.append(lineText(row, lines_[static_cast<std::size_t>(row)]));
    }
    r.totalQuantity = QString::number(totalQuantity());
    r.totalAmount = cents::toText(totalAmount());
    r.discountedTotal = cents::toText(discountedTotal());
    // What was taken and given back, never a typed figure the sale did not use; cash that is no
    // amount (refused before any sale is stored or printed) shows as typed.
    if (const std::optional<Payment> paid = payment()) {
        r.cashReceived = cents::toText(paid->received);
        r.change = cents::toText(paid->change);
    } else {
        r.cashReceived = amounts::normalized(cashTyped_);
    }
    r.cashier = header_.cashier;
    r.paymentMethod = header_.paymentMethod;
    // The note keeps its CR LF line breaks, whatever the edit control uses inside.
    r.remark = header_.remark;
    r.remark.remove(QLatin1Char('\r'));
    r.remark.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    r.customer = header_.customer;
    r.phone = header_.phone;
    return r;
}

}  // namespace tillora
