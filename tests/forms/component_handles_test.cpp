// The generated component handles against the windows built from the same sources, and the named
// setters window logic uses instead of property numbers.
#include "forms/component_handles.h"
#include "forms/components/common_dialog.h"
#include "forms/form_manager.h"
#include "formset/customers_handles.h"
#include "formset/day_report_handles.h"
#include "formset/holder_handles.h"
#include "formset/login_handles.h"
#include "formset/logo_handles.h"
#include "formset/operation_trail_handles.h"
#include "formset/payment_methods_handles.h"
#include "formset/preview_handles.h"
#include "formset/printer_choice_handles.h"
#include "formset/receipt_number_format_handles.h"
#include "formset/sale_details_handles.h"
#include "formset/sales_entry_handles.h"
#include "formset/sales_query_handles.h"
#include "formset/sales_records_handles.h"
#include "formset/settings_handles.h"
#include "formset/user_add_handles.h"
#include "formset/user_change_handles.h"
#include "tests/forms/one_window_fixture.h"
#include "tests/support/program_templates.h"

#include <gtest/gtest.h>

#include <QLineEdit>

#include <set>

namespace tillora::test {
namespace {

class EmbeddedHandlesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(readProgramTemplates(set_));
        addDoNothingHandlers(handlers_);
        manager_ = std::make_unique<FormManager>(set_, handlers_);
    }

    // Every handle names a component of the built window, of the class its handle has, and every
    // component of the window has a handle.
    template <typename Handles>
    void expectMatches() {
        const auto id = static_cast<qint32>(Handles::kForm);
        checked_.insert(id);
        ASSERT_TRUE(manager_->open(id)) << manager_->lastError().toStdString();
        const FormWindow* window = manager_->window(id);
        SCOPED_TRACE(window->block().title.toStdString());
        const QStringList mismatches = Handles::mismatches(*window);
        EXPECT_TRUE(mismatches.isEmpty()) << mismatches.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(static_cast<std::size_t>(Handles::kComponentCount), window->components().size());
        if (mismatches.isEmpty()) {
            const Handles handles(*window);  // resolves without stopping the program
        }
        manager_->close(id);
    }

    TemplateSet set_;
    HandlerRegistry handlers_;
    std::unique_ptr<FormManager> manager_;
    std::set<qint32> checked_;
};

TEST_F(EmbeddedHandlesTest, EveryWindowsHandlesResolveToComponentsOfTheirKind) {
    expectMatches<CustomersHandles>();
    expectMatches<DayReportHandles>();
    expectMatches<HolderHandles>();
    expectMatches<LoginHandles>();
    expectMatches<LogoHandles>();
    expectMatches<OperationTrailHandles>();
    expectMatches<PaymentMethodsHandles>();
    expectMatches<PreviewHandles>();
    expectMatches<PrinterChoiceHandles>();
    expectMatches<ReceiptNumberFormatHandles>();
    expectMatches<SaleDetailsHandles>();
    expectMatches<SalesEntryHandles>();
    expectMatches<SalesQueryHandles>();
    expectMatches<SalesRecordsHandles>();
    expectMatches<SettingsHandles>();
    expectMatches<UserAddHandles>();
    expectMatches<UserChangeHandles>();
    // A window left out here would have handles nobody checked.
    std::set<qint32> all;
    for (const WindowTemplate& w : set_.windows) {
        all.insert(w.id);
    }
    EXPECT_EQ(checked_, all);
}

TEST_F(EmbeddedHandlesTest, HandlesAreTheWindowsOwnComponents) {
    const auto id = static_cast<qint32>(FormId::SalesEntry);
    ASSERT_TRUE(manager_->open(id));
    const FormWindow* window = manager_->window(id);
    const SalesEntryHandles ui(*window);
    EXPECT_EQ(&ui.编辑框_名称, window->component(QStringLiteral("编辑框_名称")));
    EXPECT_EQ(&ui.超级列表框1, window->component(QStringLiteral("超级列表框1")));
    EXPECT_EQ(ui.按钮_打印小票.name(), QStringLiteral("按钮_打印小票"));
}

class HandleCheckTest : public OneWindowTest {};

// A window whose components differ from what the handles expect is told apart name by name:
// a missing name, a check box where a radio box is expected (one class template apart), an edit
// box where a button is expected.
TEST_F(HandleCheckTest, MissingAndOtherKindsAreReported) {
    FormWindow* window =
        open({record(1, ComponentType::EditBox, QStringLiteral("编辑框1"), {10, 10, 80, 24}),
              record(2, ComponentType::CheckBox, QStringLiteral("选择框1"), {10, 40, 80, 24})});
    ASSERT_NE(window, nullptr);
    QStringList out;
    checkComponentHandle<EditBox>(*window, "编辑框1", out);
    checkComponentHandle<CheckBox>(*window, "选择框1", out);
    checkComponentHandle<Component>(*window, "编辑框1", out);
    EXPECT_TRUE(out.isEmpty());
    checkComponentHandle<Button>(*window, "编辑框1", out);
    checkComponentHandle<RadioBox>(*window, "选择框1", out);
    checkComponentHandle<EditBox>(*window, "编辑框2", out);
    EXPECT_EQ(out, QStringList({QStringLiteral("编辑框1"), QStringLiteral("选择框1"),
                                QStringLiteral("编辑框2")}));
}

// The named setters change what the numbered properties show, and the control with them.
TEST_F(HandleCheckTest, NamedSettersReachTheSameFieldsAsTheNumbers) {
    CommonDialogBlock block;
    block.filter = QStringLiteral("*.xls|*.xls");
    FormWindow* window = open(
        {record(1, ComponentType::EditBox, QStringLiteral("编辑框1"), {10, 10, 80, 24}),
         record(2, ComponentType::CommonDialog, QStringLiteral("通用对话框1"), {}, write(block))});
    ASSERT_NE(window, nullptr);
    auto& edit = componentHandle<EditBox>(*window, "编辑框1");
    auto* line = qobject_cast<QLineEdit*>(edit.widget());
    ASSERT_NE(line, nullptr);

    edit.setInputMode(InputMode::Password);
    EXPECT_EQ(edit.propertyByNumber(16).toInt(), static_cast<int>(InputMode::Password));
    EXPECT_EQ(line->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(line->isReadOnly());
    edit.setInputMode(InputMode::ReadOnly);
    EXPECT_TRUE(line->isReadOnly());
    EXPECT_EQ(line->echoMode(), QLineEdit::Normal);
    edit.setPropertyByNumber(16, static_cast<int>(InputMode::Normal));
    EXPECT_EQ(edit.inputMode(), InputMode::Normal);
    EXPECT_FALSE(line->isReadOnly());

    edit.setTabStop(false);
    EXPECT_FALSE(edit.propertyByNumber(Component::TabStop).toBool());
    EXPECT_EQ(line->focusPolicy(), Qt::ClickFocus);
    edit.setTabStop(true);
    EXPECT_EQ(line->focusPolicy(), Qt::StrongFocus);

    auto& dialog = componentHandle<CommonDialog>(*window, "通用对话框1");
    EXPECT_EQ(dialog.filter(), QStringLiteral("*.xls|*.xls"));
    dialog.setKind(1);
    dialog.setFilter(QStringLiteral("*.mdb|*.*"));
    dialog.setDefaultExtension(QStringLiteral(".mdb"));
    dialog.setFileName(QStringLiteral("查询结果"));
    EXPECT_EQ(dialog.propertyByNumber(8).toInt(), 1);
    EXPECT_EQ(dialog.propertyByNumber(11).toString(), QStringLiteral("*.mdb|*.*"));
    EXPECT_EQ(dialog.propertyByNumber(12).toString(), QStringLiteral(".mdb"));
    EXPECT_EQ(dialog.propertyByNumber(14).toString(), QStringLiteral("查询结果"));
}

}  // namespace
}  // namespace tillora::test
