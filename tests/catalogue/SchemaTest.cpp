// The catalogue schema file: what the build writes, what the check refuses,
// and an engine that meets a bad schema refusing to work.
#include <gtest/gtest.h>

#include "catalogue/Engine.h"
#include "catalogue/Schema.h"
#include "platform/Files.h"
#include "tests/common/RecordingHost.h"
#include "tests/common/TempDir.h"

namespace qv {
namespace {

std::string Bytes(TContext& c) {
  TMemoryStream m;
  EXPECT_TRUE(c.SaveToStream(m));
  return std::string(reinterpret_cast<const char*>(m.Memory()), std::size_t(m.Size()));
}

TEST(Schema, TheShippedFileIsTheCatalogueSchema) {
  std::string shipped;
  ASSERT_TRUE(ReadWholeFile(std::string(QV_TEST_APP_DIR) + kContextFileName, shipped));
  TContext built;
  BuildCatalogueContext(built);
  EXPECT_EQ(shipped, Bytes(built));
  // The stream begins with the name, the count of nine user kinds and "xDisc" as kind 0x41.
  EXPECT_EQ(shipped.substr(0, 12), std::string("\x08\0\0\0Quirvane", 12));
  EXPECT_EQ(shipped.substr(12, 8), std::string("\x09\0\0\0\x24\0\0\0", 8));
  TContext loaded;
  ASSERT_TRUE(loaded.LoadFromFile(std::string(QV_TEST_APP_DIR) + kContextFileName));
  std::string error;
  EXPECT_TRUE(CheckCatalogueSchema(loaded, error)) << error;
  EXPECT_EQ(loaded.KindByName("xFileName")->Id, 0x45);
}

TEST(Schema, CheckRefusesWhatTheEngineCouldNotRead) {
  std::string error;
  TContext missing;
  BuildCatalogueContext(missing);
  missing.KindByName("xFile")->Name = "xFiles";
  EXPECT_FALSE(CheckCatalogueSchema(missing, error));
  EXPECT_NE(error.find("xFile"), std::string::npos);

  TContext wrongKind;
  BuildCatalogueContext(wrongKind);
  auto* file = dynamic_cast<TRecKind*>(wrongKind.KindByName("xFile"));
  file->GetField(4)->SetKind(wrongKind.KindByName("Text"));  // size must be an Integer
  EXPECT_FALSE(CheckCatalogueSchema(wrongKind, error));

  TContext shortKind;
  BuildCatalogueContext(shortKind);
  dynamic_cast<TRecKind*>(shortKind.KindByName("xDisc"))->Fields.pop_back();
  EXPECT_FALSE(CheckCatalogueSchema(shortKind, error));
}

TEST(Schema, AnEngineWithABadSchemaRefusesEverything) {
  test::TempDir dir;
  TContext bad;
  BuildCatalogueContext(bad);
  bad.KindByName("xFolderName")->Name = "other";
  ASSERT_TRUE(bad.SaveToFile(dir / kContextFileName));
  test::RecordingHost host;
  host.folder = dir / "db";
  TEngine engine(host, dir.Path());
  EXPECT_FALSE(engine.Usable());
  EXPECT_TRUE(host.HasLine("F Failed to load database context"));
  EXPECT_FALSE(engine.NewDatabase("", "x"));
  EXPECT_FALSE(DirectoryExists(dir / "db"));
  TEngine none(host, dir / "nowhere");
  EXPECT_FALSE(none.Usable());
}

TEST(Schema, ANewDatabaseKeepsACopyOfTheSchema) {
  test::TempDir dir;
  test::RecordingHost host;
  host.folder = dir / "db";
  TEngine engine(host, QV_TEST_APP_DIR);
  ASSERT_TRUE(engine.NewDatabase("pw", "Copy"));
  EXPECT_TRUE(host.HasLine("I New database \"Copy\" has been created"));
  EXPECT_TRUE(TEngine::DatabaseExists(dir / "db"));
  std::string copy, shipped;
  ASSERT_TRUE(ReadWholeFile(dir / "db/context.vlm", copy));
  ASSERT_TRUE(ReadWholeFile(std::string(QV_TEST_APP_DIR) + kContextFileName, shipped));
  EXPECT_EQ(copy, shipped);
  EXPECT_TRUE(engine.CloseDatabase());
  host.console.clear();
  EXPECT_FALSE(engine.OpenDatabase("wrong"));
  EXPECT_TRUE(host.HasLine("E Invalid password"));
  ASSERT_TRUE(engine.OpenDatabase("pw"));
  EXPECT_TRUE(host.HasLine("I Database \"Copy\" has been loaded"));
}

}  // namespace
}  // namespace qv
