// Where the program works: beside its executable when it may write there,
// else in the user's own folder, filled from the installed copy.
#include "app/table_folder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <set>

#include "testing/temp_dir.h"

namespace marvessa {
namespace {

QString Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString("<missing>");
}

void Write(const QString& path, const QString& text) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(text.toLatin1());
}

// An installed tree: <prefix>/bin holds the program, the tables and
// pictures lie in <prefix>/share/marvessa; each table file holds its name.
class InstalledTree : public ::testing::Test {
 protected:
  InstalledTree() {
    QDir root(Root());
    root.mkpath("prefix/bin");
    root.mkpath("prefix/share/marvessa/exhibits");
    root.mkpath("home");
    for (const char* table : kShippedTables)
      for (const char* ext : {".DAT", ".IDX", ".BLB"}) Write(Shipped() + "/" + table + ext, QString(table) + ext);
    Write(Shipped() + "/exhibits/memory.bmp", "picture");
  }
  QString Root() const { return QString::fromStdString(dir_.path()); }
  QString Bin() const { return Root() + "/prefix/bin"; }
  QString Shipped() const { return Root() + "/prefix/share/marvessa"; }
  QString Own() const { return Root() + "/home/marvessa"; }
  // The installed folders are the system's; everything else is the user's.
  TTableFolderServices Services() const {
    return {[this](const QString& folder) { return !folder.startsWith(Root() + "/prefix"); }, Root() + "/home"};
  }

  testing_support::TempDir dir_;
};

TEST_F(InstalledTree, TheInstalledTablesAreFoundFromTheProgramsFolder) {
  EXPECT_EQ(ShippedTableFolder(Bin()), QDir(Shipped()).canonicalPath());
  // Run from its build folder, the tables lie beside the program.
  EXPECT_EQ(ShippedTableFolder(Shipped()), QDir(Shipped()).absolutePath());
}

TEST_F(InstalledTree, AWritableProgramFolderIsUsedAsItIs) {
  TTableFolderServices services = Services();
  services.IsWritable = [](const QString&) { return true; };  // root, or a build folder
  EXPECT_EQ(PrepareTableFolder(Bin(), services), QDir(Shipped()).canonicalPath());
  EXPECT_FALSE(QFileInfo::exists(Own()));
}

TEST_F(InstalledTree, AUserGetsCopiesOfTheTablesAndThePictures) {
  ASSERT_EQ(PrepareTableFolder(Bin(), Services()), Own());
  for (const char* table : kShippedTables)
    for (const char* ext : {".DAT", ".IDX", ".BLB"}) {
      const QString file = Own() + "/" + table + ext;
      EXPECT_EQ(Read(file), QString(table) + ext);
      EXPECT_TRUE(QFileInfo(file).permissions() & QFileDevice::WriteOwner) << file.toStdString();
    }
  // An item names its picture "exhibits/memory.bmp", relative to the tables.
  EXPECT_EQ(Read(Own() + "/exhibits/memory.bmp"), "picture");
  std::set<QString> names;
  for (const QString& name : QDir(Own()).entryList(QDir::Files | QDir::NoDotAndDotDot)) names.insert(name);
  EXPECT_EQ(names.size(), 9u) << "no temporary files are left";
}

TEST_F(InstalledTree, AUsersOwnTablesAreNeverOverwritten) {
  QDir().mkpath(Own());
  Write(Own() + "/qvault.DAT", "notes of mine");
  Write(Own() + "/qvaultusr.BLB", "my questions");
  Write(Own() + "/ces.DAT.part", "left by an interrupted copy");
  ASSERT_EQ(PrepareTableFolder(Bin(), Services()), Own());
  EXPECT_EQ(Read(Own() + "/qvault.DAT"), "notes of mine");
  EXPECT_FALSE(QFileInfo::exists(Own() + "/qvault.IDX")) << "a table is copied whole or not at all";
  EXPECT_EQ(Read(Own() + "/qvaultusr.BLB"), "my questions");
  EXPECT_EQ(Read(Own() + "/ces.DAT"), "ces.DAT");
  EXPECT_FALSE(QFileInfo::exists(Own() + "/ces.DAT.part"));
  // A second start changes nothing.
  Write(Own() + "/ces.DAT", "the current exam");
  PrepareTableFolder(Bin(), Services());
  EXPECT_EQ(Read(Own() + "/ces.DAT"), "the current exam");
}

TEST_F(InstalledTree, WithoutAnyWritableFolderTheInstalledTablesAreUsed) {
  TTableFolderServices services = Services();
  services.IsWritable = [](const QString&) { return false; };
  EXPECT_EQ(PrepareTableFolder(Bin(), services), QDir(Shipped()).canonicalPath());
}

}  // namespace
}  // namespace marvessa
