#pragma once

#include "values/value.h"

#include <QList>

namespace tillora {

class Component;
class FormWindow;

// Event numbers. The events every component has are negative; each type numbers its own from 0.
namespace event {
// Every component.
constexpr int kMouseDown = -1;       // x, y, key state (1 Ctrl, 2 Shift, 4 Alt); false swallows
constexpr int kMouseUp = -2;         // x, y, key state; false swallows
constexpr int kDoubleClick = -3;     // x, y, key state; false swallows
constexpr int kRightMouseDown = -4;  // x, y, key state; false swallows
constexpr int kRightMouseUp = -5;    // x, y, key state; false swallows
constexpr int kMouseMove = -6;       // x, y, key state
constexpr int kFocusGained = -7;
constexpr int kFocusLost = -8;
constexpr int kKeyDown = -9;     // key code, key state; false swallows the key
constexpr int kKeyUp = -10;      // key code, key state
constexpr int kCharTyped = -11;  // character code; a number replaces it, 0 swallows it
constexpr int kWheel = -12;      // steps (delta / 120), key state; false swallows

// The window itself (component id 0).
constexpr int kWindowCreated = 0;
constexpr int kWindowMayClose = 1;  // false keeps the window open
constexpr int kWindowDestroying = 2;
constexpr int kWindowAfterCreated1 = 3;
constexpr int kWindowAfterCreated2 = 4;
constexpr int kWindowActivated = 10;
constexpr int kWindowDeactivated = 11;
constexpr int kWindowCloseRequest = 12;  // raised before 1; false keeps the window open

// Button, check box, radio box.
constexpr int kClicked = 0;
// Timer.
constexpr int kTimerTick = 0;
// Edit box: the text changed (by the user or the program).
constexpr int kEditTextChanged = 0;
// Combo box: an item was chosen (argument: its index); the edit text changed.
constexpr int kComboItemChosen = 0;
constexpr int kComboTextChanged = 1;
// List view: the current row changed (argument: the row, -1 = none); a row was double-clicked
// (argument: the row).
constexpr int kListSelectionChanged = 0;
constexpr int kListDoubleClicked = 1;
// Tab control: the current page changed (argument: the new page index).
constexpr int kTabPageChanged = 0;
// Date box: the date changed.
constexpr int kDateChanged = 0;
}  // namespace event

// What a handler receives.
struct EventArgs {
    FormWindow* window = nullptr;
    Component* component = nullptr;  // null for the window's own events
    int event = 0;
    QList<Value> args;

    // The i-th argument, or an empty value when there are fewer.
    Value arg(qsizetype i) const { return i >= 0 && i < args.size() ? args.at(i) : Value(); }
};

}  // namespace tillora
