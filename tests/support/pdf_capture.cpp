#include "tests/support/pdf_capture.h"

#include <QElapsedTimer>
#include <QThread>

namespace tillora::test {

QString waitForPdf(const QDir& folder, const QString& token, int timeoutMs) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < timeoutMs) {
        for (const QFileInfo& f : folder.entryInfoList({QStringLiteral("*.pdf")}, QDir::Files)) {
            if (f.fileName().contains(token) && f.size() > 0) {
                // The file appears before cups-pdf has written all of it.
                QThread::msleep(300);
                return f.absoluteFilePath();
            }
        }
        QThread::msleep(200);
    }
    return {};
}

}  // namespace tillora::test
