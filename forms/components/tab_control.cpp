#include "forms/components/tab_control.h"

#include "forms/component_font.h"
#include "forms/form_window.h"

#include <QFrame>
#include <QKeySequence>
#include <QShortcut>
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
    frame_ = new QFrame(area);
    frame_->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    frame_->setGeometry(0, tabHeight - 1, place().width(),
                        std::max(0, place().height() - tabHeight + 1));
    frame_->lower();
    if (block_.currentPage >= 0 && block_.currentPage < bar_->count()) {
        bar_->setCurrentIndex(block_.currentPage);
    }
    applyPageColour(bar_->currentIndex());
    connect(bar_, &QTabBar::currentChanged, this, [this](int page) {
        block_.currentPage = page;
        applyPageColour(page);
        if (window() != nullptr) {
            window()->showTabPage(this, page);
        }
        raise(event::kTabPageChanged, {Value::fromInt(page)});
    });
    // Ctrl+Tab / Ctrl+PgDn and Ctrl+Shift+Tab / Ctrl+PgUp turn the pages from anywhere in the
    // window, as in every tabbed dialog.
    const struct {
        QKeyCombination keys;
        int step;
    } turns[] = {{Qt::CTRL | Qt::Key_Tab, 1},
                 {Qt::CTRL | Qt::Key_PageDown, 1},
                 {Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, -1},
                 {Qt::CTRL | Qt::Key_PageUp, -1}};
    for (const auto& turn : turns) {
        auto* shortcut = new QShortcut(QKeySequence(turn.keys), area);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this,
                [this, step = turn.step] { turnPage(step); });
    }
    return area;
}

void TabControl::turnPage(int step) {
    if (bar_ == nullptr) {
        return;
    }
    const int count = bar_->count();
    const int page = bar_->currentIndex();
    for (int i = 1; i < count; ++i) {
        const int next = ((page + i * step) % count + count) % count;
        if (bar_->isTabVisible(next) && bar_->isTabEnabled(next)) {
            bar_->setCurrentIndex(next);
            return;
        }
    }
}

// A page with a colour of its own fills the area under the tabs with it.
void TabControl::applyPageColour(int page) {
    if (frame_ == nullptr) {
        return;
    }
    const ColourRef colour = page >= 0 && page < static_cast<int>(block_.pages.size())
                                 ? block_.pages.at(page).backColour
                                 : kDefaultColour;
    QPalette pal = frame_->parentWidget()->palette();
    if (colour != kDefaultColour) {
        pal.setColor(QPalette::Window, toQColor(colour));
    }
    frame_->setPalette(pal);
    frame_->setAutoFillBackground(colour != kDefaultColour);
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
