#pragma once

#include <QString>

#include <optional>
#include <vector>

#include "sales/receipt.h"

namespace tillora {

// Money in cents: sums and discounts are exact, and a text is made only to be shown or stored.
using Cents = qint64;

namespace cents {
// "10.00", "-3.25"; never "-0.00".
QString toText(Cents amount);
// A plain amount as typed (at most two decimals, up to the till's largest); none otherwise.
std::optional<Cents> parse(const QString& text, bool allowNegative = false);
// The discount list's tenths ("9.5" pays 95 percent), rounded to cents half away from zero.
Cents discounted(Cents total, int percent);
}  // namespace cents

// What a sale takes and gives back, as stored and printed. A return (total below zero) hands
// the money back as change; a sale not paid in cash, or in cash with nothing typed, is paid
// exactly; otherwise the cash taken stays and the change is worked out from it (negative when
// the cash falls short).
struct Payment {
    Cents received = 0;
    Cents change = 0;

    static Payment settle(Cents total, std::optional<Cents> cash, bool isCash);
    bool isShort() const { return change < 0; }
};

// Whether a payment method's name is cash: "现金", or none (the tick off).
bool isCashMethod(const QString& method);

// One line of the receipt as the till computes with it.
struct SaleLine {
    QString name;
    int quantity = 0;  // negative for a return
    Cents unitPrice = 0;
    Cents total = 0;       // unit price x quantity
    Cents discounted = 0;  // the total after the discount

    bool operator==(const SaleLine&) const = default;
};

// The receipt being composed: its lines, totals and payment, and every check of what the till
// can store. Holds no widget: the sales entry window renders it, the recorder and the printer
// take the Receipt it produces.
class ReceiptModel {
  public:
    // The longest text a stored column takes.
    static constexpr int kTextColumnLength = 50;

    // What the cashier typed for one line, before it is checked.
    struct Entry {
        QString name;
        QString quantity;
        QString unitPrice;
        // The discount text when the discount is ticked; none (or empty) for full price.
        std::optional<QString> discount;
    };
    // A checked line, or why it can't be taken (a message for the cashier).
    struct Checked {
        std::optional<SaleLine> line;
        QString problem;
    };
    static Checked check(const Entry& entry);

    // The first value of a receipt that can't be stored (too long for its column, or holding a
    // character that can't go into a statement); empty when everything fits.
    static QString storeProblem(const Receipt& receipt);

    // The header as the window shows it; the model keeps it only to produce the Receipt.
    struct Header {
        QString number;
        QString timeText;
        QString cashier;
        QString paymentMethod;
        QString remark;    // line breaks as the edit box gives them
        QString customer;  // empty when the customer tick is off
        QString phone;     // empty when the phone tick is off
    };

    const std::vector<SaleLine>& lines() const { return lines_; }
    int size() const { return static_cast<int>(lines_.size()); }
    bool isEmpty() const { return lines_.empty(); }
    // Returns the new line's row.
    int add(const SaleLine& line);
    // False for a row that is not there.
    bool replace(int row, const SaleLine& line);
    bool remove(int row);
    // Lines and cash gone, for the next receipt.
    void clear();

    qint64 totalQuantity() const;
    Cents totalAmount() const;
    Cents discountedTotal() const;

    // The cash received as typed; empty means paid exactly.
    void setCashReceived(const QString& typed) { cashTyped_ = typed; }
    const QString& cashReceivedText() const { return cashTyped_; }
    // "现金" (or none) takes the cash typed; any other method is paid exactly.
    void setPaymentMethod(const QString& method) { header_.paymentMethod = method; }
    bool isCashSale() const;
    // False when the cash typed is not a plain amount.
    bool cashIsPlain() const;
    // What the sale takes and gives back; none when the cash is not a plain amount.
    std::optional<Payment> payment() const;
    // The change as the window shows it while the cash is typed: negative while the cash falls
    // short; none when the cash is not a plain amount.
    std::optional<Cents> change() const;
    // Why the receipt can't be paid as it stands (cash that is no amount, or short of the
    // total); empty when it can.
    QString paymentProblem() const;
    static QString cashNotPlainText() {
        return QStringLiteral("实收只能是数字（最多两位小数，不超过 99999999.99），例如 100！");
    }

    void setHeader(Header header) { header_ = std::move(header); }
    const Header& header() const { return header_; }

    // Everything recording, printing and the preview take, as texts.
    Receipt receipt() const;
    static ReceiptLine lineText(int row, const SaleLine& line);

  private:
    std::vector<SaleLine> lines_;
    QString cashTyped_;
    Header header_;
};

}  // namespace tillora
