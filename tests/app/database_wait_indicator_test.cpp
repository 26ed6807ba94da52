// While a statement waits the cashier sees why: a busy cursor, then on a server a window whose
// 取消 (or Esc) abandons the statement.
#include "app/database_wait_indicator.h"
#include "forms/component.h"
#include "tests/sales/sales_fixture.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>
#include <sqlite3.h>

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

// Counts the paints a widget gets.
class PaintCounter : public QObject {
  public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

class SaveUnderALock : public test::SalesFixture {};

// Another program reading the file holds a save back for seconds: meanwhile the window keeps
// painting and its clock keeps running, and the save then gives up with its message.
TEST_F(SaveUnderALock, TheClockRunsWhileTheSaveWaits) {
    DatabaseWaitIndicator indicator;
    const Clock::Override running([] { return QDateTime::currentDateTime(); });
    FormWindow* w = open(FormId::SalesEntry);
    ASSERT_NE(w, nullptr);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    w->setText(QStringLiteral("编辑框_名称"), QStringLiteral("茶叶"));
    w->setText(QStringLiteral("编辑框_单价"), QStringLiteral("10"));
    w->setText(QStringLiteral("编辑框_数量"), QStringLiteral("1"));
    w->component(QStringLiteral("按钮_添加商品"))->raise(event::kClicked);
    auto* clock = w->widgetAs<QLineEdit>(QStringLiteral("编辑框_时间"));
    ASSERT_NE(clock, nullptr);
    QStringList shown;
    QObject::connect(clock, &QLineEdit::textChanged, [&](const QString& t) { shown << t; });
    const PaintCounter counter(clock);

    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &reader, SQLITE_OPEN_READWRITE,
                              nullptr),
              SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM 销售记录", nullptr, nullptr, nullptr),
        SQLITE_OK);
    messages.clear();
    w->component(QStringLiteral("按钮_仅保存小票"))->raise(event::kClicked);
    sqlite3_exec(reader, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(reader);

    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("数据库正被占用，请稍后再试")});
    EXPECT_GE(shown.size(), 2) << shown.join(u'|').toStdString();
    EXPECT_GE(counter.paints, 2);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace tillora
