#include "app/Objs.h"

#include "app/Database.h"
#include "platform/data/DB.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/Streams.h"

namespace {

// Statement texts are written as 8-bit literals; the database layer takes wide text.
WideString Sql(const char* Text)
{
  return GbkToWide(Text);
}

// The integer in the first column of the shared record set's current row; 0 for Null.
Integer FirstColumnInteger()
{
  const Variant value = SharedRecordSet->DataSet()->Fields()->Fields(0)->AsVariant();
  return VarIsNull(value) || VarIsEmpty(value) ? 0 : value.AsInteger();
}

} // namespace

bool TTemplateSet::AddTemplate(RTemplate& Template)
{
  SharedRecordSet->Open(Sql("select max(Id) from templates"));
  Template.Id = FirstColumnInteger() + 1;
  // Reading the picture first means a missing file fails before any row is written.
  TMemoryStream picture;
  picture.LoadFromFile(Template.ImgName);
  picture.SetPosition(0);
  return Db->ExecSql(
             Sql("insert into templates(BillName, AddTime, ImgName, ImgData, Billman, Temdata, Id)"
                 "values(:BillName,:AddTime,:ImgName,:ImgData,:Billman,:Temdata,:Id)"),
             {MakeParam("BillName", Template.BillName),
              MakeParam("AddTime", VarFromDateTime(Template.AddTime)),
              MakeParam("ImgName", Template.ImgName), MakeParam("Billman", Template.Billman),
              MakeParam("Temdata", Template.Temdata), MakeParam("Id", Template.Id)},
             {MakeStreamParam("ImgData", &picture)}) == 1;
}

bool TTemplateSet::UpdateTemplate(const RTemplate& Template)
{
  // The statement spells the layout column "TemData"; parameter names match ignoring case.
  return Db->ExecSql(
             Sql("update templates set BillName=:BillName,AddTime=:AddTime,ImgName=:ImgName,"
                 "Billman=:Billman,TemData=:TemData where Id=:Id"),
             {MakeParam("BillName", Template.BillName),
              MakeParam("AddTime", VarFromDateTime(Template.AddTime)),
              MakeParam("ImgName", Template.ImgName), MakeParam("Billman", Template.Billman),
              MakeParam("Temdata", Template.Temdata), MakeParam("Id", Template.Id)}) == 1;
}

bool TTemplateSet::RenameTemplate(const WideString& BillName, Integer Id)
{
  return Db->ExecSql(Sql("update templates set BillName=:BillName where Id=:Id"),
                     {MakeParam("BillName", BillName), MakeParam("Id", Id)}) == 1;
}

bool TTemplateSet::DeleteTemplate(Integer Id)
{
  return Db->ExecSql(Sql("delete from templates where Id=:Id"), {MakeParam("Id", Id)}) == 1;
}

bool TTemplateSet::LoadTemplateImage(Integer Id, std::unique_ptr<TMemoryStream>& Stream)
{
  if (SharedRecordSet->Open(Sql("select ImgData from templates where Id=:Id"),
                            {MakeParam("Id", Id)}) != 1)
    return false;
  // A blob field's text is its bytes, untouched.
  const AnsiString bytes = SharedRecordSet->DataSet()->Fields()->Fields(0)->AsString();
  auto stream = std::make_unique<TMemoryStream>();
  stream->Write(bytes.data(), static_cast<Integer>(bytes.size()));
  stream->SetPosition(0);
  Stream = std::move(stream);
  return true;
}

void TTemplateSet::ListTemplates(RTemplates& Templates)
{
  TQuerySet query;
  const Integer count = query.Open(
      Sql("select Id, ImgName, AddTime, Billman, Temdata, BillName from templates where 1=1"));
  Templates.clear();
  Templates.reserve(count);
  TDataSet* data = query.DataSet();
  TFields* fields = data->Fields();
  for (data->First(); !data->Eof(); data->Next()) {
    RTemplate t;
    t.Id = fields->Fields(0)->AsInteger();
    t.ImgName = fields->Fields(1)->AsString();
    t.AddTime = fields->Fields(2)->AsDateTime();
    t.Billman = fields->Fields(3)->AsString();
    t.Temdata = fields->Fields(4)->AsWideString();
    t.BillName = fields->Fields(5)->AsWideString();
    Templates.push_back(std::move(t));
  }
}

bool LoadTemplatePicture(Integer Id, TPicture* Picture)
{
  std::unique_ptr<TMemoryStream> stream;
  if (!TTemplateSet::LoadTemplateImage(Id, stream))
    return false;
  // TPicture picks JPEG, BMP or PNG from the first bytes, so a template made from any of
  // them reopens whatever the picture showed before.
  Picture->LoadFromStream(stream.get());
  return true;
}
