#pragma once

#include <QString>

class QWidget;

namespace tillora {

// What a common-dialog component asks for: open or save one file.
struct FileDialogRequest {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    QString title;   // empty: the toolkit's own caption
    QString filter;  // template form: "描述|*.xls|全部|*.*" (description/pattern pairs)
    QString defaultExtension;  // ".xls"; appended to a saved name that has none
    QString initialPath;
    // Save dialogs: the dialog itself asks before an existing file is chosen. Off when the caller
    // asks in its own words (after the default extension is added).
    bool confirmOverwrite = true;
};

// File dialogs go through one service so that tests can script the user's choice.
class FileDialogService {
  public:
    virtual ~FileDialogService() = default;
    // The chosen path, or an empty string when the user cancelled.
    virtual QString choose(const FileDialogRequest& request, QWidget* owner) = 0;
};

// The installed service (the Qt dialogs unless a test installed its own); never null.
FileDialogService& fileDialogService();
// Installs `service` (nullptr restores the Qt dialogs); returns the previous one.
FileDialogService* setFileDialogService(FileDialogService* service);

// "*.xls|*.xls|All|*.*" -> "*.xls (*.xls);;All (*.*)": the pairs as Qt name filters.
QString qtNameFilters(const QString& templateFilter);
// Appends the default extension when `path` has none (".xls" or "xls" both accepted).
QString withDefaultExtension(const QString& path, const QString& defaultExtension);

}  // namespace tillora
