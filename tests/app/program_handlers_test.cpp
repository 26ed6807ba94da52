#include <gtest/gtest.h>

#include "app/program.h"
#include "data/odbcdb.h"
#include "forms/form_manager.h"
#include "forms/handler_registry.h"
#include "records/records_module.h"
#include "sales/sales_module.h"
#include "settings/settings_module.h"
#include "tests/support/program_templates.h"

namespace tillora {
namespace {

// Every handler that a window of the program's own template set names must be provided by the
// program's window logic; otherwise that window would fail to open in the field.
TEST(ProgramHandlers, EveryHandlerTheTemplatesNameIsProvided) {
    TemplateSet templates;
    ASSERT_TRUE(test::readProgramTemplates(templates));
    ODBCDB db;
    SalesModule sales(db);
    RecordsModule records(sales, QString());
    SettingsModule settings(db);
    HandlerRegistry handlers;
    registerWindowLogic(handlers, sales, records, settings);
    FormManager forms(templates, handlers);
    EXPECT_EQ(forms.missingHandlers(), QStringList());
}

}  // namespace
}  // namespace tillora
