// The report catalogue; see Reporter.h.
#include "app/Reporter.h"

#include "app/aPrivate.h"
#include "app/qhLib.h"
#include "app/qhProj.h"
#include "platform/rtl/Codec.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/StdCtrls.h"

TReporterFrm::TReporterFrm(TComponent* AOwner) : TaFrm(AOwner, fbInherited)
{
  SetName("ReporterFrm");
  SetCaption("打印");
  SetBorderStyle(bsDialog);
  SetClientWidth(326);
  SetClientHeight(324);

  ToolBar1 = new TToolBar(this);
  ToolBar1->SetName("ToolBar1");
  ToolBar1->SetAlign(alTop);
  ToolBar1->SetShowCaptions(true);
  ToolBar1->SetFlat(true);
  ToolBar1->SetButtonHeight(22);
  ToolBar1->SetHeight(26);
  ToolBar1->SetParent(this);
  tbNew1 = AddToolButton(this, ToolBar1, "tbNew1", "新建", -1, &TReporterFrm::tbNew1Click);
  AddToolButton(this, ToolBar1, "ToolButton2", "", -1, nullptr);
  tbDelete1 = AddToolButton(this, ToolBar1, "tbDelete1", "删除", -1, &TReporterFrm::tbDelete1Click);
  tbRename1 =
      AddToolButton(this, ToolBar1, "tbRename1", "重命名", -1, &TReporterFrm::tbRename1Click);
  tbDesign1 = AddToolButton(this, ToolBar1, "tbDesign1", "设计", -1, &TReporterFrm::tbDesign1Click);

  Label1 = new TLabel(this);
  Label1->SetName("Label1");
  Label1->SetBounds(12, 34, 200, 12);
  Label1->SetCaption("请选择一种打印样式");
  Label1->SetParent(this);

  ListBox1 = new TListBox(this);
  ListBox1->SetName("ListBox1");
  ListBox1->SetBounds(12, 52, 302, 227);
  ListBox1->SetStyle(lbOwnerDrawFixed);
  ListBox1->SetItemHeight(25);
  ListBox1->OnDblClick = TNotifyEvent::Bind(this, &TReporterFrm::Button4Click);
  ListBox1->SetParent(this);

  Button4 = new TButton(this);
  Button4->SetName("Button4");
  Button4->SetCaption("预览");
  Button4->SetBounds(158, 290, 75, 25);
  Button4->SetDefault(true);
  Button4->OnClick = TNotifyEvent::Bind(this, &TReporterFrm::Button4Click);
  Button4->SetParent(this);

  Button1 = new TButton(this);
  Button1->SetName("Button1");
  Button1->SetCaption("打印");
  Button1->SetBounds(239, 290, 75, 25);
  Button1->SetVisible(false);
  Button1->SetParent(this);
  EndLoading();
}

void TReporterFrm::SetGroupId(Integer Value)
{
  FGroupId = Value;
  ReloadList();
}

void TReporterFrm::SetCanDesign(bool Value)
{
  for (TToolButton* button : {tbNew1, tbDelete1, tbRename1, tbDesign1})
    button->SetEnabled(Value);
}

void TReporterFrm::ReloadList()
{
  ListBox1->Items()->Clear();
  {
    TRepSet set;
    set.OpenGroup(FGroupId);
    TDataSet* data = set.DataSet();
    for (data->First(); !data->Eof(); data->Next())
      ListBox1->Items()->AddObject(
          WideToGbk(set.TitleField()->AsWideString()),
          reinterpret_cast<TObject*>(static_cast<NativeInt>(set.IdField()->AsInteger())));
  }
  if (ListBox1->Items()->Count() > 0)
    ListBox1->SetItemIndex(0);
}

bool TReporterFrm::GetSelection(AnsiString& Title, Integer& Id)
{
  const Integer index = ListBox1->ItemIndex();
  if (index < 0) {
    AppMessageBox("请先从左框列表中选中您要操作的项目.", Application()->Title(), MB_OK);
    return false;
  }
  Title = ListBox1->Items()->Strings(index);
  Id = static_cast<Integer>(reinterpret_cast<NativeInt>(ListBox1->Items()->Objects(index)));
  return true;
}

void TReporterFrm::Button4Click(TObject*)
{
  AnsiString title;
  Integer id = 0;
  if (!GetSelection(title, id))
    return;
  FReper->Preview(id);
  Close();
}

void TReporterFrm::tbDesign1Click(TObject*)
{
  AnsiString title;
  Integer id = 0;
  if (!GetSelection(title, id))
    return;
  FReper->Design(id);
}

void TReporterFrm::tbNew1Click(TObject*)
{
  AnsiString name;
  if (!InputQuery("添加报表", "请输入报表名称:\t\t", name))
    return;
  TRep::AddReport(name, FGroupId);
  ReloadList();
}

void TReporterFrm::tbRename1Click(TObject*)
{
  AnsiString title;
  Integer id = 0;
  if (!GetSelection(title, id))
    return;
  if (!InputQuery("修改报表标题", "请输入新的报表名称:\t\t", title))
    return;
  TRep::RenameReport(id, title);
  ReloadList();
}

void TReporterFrm::tbDelete1Click(TObject*)
{
  AnsiString title;
  Integer id = 0;
  if (!GetSelection(title, id))
    return;
  if (AppMessageBox("确定要删除" + title + "吗?", "警告", MB_OKCANCEL | MB_ICONWARNING) != IDOK)
    return;
  TRep::DeleteReport(id);
  ReloadList();
}

TPoint ReporterPlacement(TPoint Pointer, TSize Window, TSize Screen)
{
  const Integer w = Window.cx, h = Window.cy;
  Integer baseX = Pointer.X, top = 0;
  if (Pointer.Y + h > Screen.cy || Pointer.X + w > Screen.cx) {
    baseX = Screen.cx / 2;
    top = Screen.cy / 2 - h / 2;
  } else {
    top = Pointer.Y - h / 4;
  }
  if (top < 0)
    top = 10;
  if (top > Screen.cy - h)
    top = Screen.cy - h;
  Integer left = baseX - w / 2;
  if (left < 0)
    left = 10;
  if (left > Screen.cx - w)
    left = Screen.cx - w;
  return {left, top};
}

void TReporterFrm::DoShow()
{
  TaFrm::DoShow();
  const TPoint at = ReporterPlacement(Mouse()->CursorPos(), {Width(), Height()},
                                      {Screen()->Width(), Screen()->Height()});
  SetBounds(at.X, at.Y, Width(), Height());
}
