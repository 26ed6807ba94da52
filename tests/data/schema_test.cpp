#include "data/settings_record.h"
#include "data/template_database.h"
#include "tests/data/fresh_database.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>

#include <gtest/gtest.h>

namespace tillora {
namespace {

using namespace Qt::StringLiterals;
using test::FreshDatabase;

TEST(TemplateDatabase, BlockLayoutAndByteExactWrite) {
    const QByteArray block = templateDatabaseBlock();
    ASSERT_GT(block.size(), 8);
    const auto* head = reinterpret_cast<const uchar*>(block.constData());
    EXPECT_EQ(qFromLittleEndian<quint32>(head), 1u);
    EXPECT_EQ(qFromLittleEndian<quint32>(head + 4), quint32(block.size() - 8));
    EXPECT_TRUE(templateDatabaseBytes().startsWith("SQLite format 3"));

    test::TempProgramFolder folder;
    const QString path = folder.file(u"Zeb.mdb"_s);
    {
        QFile longer(path);
        ASSERT_TRUE(longer.open(QIODevice::WriteOnly));
        longer.write(QByteArray(templateDatabaseBytes().size() + 5000, 'x'));
    }
    ASSERT_TRUE(writeTemplateDatabase(path));  // truncates what was there
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), templateDatabaseBytes());
    // A path whose parent is a regular file cannot be written.
    EXPECT_FALSE(writeTemplateDatabase(path + u"/Zeb.mdb"_s));
}

TEST_F(FreshDatabase, FactoryRows) {
    SettingsRecord s;
    ASSERT_TRUE(readSettingsRecord(db, s));
    EXPECT_EQ(s.id, 1);
    EXPECT_EQ(s.shopName, u"Korvane"_s);
    EXPECT_EQ(s.receiptNumberFormat, u"2"_s);
    EXPECT_TRUE(s.note.startsWith(
        u"1.所购商品7日内凭购物小票调换\r\n2.所调换商品不能影响二次销售\r\n3."_s));
    const QStringList ticks{s.customerTick, s.phoneTick,   s.discountTick, s.paymentMethodTick,
                            s.saveSales,    s.showPrinted, s.askReprint,   s.printUnitPrice,
                            s.printLogo,    s.paperMargin, s.printOffset,  s.lastUser,
                            s.directLogin};
    EXPECT_EQ(ticks, (QStringList{u"假"_s, u"假"_s, u"假"_s, u"真"_s, u"真"_s, u"假"_s, u"假"_s,
                                  u"真"_s, u"假"_s, u"0"_s, u"0"_s, u"admin"_s, u"0"_s}));
    EXPECT_EQ(s.logoOffset, 0);
    EXPECT_TRUE(s.logo.startsWith("\xff\xd8\xff"));  // plain JPEG bytes
    EXPECT_EQ(number(u"select count(*) from 配置文件"_s), 1);

    const struct {
        QString sql, expected;
    } rows[] = {
        {u"select group_concat(ID || ':' || 用户名 || ':' || 权限 || ':' || 密码, '|') from 用户登录"_s,
         u"11:admin:管理员:d41d8cd98f00b204e9800998ecf8427e"_s},
        {u"select group_concat(ID || ':' || 方式, '|') from 付款方式"_s,
         u"1:现金|3:微信|9:QQ红包|10:支付宝|12:银行卡|13:财付通"_s},
        {u"select group_concat(ID || ':' || 名称 || ':' || 单价, '|') from 商品名称"_s,
         u"23:dyj-打印机:80.00|24:xsq-显示器:300.00|25:mkf-麦克风:10.00|26:dyx-电源线:6.00"_s},
        {u"select group_concat(ID, '|') from 客户资料"_s, u"1|2|4"_s},
        {u"select 姓名 || '/' || 电话 from 客户资料 where ID=4"_s, u"369/456"_s},
        {u"select ID || ':' || 销售票号 || ':' || 数量 || ':' || 金额 || ':' || 收银员 from 销售记录"_s,
         u"401:1608180000001:1:10.00:admin"_s},
        {u"select ID || ':' || 关联 || ':' || 名称 || ':' || 数量 || ':' || 单价 || ':' || 金额 || ':' || 折后 from 销售详情"_s,
         u"480:401:麦克风:1:10.00:10.00:10.00"_s},
        {u"select 备注 from 销售记录"_s,
         u"1.所购商品7日内凭购物小票调换\r\n2.所调换商品不能影响二次销售 "_s},
        {u"select 备注 from 销售详情"_s,
         u" 1.所购商品7日内凭购物小票调换\r\n2.所调换商品不能影响二次销售"_s},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(text(r.sql), r.expected) << r.sql.toStdString();
    }
    // Prices come back as text exactly as stored.
    const int h = db.OpenTable(u"select * from 商品名称 where ID=26"_s);
    EXPECT_EQ(db.ReadColByName(h, u"单价"_s), DbValue::fromText(u"6.00"_s));
    db.CloseTable(h);
}

TEST_F(FreshDatabase, SchemaKeepsJetRules) {
    // Cascading delete and update of the relationship; orphan lines refused.
    EXPECT_FALSE(db.ExecuteSql(
        u"insert into [销售详情] (关联,名称,数量,单价,金额,折后,备注 ) values ('999','a','1','1.00','1.00','1.00',' ' )"_s));
    EXPECT_TRUE(db.ExecuteSql(u"update 销售记录 set ID=500 where ID=401"_s));
    EXPECT_EQ(number(u"select 关联 from 销售详情 where ID=480"_s), 500);
    EXPECT_TRUE(db.ExecuteSql(u"delete from 销售记录  where ID=500"_s));
    EXPECT_EQ(number(u"select count(*) from 销售详情"_s), 0);

    // AutoNumber never hands out a deleted ID again.
    EXPECT_TRUE(db.ExecuteSql(u"delete from 付款方式  where ID=13"_s));
    EXPECT_TRUE(db.ExecuteSql(u"insert into [付款方式] (方式 )values ('新')"_s));
    EXPECT_EQ(number(u"select max(ID) from 付款方式"_s), 14);

    // Text(n) limits count characters; Long refuses what is not a whole number.
    const QString fifty(50, u'店');
    EXPECT_TRUE(db.ExecuteSql(u"update 配置文件 set 店名='"_s + fifty + u"'"_s));
    EXPECT_FALSE(db.ExecuteSql(u"update 配置文件 set 店名='"_s + fifty + u"x'"_s));
    EXPECT_TRUE(
        db.ExecuteSql(u"update 客户资料 set 电话='"_s + QString(100, u'1') + u"' where ID=1"_s));
    EXPECT_FALSE(
        db.ExecuteSql(u"update 客户资料 set 电话='"_s + QString(101, u'1') + u"' where ID=1"_s));
    EXPECT_FALSE(db.ExecuteSql(u"update  [配置文件] set  logo偏差 ='abc' where [ID]=1"_s));
    EXPECT_FALSE(db.ExecuteSql(u"update  [配置文件] set  logo偏差 ='99999999999' where [ID]=1"_s));
    EXPECT_TRUE(db.ExecuteSql(u"update  [配置文件] set  logo偏差 ='-12' where [ID]=1"_s));
    const int h = db.OpenTable(u"select * from [配置文件] where [ID]=1"_s);
    EXPECT_EQ(db.ReadColByName(h, u"logo偏差"_s), DbValue::fromInt(-12));
    db.CloseTable(h);
    // A number written into a text column is kept as its text.
    EXPECT_TRUE(db.ExecuteSql(u"update 配置文件  set  全局单号格式=3"_s));
    EXPECT_EQ(text(u"select typeof(全局单号格式) || 全局单号格式 from 配置文件"_s), u"text3"_s);
}

TEST_F(FreshDatabase, StockSqliteToolReadsTheFile) {
    const QString tool = QStandardPaths::findExecutable(u"sqlite3"_s);
    if (tool.isEmpty()) {
        GTEST_SKIP() << "sqlite3 tool not installed";
    }
    db.CloseDatabase();
    QProcess p;
    p.start(tool,
            {path,
             u"pragma integrity_check; pragma foreign_key_check; "
             "select count(*) from sqlite_master where type='table' and name not like 'sqlite_%'; "
             "select 方式 from 付款方式 where 方式='qq红包';"_s});
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()), u"ok\n8\nQQ红包\n"_s);
}

}  // namespace
}  // namespace tillora
