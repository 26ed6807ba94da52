#include "templates/template_set_writer.h"

#include <QHash>
#include <QSet>

#include <algorithm>

#include "templates/template_byte_writer.h"

namespace tillora {

namespace {

// The head that component and menu records share: type, handler source, reserved words, name
// and remark.
template <class Record>
void writeRecordHead(TemplateByteWriter& w, const Record& r) {
    w.writeInt32(r.type);
    w.writeInt32(r.handlerSource);
    for (qint32 x : r.reserved) {
        w.writeInt32(x);
    }
    w.writeCString(r.name);
    w.writeCString(r.remark);
}

class SetWriter {
  public:
    explicit SetWriter(const TemplateSet& set) : set_(set) {}

    bool write(QByteArray& out);
    const QString& error() const { return error_; }

  private:
    bool fail(const QString& what) {
        if (error_.isEmpty()) {
            error_ = what;
        }
        return false;
    }
    bool checkHandler(qint32 index, const QString& name, const QString& owner);
    bool writeWindow(TemplateByteWriter& w, const WindowTemplate& window);
    bool componentRecord(const ComponentRecord& c, QByteArray& out);
    bool menuItemRecord(const MenuItemRecord& m, QByteArray& out);

    const TemplateSet& set_;
    QString error_;
    QString where_;
};

bool SetWriter::write(QByteArray& out) {
    TemplateByteWriter w;
    TemplateByteWriter table;
    for (qsizetype i = 0; i < set_.windows.size(); ++i) {
        if (i > 0 && set_.windows[i].id <= set_.windows[i - 1].id) {
            return fail(QStringLiteral("window ids are not ascending"));
        }
        table.writeInt32(set_.windows[i].id);
    }
    for (const WindowTemplate& window : set_.windows) {
        table.writeInt32(window.objectSlot);
    }
    w.writeBytes(table.data());
    for (const WindowTemplate& window : set_.windows) {
        where_ = QStringLiteral("window 0x%1").arg(quint32(window.id), 8, 16, QLatin1Char('0'));
        if (!writeWindow(w, window)) {
            return false;
        }
    }
    if (w.lossy()) {
        return fail(QStringLiteral("a window text has no GBK form"));
    }
    out = w.take();
    return true;
}

bool SetWriter::checkHandler(qint32 index, const QString& name, const QString& owner) {
    const bool none = index == -1 && name.isEmpty();
    const bool valid = index >= 0 && index < set_.handlerNames.size() &&
                       set_.handlerNames[index] == name && !name.isEmpty();
    if (!none && !valid) {
        return fail(QStringLiteral("%1: %2 has a handler reference that does not match the "
                                   "handler table (%3, \"%4\")")
                        .arg(where_, owner)
                        .arg(index)
                        .arg(name));
    }
    return true;
}

bool SetWriter::writeWindow(TemplateByteWriter& w, const WindowTemplate& window) {
    if (window.components.isEmpty()) {
        return fail(QStringLiteral("%1 has no window record").arg(where_));
    }
    QHash<qint32, QByteArray> records;
    QList<qint32> plainOrder;
    for (const ComponentRecord& c : window.components) {
        QByteArray bytes;
        if (!componentRecord(c, bytes)) {
            return false;
        }
        records.insert(c.id, bytes);
        plainOrder.append(c.id);
    }
    for (const MenuItemRecord& m : window.menuItems) {
        QByteArray bytes;
        if (!menuItemRecord(m, bytes)) {
            return false;
        }
        records.insert(m.id, bytes);
        plainOrder.append(m.id);
    }
    if (records.size() != plainOrder.size()) {
        return fail(QStringLiteral("%1: a record id is used twice").arg(where_));
    }
    const QList<qint32>& order = window.recordOrder.isEmpty() ? plainOrder : window.recordOrder;
    if (order.size() != plainOrder.size() ||
        QSet<qint32>(order.begin(), order.end()).size() != order.size() ||
        !std::all_of(order.begin(), order.end(), [&](qint32 id) { return records.contains(id); })) {
        return fail(QStringLiteral("%1: the record order does not list every record").arg(where_));
    }
    if (order.front() != window.components.front().id) {
        return fail(QStringLiteral("%1: the window's own record must come first").arg(where_));
    }

    TemplateByteWriter block;
    for (qint32 id : order) {
        block.writeInt32(id);
    }
    qint32 offset = 0;
    for (qint32 id : order) {
        block.writeInt32(offset);
        offset += 4 + static_cast<qint32>(records.value(id).size());
    }
    for (qint32 id : order) {
        block.writeBytes(records.value(id));
    }

    w.writeInt32(window.reserved);
    w.writeInt32(window.classId);
    w.writeText(window.reserved1);
    w.writeText(window.reserved2);
    w.writeInt32(static_cast<qint32>(order.size()));
    w.writeBytes(block.data());
    return true;
}

bool SetWriter::componentRecord(const ComponentRecord& c, QByteArray& out) {
    const QString owner = c.name.isEmpty() ? QStringLiteral("(window)") : c.name;
    TemplateByteWriter w;
    writeRecordHead(w, c);
    w.writeInt32(c.objectSlot);
    w.writeInt32(c.left);
    w.writeInt32(c.top);
    w.writeInt32(c.width);
    w.writeInt32(c.height);
    w.writeInt32(c.cursorSlot);
    w.writeInt32(c.container);
    w.writeInt32(static_cast<qint32>(c.children.size()));
    for (qint32 child : c.children) {
        w.writeInt32(child);
    }
    w.writeBytes(c.mousePointer);
    w.writeCString(c.tag);
    w.writeInt32(c.reserved2);
    w.writeInt32(c.flags);
    w.writeInt32(c.tabOrder);
    w.writeInt32(static_cast<qint32>(c.events.size()));
    for (const EventEntry& e : c.events) {
        if (!checkHandler(e.handlerIndex, e.handler, owner)) {
            return false;
        }
        w.writeInt32(e.event);
        w.writeInt32(e.handlerIndex);
    }
    if (c.reservedTail.size() != 20) {
        return fail(
            QStringLiteral("%1: %2 has a reserved tail of the wrong size").arg(where_, owner));
    }
    w.writeRaw(c.reservedTail);
    w.writeRaw(c.propertyData);
    if (w.lossy()) {
        return fail(QStringLiteral("%1: a text of %2 has no GBK form").arg(where_, owner));
    }
    out = w.take();
    return true;
}

bool SetWriter::menuItemRecord(const MenuItemRecord& m, QByteArray& out) {
    const QString owner = QStringLiteral("menu item \"%1\"").arg(m.caption);
    if (!checkHandler(m.handlerIndex, m.handler, owner)) {
        return false;
    }
    if (m.reservedTail.size() != 16) {
        return fail(
            QStringLiteral("%1: %2 has a reserved tail of the wrong size").arg(where_, owner));
    }
    TemplateByteWriter w;
    writeRecordHead(w, m);
    w.writeInt32(m.shortcut);
    w.writeInt32(m.level);
    w.writeInt32(m.flags);
    w.writeCString(m.caption);
    w.writeInt32(m.handlerIndex);
    w.writeRaw(m.reservedTail);
    if (w.lossy()) {
        return fail(QStringLiteral("%1: %2 has no GBK form").arg(where_, owner));
    }
    out = w.take();
    return true;
}

}  // namespace

bool writeTemplateSet(const TemplateSet& set, QByteArray& out, QString* error) {
    SetWriter writer(set);
    if (!writer.write(out)) {
        if (error != nullptr) {
            *error = writer.error();
        }
        return false;
    }
    return true;
}

}  // namespace tillora
