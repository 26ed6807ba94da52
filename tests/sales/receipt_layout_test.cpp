// The receipt layout on the recording surface: what is drawn, where, and how the settings move it.
#include "sales/receipt_layout.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include "data/settings_record.h"
#include "print/recording_surface.h"

namespace tillora {
namespace {

using Kind = RecordedOperation::Kind;

Receipt twoLineReceipt() {
    Receipt r;
    r.number = QStringLiteral("1608180000002");
    r.timeText = QStringLiteral("2016-08-18  21:05:09");
    r.lines = {
        {QStringLiteral("1"), QStringLiteral("苹果"), QStringLiteral("2"), QStringLiteral("3.50"),
         QStringLiteral("7.00"), QStringLiteral("7.00")},
        {QStringLiteral("2"), QStringLiteral("mkf-麦克风"), QStringLiteral("1"),
         QStringLiteral("10.00"), QStringLiteral("10.00"), QStringLiteral("9.50")},
    };
    r.totalQuantity = QStringLiteral("3");
    r.totalAmount = QStringLiteral("17.00");
    r.discountedTotal = QStringLiteral("16.50");
    r.cashReceived = QStringLiteral("20.00");
    r.change = QStringLiteral("3.50");
    r.cashier = QStringLiteral("admin");
    r.paymentMethod = QStringLiteral("现金");
    r.remark = QStringLiteral("谢谢惠顾");
    return r;
}

ReceiptPrintSettings shipped() {
    ReceiptPrintSettings s;
    s.shopName = QStringLiteral("Korvane");
    return s;
}

QList<RecordedOperation> drawOn(RecordingSurface& surface, const Receipt& receipt,
                                const ReceiptPrintSettings& settings,
                                ReceiptLayout::Labels labels = ReceiptLayout::Labels::Paper,
                                const ReceiptLogoSource& logo = {},
                                ReceiptLayoutResult* result = nullptr) {
    const ReceiptLayoutResult r = ReceiptLayout::draw(surface, receipt, settings, labels, logo);
    if (result != nullptr) {
        *result = r;
    }
    return surface.operations();
}

QList<RecordedOperation> draw(const Receipt& receipt, const ReceiptPrintSettings& settings,
                              ReceiptLayout::Labels labels = ReceiptLayout::Labels::Paper) {
    RecordingSurface surface;
    return drawOn(surface, receipt, settings, labels);
}

const RecordedOperation* findText(const QList<RecordedOperation>& ops, const QString& text) {
    for (const RecordedOperation& op : ops) {
        if (op.kind == Kind::Text && op.text == text) {
            return &op;
        }
    }
    return nullptr;
}

QByteArray pngOf(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::black);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// The fixed metrics at 96 dpi: a CJK character 12 pixels (31.75 units) wide, others 6 pixels.
TEST(ReceiptLayoutTest, TwoLineReceiptDrawsEveryElementInOrderAtItsPlace) {
    const QList<RecordedOperation> ops = draw(twoLineReceipt(), shipped());
    struct Expected {
        Kind kind;
        QString text;
        QPoint at;
        QPoint to = {};
    };
    const auto t = [](const char* text, int x, int y) {
        return Expected{Kind::Text, QString::fromUtf8(text), {x, y}};
    };
    const auto line = [](int y, int x2) { return Expected{Kind::Line, {}, {0, y}, {x2, y}}; };
    // clang-format off
    const QList<Expected> expected{
        t("Korvane", 164, 30),  // 112 wide, centred over 440
        t("单号：", 0, 80),        t("1608180000002", 100, 80),
        t("时间：", 0, 120),       t("2016-08-18  21:05:09", 100, 120),
        line(155, 440),
        t("名称", 0, 180),         t("数量", 165, 180),  t("单价", 255, 180),  t("金额", 370, 180),
        t("苹果", 0, 220),         t("2", 165, 220),     t("3.50", 255, 220),  t("7.00", 370, 220),
        t("mkf-麦克风", 0, 260),   // 158.75 wide: just fits its column
                                   t("1", 165, 260),     t("10.00", 255, 260), t("10.00", 370, 260),
        line(300, 440),
        t("合计数量:", 0, 325),    t("3", 143, 325),     t("总额:", 250, 325),     t("17.00", 330, 325),
        t("折后总额:", 0, 365),    t("16.50", 143, 365),
        t("实收现金:", 0, 405),    t("20.00", 143, 405), t("找零:", 250, 405),     t("3.50", 330, 405),
        t("收银员:", 0, 445),      t("admin", 112, 445), t("付款方式:", 250, 445), t("现金", 393, 445),
        line(485, 440),
        t("提示:", 0, 510),        t("谢谢惠顾", 80, 510),
    };
    // clang-format on
    ASSERT_EQ(ops.size(), expected.size());
    for (qsizetype i = 0; i < ops.size(); ++i) {
        const RecordedOperation& op = ops.at(i);
        const Expected& e = expected.at(i);
        EXPECT_EQ(op.kind, e.kind) << "operation " << i;
        EXPECT_EQ(op.text, e.text) << "operation " << i;
        EXPECT_EQ(op.at, e.at) << "operation " << i << " " << e.text.toStdString();
        if (e.kind == Kind::Line) {
            EXPECT_EQ(op.to, e.to) << "operation " << i;
        }
    }
}

TEST(ReceiptLayoutTest, PrintOffsetMovesEveryXAndNothingElse) {
    const QList<RecordedOperation> base = draw(twoLineReceipt(), shipped());
    const std::pair<const char*, int> cases[] = {{"2", 20},  {"-2", -20}, {"1.5", 15}, {" 3 ", 30},
                                                 {"abc", 0}, {"", 0},     {"1e9", 0}};
    for (const auto& [text, dx] : cases) {
        ReceiptPrintSettings s = shipped();
        s.printOffset = ReceiptPrintSettings::tenthsOfMillimetre(QString::fromUtf8(text));
        const QList<RecordedOperation> moved = draw(twoLineReceipt(), s);
        ASSERT_EQ(moved.size(), base.size()) << text;
        for (qsizetype i = 0; i < base.size(); ++i) {
            RecordedOperation expected = base.at(i);
            expected.at.rx() += dx;
            if (expected.kind == Kind::Line) {
                expected.to.rx() += dx;
            }
            EXPECT_EQ(moved.at(i), expected) << "offset " << text << ", operation " << i;
        }
    }
}

TEST(ReceiptLayoutTest, UnitPriceSettingLeavesThePriceColumnOut) {
    SettingsRecord record;
    record.shopName = QStringLiteral("Korvane");
    record.printUnitPrice = QStringLiteral("假");
    const QList<RecordedOperation> ops = draw(twoLineReceipt(), ReceiptPrintSettings::from(record));
    EXPECT_EQ(findText(ops, QStringLiteral("单价")), nullptr);
    for (const RecordedOperation& op : ops) {
        EXPECT_NE(op.at.x(), ReceiptLayout::kPriceX) << op.text.toStdString();
    }
    // The header and one price per line are gone, nothing else.
    EXPECT_EQ(ops.size(), draw(twoLineReceipt(), shipped()).size() - 3);
}

TEST(ReceiptLayoutTest, RemarkLineBreaksAndOverlongLinesStartNewLines) {
    const auto remarkOps = [](const QString& remark) {
        Receipt r = twoLineReceipt();
        r.remark = remark;
        const QList<RecordedOperation> ops = draw(r, shipped());
        return ops.mid(ops.indexOf(*findText(ops, QStringLiteral("提示:"))) + 1);
    };
    const QList<RecordedOperation> three = remarkOps(QStringLiteral("a\r\nb\nc"));
    ASSERT_EQ(three.size(), 3);
    const QStringList letters{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    for (qsizetype i = 0; i < 3; ++i) {
        EXPECT_EQ(three.at(i).text, letters.at(i));
        EXPECT_EQ(three.at(i).at.x(), 80);  // after the label
        if (i > 0) {
            // One line further down: the text height (32) and two pixels.
            const int step = three.at(i).at.y() - three.at(i - 1).at.y();
            EXPECT_GT(step, 32);
            EXPECT_LT(step, 40);
        }
    }
    EXPECT_EQ(three.at(0).at.y(), 510);
    // Wider than 480 - 80: wrapped, and a number at the edge moves to the next line whole.
    const QList<RecordedOperation> wrapped =
        remarkOps(QStringLiteral("联系电话请拨打客服专线020-80001234"));
    ASSERT_EQ(wrapped.size(), 2);
    EXPECT_EQ(wrapped.at(0).text, QStringLiteral("联系电话请拨打客服专线"));
    EXPECT_EQ(wrapped.at(1).text, QStringLiteral("020-80001234"));
}

TEST(ReceiptLayoutTest, LongNamesWrapInsideTheirColumnAndPushLaterRowsDown) {
    Receipt r = twoLineReceipt();
    r.lines[0].name = QStringLiteral("特级东北五常稻花香大米十公斤装");  // 15 characters
    // Both measuring models: the fixed one and the real font at printer resolution.
    for (const auto metrics : {RecordingSurface::Metrics::Fixed, RecordingSurface::Metrics::Font}) {
        RecordingSurface surface(metrics, 600);
        const QList<RecordedOperation> ops = drawOn(surface, r, shipped());
        QString joined;
        int rows = 0;
        for (const RecordedOperation& op : ops) {
            if (op.kind == Kind::Text && op.at.x() == 0 && op.at.y() >= 220 && op.at.y() < 400 &&
                !op.text.contains(u':')) {
                if (op.text == r.lines[1].name) {
                    break;
                }
                joined += op.text;
                ++rows;
                EXPECT_EQ(op.at.y(), 220 + (rows - 1) * 40);
                EXPECT_LE(surface.textWidth(op.text), 160) << op.text.toStdString();
            }
        }
        EXPECT_EQ(joined, r.lines[0].name);
        ASSERT_GE(rows, 3);
        // The quantity stays on the name's first line; the next item starts below the last piece.
        EXPECT_EQ(findText(ops, QStringLiteral("2"))->at, QPoint(165, 220));
        EXPECT_EQ(findText(ops, QStringLiteral("mkf-麦克风"))->at.y(), 220 + rows * 40);
    }
}

TEST(ReceiptLayoutTest, PaperMarginMovesTheRightEndOfTheReceipt) {
    struct Case {
        const char* margin;
        int end;      // of the separators
        int amountX;  // the 金额 column
        int paper = 480;
    } cases[] = {{"0", 440, 370},      {"2", 420, 355},      {"-4", 480, 370},     {"10", 340, 293},
                 {"0", 660, 640, 720}, {"2", 640, 620, 720}, {"-4", 700, 640, 720}};
    for (const auto& [margin, end, amountX, paper] : cases) {
        ReceiptPrintSettings s = shipped();
        s.paperMargin = ReceiptPrintSettings::tenthsOfMillimetre(QString::fromUtf8(margin));
        s.paperWidth = paper;
        const QList<RecordedOperation> ops = draw(twoLineReceipt(), s);
        int separators = 0;
        for (const RecordedOperation& op : ops) {
            if (op.kind == Kind::Line) {
                EXPECT_EQ(op.at.x(), 0);
                EXPECT_EQ(op.to.x(), end) << "margin " << margin;
                ++separators;
            }
        }
        EXPECT_EQ(separators, 3);
        // Columns keep their places on wider paper and close up in proportion on narrower; on
        // 80 mm paper the amounts end at the text edge, or at the paper's edge before it.
        // (On the narrowest paper the time takes two lines, and the header moves down with it.)
        const RecordedOperation* amount = findText(ops, QStringLiteral("金额"));
        EXPECT_EQ(amount->at.x(), amountX) << margin;
        EXPECT_EQ(amount->at.y(), findText(ops, QStringLiteral("名称"))->at.y()) << margin;
    }
}

TEST(ReceiptLayoutTest, PreviewLabelsHaveFullWidthColonsAndTheSameGeometryAsPaper) {
    EXPECT_EQ(ReceiptLayout::totalLabels(ReceiptLayout::Labels::Preview),
              (QStringList{QStringLiteral("合计数量："), QStringLiteral("总额："),
                           QStringLiteral("折后总额："), QStringLiteral("实收现金："),
                           QStringLiteral("找零："), QStringLiteral("收银员："),
                           QStringLiteral("付款方式："), QStringLiteral("提示：")}));
    // Paper at 600 dpi against the preview panel at 96 dpi, both with the real font. Each device
    // wraps by its own measure (hinting makes screen text a little wider), so no name here sits
    // right at its column's edge.
    Receipt r = twoLineReceipt();
    r.lines[1].name = QStringLiteral("麦克风");
    r.lines[0].name = QStringLiteral("特级东北五常稻花香大米");
    RecordingSurface paper(RecordingSurface::Metrics::Font, 600);
    RecordingSurface panel(RecordingSurface::Metrics::Font, 96);
    const QList<RecordedOperation> p = drawOn(paper, r, shipped());
    const QList<RecordedOperation> v = drawOn(panel, r, shipped(), ReceiptLayout::Labels::Preview);
    ASSERT_EQ(p.size(), v.size()) << paper.texts().join(u'|').toStdString() << "\n"
                                  << panel.texts().join(u'|').toStdString();
    const QStringList paperLabels = ReceiptLayout::totalLabels(ReceiptLayout::Labels::Paper);
    const QStringList previewLabels = ReceiptLayout::totalLabels(ReceiptLayout::Labels::Preview);
    for (qsizetype i = 0; i < p.size(); ++i) {
        EXPECT_EQ(p.at(i).kind, v.at(i).kind) << i;
        const qsizetype label = paperLabels.indexOf(p.at(i).text);
        EXPECT_EQ(label >= 0 ? previewLabels.at(label) : p.at(i).text, v.at(i).text) << i;
        // Values written straight after a label start where the label ends, which differs with
        // the colon; the shop name is centred by its measured width, which differs by a unit or
        // two with the device's hinting; everything else is placed by the layout and must match.
        const bool afterLabel =
            i > 0 && paperLabels.contains(p.at(i - 1).text) && p.at(i - 1).at.y() == p.at(i).at.y();
        EXPECT_EQ(p.at(i).at.y(), v.at(i).at.y()) << i;
        if (p.at(i).text == QStringLiteral("Korvane")) {
            EXPECT_NEAR(p.at(i).at.x(), v.at(i).at.x(), 3);
        } else if (!afterLabel) {
            EXPECT_EQ(p.at(i).at, v.at(i).at) << i << " " << p.at(i).text.toStdString();
            EXPECT_EQ(p.at(i).to, v.at(i).to) << i;
        }
    }
}

// Long values everywhere: big prices and amounts, cash over a thousand, a long cashier and
// payment method.
Receipt longReceipt() {
    Receipt r = twoLineReceipt();
    r.lines = {
        {QStringLiteral("1"), QStringLiteral("特级东北五常稻花香大米十公斤装"),
         QStringLiteral("12"), QStringLiteral("12345.67"), QStringLiteral("148148.04"),
         QStringLiteral("148148.04")},
        {QStringLiteral("2"), QStringLiteral("mkf-麦克风"), QStringLiteral("1"),
         QStringLiteral("10000.00"), QStringLiteral("10000.00"), QStringLiteral("10000.00")},
    };
    r.totalQuantity = QStringLiteral("13");
    r.totalAmount = QStringLiteral("158148.04");
    r.discountedTotal = QStringLiteral("158148.04");
    r.cashReceived = QStringLiteral("160000.00");
    r.change = QStringLiteral("1851.96");
    r.cashier = QStringLiteral("一位名字非常非常长的收银员");
    r.paymentMethod = QStringLiteral("银行卡支付（储蓄卡）");
    r.timeText = QStringLiteral("2016-08-18  21:05:09");
    return r;
}

// Every text of the receipt lies inside [offset, offset + edge] and no two texts' boxes meet.
void expectApartAndInside(RecordingSurface& surface, const QList<RecordedOperation>& ops, int edge,
                          int offset, const std::string& where) {
    QList<std::pair<QRect, QString>> boxes;
    for (const RecordedOperation& op : ops) {
        if (op.kind != Kind::Text) {
            continue;
        }
        const QRect box(op.at, QSize(surface.textWidth(op.text), surface.characterHeight()));
        EXPECT_GE(box.left(), offset) << where << " " << op.text.toStdString();
        EXPECT_LE(box.left() + box.width(), offset + edge) << where << " " << op.text.toStdString();
        for (const auto& [other, text] : boxes) {
            EXPECT_FALSE(box.intersects(other))
                << where << ": " << op.text.toStdString() << " at " << box.x() << "," << box.y()
                << " overlaps " << text.toStdString() << " at " << other.x() << "," << other.y();
        }
        boxes.append({box, op.text});
    }
}

// Whether `value` was drawn whole: as one text, or as consecutive texts (the lines it wrapped
// into) that together make it.
bool drawnWhole(const QList<RecordedOperation>& ops, const QString& value) {
    for (qsizetype i = 0; i < ops.size(); ++i) {
        QString joined;
        for (qsizetype j = i;
             j < ops.size() && ops.at(j).kind == Kind::Text && !ops.at(j).text.isEmpty() &&
             value.mid(joined.size()).startsWith(ops.at(j).text);
             ++j) {
            joined += ops.at(j).text;
            if (joined == value) {
                return true;
            }
        }
    }
    return false;
}

TEST(ReceiptLayoutTest, LongValuesAreNeverCutNorOverlapAtAnyPaperMargin) {
    const Receipt r = longReceipt();
    const QStringList values{r.lines[0].name,
                             r.lines[0].unitPrice,
                             r.lines[0].lineTotal,
                             r.lines[1].name,
                             r.lines[1].unitPrice,
                             r.totalAmount,
                             r.cashReceived,
                             r.change,
                             r.cashier,
                             r.paymentMethod,
                             r.timeText,
                             r.number};
    struct Device {
        RecordingSurface::Metrics metrics;
        double dpi;
        const char* name;
    };
    const Device devices[] = {{RecordingSurface::Metrics::Fixed, 96, "fixed 96"},
                              {RecordingSurface::Metrics::Font, 96, "panel"},
                              {RecordingSurface::Metrics::Font, 600, "printer"}};
    for (const int margin : {0, 5, 10}) {
        for (const Device& device : devices) {
            for (const auto labels :
                 {ReceiptLayout::Labels::Paper, ReceiptLayout::Labels::Preview}) {
                ReceiptPrintSettings s = shipped();
                s.paperMargin = margin * 10;
                s.printOffset = 20;
                RecordingSurface surface(device.metrics, device.dpi);
                const QList<RecordedOperation> ops = drawOn(surface, r, s, labels);
                const std::string where =
                    "margin " + std::to_string(margin) + " " + device.name +
                    (labels == ReceiptLayout::Labels::Paper ? " paper" : " preview");
                expectApartAndInside(surface, ops, ReceiptLayout::kTextWidth - margin * 10, 20,
                                     where);
                for (const QString& value : values) {
                    EXPECT_TRUE(drawnWhole(ops, value)) << where << " " << value.toStdString();
                }
                // The labels are all there, each whole.
                for (const QString& label : ReceiptLayout::totalLabels(labels)) {
                    EXPECT_NE(findText(ops, label), nullptr) << where << label.toStdString();
                }
            }
        }
    }
}

// Cash of a hundred or more in the preview (full-width colons) used to run into "找零：".
TEST(ReceiptLayoutTest, ALongPairPushesTheNextPairRightOrDown) {
    Receipt r = twoLineReceipt();
    r.cashReceived = QStringLiteral("100.00");
    RecordingSurface surface;
    QList<RecordedOperation> ops = drawOn(surface, r, shipped(), ReceiptLayout::Labels::Preview);
    const RecordedOperation* cash = findText(ops, QStringLiteral("100.00"));
    const RecordedOperation* change = findText(ops, QStringLiteral("找零："));
    ASSERT_NE(cash, nullptr);
    ASSERT_NE(change, nullptr);
    EXPECT_EQ(change->at.y(), cash->at.y());
    EXPECT_GE(change->at.x(), cash->at.x() + surface.textWidth(QStringLiteral("100.00")) + 5);

    // No room left on the line: the change goes down one line and the rows after it follow.
    r.cashReceived = QStringLiteral("1234567890123.00");
    surface.clearOperations();
    ops = drawOn(surface, r, shipped(), ReceiptLayout::Labels::Preview);
    cash = findText(ops, r.cashReceived);
    change = findText(ops, QStringLiteral("找零："));
    EXPECT_EQ(change->at.y(), cash->at.y() + ReceiptLayout::kRowPitch);
    EXPECT_EQ(findText(ops, QStringLiteral("收银员："))->at.y(),
              cash->at.y() + 2 * ReceiptLayout::kRowPitch);
    expectApartAndInside(surface, ops, ReceiptLayout::kTextWidth, 0, "long cash");
}

TEST(ReceiptLayoutTest, LogoIsReadOnlyWhenPrintedAndAnUnreadableOneIsReported) {
    int reads = 0;
    ReceiptLogo logo{pngOf(220, 110), 0};
    const ReceiptLogoSource source = [&]() -> std::optional<ReceiptLogo> {
        ++reads;
        return logo;
    };

    // Off: never read, nothing drawn.
    {
        RecordingSurface surface;
        ReceiptLayoutResult result;
        const auto ops = drawOn(surface, twoLineReceipt(), shipped(), ReceiptLayout::Labels::Paper,
                                source, &result);
        EXPECT_EQ(reads, 0);
        EXPECT_FALSE(result.logoFailed);
        for (const RecordedOperation& op : ops) {
            EXPECT_NE(op.kind, Kind::Picture);
        }
    }

    ReceiptPrintSettings on = shipped();
    on.printLogo = true;
    const std::pair<int, int> offsets[] = {{0, 50}, {3, 80}, {-5, 0}};
    for (const auto& [offset, x] : offsets) {
        logo.offset = offset;
        RecordingSurface surface;
        ReceiptLayoutResult result;
        const auto ops =
            drawOn(surface, twoLineReceipt(), on, ReceiptLayout::Labels::Paper, source, &result);
        ASSERT_FALSE(ops.isEmpty());
        const RecordedOperation& picture = ops.last();
        ASSERT_EQ(picture.kind, Kind::Picture);
        EXPECT_EQ(picture.at.x(), x) << "offset " << offset;
        EXPECT_EQ(picture.size, QSize(340, 170));  // to scale
        EXPECT_GT(picture.at.y(), findText(ops, QStringLiteral("谢谢惠顾"))->at.y() + 31);
        EXPECT_EQ(result.bottom, picture.at.y() + 170);
        EXPECT_FALSE(result.logoFailed);
    }
    EXPECT_EQ(reads, 3);

    // Unreadable bytes, or no row at all: reported, the rest drawn as without a logo.
    const QList<RecordedOperation> without = draw(twoLineReceipt(), shipped());
    const ReceiptLogoSource broken[] = {
        [] {
            return std::optional<ReceiptLogo>(ReceiptLogo{QByteArray("not a picture"), 0});
        },
        [] { return std::optional<ReceiptLogo>(); },
        {},
    };
    for (const ReceiptLogoSource& bad : broken) {
        RecordingSurface surface;
        ReceiptLayoutResult result;
        EXPECT_EQ(drawOn(surface, twoLineReceipt(), on, ReceiptLayout::Labels::Paper, bad, &result),
                  without);
        EXPECT_TRUE(result.logoFailed);
    }
}

}  // namespace
}  // namespace tillora
