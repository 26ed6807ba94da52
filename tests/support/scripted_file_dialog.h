#pragma once

#include "forms/services/file_dialog_service.h"

#include <QList>
#include <QQueue>
#include <QString>

namespace tillora::test {

// Answers file dialogs from a script instead of asking a user. Installs itself on construction and
// restores the previous service when destroyed. An empty script answers "cancelled" (empty path).
class ScriptedFileDialog final : public FileDialogService {
  public:
    ScriptedFileDialog();
    ~ScriptedFileDialog() override;
    ScriptedFileDialog(const ScriptedFileDialog&) = delete;
    ScriptedFileDialog& operator=(const ScriptedFileDialog&) = delete;

    // Queues the path the next dialog returns ("" = the user cancels).
    void answer(const QString& path) { answers_.enqueue(path); }
    // Every request shown so far, oldest first.
    const QList<FileDialogRequest>& requests() const { return requests_; }

    QString choose(const FileDialogRequest& request, QWidget* owner) override;

  private:
    FileDialogService* previous_ = nullptr;
    QQueue<QString> answers_;
    QList<FileDialogRequest> requests_;
};

}  // namespace tillora::test
