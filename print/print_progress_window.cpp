#include "print/print_progress_window.h"

#include "forms/services/own_events_only.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>

namespace tillora {

PrintProgressWindow::PrintProgressWindow(const QString& documentName, const QString& destination,
                                         QWidget* owner)
    : QDialog(owner) {
    setObjectName(QStringLiteral("打印进度"));
    setWindowTitle(QStringLiteral("正在进行打印，请稍候 ......"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(false);

    auto* grid = new QGridLayout;
    auto addRow = [&](int row, const QString& label, QLabel* value) {
        grid->addWidget(new QLabel(label, this), row, 0);
        grid->addWidget(value, row, 1);
    };
    auto* name = new QLabel(documentName, this);
    name->setObjectName(QStringLiteral("作业名"));
    auto* target = new QLabel(destination, this);
    target->setObjectName(QStringLiteral("打印目的"));
    copy_ = new QLabel(this);
    copy_->setObjectName(QStringLiteral("已打印份数"));
    page_ = new QLabel(this);
    page_->setObjectName(QStringLiteral("当前页号"));
    addRow(0, QStringLiteral("打印作业名："), name);
    addRow(1, QStringLiteral("打印目的："), target);
    addRow(2, QStringLiteral("已打印份数："), copy_);
    addRow(3, QStringLiteral("当前页号："), page_);

    auto* abort = new QPushButton(QStringLiteral("中止打印"), this);
    abort->setObjectName(QStringLiteral("中止打印"));
    connect(abort, &QPushButton::clicked, this, &PrintProgressWindow::abortRequested);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(abort, 0, Qt::AlignHCenter);
    setCopy(1);
    setPage(1);
}

void PrintProgressWindow::setCopy(int copy) {
    copy_->setText(QString::number(copy));
}

void PrintProgressWindow::setPage(int page) {
    page_->setText(QString::number(page));
}

void PrintProgressWindow::serveOwnEvents() {
    const OwnEventsOnly filter(this);
    QCoreApplication::processEvents();
}

}  // namespace tillora
