// Every stored block type against bytes written out by hand from the stored format: the reader
// must find each field where the format puts it, and the writer must give back the same bytes.
// Field values differ from their neighbours, so two fields swapped in both the reader and the
// writer still fail here even though they would round-trip.
#include <gtest/gtest.h>

#include <initializer_list>

#include "templates/draw_panel_block.h"
#include "templates/printer_block.h"
#include "templates/property_blocks.h"

namespace tillora {
namespace {

using Bytes = std::initializer_list<unsigned char>;

QByteArray join(std::initializer_list<Bytes> parts) {
    QByteArray out;
    for (const Bytes& part : parts) {
        for (unsigned char b : part) {
            out.append(static_cast<char>(b));
        }
    }
    return out;
}

// A font record: height -14 (character height), weight 700, italic, GB2312, face 宋体.
const Bytes kFontRecord = {
    0xF2, 0xFF, 0xFF, 0xFF,  // height
    0x00, 0x00, 0x00, 0x00,  // width
    0x00, 0x00, 0x00, 0x00,  // escapement
    0x00, 0x00, 0x00, 0x00,  // orientation
    0xBC, 0x02, 0x00, 0x00,  // weight
    0x01,                    // italic
    0x00, 0x00,              // underline, strike-out
    0x86,                    // character set
    0x00, 0x00, 0x00, 0x00,  // precisions, quality, pitch and family
    0xCB, 0xCE, 0xCC, 0xE5,  // 宋体 in GBK, then zeros to 32 bytes
    0,    0,    0,    0,    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
};
const Bytes kFontBytes = {0x3C, 0x00, 0x00, 0x00};  // *bytes* length 60, the record follows
const Bytes kNoFont = {0x00, 0x00, 0x00, 0x00};
const Bytes kEmpty = {0x00, 0x00, 0x00, 0x00};  // an empty *bytes* or *text*

void expectSongFont(const Font& font) {
    ASSERT_TRUE(font.has_value());
    EXPECT_EQ(font->height, -14);
    EXPECT_EQ(font->weight, 700);
    EXPECT_EQ(font->italic, 1);
    EXPECT_EQ(font->charSet, 134);
    EXPECT_EQ(font->faceName, QStringLiteral("宋体"));
}

template <typename T>
T readBack(const QByteArray& fixture) {
    T block;
    EXPECT_TRUE(parse(fixture, block));
    EXPECT_EQ(write(block), fixture);
    return block;
}

TEST(BlockFixtures, WindowAndEditBox) {
    const WindowBlock w = readBack<WindowBlock>(join({
        {6, 0, 0, 0},                                                       // version
        {3, 0, 0, 0},                                                       // border
        {1, 0, 0, 0},                                                       // (1)
        {0x10, 0x20, 0x30, 0x00},                                           // background colour
        {5, 0, 0, 0},                                                       // maximise button
        {6, 0, 0, 0},                                                       // minimise button
        {7, 0, 0, 0},                                                       // control box
        {8, 0, 0, 0},                                                       // start position
        {21, 0, 0, 0, 22, 0, 0, 0, 23, 0, 0, 0, 24, 0, 0, 0, 25, 0, 0, 0},  // ten ints
        {26, 0, 0, 0, 27, 0, 0, 0, 28, 0, 0, 0, 29, 0, 0, 0, 30, 0, 0, 0},
        {31, 0, 0, 0},                         // int
        {1, 0, 0, 0, 'a'},                     // text
        {2, 0, 0, 0, 'P', '1'},                // picture
        {1, 0, 0, 0, 'I'},                     // icon
        kEmpty,                                // sound
        {4, 0, 0, 0, 0xB5, 0xC7, 0xC2, 0xBC},  // title 登录
        {1, 0, 0, 0, 'z'},                     // text
    }));
    EXPECT_EQ(w.border, 3);
    EXPECT_EQ(w.reserved1, 1);
    EXPECT_EQ(w.backColour, 0x00302010u);
    EXPECT_EQ(w.maxButton, 5);
    EXPECT_EQ(w.minButton, 6);
    EXPECT_EQ(w.controlBox, 7);
    EXPECT_EQ(w.startPosition, 8);
    EXPECT_EQ(w.options, (std::array<qint32, 10>{21, 22, 23, 24, 25, 26, 27, 28, 29, 30}));
    EXPECT_EQ(w.reserved18, 31);
    EXPECT_EQ(w.text1, QStringLiteral("a"));
    EXPECT_EQ(w.picture, QByteArray("P1"));
    EXPECT_EQ(w.icon, QByteArray("I"));
    EXPECT_TRUE(w.sound.isEmpty());
    EXPECT_EQ(w.title, QStringLiteral("登录"));
    EXPECT_EQ(w.text2, QStringLiteral("z"));

    const EditBoxBlock e = readBack<EditBoxBlock>(join({
        {2, 0, 0, 0},              // version
        {1, 0, 0, 0},              // border
        {0x11, 0x22, 0x33, 0x00},  // text colour
        {0x44, 0x55, 0x66, 0x00},  // background colour
        {2, 0, 0, 0},              // hide selection
        {3, 0, 0, 0},              // maximum length
        {4, 0, 0, 0},              // multi-line
        {5, 0, 0, 0},              // scroll bars
        {6, 0, 0, 0},              // alignment
        {7, 0, 0, 0},              // input mode
        {'#', 0},                  // password character, 16 bits
        {8, 0, 0, 0},              // case conversion
        {9, 0, 0, 0},              // spin mode
        {10, 0, 0, 0},             // spin minimum
        {11, 0, 0, 0},             // spin maximum
        {12, 0, 0, 0},             // selection start
        {13, 0, 0, 0},             // selection length
        kFontBytes,
        kFontRecord,             // font
        {2, 0, 0, 0, 'a', 'b'},  // content
        {1, 0, 0, 0, 'c'},       // text
        kEmpty,                  // text
    }));
    EXPECT_EQ(e.border, 1);
    EXPECT_EQ(e.textColour, 0x00332211u);
    EXPECT_EQ(e.backColour, 0x00665544u);
    EXPECT_EQ(e.hideSelection, 2);
    EXPECT_EQ(e.maxLength, 3);
    EXPECT_EQ(e.multiLine, 4);
    EXPECT_EQ(e.scrollBars, 5);
    EXPECT_EQ(e.alignment, 6);
    EXPECT_EQ(e.inputMode, 7);
    EXPECT_EQ(e.passwordChar, u'#');
    EXPECT_EQ(e.caseConversion, 8);
    EXPECT_EQ(e.spinMode, 9);
    EXPECT_EQ(e.spinMinimum, 10);
    EXPECT_EQ(e.spinMaximum, 11);
    EXPECT_EQ(e.selectionStart, 12);
    EXPECT_EQ(e.selectionLength, 13);
    expectSongFont(e.font);
    EXPECT_EQ(e.content, QStringLiteral("ab"));
    EXPECT_EQ(e.text1, QStringLiteral("c"));
    EXPECT_TRUE(e.text2.isEmpty());
}

TEST(BlockFixtures, LabelButtonAndGroupBox) {
    const LabelBlock l = readBack<LabelBlock>(join({
        {2, 0, 0, 0},                                          // version
        {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0},                  // border, effect, picture mode
        {4, 0, 0, 0, 5, 0, 0, 0, 6, 0, 0, 0},                  // alignments, word wrap
        {0x11, 0x22, 0x33, 0x00},                              // text colour (seventh int)
        {0x00, 0x00, 0x00, 0xFF},                              // background: transparent
        {21, 0, 0, 0, 22, 0, 0, 0, 23, 0, 0, 0, 24, 0, 0, 0},  // eight more ints
        {25, 0, 0, 0, 26, 0, 0, 0, 27, 0, 0, 0, 28, 0, 0, 0},
        kNoFont,                               // font
        {3, 0, 0, 0, 'P', 'N', 'G'},           // picture
        {4, 0, 0, 0, 0xD0, 0xA1, 0xC6, 0xB1},  // caption 小票
        kEmpty,                                // text
        {1, 0, 0, 0, 'x'},                     // text
    }));
    EXPECT_EQ(l.border, 1);
    EXPECT_EQ(l.effect, 2);
    EXPECT_EQ(l.pictureMode, 3);
    EXPECT_EQ(l.horizontalAlignment, 4);
    EXPECT_EQ(l.verticalAlignment, 5);
    EXPECT_EQ(l.wordWrap, 6);
    EXPECT_EQ(l.textColour, 0x00332211u);
    EXPECT_EQ(l.backColour, kDefaultColour);
    EXPECT_EQ(l.reserved, (std::array<qint32, 8>{21, 22, 23, 24, 25, 26, 27, 28}));
    EXPECT_FALSE(l.font.has_value());
    EXPECT_EQ(l.picture, QByteArray("PNG"));
    EXPECT_EQ(l.caption, QStringLiteral("小票"));
    EXPECT_TRUE(l.text1.isEmpty());
    EXPECT_EQ(l.text2, QStringLiteral("x"));

    const ButtonBlock b = readBack<ButtonBlock>(join({
        {1, 0, 0, 0},                          // version
        {2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0},  // type, centred across, centred down
        {1, 0, 0, 0, 'p'},                     // picture
        kFontBytes,
        kFontRecord,             // font
        {2, 0, 0, 0, 'O', 'K'},  // caption
    }));
    EXPECT_EQ(b.buttonType, 2);
    EXPECT_EQ(b.centreHorizontally, 3);
    EXPECT_EQ(b.centreVertically, 4);
    EXPECT_EQ(b.picture, QByteArray("p"));
    expectSongFont(b.font);
    EXPECT_EQ(b.caption, QStringLiteral("OK"));

    const GroupBoxBlock g = readBack<GroupBoxBlock>(join({
        {1, 0, 0, 0},              // version
        {5, 0, 0, 0},              // style
        {0x11, 0x22, 0x33, 0x00},  // text colour
        {0x44, 0x55, 0x66, 0x00},  // background colour
        kFontBytes,
        kFontRecord,             // font
        {2, 0, 0, 0, 'g', 'b'},  // caption
    }));
    EXPECT_EQ(g.style, 5);
    EXPECT_EQ(g.textColour, 0x00332211u);
    EXPECT_EQ(g.backColour, 0x00665544u);
    expectSongFont(g.font);
    EXPECT_EQ(g.caption, QStringLiteral("gb"));
}

TEST(BlockFixtures, CheckBoxAndRadioBox) {
    const Bytes shared = {
        1,    0,    0,    0,    2,   0,   0, 0, 3, 0, 0, 0,  // push-like, flat, text on the left
        4,    0,    0,    0,    5,   0,   0, 0,              // alignments
        0x11, 0x22, 0x33, 0x00,                              // text colour (sixth int)
        0x44, 0x55, 0x66, 0x00,                              // background colour (seventh)
        6,    0,    0,    0,                                 // checked (eighth)
        1,    0,    0,    0,    'p',                         // picture
        0,    0,    0,    0,                                 // font: default
        2,    0,    0,    0,    'c', 'b',                    // caption
    };
    auto expectShared = [](const auto& v) {
        EXPECT_EQ(v.pushLike, 1);
        EXPECT_EQ(v.flat, 2);
        EXPECT_EQ(v.textOnLeft, 3);
        EXPECT_EQ(v.horizontalAlignment, 4);
        EXPECT_EQ(v.verticalAlignment, 5);
        EXPECT_EQ(v.textColour, 0x00332211u);
        EXPECT_EQ(v.backColour, 0x00665544u);
        EXPECT_EQ(v.checked, 6);
        EXPECT_EQ(v.picture, QByteArray("p"));
        EXPECT_FALSE(v.font.has_value());
        EXPECT_EQ(v.caption, QStringLiteral("cb"));
    };
    const CheckBoxBlock c = readBack<CheckBoxBlock>(join({
        {2, 0, 0, 0},  // version
        shared,
        {1, 0, 0, 0, 'x'},  // text (version 2)
        {1, 0, 0, 0, 'y'},  // text (version 2)
    }));
    expectShared(c);
    EXPECT_EQ(c.text1, QStringLiteral("x"));
    EXPECT_EQ(c.text2, QStringLiteral("y"));

    expectShared(readBack<RadioBoxBlock>(join({{1, 0, 0, 0}, shared})));
}

TEST(BlockFixtures, ComboBox) {
    const ComboBoxBlock c = readBack<ComboBoxBlock>(join({
        {3, 0, 0, 0},                                      // version
        {2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0, 5, 0, 0, 0},  // style, length, selection
        {6, 0, 0, 0, 7, 0, 0, 0},                          // sorted, extra row height
        {0x11, 0x22, 0x33, 0x00},                          // text colour
        {0x44, 0x55, 0x66, 0x00},                          // background colour
        {0xFF, 0xFF, 0xFF, 0xFF},                          // current item: none
        kNoFont,                                           // font
        {8, 0, 0, 0, 10, 0, 0, 0, 11, 0, 0, 0},            // item values
        {2, 0, 0, 0, 'a', 'b'},                            // content
        {2, 0},                                            // text list: 16-bit count
        {1, 0, 0, 0, 'x'},                                 //   item
        {4, 0, 0, 0, 0xD0, 0xA1, 0xC6, 0xB1},              //   item 小票
        kEmpty,                                            // text
        {1, 0, 0, 0, 'z'},                                 // text
        {9, 0, 0, 0},                                      // int
    }));
    EXPECT_EQ(c.style, 2);
    EXPECT_EQ(c.maxLength, 3);
    EXPECT_EQ(c.selectionStart, 4);
    EXPECT_EQ(c.selectionLength, 5);
    EXPECT_EQ(c.sorted, 6);
    EXPECT_EQ(c.extraRowHeight, 7);
    EXPECT_EQ(c.textColour, 0x00332211u);
    EXPECT_EQ(c.backColour, 0x00665544u);
    EXPECT_EQ(c.currentItem, -1);
    EXPECT_FALSE(c.font.has_value());
    EXPECT_EQ(c.itemValues, (QList<qint32>{10, 11}));
    EXPECT_EQ(c.content, QStringLiteral("ab"));
    EXPECT_EQ(c.items, (QStringList{QStringLiteral("x"), QStringLiteral("小票")}));
    EXPECT_TRUE(c.text1.isEmpty());
    EXPECT_EQ(c.text2, QStringLiteral("z"));
    EXPECT_EQ(c.reserved, 9);
}

TEST(BlockFixtures, PictureShapeTimerAndCommonDialog) {
    const PictureBoxBlock p = readBack<PictureBoxBlock>(join({
        {2, 0, 0, 0},                 // version
        {1, 0, 0, 0},                 // border
        {0x44, 0x55, 0x66, 0x00},     // background colour
        {2, 0, 0, 0},                 // display mode
        {3, 0, 0, 0},                 // (1)
        {3, 0, 0, 0, 'P', 'I', 'C'},  // picture
        {1, 0, 0, 0, 'a'},            // text
        kEmpty,                       // text
    }));
    EXPECT_EQ(p.border, 1);
    EXPECT_EQ(p.backColour, 0x00665544u);
    EXPECT_EQ(p.displayMode, 2);
    EXPECT_EQ(p.reserved, 3);
    EXPECT_EQ(p.picture, QByteArray("PIC"));
    EXPECT_EQ(p.text1, QStringLiteral("a"));
    EXPECT_TRUE(p.text2.isEmpty());

    const ShapeBoxBlock s = readBack<ShapeBoxBlock>(join({
        {1, 0, 0, 0},                          // version
        {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0},  // shape, line style, line width
        {0x11, 0x22, 0x33, 0x00},              // line colour
        {4, 0, 0, 0},                          // fill style
        {0x44, 0x55, 0x66, 0x00},              // fill colour
    }));
    EXPECT_EQ(s.shape, 1);
    EXPECT_EQ(s.lineStyle, 2);
    EXPECT_EQ(s.lineWidth, 3);
    EXPECT_EQ(s.lineColour, 0x00332211u);
    EXPECT_EQ(s.fillStyle, 4);
    EXPECT_EQ(s.fillColour, 0x00665544u);

    EXPECT_EQ(readBack<TimerBlock>(join({{1, 0, 0, 0}, {0xE8, 0x03, 0, 0}})).interval, 1000);

    const CommonDialogBlock d = readBack<CommonDialogBlock>(join({
        {1, 0, 0, 0},                                                          // version
        {1, 0, 0, 0},                                                          // kind: save
        {6, 0, 0, 0},                                                          // flags
        {2, 0, 0, 0, 't', 'i'},                                                // title
        {11, 0, 0, 0, '*', '.', 'x', 'l', 's', '|', '*', '.', 'x', 'l', 's'},  // filter
        {4, 0, 0, 0, '.', 'x', 'l', 's'},                                      // default extension
        kEmpty,                                                                // initial folder
        {1, 0, 0, 0, 'f'},                                                     // file name
    }));
    EXPECT_EQ(d.kind, 1);
    EXPECT_EQ(d.flags, 6);
    EXPECT_EQ(d.title, QStringLiteral("ti"));
    EXPECT_EQ(d.filter, QStringLiteral("*.xls|*.xls"));
    EXPECT_EQ(d.defaultExtension, QStringLiteral(".xls"));
    EXPECT_TRUE(d.initialFolder.isEmpty());
    EXPECT_EQ(d.fileName, QStringLiteral("f"));
}

TEST(BlockFixtures, ListViewWithColumns) {
    const ListViewBlock v = readBack<ListViewBlock>(join({
        {1, 0, 0, 0},                                          // version
        {1, 0, 0, 0},                                          // border
        {0x11, 0x22, 0x33, 0x00},                              // text colour
        {0x44, 0x55, 0x66, 0x00},                              // background colour
        {2, 0, 0, 0},                                          // int
        {3, 0, 0, 0},                                          // view (fifth int)
        {4, 0, 0, 0, 5, 0, 0, 0, 6, 0, 0, 0, 7, 0, 0, 0},      // selection, full row, grid, checks
        {8, 0, 0, 0, 9, 0, 0, 0, 10, 0, 0, 0},                 // show selection, no headers, sort
        {21, 0, 0, 0, 22, 0, 0, 0, 23, 0, 0, 0, 24, 0, 0, 0},  // twelve more ints: 24 in all
        {25, 0, 0, 0, 26, 0, 0, 0, 27, 0, 0, 0, 28, 0, 0, 0},
        {29, 0, 0, 0, 30, 0, 0, 0, 31, 0, 0, 0, 32, 0, 0, 0},
        kFontBytes,
        kFontRecord,                                           // font
        kEmpty,                                                // block
        {1, 0, 0, 0, 'q'},                                     // block
        {36, 0, 0, 0},                                         // column list, 36 bytes:
        {0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 50, 0, 0, 0},  //   (0), no image, left, 50 px
        {'N', 'o', 0},                                         //   title
        {0, 1, 0, 0, 0, 2, 0, 0, 0, 100, 0, 0, 0},             //   (0), image 1, right, 100 px
        {' ', ' ', 0xC3, 0xFB, 0xB3, 0xC6, 0},                 //   title "  名称"
        kEmpty,                                                // block
        {1, 0, 0, 0, 'r'},                                     // block
    }));
    EXPECT_EQ(v.border, 1);
    EXPECT_EQ(v.textColour, 0x00332211u);
    EXPECT_EQ(v.backColour, 0x00665544u);
    EXPECT_EQ(v.reserved4, 2);
    EXPECT_EQ(v.view, 3);
    EXPECT_EQ(v.singleSelection, 4);
    EXPECT_EQ(v.fullRowSelect, 5);
    EXPECT_EQ(v.gridLines, 6);
    EXPECT_EQ(v.checkBoxes, 7);
    EXPECT_EQ(v.alwaysShowSelection, 8);
    EXPECT_EQ(v.hideColumnHeaders, 9);
    EXPECT_EQ(v.sortOrder, 10);
    EXPECT_EQ(v.reserved, (std::array<qint32, 12>{21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32}));
    expectSongFont(v.font);
    EXPECT_TRUE(v.block2.isEmpty());
    EXPECT_EQ(v.block3, QByteArray("q"));
    ASSERT_EQ(v.columns.size(), 2);
    EXPECT_EQ(v.columns[0].image, -1);
    EXPECT_EQ(v.columns[0].alignment, 0);
    EXPECT_EQ(v.columns[0].width, 50);
    EXPECT_EQ(v.columns[0].title, QStringLiteral("No"));
    EXPECT_EQ(v.columns[1].image, 1);
    EXPECT_EQ(v.columns[1].alignment, 2);
    EXPECT_EQ(v.columns[1].width, 100);
    EXPECT_EQ(v.columns[1].title, QStringLiteral("  名称"));
    EXPECT_TRUE(v.block5.isEmpty());
    EXPECT_EQ(v.block6, QByteArray("r"));
}

TEST(BlockFixtures, TabControlWithPages) {
    const TabControlBlock t = readBack<TabControlBlock>(join({
        {7, 0, 0, 0},                                                  // version
        {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0, 5, 0, 0, 0},  // position .. tab height
        {0x11, 0x22, 0x33, 0x00},                                      // text colour
        {0x44, 0x55, 0x66, 0x00},                                      // background colour
        {1, 0, 0, 0},                                                  // current page
        kFontRecord,                                                   // font, no length
        {2, 0, 0, 0},                                                  // page count
        {2, 0, 0, 0, 'p', '1'},                                        // page: title
        {0x01, 0x02, 0x03, 0x00, 0x04, 0x05, 0x06, 0x00},              //   colours
        {1, 0, 0, 0},                                                  //   flags: visible
        kEmpty,                                                        // page: title
        {0, 0, 0, 0, 0, 0, 0, 0xFF},                                   //   colours
        {3, 0, 0, 0},                                                  //   visible, disabled
    }));
    EXPECT_EQ(t.tabPosition, 1);
    EXPECT_EQ(t.multiLine, 2);
    EXPECT_EQ(t.buttonStyle, 3);
    EXPECT_EQ(t.tabWidth, 4);
    EXPECT_EQ(t.tabHeight, 5);
    EXPECT_EQ(t.textColour, 0x00332211u);
    EXPECT_EQ(t.backColour, 0x00665544u);
    EXPECT_EQ(t.currentPage, 1);
    expectSongFont(t.font);
    ASSERT_EQ(t.pages.size(), 2);
    EXPECT_EQ(t.pages[0].title, QStringLiteral("p1"));
    EXPECT_EQ(t.pages[0].textColour, 0x00030201u);
    EXPECT_EQ(t.pages[0].backColour, 0x00060504u);
    EXPECT_EQ(t.pages[0].flags, 1);
    EXPECT_TRUE(t.pages[1].title.isEmpty());
    EXPECT_EQ(t.pages[1].textColour, 0u);
    EXPECT_EQ(t.pages[1].backColour, kDefaultColour);
    EXPECT_EQ(t.pages[1].flags, 3);
}

TEST(BlockFixtures, PrinterAndDrawPanel) {
    const QByteArray printerBytes = join({
        {1, 0, 0, 0},                                       // version
        {1, 0, 0, 0, 2, 0, 0, 0, 12, 0, 0, 0, 3, 0, 0, 0},  // unit, pen type, draw mode, pen width
        {0x11, 0x22, 0x33, 0x00},                           // pen colour
        {4, 0, 0, 0},                                       // brush type
        {0x44, 0x55, 0x66, 0x00},                           // brush colour
        {0x77, 0x88, 0x99, 0x00},                           // text colour
        {0x00, 0x00, 0x00, 0xFF},                           // text background: transparent
        {5, 0, 0, 0, 6, 0, 0, 0, 7, 0, 0, 0, 8, 0, 0, 0},   // margins: left, top, right, bottom
        {9, 0, 0, 0, 10, 0, 0, 0},                          // copies, collate
        {11, 0, 0, 0, 13, 0, 0, 0},                         // minimum and maximum page
        {14, 0, 0, 0, 15, 0, 0, 0},                         // from and to page
        {16, 0, 0, 0},                                      // print range
        {4, 0, 0, 0, 0xD0, 0xA1, 0xC6, 0xB1},               // document name 小票
        kFontBytes,
        kFontRecord,  // font
    });
    const auto p = PrinterBlock::parse(printerBytes);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->write(), printerBytes);
    EXPECT_EQ(p->drawing.unit, 1);
    EXPECT_EQ(p->drawing.penType, 2);
    EXPECT_EQ(p->drawing.drawMode, 12);
    EXPECT_EQ(p->drawing.penWidth, 3);
    EXPECT_EQ(p->drawing.penColour, 0x00332211u);
    EXPECT_EQ(p->drawing.brushType, 4);
    EXPECT_EQ(p->drawing.brushColour, 0x00665544u);
    EXPECT_EQ(p->drawing.textColour, 0x00998877u);
    EXPECT_EQ(p->drawing.textBackColour, kDefaultDrawingColour);
    EXPECT_EQ(p->leftMargin, 5);
    EXPECT_EQ(p->topMargin, 6);
    EXPECT_EQ(p->rightMargin, 7);
    EXPECT_EQ(p->bottomMargin, 8);
    EXPECT_EQ(p->copies, 9);
    EXPECT_EQ(p->collate, 10);
    EXPECT_EQ(p->minPage, 11);
    EXPECT_EQ(p->maxPage, 13);
    EXPECT_EQ(p->fromPage, 14);
    EXPECT_EQ(p->toPage, 15);
    EXPECT_EQ(p->printRange, 16);
    EXPECT_EQ(p->documentName, QStringLiteral("小票"));
    LogFont font;
    ASSERT_TRUE(parseLogFont(p->drawing.font, font));
    expectSongFont(Font(font));

    const QByteArray panelBytes = join({
        {1, 0, 0, 0},                                      // version
        {1, 0, 0, 0},                                      // border
        {0xFF, 0xFF, 0xFF, 0x00},                          // background colour
        {2, 0, 0, 0, 3, 0, 0, 0},                          // picture mode, redraw
        {4, 0, 0, 0, 5, 0, 0, 0, 6, 0, 0, 0, 7, 0, 0, 0},  // unit, pen type, draw mode, pen width
        {0x11, 0x22, 0x33, 0x00},                          // pen colour
        {8, 0, 0, 0},                                      // brush type
        {0x44, 0x55, 0x66, 0x00},                          // brush colour
        {0x77, 0x88, 0x99, 0x00},                          // text colour
        {0xAA, 0xBB, 0xCC, 0x00},                          // text background colour
        kFontBytes,
        kFontRecord,                  // font
        {3, 0, 0, 0, 'B', 'M', 'P'},  // background picture
    });
    const auto d = DrawPanelBlock::parse(panelBytes);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->write(), panelBytes);
    EXPECT_EQ(d->border, 1);
    EXPECT_EQ(d->backColour, 0x00FFFFFFu);
    EXPECT_EQ(d->pictureMode, 2);
    EXPECT_EQ(d->autoRedraw, 3);
    EXPECT_EQ(d->drawing.unit, 4);
    EXPECT_EQ(d->drawing.penType, 5);
    EXPECT_EQ(d->drawing.drawMode, 6);
    EXPECT_EQ(d->drawing.penWidth, 7);
    EXPECT_EQ(d->drawing.penColour, 0x00332211u);
    EXPECT_EQ(d->drawing.brushType, 8);
    EXPECT_EQ(d->drawing.brushColour, 0x00665544u);
    EXPECT_EQ(d->drawing.textColour, 0x00998877u);
    EXPECT_EQ(d->drawing.textBackColour, 0x00CCBBAAu);
    ASSERT_TRUE(parseLogFont(d->drawing.font, font));
    expectSongFont(Font(font));
    EXPECT_EQ(d->backPicture, QByteArray("BMP"));
}

}  // namespace
}  // namespace tillora
