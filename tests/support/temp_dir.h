// A scratch folder for one test, removed afterwards.
#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lirra::testing {

class TempDirTest : public ::testing::Test {
 protected:
  QString path(const QString& name) const { return dir_.filePath(name); }

  void writeBytes(const QString& name, const QByteArray& bytes) const {
    QFile f(path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
  }

  QByteArray readBytes(const QString& name) const {
    QFile f(path(name));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
  }

  QStringList entries() const {
    return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
  }

  QTemporaryDir dir_;
};

}  // namespace lirra::testing
