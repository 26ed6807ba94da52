#include "forms/components/tab_control.h"

#include "forms/component_font.h"
#include "forms/form_window.h"

#include <QFrame>
#include <QTabBar>

namespace tillora {

QWidget* TabControl::makeWidget(QWidget* parent) {
    auto* area = new QWidget(parent);
    area->setFocusPolicy(Qt::NoFocus);
    bar_ = new QTabBar(area);
    bar_->setObjectName(QStringLiteral("tabBar"));
    bar_->setFont(toQFont(block_.font, bar_->font()));
    bar_->setExpanding(false);
    bar_->setDrawBase(false);
    for (const TabPage& page : block_.pages) {
        const int index = bar_->addTab(page.title);
        bar_->setTabVisible(index, (page.flags & 1) != 0);
        bar_->setTabEnabled(index, (page.flags & 2) == 0);
    }
    const int tabHeight = block_.tabHeight > 0 ? block_.tabHeight : bar_->sizeHint().height();
    bar_->setGeometry(0, 0, place().width(), tabHeight);
    auto* frame = new QFrame(area);
    frame->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    frame->setGeometry(0, tabHeight - 1, place().width(),
                       std::max(0, place().height() - tabHeight + 1));
    frame->lower();
    if (block_.currentPage >= 0 && block_.currentPage < bar_->count()) {
        bar_->setCurrentIndex(block_.currentPage);
    }
    connect(bar_, &QTabBar::currentChanged, this, [this](int page) {
        block_.currentPage = page;
        if (window() != nullptr) {
            window()->showTabPage(this, page);
        }
        raise(event::kTabPageChanged, {Value::fromInt(page)});
    });
    return area;
}

int TabControl::currentPage() const {
    return bar_ != nullptr ? bar_->currentIndex() : block_.currentPage;
}

void TabControl::setCurrentPage(int page) {
    if (bar_ != nullptr) {
        bar_->setCurrentIndex(page);
    } else {
        block_.currentPage = page;
    }
}

QVariant TabControl::ownProperty(int index) const {
    return index == 7 ? QVariant(currentPage()) : QVariant();
}

bool TabControl::setOwnProperty(int index, const QVariant& value) {
    if (index != 7) {
        return false;
    }
    setCurrentPage(value.toInt());
    return true;
}

}  // namespace tillora
