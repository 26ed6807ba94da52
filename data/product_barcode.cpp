#include "data/product_barcode.h"

namespace tillora {

namespace {

bool allDigits(QStringView text) {
    for (const QChar c : text) {
        if (c < u'0' || c > u'9') {
            return false;
        }
    }
    return true;
}

}  // namespace

QString ProductBarcode::normalized(const QString& code) {
    return code.trimmed();
}

bool ProductBarcode::hasCheckDigit(const QString& code) {
    const qsizetype n = code.size();
    return (n == 8 || n == 12 || n == 13) && allDigits(code);
}

int ProductBarcode::checkDigitFor(QStringView digits) {
    // Weights 3 and 1 alternate from the digit next to the check digit leftwards.
    int sum = 0;
    int weight = 3;
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        sum += (digits[i].unicode() - u'0') * weight;
        weight = 4 - weight;
    }
    return (10 - sum % 10) % 10;
}

ProductBarcode::Verdict ProductBarcode::check(const QString& code) {
    if (code.isEmpty()) {
        return Verdict::Empty;
    }
    if (code.size() > kMaxLength) {
        return Verdict::TooLong;
    }
    // A scanner never sends control characters or blanks inside a code; they would only hide it.
    for (const QChar c : code) {
        if (c.isSpace() || c.category() == QChar::Other_Control) {
            return Verdict::BadCharacter;
        }
    }
    if (hasCheckDigit(code) &&
        checkDigitFor(QStringView(code).chopped(1)) != code.back().unicode() - u'0') {
        return Verdict::CheckDigit;
    }
    return Verdict::Ok;
}

QString ProductBarcode::problem(Verdict verdict, const QString& code) {
    switch (verdict) {
        case Verdict::Ok:
            return {};
        case Verdict::Empty:
            return QStringLiteral("条码不能为空！");
        case Verdict::TooLong:
            return QStringLiteral("条码不能超过%1个字符！").arg(kMaxLength);
        case Verdict::BadCharacter:
            return QStringLiteral("条码不能含有空格或控制字符！");
        case Verdict::CheckDigit:
            return QStringLiteral("条码 %1 的校验位不对，请核对后重新输入！").arg(code);
    }
    return {};
}

}  // namespace tillora
