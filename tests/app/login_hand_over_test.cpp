#include "app/login_check.h"
#include "app/sales_hand_over.h"
#include "platform/version.h"
#include "sales/sales_module.h"
#include "tests/app/login_fixture.h"

namespace tillora::test {
namespace {

// A login through the real templates: the sales entry window opens for the user, with the user
// as cashier in its title, and the login window is gone.
TEST_F(LoginFixture, SuccessfulLoginOpensTheSalesEntryWindowForTheUser) {
    addUser(QStringLiteral("小王"), QStringLiteral("普通用户"),
            passwordDigest(QStringLiteral("1")));
    SalesModule sales(db);
    sales.registerHandlers(handlers);
    LoginWindow::Services s = services();
    s.openMainWindow = salesEntryOpener();
    LoginWindow::registerHandlers(handlers, s);

    ASSERT_NE(openLogin(), nullptr);
    type(QStringLiteral("小王"), QStringLiteral("1"));
    clickLogin();
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u'|').toStdString();
    FormWindow* salesWindow = forms->window(static_cast<qint32>(FormId::SalesEntry));
    ASSERT_NE(salesWindow, nullptr) << forms->lastError().toStdString();
    EXPECT_TRUE(salesWindow->isVisible());
    EXPECT_EQ(salesWindow->windowTitle(),
              QStringLiteral("Tillorav" TILLORA_VERSION "          收银员：小王"));
    ASSERT_NE(CurrentUser::get(), nullptr);
    EXPECT_EQ(CurrentUser::get()->permission(), QStringLiteral("普通用户"));
    EXPECT_FALSE(loginWindowOpen());
    // The windows go before the module they use.
    forms->closeAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace
}  // namespace tillora::test
