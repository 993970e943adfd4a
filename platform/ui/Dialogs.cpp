// Message dialogs over the message box of Forms.cpp. Dialogs.h describes them.
#include "platform/ui/Dialogs.h"

#include <algorithm>
#include <cstdio>

#include "platform/graphics/Pictures.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/backend/headless/HeadlessDialogs.h"

namespace {

// Button texts and results in the order the buttons stand.
struct TButtonText {
  const char* Caption;
  TModalResult Result;
};
const TButtonText kButtons[] = {
    {"是(&Y)", mrYes},   {"否(&N)", mrNo},     {"确定", mrOk},     {"取消", mrCancel},
    {"中止", mrAbort},   {"重试", mrRetry},    {"忽略", mrIgnore}, {"全部", mrAll},
    {"全否", mrNoToAll}, {"全是", mrYesToAll}, {"帮助", mrNone},
};
static_assert(sizeof(kButtons) / sizeof(kButtons[0]) == mbHelp + 1, "one text per TMsgDlgBtn");

AnsiString DialogCaption(TMsgDlgType DlgType)
{
  switch (DlgType) {
  case mtWarning:
    return "警告";
  case mtError:
    return "错误";
  case mtInformation:
    return "信息";
  case mtConfirmation:
    return "确认";
  case mtCustom:
    break;
  }
  return Application() ? Application()->Title() : AnsiString();
}

} // namespace

Integer MessageDlg(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, NativeInt)
{
  std::vector<TMessageBoxButton> buttons;
  for (Integer b = mbYes; b <= mbHelp; ++b)
    if (Buttons.Contains(static_cast<TMsgDlgBtn>(b)))
      buttons.push_back({kButtons[b].Caption, kButtons[b].Result});
  if (buttons.empty())
    buttons.push_back({kButtons[mbOK].Caption, mrOk});
  return ShowMessageBox(Msg, DialogCaption(DlgType), buttons, 0);
}

void ShowMessage(const AnsiString& Msg)
{
  ShowMessageBox(Msg, Application() ? Application()->Title() : AnsiString(), {{"确定", mrOk}}, 0);
}

// ---- Input box ----

bool InputQuery(const AnsiString& ACaption, const AnsiString& APrompt, AnsiString& Value)
{
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBorderStyle(bsDialog);
  form->SetCaption(ACaption);
  form->SetPosition(poScreenCenter);
  form->SetClientWidth(300);
  form->SetClientHeight(104);
  auto* prompt = new TLabel(form.get());
  prompt->SetParent(form.get());
  prompt->SetBounds(10, 10, 280, 16);
  prompt->SetCaption(APrompt);
  auto* edit = new TEdit(form.get());
  edit->SetParent(form.get());
  edit->SetBounds(10, 30, 280, 22);
  edit->SetMaxLength(255);
  edit->SetText(Value);
  edit->SelectAll();
  prompt->SetFocusControl(edit);
  auto* ok = new TButton(form.get());
  ok->SetParent(form.get());
  ok->SetBounds(134, 68, 75, 25);
  ok->SetCaption("确定");
  ok->SetModalResult(mrOk);
  ok->SetDefault(true);
  auto* cancel = new TButton(form.get());
  cancel->SetParent(form.get());
  cancel->SetBounds(215, 68, 75, 25);
  cancel->SetCaption("取消");
  cancel->SetModalResult(mrCancel);
  cancel->SetCancel(true);
  if (form->ShowModal() != mrOk)
    return false;
  Value = edit->Text();
  return true;
}

AnsiString InputBox(const AnsiString& ACaption, const AnsiString& APrompt,
                    const AnsiString& ADefault)
{
  AnsiString value = ADefault;
  InputQuery(ACaption, APrompt, value);
  return value;
}

// ---- The print form ----

bool RunPrintForm(TDialogRequest& r)
{
  std::unique_ptr<TForm> form(new TForm(nullptr));
  TForm* f = form.get();
  f->SetBorderStyle(bsDialog);
  f->SetCaption(r.Title.empty() ? AnsiString("打印") : r.Title);
  f->SetPosition(poScreenCenter);
  f->SetClientWidth(330);
  f->SetClientHeight(196);
  auto put = [f](auto* c, Integer x, Integer y, Integer w, Integer h) {
    c->SetBounds(x, y, w, h);
    c->SetParent(f);
    return c;
  };
  auto* range = put(new TGroupBox(f), 10, 8, 190, 110);
  range->SetCaption("打印范围");
  auto* all = new TRadioButton(f);
  all->SetBounds(10, 20, 150, 20);
  all->SetParent(range);
  all->SetCaption("全部(&A)");
  auto* pages = new TRadioButton(f);
  pages->SetBounds(10, 46, 60, 20);
  pages->SetParent(range);
  pages->SetCaption("页码(&G)");
  auto* from = new TEdit(f);
  from->SetBounds(72, 45, 40, 22);
  from->SetParent(range);
  auto* to = new TEdit(f);
  to->SetBounds(132, 45, 40, 22);
  to->SetParent(range);
  auto* dash = new TLabel(f);
  dash->SetBounds(116, 49, 12, 16);
  dash->SetParent(range);
  dash->SetCaption("至");
  auto* selection = new TRadioButton(f);
  selection->SetBounds(10, 76, 150, 20);
  selection->SetParent(range);
  selection->SetCaption("选定范围(&S)");
  auto* copiesLabel = put(new TLabel(f), 212, 16, 60, 16);
  copiesLabel->SetCaption("份数(&C):");
  auto* copies = put(new TEdit(f), 272, 12, 48, 22);
  copiesLabel->SetFocusControl(copies);
  auto* collate = put(new TCheckBox(f), 212, 44, 110, 20);
  collate->SetCaption("逐份打印(&O)");
  auto* toFile = put(new TCheckBox(f), 10, 128, 150, 20);
  toFile->SetCaption("打印到文件(&L)");
  auto* ok = put(new TButton(f), 164, 162, 75, 25);
  ok->SetCaption("确定");
  ok->SetModalResult(mrOk);
  ok->SetDefault(true);
  auto* cancel = put(new TButton(f), 245, 162, 75, 25);
  cancel->SetCaption("取消");
  cancel->SetModalResult(mrCancel);
  cancel->SetCancel(true);

  copies->SetText(IntToStr(std::max<Integer>(r.Copies, 1)));
  collate->SetChecked(r.Collate);
  from->SetText(IntToStr(r.FromPage > 0 ? r.FromPage : std::max<Integer>(r.MinPage, 1)));
  to->SetText(IntToStr(r.ToPage > 0 ? r.ToPage : std::max<Integer>(r.MaxPage, 1)));
  (r.Selection ? selection : r.PageNumbers ? pages : all)->SetChecked(true);
  toFile->SetChecked(r.PrintToFile);
  // A range is entered by typing into its boxes.
  auto choosePages = [pages](TObject*) { pages->SetChecked(true); };
  from->OnChange = choosePages;
  to->OnChange = choosePages;
  for (;;) {
    if (f->ShowModal() != mrOk)
      return false;
    Integer n = 0, a = 0, b = 0;
    bool ok1 = TryStrToInt(copies->Text(), n) && n >= 1;
    bool ok2 = !pages->Checked() ||
               (TryStrToInt(from->Text(), a) && TryStrToInt(to->Text(), b) && a >= 1 && b >= 1);
    if (ok1 && ok2) {
      r.Copies = n;
      r.Collate = collate->Checked();
      r.PageNumbers = pages->Checked();
      r.Selection = selection->Checked();
      r.FromPage = a;
      r.ToPage = b;
      r.PrintToFile = toFile->Checked();
      return true;
    }
    MessageDlg(ok1 ? "请输入有效的页码范围。" : "份数必须是正整数。", mtWarning, {mbOK}, 0);
  }
}

// ---- The dialog service ----

namespace {
TDialogService* gDialogService = nullptr;
} // namespace

TDialogService* DialogService()
{
  return gDialogService ? gDialogService : &HeadlessDialogs();
}

void SetDialogService(TDialogService* Service)
{
  gDialogService = Service;
}

bool TCommonDialog::Run(TDialogRequest& Request)
{
  Request.ClassName = ClassName();
  Request.Title = FTitle;
  if (OnShow)
    OnShow(this);
  bool accepted = DialogService()->Execute(Request);
  if (OnClose)
    OnClose(this);
  return accepted;
}

// ---- Files ----

TOpenDialog::TOpenDialog(TComponent* AOwner)
    : TCommonDialog(AOwner), FFiles(std::make_unique<TStringList>())
{
}

TOpenDialog::~TOpenDialog() = default;

void TOpenDialog::SetDefaultExt(const AnsiString& Value)
{
  // Kept without its dot.
  FDefaultExt = !Value.empty() && Value[0] == '.' ? Value.substr(1) : Value;
}

bool TOpenDialog::AcceptName(const AnsiString& Name)
{
  if (FOptions.Contains(ofFileMustExist) && !FileExists(Name)) {
    MessageDlg(Name + "\n找不到文件。\n请检查文件名是否正确。", mtWarning, {mbOK}, 0);
    return false;
  }
  AnsiString dir = ExtractFilePath(Name);
  if ((FOptions.Contains(ofPathMustExist) || FOptions.Contains(ofFileMustExist)) && !dir.empty() &&
      !DirectoryExists(dir)) {
    MessageDlg(Name + "\n路径不存在。\n请检查路径是否正确。", mtWarning, {mbOK}, 0);
    return false;
  }
  return true;
}

bool TSaveDialog::AcceptName(const AnsiString& Name)
{
  if (!TOpenDialog::AcceptName(Name))
    return false;
  if (Options().Contains(ofOverwritePrompt) && FileExists(Name))
    return MessageDlg(Name + " 已存在。\n要替换它吗？", mtWarning, {mbYes, mbNo}, 0) == mrYes;
  return true;
}

bool TOpenDialog::Execute()
{
  TDialogRequest r;
  r.Kind = Kind();
  r.Filter = FFilter;
  r.FilterIndex = FFilterIndex;
  r.InitialDir = FInitialDir;
  r.FileName = FFileName;
  r.DefaultExt = FDefaultExt;
  r.MultiSelect = Kind() == dkOpen && FOptions.Contains(ofAllowMultiSelect);
  for (;;) {
    r.Files.clear();
    if (!Run(r))
      return false;
    if (r.Files.empty() && !r.FileName.empty())
      r.Files.push_back(r.FileName);
    if (r.Files.empty())
      return false;
    // The default extension goes on a name without one, before any question about it.
    bool accepted = true;
    for (AnsiString& name : r.Files) {
      if (!FDefaultExt.empty() && ExtractFileExt(name).empty())
        name += "." + FDefaultExt;
      if (!AcceptName(name)) {
        accepted = false;
        break;
      }
    }
    if (!accepted) {
      r.FileName = r.Files.front();
      continue;
    }
    FFileName = r.Files.front();
    FFilterIndex = r.FilterIndex;
    FFiles->Clear();
    for (const AnsiString& name : r.Files)
      FFiles->Add(name);
    if (!FOptions.Contains(ofNoChangeDir))
      FInitialDir = ExtractFilePath(FFileName);
    return true;
  }
}

TOpenPictureDialog::TOpenPictureDialog(TComponent* AOwner) : TOpenDialog(AOwner)
{
  SetFilter(GraphicFilter(GetClass("TGraphic")));
}

TSavePictureDialog::TSavePictureDialog(TComponent* AOwner) : TSaveDialog(AOwner)
{
  SetFilter(GraphicFilter(GetClass("TGraphic")));
}

// ---- Colour and font ----

TColorDialog::TColorDialog(TComponent* AOwner)
    : TCommonDialog(AOwner), FCustomColors(std::make_unique<TStringList>())
{
}

TColorDialog::~TColorDialog() = default;

bool TColorDialog::Execute()
{
  TDialogRequest r;
  r.Kind = dkColor;
  r.Color = FColor;
  r.FullOpen = FOptions.Contains(cdFullOpen) && !FOptions.Contains(cdPreventFullOpen);
  // "ColorA=RRGGBB": the letter gives the slot, the value red, green, blue in hex.
  r.CustomColors.assign(16, clWhite);
  for (Integer i = 0; i < FCustomColors->Count(); ++i) {
    AnsiString line = FCustomColors->Strings(i);
    if (line.size() < 8 || line.compare(0, 5, "Color") != 0 || line[6] != '=')
      continue;
    Integer slot = std::toupper(static_cast<unsigned char>(line[5])) - 'A';
    unsigned rgb = 0;
    if (slot < 0 || slot >= 16 || std::sscanf(line.c_str() + 7, "%x", &rgb) != 1)
      continue;
    r.CustomColors[slot] =
        static_cast<TColor>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
  }
  if (!Run(r))
    return false;
  FColor = r.Color;
  FCustomColors->Clear();
  for (std::size_t i = 0; i < r.CustomColors.size() && i < 16; ++i) {
    Integer c = ColorToRGB(r.CustomColors[i]);
    char line[16];
    std::snprintf(line, sizeof line, "Color%c=%02X%02X%02X", static_cast<char>('A' + i), c & 0xFF,
                  (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    FCustomColors->Add(line);
  }
  return true;
}

TFontDialog::TFontDialog(TComponent* AOwner)
    : TCommonDialog(AOwner), FFont(std::make_unique<TFont>())
{
}

TFontDialog::~TFontDialog() = default;

bool TFontDialog::Execute()
{
  TDialogRequest r;
  r.Kind = dkFont;
  r.FontName = FFont->Name();
  r.FontSize = FFont->Size();
  r.FontStyle = FFont->Style();
  r.FontColor = FFont->Color();
  r.ExistingFontsOnly = FOptions.Contains(fdForceFontExist);
  if (!Run(r))
    return false;
  if (!r.FontName.empty())
    FFont->SetName(r.FontName);
  if (r.FontSize > 0)
    FFont->SetSize(r.FontSize);
  FFont->SetStyle(r.FontStyle);
  if (FOptions.Contains(fdEffects))
    FFont->SetColor(r.FontColor);
  return true;
}

// ---- Printing ----

bool TPrintDialog::Execute()
{
  TDialogRequest r;
  r.Kind = dkPrint;
  r.Copies = FCopies;
  r.Collate = FCollate;
  r.MinPage = FMinPage;
  r.MaxPage = FMaxPage;
  r.FromPage = FFromPage;
  r.ToPage = FToPage;
  r.PageNumbers = FPrintRange == prPageNums;
  r.Selection = FPrintRange == prSelection;
  r.PrintToFile = FPrintToFile;
  if (!Run(r))
    return false;
  FCopies = std::max<Integer>(r.Copies, 1);
  FCollate = r.Collate;
  FPrintRange = r.Selection ? prSelection : r.PageNumbers ? prPageNums : prAllPages;
  if (r.PageNumbers) {
    // A range outside MinPage..MaxPage is brought inside it.
    Integer lo = FMinPage, hi = FMaxPage > 0 ? FMaxPage : std::max(r.FromPage, r.ToPage);
    FFromPage = std::clamp(std::min(r.FromPage, r.ToPage), lo, std::max(lo, hi));
    FToPage = std::clamp(std::max(r.FromPage, r.ToPage), lo, std::max(lo, hi));
  }
  FPrintToFile = r.PrintToFile && !FOptions.Contains(poDisablePrintToFile);
  return true;
}

bool TPrinterSetupDialog::Execute()
{
  TDialogRequest r;
  r.Kind = dkPrinterSetup;
  return Run(r);
}

void RegisterDialogsClasses()
{
  RegisterEnumType<TMsgDlgType>(
      "TMsgDlgType", {"mtWarning", "mtError", "mtInformation", "mtConfirmation", "mtCustom"});
  RegisterEnumType<TMsgDlgBtn>("TMsgDlgBtn",
                               {"mbYes", "mbNo", "mbOK", "mbCancel", "mbAbort", "mbRetry",
                                "mbIgnore", "mbAll", "mbNoToAll", "mbYesToAll", "mbHelp"});
  RegisterSetType<TMsgDlgButtons>("TMsgDlgButtons");
  RegisterEnumType<TOpenOption>("TOpenOption", {"ofReadOnly",
                                                "ofOverwritePrompt",
                                                "ofHideReadOnly",
                                                "ofNoChangeDir",
                                                "ofShowHelp",
                                                "ofNoValidate",
                                                "ofAllowMultiSelect",
                                                "ofExtensionDifferent",
                                                "ofPathMustExist",
                                                "ofFileMustExist",
                                                "ofCreatePrompt",
                                                "ofShareAware",
                                                "ofNoReadOnlyReturn",
                                                "ofNoTestFileCreate",
                                                "ofNoNetworkButton",
                                                "ofNoLongNames",
                                                "ofOldStyleDialog",
                                                "ofNoDereferenceLinks",
                                                "ofEnableIncludeNotify",
                                                "ofEnableSizing"});
  RegisterSetType<TOpenOptions>("TOpenOptions");
  RegisterEnumType<TColorDialogOption>(
      "TColorDialogOption",
      {"cdFullOpen", "cdPreventFullOpen", "cdShowHelp", "cdSolidColor", "cdAnyColor"});
  RegisterSetType<TColorDialogOptions>("TColorDialogOptions");
  RegisterEnumType<TFontDialogOption>(
      "TFontDialogOption", {"fdAnsiOnly", "fdTrueTypeOnly", "fdEffects", "fdFixedPitchOnly",
                            "fdForceFontExist", "fdNoFaceSel", "fdNoOEMFonts", "fdNoSimulations",
                            "fdNoSizeSel", "fdNoStyleSel", "fdNoVectorFonts", "fdShowHelp",
                            "fdWysiwyg", "fdLimitSize", "fdScalableOnly", "fdApplyButton"});
  RegisterSetType<TFontDialogOptions>("TFontDialogOptions");
  RegisterEnumType<TPrintRange>("TPrintRange", {"prAllPages", "prSelection", "prPageNums"});
  RegisterEnumType<TPrintDialogOption>("TPrintDialogOption",
                                       {"poPrintToFile", "poPageNums", "poSelection", "poWarning",
                                        "poHelp", "poDisablePrintToFile"});
  RegisterSetType<TPrintDialogOptions>("TPrintDialogOptions");
  TClassRegistration<TCommonDialog, TComponent>("TCommonDialog")
      .Property("Title", &TCommonDialog::Title, &TCommonDialog::SetTitle)
      .Property("OnShow", &TCommonDialog::OnShow, &TCommonDialog::OnShow)
      .Property("OnClose", &TCommonDialog::OnClose, &TCommonDialog::OnClose);
  TClassRegistration<TOpenDialog, TCommonDialog>("TOpenDialog")
      .Property("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt)
      .Property("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName)
      .Property("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter)
      .Property("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex)
      .Default(1)
      .Property("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir)
      .Property("Options", &TOpenDialog::Options, &TOpenDialog::SetOptions);
  TClassRegistration<TSaveDialog, TOpenDialog>("TSaveDialog");
  TClassRegistration<TOpenPictureDialog, TOpenDialog>("TOpenPictureDialog");
  TClassRegistration<TSavePictureDialog, TSaveDialog>("TSavePictureDialog");
  TClassRegistration<TColorDialog, TCommonDialog>("TColorDialog")
      .Property("Color", &TColorDialog::Color, &TColorDialog::SetColor)
      .Property("Options", &TColorDialog::Options, &TColorDialog::SetOptions);
  TClassRegistration<TFontDialog, TCommonDialog>("TFontDialog")
      .Property("Options", &TFontDialog::Options, &TFontDialog::SetOptions);
  TClassRegistration<TPrintDialog, TCommonDialog>("TPrintDialog")
      .Property("Collate", &TPrintDialog::Collate, &TPrintDialog::SetCollate)
      .Default(false)
      .Property("Copies", &TPrintDialog::Copies, &TPrintDialog::SetCopies)
      .Default(1)
      .Property("FromPage", &TPrintDialog::FromPage, &TPrintDialog::SetFromPage)
      .Default(0)
      .Property("MinPage", &TPrintDialog::MinPage, &TPrintDialog::SetMinPage)
      .Default(0)
      .Property("MaxPage", &TPrintDialog::MaxPage, &TPrintDialog::SetMaxPage)
      .Default(0)
      .Property("Options", &TPrintDialog::Options, &TPrintDialog::SetOptions)
      .Property("PrintToFile", &TPrintDialog::PrintToFile, &TPrintDialog::SetPrintToFile)
      .Default(false)
      .Property("PrintRange", &TPrintDialog::PrintRange, &TPrintDialog::SetPrintRange)
      .Default(prAllPages)
      .Property("ToPage", &TPrintDialog::ToPage, &TPrintDialog::SetToPage)
      .Default(0);
  TClassRegistration<TPrinterSetupDialog, TCommonDialog>("TPrinterSetupDialog");
}
