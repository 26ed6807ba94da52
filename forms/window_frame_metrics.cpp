#include "forms/window_frame_metrics.h"

#include <algorithm>

namespace tillora {

WindowFrameMetrics::WindowFrameMetrics(int borderStyle, bool hasTitleBar) {
    if (borderStyle == 0) {
        return;
    }
    left_ = right_ = bottom_ = kBorder;
    if (!hasTitleBar) {
        top_ = kBorder;
    } else {
        // The title bar's height includes the top border.
        top_ = isNarrowTitle(borderStyle) ? kNarrowTitleBar : kTitleBar;
    }
}

QSize WindowFrameMetrics::clientSize(QSize outer) const {
    // A template may be smaller than its own frame; Qt would refuse a negative size.
    return {std::max(0, outer.width() - left_ - right_),
            std::max(0, outer.height() - top_ - bottom_)};
}

QSize WindowFrameMetrics::outerSize(QSize client) const {
    return {client.width() + left_ + right_, client.height() + top_ + bottom_};
}

QPoint WindowFrameMetrics::clientOrigin(QPoint outerTopLeft) const {
    return outerTopLeft + QPoint(left_, top_);
}

}  // namespace tillora
