#include "templates/template_set_reader.h"

#include <QHash>
#include <QtEndian>

#include "templates/template_byte_reader.h"

namespace tillora {

namespace {

// The head that component and menu records share (see the writer).
template <class Record>
void readRecordHead(TemplateByteReader& r, Record& out) {
    out.type = r.readInt32();
    out.handlerSource = r.readInt32();
    for (qint32& x : out.reserved) {
        x = r.readInt32();
    }
    out.name = r.readCString();
    out.remark = r.readCString();
}

class SetReader {
  public:
    SetReader(QByteArrayView data, const QStringList& handlerNames)
        : data_(data), handlerNames_(handlerNames) {}

    bool read(TemplateSet& out);
    const QString& error() const { return error_; }

  private:
    bool fail(const QString& what) {
        if (error_.isEmpty()) {
            error_ = what;
        }
        return false;
    }
    bool readWindow(TemplateByteReader& r, WindowTemplate& w);
    bool readRecords(QByteArrayView block, qint32 count, WindowTemplate& w);
    bool readComponent(QByteArrayView record, ComponentRecord& c);
    bool readMenuItem(QByteArrayView record, MenuItemRecord& m);
    bool resolveHandler(qint32 index, QString& name);
    bool checkReferences(const WindowTemplate& w);

    QByteArrayView data_;
    const QStringList& handlerNames_;
    QString error_;
    QString where_;
};

bool SetReader::read(TemplateSet& out) {
    TemplateByteReader r(data_);
    const QByteArray table = r.readBytes();
    if (!r.ok()) {
        return fail(QStringLiteral("window table cut short"));
    }
    if (table.size() % 8 != 0) {
        return fail(QStringLiteral("window table length %1 is not 8 x W").arg(table.size()));
    }
    const qsizetype count = table.size() / 8;
    TemplateSet set;
    set.handlerNames = handlerNames_;
    set.windows.resize(count);
    for (qsizetype i = 0; i < count; ++i) {
        WindowTemplate& w = set.windows[i];
        w.id = qFromLittleEndian<qint32>(table.constData() + i * 4);
        w.objectSlot = qFromLittleEndian<qint32>(table.constData() + (count + i) * 4);
        if (!template_ids::isWindow(w.id)) {
            return fail(QStringLiteral("window table entry %1 is no window id").arg(i));
        }
        if (i > 0 && w.id <= set.windows[i - 1].id) {
            return fail(QStringLiteral("window ids are not ascending at entry %1").arg(i));
        }
    }
    for (WindowTemplate& w : set.windows) {
        where_ = QStringLiteral("window 0x%1").arg(quint32(w.id), 8, 16, QLatin1Char('0'));
        if (!readWindow(r, w)) {
            return fail(QStringLiteral("%1 damaged near byte %2").arg(where_).arg(r.position()));
        }
    }
    if (!r.atEnd()) {
        return fail(QStringLiteral("%1 bytes after the last window").arg(r.remaining()));
    }
    out = std::move(set);
    return true;
}

bool SetReader::readWindow(TemplateByteReader& r, WindowTemplate& w) {
    w.reserved = r.readInt32();
    w.classId = r.readInt32();
    w.reserved1 = r.readText();
    w.reserved2 = r.readText();
    const qint32 count = r.readInt32();
    const QByteArray block = r.readBytes();
    if (!r.ok()) {
        return false;
    }
    if (count < 1) {
        return fail(QStringLiteral("%1 has no window record").arg(where_));
    }
    return readRecords(block, count, w) && checkReferences(w);
}

bool SetReader::readRecords(QByteArrayView block, qint32 count, WindowTemplate& w) {
    // Two int arrays, then the records; a count the block can't hold is damage (and is checked
    // before anything is allocated for it).
    if (count > block.size() / 12) {
        return fail(
            QStringLiteral("%1: component count %2 exceeds its block").arg(where_).arg(count));
    }
    const qsizetype base = qsizetype(count) * 8;
    const QByteArrayView records = block.sliced(base);
    qsizetype expected = 0;
    QList<qint32> order;
    order.reserve(count);
    for (qint32 i = 0; i < count; ++i) {
        const qint32 id = qFromLittleEndian<qint32>(block.data() + i * 4);
        const qint32 offset = qFromLittleEndian<qint32>(block.data() + (count + i) * 4);
        // Records follow one another without gaps, in the order of the arrays.
        if (offset != expected || records.size() - offset < 4) {
            return fail(QStringLiteral("%1: record %2 has a bad offset").arg(where_).arg(i));
        }
        const qint32 length = qFromLittleEndian<qint32>(records.data() + offset);
        if (length < 0 || length > records.size() - offset - 4) {
            return fail(QStringLiteral("%1: record %2 has a bad length").arg(where_).arg(i));
        }
        const QByteArrayView record = records.sliced(offset + 4, length);
        expected = offset + 4 + length;
        order.append(id);
        if (i == 0) {
            if (!template_ids::isWindowRecord(id)) {
                return fail(QStringLiteral("%1: record 0 is not the window's").arg(where_));
            }
        } else if (!template_ids::isComponent(id) && !template_ids::isMenuItem(id)) {
            return fail(QStringLiteral("%1: record %2 has a bad id").arg(where_).arg(i));
        }
        if (template_ids::isMenuItem(id)) {
            MenuItemRecord m;
            m.id = id;
            if (!readMenuItem(record, m)) {
                return fail(QStringLiteral("%1: menu item %2 damaged").arg(where_).arg(i));
            }
            w.menuItems.append(m);
            continue;
        }
        ComponentRecord c;
        c.id = id;
        if (!readComponent(record, c)) {
            return fail(QStringLiteral("%1: component record %2 damaged").arg(where_).arg(i));
        }
        const bool isWindow = c.componentType() == ComponentType::Window;
        if (isWindow != (i == 0) || c.componentType() == ComponentType::Menu) {
            return fail(QStringLiteral("%1: record %2 has the wrong type").arg(where_).arg(i));
        }
        w.components.append(c);
    }
    if (expected != records.size()) {
        return fail(QStringLiteral("%1: bytes after the last record").arg(where_));
    }
    // Only sets whose menu items stand somewhere other than after the components need the order.
    QList<qint32> plain;
    for (const ComponentRecord& c : w.components) {
        plain.append(c.id);
    }
    for (const MenuItemRecord& m : w.menuItems) {
        plain.append(m.id);
    }
    if (plain != order) {
        w.recordOrder = order;
    }
    return true;
}

bool SetReader::resolveHandler(qint32 index, QString& name) {
    if (index == -1) {
        name.clear();
        return true;
    }
    if (index < 0 || index >= handlerNames_.size()) {
        return fail(QStringLiteral("%1: handler reference %2 outside the handler table")
                        .arg(where_)
                        .arg(index));
    }
    name = handlerNames_[index];
    return true;
}

bool SetReader::readComponent(QByteArrayView record, ComponentRecord& c) {
    TemplateByteReader r(record);
    readRecordHead(r, c);
    c.objectSlot = r.readInt32();
    c.left = r.readInt32();
    c.top = r.readInt32();
    c.width = r.readInt32();
    c.height = r.readInt32();
    c.cursorSlot = r.readInt32();
    c.container = r.readInt32();
    const qint32 childCount = r.readInt32();
    if (!r.ok() || childCount < 0 || childCount > r.remaining() / 4) {
        return false;
    }
    for (qint32 i = 0; i < childCount; ++i) {
        c.children.append(r.readInt32());
    }
    c.mousePointer = r.readBytes();
    c.tag = r.readCString();
    c.reserved2 = r.readInt32();
    c.flags = r.readInt32();
    c.tabOrder = r.readInt32();
    const qint32 eventCount = r.readInt32();
    if (!r.ok() || eventCount < 0 || eventCount > r.remaining() / 8) {
        return false;
    }
    for (qint32 i = 0; i < eventCount; ++i) {
        EventEntry e;
        e.event = r.readInt32();
        e.handlerIndex = r.readInt32();
        if (!resolveHandler(e.handlerIndex, e.handler)) {
            return false;
        }
        c.events.append(e);
    }
    c.reservedTail = r.readRaw(20).toByteArray();
    if (!r.ok() || !isKnownComponentType(c.type)) {
        return false;
    }
    c.propertyData = r.readRaw(r.remaining()).toByteArray();
    return true;
}

bool SetReader::readMenuItem(QByteArrayView record, MenuItemRecord& m) {
    TemplateByteReader r(record);
    readRecordHead(r, m);
    m.shortcut = r.readInt32();
    m.level = r.readInt32();
    m.flags = r.readInt32();
    m.caption = r.readCString();
    m.handlerIndex = r.readInt32();
    m.reservedTail = r.readRaw(16).toByteArray();
    if (!r.atEnd() || m.type != static_cast<qint32>(ComponentType::Menu)) {
        return false;
    }
    return resolveHandler(m.handlerIndex, m.handler);
}

bool SetReader::checkReferences(const WindowTemplate& w) {
    QHash<qint32, const ComponentRecord*> byId;
    for (const ComponentRecord& c : w.components) {
        if (byId.contains(c.id)) {
            return fail(QStringLiteral("%1: component id used twice").arg(where_));
        }
        byId.insert(c.id, &c);
    }
    for (const MenuItemRecord& m : w.menuItems) {
        if (byId.contains(m.id)) {
            return fail(QStringLiteral("%1: menu item id used twice").arg(where_));
        }
        byId.insert(m.id, nullptr);
    }
    const qint32 windowId = w.components.front().id;
    for (const ComponentRecord& c : w.components) {
        const QString name = c.name.isEmpty() ? QStringLiteral("(window)") : c.name;
        // Containers must be components of this window and their chain must end at the window;
        // a loop would hang whoever walks it.
        qint32 container = c.container;
        for (qsizetype steps = 0; container != 0; ++steps) {
            const ComponentRecord* parent = byId.value(container, nullptr);
            if (parent == nullptr || container == windowId || steps >= w.components.size()) {
                return fail(QStringLiteral("%1: %2 has a bad container").arg(where_, name));
            }
            container = parent->container;
        }
        if (c.id == windowId && c.container != 0) {
            return fail(QStringLiteral("%1: the window record has a container").arg(where_));
        }
        for (qint32 child : c.children) {
            const ComponentRecord* target = byId.value(child, nullptr);
            if (child != 0 && (target == nullptr || child == windowId)) {
                return fail(QStringLiteral("%1: %2 lists an unknown child").arg(where_, name));
            }
        }
        // Handler sources chain through components of the same type and must end.
        qint32 source = c.handlerSource;
        for (qsizetype steps = 0; source != 0; ++steps) {
            const ComponentRecord* s = byId.value(source, nullptr);
            if (s == nullptr || s->type != c.type || steps >= w.components.size()) {
                return fail(QStringLiteral("%1: %2 has a bad handler source").arg(where_, name));
            }
            source = s->handlerSource;
        }
    }
    return true;
}

}  // namespace

bool readTemplateSet(QByteArrayView data, const QStringList& handlerNames, TemplateSet& out,
                     QString* error) {
    SetReader reader(data, handlerNames);
    TemplateSet set;
    if (!reader.read(set)) {
        if (error != nullptr) {
            *error = reader.error();
        }
        return false;
    }
    out = std::move(set);
    return true;
}

}  // namespace tillora
