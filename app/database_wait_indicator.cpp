#include "app/database_wait_indicator.h"

#include "forms/components/timer.h"
#include "forms/services/own_events_only.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tillora {

DatabaseWaitIndicator::DatabaseWaitIndicator(int noAnswerMs)
    : previous_(setDatabaseWaitObserver(this)), noAnswerMs_(noAnswerMs) {}

DatabaseWaitIndicator::~DatabaseWaitIndicator() {
    setDatabaseWaitObserver(previous_);
}

void DatabaseWaitIndicator::begin(DatabaseWaitKind) {
    cancelled_ = false;
}

bool DatabaseWaitIndicator::progress(DatabaseWaitKind kind, int elapsedMs) {
    // Only paints and the windows' own timers: no input, no queued call, so no handler runs in
    // the middle of a statement but a clock's.
    Timer::tickOverdue();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    if (!busyCursor_ && elapsedMs >= kBusyCursorMs) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        busyCursor_ = true;
    }
    if (kind == DatabaseWaitKind::Server && elapsedMs >= noAnswerMs_) {
        if (!window_) {
            showNoAnswerWindow();
        }
        // Its 取消 must be pressable: its own input is served, no other window's.
        const OwnEventsOnly filter(window_.get());
        QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
    }
    return !cancelled_;
}

void DatabaseWaitIndicator::end(DatabaseWaitKind) {
    if (busyCursor_) {
        QApplication::restoreOverrideCursor();
        busyCursor_ = false;
    }
    window_.reset();
}

void DatabaseWaitIndicator::showNoAnswerWindow() {
    window_ = std::make_unique<QDialog>(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint);
    window_->setObjectName(QStringLiteral("数据库等待"));
    window_->setWindowTitle(QStringLiteral("信息："));
    auto* layout = new QVBoxLayout(window_.get());
    layout->addWidget(
        new QLabel(QStringLiteral("数据库服务器没有响应，正在等待……"), window_.get()));
    auto* cancel = new QPushButton(QStringLiteral("取消"), window_.get());
    cancel->setDefault(true);
    layout->addWidget(cancel, 0, Qt::AlignHCenter);
    // Esc, Enter or a click: the dialog's own keys all end in rejected.
    QObject::connect(cancel, &QPushButton::clicked, window_.get(), &QDialog::reject);
    QObject::connect(window_.get(), &QDialog::rejected, window_.get(),
                     [this] { cancelled_ = true; });
    window_->show();
    window_->raise();
    window_->activateWindow();
    cancel->setFocus();
}

}  // namespace tillora
