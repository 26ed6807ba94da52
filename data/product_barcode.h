#pragma once

#include <QString>

namespace tillora {

// The rules of a product's barcode (商品名称.条码), without the database: what may be stored,
// and whether the check digit of a retail code is right.
class ProductBarcode {
  public:
    static constexpr int kMaxLength = 50;

    enum class Verdict { Ok, Empty, TooLong, BadCharacter, CheckDigit };

    // A code a scanner or a person typed: blanks at either end dropped.
    static QString normalized(const QString& code);
    // Thirteen (EAN-13), twelve (UPC-A) or eight (EAN-8) digits carry a check digit, which must
    // be right; other codes (Code 128, a shop's own) are taken as typed.
    static Verdict check(const QString& code);
    static bool hasCheckDigit(const QString& code);
    // The digit that completes the code's other digits (all but the last), as GS1 counts it.
    static int checkDigitFor(QStringView digitsBeforeCheck);
    // The message for a refused code; empty for Ok.
    static QString problem(Verdict verdict, const QString& code);
};

}  // namespace tillora
