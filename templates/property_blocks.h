#pragma once

// The property-data blocks of the component types, one plain struct per type with every stored
// field in stored order. For each: the member defaults are what an empty block gives,
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

// 1/32 timer.
struct TimerBlock {
    static constexpr qint32 kVersion = 1;
    qint32 interval = 1000;  // milliseconds

    bool operator==(const TimerBlock&) const = default;
};

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

// One column of a list view.
struct ListViewColumn {
    quint8 reserved = 0;
    qint32 image = -1;     // -1 none
    qint32 alignment = 0;  // 0 left, 1 centre, 2 right
    qint32 width = 100;    // pixels
    QString title;         // may begin with blanks

    bool operator==(const ListViewColumn&) const = default;
};

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

// One page of a tab control.
struct TabPage {
    QString title;
    ColourRef textColour = kBlack;
    ColourRef backColour = kDefaultColour;
    qint32 flags = 1;  // bit 0 visible, bit 1 disabled

    bool operator==(const TabPage&) const = default;
};

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
// (menu, date box, database, spreadsheet components) and for unknown types. The printer and the
// draw panel blocks belong to the printing code; this table knows only their version.
qint32 propertyBlockVersion(ComponentType type);

// Parses a block of the given type and writes it back at the latest version. No value when the
// block does not parse. Types without properties of their own accept only an empty block (given
// back empty); the printer, the draw panel and unknown types give no value.
std::optional<QByteArray> rewritePropertyBlock(ComponentType type, QByteArrayView block);

}  // namespace tillora
