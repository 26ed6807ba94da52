#include "tools/formc/window_source.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>

#include "templates/draw_panel_block.h"
#include "templates/menu_keys.h"
#include "templates/printer_block.h"
#include "templates/property_blocks.h"
#include "tools/formc/json_binding.h"
#include "tools/formc/json_fields.h"
#include "tools/formc/source_error.h"

namespace tillora::formc {

namespace {

struct TypeInfo {
    const char* name;
    ComponentType type;
    bool tabStop;  // takes the focus by Tab unless the source says otherwise
};

constexpr TypeInfo kTypes[] = {
    {"editBox", ComponentType::EditBox, true},
    {"pictureBox", ComponentType::PictureBox, false},
    {"shapeBox", ComponentType::ShapeBox, false},
    {"drawPanel", ComponentType::DrawPanel, false},
    {"groupBox", ComponentType::GroupBox, false},
    {"label", ComponentType::Label, false},
    {"button", ComponentType::Button, true},
    {"checkBox", ComponentType::CheckBox, true},
    {"radioBox", ComponentType::RadioBox, true},
    {"comboBox", ComponentType::ComboBox, true},
    {"dateBox", ComponentType::DateBox, true},
    {"commonDialog", ComponentType::CommonDialog, false},
    {"timer", ComponentType::Timer, false},
    {"printer", ComponentType::Printer, false},
    {"database", ComponentType::Database, false},
    {"listView", ComponentType::ListView, true},
    {"spreadsheetApplication", ComponentType::SpreadsheetApplication, false},
    {"spreadsheetWorkbook", ComponentType::SpreadsheetWorkbook, false},
    {"tabControl", ComponentType::TabControl, true},
};

const TypeInfo* typeInfo(const QString& name) {
    for (const TypeInfo& t : kTypes) {
        if (name == QLatin1String(t.name)) {
            return &t;
        }
    }
    return nullptr;
}

QString typeNames() {
    QStringList names;
    for (const TypeInfo& t : kTypes) {
        names.append(QLatin1String(t.name));
    }
    return names.join(QStringLiteral(", "));
}

const QRegularExpression& handlerPattern() {
    static const QRegularExpression re(
        QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*(\\.[A-Za-z_][A-Za-z0-9_]*)*$"));
    return re;
}

QList<EventEntry> events(JsonFields& f, const QString& key) {
    const QJsonValue v = f.take(key);
    if (v.isUndefined()) {
        return {};
    }
    if (!v.isObject()) {
        f.error(key, QStringLiteral("expected {\"event number\": \"handler\"}"));
    }
    QList<EventEntry> list;
    const QJsonObject o = v.toObject();
    for (auto it = o.begin(); it != o.end(); ++it) {
        bool ok = false;
        EventEntry e;
        e.event = it.key().toInt(&ok);
        const QString handler = it.value().toString();
        if (!ok) {
            f.error(key, QStringLiteral("\"%1\" is no event number").arg(it.key()));
        }
        if (!handlerPattern().match(handler).hasMatch()) {
            f.error(key + QLatin1Char('.') + it.key(),
                    QStringLiteral("expected a handler name such as \"login.loginClicked\""));
        }
        e.handler = handler;
        list.append(e);
    }
    // Ascending event numbers, whatever order the source wrote them in.
    std::sort(list.begin(), list.end(),
              [](const EventEntry& a, const EventEntry& b) { return a.event < b.event; });
    return list;
}

// The component's property-data block from its type's fields; `pageCount` gets a tab control's
// number of pages.
QByteArray propertyBlock(ComponentType type, JsonFields& f, int& pageCount) {
    switch (type) {
        case ComponentType::EditBox:
            return write(bindBlock<EditBoxBlock>(f));
        case ComponentType::PictureBox:
            return write(bindBlock<PictureBoxBlock>(f));
        case ComponentType::ShapeBox:
            return write(bindBlock<ShapeBoxBlock>(f));
        case ComponentType::DrawPanel:
            return bindBlock<DrawPanelBlock>(f).write();
        case ComponentType::Printer:
            return bindBlock<PrinterBlock>(f).write();
        case ComponentType::GroupBox:
            return write(bindBlock<GroupBoxBlock>(f));
        case ComponentType::Label:
            return write(bindBlock<LabelBlock>(f));
        case ComponentType::Button:
            return write(bindBlock<ButtonBlock>(f));
        case ComponentType::CheckBox:
            return write(bindBlock<CheckBoxBlock>(f));
        case ComponentType::RadioBox:
            return write(bindBlock<RadioBoxBlock>(f));
        case ComponentType::ComboBox: {
            const ComboBoxBlock b = bindBlock<ComboBoxBlock>(f);
            if (b.currentItem < -1 || b.currentItem >= b.items.size()) {
                f.error(QStringLiteral("currentItem"), QStringLiteral("no such item"));
            }
            if (b.itemValues.size() > b.items.size()) {
                f.error(QStringLiteral("itemValues"), QStringLiteral("more values than items"));
            }
            return write(b);
        }
        case ComponentType::CommonDialog:
            return write(bindBlock<CommonDialogBlock>(f));
        case ComponentType::Timer:
            return write(bindBlock<TimerBlock>(f));
        case ComponentType::ListView:
            return write(bindBlock<ListViewBlock>(f));
        case ComponentType::TabControl: {
            const TabControlBlock b = bindBlock<TabControlBlock>(f);
            if (b.currentPage < 0 || (b.currentPage >= b.pages.size() && b.currentPage != 0)) {
                f.error(QStringLiteral("currentPage"), QStringLiteral("no such page"));
            }
            pageCount = static_cast<int>(b.pages.size());
            return write(b);
        }
        case ComponentType::DateBox:
        case ComponentType::Database:
        case ComponentType::SpreadsheetApplication:
        case ComponentType::SpreadsheetWorkbook:
        case ComponentType::Window:
        case ComponentType::Menu:
            return {};
    }
    return {};
}

QList<MenuItemRecord> menuItems(JsonFields& f, const QString& key) {
    const QJsonValue v = f.take(key);
    QList<MenuItemRecord> list;
    if (v.isUndefined()) {
        return list;
    }
    if (!v.isArray()) {
        f.error(key, QStringLiteral("expected a list of menu items"));
    }
    const QJsonArray a = v.toArray();
    for (qsizetype i = 0; i < a.size(); ++i) {
        const QString path = f.path(key) + QStringLiteral("[%1]").arg(i);
        if (!a[i].isObject()) {
            throw SourceError{path + QStringLiteral(": expected a menu item")};
        }
        JsonFields m(a[i].toObject(), path, QString());
        MenuItemRecord item;
        item.id = template_ids::menuItem(static_cast<int>(i + 1));
        bool hidden = false, disabled = false, checked = false;
        m.text(QStringLiteral("caption"), item.caption);
        m.integer(QStringLiteral("level"), item.level);
        QString key;
        m.text(QStringLiteral("shortcut"), key);
        m.flag(QStringLiteral("hidden"), hidden);
        m.flag(QStringLiteral("disabled"), disabled);
        m.flag(QStringLiteral("checked"), checked);
        m.text(QStringLiteral("handler"), item.handler);
        m.finish();
        if (item.level != 0 && item.level != 1) {
            m.error(QStringLiteral("level"), QStringLiteral("expected 0 or 1"));
        }
        if (!key.isEmpty()) {
            item.shortcut = menu_keys::index(key);
            if (item.shortcut == 0) {
                m.error(QStringLiteral("shortcut"), QStringLiteral("not a key of the key table"));
            }
        }
        if (item.level == 1 && list.isEmpty()) {
            m.error(QStringLiteral("level"),
                    QStringLiteral("a drop-down item needs a menu before it"));
        }
        if (!item.handler.isEmpty() && !handlerPattern().match(item.handler).hasMatch()) {
            m.error(QStringLiteral("handler"), QStringLiteral("not a handler name"));
        }
        item.flags = (hidden ? MenuItemHidden : 0) | (disabled ? MenuItemDisabled : 0) |
                     (checked ? MenuItemChecked : 0);
        list.append(item);
    }
    return list;
}

int lineOf(const QByteArray& text, int offset) {
    return 1 + static_cast<int>(text.left(offset).count('\n'));
}

}  // namespace

CompiledWindow compileWindowSource(const QString& path, const QString& resourcesDir) {
    CompiledWindow out;
    out.file = path;
    const QString fileName = QFileInfo(path).fileName();
    try {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            throw SourceError{QStringLiteral("can't read the file")};
        }
        const QByteArray bytes = file.readAll();
        QJsonParseError parseError;
        const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parseError);
        if (parseError.error != QJsonParseError::NoError) {
            throw SourceError{QStringLiteral("line %1: %2")
                                  .arg(lineOf(bytes, parseError.offset))
                                  .arg(parseError.errorString())};
        }
        if (!doc.isObject()) {
            throw SourceError{QStringLiteral("a window source is one JSON object")};
        }
        JsonFields top(doc.object(), QString(), resourcesDir);
        WindowTemplate& w = out.window;

        top.text(QStringLiteral("key"), out.key);
        static const QRegularExpression keyPattern(QStringLiteral("^[A-Z][A-Za-z0-9]*$"));
        if (!keyPattern.match(out.key).hasMatch()) {
            top.error(QStringLiteral("key"), QStringLiteral("expected a name such as \"Login\""));
        }
        top.flag(QStringLiteral("start"), out.start);

        // The window's own record and block.
        ComponentRecord record;
        record.type = static_cast<qint32>(ComponentType::Window);
        const QList<qint32> size = top.integers(QStringLiteral("size"), 2);
        if (size.isEmpty()) {
            top.error(QStringLiteral("size"), QStringLiteral("a window needs its outer size"));
        }
        record.width = size[0];
        record.height = size[1];
        const QList<qint32> position = top.integers(QStringLiteral("position"), 2);
        if (!position.isEmpty()) {
            record.left = position[0];
            record.top = position[1];
        }
        bool visible = true;
        top.flag(QStringLiteral("visible"), visible);
        record.setFlag(ComponentVisible, visible);
        record.events = events(top, QStringLiteral("events"));
        top.text(QStringLiteral("tag"), record.tag);
        record.propertyData = write(bindBlock<WindowBlock>(top));
        w.components.append(record);

        w.menuItems = menuItems(top, QStringLiteral("menu"));

        // Components: a first pass makes the records, a second resolves names.
        const QJsonValue list = top.take(QStringLiteral("components"));
        if (!list.isUndefined() && !list.isArray()) {
            top.error(QStringLiteral("components"), QStringLiteral("expected a list"));
        }
        top.finish();
        struct Pending {
            QString container;
            qint32 page = 0;
            QString handlerSource;
            QString path;
        };
        QList<Pending> pending;
        QHash<QString, qsizetype> byName;
        QHash<qsizetype, int> pageCounts;
        const QJsonArray items = list.toArray();
        for (qsizetype i = 0; i < items.size(); ++i) {
            QString path = QStringLiteral("components[%1]").arg(i);
            if (!items[i].isObject()) {
                throw SourceError{path + QStringLiteral(": expected a component")};
            }
            const QJsonObject object = items[i].toObject();
            const QString name = object.value(QStringLiteral("name")).toString();
            path += QStringLiteral(" (%1)").arg(name);
            JsonFields f(object, path, resourcesDir);
            ComponentRecord c;
            c.id = template_ids::component(static_cast<int>(i + 1));
            f.text(QStringLiteral("name"), c.name);
            if (c.name.isEmpty() || byName.contains(c.name)) {
                f.error(QStringLiteral("name"), c.name.isEmpty()
                                                    ? QStringLiteral("every component needs a name")
                                                    : QStringLiteral("name used twice"));
            }
            QString typeName;
            f.text(QStringLiteral("type"), typeName);
            const TypeInfo* type = typeInfo(typeName);
            if (type == nullptr) {
                f.error(
                    QStringLiteral("type"),
                    QStringLiteral("unknown type \"%1\"; known: %2").arg(typeName, typeNames()));
            }
            c.type = static_cast<qint32>(type->type);
            const QList<qint32> place = f.integers(QStringLiteral("place"), 4);
            if (!place.isEmpty()) {
                c.left = place[0];
                c.top = place[1];
                c.width = place[2];
                c.height = place[3];
            }
            bool compVisible = true, disabled = false, tabStop = type->tabStop;
            f.flag(QStringLiteral("visible"), compVisible);
            f.flag(QStringLiteral("disabled"), disabled);
            f.flag(QStringLiteral("tabStop"), tabStop);
            c.setFlag(ComponentVisible, compVisible);
            c.setFlag(ComponentDisabled, disabled);
            c.setFlag(ComponentTabStop, tabStop);
            c.tabOrder = static_cast<qint32>(i + 1);
            f.integer(QStringLiteral("tabOrder"), c.tabOrder);
            f.text(QStringLiteral("tag"), c.tag);
            f.text(QStringLiteral("remark"), c.remark);
            c.events = events(f, QStringLiteral("events"));
            Pending p;
            p.path = path;
            f.text(QStringLiteral("container"), p.container);
            f.integer(QStringLiteral("page"), p.page);
            f.text(QStringLiteral("handlerSource"), p.handlerSource);
            int pageCount = 0;
            c.propertyData = propertyBlock(type->type, f, pageCount);
            f.finish();
            byName.insert(c.name, w.components.size());
            pageCounts.insert(w.components.size(), pageCount);
            pending.append(p);
            w.components.append(c);
        }

        // Children lists: tab controls get one list per page, each ended by 0.
        QHash<qsizetype, QList<QList<qint32>>> pages;
        for (qsizetype i = 0; i < pending.size(); ++i) {
            const Pending& p = pending[i];
            ComponentRecord& c = w.components[i + 1];
            JsonFields where(QJsonObject(), p.path, resourcesDir);
            if (!p.handlerSource.isEmpty()) {
                const qsizetype s = byName.value(p.handlerSource, -1);
                if (s < 0 || w.components[s].type != c.type || s == i + 1) {
                    where.error(QStringLiteral("handlerSource"),
                                QStringLiteral("expected another component of the same type"));
                }
                c.handlerSource = w.components[s].id;
            }
            if (p.container.isEmpty()) {
                if (p.page != 0) {
                    where.error(QStringLiteral("page"),
                                QStringLiteral("only inside a tab control"));
                }
                continue;
            }
            const qsizetype k = byName.value(p.container, -1);
            if (k < 0 || k == i + 1) {
                where.error(QStringLiteral("container"), QStringLiteral("no such component"));
            }
            const ComponentType ct = w.components[k].componentType();
            if (ct != ComponentType::ShapeBox && ct != ComponentType::GroupBox &&
                ct != ComponentType::TabControl) {
                where.error(QStringLiteral("container"),
                            QStringLiteral("only a shape box, group box or tab control contains"));
            }
            // A container later in the list would be created before its contents; fine for the
            // loader, but a loop of containers is not.
            for (qint32 up = w.components[k].container; up != 0;) {
                if (up == c.id) {
                    where.error(QStringLiteral("container"),
                                QStringLiteral("containers form a loop"));
                }
                up = w.component(up)->container;
            }
            c.container = w.components[k].id;
            if (ct == ComponentType::TabControl) {
                if (p.page < 0 || p.page >= pageCounts.value(k)) {
                    where.error(QStringLiteral("page"), QStringLiteral("no such page"));
                }
                auto& list = pages[k];
                list.resize(pageCounts.value(k));
                list[p.page].append(c.id);
            } else {
                if (p.page != 0) {
                    where.error(QStringLiteral("page"),
                                QStringLiteral("only inside a tab control"));
                }
                w.components[k].children.append(c.id);
            }
        }
        for (qsizetype k = 1; k < w.components.size(); ++k) {
            ComponentRecord& c = w.components[k];
            if (c.componentType() != ComponentType::TabControl) {
                continue;
            }
            QList<QList<qint32>> list = pages.value(k);
            list.resize(pageCounts.value(k));
            for (const QList<qint32>& page : list) {
                c.children.append(page);
                c.children.append(0);
            }
        }
    } catch (const SourceError& e) {
        throw SourceError{fileName + QStringLiteral(": ") + e.message};
    }
    return out;
}

}  // namespace tillora::formc
