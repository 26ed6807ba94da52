#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QWidget;

namespace tillora {

// One job of printer commands sent unchanged to a print queue without a driver, then followed
// until the printer has taken it, so that a printer that is off, unplugged or out of paper is
// told at the till and not found later as a job stuck in the queue. A printer that is slow but
// working is never cut off: only a fault the queue reports, or no progress at all, ends a job.
class RawPrintJob {
  public:
    // What became of one job: for the program's log (a drawer opening is logged with the user).
    struct Report {
        QString queue;
        QString title;
        qsizetype bytes = 0;
        bool drawerPulse = false;
        QString failure;  // empty: the printer took it
    };
    using Observer = std::function<void(const Report&)>;
    // Told of every job once it is settled; one observer, replaced by the next.
    static void setObserver(Observer observer);

    // Empty when the printer took the job; otherwise what the cashier is told. The job is
    // followed with the event loop running (windows repaint, clocks tick); input for any window
    // but `own` waits meanwhile. A job that is withdrawn, shows a fault for the answer time or
    // makes no progress (its state, the printer's state reasons, the bytes its network
    // connection holds) for the stall time is cancelled, so that it never prints later beside a
    // reprint. `drawerPulse` says the commands open the cash drawer.
    static QString send(const QString& queue, const QString& title, const QByteArray& commands,
                        bool drawerPulse, QWidget* own = nullptr);

    // How long a fault the printer reports (off, no paper, cover open) may last before it is
    // told (tests shorten it).
    static void setAnswerTime(int milliseconds);
    static int answerTime();
    // How long a job may make no progress at all before it is cancelled.
    static void setStallTime(int milliseconds);
    static int stallTime();
    // The job being followed (or the next one) is cancelled at the next look and sent reports
    // withdrawnText().
    static void withdraw();
    static bool following();

    static QString notAcceptedText() { return QStringLiteral("打印队列不接受打印任务！"); }
    static QString notConnectedText() { return QStringLiteral("打印机没有连接或没有开机！"); }
    static QString outOfPaperText() { return QStringLiteral("打印机缺纸，请装纸！"); }
    static QString coverOpenText() { return QStringLiteral("打印机盖没有合上！"); }
    static QString withdrawnText() { return QStringLiteral("打印任务已撤回！"); }
};

}  // namespace tillora
