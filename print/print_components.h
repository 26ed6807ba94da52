#pragma once

namespace tillora {

class ComponentFactory;

// Registers the printer (1/33) and the draw panel (1/8) with the component factory, replacing
// the placeholders that only keep their data. Called once at start-up, before the first window.
class PrintComponents {
  public:
    static void registerWith(ComponentFactory& factory);
};

}  // namespace tillora
