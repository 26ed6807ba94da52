#include "sales/receipt_model.h"

#include <gtest/gtest.h>

namespace tillora {
namespace {

SaleLine line(const QString& name, const QString& quantity, const QString& price,
              std::optional<QString> discount = std::nullopt) {
    const ReceiptModel::Checked checked = ReceiptModel::check({name, quantity, price, discount});
    EXPECT_TRUE(checked.line.has_value()) << checked.problem.toStdString();
    return checked.line.value_or(SaleLine{});
}

QString problem(const QString& name, const QString& quantity, const QString& price,
                std::optional<QString> discount = std::nullopt) {
    const ReceiptModel::Checked checked = ReceiptModel::check({name, quantity, price, discount});
    EXPECT_FALSE(checked.line.has_value());
    return checked.problem;
}

TEST(ReceiptModel, TotalsFollowDiscountsReturnsAndEdits) {
    ReceiptModel model;
    model.add(line(QStringLiteral("a"), QStringLiteral("3"), QStringLiteral("10"),
                   QStringLiteral("9.5")));
    model.add(line(QStringLiteral("b"), QStringLiteral("-1"), QStringLiteral("10.00")));
    // A discount of "10", or an empty discount box, is full price.
    model.add(line(QStringLiteral("c"), QStringLiteral("1"), QStringLiteral("2.5"),
                   QStringLiteral("10")));
    model.add(line(QStringLiteral("d"), QStringLiteral("1"), QStringLiteral("1"), QString()));
    EXPECT_EQ(model.totalQuantity(), 4);
    EXPECT_EQ(model.totalAmount(), 2350);
    EXPECT_EQ(model.discountedTotal(), 2200);

    model.setCashReceived(QStringLiteral("20"));
    EXPECT_EQ(model.change(), -200);  // cash short of the total: negative change
    model.setCashReceived(QStringLiteral(" "));
    EXPECT_EQ(model.change(), 0);  // nothing typed: paid exactly
    model.setCashReceived(QStringLiteral("1e3"));
    EXPECT_FALSE(model.cashIsPlain());
    EXPECT_FALSE(model.change().has_value());
    model.setPaymentMethod(QStringLiteral("银行卡"));  // paid exactly, whatever the box holds
    EXPECT_EQ(model.receipt().cashReceived, QStringLiteral("22.00"));
    EXPECT_TRUE(model.paymentProblem().isEmpty());

    EXPECT_TRUE(
        model.replace(1, line(QStringLiteral("b"), QStringLiteral("1"), QStringLiteral("10"))));
    EXPECT_TRUE(model.remove(0));
    EXPECT_FALSE(model.remove(3));
    EXPECT_FALSE(model.replace(-1, SaleLine{}));
    EXPECT_EQ(model.totalQuantity(), 3);
    EXPECT_EQ(model.discountedTotal(), 1350);

    model.setHeader({QStringLiteral("2612080000001"),
                     {},
                     QStringLiteral("张三"),
                     QStringLiteral("现金"),
                     QStringLiteral("a\nb\r\nc"),
                     {},
                     {}});
    model.setCashReceived(QStringLiteral("20"));
    const Receipt r = model.receipt();
    ASSERT_EQ(r.lines.size(), 3);
    EXPECT_EQ(r.lines[2], (ReceiptLine{QStringLiteral("3"), QStringLiteral("d"),
                                       QStringLiteral("1"), QStringLiteral("1.00"),
                                       QStringLiteral("1.00"), QStringLiteral("1.00")}));
    EXPECT_EQ(r.totalAmount, QStringLiteral("13.50"));
    EXPECT_EQ(r.cashReceived, QStringLiteral("20.00"));
    EXPECT_EQ(r.change, QStringLiteral("6.50"));
    EXPECT_EQ(r.remark, QStringLiteral("a\r\nb\r\nc"));

    model.clear();
    EXPECT_TRUE(model.isEmpty());
    EXPECT_EQ(model.receipt().discountedTotal, QStringLiteral("0.00"));
    EXPECT_EQ(model.receipt().change, QStringLiteral("0.00"));
}

TEST(ReceiptModel, MoneyIsExactInCents) {
    // Half a cent goes away from zero, for sales and returns alike.
    EXPECT_EQ(line(QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("0.10"),
                   QStringLiteral("9.5"))
                  .discounted,
              10);
    EXPECT_EQ(line(QStringLiteral("a"), QStringLiteral("-1"), QStringLiteral("0.10"),
                   QStringLiteral("9.5"))
                  .discounted,
              -10);
    EXPECT_EQ(line(QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("0.29"),
                   QStringLiteral("1.0"))
                  .discounted,
              3);
    // Sums that binary fractions get wrong.
    ReceiptModel model;
    for (int i = 0; i < 10; ++i) {
        model.add(line(QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("0.1")));
    }
    model.add(line(QStringLiteral("a"), QStringLiteral("3"), QStringLiteral("0.07")));
    EXPECT_EQ(model.receipt().totalAmount, QStringLiteral("1.21"));
    // The largest line and its sum stay exact; anything larger is refused.
    const SaleLine largest =
        line(QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("99999999.99"));
    EXPECT_EQ(largest.total, 9999999999);
    model.add(largest);
    model.add(largest);
    EXPECT_EQ(model.receipt().totalAmount, QStringLiteral("200000001.19"));
    EXPECT_EQ(problem(QStringLiteral("a"), QStringLiteral("2"), QStringLiteral("99999999.99")),
              QStringLiteral("金额不能超过 99999999.99！"));
    EXPECT_EQ(cents::toText(-5), QStringLiteral("-0.05"));
    EXPECT_EQ(cents::toText(0), QStringLiteral("0.00"));
}

TEST(ReceiptModel, RefusesWhatTheTillCannotStoreWithTheCashiersMessage) {
    EXPECT_EQ(problem(QStringLiteral(" "), QStringLiteral("1"), QStringLiteral("1")),
              QStringLiteral("商品名称不能为空！"));
    EXPECT_EQ(problem(QStringLiteral("a"), QString(), QStringLiteral("1")),
              QStringLiteral("数量不能为空！"));
    EXPECT_EQ(problem(QStringLiteral("a"), QStringLiteral("0"), QStringLiteral("1")),
              QStringLiteral("数量不能为 0！"));
    EXPECT_EQ(problem(QStringLiteral("a"), QStringLiteral("1"), QString()),
              QStringLiteral("价格不能为空！"));
    EXPECT_EQ(problem(QString(51, u'x'), QStringLiteral("1"), QStringLiteral("1")),
              QStringLiteral("商品名称不能超过50个字符！"));
    EXPECT_EQ(problem(QStringLiteral("a\tb"), QStringLiteral("1"), QStringLiteral("1")),
              QStringLiteral("商品名称含有不能保存的控制字符！"));
    EXPECT_EQ(problem(QStringLiteral("a"), QStringLiteral("1.5"), QStringLiteral("1")),
              QStringLiteral("数量只能是整数，例如 3（退货写 -1）！"));
    EXPECT_EQ(problem(QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("-1")),
              QStringLiteral("价格只能是数字（最多两位小数，不超过 99999999.99），例如 12.50！"));
    EXPECT_EQ(problem(QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("1.005")),
              QStringLiteral("价格只能是数字（最多两位小数，不超过 99999999.99），例如 12.50！"));
    EXPECT_EQ(problem(QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("1"),
                      QStringLiteral("0.5")),
              QStringLiteral("折扣只能是 1.0 到 10 之间的数字（最多一位小数），例如 8.8！"));

    // The whole receipt: header values are checked before anything is stored.
    ReceiptModel model;
    model.add(line(QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("1")));
    model.setHeader({QStringLiteral("1"), {}, QString(51, u'x'), {}, {}, {}, {}});
    EXPECT_EQ(ReceiptModel::storeProblem(model.receipt()),
              QStringLiteral("收银员不能超过50个字符！"));
    model.setHeader({QStringLiteral("1"),
                     {},
                     QStringLiteral("x"),
                     {},
                     QStringLiteral("line\r\nbreaks\tstay"),
                     {},
                     {}});
    EXPECT_TRUE(ReceiptModel::storeProblem(model.receipt()).isEmpty());
    model.setHeader({QStringLiteral("1"),
                     {},
                     QStringLiteral("x"),
                     {},
                     QStringLiteral("nul") + QChar(u'\0'),
                     {},
                     {}});
    EXPECT_EQ(ReceiptModel::storeProblem(model.receipt()),
              QStringLiteral("备注含有不能保存的控制字符！"));
}

}  // namespace
}  // namespace tillora
