#pragma once

#include <QRect>
#include <QString>

#include <span>

namespace tillora {
class FormWindow;
}  // namespace tillora

namespace tillora::test {

// A component as a window's layout has it.
struct ExpectedComponent {
    const char* name;
    QRect place;
    const char* caption;  // nullptr: not checked
    int fontPixels;       // 0: the default font
};

// Every component visible where the layout puts it, in the template and in the built window,
// with its caption and its size of 宋体. Without a tab control it lies in the window's client
// area and shows; on page `page` of the tab control `tabs` it lies in that control and shows
// only while its page is the current one.
void expectLayout(FormWindow* window, std::span<const ExpectedComponent> expected,
                  const QString& tabs = {}, int page = -1);

}  // namespace tillora::test
