#include "forms/components/common_dialog.h"

#include "forms/form_window.h"
#include "forms/services/file_dialog_service.h"

#include <QDir>

namespace tillora {

bool CommonDialog::open() {
    FileDialogRequest request;
    request.kind = block_.kind == 1 ? FileDialogRequest::Kind::Save : FileDialogRequest::Kind::Open;
    request.title = block_.title;
    request.filter = block_.filter;
    request.defaultExtension = block_.defaultExtension;
    request.initialPath = block_.fileName.isEmpty()
                              ? block_.initialFolder
                              : QDir(block_.initialFolder).filePath(block_.fileName);
    const QString chosen = fileDialogService().choose(request, window());
    if (chosen.isEmpty()) {
        return false;
    }
    block_.fileName = chosen;
    return true;
}

QVariant CommonDialog::ownProperty(int index) const {
    switch (index) {
        case 0:
            return block_.kind;
        case 1:
            return block_.flags;
        case 2:
            return block_.title;
        case 3:
            return block_.filter;
        case 4:
            return block_.defaultExtension;
        case 5:
            return block_.initialFolder;
        case 6:
            return block_.fileName;
        default:
            return {};
    }
}

bool CommonDialog::setOwnProperty(int index, const QVariant& value) {
    switch (index) {
        case 0:
            block_.kind = value.toInt();
            return true;
        case 1:
            block_.flags = value.toInt();
            return true;
        case 2:
            block_.title = value.toString();
            return true;
        case 3:
            block_.filter = value.toString();
            return true;
        case 4:
            block_.defaultExtension = value.toString();
            return true;
        case 5:
            block_.initialFolder = value.toString();
            return true;
        case 6:
            block_.fileName = value.toString();
            return true;
        default:
            return false;
    }
}

}  // namespace tillora
