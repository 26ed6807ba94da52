#pragma once

#include <QDialog>

class QProgressBar;

namespace tillora {

// Shown while a long export runs; "取消", Escape or the close box stop it.
class ExportProgressWindow : public QDialog {
    Q_OBJECT
  public:
    explicit ExportProgressWindow(QWidget* owner = nullptr);

    void setProgress(std::int64_t done, std::int64_t total);
    bool cancelRequested() const { return cancelRequested_; }

  private:
    QProgressBar* bar_;
    bool cancelRequested_ = false;
};

}  // namespace tillora
