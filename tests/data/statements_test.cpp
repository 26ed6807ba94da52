#include "data/master_data.h"
#include "data/settings_record.h"
#include "data/template_database.h"
#include "tests/data/fresh_database.h"

#include <gtest/gtest.h>

#include <functional>

namespace tillora {
namespace {

using namespace Qt::StringLiterals;
using test::FreshDatabase;

class Statements : public FreshDatabase {
  protected:
    void reset() {
        db.CloseDatabase();
        ASSERT_TRUE(writeTemplateDatabase(path));
        ASSERT_TRUE(db.OpenMdbDatabase(path));
    }
};

// Every statement text the program issues, with sample values, on a fresh template database.
// A query row expects its row count; a change row expects the text its check query reads after.
TEST_F(Statements, EveryStatementHasItsEffect) {
    struct Row {
        QString statement;
        QString check;  // empty: statement is a query, expected is its row count
        QString expected;
    };
    const Row rows[] = {
        // Login and user accounts.
        {u"select * from 用户登录 where 用户名='admin'"_s, {}, u"1"_s},
        {u"select * from 用户登录 where 用户名='ADMIN '"_s, {}, u"1"_s},
        {u"select * from 用户登录"_s, {}, u"1"_s},
        {u"select * from 用户登录 where  用户名='admin'"_s, {}, u"1"_s},
        {u"insert into [用户登录] (用户名,权限,密码 )values ('小王','普通用户','0cc175b9c0f1b6a831c399e269772661')"_s,
         u"select group_concat(用户名 || 权限, ',') from 用户登录"_s,
         u"admin管理员,小王普通用户"_s},
        {u"update 用户登录 set 用户名='root',密码='x',权限='普通用户' where ID=11"_s,
         u"select 用户名 || 密码 || 权限 from 用户登录"_s, u"rootx普通用户"_s},
        {u"delete from 用户登录  where ID=11"_s, u"select count(*) from 用户登录"_s, u"0"_s},
        // Settings record.
        {u"select * from 配置文件 where 1"_s, {}, u"1"_s},
        {u"select * from [配置文件] where [ID]=1"_s, {}, u"1"_s},
        {u"select * from 配置文件 where 全局单号格式"_s, {}, u"1"_s},
        {settings_sql::updateShopNameAndNote(u"小店"_s, u"a\r\nb"_s),
         u"select 店名 || 备注 from 配置文件"_s, u"小店a\r\nb"_s},
        {settings_sql::updatePaperMargin(u"-3"_s), u"select 纸张边距 from 配置文件"_s, u"-3"_s},
        {settings_sql::resetPaperMargin(), u"select 纸张边距 from 配置文件"_s, u"0"_s},
        {settings_sql::updatePrintOffset(u"2.5"_s), u"select 打印偏差 from 配置文件"_s, u"2.5"_s},
        {settings_sql::resetPrintOffset(), u"select 打印偏差 from 配置文件"_s, u"0"_s},
        {settings_sql::updateShowPrinted(true), u"select 显示打印完毕 from 配置文件"_s, u"真"_s},
        {settings_sql::updateAskReprint(true), u"select 提示再次打印 from 配置文件"_s, u"真"_s},
        {settings_sql::updatePrintUnitPrice(false), u"select 打印单价 from 配置文件"_s, u"假"_s},
        {settings_sql::updateDirectLogin(true), u"select 直接登录 from 配置文件"_s, u"1"_s},
        {settings_sql::updateDirectLogin(false), u"select 直接登录 from 配置文件"_s, u"0"_s},
        {settings_sql::updateLastUser(u"小王"_s), u"select 用户登录 from 配置文件"_s, u"小王"_s},
        {settings_sql::updateReceiptNumberFormat(1), u"select 全局单号格式 from 配置文件"_s,
         u"1"_s},
        {settings_sql::updateCustomerTick(true), u"select 客户 from 配置文件"_s, u"真"_s},
        {settings_sql::updatePhoneTick(true), u"select 电话 from 配置文件"_s, u"真"_s},
        {settings_sql::updatePaymentMethodTick(false), u"select 付款方式的选中 from 配置文件"_s,
         u"假"_s},
        {settings_sql::updatePrintLogo(true), u"select 是否打印logo from 配置文件"_s, u"真"_s},
        {settings_sql::updateLogoOffset(u"12"_s),
         u"select typeof(logo偏差) || logo偏差 from 配置文件"_s, u"integer12"_s},
        // Master data.
        {master_sql::listProducts(), {}, u"4"_s},
        {master_sql::productsStartingWith(u"dy"_s), {}, u"2"_s},
        {master_sql::productsStartingWith(u"DYJ"_s), {}, u"1"_s},
        {master_sql::productsStartingWith(u"麦"_s), {}, u"0"_s},
        {master_sql::addProduct(u"键盘"_s, u"99.00"_s),
         u"select 名称 || 单价 from 商品名称 where ID=27"_s, u"键盘99.00"_s},
        {master_sql::changeProduct(25, u"话筒"_s, u"12.00"_s),
         u"select 名称 || 单价 from 商品名称 where ID=25"_s, u"话筒12.00"_s},
        {master_sql::deleteProduct(23), u"select count(*) from 商品名称"_s, u"3"_s},
        {master_sql::listPaymentMethods(), {}, u"6"_s},
        {master_sql::addPaymentMethod(u"赊账"_s), u"select 方式 from 付款方式 where ID=14"_s,
         u"赊账"_s},
        {master_sql::changePaymentMethod(9, u"红包"_s), u"select 方式 from 付款方式 where ID=9"_s,
         u"红包"_s},
        {master_sql::deletePaymentMethod(1), u"select count(*) from 付款方式"_s, u"5"_s},
        {master_sql::listCustomers(), {}, u"3"_s},
        {master_sql::customersNameContaining(u"三"_s), {}, u"1"_s},
        {master_sql::customersPhoneContaining(u"138"_s), {}, u"1"_s},
        {master_sql::customersNamed(u"369"_s), {}, u"1"_s},
        {master_sql::customersNamed(u"36"_s), {}, u"0"_s},
        {master_sql::customersWithPhone(u"456"_s), {}, u"1"_s},
        {master_sql::addCustomer(u"赵六"_s, u"123"_s),
         u"select 姓名 || 电话 from 客户资料 where ID=5"_s, u"赵六123"_s},
        {master_sql::changeCustomer(4, u"钱七"_s, u"789"_s),
         u"select 姓名 || 电话 from 客户资料 where ID=4"_s, u"钱七789"_s},
        {master_sql::deleteCustomer(2), u"select group_concat(ID) from 客户资料"_s, u"1,4"_s},
        // Sales: recording and numbering.
        {u"select top 1 ID from [销售记录] order by ID desc"_s, {}, u"1"_s},
        {u"select * from 销售记录 where id=401"_s, {}, u"1"_s},
        {u"insert into [销售记录] (销售票号,销售时间,数量,金额,收银员,备注 ) values ('1608180000002',now(),'3','30.00','admin','谢谢 ')"_s,
         u"select ID || 销售票号 || 备注 || (销售时间 > 42600) from 销售记录 where ID=402"_s,
         u"4021608180000002谢谢 1"_s},
        {u"insert into [销售详情] (关联,名称,数量,单价,金额,折后,备注 ) values ('401','电源线','2','6.00','12.00','10.80',' 备' )"_s,
         u"select 关联 || 名称 || 折后 || 备注 from 销售详情 where ID=481"_s,
         u"401电源线10.80 备"_s},
        // Sales records and details.
        {u"select * from [销售记录] where [销售时间] between #2016-08-18  00:00:00# and #2016-08-19# order by [销售时间] desc"_s,
         {},
         u"1"_s},
        {u"select * from [销售记录] where [销售时间] between #2016-08-19  00:00:00# and #2016-08-20# order by [销售时间] desc"_s,
         {},
         u"0"_s},
        {u"select * from [销售记录] where [销售时间] between #2016-08-18  00:00:00# and #2016-08-18# order by [销售时间] desc"_s,
         {},
         u"0"_s},
        {u"SELECT * FROM 销售记录 WHERE 销售时间 between #2016-08-01  00:00:00# and #2016-08-31#  And (金额 like '%10.00 %' or 数量 like '%%' or 收银员 like '%admin %')"_s,
         {},
         u"1"_s},
        {u"SELECT * FROM 销售记录 WHERE 销售时间 between #2016-08-01  00:00:00# and #2016-08-31#  And (金额 like '% %' or 数量 like '%5%' or 收银员 like '% %')"_s,
         {},
         u"0"_s},
        {u"select * from  销售记录  where 销售时间 between #2016-08-18  00:00:00# and #2016-08-19#  and 数量='1' and 金额='10.00 '  and 收银员='admin '"_s,
         {},
         u"1"_s},
        {u"select * from  销售记录  where 销售时间 between #2016-08-18  00:00:00# and #2016-08-19#  and 数量='' and 金额=' '  and 收银员=' '"_s,
         {},
         u"0"_s},
        {u"select * from 销售记录 where 销售票号 like '%0818%'"_s, {}, u"1"_s},
        {u"SELECT * FROM 销售详情 WHERE 关联 =401"_s, {}, u"1"_s},
        {u"update 销售详情  set   名称='麦',数量='2',金额='20.00',折后='18.00'where ID=480"_s,
         u"select 名称 || 数量 || 单价 || 金额 || 折后 from 销售详情"_s, u"麦210.0020.0018.00"_s},
        {u"delete from 销售详情  where ID=480"_s, u"select count(*) from 销售详情"_s, u"0"_s},
        {u"delete from 销售记录  where ID=401"_s,
         u"select (select count(*) from 销售记录) + (select count(*) from 销售详情)"_s, u"0"_s},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.statement.toStdString());
        reset();
        if (row.check.isEmpty()) {
            const int h = db.OpenTable(row.statement);
            ASSERT_NE(h, 0);
            EXPECT_EQ(QString::number(db.rowCount(h)), row.expected);
            db.CloseTable(h);
        } else {
            ASSERT_TRUE(db.ExecuteSql(row.statement));
            EXPECT_EQ(text(row.check), row.expected);
        }
    }
}

TEST_F(Statements, ExactTextsOfTheWriters) {
    const struct {
        QString made, exact;
    } cases[] = {
        {settings_sql::updateShopNameAndNote(u"A"_s, u"B"_s),
         u"update 配置文件  set   店名='A',备注='B'where ID=1"_s},
        {settings_sql::updatePaperMargin(u"1"_s),
         u"update 配置文件  set    纸张边距='1' where ID=1"_s},
        {settings_sql::updateLastUser(u"u"_s), u"update 配置文件  set   用户登录='u'where ID=1"_s},
        {settings_sql::updateReceiptNumberFormat(2), u"update 配置文件  set  全局单号格式=2"_s},
        {settings_sql::updateLogoOffset(u"5"_s),
         u"update  [配置文件] set  logo偏差 ='5' where [ID]=1"_s},
        {settings_sql::updateCustomerTick(false), u"update 配置文件  set  客户='假'"_s},
        {master_sql::productsStartingWith(u"d"_s),
         u"select * from 商品名称  where 名称 like 'd%'"_s},
        {master_sql::changeProduct(3, u"n"_s, u"1.00"_s),
         u"update 商品名称  set   名称='n',单价='1.00'where ID=3"_s},
        {master_sql::changeCustomer(3, u"n"_s, u"t"_s),
         u"update 客户资料  set  姓名='n', 电话='t'where ID=3"_s},
        {master_sql::changePaymentMethod(3, u"n"_s), u"update 付款方式  set  方式='n'where ID=3"_s},
        {master_sql::addProduct(u"n"_s, u"p"_s),
         u"insert into [商品名称] (名称,单价 )values ('n','p')"_s},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.made, c.exact);
    }
}

// A typed value with quotes and SQL in it is stored as typed and touches nothing else.
TEST_F(Statements, QuotedValuesCannotEscape) {
    const QString evil = u"O'Brien'); delete from 销售记录; --"_s;
    const struct {
        QString statement, check;
    } cases[] = {
        {settings_sql::updateShopNameAndNote(evil, evil), u"select 店名 from 配置文件"_s},
        {settings_sql::updatePaperMargin(evil), u"select 纸张边距 from 配置文件"_s},
        {settings_sql::updatePrintOffset(evil), u"select 打印偏差 from 配置文件"_s},
        {settings_sql::updateLastUser(evil), u"select 用户登录 from 配置文件"_s},
        {master_sql::addProduct(evil, evil), u"select 名称 from 商品名称 where ID=27"_s},
        {master_sql::changeProduct(24, evil, evil), u"select 单价 from 商品名称 where ID=24"_s},
        {master_sql::addPaymentMethod(evil), u"select 方式 from 付款方式 where ID=14"_s},
        {master_sql::changePaymentMethod(3, evil), u"select 方式 from 付款方式 where ID=3"_s},
        {master_sql::addCustomer(evil, evil), u"select 电话 from 客户资料 where ID=5"_s},
        {master_sql::changeCustomer(1, evil, evil), u"select 姓名 from 客户资料 where ID=1"_s},
    };
    auto fingerprint = [this] {
        return text(
            u"select (select count(*) from 销售记录) || (select count(*) from 销售详情) || "
            "(select count(*) from 商品名称) || (select count(*) from 付款方式) || "
            "(select count(*) from 客户资料) || (select group_concat(名称) from 商品名称) || "
            "(select group_concat(姓名) from 客户资料)"_s);
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.statement.toStdString());
        reset();
        const QString before = fingerprint();
        ASSERT_TRUE(db.ExecuteSql(c.statement));
        EXPECT_EQ(text(c.check), evil);
        EXPECT_EQ(number(u"select count(*) from 销售记录"_s), 1);
        EXPECT_EQ(number(u"select count(*) from 配置文件"_s), 1);
        if (c.statement.startsWith(u"update"_s)) {
            // Rows other than the target keep their values.
            EXPECT_EQ(text(u"select group_concat(名称) from 商品名称 where ID<>24"_s),
                      u"dyj-打印机,mkf-麦克风,dyx-电源线"_s);
            EXPECT_EQ(text(u"select group_concat(方式) from 付款方式 where ID<>3"_s),
                      u"现金,QQ红包,支付宝,银行卡,财付通"_s);
            EXPECT_EQ(text(u"select group_concat(姓名) from 客户资料 where ID<>1"_s),
                      u"李四,369"_s);
            EXPECT_EQ(text(u"select 全局单号格式 from 配置文件"_s), u"2"_s);
        } else {
            EXPECT_NE(fingerprint(), before);  // exactly one row added, nothing removed
        }
    }
    // Searches with the value find nothing and remove nothing.
    reset();
    for (const QString& search :
         {master_sql::productsStartingWith(evil), master_sql::customersNameContaining(evil),
          master_sql::customersPhoneContaining(evil), master_sql::customersNamed(evil),
          master_sql::customersWithPhone(evil)}) {
        const int h = db.OpenTable(search);
        EXPECT_NE(h, 0) << search.toStdString();
        EXPECT_TRUE(db.IsEOF(h));
        db.CloseTable(h);
    }
    EXPECT_EQ(number(u"select count(*) from 销售记录"_s), 1);
    // The offset of a logo is a number; such text is refused and changes nothing.
    EXPECT_FALSE(db.ExecuteSql(settings_sql::updateLogoOffset(evil)));
    EXPECT_EQ(number(u"select logo偏差 from 配置文件"_s), 0);
}

TEST_F(Statements, SettingsAndMasterReaders) {
    ASSERT_TRUE(writeSettingsLogo(db, QByteArray("PNGDATA")));
    SettingsRecord s;
    ASSERT_TRUE(readSettingsRecord(db, s, settings_sql::selectById()));
    EXPECT_EQ(s.logo, QByteArray("PNGDATA"));
    EXPECT_FALSE(readSettingsRecord(db, s, u"select * from 配置文件 where ID=2"_s));

    const auto products = readProducts(db, master_sql::listProducts());
    ASSERT_EQ(products.size(), 4u);
    EXPECT_EQ(products[3].id, 26);
    EXPECT_EQ(products[3].unitPrice, u"6.00"_s);
    bool ok = true;
    EXPECT_TRUE(readCustomers(db, u"select * from 无此表"_s, &ok).empty());
    EXPECT_FALSE(ok);
    EXPECT_EQ(readPaymentMethods(db, master_sql::listPaymentMethods()).at(2).name, u"QQ红包"_s);
    EXPECT_EQ(db.openRecordSetCount(), 0);
}

}  // namespace
}  // namespace tillora
