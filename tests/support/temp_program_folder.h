#pragma once

#include <QString>
#include <QTemporaryDir>

namespace tillora::test {

// A fresh, empty program folder for one test; removed with the object.
class TempProgramFolder {
  public:
    TempProgramFolder();
    bool isValid() const { return dir_.isValid(); }
    QString path() const { return dir_.path(); }
    // Path of a file inside the folder.
    QString file(const QString& name) const { return dir_.filePath(name); }

  private:
    QTemporaryDir dir_;
};

}  // namespace tillora::test
