// The logo window: the stored logo, its print flag and offset, a new picture file stored as it is.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QRandomGenerator>

#include <png.h>

#include <cstdio>

#include "data/settings_record.h"
#include "forms/window_frame_metrics.h"
#include "tests/settings/print_windows_fixture.h"

namespace tillora::test {
namespace {

QByteArray encode(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 90);
    return bytes;
}

// A wide picture with a dark band across its top half, so a fitted copy can be told.
QImage widePicture() {
    QImage image(600, 400, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 600; ++x) {
            image.setPixel(x, y, qRgb(20, 20, 120));
        }
    }
    return image;
}

// A PNG of `side` x `side` pixels whose first `noiseRows` rows are noise (which does not
// compress) and the rest white: a file of about noiseRows * side * 3 bytes that unpacks to far
// more. Written row by row, so the test itself never holds the whole picture.
bool writeLargePng(const QString& path, int side, int noiseRows) {
    std::FILE* out = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (out == nullptr) {
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    QByteArray row(side * 3, '\0');
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(out);
        return false;
    }
    png_init_io(png, out);
    png_set_compression_level(png, 1);
    png_set_IHDR(png, info, static_cast<png_uint_32>(side), static_cast<png_uint_32>(side), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    QRandomGenerator random(7);
    for (int y = 0; y < side; ++y) {
        if (y < noiseRows) {
            for (char& b : row) {
                b = static_cast<char>(random.generate() & 0xFF);
            }
        } else if (y == noiseRows) {
            row.fill('\xFF');
        }
        png_write_row(png, reinterpret_cast<png_const_bytep>(row.constData()));
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(out) == 0;
}

class LogoWindowTest : public PrintWindowsFixture {
  protected:
    FormWindow* openLogo() {
        if (!openLogoWindow(*manager, nullptr)) {
            ADD_FAILURE() << manager->lastError().toStdString();
            return nullptr;
        }
        w = window(FormId::Logo);
        logic = LogoWindow::of(w);
        return w;
    }
    SettingsRecord stored() {
        SettingsRecord row;
        EXPECT_TRUE(readSettingsRecord(db, row, settings_sql::selectById()));
        return row;
    }
    QString saveFile(const QString& name, const QByteArray& bytes) {
        const QString file = folder.file(name);
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return file;
    }
    QPixmap shownPixmap() const { return w->widgetAs<QLabel>(QStringLiteral("图片框1"))->pixmap(); }

    FormWindow* w = nullptr;
    LogoWindow* logic = nullptr;
};

// A fresh database: the shipped 220 x 220 logo, unticked, offset 0; the window laid out as its
// template says, with focus on the tick box and Tab through the buttons.
TEST_F(LogoWindowTest, FreshDatabaseShowsTheShippedLogoUntickedAtOffsetZero) {
    ASSERT_NE(openLogo(), nullptr);
    ASSERT_NE(logic, nullptr);
    EXPECT_EQ(logic->shownPicture().size(), QSize(220, 220));
    EXPECT_EQ(shownPixmap().size(), QSize(220, 220));
    EXPECT_FALSE(w->component(QStringLiteral("选择框1"))->isChecked());
    EXPECT_EQ(w->text(QStringLiteral("编辑框1")), QStringLiteral("0"));
    EXPECT_TRUE(messages.shown().empty());

    EXPECT_EQ(w->size(), WindowFrameMetrics(2, true).clientSize(QSize(405, 348)));
    EXPECT_EQ(w->component(QStringLiteral("图片框1"))->widget()->geometry(), QRect(8, 8, 300, 300));
    const QStringList order{QStringLiteral("选择框1"), QStringLiteral("编辑框1"),
                            QStringLiteral("按钮_更改logo"), QStringLiteral("按钮_保存"),
                            QStringLiteral("按钮2")};
    EXPECT_EQ(tabWalk(w, order), order.mid(1));
    w->show();
    w->activateWindow();
    settle();
    EXPECT_EQ(QApplication::focusWidget(), w->component(order.front())->widget())
        << (QApplication::focusWidget()
                ? QApplication::focusWidget()->objectName().toStdString() + " " +
                      QApplication::focusWidget()->metaObject()->className()
                : std::string("none"));

    const QString shot = QDir::temp().filePath(QStringLiteral("tillora_logo_window.png"));
    EXPECT_TRUE(w->grab().save(shot));
    std::printf("logo window grabbed to %s\n", qPrintable(shot));
}

// PNG, JPEG and BMP files are stored byte for byte and shown; a picture larger than the box is
// fitted into it keeping its proportions. Cancelling the dialog changes nothing.
TEST_F(LogoWindowTest, PicturesAreStoredByteForByteAndFitted) {
    ASSERT_NE(openLogo(), nullptr);
    const QByteArray shipped = stored().logo;
    files.answer(QString());
    click(w, "按钮_更改logo");
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(stored().logo, shipped);

    for (const char* format : {"PNG", "JPEG", "BMP"}) {
        const QByteArray bytes = encode(widePicture(), format);
        files.answer(saveFile(QStringLiteral("logo.") + QString::fromLatin1(format), bytes));
        messages.clear();
        click(w, "按钮_更改logo");
        EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("数据添加成功！")}) << format;
        EXPECT_EQ(stored().logo, bytes) << format;
        EXPECT_EQ(logic->shownPicture().size(), QSize(600, 400)) << format;
        // Inside the box's frame, 3:2 as the picture is.
        const QSize fitted = shownPixmap().size();
        EXPECT_LE(fitted.width(), 300) << format;
        EXPECT_GE(fitted.width(), 290) << format;
        EXPECT_NEAR(fitted.height() * 3.0 / 2.0, fitted.width(), 2) << format;
    }
    // Opened again, the window shows what was stored.
    manager->close(static_cast<qint32>(FormId::Logo));
    ASSERT_NE(openLogo(), nullptr);
    EXPECT_EQ(logic->shownPicture().size(), QSize(600, 400));
}

// A file that is no picture is stored as it is and shows empty, then and when opened again.
TEST_F(LogoWindowTest, FileThatIsNoPictureIsStoredButShowsEmpty) {
    ASSERT_NE(openLogo(), nullptr);
    const QByteArray text("just some text, no picture at all");
    files.answer(saveFile(QStringLiteral("notes.txt"), text));
    click(w, "按钮_更改logo");
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("数据添加成功！")});
    EXPECT_EQ(stored().logo, text);
    EXPECT_TRUE(logic->shownPicture().isNull());
    EXPECT_TRUE(shownPixmap().isNull());

    manager->close(static_cast<qint32>(FormId::Logo));
    messages.clear();
    ASSERT_NE(openLogo(), nullptr);
    EXPECT_TRUE(logic->shownPicture().isNull());
    EXPECT_TRUE(messages.shown().empty());
}

// A 20 MB picture that would unpack to hundreds of megabytes is refused from its header with a
// clear message; the old logo stays. A file that can't be read changes nothing either.
TEST_F(LogoWindowTest, HugePictureIsRefusedWithAMessage) {
    ASSERT_NE(openLogo(), nullptr);
    const QByteArray shipped = stored().logo;
    const QString huge = folder.file(QStringLiteral("huge.png"));
    ASSERT_TRUE(writeLargePng(huge, 4500, 1500));
    EXPECT_GT(QFileInfo(huge).size(), 20 * 1000 * 1000);
    EXPECT_LT(QFileInfo(huge).size(), LogoWindow::kMaxFileBytes);
    files.answer(huge);
    click(w, "按钮_更改logo");
    EXPECT_EQ(messages.texts(), QStringList{LogoWindow::tooLargeText()});
    EXPECT_EQ(messages.shown().front().caption, QStringLiteral("提示"));
    EXPECT_EQ(stored().logo, shipped);
    EXPECT_EQ(logic->shownPicture().size(), QSize(220, 220));

    messages.clear();
    files.answer(folder.file(QStringLiteral("missing.png")));
    click(w, "按钮_更改logo");
    EXPECT_EQ(messages.texts(), QStringList{LogoWindow::fileUnreadableText()});
    EXPECT_EQ(stored().logo, shipped);
}

// The tick box writes the flag at once, by mouse and by keyboard.
TEST_F(LogoWindowTest, PrintTickIsWrittenAtOnce) {
    ASSERT_NE(openLogo(), nullptr);
    w->show();
    auto* tick = w->component(QStringLiteral("选择框1"))->widget();
    mouseClick(tick);
    EXPECT_EQ(stored().printLogo, QStringLiteral("真"));
    tick->setFocus();
    key(tick, Qt::Key_Space, QStringLiteral(" "));
    EXPECT_EQ(stored().printLogo, QStringLiteral("假"));
    key(tick, Qt::Key_Space, QStringLiteral(" "));
    EXPECT_EQ(stored().printLogo, QStringLiteral("真"));
    EXPECT_TRUE(messages.shown().empty());

    manager->close(static_cast<qint32>(FormId::Logo));
    ASSERT_NE(openLogo(), nullptr);
    EXPECT_TRUE(w->component(QStringLiteral("选择框1"))->isChecked());
}

// "保存" stores a whole number (signs and blanks allowed, empty as 0); anything else is refused
// with a message and the old offset stays, quotes included.
TEST_F(LogoWindowTest, OffsetIsSavedOnlyWhenAWholeNumber) {
    ASSERT_NE(openLogo(), nullptr);
    const struct {
        const char* typed;
        int stored;
    } good[] = {{"12", 12}, {" -3 ", -3}, {"+7", 7}, {"", 0}};
    for (const auto& c : good) {
        messages.clear();
        w->setText(QStringLiteral("编辑框1"), QString::fromUtf8(c.typed));
        click(w, "按钮_保存");
        EXPECT_EQ(messages.texts(), QStringList{LogoWindow::savedText()}) << c.typed;
        EXPECT_EQ(stored().logoOffset, c.stored) << c.typed;
    }
    ASSERT_TRUE(db.ExecuteSql(settings_sql::updateLogoOffset(QStringLiteral("5"))));
    for (const char* bad : {"abc", "1.5", "5' or '1'='1", "99999999999", "1 2"}) {
        messages.clear();
        w->setText(QStringLiteral("编辑框1"), QString::fromUtf8(bad));
        click(w, "按钮_保存");
        ASSERT_EQ(messages.shown().size(), 1u) << bad;
        EXPECT_EQ(messages.shown().front().text, LogoWindow::offsetNotNumberText()) << bad;
        EXPECT_EQ(messages.shown().front().caption, QStringLiteral("提示")) << bad;
        EXPECT_EQ(stored().logoOffset, 5) << bad;
    }
}

// From the keyboard: type the offset, Tab to "保存", Enter; Tab on to "退出", Space closes.
TEST_F(LogoWindowTest, KeyboardSavesAndLeaves) {
    ASSERT_NE(openLogo(), nullptr);
    w->show();
    w->activateWindow();
    settle();
    key(QApplication::focusWidget(), Qt::Key_Tab);
    auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(edit, nullptr);
    edit->selectAll();
    type(edit, QStringLiteral("-4"));
    key(edit, Qt::Key_Tab);
    key(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w->component(QStringLiteral("按钮_保存"))->widget());
    key(QApplication::focusWidget(), Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(stored().logoOffset, -4);
    EXPECT_EQ(messages.texts(), QStringList{LogoWindow::savedText()});
    key(QApplication::focusWidget(), Qt::Key_Tab);
    key(QApplication::focusWidget(), Qt::Key_Space, QStringLiteral(" "));
    settle();
    EXPECT_FALSE(manager->isOpen(static_cast<qint32>(FormId::Logo)));
}

}  // namespace
}  // namespace tillora::test
