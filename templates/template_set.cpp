#include "templates/template_set.h"

namespace tillora {

bool isKnownComponentType(qint32 type) {
    switch (static_cast<ComponentType>(type)) {
        case ComponentType::Window:
        case ComponentType::Menu:
        case ComponentType::EditBox:
        case ComponentType::PictureBox:
        case ComponentType::ShapeBox:
        case ComponentType::DrawPanel:
        case ComponentType::GroupBox:
        case ComponentType::Label:
        case ComponentType::Button:
        case ComponentType::CheckBox:
        case ComponentType::RadioBox:
        case ComponentType::ComboBox:
        case ComponentType::DateBox:
        case ComponentType::CommonDialog:
        case ComponentType::Timer:
        case ComponentType::Printer:
        case ComponentType::Database:
        case ComponentType::ListView:
        case ComponentType::SpreadsheetApplication:
        case ComponentType::SpreadsheetWorkbook:
        case ComponentType::TabControl:
            return true;
    }
    return false;
}

QList<QList<qint32>> ComponentRecord::childPages() const {
    if (componentType() != ComponentType::TabControl) {
        return {children};
    }
    QList<QList<qint32>> pages;
    QList<qint32> page;
    for (qint32 id : children) {
        if (id == 0) {
            pages.append(page);
            // A fresh list, not clear(): an emptied list keeps its buffer, and Qt compares such a
            // list with an unallocated one by passing a null pointer to memcmp.
            page = QList<qint32>();
        } else {
            page.append(id);
        }
    }
    if (!page.isEmpty()) {
        pages.append(page);
    }
    return pages;
}

QString ComponentRecord::handlerFor(qint32 event) const {
    for (const EventEntry& e : events) {
        if (e.event == event) {
            return e.handler;
        }
    }
    return {};
}

bool ComponentRecord::hasEvent(qint32 event) const {
    return !handlerFor(event).isEmpty();
}

const ComponentRecord* WindowTemplate::component(qint32 componentId) const {
    for (const ComponentRecord& c : components) {
        if (c.id == componentId) {
            return &c;
        }
    }
    return nullptr;
}

const ComponentRecord* WindowTemplate::componentByName(const QString& name) const {
    for (const ComponentRecord& c : components) {
        if (c.name == name) {
            return &c;
        }
    }
    return nullptr;
}

const MenuItemRecord* WindowTemplate::menuItem(qint32 menuItemId) const {
    for (const MenuItemRecord& m : menuItems) {
        if (m.id == menuItemId) {
            return &m;
        }
    }
    return nullptr;
}

const WindowTemplate* TemplateSet::window(qint32 windowId) const {
    for (const WindowTemplate& w : windows) {
        if (w.id == windowId) {
            return &w;
        }
    }
    return nullptr;
}

}  // namespace tillora
