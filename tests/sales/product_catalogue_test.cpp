#include "sales/product_catalogue.h"

#include "data/master_data.h"
#include "tests/sales/sales_fixture.h"

#include <algorithm>

namespace tillora::test {
namespace {

class ProductCatalogueTest : public SalesFixture {
  protected:
    void store(const QString& name, const QString& price = QStringLiteral("1.00")) {
        ASSERT_TRUE(db.ExecuteSql(master_sql::addProduct(name, price)));
    }
    static QStringList names(const std::vector<Product>& products) {
        QStringList out;
        for (const Product& p : products) {
            out.append(p.name);
        }
        return out;
    }
};

// The drop-down must offer what the database's LIKE 'typed%' finds: folded case beyond ASCII,
// "_" and "%" typed as wildcards, quotes as text.
TEST_F(ProductCatalogueTest, FindsWhatTheDatabaseFinds) {
    for (const char* n : {"Äpfel", "äPFEL-grün", "ΣΟΦΙΑ", "σοφια-2", "o'neil", "100%棉", "dyx",
                          "a_b", "axb", "𐐀-deseret"}) {
        store(QString::fromUtf8(n));
    }
    ProductCatalogue catalogue;
    ASSERT_TRUE(catalogue.load(db));
    EXPECT_EQ(catalogue.size(), 14);
    for (const char* t : {"", "d", "DY", "dyx", "äp", "ÄPFEL-G", "σοφ", "Σοφια", "o'", "100%", "a_",
                          "a_b", "%电", "_y", "%", "x", "𐐨", "麦"}) {
        const QString typed = QString::fromUtf8(t);
        QStringList fromDb = names(readProducts(db, master_sql::productsStartingWith(typed)));
        QStringList fromMemory = names(catalogue.lookup(typed, 100));
        fromDb.sort();
        fromMemory.sort();
        EXPECT_EQ(fromMemory, fromDb) << t;
    }
}

TEST_F(ProductCatalogueTest, ShowsAScreenfulWithTheNameAsTypedFirst) {
    for (int i = 0; i < 60; ++i) {
        store(QStringLiteral("p-%1").arg(i, 2, 10, QLatin1Char('0')));
    }
    store(QStringLiteral("P"), QStringLiteral("2"));
    ProductCatalogue catalogue;
    ASSERT_TRUE(catalogue.load(db));
    const std::vector<Product> shown = catalogue.lookup(QStringLiteral("p"));
    ASSERT_EQ(shown.size(), std::size_t(ProductCatalogue::kShown));
    EXPECT_EQ(shown[0].name, QStringLiteral("P"));
    EXPECT_EQ(shown[0].unitPrice, QStringLiteral("2"));
    // The rest in the order of the table.
    for (std::size_t i = 1; i < shown.size(); ++i) {
        EXPECT_EQ(shown[i].name, QStringLiteral("p-%1").arg(i - 1, 2, 10, QLatin1Char('0')));
    }
    // Without text: the table's first products, as listed.
    const std::vector<Product> first = catalogue.lookup({}, 3);
    EXPECT_EQ(names(first), names(readProducts(db, master_sql::listProducts())).mid(0, 3));
    EXPECT_GT(first[0].id, 0);
}

TEST_F(ProductCatalogueTest, KnowsAProductByExactNameAndPriceAndLearnsNewOnes) {
    store(QStringLiteral("茶叶"), QStringLiteral("19.9"));
    ProductCatalogue catalogue;
    ASSERT_TRUE(catalogue.load(db));
    EXPECT_TRUE(catalogue.knows(QStringLiteral("茶叶"), QStringLiteral("19.90")));
    EXPECT_FALSE(catalogue.knows(QStringLiteral("茶叶"), QStringLiteral("20.00")));
    EXPECT_FALSE(catalogue.knows(QStringLiteral("茶"), QStringLiteral("19.90")));
    EXPECT_FALSE(catalogue.knows(QStringLiteral("MKF-麦克风"), QStringLiteral("10.00")));
    EXPECT_TRUE(catalogue.knows(QStringLiteral("mkf-麦克风"), QStringLiteral("10")));

    catalogue.add(Product{0, QStringLiteral("Mkf-支架"), QStringLiteral("5.00"), {}});
    catalogue.add(Product{0, QStringLiteral("mkf-麦克风"), QStringLiteral("12.00"), {}});
    EXPECT_TRUE(catalogue.knows(QStringLiteral("mkf-麦克风"), QStringLiteral("12.00")));
    EXPECT_TRUE(catalogue.knows(QStringLiteral("mkf-麦克风"), QStringLiteral("10.00")));
    // Added ones come after those read, as the table lists them.
    EXPECT_EQ(names(catalogue.lookup(QStringLiteral("MKF"))),
              (QStringList{QStringLiteral("mkf-麦克风"), QStringLiteral("Mkf-支架"),
                           QStringLiteral("mkf-麦克风")}));
    EXPECT_EQ(catalogue.lookup(QStringLiteral("MKF")).back().unitPrice, QStringLiteral("12.00"));

    // Read again, the catalogue holds the table as it is now.
    ASSERT_TRUE(catalogue.load(db));
    EXPECT_FALSE(catalogue.knows(QStringLiteral("Mkf-支架"), QStringLiteral("5.00")));
    // Unreadable for now: what was read before stays.
    db.CloseDatabase();
    EXPECT_FALSE(catalogue.load(db));
    EXPECT_TRUE(catalogue.loaded());
    EXPECT_TRUE(catalogue.knows(QStringLiteral("mkf-麦克风"), QStringLiteral("10.00")));
    catalogue.clear();
    EXPECT_FALSE(catalogue.loaded());
}

}  // namespace
}  // namespace tillora::test
