#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace tillora {

// One job of printer commands sent unchanged to a print queue without a driver, then followed
// until the printer has taken it, so that a printer that is off, unplugged or out of paper is
// told at the till and not found later as a job stuck in the queue.
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

    // Empty when the printer took the job; otherwise what the cashier is told. A job the printer
    // did not take in time is cancelled, so that it never prints later beside a reprint.
    // `drawerPulse` says the commands open the cash drawer.
    static QString send(const QString& queue, const QString& title, const QByteArray& commands,
                        bool drawerPulse);

    // How long a printer may take to accept a job (tests shorten it).
    static void setAnswerTime(int milliseconds);
    static int answerTime();

    static QString notAcceptedText() { return QStringLiteral("打印队列不接受打印任务！"); }
    static QString notConnectedText() { return QStringLiteral("打印机没有连接或没有开机！"); }
    static QString outOfPaperText() { return QStringLiteral("打印机缺纸，请装纸！"); }
    static QString coverOpenText() { return QStringLiteral("打印机盖没有合上！"); }
};

}  // namespace tillora
