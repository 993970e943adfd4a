// The report wrapper; see qhRep.h.
#include "app/qhRep.h"

#include "app/Database.h"
#include "app/Facade.h"
#include "app/WaybillReport.h"
#include "app/qhLib.h"
#include "app/qhProj.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Streams.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "report/designer/frxDesgn.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxDBDataset.h"
#include "report/output/frxBarcode.h"
#include "report/output/frxExportImage.h"
#include "report/output/frxExportPDF.h"
#include "report/output/frxExportRTF.h"
#include "report/output/frxExportXLS.h"

namespace {

const char* const Va3Filter = "Va3文件|*.Va3|所有文件|*.*";

} // namespace

TRep::TRep()
    : FReport(new TfrxReport(nullptr)), FDesigner(new TfrxDesigner(FReport)),
      FXLSExport(std::make_unique<TfrxXLSExport>(nullptr)),
      FJPEGExport(std::make_unique<TfrxJPEGExport>(nullptr)),
      FRTFExport(std::make_unique<TfrxRTFExport>(nullptr)),
      FPDFExport(std::make_unique<TfrxPDFExport>(nullptr)),
      FUserDataSet(std::make_unique<TfrxUserDataSet>(nullptr)),
      FBarCodeObject(std::make_unique<TfrxBarCodeObject>(nullptr)),
      FShow1List(std::make_unique<TStringList>())
{
  FReport->RegisterUserFunction("function Show1(AFieldName: string; l1: Integer): Integer;", "",
                                "");
  FReport->OnGetValue = TfrxGetValueEvent::Bind(this, &TRep::ReportGetValue);
  FReport->OnUserFunction = TfrxUserFunctionEvent::Bind(this, &TRep::ReportUserFunction);
  PrepareLoadedReport();

  FDesigner->SetRestrictions({drDontCreateReport});
  FDesigner->OnLoadReport = TfrxLoadReportEvent::Bind(this, &TRep::LoadReport);
  FDesigner->OnSaveReport = TfrxSaveReportEvent::Bind(this, &TRep::SaveReport);

  FUserDataSet->SetName("u");
  FUserDataSet->OnGetValue = TfrxUserDSGetValueEvent::Bind(this, &TRep::UserDataSetGetValue);
}

TRep::~TRep()
{
  for (auto it = FDataSets.rbegin(); it != FDataSets.rend(); ++it)
    delete *it;
  FDataSets.clear();
  // The designer settings go with the report that owns them.
  delete FReport;
}

void TRep::PrepareLoadedReport()
{
  TfrxPreviewButtons buttons = FReport->PreviewOptions()->Buttons();
  buttons.Exclude(pbEdit);
  FReport->PreviewOptions()->SetButtons(buttons);
  FReport->PreviewOptions()->SetModal(true);
}

// ---- Variables and the user function ----

Integer TRep::VariableIndex(const AnsiString& Name) const
{
  TStrings* fields = FUserDataSet->Fields();
  for (Integer i = 0; i < fields->Count(); ++i)
    if (AnsiSameText(fields->Strings(i), Name))
      return i;
  return -1;
}

void TRep::AddVariable(const AnsiString& Name, const WideString& Value)
{
  if (Name.empty())
    return;
  FValues.push_back(Value.empty() ? WideString(u" ") : Value);
  FUserDataSet->Fields()->Add(Name);
}

void TRep::ReportGetValue(const AnsiString& VarName, Variant& Value)
{
  const Integer index = VariableIndex(VarName);
  if (index >= 0)
    Value = Variant(FValues[index]);
}

void TRep::UserDataSetGetValue(const Variant& VarName, Variant& Value)
{
  const AnsiString name = VarToStr(VarName);
  const Integer index = VariableIndex(name);
  Value = index >= 0 ? Variant(FValues[index]) : Variant(name);
}

Variant TRep::ReportUserFunction(const AnsiString& MethodName, Variant& Params)
{
  if (!SameText(MethodName, "Show1"))
    return Null();
  return Variant(
      Show1Value(VarToStr(VarArrayGet(Params, {0})), VarArrayGet(Params, {1}).AsInteger()));
}

Integer TRep::Show1Value(const AnsiString& FieldName, Integer L1)
{
  const AnsiString key = FieldName + IntToStr(L1);
  if (FShow1List->IndexOfName(key) < 0)
    return 1;
  return StrToInt(FShow1List->Values(key));
}

// ---- Datasets ----

void TRep::AddDataSets(const std::vector<TDataSet*>& DataSets)
{
  for (size_t i = 0; i < DataSets.size(); ++i)
    AddDataSet(Format("d%d", {static_cast<Integer>(i)}), DataSets[i]);
}

void TRep::AddDataSet(const AnsiString& Name, TDataSet* DataSet)
{
  auto* dataset = new TfrxDBDataset(nullptr);
  FDataSets.push_back(dataset);
  dataset->SetName(Name);
  dataset->SetDataSet(DataSet);
  FReport->DataSets()->Add(dataset);
}

// ---- Loading, previewing, designing ----

void TRep::LoadFromTable(Integer Id)
{
  FReport->Clear();
  TMemoryStream stream;
  if (SharedRecordSet->Open(u"select * from report where Id=:Id", {MakeParam("Id", Id)}) > 0) {
    // A blob field's text is its bytes, untouched.
    const AnsiString bytes = SharedRecordSet->DataSet()->FieldByName("Va3File")->AsString();
    stream.Write(bytes.data(), static_cast<Integer>(bytes.size()));
  }
  SharedRecordSet->DataSet()->Close();
  if (stream.Size() > 0) {
    stream.SetPosition(0);
    FReport->LoadFromStream(&stream);
  }
  PrepareLoadedReport();
  FReport->SetTag(Id);
}

void TRep::Preview(Integer Id)
{
  LoadFromTable(Id);
  FReport->ShowReport(true);
}

void TRep::Design(Integer Id)
{
  LoadFromTable(Id);
  Application()->NormalizeTopMosts();
  TScopeExit restore([] { Application()->RestoreTopMosts(); });
  FReport->OpenDesigner();
}

void TRep::PreviewStream(TStream* Stream, TStream* Picture)
{
  Stream->SetPosition(0);
  FReport->LoadFromStream(Stream);
  PrepareLoadedReport();
  if (Picture && FReport->PageCount() > 0)
    if (auto* page = dynamic_cast<TfrxReportPage*>(FReport->Pages(0))) {
      TJPEGImage jpeg;
      Picture->SetPosition(0);
      jpeg.LoadFromStream(Picture);
      TPicture picture;
      picture.Assign(&jpeg);
      page->SetBackPicture(&picture);
    }
  FReport->ShowReport(true);
}

// ---- The report table ----

void TRep::AddReport(const AnsiString& Title, Integer GroupId)
{
  Integer id = 1;
  if (SharedRecordSet->Open(u"select top 1 Id from report order by Id desc") > 0)
    id = SharedRecordSet->DataSet()->Fields()->Fields(0)->AsInteger() + 1;
  SharedRecordSet->DataSet()->Close();
  Db->Execute(u"insert into report(Id,GrpId,Title)values(:Id,:GroupId,:Title)",
              {MakeParam("Id", id), MakeParam("GroupId", GroupId), MakeParam("Title", Title)});
}

void TRep::DeleteReport(Integer Id)
{
  Db->Execute(u"delete from report where Id=:Id", {MakeParam("Id", Id)});
}

void TRep::RenameReport(Integer Id, const AnsiString& Title)
{
  Db->Execute(u"update report set Title=:Title where Id=:Id",
              {MakeParam("Title", Title), MakeParam("Id", Id)});
}

void TRep::StoreReportToTable(TfrxReport* Report)
{
  TMemoryStream stream;
  Report->SaveToStream(&stream, true, false);
  stream.SetPosition(0);
  const Integer id = static_cast<Integer>(Report->Tag());
  const bool exists =
      SharedRecordSet->Open(u"select 1 from report where Id=:Id", {MakeParam("Id", id)}) > 0;
  SharedRecordSet->DataSet()->Close();
  if (exists)
    Db->Execute(u"update report set Va3File=:Va3File where Id=:Id", {MakeParam("Id", id)},
                {MakeStreamParam("Va3File", &stream)});
  else
    Db->Execute(u"insert into report (Va3File,Id)values(:Va3File,:Id)", {MakeParam("Id", id)},
                {MakeStreamParam("Va3File", &stream)});
}

// ---- The designer's hooks ----

bool TRep::LoadReport(TfrxReport* Report)
{
  const NativeInt tag = Report->Tag();
  TOpenDialog dialog(nullptr);
  dialog.SetFilter(Va3Filter);
  if (!dialog.Execute())
    return false;
  // The report is cleared before it reads the file, so it has changed even when the file
  // turns out to be damaged (the report has shown why): the designer must reload its views
  // either way, and the row a later save writes to stays the same.
  TScopeExit keepTag([Report, tag] { Report->SetTag(tag); });
  try {
    Report->LoadFromFile(dialog.FileName(), false);
  } catch (const Exception&) {
  }
  return true;
}

bool TRep::SaveReport(TfrxReport* Report, bool SaveAs)
{
  try {
    if (!SaveAs) {
      StoreReportToTable(Report);
      return true;
    }
    TSaveDialog dialog(nullptr);
    dialog.SetFilter(Va3Filter);
    dialog.SetDefaultExt("va3");
    if (!dialog.Execute())
      return false;
    Report->SaveToFile(dialog.FileName());
    return true;
  } catch (const Exception& E) {
    ShowAppException(E);
    return false;
  }
}

// ---- Unit start-up ----

void qhRepInitialization()
{
  ProgramDialogs().Reports = [](Integer GroupId) { ShowReports({}, GroupId); };
  SetWaybillPreviewer([](TStream* ReportText) {
    TProjRep rep;
    rep.PreviewStream(ReportText, nullptr);
  });
}
