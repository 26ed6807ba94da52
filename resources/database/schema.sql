-- Tillora database schema (SQLite, read by the template database builder).
-- Jet's rules are kept by the file itself:
--   AutoNumber: INTEGER PRIMARY KEY AUTOINCREMENT, so a deleted ID is never handed out again;
--   Text(n):    VARCHAR(n) with CHECK(length(..) <= n);
--   Memo:       LONGTEXT (no limit);
--   Long:       INTEGER with a CHECK that refuses anything but a 32-bit whole number;
--   Date/Time:  DATETIME holding the Jet day number (days since 1899-12-30) as a number;
--   OLE object: LONGBLOB.
-- Text columns compare as Jet compares (case and trailing blanks ignored); the program replaces
-- NOCASE with that rule on its connections, other tools use SQLite's own NOCASE.

PRAGMA page_size = 4096;
PRAGMA journal_mode = DELETE;
PRAGMA foreign_keys = ON;

CREATE TABLE 配置文件 (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    店名 VARCHAR(50) COLLATE NOCASE CHECK (length(店名) <= 50),
    全局单号格式 VARCHAR(50) COLLATE NOCASE CHECK (length(全局单号格式) <= 50),
    备注 LONGTEXT COLLATE NOCASE,
    客户 VARCHAR(50) COLLATE NOCASE CHECK (length(客户) <= 50),
    电话 VARCHAR(50) COLLATE NOCASE CHECK (length(电话) <= 50),
    折扣 VARCHAR(50) COLLATE NOCASE CHECK (length(折扣) <= 50),
    付款方式的选中 VARCHAR(50) COLLATE NOCASE CHECK (length(付款方式的选中) <= 50),
    保存销售记录 VARCHAR(50) COLLATE NOCASE CHECK (length(保存销售记录) <= 50),
    显示打印完毕 VARCHAR(50) COLLATE NOCASE CHECK (length(显示打印完毕) <= 50),
    提示再次打印 VARCHAR(50) COLLATE NOCASE CHECK (length(提示再次打印) <= 50),
    打印单价 VARCHAR(50) COLLATE NOCASE CHECK (length(打印单价) <= 50),
    纸张边距 VARCHAR(50) COLLATE NOCASE CHECK (length(纸张边距) <= 50),
    打印偏差 VARCHAR(50) COLLATE NOCASE CHECK (length(打印偏差) <= 50),
    用户登录 VARCHAR(50) COLLATE NOCASE CHECK (length(用户登录) <= 50),
    直接登录 VARCHAR(50) COLLATE NOCASE CHECK (length(直接登录) <= 50),
    logo偏差 INTEGER CHECK (typeof(logo偏差) IN ('integer', 'null')
                            AND logo偏差 BETWEEN -2147483648 AND 2147483647),
    是否打印logo VARCHAR(50) COLLATE NOCASE CHECK (length(是否打印logo) <= 50),
    logo LONGBLOB
);

CREATE TABLE 用户登录 (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    用户名 VARCHAR(50) COLLATE NOCASE CHECK (length(用户名) <= 50),
    权限 VARCHAR(50) COLLATE NOCASE CHECK (length(权限) <= 50),
    密码 VARCHAR(50) COLLATE NOCASE CHECK (length(密码) <= 50)
);
CREATE INDEX 用户登录_ID ON 用户登录 (ID);

CREATE TABLE 商品名称 (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    名称 VARCHAR(50) COLLATE NOCASE CHECK (length(名称) <= 50),
    单价 VARCHAR(50) COLLATE NOCASE CHECK (length(单价) <= 50),
    条码 VARCHAR(50) COLLATE BINARY CHECK (length(条码) <= 50)
);
CREATE INDEX 商品名称_ID ON 商品名称 (ID);
-- 条码 (the product's barcode) came after the first release too; an older file gets it at
-- start. A code is compared exactly (a scanner's letters are not a name's) and belongs to one
-- product at most; products without one hold NULL or ''.
CREATE UNIQUE INDEX 商品名称_条码 ON 商品名称 (条码) WHERE 条码 <> '';

CREATE TABLE 付款方式 (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    方式 VARCHAR(50) COLLATE NOCASE CHECK (length(方式) <= 50)
);
CREATE INDEX 付款方式_ID ON 付款方式 (ID);

CREATE TABLE 客户资料 (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    姓名 VARCHAR(50) COLLATE NOCASE CHECK (length(姓名) <= 50),
    电话 VARCHAR(100) COLLATE NOCASE CHECK (length(电话) <= 100)
);
CREATE INDEX 客户资料_ID ON 客户资料 (ID);

-- 付款方式, 实收现金 and 找零 (how the sale was paid, the cash taken, the change; amounts as
-- text like 金额) came after the first release: a sale stored before reads them as NULL, and an
-- older file gets them at start. No comments inside the table: they would stay in its stored
-- text through later changes to it.
CREATE TABLE 销售记录 (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    销售票号 VARCHAR(50) COLLATE NOCASE CHECK (length(销售票号) <= 50),
    销售时间 DATETIME CHECK (typeof(销售时间) IN ('real', 'integer', 'null')),
    数量 VARCHAR(50) COLLATE NOCASE CHECK (length(数量) <= 50),
    金额 VARCHAR(50) COLLATE NOCASE CHECK (length(金额) <= 50),
    收银员 VARCHAR(50) COLLATE NOCASE CHECK (length(收银员) <= 50),
    备注 LONGTEXT COLLATE NOCASE,
    付款方式 VARCHAR(50) COLLATE NOCASE CHECK (length(付款方式) <= 50),
    实收现金 VARCHAR(50) COLLATE NOCASE CHECK (length(实收现金) <= 50),
    找零 VARCHAR(50) COLLATE NOCASE CHECK (length(找零) <= 50)
);
CREATE INDEX 销售记录_ID ON 销售记录 (ID);
-- The date-range listings read by sale time.
CREATE INDEX 销售记录_销售时间 ON 销售记录 (销售时间);
-- A receipt number is given once, even when two tills save at the same moment. Compared byte
-- for byte, so that the standard sqlite3 tool checks this index the same way.
CREATE UNIQUE INDEX 销售记录_销售票号 ON 销售记录 (销售票号 COLLATE BINARY);

-- Relationship 销售记录销售详情: a line needs its sale; renumbering and deleting cascade.
CREATE TABLE 销售详情 (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    关联 INTEGER DEFAULT 0
        CHECK (typeof(关联) IN ('integer', 'null') AND 关联 BETWEEN -2147483648 AND 2147483647)
        CONSTRAINT 销售记录销售详情 REFERENCES 销售记录 (ID) ON UPDATE CASCADE ON DELETE CASCADE,
    名称 VARCHAR(50) COLLATE NOCASE CHECK (length(名称) <= 50),
    数量 VARCHAR(50) COLLATE NOCASE CHECK (length(数量) <= 50),
    单价 VARCHAR(50) COLLATE NOCASE CHECK (length(单价) <= 50),
    金额 VARCHAR(50) COLLATE NOCASE CHECK (length(金额) <= 50),
    折后 VARCHAR(50) COLLATE NOCASE CHECK (length(折后) <= 50),
    备注 LONGTEXT COLLATE NOCASE
);
CREATE INDEX 销售详情_ID ON 销售详情 (ID);
CREATE INDEX 销售详情_关联 ON 销售详情 (关联);

-- Who changed what (操作记录): one row per change to money, numbering or master data, written in
-- the same transaction as the change. Rows are only ever added. Came after the first release: an
-- older file gets the table at start, after its backup.
CREATE TABLE 操作记录 (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    时间 DATETIME CHECK (typeof(时间) IN ('real', 'integer', 'null')),
    收银台 VARCHAR(255) COLLATE NOCASE CHECK (length(收银台) <= 255),
    用户 VARCHAR(255) COLLATE NOCASE CHECK (length(用户) <= 255),
    操作 VARCHAR(255) COLLATE NOCASE CHECK (length(操作) <= 255),
    对象 VARCHAR(255) COLLATE NOCASE CHECK (length(对象) <= 255),
    之前 VARCHAR(255) COLLATE NOCASE CHECK (length(之前) <= 255),
    之后 VARCHAR(255) COLLATE NOCASE CHECK (length(之后) <= 255)
);
CREATE INDEX 操作记录_时间 ON 操作记录 (时间);
