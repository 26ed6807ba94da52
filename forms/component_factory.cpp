#include "forms/component_factory.h"

#include "forms/component.h"

namespace tillora {

ComponentFactory& ComponentFactory::instance() {
    static ComponentFactory factory;
    return factory;
}

ComponentFactory::ComponentFactory() {
    registerBuiltInComponents(*this);
}

void ComponentFactory::add(qint32 typeCode, ComponentMaker maker) {
    makers_.insert(typeCode, std::move(maker));
}

std::unique_ptr<Component> ComponentFactory::make(FormWindow* window, const ComponentRecord& record,
                                                  int controlId) const {
    const auto it = makers_.constFind(record.type);
    if (it == makers_.constEnd()) {
        return nullptr;
    }
    return it.value()(window, record, controlId);
}

}  // namespace tillora
