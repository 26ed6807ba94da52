#pragma once

#include "forms/components/block_component.h"

class QFrame;
class QTabBar;

namespace tillora {

// 7/2 tab control: a row of tabs over a framed page area. Its components belong to pages; places
// are relative to the control's top-left corner. Switching the page hides the other pages'
// components and gives the focus to the lowest tab order of the new page.
// Own properties: 15 current page. Events: 0 page changed (argument: the new page).
class TabControl : public BlockComponent<TabControlBlock> {
    Q_OBJECT

  public:
    using BlockComponent::BlockComponent;

    QWidget* childArea() const override { return widget(); }
    int pageCount() const override { return static_cast<int>(block_.pages.size()); }
    int currentPage() const override;
    void setCurrentPage(int page);
    int currentIndex() const override { return currentPage(); }
    void setCurrentIndex(int index) override { setCurrentPage(index); }
    QTabBar* tabBar() const { return bar_; }

  protected:
    QWidget* makeWidget(QWidget* parent) override;
    QVariant ownProperty(int index) const override;
    bool setOwnProperty(int index, const QVariant& value) override;
    void storeCurrent(TabControlBlock& out) const override { out.currentPage = currentPage(); }

  private:
    void applyPageColour(int page);
    // The next page the keys turn to (step 1) or the one before (-1), passing hidden and
    // disabled pages, round from the last to the first.
    void turnPage(int step);

    QTabBar* bar_ = nullptr;
    QFrame* frame_ = nullptr;
};

}  // namespace tillora
