#include "forms/services/file_dialog_service.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace tillora {

namespace {

// As on Windows, a name typed without extension takes the extension of the chosen filter
// ("*.xlsx (*.xlsx)" gives ".xlsx"), or the default one when the filter has none of its own.
QString filterExtension(const QString& qtFilter, const QString& defaultExtension) {
    static const QRegularExpression single(QStringLiteral("\\(\\*(\\.[^*?\\s()]+)\\)$"));
    const QRegularExpressionMatch match = single.match(qtFilter.trimmed());
    return match.hasMatch() ? match.captured(1) : defaultExtension;
}

class QtFileDialogService final : public FileDialogService {
  public:
    QString choose(const FileDialogRequest& request, QWidget* owner) override {
        const QString filters = qtNameFilters(request.filter);
        QString path;
        if (request.kind == FileDialogRequest::Kind::Save) {
            QString selected;
            path = QFileDialog::getSaveFileName(
                owner, request.title, request.initialPath, filters, &selected,
                request.confirmOverwrite ? QFileDialog::Options()
                                         : QFileDialog::DontConfirmOverwrite);
            if (!path.isEmpty()) {
                path =
                    withDefaultExtension(path, filterExtension(selected, request.defaultExtension));
            }
        } else {
            path = QFileDialog::getOpenFileName(owner, request.title, request.initialPath, filters);
        }
        return path;
    }
};

QtFileDialogService& qtService() {
    static QtFileDialogService service;
    return service;
}

FileDialogService* installed = nullptr;

}  // namespace

FileDialogService& fileDialogService() {
    return installed != nullptr ? *installed : qtService();
}

FileDialogService* setFileDialogService(FileDialogService* service) {
    FileDialogService* previous = installed;
    installed = service;
    return previous;
}

QString qtNameFilters(const QString& templateFilter) {
    const QStringList parts = templateFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts.at(i).trimmed();
        // Several patterns in one pair are separated by ';' in the template, by blanks in Qt.
        const QString patterns = parts.at(i + 1)
                                     .split(QLatin1Char(';'), Qt::SkipEmptyParts)
                                     .join(QLatin1Char(' '))
                                     .trimmed();
        if (patterns.isEmpty()) {
            continue;
        }
        filters << QStringLiteral("%1 (%2)").arg(description.isEmpty() ? patterns : description,
                                                 patterns);
    }
    return filters.join(QStringLiteral(";;"));
}

QString withDefaultExtension(const QString& path, const QString& defaultExtension) {
    QString extension = defaultExtension.trimmed();
    if (extension.isEmpty() || path.isEmpty() || !QFileInfo(path).suffix().isEmpty()) {
        return path;
    }
    if (!extension.startsWith(QLatin1Char('.'))) {
        extension.prepend(QLatin1Char('.'));
    }
    return path + extension;
}

}  // namespace tillora
