// Exhibit pictures written by other programs (ImageMagick: bmp, ico;
// Inkscape: wmf, emf, from testdata/exhibit_source.svg), the choice of format
// by extension, and damaged files: each gives its format's message.
#include "exam/presentation/picture_loader.h"

#include <gtest/gtest.h>

#include <QFile>
#include <filesystem>
#include <functional>

#include "testing/temp_dir.h"

namespace marvessa {
namespace {

QByteArray Fixture(const char* name) {
  QFile file(QString(MARVESSA_PICTURE_FIXTURES) + "/" + name);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
  return file.readAll();
}

QString Write(const testing_support::TempDir& dir, const char* name, const QByteArray& bytes) {
  const QString path = QString::fromStdString(dir.File(name));
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
  return path;
}

std::string LoadError(const QString& path) {
  try {
    LoadPicture(path);
  } catch (const EPictureError& e) {
    return e.what();
  }
  return "(loaded)";
}

void Put16(QByteArray& b, int at, int v) {
  b[at] = char(v & 0xFF);
  b[at + 1] = char((v >> 8) & 0xFF);
}
void Put32(QByteArray& b, int at, qint64 v) {
  Put16(b, at, int(v & 0xFFFF));
  Put16(b, at + 2, int((v >> 16) & 0xFFFF));
}

bool Near(QRgb pixel, QRgb colour) {
  return qAbs(qRed(pixel) - qRed(colour)) < 40 && qAbs(qGreen(pixel) - qGreen(colour)) < 40 &&
         qAbs(qBlue(pixel) - qBlue(colour)) < 40 && qAlpha(pixel) > 200;
}

TEST(PictureLoader, PicturesOfOtherProgramsComeAtTheirOwnSize) {
  struct Case {
    const char* name;
    QSize size;
  } cases[] = {
      {"exhibit_magick.bmp", {64, 48}},
      {"exhibit_magick.ico", {32, 32}},  // the first of its two images
      {"exhibit_inkscape.wmf", {240, 160}},
      {"exhibit_inkscape.emf", {242, 162}},  // its frame: 63.99 x 42.99 mm
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QImage image = LoadPicture(QString(MARVESSA_PICTURE_FIXTURES) + "/" + c.name);
    EXPECT_EQ(image.size(), c.size);
  }
}

TEST(PictureLoader, MetafilesAreDrawn) {
  // The source drawing: a blue rectangle at (10,10)-(110,70), a red ellipse
  // around (170,45), on white.
  for (const char* name : {"exhibit_inkscape.wmf", "exhibit_inkscape.emf"}) {
    SCOPED_TRACE(name);
    QImage image = LoadPicture(QString(MARVESSA_PICTURE_FIXTURES) + "/" + name);
    ASSERT_GE(image.width(), 240);
    EXPECT_TRUE(Near(image.pixel(60, 40), qRgb(0x30, 0x60, 0xC0)));
    EXPECT_TRUE(Near(image.pixel(170, 45), qRgb(0xE0, 0x40, 0x20)));
    EXPECT_TRUE(Near(image.pixel(200, 150), qRgb(0xFF, 0xFF, 0xFF)));
  }
}

TEST(PictureLoader, FormatFollowsTheExtension) {
  testing_support::TempDir dir;
  const QByteArray bitmap = Fixture("exhibit_magick.bmp");
  EXPECT_EQ(LoadPicture(Write(dir, "ROUTER.BMP", bitmap)).size(), QSize(64, 48));
  // Without an extension the content decides.
  EXPECT_EQ(LoadPicture(Write(dir, "router", bitmap)).size(), QSize(64, 48));
  EXPECT_EQ(LoadError(Write(dir, "notes", "plain text")), "Unknown picture file extension (.)");
  // The name's extension decides, not the content.
  EXPECT_EQ(LoadError(Write(dir, "router.gif", bitmap)), "Unknown picture file extension (.gif)");
  EXPECT_EQ(LoadError(Write(dir, "router.Png", bitmap)), "Unknown picture file extension (.Png)");
  EXPECT_EQ(LoadError(Write(dir, "router.ico", bitmap)), kIconInvalid);
  EXPECT_EQ(LoadError(Write(dir, "router.wmf", bitmap)), kMetafileInvalid);
  // A dot in a folder's name is no extension.
  std::filesystem::create_directory(dir.File("v1.2"));
  EXPECT_EQ(LoadPicture(Write(dir, "v1.2/router", bitmap)).size(), QSize(64, 48));
}

TEST(PictureLoader, FilesThatCannotBeReadAreNamed) {
  testing_support::TempDir dir;
  const QString missing = QString::fromStdString(dir.File("missing.bmp"));
  EXPECT_EQ(LoadError(missing), "Cannot open file " + missing.toStdString());
  EXPECT_EQ(LoadError(QString::fromStdString(dir.path()) + "/.bmp"),
            "Cannot open file " + dir.path() + "/.bmp");
  std::filesystem::create_directory(dir.File("folder.emf"));
  EXPECT_EQ(LoadError(QString::fromStdString(dir.File("folder.emf"))), "Cannot open file " + dir.File("folder.emf"));
}

TEST(PictureLoader, DamagedFilesGiveTheirFormatsMessage) {
  using Mutation = std::function<void(QByteArray&)>;
  auto cut = [](int keep) { return Mutation([keep](QByteArray& b) { b.truncate(keep); }); };
  auto cutHalf = Mutation([](QByteArray& b) { b.truncate(b.size() / 2); });
  struct Case {
    const char* what;
    const char* fixture;
    Mutation damage;
    const char* message;
  } cases[] = {
      {"empty bitmap", "exhibit_magick.bmp", cut(0), kBitmapInvalid},
      {"bitmap cut in its header", "exhibit_magick.bmp", cut(30), kBitmapInvalid},
      {"bitmap 2^31 wide", "exhibit_magick.bmp", [](QByteArray& b) { Put32(b, 18, 0x7FFFFFFF); }, kBitmapInvalid},
      {"bitmap of 30000 x 30000", "exhibit_magick.bmp",
       [](QByteArray& b) { Put32(b, 18, 30000), Put32(b, 22, 30000); }, kBitmapInvalid},
      {"empty icon", "exhibit_magick.ico", cut(0), kIconInvalid},
      {"icon cut in its directory", "exhibit_magick.ico", cut(10), kIconInvalid},
      {"icon whose image lies past the end", "exhibit_magick.ico", [](QByteArray& b) { Put32(b, 18, 0x7FFFFF00); },
       kIconInvalid},
      {"empty metafile", "exhibit_inkscape.wmf", cut(0), kMetafileInvalid},
      {"metafile cut in half", "exhibit_inkscape.wmf", cutHalf, kMetafileInvalid},
      {"metafile of 32767 inches", "exhibit_inkscape.wmf",
       [](QByteArray& b) { Put16(b, 10, 32767), Put16(b, 12, 32767), Put16(b, 14, 1); }, kMetafileInvalid},
      {"metafile record of no size", "exhibit_inkscape.wmf", [](QByteArray& b) { Put32(b, 22 + 18, 0); },
       kMetafileInvalid},
      {"metafile record past the end", "exhibit_inkscape.wmf", [](QByteArray& b) { Put32(b, 22 + 18, 0x7FFFFFFF); },
       kMetafileInvalid},
      {"empty enhanced metafile", "exhibit_inkscape.emf", cut(0), kMetafileInvalid},
      {"enhanced metafile cut in half", "exhibit_inkscape.emf", cutHalf, kMetafileInvalid},
      {"enhanced metafile of a 2 km frame", "exhibit_inkscape.emf",
       [](QByteArray& b) { Put32(b, 32, 200000000), Put32(b, 36, 200000000); }, kMetafileInvalid},
      {"enhanced metafile without a signature", "exhibit_inkscape.emf", [](QByteArray& b) { Put32(b, 40, 0); },
       kMetafileInvalid},
      {"enhanced metafile record past the end", "exhibit_inkscape.emf",
       [](QByteArray& b) { Put32(b, 4, 0x7FFFFFF0); }, kMetafileInvalid},
  };
  testing_support::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QByteArray bytes = Fixture(c.fixture);
    c.damage(bytes);
    const QString extension = QString(c.fixture).section('.', -1);
    EXPECT_EQ(LoadError(Write(dir, ("damaged." + extension).toUtf8().constData(), bytes)), c.message);
  }
}

// Every exhibit the question bank names comes with the program and loads.
TEST(PictureLoader, TheShippedExhibitsLoad) {
  const std::filesystem::path shipped = std::filesystem::path(MARVESSA_RUNTIME_DIR) / "exhibits";
  int loaded = 0;
  for (const auto& entry : std::filesystem::directory_iterator(shipped)) {
    SCOPED_TRACE(entry.path().string());
    const QImage image = LoadPicture(QString::fromStdString(entry.path().string()));
    EXPECT_TRUE(PictureSizeAllowed(image.width(), image.height()));
    ++loaded;
  }
  EXPECT_GT(loaded, 0);
}

// Inputs that made a metafile library crash or hang while fuzzing; the
// program refuses them with the format's message.
TEST(PictureLoader, FuzzFindingsAreRefused) {
  const std::filesystem::path findings =
      std::filesystem::path(MARVESSA_PICTURE_FIXTURES).parent_path().parent_path().parent_path() / "fuzz" / "regressions";
  for (const char* format : {"wmf", "emf"}) {
    if (!std::filesystem::exists(findings / format)) continue;
    for (const auto& entry : std::filesystem::directory_iterator(findings / format)) {
      SCOPED_TRACE(entry.path().string());
      QFile file(QString::fromStdString(entry.path().string()));
      ASSERT_TRUE(file.open(QIODevice::ReadOnly));
      const QByteArray bytes = file.readAll();
      try {
        (std::string(format) == "wmf" ? DecodeWmf : DecodeEmf)(bytes);
      } catch (const EPictureError& e) {
        EXPECT_STREQ(e.what(), kMetafileInvalid);
      }
    }
  }
}

}  // namespace
}  // namespace marvessa
