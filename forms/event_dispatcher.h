#pragma once

namespace tillora {

// Event delivery is suspended while windows are being built: a nesting counter shared by all
// windows; events raised while it is above zero are dropped.
class EventDispatcher {
  public:
    static bool suspended() { return depth_ > 0; }
    static int depth() { return depth_; }

    // Suspends delivery for its lifetime.
    class Suspension {
      public:
        Suspension() { ++depth_; }
        ~Suspension() { --depth_; }
        Suspension(const Suspension&) = delete;
        Suspension& operator=(const Suspension&) = delete;
    };

  private:
    static inline int depth_ = 0;
};

}  // namespace tillora
