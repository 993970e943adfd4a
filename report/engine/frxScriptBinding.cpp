// The report library as scripts see it; see frxScriptBinding.h. Each class's hand-added
// members share one callback that tells them apart by their upper-case names.
#include "report/engine/frxScriptBinding.h"

#include <memory>

#include "platform/rtl/Currency.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/TypInfo.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxDMPClass.h"
#include "report/engine/frxPreviewPages.h"
#include "report/engine/frxVariables.h"
#include "report/script/fsScript.h"

namespace {

Variant Arg(const Variant& Params, Integer Index)
{
  if (!VarIsArray(Params) || Index > VarArrayHighBound(Params, 1))
    return Unassigned();
  return VarArrayGet(Params, {Index});
}

AnsiString StrArg(const Variant& Params, Integer Index)
{
  return VarToStr(Arg(Params, Index));
}

template <class T> T* ObjArg(const Variant& Params, Integer Index)
{
  const Variant value = Arg(Params, Index);
  if (VarIsEmpty(value) || VarIsNull(value))
    return nullptr;
  return dynamic_cast<T*>(VarToObject(value));
}

Extended FloatArg(const Variant& Params, Integer Index)
{
  return static_cast<Extended>(Arg(Params, Index).AsDouble());
}

TClass ClassOf(const std::type_info& Type)
{
  return ClassInfoOf(Type);
}

// The registration of the report binding: it owns what it registers in GlobalScriptUnit
// and takes it away when it goes.
class TFunctions : public TObject {
public:
  TFunctions();
  ~TFunctions() override;

private:
  void RegisterConstants(TfsScript* Script);
  void RegisterTypes(TfsScript* Script);
  void RegisterDataSets(TfsScript* Script);
  void RegisterObjects(TfsScript* Script);
  void RegisterReport(TfsScript* Script);
  void RegisterFunctions(TfsScript* Script);

  Variant CallDataSet(TObject* Instance, TClass, const AnsiString& Name, Variant& Params);
  Variant CallComponent(TObject* Instance, TClass, const AnsiString& Name, Variant& Params);
  Variant CallReport(TObject* Instance, TClass, const AnsiString& Name, Variant& Params);
  Variant CallEngine(TObject* Instance, TClass, const AnsiString& Name, Variant& Params);
  Variant CallOutline(TObject* Instance, TClass, const AnsiString& Name, Variant& Params);
  Variant CallDate(TObject*, TClass, const AnsiString& Name, Variant& Params);
};

std::unique_ptr<TFunctions> GFunctions;

TFunctions::TFunctions()
{
  TfsScript* global = GlobalScriptUnit();
  global->SetAddedBy(this);
  RegisterConstants(global);
  RegisterTypes(global);
  RegisterDataSets(global);
  RegisterObjects(global);
  RegisterReport(global);
  RegisterFunctions(global);
  global->SetAddedBy(nullptr);
}

TFunctions::~TFunctions()
{
  if (TfsScript* global = GlobalScriptUnit())
    global->RemoveItemsOwnedBy(this);
}

void TFunctions::RegisterConstants(TfsScript* Script)
{
  Script->RegisterScriptConst("fr01cm", "Extended", Variant(Currency(3.7795)));
  Script->RegisterScriptConst("fr1cm", "Extended", Variant(Currency(37.7953)));
  Script->RegisterScriptConst("fr01in", "Extended", Variant(Currency(9.6)));
  Script->RegisterScriptConst("fr1in", "Extended", Variant(96));
  Script->RegisterScriptConst("fr1CharX", "Extended", Variant(Currency(9.6)));
  Script->RegisterScriptConst("fr1CharY", "Extended", Variant(17));
  Script->RegisterScriptConst("clTransparent", "Integer", Variant(static_cast<Integer>(clNone)));
  Script->RegisterScriptConst("crHand", "Integer", Variant(50));
  Script->RegisterScriptConst("crZoom", "Integer", Variant(51));
  Script->RegisterScriptConst("crFormat", "Integer", Variant(52));
}

void TFunctions::RegisterTypes(TfsScript* Script)
{
  Script->RegisterScriptEnum("TfrxStretchMode", "smDontStretch, smActualHeight, smMaxHeight");
  Script->RegisterScriptEnum("TfrxShiftMode", "smDontShift, smAlways, smWhenOverlapped");
  Script->RegisterScriptEnum("TfrxDuplexMode", "dmNone, dmVertical, dmHorizontal");
  Script->RegisterScriptEnum("TfrxAlign", "baNone, baLeft, baRight, baCenter, baWidth, baBottom");
  Script->RegisterScriptEnum("TfrxFrameStyle",
                             "fsSolid, fsDash, fsDot, fsDashDot, fsDashDotDot, fsDouble");
  Script->RegisterScriptEnumSet("TfrxFrameTypes", "ftLeft, ftRight, ftTop, ftBottom");
  Script->RegisterScriptEnum("TfrxHAlign", "haLeft, haRight, haCenter, haBlock");
  Script->RegisterScriptEnum("TfrxVAlign", "vaTop, vaBottom, vaCenter");
  Script->RegisterScriptEnumSet("TfrxRestrictions",
                                "rfDontModify, rfDontSize, rfDontMove, rfDontDelete");
  Script->RegisterScriptEnum("TfrxShapeKind", "skRectangle, skRoundRectangle, skEllipse, "
                                              "skTriangle, skDiamond, skDiagonal1, skDiagonal2");
  // The preview buttons with the report options' own names and bits.
  Script->RegisterScriptEnumSet("TfrxPreviewButtons",
                                "pbPrint, pbLoad, pbSave, pbExport, pbZoom, pbFind, pbOutline, "
                                "pbPageSetup, pbTools, pbEdit, pbNavigator");
  Script->RegisterScriptEnum("TfrxZoomMode", "zmDefault, zmWholePage, zmPageWidth, zmManyPages");
  Script->RegisterScriptEnum("TfrxPrintPages", "ppAll, ppOdd, ppEven");
  Script->RegisterScriptEnumSet("TfrxDMPFontStyles",
                                "fsxBold, fsxItalic, fsxUnderline, fsxSuperScript, fsxSubScript, "
                                "fsxCondensed, fsxWide, fsx12cpi, fsx15cpi");
  Script->RegisterScriptEnum("TfrxRangeBegin", "rbFirst, rbCurrent");
  Script->RegisterScriptEnum("TfrxRangeEnd", "reLast, reCurrent, reCount");
  Script->RegisterScriptEnum("TfrxFieldType", "fftNumeric, fftString, fftBoolean");
  Script->RegisterScriptEnum("TfrxFormatKind", "fkText, fkNumeric, fkDateTime, fkBoolean");
}

void TFunctions::RegisterDataSets(TfsScript* Script)
{
  const auto call = TfsCallMethodEvent::Bind(this, &TFunctions::CallDataSet);
  TfsClassVariable* ds = Script->RegisterScriptClass(ClassOf(typeid(TfrxDataSet)), "TComponent");
  for (const char* signature :
       {"procedure Open", "procedure Close", "procedure First", "procedure Next", "procedure Prior",
        "function Eof: Boolean", "function FieldsCount: Integer",
        "function HasField(const fName: String): Boolean",
        "function IsBlobField(const fName: String): Boolean",
        "procedure GetFieldList(List: TStrings)"})
    ds->AddMethod(signature, call);
  ds->AddProperty("RecNo", "Integer", [](TObject* Instance, TClass, const AnsiString&) -> Variant {
    return Variant(static_cast<TfrxDataSet*>(Instance)->RecNo());
  });
  ds->AddIndexProperty("DisplayText", "String", "String", call, true);
  ds->AddIndexProperty("DisplayWidth", "String", "Integer", call, true);
  ds->AddIndexProperty("FieldType", "String", "TfrxFieldType", call, true);
  ds->AddIndexProperty("Value", "String", "Variant", call, true);
  Script->RegisterScriptClass(ClassOf(typeid(TfrxUserDataSet)), "TfrxDataSet");
  Script->RegisterScriptClass(ClassOf(typeid(TfrxCustomDBDataSet)), "TfrxDataSet");
}

void TFunctions::RegisterObjects(TfsScript* Script)
{
  const auto call = TfsCallMethodEvent::Bind(this, &TFunctions::CallComponent);
  TfsClassVariable* c = Script->RegisterScriptClass(ClassOf(typeid(TfrxComponent)), "TComponent");
  for (const char* signature :
       {"procedure Clear", "function FindObject(s: String): TfrxComponent",
        "procedure LoadFromStream(Stream: TStream)",
        "procedure SaveToStream(Stream: TStream; SaveChildren: Boolean = True)",
        "procedure SetBounds(ALeft, ATop, AWidth, AHeight: Extended)"})
    c->AddMethod(signature, call);
  auto component = [](TObject* Instance) { return static_cast<TfrxComponent*>(Instance); };
  c->AddProperty("Objects", "TList", [component](TObject* I, TClass, const AnsiString&) {
    return VarFromObject(component(I)->Objects());
  });
  c->AddProperty("AllObjects", "TList", [component](TObject* I, TClass, const AnsiString&) {
    return VarFromObject(component(I)->AllObjects());
  });
  c->AddProperty(
      "Parent", "TfrxComponent",
      [component](TObject* I, TClass, const AnsiString&) {
        return VarFromObject(component(I)->Parent());
      },
      [component](TObject* I, TClass, const AnsiString&, const Variant& Value) {
        component(I)->SetParent(dynamic_cast<TfrxComponent*>(
            VarIsNull(Value) || VarIsEmpty(Value) ? nullptr : VarToObject(Value)));
      });
  c->AddProperty("Page", "TfrxPage", [component](TObject* I, TClass, const AnsiString&) {
    return VarFromObject(component(I)->Page());
  });
  c->AddProperty("AbsLeft", "Extended", [component](TObject* I, TClass, const AnsiString&) {
    return Variant(static_cast<Double>(component(I)->AbsLeft()));
  });
  c->AddProperty("AbsTop", "Extended", [component](TObject* I, TClass, const AnsiString&) {
    return Variant(static_cast<Double>(component(I)->AbsTop()));
  });

  Script->RegisterScriptClass(ClassOf(typeid(TfrxReportComponent)), "TfrxComponent");
  Script->RegisterScriptClass(ClassOf(typeid(TfrxDialogComponent)), "TfrxReportComponent");
  Script->RegisterScriptClass(ClassOf(typeid(TfrxFrame)), "TPersistent");
  Script->RegisterScriptClass(ClassOf(typeid(TfrxView)), "TfrxReportComponent");
  Script->RegisterScriptClass(ClassOf(typeid(TfrxShapeView)), "TfrxView");
  TfsClassVariable* stretch =
      Script->RegisterScriptClass(ClassOf(typeid(TfrxStretcheable)), "TfrxView");
  stretch->AddMethod("function CalcHeight: Extended", call);
  Script->RegisterScriptClass(ClassOf(typeid(TfrxHighlight)), "TPersistent");
  Script->RegisterScriptClass(ClassOf(typeid(TfrxFormat)), "TPersistent");
  TfsClassVariable* memo =
      Script->RegisterScriptClass(ClassOf(typeid(TfrxCustomMemoView)), "TfrxStretcheable");
  memo->AddMethod("function CalcWidth: Extended", call);
  auto memoOf = [](TObject* Instance) { return static_cast<TfrxCustomMemoView*>(Instance); };
  memo->AddProperty(
      "Text", "String",
      [memoOf](TObject* I, TClass, const AnsiString&) { return Variant(memoOf(I)->Text()); },
      [memoOf](TObject* I, TClass, const AnsiString&, const Variant& Value) {
        memoOf(I)->SetText(VarToStr(Value));
      });
  memo->AddProperty(
      "Lines", "TStrings",
      [memoOf](TObject* I, TClass, const AnsiString&) { return VarFromObject(memoOf(I)->Lines()); },
      [memoOf](TObject* I, TClass, const AnsiString&, const Variant& Value) {
        if (auto* lines = dynamic_cast<TStrings*>(VarToObject(Value)))
          memoOf(I)->Lines()->Assign(lines);
      });
  memo->AddProperty("Value", "Variant",
                    [memoOf](TObject* I, TClass, const AnsiString&) { return memoOf(I)->Value(); });
  Script->RegisterScriptClass(ClassOf(typeid(TfrxMemoView)), "TfrxCustomMemoView");
  Script->RegisterScriptClass(ClassOf(typeid(TfrxSysMemoView)), "TfrxCustomMemoView");
  Script->RegisterScriptClass(ClassOf(typeid(TfrxDMPMemoView)), "TfrxCustomMemoView");
  Script->RegisterScriptClass(ClassOf(typeid(TfrxCustomLineView)), "TfrxStretcheable");
  Script->RegisterScriptClass(ClassOf(typeid(TfrxLineView)), "TfrxCustomLineView");
  Script->RegisterScriptClass(ClassOf(typeid(TfrxDMPLineView)), "TfrxCustomLineView");
  TfsClassVariable* picture =
      Script->RegisterScriptClass(ClassOf(typeid(TfrxPictureView)), "TfrxView");
  picture->AddMethod("procedure LoadFromFile(filename: String)", call);
  Script->RegisterScriptClass(ClassOf(typeid(TfrxSubreport)), "TfrxView");

  TfsClassVariable* band =
      Script->RegisterScriptClass(ClassOf(typeid(TfrxBand)), "TfrxReportComponent");
  band->AddProperty("Overflow", "Boolean", [](TObject* I, TClass, const AnsiString&) {
    return Variant(static_cast<TfrxBand*>(I)->Overflow());
  });
  for (const std::type_info* type :
       {&typeid(TfrxDataBand), &typeid(TfrxHeader), &typeid(TfrxFooter)})
    Script->RegisterScriptClass(ClassOf(*type), "TfrxBand");
  for (const std::type_info* type :
       {&typeid(TfrxMasterData), &typeid(TfrxDetailData), &typeid(TfrxSubdetailData),
        &typeid(TfrxDataBand4), &typeid(TfrxDataBand5), &typeid(TfrxDataBand6)})
    Script->RegisterScriptClass(ClassOf(*type), "TfrxDataBand");
  for (const std::type_info* type :
       {&typeid(TfrxPageHeader), &typeid(TfrxPageFooter), &typeid(TfrxColumnHeader),
        &typeid(TfrxColumnFooter), &typeid(TfrxGroupHeader), &typeid(TfrxGroupFooter),
        &typeid(TfrxReportTitle), &typeid(TfrxReportSummary), &typeid(TfrxChild),
        &typeid(TfrxOverlay)})
    Script->RegisterScriptClass(ClassOf(*type), "TfrxBand");

  Script->RegisterScriptClass(ClassOf(typeid(TfrxPage)), "TfrxComponent");
  Script->RegisterScriptClass(ClassOf(typeid(TfrxReportPage)), "TfrxPage");
  TfsClassVariable* dialog =
      Script->RegisterScriptClass(ClassOf(typeid(TfrxDialogPage)), "TfrxPage");
  dialog->AddProperty(
      "ModalResult", "Integer",
      [](TObject* I, TClass, const AnsiString&) {
        return Variant(static_cast<TfrxDialogPage*>(I)->ModalResult());
      },
      [](TObject* I, TClass, const AnsiString&, const Variant& Value) {
        static_cast<TfrxDialogPage*>(I)->SetModalResult(Value.AsInteger());
      });
  Script->RegisterScriptClass(ClassOf(typeid(TfrxDMPPage)), "TfrxReportPage");
}

void TFunctions::RegisterReport(TfsScript* Script)
{
  for (const std::type_info* type : {&typeid(TfrxEngineOptions), &typeid(TfrxPrintOptions),
                                     &typeid(TfrxPreviewOptions), &typeid(TfrxReportOptions)})
    Script->RegisterScriptClass(ClassOf(*type), "TPersistent");
  Script->RegisterScriptClass(ClassOf(typeid(TfrxVariable)), "TCollectionItem");
  TfsClassVariable* variables =
      Script->RegisterScriptClass(ClassOf(typeid(TfrxVariables)), "TCollection");
  variables->AddDefaultProperty(
      "Variables", "String", "Variant",
      [](TObject* I, TClass, const AnsiString& Name, Variant& Params) -> Variant {
        auto* list = static_cast<TfrxVariables*>(I);
        if (Name == "VARIABLES.GET")
          return list->Variables(StrArg(Params, 0));
        list->SetVariables(StrArg(Params, 0), Arg(Params, 1));
        return Null();
      });

  const auto call = TfsCallMethodEvent::Bind(this, &TFunctions::CallReport);
  TfsClassVariable* report =
      Script->RegisterScriptClass(ClassOf(typeid(TfrxReport)), "TfrxComponent");
  for (const char* signature :
       {"function Calc(const Expr: String): Variant",
        "function GetDataset(const Alias: String): TfrxDataset",
        "function LoadFromFile(const FileName: String): Boolean",
        "procedure SaveToFile(const FileName: String)", "procedure ShowReport"})
    report->AddMethod(signature, call);
  // Report.Variables['Name'] reads and writes report variables.
  report->AddProperty("Variables", "TfrxVariables", [](TObject* I, TClass, const AnsiString&) {
    return VarFromObject(static_cast<TfrxReport*>(I)->Variables());
  });

  const auto engineCall = TfsCallMethodEvent::Bind(this, &TFunctions::CallEngine);
  TfsClassVariable* engine =
      Script->RegisterScriptClass(ClassOf(typeid(TfrxCustomEngine)), "TPersistent");
  for (const char* signature :
       {"procedure AddAnchor(const Text: String)", "procedure NewPage", "procedure NewColumn",
        "procedure ShowBand(Band: TfrxBand)", "procedure StopReport",
        "function FreeSpace: Extended", "function GetAnchorPage(const Text: String): Integer"})
    engine->AddMethod(signature, engineCall);

  const auto outlineCall = TfsCallMethodEvent::Bind(this, &TFunctions::CallOutline);
  TfsClassVariable* outline =
      Script->RegisterScriptClass(ClassOf(typeid(TfrxCustomOutline)), "TPersistent");
  for (const char* signature :
       {"procedure AddItem(const Text: String)", "procedure LevelRoot", "procedure LevelUp"})
    outline->AddMethod(signature, outlineCall);
  Script->RegisterScriptClass(ClassOf(typeid(TfrxOutline)), "TfrxCustomOutline");
}

void TFunctions::RegisterFunctions(TfsScript* Script)
{
  const auto date = TfsCallMethodEvent::Bind(this, &TFunctions::CallDate);
  Script->RegisterScriptMethod("function DayOf(Date: TDateTime): Integer", "ctDate", "", date);
  Script->RegisterScriptMethod("function MonthOf(Date: TDateTime): Integer", "ctDate", "", date);
  Script->RegisterScriptMethod("function YearOf(Date: TDateTime): Integer", "ctDate", "", date);
  // For the function catalogue: a report registers working versions of these when it
  // prepares a build; here a call gives 0.
  const TfsCallMethodEvent none = [](TObject*, TClass, const AnsiString&, Variant&) -> Variant {
    return Variant(0);
  };
  Script->RegisterScriptMethod(
      "function IIF(Expr: Boolean; TrueValue, FalseValue: Variant): Variant", "ctOther", "", none);
  for (const char* signature :
       {"function SUM(Expr: Variant; Band: Variant = 0; Flags: Integer = 0): Variant",
        "function AVG(Expr: Variant; Band: Variant = 0; Flags: Integer = 0): Variant",
        "function MIN(Expr: Variant; Band: Variant = 0; Flags: Integer = 0): Variant",
        "function MAX(Expr: Variant; Band: Variant = 0; Flags: Integer = 0): Variant",
        "function COUNT(Band: Variant = 0; Flags: Integer = 0): Variant"})
    Script->RegisterScriptMethod(signature, "ctAggregate", "", none);
}

// ---- Callbacks ----

Variant TFunctions::CallDataSet(TObject* Instance, TClass, const AnsiString& Name, Variant& Params)
{
  auto* ds = static_cast<TfrxDataSet*>(Instance);
  if (Name == "OPEN")
    ds->Open();
  else if (Name == "CLOSE")
    ds->Close();
  else if (Name == "FIRST")
    ds->First();
  else if (Name == "NEXT")
    ds->Next();
  else if (Name == "PRIOR")
    ds->Prior();
  else if (Name == "EOF")
    return Variant(ds->Eof());
  else if (Name == "FIELDSCOUNT")
    return Variant(ds->FieldsCount());
  else if (Name == "HASFIELD")
    return Variant(ds->HasField(StrArg(Params, 0)));
  else if (Name == "ISBLOBFIELD")
    return Variant(ds->IsBlobField(StrArg(Params, 0)));
  else if (Name == "GETFIELDLIST") {
    if (auto* list = ObjArg<TStrings>(Params, 0))
      ds->GetFieldList(list);
  } else if (Name == "DISPLAYTEXT.GET")
    return Variant(ds->DisplayText(StrArg(Params, 0)));
  else if (Name == "DISPLAYWIDTH.GET")
    return Variant(ds->DisplayWidth(StrArg(Params, 0)));
  else if (Name == "FIELDTYPE.GET")
    return Variant(static_cast<Integer>(ds->FieldType(StrArg(Params, 0))));
  else if (Name == "VALUE.GET")
    return ds->Value(StrArg(Params, 0));
  return Null();
}

Variant TFunctions::CallComponent(TObject* Instance, TClass, const AnsiString& Name,
                                  Variant& Params)
{
  auto* component = static_cast<TfrxComponent*>(Instance);
  if (Name == "CLEAR")
    component->Clear();
  else if (Name == "FINDOBJECT")
    return VarFromObject(component->FindObject(StrArg(Params, 0)));
  else if (Name == "LOADFROMSTREAM") {
    if (auto* stream = ObjArg<TStream>(Params, 0))
      component->LoadFromStream(stream);
  } else if (Name == "SAVETOSTREAM") {
    const Variant children = Arg(Params, 1);
    if (auto* stream = ObjArg<TStream>(Params, 0))
      component->SaveToStream(stream, VarIsEmpty(children) || children.AsBoolean(), false);
  } else if (Name == "SETBOUNDS")
    component->SetBounds(FloatArg(Params, 0), FloatArg(Params, 1), FloatArg(Params, 2),
                         FloatArg(Params, 3));
  else if (Name == "CALCHEIGHT")
    return Variant(static_cast<Double>(static_cast<TfrxStretcheable*>(Instance)->CalcHeight()));
  else if (Name == "CALCWIDTH")
    return Variant(static_cast<Double>(static_cast<TfrxCustomMemoView*>(Instance)->CalcWidth()));
  else if (Name == "LOADFROMFILE")
    static_cast<TfrxPictureView*>(Instance)->LoadFromFile(StrArg(Params, 0));
  return Null();
}

Variant TFunctions::CallReport(TObject* Instance, TClass, const AnsiString& Name, Variant& Params)
{
  auto* report = static_cast<TfrxReport*>(Instance);
  if (Name == "CALC")
    return report->Calc(StrArg(Params, 0));
  if (Name == "GETDATASET")
    return VarFromObject(report->GetDataset(StrArg(Params, 0)));
  if (Name == "LOADFROMFILE")
    return Variant(report->LoadFromFile(StrArg(Params, 0), false));
  if (Name == "SAVETOFILE")
    report->SaveToFile(StrArg(Params, 0));
  else if (Name == "SHOWREPORT")
    report->ShowReport(true);
  return Null();
}

Variant TFunctions::CallEngine(TObject* Instance, TClass, const AnsiString& Name, Variant& Params)
{
  auto* engine = static_cast<TfrxCustomEngine*>(Instance);
  auto* pages = dynamic_cast<TfrxPreviewPages*>(engine->PreviewPages());
  if (Name == "ADDANCHOR") {
    if (pages)
      pages->AddAnchor(StrArg(Params, 0));
  } else if (Name == "GETANCHORPAGE")
    return Variant(pages ? pages->GetAnchorPage(StrArg(Params, 0)) : 1);
  else if (Name == "NEWPAGE")
    engine->NewPage();
  else if (Name == "NEWCOLUMN")
    engine->NewColumn();
  else if (Name == "SHOWBAND")
    engine->ShowBand(ObjArg<TfrxBand>(Params, 0));
  else if (Name == "STOPREPORT")
    engine->StopReport();
  else if (Name == "FREESPACE")
    return Variant(static_cast<Double>(engine->FreeSpace()));
  return Null();
}

Variant TFunctions::CallOutline(TObject* Instance, TClass, const AnsiString& Name, Variant& Params)
{
  auto* outline = static_cast<TfrxCustomOutline*>(Instance);
  if (Name == "ADDITEM") {
    TfrxCustomEngine* engine = outline->Engine();
    outline->AddItem(StrArg(Params, 0), engine ? static_cast<Integer>(Round(engine->CurY())) : 0);
  } else if (Name == "LEVELROOT")
    outline->LevelRoot();
  else if (Name == "LEVELUP")
    outline->LevelUp();
  return Null();
}

Variant TFunctions::CallDate(TObject*, TClass, const AnsiString& Name, Variant& Params)
{
  const TDateTime date = VarToDateTime(Arg(Params, 0));
  const char* format = Name == "DAYOF" ? "d" : Name == "MONTHOF" ? "m" : "yyyy";
  return Variant(StrToInt(FormatDateTime(format, date)));
}

} // namespace

void InitializeReportScriptBinding()
{
  GFunctions = std::make_unique<TFunctions>();
}

void FinalizeReportScriptBinding()
{
  GFunctions.reset();
}
