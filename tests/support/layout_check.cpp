#include "tests/support/layout_check.h"

#include "forms/component.h"
#include "forms/form_window.h"

#include <gtest/gtest.h>

#include <QWidget>

namespace tillora::test {

void expectLayout(FormWindow* window, std::span<const ExpectedComponent> expected,
                  const QString& tabs, int page) {
    const WindowTemplate& tpl = window->windowTemplate();
    Component* tabControl = nullptr;
    if (!tabs.isEmpty()) {
        tabControl = window->component(tabs);
        ASSERT_NE(tabControl, nullptr);
    }
    for (const ExpectedComponent& e : expected) {
        const QString name = QString::fromUtf8(e.name);
        SCOPED_TRACE(e.name);
        const ComponentRecord* record = tpl.componentByName(name);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(QRect(record->left, record->top, record->width, record->height), e.place);
        EXPECT_TRUE(record->visible());
        Component* component = window->component(name);
        ASSERT_NE(component, nullptr);
        QWidget* widget = component->widget();
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->geometry(), e.place);
        if (tabControl != nullptr) {
            EXPECT_EQ(record->container, tabControl->id());
            EXPECT_EQ(component->page(), page);
            EXPECT_EQ(widget->parentWidget(), tabControl->widget());
            EXPECT_EQ(widget->isVisible(), tabControl->currentPage() == page);
        } else {
            EXPECT_EQ(widget->parentWidget(), window->clientArea());
            EXPECT_TRUE(widget->isVisible());
        }
        if (e.caption != nullptr) {
            EXPECT_EQ(component->text(), QString::fromUtf8(e.caption));
        }
        if (e.fontPixels != 0) {
            EXPECT_EQ(widget->font().pixelSize(), e.fontPixels);
            EXPECT_EQ(widget->font().family(), QStringLiteral("宋体"));
        }
    }
}

}  // namespace tillora::test
