#include "tests/support/program_templates.h"

#include "forms/handler_registry.h"
#include "formset/embedded_template_set.h"
#include "templates/template_set_reader.h"

namespace tillora::test {

::testing::AssertionResult readProgramTemplates(TemplateSet& set) {
    QString error;
    if (!readTemplateSet(embeddedTemplateSet(), embeddedHandlerNames(), set, &error)) {
        return ::testing::AssertionFailure() << error.toStdString();
    }
    return ::testing::AssertionSuccess();
}

void addDoNothingHandlers(HandlerRegistry& handlers) {
    for (const QString& name : embeddedHandlerNames()) {
        handlers.add(name, [](const EventArgs&) { return Value(); });
    }
}

}  // namespace tillora::test
