#pragma once

#include <QDir>
#include <QString>

namespace tillora::test {

// The PDF file a print job became in `folder` (cups-pdf names each file after its job, so
// `token` in the job name finds it), once it has content and cups-pdf had time to finish it;
// empty when none came within `timeoutMs`.
QString waitForPdf(const QDir& folder, const QString& token, int timeoutMs = 60000);

}  // namespace tillora::test
