// qhwbp-artwork: writes the program's drawn pictures for set-up.
//   qhwbp-artwork splash <file>            the splash picture as a JPEG file
//   qhwbp-artwork sample <database file>   a sample template (a blank waybill with its
//                                          labels, paper 230 x 127 mm) into an embedded
//                                          database that holds no template yet
// An existing splash file and a database that already holds templates are left alone.
#include <cstdio>
#include <cstring>

#include "app/AppImages.h"
#include "app/Database.h"
#include "app/Objs.h"
#include "app/Uis.h"
#include "app/WaybillLayout.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Units.h"

void RegisterGraphicsUnits();
void RegisterDataUnits();
void RegisterNetUnits();
void RegisterAppUnits();

namespace {

void SaveJpeg(void (*Draw)(TBitmap*), const AnsiString& FileName)
{
  TBitmap bitmap;
  Draw(&bitmap);
  TJPEGImage jpeg;
  jpeg.Assign(&bitmap);
  jpeg.SetCompressionQuality(90);
  jpeg.Compress();
  jpeg.SaveToFile(FileName);
}

int WriteSplash(const AnsiString& FileName)
{
  if (!FileExists(FileName))
    SaveJpeg(&DrawSplashPicture, FileName);
  return 0;
}

int AddSampleTemplate(const AnsiString& DatabaseFile)
{
  if (!Db->Connect(GbkToWide("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + DatabaseFile)))
    return 1;
  RTemplates existing;
  TTemplateList::ListTemplates(existing);
  int result = 0;
  if (existing.empty()) {
    const AnsiString picture = ExtractFilePath(DatabaseFile) + "样例快递单.jpg";
    SaveJpeg(&DrawSampleWaybill, picture);
    TWaybillLayout layout = TWaybillLayout::Default();
    layout.PaperWidth = 230;
    layout.PaperHeight = 127;
    RTemplate t;
    t.BillName = GbkToWide("样例快递单");
    t.ImgName = picture;
    t.AddTime = Now();
    t.Billman = "sa";
    t.Temdata = layout.BuildLayoutText();
    result = TTemplateList::AddTemplate(t) ? 0 : 1;
    DeleteFile(picture);
  }
  Db->SetConnected(false);
  return result;
}

} // namespace

int main(int argc, char** argv)
{
  SetCommandLine(argc, argv);
  if (argc != 3 || (std::strcmp(argv[1], "splash") != 0 && std::strcmp(argv[1], "sample") != 0)) {
    std::fprintf(stderr, "usage: qhwbp-artwork splash <file> | sample <database file>\n");
    return 2;
  }
  RegisterRtlUnits();
  RegisterGraphicsUnits();
  RegisterDataUnits();
  RegisterNetUnits();
  RegisterAppUnits();
  InitializeUnits();
  int result = 1;
  try {
    const AnsiString target = Utf8ToGbk(argv[2]);
    result = std::strcmp(argv[1], "splash") == 0 ? WriteSplash(target) : AddSampleTemplate(target);
  } catch (const Exception& e) {
    std::fprintf(stderr, "qhwbp-artwork: %s\n", GbkToUtf8(e.Message()).c_str());
  }
  FinalizeUnits();
  return result;
}
