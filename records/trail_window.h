#pragma once

#include "forms/components/list_view.h"
#include "forms/window_logic.h"
#include "formset/operation_trail_handles.h"
#include "records/trail_listing.h"

namespace tillora {

class FormWindow;
class RecordsModule;

// The 操作记录 window, for administrators: the trail of a date range (today when it opens),
// optionally of one user and one kind of action, newest first. The list is read a piece at a
// time as it is scrolled, so a trail of any size opens at once in little memory.
// Keyboard: the first date has the focus when it opens, Enter shows, Esc closes.
class TrailWindow : public WindowLogic<TrailWindow> {
    Q_OBJECT

  public:
    // Rows read at a time, and again each time the list is scrolled to its end.
    static constexpr int kPiece = 200;

    TrailWindow(RecordsModule& module, FormWindow* window);

    void start();
    // Lists the trail as the boxes choose it; "查询失败！" when it can't be read.
    void show();
    // The next piece of the list, when the last one shown was not its end.
    void readMore();
    void exportTrail();
    void close();

    // Puts a filter into the boxes (a user or kind not offered is added); show() lists it.
    void setFilter(const TrailFilter& filter);
    const TrailFilter& filter() const { return filter_; }
    const ListView& list() const { return ui_.超级列表框_记录; }

  private:
    TrailFilter chosen() const;
    // Offers the kinds of the rows read that the combo box does not have yet.
    void offerActions(const QList<QStringList>& rows);

    RecordsModule& module_;
    OperationTrailHandles ui_;
    TrailFilter filter_;
    QStringList actions_;
    int afterId_ = 0;
    bool complete_ = true;
};

}  // namespace tillora
