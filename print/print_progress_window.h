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

    // Handles what is waiting for this window (its painting, a click on 中止打印) while a job is
    // drawn. Input, closing and timer ticks meant for any other window are dropped meanwhile, as
    // an owner disabled behind the progress window would drop them, so no handler of theirs runs
    // in the middle of a page; their timers tick again afterwards. Painting, focus and queued
    // calls go through.
    void serveOwnEvents();

  Q_SIGNALS:
    void abortRequested();

  private:
    QLabel* copy_;
    QLabel* page_;
};

}  // namespace tillora
