#include "tests/support/scripted_file_dialog.h"

namespace tillora::test {

ScriptedFileDialog::ScriptedFileDialog() : previous_(setFileDialogService(this)) {}

ScriptedFileDialog::~ScriptedFileDialog() {
    setFileDialogService(previous_);
}

QString ScriptedFileDialog::choose(const FileDialogRequest& request, QWidget* /*owner*/) {
    requests_.append(request);
    QString path = answers_.isEmpty() ? QString() : answers_.dequeue();
    // A save dialog adds the default extension as the real one does.
    if (request.kind == FileDialogRequest::Kind::Save) {
        path = withDefaultExtension(path, request.defaultExtension);
    }
    return path;
}

}  // namespace tillora::test
