#include "settings/logo_window.h"

#include <QFile>
#include <QLabel>
#include <QPixmap>
#include <QRegularExpression>
#include <QWidget>

#include "data/odbcdb.h"
#include "data/settings_record.h"
#include "forms/component.h"
#include "forms/components/common_dialog.h"
#include "forms/event_args.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/handler_registry.h"
#include "forms/picture_decoder.h"
#include "forms/services/message_service.h"
#include "formset/form_ids.h"

namespace tillora {

namespace {

QString hintCaption() {
    return QStringLiteral("提示");
}

}  // namespace

LogoWindow::LogoWindow(ODBCDB& db, FormWindow* window)
    : WindowLogic(window), db_(db), ui_(*window) {}

void LogoWindow::registerHandlers(HandlerRegistry& r, ODBCDB& db) {
    const auto on = [](void (LogoWindow::*action)()) -> Handler {
        return [action](const EventArgs& args) {
            if (LogoWindow* logic = of(args.window)) {
                (logic->*action)();
            }
            return Value();
        };
    };
    r.add(QStringLiteral("logo.created"), [&db](const EventArgs& args) {
        (new LogoWindow(db, args.window))->start();
        return Value();
    });
    r.add(QStringLiteral("logo.printTicked"), on(&LogoWindow::printTicked));
    r.add(QStringLiteral("logo.changeClicked"), on(&LogoWindow::changeLogo));
    r.add(QStringLiteral("logo.saveClicked"), on(&LogoWindow::saveOffset));
    r.add(QStringLiteral("logo.exitClicked"), on(&LogoWindow::exit));
}

void LogoWindow::start() {
    // The first stop of the Tab order takes the focus, whatever order the controls were made in.
    if (QWidget* tick = ui_.选择框1.widget()) {
        tick->setFocus(Qt::TabFocusReason);
    }
    SettingsRecord row;
    if (!readSettingsRecord(db_, row, settings_sql::selectById())) {
        showMessage(queryFailedText(), 0, {}, window_);
        return;
    }
    ui_.选择框1.setChecked(SettingsRecord::isYes(row.printLogo));
    ui_.编辑框1.setText(QString::number(row.logoOffset));
    // A stored logo that is no picture leaves the box empty; the receipt reports it.
    PictureProblem problem = PictureProblem::None;
    showPicture(PictureDecoder::decode(row.logo, &problem).value_or(QImage()));
    if (problem == PictureProblem::TooLarge) {
        showMessage(tooLargeText(), 0, hintCaption(), window_);
    }
}

void LogoWindow::showPicture(const QImage& image) {
    shown_ = image;
    auto* label = qobject_cast<QLabel*>(ui_.图片框1.widget());
    if (label == nullptr) {
        return;
    }
    if (image.isNull()) {
        label->clear();
        return;
    }
    // Fitted into the box: a larger picture is scaled down keeping its proportions, a smaller one
    // keeps its size; either way centred.
    const QSize room = label->contentsRect().size();
    QImage fitted = image;
    if (image.width() > room.width() || image.height() > room.height()) {
        fitted = image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    label->setScaledContents(false);
    label->setAlignment(Qt::AlignCenter);
    label->setPixmap(QPixmap::fromImage(fitted));
}

void LogoWindow::printTicked() {
    CheckBox& tick = ui_.选择框1;
    const bool yes = tick.isChecked();
    if (!db_.ExecuteSql(settings_sql::updatePrintLogo(yes))) {
        tick.setChecked(!yes);
        showMessage(changeFailedText(), 0, {}, window_);
    }
}

void LogoWindow::changeLogo() {
    CommonDialog& dialog = ui_.通用对话框1;
    if (!dialog.open()) {
        return;
    }
    QFile file(dialog.fileName());
    if (!file.open(QIODevice::ReadOnly)) {
        showMessage(fileUnreadableText(), 0, hintCaption(), window_);
        return;
    }
    if (file.size() > kMaxFileBytes) {
        showMessage(tooLargeText(), 0, hintCaption(), window_);
        return;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        showMessage(fileUnreadableText(), 0, hintCaption(), window_);
        return;
    }
    // A picture too large to decode could never be printed: refused, the old logo stays. A file
    // that is no picture at all is stored as it is (it shows empty and the receipt reports it).
    PictureProblem problem = PictureProblem::None;
    const std::optional<QImage> image = PictureDecoder::decode(bytes, &problem);
    if (problem == PictureProblem::TooLarge) {
        showMessage(tooLargeText(), 0, hintCaption(), window_);
        return;
    }
    if (!writeSettingsLogo(db_, bytes)) {
        showMessage(addFailedText(), 0, {}, window_);
        return;
    }
    showPicture(image.value_or(QImage()));
    showMessage(addedText(), 0, {}, window_);
}

void LogoWindow::saveOffset() {
    QString text = ui_.编辑框1.text().trimmed();
    if (text.isEmpty()) {
        text = QStringLiteral("0");
    }
    // The field is a whole number: anything else would only make the statement fail.
    static const QRegularExpression wholeNumber(QStringLiteral("^[+-]?[0-9]+$"));
    bool ok = wholeNumber.match(text).hasMatch();
    const int offset = ok ? text.toInt(&ok) : 0;
    if (!ok) {
        showMessage(offsetNotNumberText(), 0, hintCaption(), window_);
        return;
    }
    if (!db_.ExecuteSql(settings_sql::updateLogoOffset(QString::number(offset)))) {
        showMessage(changeFailedText(), 0, {}, window_);
        return;
    }
    ui_.编辑框1.setText(QString::number(offset));
    showMessage(savedText(), 0, {}, window_);
}

void LogoWindow::exit() {
    window_->closeLater();
}

bool openLogoWindow(FormManager& forms, FormWindow* owner) {
    return forms.open(static_cast<qint32>(FormId::Logo), true, owner);
}

}  // namespace tillora
