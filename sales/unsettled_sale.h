#pragma once

#include <QString>

#include <optional>

#include "sales/receipt.h"

namespace tillora {

// A sale whose commit went unanswered and that could not be read back: it may be stored or not.
// It is kept in a file of the data folder (owner-only, it holds the sale) until it is settled,
// so that neither a restart nor a changed receipt has it stored twice, nor lets it be forgotten.
class UnsettledSale {
  public:
    struct Sale {
        QString number;  // 销售票号
        int saleId = 0;  // the 销售记录 ID it was written under
        Receipt receipt;
    };

    // file: where it is kept; empty keeps it for the run only. What the file holds is read now.
    explicit UnsettledSale(QString file = {});

    static QString fileIn(const QString& dataFolder);

    const std::optional<Sale>& sale() const { return sale_; }
    // Keeps `sale` (in the file, written whole); false when the file could not be written.
    bool keep(const Sale& sale);
    // Settled: forgotten and its file removed.
    void forget();

    // What the cashier is told.
    static QString storedText(const QString& number) {
        return QStringLiteral("上次不能确定的一单已经保存。单号：%1").arg(number);
    }
    static QString droppedText(const QString& number) {
        return QStringLiteral("上次不能确定的一单没有保存，已作废。单号：%1").arg(number);
    }
    static QString storeChangedText() {
        return QStringLiteral("屏幕上的小票已有改动，是否作为新的一单保存？");
    }
    static QString closingText(const QString& number) {
        return QStringLiteral(
                   "仍不能确定这一单是否已保存（单号：%1）。\r\n已经记下，下次启动时先查明。")
            .arg(number);
    }

  private:
    QString file_;
    std::optional<Sale> sale_;
};

}  // namespace tillora
