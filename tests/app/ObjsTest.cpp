#include "app/Objs.h"

#include <fstream>
#include <iterator>
#include <stdlib.h>

#include <gtest/gtest.h>

#include "app/Database.h"
#include "app/Uis.h"
#include "app/WaybillLayout.h"
#include "platform/data/Schema.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Streams.h"
#include "tests/app/AppDbSupport.h"

namespace {

AnsiString FixturePath(const char* Name)
{
  return AnsiString(QH_FIXTURES) + "/" + Name;
}

AnsiString FileBytes(const AnsiString& Path)
{
  std::ifstream file(Path, std::ios::binary);
  EXPECT_TRUE(file.good()) << Path;
  return AnsiString(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

AnsiString StreamBytes(TMemoryStream* Stream)
{
  AnsiString bytes(static_cast<size_t>(Stream->Size()), '\0');
  if (!bytes.empty())
    Stream->Read(bytes.data(), static_cast<Integer>(bytes.size()));
  return bytes;
}

// Each test works on a database holding the application's schema and nothing else: a new
// SQLite file, or the tables made afresh on the test binary's PostgreSQL server.
class TemplateStore : public testing::TestWithParam<app_test::TBackend> {
protected:
  void SetUp() override
  {
    if (GetParam() == app_test::beSQLite) {
      char folder[] = "/tmp/qh-templates-XXXXXX";
      ASSERT_NE(mkdtemp(folder), nullptr);
      FFolder = folder;
      FDatabase = FFolder + "/qhwbp.mdb";
      CreateDatabaseFile(FDatabase);
      ASSERT_TRUE(Db->Connect(
          GbkToWide("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + FDatabase + ";")));
      return;
    }
    std::string socketDir, error;
    ASSERT_TRUE(PostgreSQLTestServer(socketDir, error))
        << "the PostgreSQL test server did not start: " << error;
    ASSERT_TRUE(Db->Connect(GbkToWide("Provider=SQLOLEDB.1;Data Source=" + socketDir +
                                      ";User ID=postgres;Password=;Initial Catalog=postgres;")));
    const std::vector<AnsiString>& tables = SchemaTables();
    for (auto table = tables.rbegin(); table != tables.rend(); ++table)
      Db->Connection()->Execute("drop table if exists " + *table);
    CreateSchema(Db->Connection());
  }

  void TearDown() override
  {
    SharedRecordSet->DataSet()->Close();
    Db->SetConnected(false);
    if (!FDatabase.empty())
      DeleteFile(FDatabase);
    if (!FFolder.empty())
      RemoveDir(FFolder);
  }

  static RTemplate MakeTemplate(const char* Name, const char* Picture)
  {
    RTemplate t;
    t.BillName = GbkToWide(Name);
    t.ImgName = FixturePath(Picture);
    t.AddTime = EncodeDate(2026, 12, 10) + EncodeTime(14, 30, 5, 0);
    t.Billman = "sa";
    t.Temdata = TWaybillLayout::Default().BuildLayoutText();
    return t;
  }

  static RTemplates List()
  {
    RTemplates templates;
    TTemplateSet::ListTemplates(templates);
    return templates;
  }

  // The listed template with key Id (rows come in the database's order, which an update
  // may change).
  static const RTemplate& Listed(const RTemplates& Templates, Integer Id)
  {
    for (const RTemplate& t : Templates)
      if (t.Id == Id)
        return t;
    ADD_FAILURE() << "no template " << Id;
    static const RTemplate none;
    return none;
  }

  AnsiString FFolder;
  AnsiString FDatabase;
};

} // namespace

TEST_P(TemplateStore, AddedTemplatesListWithEveryField)
{
  RTemplate first = MakeTemplate("圆通 快递单", "template-4x3.png");
  ASSERT_TRUE(TTemplateSet::AddTemplate(first));
  EXPECT_EQ(first.Id, 1);
  RTemplate second = MakeTemplate("圆通 快递单", "template-4x3.bmp"); // same names are allowed
  second.Temdata = GbkToWide(FileBytes(FixturePath("waybill-special-layout.txt")));
  ASSERT_TRUE(TTemplateSet::AddTemplate(second));
  EXPECT_EQ(second.Id, 2);

  const RTemplates listed = List();
  ASSERT_EQ(listed.size(), 2u);
  for (const RTemplate* expected : {&first, &second}) {
    const RTemplate& actual = Listed(listed, expected->Id);
    SCOPED_TRACE(expected->Id);
    EXPECT_EQ(actual.Id, expected->Id);
    EXPECT_EQ(actual.BillName, expected->BillName);
    EXPECT_EQ(actual.ImgName, expected->ImgName);
    EXPECT_DOUBLE_EQ(actual.AddTime, expected->AddTime);
    EXPECT_EQ(actual.Billman, "sa");
    EXPECT_EQ(actual.Temdata, expected->Temdata);
  }
}

TEST_P(TemplateStore, NewKeysFollowTheHighestOne)
{
  for (Integer expected : {1, 2, 3}) {
    RTemplate t = MakeTemplate("t", "template-4x3.png");
    ASSERT_TRUE(TTemplateSet::AddTemplate(t));
    EXPECT_EQ(t.Id, expected);
  }
  ASSERT_TRUE(TTemplateSet::DeleteTemplate(3));
  RTemplate reused = MakeTemplate("t", "template-4x3.png");
  ASSERT_TRUE(TTemplateSet::AddTemplate(reused));
  EXPECT_EQ(reused.Id, 3);
  ASSERT_TRUE(TTemplateSet::DeleteTemplate(1));
  RTemplate after = MakeTemplate("t", "template-4x3.png");
  ASSERT_TRUE(TTemplateSet::AddTemplate(after));
  EXPECT_EQ(after.Id, 4);
}

TEST_P(TemplateStore, RenameUpdateAndDeleteTouchOneRow)
{
  RTemplate a = MakeTemplate("甲", "template-4x3.png");
  RTemplate b = MakeTemplate("乙", "template-4x3.bmp");
  ASSERT_TRUE(TTemplateSet::AddTemplate(a));
  ASSERT_TRUE(TTemplateSet::AddTemplate(b));

  EXPECT_TRUE(TTemplateSet::RenameTemplate(GbkToWide("甲 改名"), a.Id));
  b.Temdata = GbkToWide("\"l13=Visible=0\",PaperWidth=1,PaperHeight=2");
  b.Billman = "op2";
  EXPECT_TRUE(TTemplateSet::UpdateTemplate(b));
  EXPECT_FALSE(TTemplateSet::RenameTemplate(GbkToWide("x"), 0));
  RTemplate none = b;
  none.Id = 0;
  EXPECT_FALSE(TTemplateSet::UpdateTemplate(none));

  RTemplates listed = List();
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(Listed(listed, a.Id).BillName, GbkToWide("甲 改名"));
  EXPECT_EQ(Listed(listed, a.Id).Temdata, a.Temdata);
  EXPECT_EQ(Listed(listed, b.Id).BillName, GbkToWide("乙"));
  EXPECT_EQ(Listed(listed, b.Id).Temdata, b.Temdata);
  EXPECT_EQ(Listed(listed, b.Id).Billman, "op2");

  EXPECT_TRUE(TTemplateSet::DeleteTemplate(a.Id));
  EXPECT_FALSE(TTemplateSet::DeleteTemplate(a.Id));
  listed = List();
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].Id, b.Id);
}

TEST_P(TemplateStore, PictureBytesAreKept)
{
  const char* pictures[] = {"template-4x3.png", "template-4x3.bmp", "waybill-three-labels.xml"};
  for (const char* picture : pictures) {
    SCOPED_TRACE(picture);
    RTemplate t = MakeTemplate("t", picture);
    ASSERT_TRUE(TTemplateSet::AddTemplate(t));
    // Updating the record leaves the picture alone.
    t.ImgName = "/elsewhere/other.jpg";
    ASSERT_TRUE(TTemplateSet::UpdateTemplate(t));
    std::unique_ptr<TMemoryStream> stream;
    ASSERT_TRUE(TTemplateSet::LoadTemplateImage(t.Id, stream));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->Position(), 0);
    EXPECT_EQ(StreamBytes(stream.get()), FileBytes(FixturePath(picture)));
  }
  std::unique_ptr<TMemoryStream> missing;
  EXPECT_FALSE(TTemplateSet::LoadTemplateImage(99, missing));
  EXPECT_EQ(missing, nullptr);
}

TEST_P(TemplateStore, MissingPictureFileFailsBeforeAnyInsert)
{
  RTemplate t = MakeTemplate("t", "no-such-picture.jpg");
  EXPECT_THROW(TTemplateSet::AddTemplate(t), EFOpenError);
  EXPECT_TRUE(List().empty());
  RTemplate next = MakeTemplate("t", "template-4x3.png");
  ASSERT_TRUE(TTemplateSet::AddTemplate(next));
  EXPECT_EQ(next.Id, 1);
}

TEST_P(TemplateStore, PngAndBmpTemplatesReopen)
{
  for (const char* file : {"template-4x3.png", "template-4x3.bmp"}) {
    SCOPED_TRACE(file);
    RTemplate t = MakeTemplate("t", file);
    ASSERT_TRUE(TTemplateSet::AddTemplate(t));
    // The picture last showed a JPEG; the stored bytes decide the decoder.
    TPicture picture;
    TJPEGImage jpeg;
    picture.SetGraphic(&jpeg);
    ASSERT_TRUE(LoadTemplatePicture(t.Id, &picture));
    TBitmap* pixels = nullptr;
    if (auto* png = dynamic_cast<TPngImage*>(picture.Graphic()))
      pixels = png->Bitmap();
    else
      pixels = dynamic_cast<TBitmap*>(picture.Graphic());
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(AnsiString(file).ends_with(".png"),
              dynamic_cast<TPngImage*>(picture.Graphic()) != nullptr);
    EXPECT_EQ(picture.Width(), 4);
    EXPECT_EQ(picture.Height(), 3);
    // Top-left pure red, bottom-right (120, 120, 255); colours read 0x00BBGGRR.
    EXPECT_EQ(pixels->Pixel(0, 0), 0x0000FF);
    EXPECT_EQ(pixels->Pixel(3, 2), 0xFF7878);
  }
  TPicture untouched;
  EXPECT_FALSE(LoadTemplatePicture(42, &untouched));
  EXPECT_TRUE(untouched.Empty());
  // Stored bytes of no picture kind are refused by the picture, not misread.
  RTemplate text = MakeTemplate("t", "waybill-three-labels.xml");
  ASSERT_TRUE(TTemplateSet::AddTemplate(text));
  EXPECT_THROW(LoadTemplatePicture(text.Id, &untouched), EInvalidGraphic);
}

TEST_P(TemplateStore, JpegTemplateReopensAfterAPng)
{
  TBitmap source(8, 6);
  TJPEGImage encoded;
  encoded.Assign(&source);
  encoded.Compress();
  const AnsiString file = GetTempFileName("", "qhjpeg");
  ASSERT_FALSE(file.empty());
  encoded.SaveToFile(file);
  RTemplate jpeg = MakeTemplate("t", "template-4x3.png");
  jpeg.ImgName = file;
  const bool added = TTemplateSet::AddTemplate(jpeg);
  DeleteFile(file);
  ASSERT_TRUE(added);
  RTemplate png = MakeTemplate("t", "template-4x3.png");
  ASSERT_TRUE(TTemplateSet::AddTemplate(png));

  TPicture picture;
  ASSERT_TRUE(LoadTemplatePicture(png.Id, &picture));
  ASSERT_TRUE(LoadTemplatePicture(jpeg.Id, &picture));
  EXPECT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr);
  EXPECT_EQ(picture.Width(), 8);
  EXPECT_EQ(picture.Height(), 6);
}

TEST_P(TemplateStore, TemplateListShowsTheStoredTemplates)
{
  RTemplate a = MakeTemplate("甲", "template-4x3.png");
  RTemplate b = MakeTemplate("乙", "template-4x3.bmp");
  ASSERT_TRUE(TTemplateList::AddTemplate(a));
  ASSERT_TRUE(TTemplateList::AddTemplate(b));
  TTemplateNodes nodes;
  nodes.LoadTemplates();
  ASSERT_EQ(nodes.Count(), 2);
  EXPECT_EQ(nodes.Text(0), "甲");
  EXPECT_EQ(nodes.Text(1), "乙");
  EXPECT_EQ(nodes.Data(1).Id, b.Id);
  EXPECT_EQ(nodes.Data(1).Temdata, b.Temdata);
}

INSTANTIATE_TEST_SUITE_P(Backends, TemplateStore,
                         testing::Values(app_test::beSQLite, app_test::bePostgreSQL),
                         app_test::BackendName);
