#include "print/raw_print_job.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QUrl>

#include <ctime>
#include <optional>

#include "forms/services/external_function_table.h"
#include "forms/services/own_events_only.h"
#include "platform/connection_backlog.h"
#include "print/system_printers.h"

namespace tillora {

namespace {

// The print system's job record, as its client library hands it out.
struct CupsJob {
    int id;
    char* dest;
    char* title;
    char* user;
    char* format;
    int state;
    int size;
    int priority;
    time_t completedTime;
    time_t creationTime;
    time_t processingTime;
};

constexpr int kHttpContinue = 100;
constexpr int kFirstErrorStatus = 0x0400;
constexpr int kActiveJobs = 0;
constexpr int kCompletedJobs = 1;
constexpr int kMyJobs = 1;
constexpr int kJobProcessing = 5;
constexpr int kJobStopped = 6;
constexpr int kJobCompleted = 9;
constexpr int kPollMs = 100;
constexpr int kSocketPort = 9100;

struct Limits {
    int answerMs = 5000;
    int stallMs = 30000;
};
Limits& limits() {
    static Limits l;
    return l;
}

// Asked of the job being followed: set from a button or a timer, seen at the next look.
bool& withdrawWanted() {
    static bool wanted = false;
    return wanted;
}
bool& followingNow() {
    static bool now = false;
    return now;
}

RawPrintJob::Observer& observer() {
    static RawPrintJob::Observer o;
    return o;
}

ExternalFunctionTable& cups() {
    return programFunctions();
}

// The job's state in the list `which`; nullopt when it is not there.
std::optional<int> stateIn(const QByteArray& queue, int jobId, int which) {
    CupsJob* jobs = nullptr;
    const int count = cups().call<int(CupsJob**, const char*, int, int)>(
        ProgramFunction::CupsGetJobs, &jobs, queue.constData(), kMyJobs, which);
    std::optional<int> state;
    for (int i = 0; i < count; ++i) {
        if (jobs[i].id == jobId) {
            state = jobs[i].state;
        }
    }
    if (jobs != nullptr) {
        cups().call<void(int, CupsJob*)>(ProgramFunction::CupsFreeJobs, count, jobs);
    }
    return state;
}

// What keeps the job from the printer, as the queue reports it.
QString faultOf(const QString& reasons) {
    if (reasons.contains(QStringLiteral("media-empty")) ||
        reasons.contains(QStringLiteral("media-needed"))) {
        return RawPrintJob::outOfPaperText();
    }
    if (reasons.contains(QStringLiteral("cover-open")) ||
        reasons.contains(QStringLiteral("door-open"))) {
        return RawPrintJob::coverOpenText();
    }
    return RawPrintJob::notConnectedText();
}

// Reasons a printer gives when it cannot print now; a working printer gives none for long.
bool reportsFault(const QString& reasons) {
    for (const char* fault : {"connecting-to-device", "offline", "media-empty", "media-needed",
                              "cover-open", "door-open", "paused"}) {
        if (reasons.contains(QLatin1String(fault))) {
            return true;
        }
    }
    return false;
}

// A network printer's address from the queue's device ("socket://host:9100"); empty for others.
struct PrinterAddress {
    QString host;
    int port = 0;
};
PrinterAddress addressOf(const QString& queue) {
    const QUrl uri(SystemPrinters::option(queue, QStringLiteral("device-uri")));
    if (uri.scheme() != QStringLiteral("socket") || uri.host().isEmpty()) {
        return {};
    }
    return {uri.host(), uri.port(kSocketPort)};
}

// What the job, its printer and the printer's connection show at one look; any change is the
// printer making progress.
struct Look {
    int state = 0;
    QString reasons;
    std::optional<qint64> backlog;
    bool operator==(const Look&) const = default;
};

// Follows one accepted job to its end with the event loop running: windows repaint and clocks
// tick, while input, closing and shortcuts of every window but `own` wait as they would behind
// a modal progress window.
class Follower {
  public:
    Follower(const QString& queue, int jobId, QWidget* own)
        : queue_(queue),
          name_(queue.toUtf8()),
          jobId_(jobId),
          address_(addressOf(queue)),
          connection_(address_.host, address_.port),
          own_(own) {}

    QString run() {
        const OwnEventsOnly held(own_, OwnEventsOnly::Timers::Served);
        followingNow() = true;
        sinceProgress_.start();
        QTimer tick;
        tick.setInterval(kPollMs);
        QObject::connect(&tick, &QTimer::timeout, &loop_, [this] { look(); });
        tick.start();
        look();
        if (!done_) {
            loop_.exec();
        }
        followingNow() = false;
        withdrawWanted() = false;
        return outcome_;
    }

  private:
    void finish(const QString& outcome, bool cancel) {
        if (cancel) {
            cups().call<int(const char*, int)>(ProgramFunction::CupsCancelJob, name_.constData(),
                                               jobId_);
        }
        outcome_ = outcome;
        done_ = true;
        loop_.quit();
    }

    void look() {
        if (done_) {
            return;
        }
        if (withdrawWanted()) {
            finish(RawPrintJob::withdrawnText(), true);
            return;
        }
        const std::optional<int> state = stateIn(name_, jobId_, kActiveJobs);
        if (!state) {
            // Gone from the active jobs: printed, or ended by the print system.
            const std::optional<int> last = stateIn(name_, jobId_, kCompletedJobs);
            const QString reasons =
                SystemPrinters::option(queue_, QStringLiteral("printer-state-reasons"));
            finish(!last || *last == kJobCompleted ? QString() : faultOf(reasons), false);
            return;
        }
        Look now;
        now.state = *state;
        now.reasons = SystemPrinters::option(queue_, QStringLiteral("printer-state-reasons"));
        if (!address_.host.isEmpty()) {
            now.backlog = connection_.bytes();
        }
        if (now != last_) {
            last_ = now;
            sinceProgress_.restart();
        }
        // A network printer being sent to without a connection to it does not answer.
        const bool unreachable =
            !address_.host.isEmpty() && now.state == kJobProcessing && !now.backlog;
        const bool fault = reportsFault(now.reasons) || now.state == kJobStopped || unreachable;
        if (!fault) {
            sinceFault_.invalidate();
        } else if (!sinceFault_.isValid()) {
            sinceFault_.start();
        }
        if ((fault && sinceFault_.elapsed() >= limits().answerMs) ||
            sinceProgress_.elapsed() >= limits().stallMs) {
            finish(faultOf(now.reasons), true);
        }
    }

    QString queue_;
    QByteArray name_;
    int jobId_;
    PrinterAddress address_;
    ConnectionBacklog connection_;
    QWidget* own_;
    QEventLoop loop_;
    Look last_;
    QElapsedTimer sinceProgress_;
    QElapsedTimer sinceFault_;
    QString outcome_;
    bool done_ = false;
};

QString deliver(const QString& queue, const QString& title, const QByteArray& commands,
                QWidget* own);

}  // namespace

void RawPrintJob::setObserver(Observer o) {
    observer() = std::move(o);
}

QString RawPrintJob::send(const QString& queue, const QString& title, const QByteArray& commands,
                          bool drawerPulse, QWidget* own) {
    const QString failure = deliver(queue, title, commands, own);
    if (observer()) {
        observer()(Report{queue, title, commands.size(), drawerPulse, failure});
    }
    return failure;
}

void RawPrintJob::setAnswerTime(int milliseconds) {
    limits().answerMs = milliseconds;
}

int RawPrintJob::answerTime() {
    return limits().answerMs;
}

void RawPrintJob::setStallTime(int milliseconds) {
    limits().stallMs = milliseconds;
}

int RawPrintJob::stallTime() {
    return limits().stallMs;
}

void RawPrintJob::withdraw() {
    withdrawWanted() = true;
}

bool RawPrintJob::following() {
    return followingNow();
}

namespace {

QString deliver(const QString& queue, const QString& title, const QByteArray& commands,
                QWidget* own) {
    const QByteArray name = queue.toUtf8();
    const QByteArray jobTitle = title.toUtf8();
    const int jobId = cups().call<int(void*, const char*, const char*, int, void*)>(
        ProgramFunction::CupsCreateJob, nullptr, name.constData(), jobTitle.constData(), 0,
        nullptr);
    if (jobId <= 0) {
        return RawPrintJob::notAcceptedText();
    }
    bool sent = cups().call<int(void*, const char*, int, const char*, const char*, int)>(
                    ProgramFunction::CupsStartDocument, nullptr, name.constData(), jobId,
                    jobTitle.constData(), "application/vnd.cups-raw", 1) == kHttpContinue;
    sent = sent && cups().call<int(void*, const char*, size_t)>(
                       ProgramFunction::CupsWriteRequestData, nullptr, commands.constData(),
                       static_cast<size_t>(commands.size())) == kHttpContinue;
    // Finished even after a failed write: the scheduler then drops the half-sent document.
    const int finished = cups().call<int(void*, const char*)>(ProgramFunction::CupsFinishDocument,
                                                              nullptr, name.constData());
    if (!sent || finished >= kFirstErrorStatus) {
        cups().call<int(const char*, int)>(ProgramFunction::CupsCancelJob, name.constData(), jobId);
        return RawPrintJob::notAcceptedText();
    }
    return Follower(queue, jobId, own).run();
}

}  // namespace

}  // namespace tillora
