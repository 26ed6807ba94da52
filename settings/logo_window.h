#pragma once

#include <QImage>
#include <QString>

#include "forms/window_logic.h"
#include "formset/logo_handles.h"

namespace tillora {

class FormManager;
class FormWindow;
class HandlerRegistry;
class ODBCDB;

// The logo window: the stored logo fitted into its picture box, whether it is printed (written at
// once), its offset on the receipt in millimetres (written by "保存"), and a new picture file in
// its place (written at once, the file's bytes unchanged).
class LogoWindow : public WindowLogic<LogoWindow> {
    Q_OBJECT

  public:
    LogoWindow(ODBCDB& db, FormWindow* window);

    static void registerHandlers(HandlerRegistry& registry, ODBCDB& db);

    void start();
    void printTicked();
    void changeLogo();
    void saveOffset();
    void exit();

    // The picture as the box shows it (null when there is none or it can't be decoded).
    QImage shownPicture() const { return shown_; }

    // Picture files larger than this are not read: no logo needs it, and every receipt with a
    // logo reads the stored picture again.
    static constexpr qint64 kMaxFileBytes = qint64{32} * 1024 * 1024;

    static QString addedText() { return QStringLiteral("数据添加成功！"); }
    static QString addFailedText() { return QStringLiteral("数据添加失败！"); }
    static QString tooLargeText() {
        return QStringLiteral("图片太大，logo没有更改！\r\n请选择不超过1600万像素、32MB的图片。");
    }
    static QString fileUnreadableText() { return QStringLiteral("文件读取失败，logo没有更改！"); }
    static QString offsetNotNumberText() {
        return QStringLiteral("图像偏差必须是整数（毫米，负数向左）！");
    }
    static QString savedText() { return QStringLiteral("保存成功！"); }
    static QString changeFailedText() { return QStringLiteral("数据修改失败"); }
    static QString queryFailedText() { return QStringLiteral("查询失败！"); }

  private:
    void showPicture(const QImage& image);

    ODBCDB& db_;
    LogoHandles ui_;
    QImage shown_;
};

// Opens the window modal over `owner` (the settings window). False when it can't be built.
bool openLogoWindow(FormManager& forms, FormWindow* owner);

}  // namespace tillora
