#include "records/export_progress_window.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace tillora {

ExportProgressWindow::ExportProgressWindow(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("导出进度"));
    setWindowTitle(QStringLiteral("Tillora"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    // The export pumps events while it runs: nothing else of the program may be used meanwhile.
    setWindowModality(Qt::ApplicationModal);

    auto* label = new QLabel(QStringLiteral("正在导出，请稍候……"), this);
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("导出进度条"));
    bar_->setRange(0, 1000);
    bar_->setMinimumWidth(280);
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("取消"));
    cancel->setDefault(true);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::rejected, this, [this] { cancelRequested_ = true; });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(bar_);
    layout->addWidget(cancel, 0, Qt::AlignHCenter);
    cancel->setFocus();
}

void ExportProgressWindow::setProgress(std::int64_t done, std::int64_t total) {
    bar_->setValue(total > 0 ? int(done * 1000 / total) : 0);
}

}  // namespace tillora
