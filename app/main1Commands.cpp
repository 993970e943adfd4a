// The waybill template designer at work: selecting, creating, renaming, deleting, laying
// out, saving and previewing templates, and its dialogs' answers; see main1.h.
#include <cmath>
#include <memory>

#include "app/Facade.h"
#include "app/WaybillReport.h"
#include "app/main1.h"
#include "app/qhLib.h"
#include "app/qhProj.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Streams.h"
#include "platform/ui/CheckLst.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ExtCtrls.h"

namespace {

// Shows a designer dialog modally; whatever happens, the dialog is freed once the
// current message is done (its fields can still be read until then).
TModalResult ShowDesignerDialog(Tmain1Frm* Dialog)
{
  TScopeExit release([Dialog] { Dialog->Release(); });
  return Dialog->ShowModal();
}

} // namespace

// ---- The layout shown ----

TWaybillLayout Tmain1Frm::CurrentLayout() const
{
  TWaybillLayout layout;
  layout.PaperWidth = FPaperWidth;
  layout.PaperHeight = FPaperHeight;
  layout.ScrollX = ScrollBox1->HorzScrollBar()->Position();
  layout.ScrollY = ScrollBox1->VertScrollBar()->Position();
  for (TStaticText* label : FLabels) {
    TWaybillLabel l;
    l.Name = label->Name();
    l.Left = label->Left();
    l.Top = label->Top();
    l.Height = label->Height();
    l.FontName = label->Font()->Name();
    l.FontSize = label->Font()->Size();
    l.FontBold = label->Font()->Style().Contains(fsBold);
    l.Text = label->Caption();
    l.Visible = label->Visible();
    layout.Labels.push_back(l);
  }
  return layout;
}

void Tmain1Frm::ApplyLayout(const TWaybillLayout& Layout)
{
  for (const TWaybillLabel& l : Layout.Labels) {
    TStaticText* label = LabelByName(l.Name);
    if (!label)
      continue;
    label->SetVisible(l.Visible);
    label->SetBounds(l.Left, l.Top, label->Width(), label->Height());
    label->Font()->SetName(l.FontName);
    label->Font()->SetSize(l.FontSize);
    TFontStyles style = label->Font()->Style();
    if (l.FontBold)
      style.Include(fsBold);
    else
      style.Exclude(fsBold);
    label->Font()->SetStyle(style);
    label->SetCaption(l.Text);
    FitLabelHeight(label);
  }
}

void Tmain1Frm::FitLabelHeight(TStaticText* Label)
{
  const AnsiString text = Label->Caption();
  Integer breaks = 0;
  for (size_t at = text.find("\r\n"); at != AnsiString::npos; at = text.find("\r\n", at + 2))
    ++breaks;
  Label->SetAutoSize(true);
  Label->SetAutoSize(false);
  Label->SetHeight((breaks + 1) * Label->Height());
}

void Tmain1Frm::SizeImageToPaper(Integer Width, Integer Height)
{
  if (Width <= 0 && Height <= 0) {
    Image1->SetStretch(false);
    Image1->SetAutoSize(true);
    return;
  }
  Image1->SetAutoSize(false);
  const Integer ppi = Screen()->PixelsPerInch();
  const auto w = static_cast<Integer>(std::floor(Width * ppi / 25.4));
  const auto h = static_cast<Integer>(std::floor(Height * ppi / 25.4));
  Image1->SetStretch(true);
  Image1->SetBounds(Image1->Left(), Image1->Top(), w, h);
}

// ---- Templates ----

void Tmain1Frm::SelectNode(Integer Index)
{
  FSelectingNode = true;
  TScopeExit done([this] { FSelectingNode = false; });
  TreeView1->SetSelected(Index >= 0 ? TreeView1->Items()->Item(Index) : nullptr);
}

Integer Tmain1Frm::SelectedNodeIndex() const
{
  return TreeView1->Selected() ? TreeView1->Selected()->Index() : -1;
}

void Tmain1Frm::SelectTemplate(Integer Index)
{
  FTemplates.SetSelected(Index);
  SelectNode(Index);
  LoadSelectedTemplate();
}

void Tmain1Frm::TreeView1Change(TObject*, TTreeNode* Node)
{
  if (FSelectingNode)
    return;
  const Integer index = Node ? Node->Index() : -1;
  if (index == FTemplates.Selected())
    return;
  FTemplates.SetSelected(index);
  LoadSelectedTemplate();
}

// The picture at the origin of the scrolling area's content, wherever it is scrolled to:
// label positions are kept relative to that origin.
void Tmain1Frm::LoadSelectedTemplate()
{
  const Integer index = FTemplates.Selected();
  if (index < 0)
    return;
  const RTemplate& t = FTemplates.Data(index);
  std::unique_ptr<TMemoryStream> stream;
  if (!TTemplateList::LoadTemplateImage(t.Id, stream))
    return;
  TWaybillLayout layout = CurrentLayout();
  layout.LoadLayoutText(t.Temdata);
  ApplyLayout(layout);
  Image1->Picture()->LoadFromStream(stream.get());
  Image1->SetBounds(-ScrollBox1->HorzScrollBar()->Position(),
                    -ScrollBox1->VertScrollBar()->Position(), Image1->Width(), Image1->Height());
  FPaperWidth = layout.PaperWidth;
  FPaperHeight = layout.PaperHeight;
  SizeImageToPaper(FPaperWidth, FPaperHeight);
}

void Tmain1Frm::NewTemplate(const AnsiString& FileName)
{
  RTemplate t;
  t.Id = 0;
  t.BillName = GbkToWide(ExtractFileName(FileName));
  t.ImgName = FileName;
  t.AddTime = Now();
  t.Billman = CurrentOperator->LoginId;
  t.Temdata = CurrentLayout().BuildLayoutText();
  if (!TTemplateList::AddTemplate(t))
    return;
  FTemplates.AddTemplateNode(t);
  TreeView1->Items()->Add(nullptr, FTemplates.Text(FTemplates.Count() - 1));
  SelectTemplate(FTemplates.Count() - 1);
  Image1->Picture()->LoadFromFile(FileName);
  Image1->SetBounds(-ScrollBox1->HorzScrollBar()->Position(),
                    -ScrollBox1->VertScrollBar()->Position(), Image1->Width(), Image1->Height());
  SizeImageToPaper(FPaperWidth, FPaperHeight);
}

// ---- Labels ----

void Tmain1Frm::LabelMouseDown(TObject* Sender, TMouseButton Button, TShiftState, Integer, Integer)
{
  if (Button != mbLeft)
    return;
  auto* label = static_cast<TStaticText*>(Sender);
  ReleaseCapture();
  label->Perform(WM_SYSCOMMAND, SC_DRAGMOVE_CONTROL, 0);
}

void Tmain1Frm::LabelDblClick(TObject* Sender)
{
  auto* label = static_cast<TStaticText*>(Sender);
  auto* editor = new Tmain1Frm(this, label->Caption(), label->Font());
  if (ShowDesignerDialog(editor) == mrOk) {
    label->Font()->Assign(editor->edtFontItem1->Font());
    label->SetCaption(editor->edtFontItem1->Text());
    FitLabelHeight(label);
  }
  // Nothing else handles this double click.
  Abort();
}

// ---- Tool bar ----

void Tmain1Frm::ToolButton1Click(TObject*)
{
  if (OpenPictureDialog1->Execute())
    NewTemplate(OpenPictureDialog1->FileName());
}

void Tmain1Frm::ToolButton2Click(TObject*)
{
  const Integer index = FTemplates.Selected();
  if (index < 0)
    return;
  auto* dialog = new Tmain1Frm(
      this, [this](const AnsiString& Name) { return TemplateRenamed(Name); },
      FTemplates.Text(index));
  ShowDesignerDialog(dialog);
}

bool Tmain1Frm::TemplateRenamed(const AnsiString& Name)
{
  const Integer index = FTemplates.Selected();
  if (index < 0)
    return false;
  RTemplate t = FTemplates.Data(index);
  if (TTemplateList::RenameTemplate(GbkToWide(Name), t.Id)) {
    t.BillName = GbkToWide(Name);
    FTemplates.PutSelectedTemplate(t);
    FTemplates.SetText(index, Name);
    TreeView1->Items()->Item(index)->SetText(Name);
  }
  return true;
}

void Tmain1Frm::ToolButton3Click(TObject*)
{
  const Integer index = FTemplates.Selected();
  if (index < 0)
    return;
  if (AppMessageBox(Format("\r\n确定要删除模版 %s 吗?\t", {FTemplates.Text(index)}), "警告",
                    MB_OKCANCEL | MB_ICONWARNING) != IDOK)
    return;
  if (!TTemplateList::DeleteTemplate(FTemplates.Data(index).Id))
    return;
  FTemplates.DeleteNode(index);
  {
    FSelectingNode = true;
    TScopeExit done([this] { FSelectingNode = false; });
    TreeView1->Items()->Delete(TreeView1->Items()->Item(index));
  }
  // The previous sibling, or else the next one, takes the selection.
  if (index > 0)
    SelectTemplate(index - 1);
  else if (FTemplates.Count() > 0)
    SelectTemplate(0);
  else
    SelectNode(-1);
}

void Tmain1Frm::ToolButton5Click(TObject*)
{
  ShowDesignerDialog(new Tmain1Frm(this, FLabels));
}

void Tmain1Frm::ToolButton6Click(TObject*)
{
  auto* dialog = new Tmain1Frm(
      this, [this](Integer W, Integer H) { return PaperSizeChanged(W, H); }, FPaperWidth,
      FPaperHeight);
  ShowDesignerDialog(dialog);
}

bool Tmain1Frm::PaperSizeChanged(Integer Width, Integer Height)
{
  FPaperWidth = Width;
  FPaperHeight = Height;
  SizeImageToPaper(Width, Height);
  return true;
}

void Tmain1Frm::ToolButton8Click(TObject*)
{
  RTemplate t;
  FTemplates.GetSelectedTemplate(t);
  if (t.Id == 0)
    return;
  t.Temdata = CurrentLayout().BuildLayoutText();
  if (!TTemplateList::UpdateTemplate(t))
    return;
  FTemplates.PutSelectedTemplate(t);
  ShowInfo("打印模版样式保存成功!");
}

void Tmain1Frm::ToolButton9Click(TObject*)
{
  if (FTemplates.Selected() < 0)
    return;
  if (AppMessageBox("\r\n确定要放弃所做的修改吗(如果有)?\t", "警告",
                    MB_OKCANCEL | MB_ICONWARNING) == IDOK)
    LoadSelectedTemplate();
}

void Tmain1Frm::ToolButton11Click(TObject*)
{
  PreviewWaybill(CurrentLayout());
}

void Tmain1Frm::ToolButton13Click(TObject*)
{
  if (TCustomForm* main = Application()->MainForm())
    main->Close();
}

void Tmain1Frm::N2Click(TObject*)
{
  if (ProgramDialogs().Reports)
    ProgramDialogs().Reports(1001);
}

// ---- The dialogs ----

void Tmain1Frm::cmbFonts1Change(TObject*)
{
  edtFontItem1->Font()->SetName(cmbFonts1->Text());
}

void Tmain1Frm::edtFontBold1Click(TObject*)
{
  TFontStyles style = edtFontItem1->Font()->Style();
  if (edtFontBold1->Checked())
    style.Include(fsBold);
  else
    style.Exclude(fsBold);
  edtFontItem1->Font()->SetStyle(style);
}

void Tmain1Frm::UpDown1Click(TObject*, TUDBtnType)
{
  edtFontItem1->Font()->SetSize(UpDown1->Position());
}

void Tmain1Frm::edtFontItem1KeyDown(TObject*, Word& Key, TShiftState Shift)
{
  if (Key == VK_RETURN && Shift.Contains(ssCtrl)) {
    Key = 0;
    btnOk1->Click();
  }
}

void Tmain1Frm::Button7Click(TObject*)
{
  for (size_t i = 0; i < FChosenLabels.size(); ++i)
    FChosenLabels[i]->SetVisible(CheckListBox1->Checked(static_cast<Integer>(i)));
  SetModalResult(mrOk);
}

void Tmain1Frm::Button13Click(TObject*)
{
  const Integer width = edtLen1->AsInteger();
  const Integer height = edtHei1->AsInteger();
  if (FPaperSizeCallback && FPaperSizeCallback(width, height))
    SetModalResult(mrOk);
}

void Tmain1Frm::btnOk5Click(TObject*)
{
  const AnsiString name = Trim(edtTemplateName1->Text());
  if (name.empty())
    return;
  if (FRenameCallback && FRenameCallback(name))
    SetModalResult(mrOk);
}

void Tmain1Frm::edtTemplateName1KeyPress(TObject*, char& Key)
{
  if (Key != VK_RETURN)
    return;
  Key = 0;
  btnOk5->Click();
}
