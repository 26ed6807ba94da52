#pragma once

#include <QDateTime>

#include <functional>

namespace tillora {

// The program's one clock. The time shown on the sales window, the value of now() in
// statements, the day receipt numbers count from and "today" in the records all read it, so a
// sale's stored time is the time the cashier saw.
class Clock {
  public:
    using Source = std::function<QDateTime()>;

    // Local time (from the replacement source, when one is set).
    static QDateTime now();
    // Replaces what now() reads; an empty function restores the system clock.
    static void setSource(Source source);

    // Stands the clock on a fixed or test-driven time for a scope, then restores the one before.
    class Override {
      public:
        explicit Override(Source source);
        explicit Override(const QDateTime& fixed);
        ~Override();
        Override(const Override&) = delete;
        Override& operator=(const Override&) = delete;

      private:
        Source previous_;
    };

  private:
    static Source exchange(Source source);
};

}  // namespace tillora
