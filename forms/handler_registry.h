#pragma once

#include "forms/event_args.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <type_traits>

namespace tillora {

using Handler = std::function<Value(const EventArgs&)>;

// A handler that hands the event to the logic object of the window it came from (`Logic::of`),
// as f(logic, args) or f(logic). Such handlers return nothing the window looks at.
template <typename Logic, typename F>
Handler logicHandler(F f) {
    return [f](const EventArgs& args) {
        if (Logic* logic = Logic::of(args.window)) {
            if constexpr (std::is_invocable_v<const F&, Logic&, const EventArgs&>) {
                f(*logic, args);
            } else {
                f(*logic);
            }
        }
        return Value();
    };
}

// The event argument at `index` as a whole number; -1 when it is missing or no number.
int intArgument(const EventArgs& args, qsizetype index = 0);

// The program's event handlers by the names the templates use. Window logic classes add theirs
// before the first window opens; a window naming a handler that is not here fails to open, and
// `missing()` lets a test check every template of the program at once.
//
// Per-window state: a logic object can be made a child QObject of the FormWindow in the window's
// created handler and found again with `args.window->findChild<...>()`.
class HandlerRegistry {
  public:
    // Adds or replaces a handler.
    void add(const QString& name, Handler handler);
    void remove(const QString& name);
    bool contains(const QString& name) const { return handlers_.contains(name); }
    // The handler, or nullptr.
    const Handler* find(const QString& name) const;
    // The names in `names` that have no handler (each once, in the given order).
    QStringList missing(const QStringList& names) const;
    qsizetype size() const { return handlers_.size(); }

  private:
    QHash<QString, Handler> handlers_;
};

}  // namespace tillora
