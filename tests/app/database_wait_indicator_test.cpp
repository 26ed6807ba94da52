// While a statement waits the cashier sees why: a busy cursor, then on a server a window whose
// 取消 (or Esc) abandons the statement.
#include "app/database_wait_indicator.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

namespace tillora {
namespace {

TEST(DatabaseWaitIndicator, ServerWaitOffersCancelByEscape) {
    DatabaseWaitIndicator indicator;
    indicator.begin(DatabaseWaitKind::Server);
    EXPECT_TRUE(indicator.progress(DatabaseWaitKind::Server, 200));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(indicator.progress(DatabaseWaitKind::Server, 1200));
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    EXPECT_EQ(indicator.noAnswerWindow(), nullptr);

    EXPECT_TRUE(indicator.progress(DatabaseWaitKind::Server, 5100));
    QDialog* window = indicator.noAnswerWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->findChild<QLabel*>()->text(),
              QStringLiteral("数据库服务器没有响应，正在等待……"));
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_FALSE(indicator.progress(DatabaseWaitKind::Server, 5200));

    indicator.end(DatabaseWaitKind::Server);
    EXPECT_EQ(indicator.noAnswerWindow(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // The next wait starts afresh.
    indicator.begin(DatabaseWaitKind::Server);
    EXPECT_TRUE(indicator.progress(DatabaseWaitKind::Server, 100));
    indicator.end(DatabaseWaitKind::Server);
}

TEST(DatabaseWaitIndicator, AFileWaitNeverOffersCancel) {
    DatabaseWaitIndicator indicator;
    indicator.begin(DatabaseWaitKind::File);
    EXPECT_TRUE(indicator.progress(DatabaseWaitKind::File, 8000));
    EXPECT_EQ(indicator.noAnswerWindow(), nullptr);
    indicator.end(DatabaseWaitKind::File);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace tillora
