#include "templates/property_blocks.h"

#include <QtEndian>

#include <cstdlib>

#include "platform/gbk_text.h"
#include "templates/template_byte_reader.h"
#include "templates/template_byte_writer.h"

namespace tillora {

namespace {

// Reads the version, runs `body` and insists that the block ends exactly where the body does.
// An empty block gives the defaults; a version above the type's, or below 1, is refused.
template <typename T, typename Body>
bool parseBlock(QByteArrayView block, T& out, Body body) {
    T value{};
    if (!block.isEmpty()) {
        TemplateByteReader r(block);
        const qint32 version = r.readInt32();
        if (!r.ok() || version < 1 || version > T::kVersion) {
            return false;
        }
        body(r, value, version);
        if (!r.atEnd()) {
            return false;
        }
    }
    out = std::move(value);
    return true;
}

Font readFont(TemplateByteReader& r) {
    const QByteArray bytes = r.readBytes();
    if (!r.ok() || bytes.isEmpty()) {
        return std::nullopt;
    }
    LogFont font;
    if (!parseLogFont(bytes, font)) {
        r.fail();
        return std::nullopt;
    }
    return font;
}

void writeFont(TemplateByteWriter& w, const Font& font) {
    w.writeBytes(font ? writeLogFont(*font) : QByteArray());
}

ColourRef readColour(TemplateByteReader& r) {
    return r.readUInt32();
}

// The layout shared by check boxes and radio boxes up to the caption.
template <typename T>
void readChoiceBox(TemplateByteReader& r, T& v) {
    v.pushLike = r.readInt32();
    v.flat = r.readInt32();
    v.textOnLeft = r.readInt32();
    v.horizontalAlignment = r.readInt32();
    v.verticalAlignment = r.readInt32();
    v.textColour = readColour(r);
    v.backColour = readColour(r);
    v.checked = r.readInt32();
    v.picture = r.readBytes();
    v.font = readFont(r);
    v.caption = r.readText();
}

template <typename T>
void writeChoiceBox(TemplateByteWriter& w, const T& v) {
    w.writeInt32(T::kVersion);
    w.writeInt32(v.pushLike);
    w.writeInt32(v.flat);
    w.writeInt32(v.textOnLeft);
    w.writeInt32(v.horizontalAlignment);
    w.writeInt32(v.verticalAlignment);
    w.writeUInt32(v.textColour);
    w.writeUInt32(v.backColour);
    w.writeInt32(v.checked);
    w.writeBytes(v.picture);
    writeFont(w, v.font);
    w.writeText(v.caption);
}

bool parseColumns(QByteArrayView bytes, QList<ListViewColumn>& out) {
    TemplateByteReader r(bytes);
    QList<ListViewColumn> columns;
    while (r.ok() && !r.atEnd()) {
        ListViewColumn c;
        c.reserved = r.readUInt8();
        c.image = r.readInt32();
        c.alignment = r.readInt32();
        c.width = r.readInt32();
        c.title = r.readCString();
        columns.append(c);
    }
    if (!r.ok()) {
        return false;
    }
    out = columns;
    return true;
}

QByteArray writeColumns(const QList<ListViewColumn>& columns) {
    TemplateByteWriter w;
    for (const ListViewColumn& c : columns) {
        w.writeUInt8(c.reserved);
        w.writeInt32(c.image);
        w.writeInt32(c.alignment);
        w.writeInt32(c.width);
        w.writeCString(c.title);
    }
    return w.take();
}

template <typename T>
std::optional<QByteArray> rewrite(QByteArrayView block) {
    T value;
    if (!parse(block, value)) {
        return std::nullopt;
    }
    return write(value);
}

}  // namespace

bool parse(QByteArrayView block, WindowBlock& out) {
    return parseBlock(block, out, [](TemplateByteReader& r, WindowBlock& v, qint32 version) {
        v.border = r.readInt32();
        v.reserved1 = r.readInt32();
        v.backColour = readColour(r);
        v.maxButton = r.readInt32();
        v.minButton = r.readInt32();
        v.controlBox = r.readInt32();
        v.startPosition = r.readInt32();
        // Ints 14-18 came one or two at a time with versions 2 to 5; older blocks keep defaults.
        const int options = version >= 4 ? 10 : version == 3 ? 9 : version == 2 ? 7 : 6;
        for (int i = 0; i < options; ++i) {
            v.options[static_cast<size_t>(i)] = r.readInt32();
        }
        if (version >= 5) {
            v.reserved18 = r.readInt32();
        }
        if (version >= 6) {
            v.text1 = r.readText();
        }
        v.picture = r.readBytes();
        v.icon = r.readBytes();
        v.sound = r.readBytes();
        v.title = r.readText();
        v.text2 = r.readText();
    });
}

QByteArray write(const WindowBlock& v) {
    TemplateByteWriter w;
    w.writeInt32(WindowBlock::kVersion);
    w.writeInt32(v.border);
    w.writeInt32(v.reserved1);
    w.writeUInt32(v.backColour);
    w.writeInt32(v.maxButton);
    w.writeInt32(v.minButton);
    w.writeInt32(v.controlBox);
    w.writeInt32(v.startPosition);
    for (qint32 o : v.options) {
        w.writeInt32(o);
    }
    w.writeInt32(v.reserved18);
    w.writeText(v.text1);
    w.writeBytes(v.picture);
    w.writeBytes(v.icon);
    w.writeBytes(v.sound);
    w.writeText(v.title);
    w.writeText(v.text2);
    return w.take();
}

bool parse(QByteArrayView block, EditBoxBlock& out) {
    return parseBlock(block, out, [](TemplateByteReader& r, EditBoxBlock& v, qint32) {
        v.border = r.readInt32();
        v.textColour = readColour(r);
        v.backColour = readColour(r);
        v.hideSelection = r.readInt32();
        v.maxLength = r.readInt32();
        v.multiLine = r.readInt32();
        v.scrollBars = r.readInt32();
        v.alignment = r.readInt32();
        v.inputMode = r.readInt32();
        v.passwordChar = r.readUInt16();
        v.caseConversion = r.readInt32();
        v.spinMode = r.readInt32();
        v.spinMinimum = r.readInt32();
        v.spinMaximum = r.readInt32();
        v.selectionStart = r.readInt32();
        v.selectionLength = r.readInt32();
        v.font = readFont(r);
        v.content = r.readText();
        v.text1 = r.readText();
        v.text2 = r.readText();
    });
}

QByteArray write(const EditBoxBlock& v) {
    TemplateByteWriter w;
    w.writeInt32(EditBoxBlock::kVersion);
    w.writeInt32(v.border);
    w.writeUInt32(v.textColour);
    w.writeUInt32(v.backColour);
    w.writeInt32(v.hideSelection);
    w.writeInt32(v.maxLength);
    w.writeInt32(v.multiLine);
    w.writeInt32(v.scrollBars);
    w.writeInt32(v.alignment);
    w.writeInt32(v.inputMode);
    w.writeUInt16(v.passwordChar);
    w.writeInt32(v.caseConversion);
    w.writeInt32(v.spinMode);
    w.writeInt32(v.spinMinimum);
    w.writeInt32(v.spinMaximum);
    w.writeInt32(v.selectionStart);
    w.writeInt32(v.selectionLength);
    writeFont(w, v.font);
    w.writeText(v.content);
    w.writeText(v.text1);
    w.writeText(v.text2);
    return w.take();
}

bool parse(QByteArrayView block, LabelBlock& out) {
    return parseBlock(block, out, [](TemplateByteReader& r, LabelBlock& v, qint32) {
        v.border = r.readInt32();
        v.effect = r.readInt32();
        v.pictureMode = r.readInt32();
        v.horizontalAlignment = r.readInt32();
        v.verticalAlignment = r.readInt32();
        v.wordWrap = r.readInt32();
        v.textColour = readColour(r);
        v.backColour = readColour(r);
        for (qint32& x : v.reserved) {
            x = r.readInt32();
        }
        v.font = readFont(r);
        v.picture = r.readBytes();
        v.caption = r.readText();
        v.text1 = r.readText();
        v.text2 = r.readText();
    });
}

QByteArray write(const LabelBlock& v) {
    TemplateByteWriter w;
    w.writeInt32(LabelBlock::kVersion);
    w.writeInt32(v.border);
    w.writeInt32(v.effect);
    w.writeInt32(v.pictureMode);
    w.writeInt32(v.horizontalAlignment);
    w.writeInt32(v.verticalAlignment);
    w.writeInt32(v.wordWrap);
    w.writeUInt32(v.textColour);
    w.writeUInt32(v.backColour);
    for (qint32 x : v.reserved) {
        w.writeInt32(x);
    }
    writeFont(w, v.font);
    w.writeBytes(v.picture);
    w.writeText(v.caption);
    w.writeText(v.text1);
    w.writeText(v.text2);
    return w.take();
}

bool parse(QByteArrayView block, ButtonBlock& out) {
    return parseBlock(block, out, [](TemplateByteReader& r, ButtonBlock& v, qint32) {
        v.buttonType = r.readInt32();
        v.centreHorizontally = r.readInt32();
        v.centreVertically = r.readInt32();
        v.picture = r.readBytes();
        v.font = readFont(r);
        v.caption = r.readText();
    });
}

QByteArray write(const ButtonBlock& v) {
    TemplateByteWriter w;
    w.writeInt32(ButtonBlock::kVersion);
    w.writeInt32(v.buttonType);
    w.writeInt32(v.centreHorizontally);
    w.writeInt32(v.centreVertically);
    w.writeBytes(v.picture);
    writeFont(w, v.font);
    w.writeText(v.caption);
    return w.take();
}

bool parse(QByteArrayView block, CheckBoxBlock& out) {
    return parseBlock(block, out, [](TemplateByteReader& r, CheckBoxBlock& v, qint32 version) {
        readChoiceBox(r, v);
        if (version >= 2) {
            v.text1 = r.readText();
            v.text2 = r.readText();
        }
    });
}

QByteArray write(const CheckBoxBlock& v) {
    TemplateByteWriter w;
    writeChoiceBox(w, v);
    w.writeText(v.text1);
    w.writeText(v.text2);
    return w.take();
}

bool parse(QByteArrayView block, RadioBoxBlock& out) {
    return parseBlock(block, out,
                      [](TemplateByteReader& r, RadioBoxBlock& v, qint32) { readChoiceBox(r, v); });
}

QByteArray write(const RadioBoxBlock& v) {
    TemplateByteWriter w;
    writeChoiceBox(w, v);
    return w.take();
}

bool parse(QByteArrayView block, ComboBoxBlock& out) {
    return parseBlock(block, out, [](TemplateByteReader& r, ComboBoxBlock& v, qint32) {
        v.style = r.readInt32();
        v.maxLength = r.readInt32();
        v.selectionStart = r.readInt32();
        v.selectionLength = r.readInt32();
        v.sorted = r.readInt32();
        v.extraRowHeight = r.readInt32();
        v.textColour = readColour(r);
        v.backColour = readColour(r);
        v.currentItem = r.readInt32();
        v.font = readFont(r);
        const QByteArray values = r.readBytes();
        if (values.size() % 4 != 0) {
            r.fail();
        }
        for (qsizetype i = 0; r.ok() && i + 4 <= values.size(); i += 4) {
            v.itemValues.append(qFromLittleEndian<qint32>(values.constData() + i));
        }
        v.content = r.readText();
        v.items = r.readTextList();
        v.text1 = r.readText();
        v.text2 = r.readText();
        v.reserved = r.readInt32();
    });
}

QByteArray write(const ComboBoxBlock& v) {
    TemplateByteWriter w;
    w.writeInt32(ComboBoxBlock::kVersion);
    w.writeInt32(v.style);
    w.writeInt32(v.maxLength);
    w.writeInt32(v.selectionStart);
    w.writeInt32(v.selectionLength);
    w.writeInt32(v.sorted);
    w.writeInt32(v.extraRowHeight);
    w.writeUInt32(v.textColour);
    w.writeUInt32(v.backColour);
    w.writeInt32(v.currentItem);
    writeFont(w, v.font);
    TemplateByteWriter values;
    for (qint32 x : v.itemValues) {
        values.writeInt32(x);
    }
    w.writeBytes(values.data());
    w.writeText(v.content);
    w.writeTextList(v.items);
    w.writeText(v.text1);
    w.writeText(v.text2);
    w.writeInt32(v.reserved);
    return w.take();
}

bool parse(QByteArrayView block, GroupBoxBlock& out) {
    return parseBlock(block, out, [](TemplateByteReader& r, GroupBoxBlock& v, qint32) {
        v.style = r.readInt32();
        v.textColour = readColour(r);
        v.backColour = readColour(r);
        v.font = readFont(r);
        v.caption = r.readText();
    });
}

QByteArray write(const GroupBoxBlock& v) {
    TemplateByteWriter w;
    w.writeInt32(GroupBoxBlock::kVersion);
    w.writeInt32(v.style);
    w.writeUInt32(v.textColour);
    w.writeUInt32(v.backColour);
    writeFont(w, v.font);
    w.writeText(v.caption);
    return w.take();
}

bool parse(QByteArrayView block, PictureBoxBlock& out) {
    return parseBlock(block, out, [](TemplateByteReader& r, PictureBoxBlock& v, qint32) {
        v.border = r.readInt32();
        v.backColour = readColour(r);
        v.displayMode = r.readInt32();
        v.reserved = r.readInt32();
        v.picture = r.readBytes();
        v.text1 = r.readText();
        v.text2 = r.readText();
    });
}

QByteArray write(const PictureBoxBlock& v) {
    TemplateByteWriter w;
    w.writeInt32(PictureBoxBlock::kVersion);
    w.writeInt32(v.border);
    w.writeUInt32(v.backColour);
    w.writeInt32(v.displayMode);
    w.writeInt32(v.reserved);
    w.writeBytes(v.picture);
    w.writeText(v.text1);
    w.writeText(v.text2);
    return w.take();
}

bool parse(QByteArrayView block, ShapeBoxBlock& out) {
    return parseBlock(block, out, [](TemplateByteReader& r, ShapeBoxBlock& v, qint32) {
        v.shape = r.readInt32();
        v.lineStyle = r.readInt32();
        v.lineWidth = r.readInt32();
        v.lineColour = readColour(r);
        v.fillStyle = r.readInt32();
        v.fillColour = readColour(r);
    });
}

QByteArray write(const ShapeBoxBlock& v) {
    TemplateByteWriter w;
    w.writeInt32(ShapeBoxBlock::kVersion);
    w.writeInt32(v.shape);
    w.writeInt32(v.lineStyle);
    w.writeInt32(v.lineWidth);
    w.writeUInt32(v.lineColour);
    w.writeInt32(v.fillStyle);
    w.writeUInt32(v.fillColour);
    return w.take();
}

bool parse(QByteArrayView block, TimerBlock& out) {
    return parseBlock(block, out, [](TemplateByteReader& r, TimerBlock& v, qint32) {
        v.interval = r.readInt32();
    });
}

QByteArray write(const TimerBlock& v) {
    TemplateByteWriter w;
    w.writeInt32(TimerBlock::kVersion);
    w.writeInt32(v.interval);
    return w.take();
}

bool parse(QByteArrayView block, CommonDialogBlock& out) {
    return parseBlock(block, out, [](TemplateByteReader& r, CommonDialogBlock& v, qint32) {
        v.kind = r.readInt32();
        v.flags = r.readInt32();
        v.title = r.readText();
        v.filter = r.readText();
        v.defaultExtension = r.readText();
        v.initialFolder = r.readText();
        v.fileName = r.readText();
    });
}

QByteArray write(const CommonDialogBlock& v) {
    TemplateByteWriter w;
    w.writeInt32(CommonDialogBlock::kVersion);
    w.writeInt32(v.kind);
    w.writeInt32(v.flags);
    w.writeText(v.title);
    w.writeText(v.filter);
    w.writeText(v.defaultExtension);
    w.writeText(v.initialFolder);
    w.writeText(v.fileName);
    return w.take();
}

bool parse(QByteArrayView block, ListViewBlock& out) {
    return parseBlock(block, out, [](TemplateByteReader& r, ListViewBlock& v, qint32) {
        v.border = r.readInt32();
        v.textColour = readColour(r);
        v.backColour = readColour(r);
        v.reserved4 = r.readInt32();
        v.view = r.readInt32();
        v.singleSelection = r.readInt32();
        v.fullRowSelect = r.readInt32();
        v.gridLines = r.readInt32();
        v.checkBoxes = r.readInt32();
        v.alwaysShowSelection = r.readInt32();
        v.hideColumnHeaders = r.readInt32();
        v.sortOrder = r.readInt32();
        for (qint32& x : v.reserved) {
            x = r.readInt32();
        }
        v.font = readFont(r);
        v.block2 = r.readBytes();
        v.block3 = r.readBytes();
        const QByteArray columns = r.readBytes();
        if (r.ok() && !parseColumns(columns, v.columns)) {
            r.fail();
        }
        v.block5 = r.readBytes();
        v.block6 = r.readBytes();
    });
}

QByteArray write(const ListViewBlock& v) {
    TemplateByteWriter w;
    w.writeInt32(ListViewBlock::kVersion);
    w.writeInt32(v.border);
    w.writeUInt32(v.textColour);
    w.writeUInt32(v.backColour);
    w.writeInt32(v.reserved4);
    w.writeInt32(v.view);
    w.writeInt32(v.singleSelection);
    w.writeInt32(v.fullRowSelect);
    w.writeInt32(v.gridLines);
    w.writeInt32(v.checkBoxes);
    w.writeInt32(v.alwaysShowSelection);
    w.writeInt32(v.hideColumnHeaders);
    w.writeInt32(v.sortOrder);
    for (qint32 x : v.reserved) {
        w.writeInt32(x);
    }
    writeFont(w, v.font);
    w.writeBytes(v.block2);
    w.writeBytes(v.block3);
    w.writeBytes(writeColumns(v.columns));
    w.writeBytes(v.block5);
    w.writeBytes(v.block6);
    return w.take();
}

bool parse(QByteArrayView block, TabControlBlock& out) {
    return parseBlock(block, out, [](TemplateByteReader& r, TabControlBlock& v, qint32) {
        v.tabPosition = r.readInt32();
        v.multiLine = r.readInt32();
        v.buttonStyle = r.readInt32();
        v.tabWidth = r.readInt32();
        v.tabHeight = r.readInt32();
        v.textColour = readColour(r);
        v.backColour = readColour(r);
        v.currentPage = r.readInt32();
        const QByteArrayView font = r.readRaw(LogFont::kSize);
        if (r.ok() && font.count('\0') != LogFont::kSize) {
            LogFont f;
            if (parseLogFont(font, f)) {
                v.font = f;
            } else {
                r.fail();
            }
        }
        const qint32 count = r.readInt32();
        // A page takes at least 16 bytes; a larger count is damage.
        if (count < 0 || count > r.remaining() / 16) {
            r.fail();
            return;
        }
        for (qint32 i = 0; i < count && r.ok(); ++i) {
            TabPage p;
            p.title = r.readText();
            p.textColour = readColour(r);
            p.backColour = readColour(r);
            p.flags = r.readInt32();
            v.pages.append(p);
        }
    });
}

QByteArray write(const TabControlBlock& v) {
    TemplateByteWriter w;
    w.writeInt32(TabControlBlock::kVersion);
    w.writeInt32(v.tabPosition);
    w.writeInt32(v.multiLine);
    w.writeInt32(v.buttonStyle);
    w.writeInt32(v.tabWidth);
    w.writeInt32(v.tabHeight);
    w.writeUInt32(v.textColour);
    w.writeUInt32(v.backColour);
    w.writeInt32(v.currentPage);
    w.writeRaw(v.font ? writeLogFont(*v.font) : QByteArray(LogFont::kSize, '\0'));
    w.writeInt32(static_cast<qint32>(v.pages.size()));
    for (const TabPage& p : v.pages) {
        w.writeText(p.title);
        w.writeUInt32(p.textColour);
        w.writeUInt32(p.backColour);
        w.writeInt32(p.flags);
    }
    return w.take();
}

qint32 propertyBlockVersion(ComponentType type) {
    switch (type) {
        case ComponentType::Window:
            return WindowBlock::kVersion;
        case ComponentType::EditBox:
            return EditBoxBlock::kVersion;
        case ComponentType::PictureBox:
            return PictureBoxBlock::kVersion;
        case ComponentType::ShapeBox:
            return ShapeBoxBlock::kVersion;
        case ComponentType::DrawPanel:
            return 1;
        case ComponentType::GroupBox:
            return GroupBoxBlock::kVersion;
        case ComponentType::Label:
            return LabelBlock::kVersion;
        case ComponentType::Button:
            return ButtonBlock::kVersion;
        case ComponentType::CheckBox:
            return CheckBoxBlock::kVersion;
        case ComponentType::RadioBox:
            return RadioBoxBlock::kVersion;
        case ComponentType::ComboBox:
            return ComboBoxBlock::kVersion;
        case ComponentType::CommonDialog:
            return CommonDialogBlock::kVersion;
        case ComponentType::Timer:
            return TimerBlock::kVersion;
        case ComponentType::Printer:
            return 1;
        case ComponentType::ListView:
            return ListViewBlock::kVersion;
        case ComponentType::TabControl:
            return TabControlBlock::kVersion;
        case ComponentType::Menu:
        case ComponentType::DateBox:
        case ComponentType::Database:
        case ComponentType::SpreadsheetApplication:
        case ComponentType::SpreadsheetWorkbook:
            return 0;
    }
    return 0;
}

std::optional<QByteArray> rewritePropertyBlock(ComponentType type, QByteArrayView block) {
    switch (type) {
        case ComponentType::Window:
            return rewrite<WindowBlock>(block);
        case ComponentType::EditBox:
            return rewrite<EditBoxBlock>(block);
        case ComponentType::PictureBox:
            return rewrite<PictureBoxBlock>(block);
        case ComponentType::ShapeBox:
            return rewrite<ShapeBoxBlock>(block);
        case ComponentType::GroupBox:
            return rewrite<GroupBoxBlock>(block);
        case ComponentType::Label:
            return rewrite<LabelBlock>(block);
        case ComponentType::Button:
            return rewrite<ButtonBlock>(block);
        case ComponentType::CheckBox:
            return rewrite<CheckBoxBlock>(block);
        case ComponentType::RadioBox:
            return rewrite<RadioBoxBlock>(block);
        case ComponentType::ComboBox:
            return rewrite<ComboBoxBlock>(block);
        case ComponentType::CommonDialog:
            return rewrite<CommonDialogBlock>(block);
        case ComponentType::Timer:
            return rewrite<TimerBlock>(block);
        case ComponentType::ListView:
            return rewrite<ListViewBlock>(block);
        case ComponentType::TabControl:
            return rewrite<TabControlBlock>(block);
        case ComponentType::Menu:
        case ComponentType::DateBox:
        case ComponentType::Database:
        case ComponentType::SpreadsheetApplication:
        case ComponentType::SpreadsheetWorkbook:
            if (block.isEmpty()) {
                return QByteArray();
            }
            return std::nullopt;
        case ComponentType::DrawPanel:
        case ComponentType::Printer:
            return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace tillora
