#include "forms/services/file_dialog_service.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QTreeView>

#include <QRegularExpression>
#include <QStringList>
#include <iterator>

namespace tillora {

namespace {

// As on Windows, a name typed without extension takes the extension of the chosen filter
// ("*.xlsx (*.xlsx)" gives ".xlsx"), or the default one when the filter has none of its own.
QString filterExtension(const QString& qtFilter, const QString& defaultExtension) {
    static const QRegularExpression single(QStringLiteral("\\(\\*(\\.[^*?\\s()]+)\\)$"));
    const QRegularExpressionMatch match = single.match(qtFilter.trimmed());
    return match.hasMatch() ? match.captured(1) : defaultExtension;
}

// The file list's sizes, kinds and dates in Chinese whatever the machine's locale: the file
// model itself writes them in the system's.
class ChineseFileColumns final : public QIdentityProxyModel {
  public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || files == nullptr || index.column() == 0) {
            return QIdentityProxyModel::data(index, role);
        }
        const QModelIndex source = mapToSource(index);
        const QFileInfo info = files->fileInfo(source);
        const QLocale chinese(QLocale::Chinese, QLocale::China);
        switch (index.column()) {
            case 1:
                return info.isDir() ? QString() : chinese.formattedDataSize(info.size());
            case 2:
                if (info.isDir()) {
                    return QStringLiteral("文件夹");
                }
                return info.suffix().isEmpty() ? QStringLiteral("文件")
                                               : info.suffix() + QStringLiteral(" 文件");
            case 3:
                return info.lastModified().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
            default:
                return QIdentityProxyModel::data(index, role);
        }
    }
};

class QtFileDialogService final : public FileDialogService {
  public:
    QString choose(const FileDialogRequest& request, QWidget* owner) override {
        const bool save = request.kind == FileDialogRequest::Kind::Save;
        // Qt's own dialog everywhere: its texts come from Qt's Chinese translation, which a
        // desktop's dialog would ignore.
        QFileDialog dialog(owner, request.title);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setLocale(QLocale(QLocale::Chinese, QLocale::China));
        dialog.setProxyModel(new ChineseFileColumns(&dialog));
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
        dialog.setNameFilters(qtNameFilters(request.filter).split(QStringLiteral(";;")));
        const QFileInfo initial(request.initialPath);
        if (!request.initialPath.isEmpty() && initial.isDir()) {
            dialog.setDirectory(request.initialPath);
        } else if (!request.initialPath.isEmpty()) {
            dialog.setDirectory(initial.absolutePath());
            dialog.selectFile(initial.fileName());
        }
        dialog.resize(kDialogSize);
        if (auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
            // Wide enough for a Chinese name, a size and a whole date.
            for (int column = 0; column < int(std::size(kColumnWidths)); ++column) {
                list->header()->resizeSection(column, kColumnWidths[column]);
            }
        }
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return {};
        }
        QString path = dialog.selectedFiles().constFirst();
        if (save) {
            path = withDefaultExtension(
                path, filterExtension(dialog.selectedNameFilter(), request.defaultExtension));
        }
        return path;
    }

  private:
    static constexpr QSize kDialogSize{760, 460};
    static constexpr int kColumnWidths[] = {300, 90, 90, 140};
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
