-- Factory rows of a new installation (read by the template database builder after schema.sql).
-- The default logo (logo.jpg) is stored into 配置文件.logo by the builder.

INSERT INTO 配置文件 (ID, 店名, 全局单号格式, 备注, 客户, 电话, 折扣, 付款方式的选中, 保存销售记录,
                      显示打印完毕, 提示再次打印, 打印单价, 纸张边距, 打印偏差, 用户登录, 直接登录,
                      logo偏差, 是否打印logo, logo)
VALUES (1, 'Korvane', '2',
        '1.所购商品7日内凭购物小票调换' || char(13, 10) || '2.所调换商品不能影响二次销售' ||
        char(13, 10) || '3.联系电话：020-80001234',
        '假', '假', '假', '真', '真', '假', '假', '真', '0', '0', 'admin', '0', 0, '假', NULL);

-- admin starts with the empty password: the MD5 digest of "".
INSERT INTO 用户登录 (ID, 用户名, 权限, 密码)
VALUES (11, 'admin', '管理员', 'd41d8cd98f00b204e9800998ecf8427e');

INSERT INTO 付款方式 (ID, 方式) VALUES (1, '现金');
INSERT INTO 付款方式 (ID, 方式) VALUES (3, '微信');
INSERT INTO 付款方式 (ID, 方式) VALUES (9, 'QQ红包');
INSERT INTO 付款方式 (ID, 方式) VALUES (10, '支付宝');
INSERT INTO 付款方式 (ID, 方式) VALUES (12, '银行卡');
INSERT INTO 付款方式 (ID, 方式) VALUES (13, '财付通');

INSERT INTO 商品名称 (ID, 名称, 单价) VALUES (23, 'dyj-打印机', '80.00');
INSERT INTO 商品名称 (ID, 名称, 单价) VALUES (24, 'xsq-显示器', '300.00');
INSERT INTO 商品名称 (ID, 名称, 单价) VALUES (25, 'mkf-麦克风', '10.00');
INSERT INTO 商品名称 (ID, 名称, 单价) VALUES (26, 'dyx-电源线', '6.00');

INSERT INTO 客户资料 (ID, 姓名, 电话) VALUES (1, '张三', '13800000001');
INSERT INTO 客户资料 (ID, 姓名, 电话) VALUES (2, '李四', '13900000002');
INSERT INTO 客户资料 (ID, 姓名, 电话) VALUES (4, '369', '456');

-- 2016-08-18 20:55:36 as a Jet day number (20:55:36 is 75336 seconds into the day).
INSERT INTO 销售记录 (ID, 销售票号, 销售时间, 数量, 金额, 收银员, 备注)
VALUES (401, '1608180000001', 42600 + 75336.0 / 86400, '1', '10.00', 'admin',
        '1.所购商品7日内凭购物小票调换' || char(13, 10) || '2.所调换商品不能影响二次销售 ');

INSERT INTO 销售详情 (ID, 关联, 名称, 数量, 单价, 金额, 折后, 备注)
VALUES (480, 401, '麦克风', '1', '10.00', '10.00', '10.00',
        ' 1.所购商品7日内凭购物小票调换' || char(13, 10) || '2.所调换商品不能影响二次销售');
