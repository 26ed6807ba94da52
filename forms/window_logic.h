#pragma once

#include "forms/form_window.h"

#include <QObject>

namespace tillora {

// The logic of one kind of window: an object that lives as a direct child of its window (one of
// each kind per window) and goes with it. Self is the logic class, which declares Q_OBJECT.
template <class Self>
class WindowLogic : public QObject {
  public:
    // The logic of an open window of this kind; nullptr for no window or another kind.
    static Self* of(const FormWindow* window) {
        return window != nullptr ? window->findChild<Self*>(QString(), Qt::FindDirectChildrenOnly)
                                 : nullptr;
    }

    FormWindow* window() const { return window_; }

  protected:
    explicit WindowLogic(FormWindow* window) : QObject(window), window_(window) {}

    FormWindow* const window_;
};

}  // namespace tillora
