#pragma once

#include <QDialog>

class QLabel;

namespace tillora {

// The small window shown while a job prints, with the button that aborts it.
class PrintProgressWindow : public QDialog {
    Q_OBJECT
  public:
    PrintProgressWindow(const QString& documentName, const QString& destination,
                        QWidget* owner = nullptr);

    void setCopy(int copy);
    void setPage(int page);

  Q_SIGNALS:
    void abortRequested();

  private:
    QLabel* copy_;
    QLabel* page_;
};

}  // namespace tillora
