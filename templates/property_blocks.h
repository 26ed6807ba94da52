#pragma once

// The property-data blocks of the component types, one plain struct per type. The member defaults
// are what an empty block gives. Each type's stored fields are listed once, in stored order, by
//   template <class Io> void fields(Io& io, Block& b, qint32 version)
// which hands every field to `io` under its name in the window sources (nullptr: kept in the
// block, not written in sources). The byte reader and writer (templates/block_io.h) and the window
// compiler's source binding are such Io types, so the three can't disagree about a field.
// parse(block, out) reads a block strictly (false on a short or over-long block, a bad length or a
// version above the type's), write(block) writes the type's latest version.
// Pure data: no widgets here, so the compiler and the tests use them without a display.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <array>
#include <optional>

#include "templates/log_font.h"
#include "templates/template_set.h"

namespace tillora {

// A COLORREF (0x00BBGGRR). kDefaultColour stands for the system's colour, or transparent where a
// background may be transparent.
using ColourRef = quint32;
inline constexpr ColourRef kDefaultColour = 0xFF000000u;
inline constexpr ColourRef kBlack = 0x000000u;
inline constexpr ColourRef kWhite = 0xFFFFFFu;
constexpr ColourRef rgbColour(int r, int g, int b) {
    return static_cast<ColourRef>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

// 1/1 window. Versions 1-5 lack some of the ints (see parse); version 6 added `text1`.
struct WindowBlock {
    static constexpr qint32 kVersion = 6;
    qint32 border = 2;  // 0 none, 1 resizable, 2 fixed single, 3 resizable narrow title,
                        // 4 fixed narrow title, 5 resizable sunken edge, 6 fixed sunken edge
    qint32 reserved1 = 1;
    ColourRef backColour = kDefaultColour;
    qint32 maxButton = 0;
    qint32 minButton = 1;
    qint32 controlBox = 1;
    qint32 startPosition = 1;  // 0 as stored, 1 centred, 2 minimised, 3 maximised
    // Ints 8-17 (the last four came with versions 2 to 4) and int 18 (version 5).
    std::array<qint32, 10> options{1, 0, 0, 1, 0, 0, 1, 0, 0, 0};
    qint32 reserved18 = 0;
    QString text1;  // version 6
    QByteArray picture;
    QByteArray icon;
    QByteArray sound;
    QString title;
    QString text2;

    bool hasTitleBar() const { return border != 0 && (!title.isEmpty() || controlBox != 0); }
    bool operator==(const WindowBlock&) const = default;
};

template <class Io>
void fields(Io& io, WindowBlock& b, qint32 version) {
    io.int32("border", b.border);
    io.int32(nullptr, b.reserved1);
    io.colour("backColour", b.backColour);
    io.int32("maxButton", b.maxButton);
    io.int32("minButton", b.minButton);
    io.int32("controlBox", b.controlBox);
    io.int32("startPosition", b.startPosition);
    // Ints 14-18 came one or two at a time with versions 2 to 5; older blocks keep defaults.
    const size_t options = version >= 4 ? 10 : version == 3 ? 9 : version == 2 ? 7 : 6;
    for (size_t i = 0; i < options; ++i) {
        io.int32(nullptr, b.options[i]);
    }
    if (version >= 5) {
        io.int32(nullptr, b.reserved18);
    }
    if (version >= 6) {
        io.text(nullptr, b.text1);
    }
    io.bytes("picture", b.picture);
    io.bytes("icon", b.icon);
    io.bytes(nullptr, b.sound);
    io.text("title", b.title);
    io.text(nullptr, b.text2);
}

// 1/5 edit box.
struct EditBoxBlock {
    static constexpr qint32 kVersion = 2;
    qint32 border = 1;  // 1 sunken
    ColourRef textColour = kBlack;
    ColourRef backColour = kWhite;
    qint32 hideSelection = 1;
    qint32 maxLength = 0;  // 0 = unlimited
    qint32 multiLine = 0;
    qint32 scrollBars = 0;  // 0 none, 1 horizontal, 2 vertical, 3 both
    qint32 alignment = 0;   // 0 left, 1 centre, 2 right
    qint32 inputMode = 0;   // InputMode numbers
    quint16 passwordChar = '*';
    qint32 caseConversion = 0;  // 0 none, 1 lower, 2 upper
    qint32 spinMode = 0;
    qint32 spinMinimum = 0;
    qint32 spinMaximum = 100;
    qint32 selectionStart = 0;
    qint32 selectionLength = 0;
    Font font;
    QString content;
    QString text1;
    QString text2;

    bool operator==(const EditBoxBlock&) const = default;
};

template <class Io>
void fields(Io& io, EditBoxBlock& b, qint32) {
    io.int32("border", b.border);
    io.colour("textColour", b.textColour);
    io.colour("backColour", b.backColour);
    io.int32("hideSelection", b.hideSelection);
    io.int32("maxLength", b.maxLength);
    io.int32("multiLine", b.multiLine);
    io.int32("scrollBars", b.scrollBars);
    io.int32("alignment", b.alignment);
    io.int32("inputMode", b.inputMode);
    io.char16("passwordChar", b.passwordChar);
    io.int32("caseConversion", b.caseConversion);
    io.int32("spinMode", b.spinMode);
    io.int32("spinMinimum", b.spinMinimum);
    io.int32("spinMaximum", b.spinMaximum);
    io.int32("selectionStart", b.selectionStart);
    io.int32("selectionLength", b.selectionLength);
    io.font("font", b.font);
    io.text("content", b.content);
    io.text(nullptr, b.text1);
    io.text(nullptr, b.text2);
}

// 1/10 label.
struct LabelBlock {
    static constexpr qint32 kVersion = 2;
    qint32 border = 0;  // 0 none, 1 sunken, 2 raised, 3 single line
    qint32 effect = 0;
    qint32 pictureMode = 0;          // 0 top-left, 1 stretched, 2 tiled, 3 centred
    qint32 horizontalAlignment = 0;  // 0 left, 1 centre, 2 right
    qint32 verticalAlignment = 0;    // 0 top, 1 centre, 2 bottom
    qint32 wordWrap = 1;             // wraps a long caption onto further lines
    ColourRef textColour = kBlack;
    ColourRef backColour = kDefaultColour;  // transparent
    std::array<qint32, 8> reserved{};
    Font font;
    QByteArray picture;
    QString caption;
    QString text1;
    QString text2;

    bool operator==(const LabelBlock&) const = default;
};

template <class Io>
void fields(Io& io, LabelBlock& b, qint32) {
    io.int32("border", b.border);
    io.int32("effect", b.effect);
    io.int32("pictureMode", b.pictureMode);
    io.int32("horizontalAlignment", b.horizontalAlignment);
    io.int32("verticalAlignment", b.verticalAlignment);
    io.int32("wordWrap", b.wordWrap);
    io.colour("textColour", b.textColour);
    io.colour("backColour", b.backColour);
    for (qint32& x : b.reserved) {
        io.int32(nullptr, x);
    }
    io.font("font", b.font);
    io.bytes("picture", b.picture);
    io.text("caption", b.caption);
    io.text(nullptr, b.text1);
    io.text(nullptr, b.text2);
}

// 1/11 button.
struct ButtonBlock {
    static constexpr qint32 kVersion = 1;
    qint32 buttonType = 0;
    qint32 centreHorizontally = 1;
    qint32 centreVertically = 1;
    QByteArray picture;
    Font font;
    QString caption;

    bool operator==(const ButtonBlock&) const = default;
};

template <class Io>
void fields(Io& io, ButtonBlock& b, qint32) {
    io.int32("buttonType", b.buttonType);
    io.int32("centreHorizontally", b.centreHorizontally);
    io.int32("centreVertically", b.centreVertically);
    io.bytes("picture", b.picture);
    io.font("font", b.font);
    io.text("caption", b.caption);
}

// 1/12 check box (version 2 added text1/text2) and 1/13 radio box share their leading fields.
struct CheckBoxBlock {
    static constexpr qint32 kVersion = 2;
    qint32 pushLike = 0;  // drawn as a button
    qint32 flat = 0;
    qint32 textOnLeft = 0;
    qint32 horizontalAlignment = 0;
    qint32 verticalAlignment = 1;
    ColourRef textColour = kBlack;
    ColourRef backColour = kDefaultColour;
    qint32 checked = 0;
    QByteArray picture;
    Font font;
    QString caption;
    QString text1;  // version 2
    QString text2;  // version 2

    bool operator==(const CheckBoxBlock&) const = default;
};

// The fields check boxes and radio boxes share, up to the caption.
template <class Io, class ChoiceBox>
void choiceBoxFields(Io& io, ChoiceBox& b) {
    io.int32("pushLike", b.pushLike);
    io.int32("flat", b.flat);
    io.int32("textOnLeft", b.textOnLeft);
    io.int32("horizontalAlignment", b.horizontalAlignment);
    io.int32("verticalAlignment", b.verticalAlignment);
    io.colour("textColour", b.textColour);
    io.colour("backColour", b.backColour);
    io.int32("checked", b.checked);
    io.bytes("picture", b.picture);
    io.font("font", b.font);
    io.text("caption", b.caption);
}

template <class Io>
void fields(Io& io, CheckBoxBlock& b, qint32 version) {
    choiceBoxFields(io, b);
    if (version >= 2) {
        io.text(nullptr, b.text1);
        io.text(nullptr, b.text2);
    }
}

struct RadioBoxBlock {
    static constexpr qint32 kVersion = 1;
    qint32 pushLike = 0;
    qint32 flat = 0;
    qint32 textOnLeft = 0;
    qint32 horizontalAlignment = 0;
    qint32 verticalAlignment = 1;
    ColourRef textColour = kBlack;
    ColourRef backColour = kDefaultColour;
    qint32 checked = 0;
    QByteArray picture;
    Font font;
    QString caption;

    bool operator==(const RadioBoxBlock&) const = default;
};

template <class Io>
void fields(Io& io, RadioBoxBlock& b, qint32) {
    choiceBoxFields(io, b);
}

// 1/14 combo box.
struct ComboBoxBlock {
    static constexpr qint32 kVersion = 3;
    qint32 style = 1;  // 0 simple, 1 editable drop-down, 2 drop-down list
    qint32 maxLength = 0;
    qint32 selectionStart = 0;
    qint32 selectionLength = 0;
    qint32 sorted = 0;
    qint32 extraRowHeight = 1;
    ColourRef textColour = kBlack;
    ColourRef backColour = kWhite;
    qint32 currentItem = -1;  // -1 none
    Font font;
    QList<qint32> itemValues;  // for the first items; may be shorter than `items`
    QString content;
    QStringList items;
    QString text1;
    QString text2;
    qint32 reserved = 0;

    bool operator==(const ComboBoxBlock&) const = default;
};

template <class Io>
void fields(Io& io, ComboBoxBlock& b, qint32) {
    io.int32("style", b.style);
    io.int32("maxLength", b.maxLength);
    io.int32("selectionStart", b.selectionStart);
    io.int32("selectionLength", b.selectionLength);
    io.int32("sorted", b.sorted);
    io.int32("extraRowHeight", b.extraRowHeight);
    io.colour("textColour", b.textColour);
    io.colour("backColour", b.backColour);
    io.int32("currentItem", b.currentItem);
    io.font("font", b.font);
    io.intBytes("itemValues", b.itemValues);
    io.text("content", b.content);
    io.textList("items", b.items);
    io.text(nullptr, b.text1);
    io.text(nullptr, b.text2);
    io.int32(nullptr, b.reserved);
}

// 1/9 group box.
struct GroupBoxBlock {
    static constexpr qint32 kVersion = 1;
    qint32 style = 0;
    ColourRef textColour = kBlack;
    ColourRef backColour = kDefaultColour;
    Font font;
    QString caption;

    bool operator==(const GroupBoxBlock&) const = default;
};

template <class Io>
void fields(Io& io, GroupBoxBlock& b, qint32) {
    io.int32("style", b.style);
    io.colour("textColour", b.textColour);
    io.colour("backColour", b.backColour);
    io.font("font", b.font);
    io.text("caption", b.caption);
}

// 1/6 picture box.
struct PictureBoxBlock {
    static constexpr qint32 kVersion = 2;
    qint32 border = 0;
    ColourRef backColour = kDefaultColour;
    qint32 displayMode = 1;  // 0 top-left at natural size, 1 stretched, 2 tiled, 3 centred
    qint32 reserved = 1;
    QByteArray picture;  // the whole image file
    QString text1;
    QString text2;

    bool operator==(const PictureBoxBlock&) const = default;
};

template <class Io>
void fields(Io& io, PictureBoxBlock& b, qint32) {
    io.int32("border", b.border);
    io.colour("backColour", b.backColour);
    io.int32("displayMode", b.displayMode);
    io.int32(nullptr, b.reserved);
    io.bytes("picture", b.picture);
    io.text(nullptr, b.text1);
    io.text(nullptr, b.text2);
}

// 1/7 shape box: the frame drawn around a group of components.
struct ShapeBoxBlock {
    static constexpr qint32 kVersion = 1;
    qint32 shape = 0;      // 0 rectangle, 1 rounded rectangle, 2 ellipse
    qint32 lineStyle = 1;  // pen styles as the printer's PenType
    qint32 lineWidth = 1;
    ColourRef lineColour = kBlack;
    qint32 fillStyle = 0;  // 0 hollow, 1 solid
    ColourRef fillColour = kDefaultColour;

    bool operator==(const ShapeBoxBlock&) const = default;
};

template <class Io>
void fields(Io& io, ShapeBoxBlock& b, qint32) {
    io.int32("shape", b.shape);
    io.int32("lineStyle", b.lineStyle);
    io.int32("lineWidth", b.lineWidth);
    io.colour("lineColour", b.lineColour);
    io.int32("fillStyle", b.fillStyle);
    io.colour("fillColour", b.fillColour);
}

// 1/32 timer.
struct TimerBlock {
    static constexpr qint32 kVersion = 1;
    qint32 interval = 1000;  // milliseconds

    bool operator==(const TimerBlock&) const = default;
};

template <class Io>
void fields(Io& io, TimerBlock& b, qint32) {
    io.int32("interval", b.interval);
}

// 1/31 common dialog.
struct CommonDialogBlock {
    static constexpr qint32 kVersion = 1;
    qint32 kind = 0;  // 0 open file, 1 save file, 2 colour, 3 font
    qint32 flags = 0;
    QString title;
    QString filter;  // "description|pattern|description|pattern"
    QString defaultExtension;
    QString initialFolder;
    QString fileName;

    bool operator==(const CommonDialogBlock&) const = default;
};

template <class Io>
void fields(Io& io, CommonDialogBlock& b, qint32) {
    io.int32("kind", b.kind);
    io.int32("flags", b.flags);
    io.text("title", b.title);
    io.text("filter", b.filter);
    io.text("defaultExtension", b.defaultExtension);
    io.text("initialFolder", b.initialFolder);
    io.text("fileName", b.fileName);
}

// One column of a list view.
struct ListViewColumn {
    quint8 reserved = 0;
    qint32 image = -1;     // -1 none
    qint32 alignment = 0;  // 0 left, 1 centre, 2 right
    qint32 width = 100;    // pixels
    QString title;         // may begin with blanks

    bool operator==(const ListViewColumn&) const = default;
};

template <class Io>
void fields(Io& io, ListViewColumn& c) {
    io.uint8(nullptr, c.reserved);
    io.int32("image", c.image);
    io.int32("alignment", c.alignment);
    io.int32("width", c.width);
    io.cstring("title", c.title);
}

// 2/4 list view.
struct ListViewBlock {
    static constexpr qint32 kVersion = 1;
    qint32 border = 1;
    ColourRef textColour = kBlack;
    ColourRef backColour = kWhite;
    qint32 reserved4 = 0;
    qint32 view = 3;  // 0 icons, 1 small icons, 2 list, 3 report (rows under column headers)
    qint32 singleSelection = 1;
    qint32 fullRowSelect = 1;
    qint32 gridLines = 1;
    qint32 checkBoxes = 0;
    qint32 alwaysShowSelection = 1;
    qint32 hideColumnHeaders = 0;
    qint32 sortOrder = 0;  // 0 none
    std::array<qint32, 12> reserved{};
    Font font;
    QByteArray block2;
    QByteArray block3;
    QList<ListViewColumn> columns;
    QByteArray block5;
    QByteArray block6;

    bool operator==(const ListViewBlock&) const = default;
};

template <class Io>
void fields(Io& io, ListViewBlock& b, qint32) {
    io.int32("border", b.border);
    io.colour("textColour", b.textColour);
    io.colour("backColour", b.backColour);
    io.int32(nullptr, b.reserved4);
    io.int32("view", b.view);
    io.int32("singleSelection", b.singleSelection);
    io.int32("fullRowSelect", b.fullRowSelect);
    io.int32("gridLines", b.gridLines);
    io.int32("checkBoxes", b.checkBoxes);
    io.int32("alwaysShowSelection", b.alwaysShowSelection);
    io.int32("hideColumnHeaders", b.hideColumnHeaders);
    io.int32("sortOrder", b.sortOrder);
    for (qint32& x : b.reserved) {
        io.int32(nullptr, x);
    }
    io.font("font", b.font);
    io.bytes(nullptr, b.block2);
    io.bytes(nullptr, b.block3);
    io.recordBytes("columns", b.columns);
    io.bytes(nullptr, b.block5);
    io.bytes(nullptr, b.block6);
}

// One page of a tab control.
struct TabPage {
    QString title;
    ColourRef textColour = kBlack;
    ColourRef backColour = kDefaultColour;
    qint32 flags = 1;  // bit 0 visible, bit 1 disabled

    bool operator==(const TabPage&) const = default;
};

template <class Io>
void fields(Io& io, TabPage& p) {
    io.text("title", p.title);
    io.colour("textColour", p.textColour);
    io.colour("backColour", p.backColour);
    io.flags(nullptr, p.flags, {{"visible", 1}, {"disabled", 2}});
}

// 7/2 tab control.
struct TabControlBlock {
    static constexpr qint32 kVersion = 7;
    qint32 tabPosition = 0;  // 0 top, 1 bottom, 2 left, 3 right
    qint32 multiLine = 0;
    qint32 buttonStyle = 0;
    qint32 tabWidth = 0;   // 0 = fit the title
    qint32 tabHeight = 0;  // 0 = default
    ColourRef textColour = kBlack;
    ColourRef backColour = kDefaultColour;
    qint32 currentPage = 0;
    Font font;  // stored as a fixed 60-byte record; all zero bytes = default font
    QList<TabPage> pages;

    bool operator==(const TabControlBlock&) const = default;
};

template <class Io>
void fields(Io& io, TabControlBlock& b, qint32) {
    io.int32("tabPosition", b.tabPosition);
    io.int32("multiLine", b.multiLine);
    io.int32("buttonStyle", b.buttonStyle);
    io.int32("tabWidth", b.tabWidth);
    io.int32("tabHeight", b.tabHeight);
    io.colour("textColour", b.textColour);
    io.colour("backColour", b.backColour);
    io.int32("currentPage", b.currentPage);
    io.fixedFont("font", b.font);
    // A page takes at least 16 bytes (an empty title, two colours and the flags).
    io.countedRecords("pages", b.pages, 16);
}

bool parse(QByteArrayView block, WindowBlock& out);
bool parse(QByteArrayView block, EditBoxBlock& out);
bool parse(QByteArrayView block, LabelBlock& out);
bool parse(QByteArrayView block, ButtonBlock& out);
bool parse(QByteArrayView block, CheckBoxBlock& out);
bool parse(QByteArrayView block, RadioBoxBlock& out);
bool parse(QByteArrayView block, ComboBoxBlock& out);
bool parse(QByteArrayView block, GroupBoxBlock& out);
bool parse(QByteArrayView block, PictureBoxBlock& out);
bool parse(QByteArrayView block, ShapeBoxBlock& out);
bool parse(QByteArrayView block, TimerBlock& out);
bool parse(QByteArrayView block, CommonDialogBlock& out);
bool parse(QByteArrayView block, ListViewBlock& out);
bool parse(QByteArrayView block, TabControlBlock& out);

// Texts are written in GBK; a character without a GBK form is written as '?' (the compiler
// catches that by reading its blocks back).
QByteArray write(const WindowBlock& block);
QByteArray write(const EditBoxBlock& block);
QByteArray write(const LabelBlock& block);
QByteArray write(const ButtonBlock& block);
QByteArray write(const CheckBoxBlock& block);
QByteArray write(const RadioBoxBlock& block);
QByteArray write(const ComboBoxBlock& block);
QByteArray write(const GroupBoxBlock& block);
QByteArray write(const PictureBoxBlock& block);
QByteArray write(const ShapeBoxBlock& block);
QByteArray write(const TimerBlock& block);
QByteArray write(const CommonDialogBlock& block);
QByteArray write(const ListViewBlock& block);
QByteArray write(const TabControlBlock& block);

// The latest property-data version of a type; 0 for types that keep no properties of their own
// (menu, date box, database, spreadsheet components) and for unknown types.
qint32 propertyBlockVersion(ComponentType type);

// Parses a block of the given type and writes it back at the latest version. No value when the
// block does not parse. Types without properties of their own accept only an empty block (given
// back empty); unknown types give no value.
std::optional<QByteArray> rewritePropertyBlock(ComponentType type, QByteArrayView block);

}  // namespace tillora
