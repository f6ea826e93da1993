#pragma once
// A scratch copy of the program's tables (bank, current exam set, user set)
// made the working directory, so that a tool can build exams without
// touching the tables beside the program.
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

namespace marvessa {

class TBankCopy {
 public:
  explicit TBankCopy(const QString& from) : previous_(QDir::currentPath()) {
    for (const char* base : {"qvault", "ces", "qvaultusr"})
      for (const char* ext : {".DAT", ".IDX", ".BLB"}) {
        const QString name = QString(base) + ext;
        if (QFile::exists(from + "/" + name)) QFile::copy(from + "/" + name, dir_.filePath(name));
      }
    QDir::setCurrent(dir_.path());
  }
  ~TBankCopy() { QDir::setCurrent(previous_); }
  TBankCopy(const TBankCopy&) = delete;
  TBankCopy& operator=(const TBankCopy&) = delete;
  QString Path() const { return dir_.path(); }

 private:
  QTemporaryDir dir_;
  QString previous_;
};

}  // namespace marvessa
