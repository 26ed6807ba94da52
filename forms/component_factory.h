#pragma once

#include "templates/template_set.h"

#include <QHash>

#include <functional>
#include <memory>

namespace tillora {

class Component;
class FormWindow;

using ComponentMaker =
    std::function<std::unique_ptr<Component>(FormWindow*, const ComponentRecord&, int controlId)>;

// Makes components by type code (library << 16 | type). The built-in types are there from the
// start; other libraries add theirs (printing replaces the placeholders of the printer and the draw
// panel, which otherwise only keep their raw property data).
class ComponentFactory {
  public:
    static ComponentFactory& instance();

    // Adds or replaces the maker of a type.
    void add(qint32 typeCode, ComponentMaker maker);
    bool contains(qint32 typeCode) const { return makers_.contains(typeCode); }
    // A new component, or nullptr when the type is unknown.
    std::unique_ptr<Component> make(FormWindow* window, const ComponentRecord& record,
                                    int controlId) const;

  private:
    ComponentFactory();
    QHash<qint32, ComponentMaker> makers_;
};

// Registers the component types this library builds (called by the factory itself).
void registerBuiltInComponents(ComponentFactory& factory);

}  // namespace tillora
