#pragma once

// Hand-made window templates for the component-model tests.

#include "templates/property_blocks.h"
#include "templates/template_set.h"

#include <QByteArray>

namespace tillora::test {

inline constexpr qint32 kTestWindow = template_ids::window(1);
inline constexpr qint32 kOtherWindow = template_ids::window(2);

inline ComponentRecord record(int serial, ComponentType type, const QString& name, QRect place,
                              QByteArray data = {},
                              qint32 flags = ComponentVisible | ComponentTabStop) {
    ComponentRecord r;
    r.id = template_ids::component(serial);
    r.type = static_cast<qint32>(type);
    r.name = name;
    r.left = place.x();
    r.top = place.y();
    r.width = place.width();
    r.height = place.height();
    r.flags = flags;
    r.tabOrder = serial;
    r.propertyData = std::move(data);
    return r;
}

inline WindowTemplate windowTemplate(qint32 id, QSize outer,
                                     const QString& title = QStringLiteral("Tillora"),
                                     bool visible = true) {
    WindowTemplate w;
    w.id = id;
    w.classId = template_ids::programClass(1);
    ComponentRecord own;
    own.id = template_ids::windowRecord(template_ids::serial(id));
    own.type = static_cast<qint32>(ComponentType::Window);
    own.width = outer.width();
    own.height = outer.height();
    own.flags = visible ? ComponentVisible : 0;
    WindowBlock block;
    block.title = title;
    own.propertyData = write(block);
    w.components.append(own);
    return w;
}

inline void addEvent(ComponentRecord& r, qint32 event, const QString& handler) {
    r.events.append(EventEntry{event, 0, handler});
}

}  // namespace tillora::test
