#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <array>

namespace tillora {

// Identifiers of windows, program classes, components and menu items: bits 0-23 serial number,
// bits 24-27 kind, bits 28-31 group.
namespace template_ids {

constexpr qint32 make(int group, int kind, int serial) {
    return static_cast<qint32>((static_cast<quint32>(group & 0xF) << 28) |
                               (static_cast<quint32>(kind & 0xF) << 24) |
                               (static_cast<quint32>(serial) & 0xFFFFFFu));
}
constexpr int serial(qint32 id) {
    return static_cast<int>(static_cast<quint32>(id) & 0xFFFFFFu);
}
constexpr int kind(qint32 id) {
    return static_cast<int>((static_cast<quint32>(id) >> 24) & 0xFu);
}
constexpr int group(qint32 id) {
    return static_cast<int>(static_cast<quint32>(id) >> 28);
}

constexpr bool isWindow(qint32 id) {
    return group(id) == 5 && kind(id) == 2;
}
constexpr bool isProgramClass(qint32 id) {
    return group(id) == 1 && kind(id) == 9;
}
constexpr bool isWindowRecord(qint32 id) {
    return group(id) == 0 && kind(id) == 6;
}
constexpr bool isComponent(qint32 id) {
    return group(id) == 1 && kind(id) == 6;
}
constexpr bool isMenuItem(qint32 id) {
    return group(id) == 2 && kind(id) == 6;
}

constexpr qint32 window(int serial) {
    return make(5, 2, serial);
}
constexpr qint32 programClass(int serial) {
    return make(1, 9, serial);
}
constexpr qint32 windowRecord(int serial) {
    return make(0, 6, serial);
}
constexpr qint32 component(int serial) {
    return make(1, 6, serial);
}
constexpr qint32 menuItem(int serial) {
    return make(2, 6, serial);
}

}  // namespace template_ids

// Component type: library number in the high 16 bits, type number in the low 16 bits.
enum class ComponentType : qint32 {
    Window = 0x10001,
    Menu = 0x10003,
    EditBox = 0x10005,
    PictureBox = 0x10006,
    ShapeBox = 0x10007,
    DrawPanel = 0x10008,
    GroupBox = 0x10009,
    Label = 0x1000A,
    Button = 0x1000B,
    CheckBox = 0x1000C,
    RadioBox = 0x1000D,
    ComboBox = 0x1000E,
    DateBox = 0x10017,
    CommonDialog = 0x1001F,
    Timer = 0x10020,
    Printer = 0x10021,
    Database = 0x1002E,
    ListView = 0x20004,
    SpreadsheetApplication = 0x50001,
    SpreadsheetWorkbook = 0x50002,
    TabControl = 0x70002,
};

constexpr qint32 componentTypeCode(int library, int type) {
    return static_cast<qint32>((static_cast<quint32>(library) << 16) |
                               (static_cast<quint32>(type) & 0xFFFFu));
}
// True for the types listed above.
bool isKnownComponentType(qint32 type);

// One event entry of a component: the stored handler reference is an index into the handler-name
// table that is built together with the set (-1 = none); `handler` is that name (empty = none).
struct EventEntry {
    qint32 event = 0;
    qint32 handlerIndex = -1;
    QString handler;

    bool operator==(const EventEntry&) const = default;
};

// Flag bits of a component record.
enum ComponentFlag : qint32 {
    ComponentVisible = 0x1,
    ComponentDisabled = 0x2,
    ComponentTabStop = 0x4,
};

// One component record as stored (the window's own record is one too). Fields in stored order;
// reserved and slot fields are kept so that a set writes back byte for byte.
struct ComponentRecord {
    qint32 id = 0;
    qint32 type = 0;           // ComponentType value
    qint32 handlerSource = 0;  // id of a same-type component whose handlers this one uses; 0 = own
    std::array<qint32, 4> reserved{};
    QString name;
    QString remark;
    qint32 objectSlot = 0;
    qint32 left = 0;
    qint32 top = 0;
    qint32 width = 0;
    qint32 height = 0;
    qint32 cursorSlot = 0;
    qint32 container = 0;  // id of the containing component, 0 = the window
    // Contained component ids as stored. A tab control lists its pages one after another, each
    // page's list ended by a 0 id; use childPages() to get them split.
    QList<qint32> children;
    QByteArray mousePointer = QByteArray(4, '\0');  // 4 zero bytes = the default arrow
    QString tag;
    qint32 reserved2 = 0;
    qint32 flags = 0;
    qint32 tabOrder = 0;
    QList<EventEntry> events;
    QByteArray reservedTail = QByteArray(20, '\0');
    QByteArray propertyData;  // the type's own block; empty = every property at its default

    ComponentType componentType() const { return static_cast<ComponentType>(type); }
    bool visible() const { return (flags & ComponentVisible) != 0; }
    bool disabled() const { return (flags & ComponentDisabled) != 0; }
    bool tabStop() const { return (flags & ComponentTabStop) != 0; }
    void setFlag(ComponentFlag flag, bool on) { flags = on ? (flags | flag) : (flags & ~flag); }

    // Children split into tab pages (at the 0 ids). A component that is not a tab control has one
    // list; a tab control has one per page (a trailing list without its 0 counts as a page too).
    QList<QList<qint32>> childPages() const;
    // The handler name for an event number; empty when the record lists none.
    QString handlerFor(qint32 event) const;
    bool hasEvent(qint32 event) const;

    bool operator==(const ComponentRecord&) const = default;
};

// Flag bits of a menu item record.
enum MenuItemFlag : qint32 {
    MenuItemHidden = 0x1,
    MenuItemDisabled = 0x2,
    MenuItemChecked = 0x4,
};

struct MenuItemRecord {
    qint32 id = 0;
    qint32 type = static_cast<qint32>(ComponentType::Menu);
    qint32 handlerSource = 0;
    std::array<qint32, 4> reserved{};
    QString name;
    QString remark;
    qint32 shortcut = 0;  // index into the key table, 0 = none
    qint32 level = 0;     // 0 = menu bar item, 1 = item of the drop-down below the last level 0
    qint32 flags = 0;
    QString caption;  // "-" = separator
    qint32 handlerIndex = -1;
    QString handler;  // empty = none
    QByteArray reservedTail = QByteArray(16, '\0');

    bool hidden() const { return (flags & MenuItemHidden) != 0; }
    bool disabled() const { return (flags & MenuItemDisabled) != 0; }
    bool checked() const { return (flags & MenuItemChecked) != 0; }
    bool isSeparator() const { return caption == QLatin1String("-"); }

    bool operator==(const MenuItemRecord&) const = default;
};

struct WindowTemplate {
    qint32 id = 0;          // 0x52xxxxxx
    qint32 objectSlot = 0;  // the window table's second half; ignored when loading
    qint32 reserved = 0;
    qint32 classId = 0;  // 0x19xxxxxx
    QString reserved1;
    QString reserved2;
    // components[0] is the window's own record; the rest in stored (z-) order.
    QList<ComponentRecord> components;
    // Menu items in menu order.
    QList<MenuItemRecord> menuItems;
    // Ids of all records in stored order, as they stand in the component block. Empty: the
    // components first, then the menu items.
    QList<qint32> recordOrder;

    const ComponentRecord& windowRecord() const { return components.front(); }
    const ComponentRecord* component(qint32 componentId) const;
    const ComponentRecord* componentByName(const QString& name) const;
    const MenuItemRecord* menuItem(qint32 menuItemId) const;

    bool operator==(const WindowTemplate&) const = default;
};

// The whole set: windows in table order (ascending ids; the first is the start window).
struct TemplateSet {
    QList<WindowTemplate> windows;
    // The handler-name table the set's handler references index into.
    QStringList handlerNames;

    const WindowTemplate* window(qint32 windowId) const;

    bool operator==(const TemplateSet&) const = default;
};

}  // namespace tillora
