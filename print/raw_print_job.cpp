#include "print/raw_print_job.h"

#include <QElapsedTimer>
#include <QThread>

#include <ctime>

#include "forms/services/external_function_table.h"
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
constexpr int kMyJobs = 1;
constexpr int kPollMs = 10;

int& answerMs() {
    static int ms = 5000;
    return ms;
}

RawPrintJob::Observer& observer() {
    static RawPrintJob::Observer o;
    return o;
}

ExternalFunctionTable& cups() {
    return programFunctions();
}

bool stillActive(const QByteArray& queue, int jobId) {
    CupsJob* jobs = nullptr;
    const int count = cups().call<int(CupsJob**, const char*, int, int)>(
        ProgramFunction::CupsGetJobs, &jobs, queue.constData(), kMyJobs, kActiveJobs);
    bool active = false;
    for (int i = 0; i < count; ++i) {
        active = active || jobs[i].id == jobId;
    }
    if (jobs != nullptr) {
        cups().call<void(int, CupsJob*)>(ProgramFunction::CupsFreeJobs, count, jobs);
    }
    return active;
}

// What keeps the job from the printer, as the queue reports it.
QString faultOf(const QString& queue) {
    const QString reasons = SystemPrinters::option(queue, QStringLiteral("printer-state-reasons"));
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

QString deliver(const QString& queue, const QString& title, const QByteArray& commands);

}  // namespace

void RawPrintJob::setObserver(Observer o) {
    observer() = std::move(o);
}

QString RawPrintJob::send(const QString& queue, const QString& title, const QByteArray& commands,
                          bool drawerPulse) {
    const QString failure = deliver(queue, title, commands);
    if (observer()) {
        observer()(Report{queue, title, commands.size(), drawerPulse, failure});
    }
    return failure;
}

void RawPrintJob::setAnswerTime(int milliseconds) {
    answerMs() = milliseconds;
}

int RawPrintJob::answerTime() {
    return answerMs();
}

namespace {

QString deliver(const QString& queue, const QString& title, const QByteArray& commands) {
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
    QElapsedTimer waited;
    waited.start();
    while (stillActive(name, jobId)) {
        if (waited.elapsed() >= answerMs()) {
            const QString fault = faultOf(queue);
            cups().call<int(const char*, int)>(ProgramFunction::CupsCancelJob, name.constData(),
                                               jobId);
            return fault;
        }
        QThread::msleep(kPollMs);
    }
    return {};
}

}  // namespace

}  // namespace tillora
