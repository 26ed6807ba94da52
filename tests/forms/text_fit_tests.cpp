// Every caption of the program's own windows is readable whole in its place with the font in use:
// a wider stand-in font cuts texts silently, which no other test would notice.
#include "forms/component.h"
#include "forms/component_font.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "tests/support/program_templates.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <optional>

namespace tillora::test {
namespace {

// The rectangle the toolkit draws a button's caption in.
QRect buttonTextRect(const QAbstractButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    option.icon = button.icon();
    option.iconSize = button.iconSize();
    QStyle::SubElement element = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox*>(&button) != nullptr) {
        element = QStyle::SE_CheckBoxContents;
    } else if (qobject_cast<const QRadioButton*>(&button) != nullptr) {
        element = QStyle::SE_RadioButtonContents;
    }
    return button.style()->subElementRect(element, &option, &button);
}

struct Caption {
    QString text;
    QRect room;  // where the control lets it draw
    Qt::Alignment alignment;
    bool wrap = false;
};

std::optional<Caption> captionOf(const QWidget& widget) {
    Caption c;
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
        const int m = label->margin();
        c = {label->text(), label->contentsRect().adjusted(m, m, -m, -m), label->alignment(),
             label->wordWrap()};
    } else if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) {
        const bool push = qobject_cast<const QPushButton*>(button) != nullptr;
        c = {button->text(), buttonTextRect(*button),
             push ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter, false};
    } else {
        return std::nullopt;
    }
    if (c.text.trimmed().isEmpty()) {
        return std::nullopt;
    }
    return c;
}

// Where the caption's text is drawn, in the widget's coordinates. One line counts by its ink, as
// a wide character's blank half (a full-width colon's) may be clipped unseen; lines that break
// count by their layout, so that a lost last line shows as extra height.
QRect drawnText(const QFont& font, const Caption& c) {
    const QFontMetrics metrics(font);
    const int horizontal = static_cast<int>(c.alignment & Qt::AlignHorizontal_Mask);
    int flags = Qt::TextExpandTabs | horizontal | (c.wrap ? Qt::TextWordWrap : 0);
    const QSize laidOut =
        metrics.boundingRect(QRect(0, 0, c.room.width(), 100000), flags, c.text).size();
    const QRect box = QStyle::alignedRect(Qt::LeftToRight, c.alignment, laidOut, c.room);
    if (c.wrap || c.text.contains(QLatin1Char('\n'))) {
        return box;
    }
    const QRect ink = metrics.tightBoundingRect(c.text);
    return QRect(box.left() + ink.left(), box.top(), ink.width(), box.height());
}

QString describe(const QWidget& widget, const QRect& text, const QRect& room) {
    const QFontInfo info(widget.font());
    return QStringLiteral("text at %1,%2 %3x%4 in %5,%6 %7x%8 (%9 %10px)")
        .arg(text.x())
        .arg(text.y())
        .arg(text.width())
        .arg(text.height())
        .arg(room.x())
        .arg(room.y())
        .arg(room.width())
        .arg(room.height())
        .arg(info.family())
        .arg(info.pixelSize());
}

// A sibling drawn over the text: any control but a transparent label.
bool covers(const Component& above, const Component& text) {
    const QWidget* w = above.widget();
    if (w == nullptr || !above.visibleFlag() || w->parent() != text.widget()->parent() ||
        above.page() != text.page()) {
        return false;
    }
    const auto* label = qobject_cast<const QLabel*>(w);
    return label == nullptr || label->autoFillBackground();
}

// The places were measured with 宋体: whatever stands in for it keeps a Chinese character as wide
// as the pixel size, Latin half of it (blanks too, which align columns) and lines as tall.
TEST(TextFitTest, TheWindowsFontHasSongMetrics) {
    for (const int pixels : {kDefaultGuiFontPixels, 14, 16}) {
        QFont font = defaultGuiFont();
        font.setPixelSize(pixels);
        const QFontMetrics metrics(font);
        EXPECT_EQ(metrics.horizontalAdvance(QStringLiteral("汉字：")), 3 * pixels) << pixels;
        EXPECT_EQ(metrics.horizontalAdvance(QStringLiteral("09 Ab")), 5 * pixels / 2) << pixels;
        EXPECT_EQ(metrics.height(), pixels) << QFontInfo(font).family().toStdString();
    }
}

// Without program logic each window shows its template's captions; a later window is covered too.
TEST(TextFitTest, EveryCaptionOfEveryWindowFitsItsPlace) {
    TemplateSet set;
    ASSERT_TRUE(readProgramTemplates(set));
    HandlerRegistry handlers;
    addDoNothingHandlers(handlers);
    FormManager manager(set, handlers);
    int checked = 0;
    for (const WindowTemplate& w : set.windows) {
        ASSERT_TRUE(manager.open(w.id)) << manager.lastError().toStdString();
        FormWindow* window = manager.window(w.id);
        for (const ComponentRecord& r : w.components.mid(1)) {
            const Component* c = window->componentById(r.id);
            // Components that never show (hidden in the template) need no room.
            if (c == nullptr || c->widget() == nullptr || !c->visibleFlag()) {
                continue;
            }
            const std::optional<Caption> caption = captionOf(*c->widget());
            if (!caption) {
                continue;
            }
            ++checked;
            const QWidget& widget = *c->widget();
            const QRect text = drawnText(widget.font(), *caption);
            const std::string where = window->windowTitle().toStdString() + " " +
                                      std::to_string(w.id) + " " + r.name.toStdString() + " \"" +
                                      caption->text.toStdString() + "\": ";
            EXPECT_TRUE(caption->room.contains(text))
                << where << describe(widget, text, caption->room).toStdString();
            // Nothing stacked above it hides a part of it.
            const QObjectList siblings = widget.parent()->children();
            const QRect onParent = text.translated(widget.pos());
            for (qsizetype i = siblings.indexOf(&widget) + 1; i < siblings.size(); ++i) {
                const Component* above = window->component(siblings.at(i)->objectName());
                if (above != nullptr && above->widget() == siblings.at(i) && covers(*above, *c)) {
                    EXPECT_FALSE(above->widget()->geometry().intersects(onParent))
                        << where << "covered by " << above->name().toStdString();
                }
            }
        }
        // For a look: TILLORA_SHOTS names a folder that gets a picture of each window.
        const QString shots = qEnvironmentVariable("TILLORA_SHOTS");
        if (!shots.isEmpty()) {
            const QString file = QStringLiteral("window-%1.png").arg(w.id, 0, 16);
            EXPECT_TRUE(window->grab().save(QDir(shots).filePath(file))) << file.toStdString();
        }
        manager.close(w.id);
    }
    EXPECT_GT(checked, 50);
}

}  // namespace
}  // namespace tillora::test
