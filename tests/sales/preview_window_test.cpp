// The receipt preview window: its template, the panel cleared and drawn on every opening.
#include "sales/preview_window.h"

#include <QCoreApplication>
#include <QImage>
#include <QLabel>

#include <gtest/gtest.h>

#include "data/settings_record.h"
#include "forms/component.h"
#include "forms/component_factory.h"
#include "forms/components/list_view.h"
#include "forms/window_frame_metrics.h"
#include "print/draw_panel.h"
#include "print/print_components.h"
#include "sales/receipt_printer.h"
#include "sales/sales_entry_window.h"
#include "tests/sales/sales_fixture.h"

namespace tillora::test {
namespace {

int inkPixels(const QImage& image, const QRect& area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            n += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
        }
    }
    return n;
}

class PreviewTest : public ReceiptPrintingFixture {
  protected:
    void SetUp() override {
        ReceiptPrintingFixture::SetUp();
        w = open(FormId::SalesEntry);
        ASSERT_NE(w, nullptr);
        messages.clear();
    }
    void add(const QString& name, const QString& price) {
        w->setText(QStringLiteral("编辑框_名称"), name);
        w->setText(QStringLiteral("编辑框_单价"), price);
        w->setText(QStringLiteral("编辑框_数量"), QStringLiteral("1"));
        w->component(QStringLiteral("按钮_添加商品"))->raise(event::kClicked);
    }
    void preview() { w->component(QStringLiteral("按钮_打印预览"))->raise(event::kClicked); }
    FormWindow* previewWindow() const {
        return manager->window(static_cast<qint32>(FormId::Preview));
    }

    FormWindow* w = nullptr;
};

TEST_F(PreviewTest, EmptyListShowsTheMessageAndNoWindow) {
    preview();
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("没有可以预览的数据！")});
    EXPECT_EQ(previewWindow(), nullptr);
}

TEST_F(PreviewTest, WindowAndPanelAreAsStored) {
    add(QStringLiteral("茶叶"), QStringLiteral("19.99"));
    preview();
    FormWindow* p = previewWindow();
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(p->windowTitle(), QStringLiteral("Tillora"));
    // A narrow tool-window title bar (border style 4) around the stored outer size.
    EXPECT_EQ(p->size(), WindowFrameMetrics(4, true).clientSize(QSize(246, 713)));
    DrawPanel* panel = PreviewWindow::panel(p);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->size(), QSize(192, 610));
    EXPECT_EQ(panel->mapTo(p->clientArea(), QPoint(0, 0)), QPoint(7 + 16, 6 + 16));
    EXPECT_EQ(panel->unit(), 1);
    EXPECT_EQ(panel->penType(), 3);
    EXPECT_EQ(panel->autoRedraw(), 1);
    EXPECT_EQ(panel->backColour(), 0xFFFFFFu);
    auto* hint = p->findChild<QLabel*>(QStringLiteral("标签1"));
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(hint->text(), QStringLiteral("打印小票，返回主界面，点击打印即可"));
    // The parked components stand outside the window.
    for (const char* parked : {"编辑框1", "按钮1"}) {
        Component* c = p->component(QString::fromUtf8(parked));
        ASSERT_NE(c, nullptr) << parked;
        EXPECT_GT(c->widget()->x(), 246) << parked;
    }
}

TEST_F(PreviewTest, EveryOpeningClearsAndDrawsTheCurrentReceipt) {
    add(QStringLiteral("茶叶"), QStringLiteral("19.99"));
    preview();
    DrawPanel* panel = PreviewWindow::panel(previewWindow());
    ASSERT_NE(panel, nullptr);
    const QImage first = panel->canvas().copy();
    if (qEnvironmentVariableIsSet("TILLORA_KEEP_PREVIEW")) {
        previewWindow()->grab().save(qEnvironmentVariable("TILLORA_KEEP_PREVIEW"));
    }
    // Ink where the receipt's rows are (0.1 mm at 96 dpi: y 80 is pixel 30), none off its right.
    EXPECT_GT(inkPixels(first, QRect(0, 28, 60, 14)), 0);              // 单号 row
    EXPECT_EQ(inkPixels(first, QRect(185, 0, 7, first.height())), 0);  // beyond 480 units

    preview();  // the same receipt again: the same picture, not two drawn over each other
    EXPECT_EQ(PreviewWindow::panel(previewWindow()), panel);
    EXPECT_EQ(panel->canvas(), first);

    // A changed receipt replaces the old drawing; the window's receipt itself is untouched.
    add(QStringLiteral("dyx-电源线"), QStringLiteral("6"));
    const Receipt before = SalesEntryWindow::of(w)->currentReceipt();
    preview();
    EXPECT_NE(panel->canvas(), first);
    EXPECT_EQ(SalesEntryWindow::of(w)->currentReceipt(), before);
    EXPECT_EQ(dynamic_cast<ListView*>(w->component(QStringLiteral("超级列表框1")))->rowCount(), 2);
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
}

TEST_F(PreviewTest, LongReceiptIsCutAtThePanelsBottomAndTheLogoFollowsTheSetting) {
    for (int i = 0; i < 40; ++i) {
        add(QStringLiteral("商品%1").arg(i), QStringLiteral("1"));
    }
    preview();
    DrawPanel* panel = PreviewWindow::panel(previewWindow());
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->canvas().height(), 610);
    EXPECT_GT(inkPixels(panel->canvas(), QRect(0, 590, 192, 20)), 0);  // drawn to the very edge

    // An unreadable logo is reported; the receipt is still drawn.
    ASSERT_TRUE(writeSettingsLogo(db, QByteArray("no picture")));
    ReceiptPrintSettings s = ReceiptPrintSettings::from(SalesEntryWindow::of(w)->settings());
    s.printLogo = true;
    ASSERT_TRUE(PreviewWindow::show(*manager, SalesEntryWindow::of(w)->currentReceipt(), s,
                                    ReceiptPrinter::logoFrom(db)));
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("logo数据打开失败！")});
    EXPECT_GT(inkPixels(panel->canvas(), QRect(0, 28, 60, 14)), 0);
}

}  // namespace
}  // namespace tillora::test
