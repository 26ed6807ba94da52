// The product drop-down of the sales entry window over more products than it shows.
#include "sales/sales_entry_window.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QEvent>
#include <QListView>

#include <gtest/gtest.h>

#include "data/master_data.h"
#include "sales/product_lookup.h"
#include "tests/sales/sales_fixture.h"
#include "tests/support/keyboard.h"

namespace tillora::test {
namespace {

class ProductDropDownTest : public SalesFixture {
  protected:
    void TearDown() override {
        SalesFixture::TearDown();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QStringList shown() const {
        QStringList out;
        const QAbstractItemModel* model = logic->productLookup()->view()->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            out << model->index(row, 0).data().toString();
        }
        return out;
    }
    FormWindow* w = nullptr;
    SalesEntryWindow* logic = nullptr;
};

TEST_F(ProductDropDownTest, AScreenfulBestFirstAndNewProductsWithoutReadingBack) {
    for (int i = 0; i < 70; ++i) {
        ASSERT_TRUE(db.ExecuteSql(
            master_sql::addProduct(QStringLiteral("pj-%1").arg(i), QStringLiteral("1.00"))));
    }
    ASSERT_TRUE(db.ExecuteSql(master_sql::addProduct(QStringLiteral("PJ"), QStringLiteral("8"))));
    w = open(FormId::SalesEntry);
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(Keyboard::activate(w));
    logic = SalesEntryWindow::of(w);
    Keyboard keys(w);

    keys.type(QStringLiteral("pj"));
    ASSERT_TRUE(logic->productLookup()->isOpen());
    QStringList rows = shown();
    ASSERT_EQ(rows.size(), 50);
    EXPECT_EQ(rows.front(), QStringLiteral("PJ"));  // the name as typed, case aside
    EXPECT_EQ(rows.at(1), QStringLiteral("pj-0"));
    if (const QString keep = qEnvironmentVariable("TILLORA_KEEP_DROP_DOWN"); !keep.isEmpty()) {
        w->grab().save(keep);
    }
    keys.press(Qt::Key_Down);
    keys.press(Qt::Key_Return);
    EXPECT_EQ(w->text(QStringLiteral("编辑框_单价")), QStringLiteral("8.00"));

    // A product sold for the first time is stored once, with its sale, and offered at the next
    // key.
    keys.press(Qt::Key_Escape);
    keys.press(Qt::Key_Escape);
    keys.type(QStringLiteral("pjx-新"));
    keys.press(Qt::Key_Return);
    keys.type(QStringLiteral("2.5"));
    keys.press(Qt::Key_Return);
    keys.press(Qt::Key_Return);
    EXPECT_EQ(number(QStringLiteral("select count(*) from 商品名称 where 名称='pjx-新'")), 0);
    keys.press(Qt::Key_F10);
    EXPECT_EQ(number(QStringLiteral("select count(*) from 商品名称 where 名称='pjx-新'")), 1);
    keys.type(QStringLiteral("PJX"));
    EXPECT_EQ(shown(), QStringList{QStringLiteral("pjx-新")});
    keys.press(Qt::Key_Escape);
    keys.press(Qt::Key_Escape);
    keys.type(QStringLiteral("pjx-新"));
    keys.press(Qt::Key_Return);
    keys.type(QStringLiteral("2.50"));
    keys.press(Qt::Key_Return);
    keys.press(Qt::Key_Return);
    keys.press(Qt::Key_F10);
    EXPECT_EQ(number(QStringLiteral("select count(*) from 商品名称 where 名称='pjx-新'")), 1);
}

}  // namespace
}  // namespace tillora::test
