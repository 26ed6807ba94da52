#pragma once

#include <QPoint>
#include <QSize>

namespace tillora {

// Templates store outer window sizes; Qt sizes the client area. One fixed set of frame metrics
// turns one into the other so that every window gets the same client size on every platform and
// style:
//   borders 3 px left, right and bottom;
//   title bar 26 px (normal) or 20 px (narrow tool-window title, borders 3 and 4), top border
//   included: client = outer - (6, 29), or - (6, 23) with the narrow title;
//   a window with a border but no title bar has the 3 px border on top as well;
//   border style 0 has no frame at all (client = outer).
// The sunken client edge of styles 5 and 6 is drawn inside the client area and is not subtracted.
class WindowFrameMetrics {
  public:
    static constexpr int kBorder = 3;
    static constexpr int kTitleBar = 26;
    static constexpr int kNarrowTitleBar = 20;

    WindowFrameMetrics(int borderStyle, bool hasTitleBar);

    int left() const { return left_; }
    int top() const { return top_; }
    int right() const { return right_; }
    int bottom() const { return bottom_; }

    QSize clientSize(QSize outer) const;
    QSize outerSize(QSize client) const;
    // Where the client area's top-left corner lies when the outer frame starts at `outerTopLeft`.
    QPoint clientOrigin(QPoint outerTopLeft) const;

    static bool isNarrowTitle(int borderStyle) { return borderStyle == 3 || borderStyle == 4; }
    static bool isResizable(int borderStyle) {
        return borderStyle == 1 || borderStyle == 3 || borderStyle == 5;
    }

  private:
    int left_ = 0;
    int top_ = 0;
    int right_ = 0;
    int bottom_ = 0;
};

}  // namespace tillora
