// One form holding every standard control with Chinese captions: the gallery screenshot
// test and the controls benchmark build it the same way.
#pragma once

#include "platform/graphics/ImgList.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/CheckLst.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Grids.h"
#include "platform/ui/Mask.h"
#include "platform/ui/StdCtrls.h"

struct TControlsGallery {
  TForm* Form = nullptr;
  TListBox* List = nullptr;
  TStringGrid* Grid = nullptr;
  TTreeView* Tree = nullptr;
  TPageControl* Pages = nullptr;
  Integer ControlCount = 0;
};

namespace gallery {

template <class T> T* Put(TWinControl* parent, Integer x, Integer y, Integer w, Integer h)
{
  T* c = new T(parent->Owner() ? parent->Owner() : parent);
  c->SetBounds(x, y, w, h);
  c->SetParent(parent);
  return c;
}

inline TImageList* Images(TComponent* owner, Integer size)
{
  auto* list = new TImageList(owner);
  list->SetWidth(size);
  list->SetHeight(size);
  for (TColor c : {clRed, clGreen, clBlue, clTeal}) {
    TBitmap b(size, size);
    b.Canvas()->Brush()->SetColor(clWhite);
    b.Canvas()->FillRect(Rect(0, 0, size, size));
    b.Canvas()->Brush()->SetColor(c);
    b.Canvas()->Ellipse(1, 1, size - 1, size - 1);
    list->Add(&b, nullptr);
  }
  return list;
}

} // namespace gallery

// Builds and shows the gallery form (880 x 640) at the screen's top-left.
inline TControlsGallery BuildControlsGallery()
{
  using namespace gallery;
  TControlsGallery g;
  TForm* f = new TForm(nullptr);
  g.Form = f;
  f->SetCaption("控件一览 - 青禾快递单打印管理系统");
  f->SetBounds(0, 0, 880, 640);
  f->Font()->SetName("宋体");
  f->Font()->SetHeight(-12);
  TImageList* small = Images(f, 16);
  TImageList* large = Images(f, 32);

  auto* bar = Put<TToolBar>(f, 0, 0, 880, 29);
  bar->SetAlign(alTop);
  bar->SetImages(small);
  bar->SetFlat(true);
  struct {
    TToolButtonStyle Style;
    const char* Hint;
    Integer Image;
  } tools[] = {{tbsButton, "新建", 0},
               {tbsButton, "打开", 1},
               {tbsSeparator, "", -1},
               {tbsCheck, "网格", 2},
               {tbsDropDown, "导出", 3}};
  for (auto& t : tools) {
    auto* b = new TToolButton(f);
    b->SetParent(bar);
    b->SetStyle(t.Style);
    b->SetImageIndex(t.Image);
    b->SetHint(t.Hint);
  }
  auto* status = Put<TStatusBar>(f, 0, 600, 880, 19);
  status->SetAlign(alBottom);
  status->Panels()->Add()->SetText("就绪");
  status->Panels()->Items(0)->SetWidth(200);
  status->Panels()->Add()->SetText("第 1 页 共 3 页");

  auto* tree = Put<TTreeView>(f, 0, 29, 150, 300);
  tree->SetAlign(alLeft);
  tree->SetImages(small);
  TTreeNode* root = tree->Items()->Add(nullptr, "快递公司");
  root->SetImageIndex(0);
  for (const char* name : {"顺丰速运", "圆通速递", "中通快递", "韵达快递"})
    tree->Items()->AddChild(root, name)->SetImageIndex(1);
  root->GetFirstChild()->SetBold(true);
  root->Expand(false);
  tree->SetSelected(root->Item(1));
  g.Tree = tree;
  auto* split = Put<TSplitter>(f, 150, 29, 3, 300);
  split->SetAlign(alLeft);

  Integer x = 162, y = 36;
  auto* label = Put<TLabel>(f, x, y + 3, 60, 16);
  label->SetCaption("收件人(&R):");
  auto* edit = Put<TEdit>(f, x + 70, y, 120, 22);
  edit->SetText("张三");
  label->SetFocusControl(edit);
  auto* mask = Put<TMaskEdit>(f, x + 200, y, 100, 22);
  mask->SetEditMask("!0000-00-00;1;_");
  mask->SetText("2026-12-10");
  auto* statictext = Put<TStaticText>(f, x + 310, y + 2, 90, 18);
  statictext->SetCaption("静态文本");
  auto* combo = Put<TComboBox>(f, x + 410, y, 110, 22);
  combo->Items()->SetText("顺丰速运\r\n圆通速递\r\n中通快递");
  combo->SetItemIndex(0);
  auto* comboList = Put<TComboBox>(f, x + 530, y, 110, 22);
  comboList->SetStyle(csDropDownList);
  comboList->Items()->SetText("A4 纵向\r\nA5 横向");
  comboList->SetItemIndex(1);

  y += 32;
  auto* memo = Put<TMemo>(f, x, y, 190, 70);
  memo->SetText("寄件地址：北京市海淀区\r\n中关村大街一号，邮编 100080。");
  auto* list = Put<TListBox>(f, x + 200, y, 120, 70);
  for (Integer i = 1; i <= 20; ++i)
    list->Items()->Add("运单 " + IntToStr(i));
  list->SetItemIndex(1);
  g.List = list;
  auto* check = Put<TCheckListBox>(f, x + 330, y, 120, 70);
  check->Items()->SetText("打印预览\r\n自动编号\r\n保存模板");
  check->SetChecked(0, true);
  check->SetChecked(2, true);
  auto* group = Put<TGroupBox>(f, x + 460, y - 6, 180, 76);
  group->SetCaption("选项");
  auto* cb = Put<TCheckBox>(group, 10, 18, 80, 20);
  cb->SetCaption("加急");
  cb->SetChecked(true);
  auto* cb2 = Put<TCheckBox>(group, 10, 44, 80, 20);
  cb2->SetCaption("保价");
  auto* rb = Put<TRadioButton>(group, 95, 18, 80, 20);
  rb->SetCaption("寄付");
  rb->SetChecked(true);
  auto* rb2 = Put<TRadioButton>(group, 95, 44, 80, 20);
  rb2->SetCaption("到付");

  y += 80;
  auto* button = Put<TButton>(f, x, y, 75, 25);
  button->SetCaption("打印(&P)");
  button->SetDefault(true);
  auto* bit = Put<TBitBtn>(f, x + 85, y, 75, 25);
  bit->SetKind(bkOK);
  auto* speed = Put<TSpeedButton>(f, x + 170, y, 60, 25);
  speed->SetCaption("加粗");
  speed->SetGroupIndex(1);
  speed->SetAllowAllUp(true);
  speed->SetDown(true);
  auto* updownEdit = Put<TEdit>(f, x + 240, y + 1, 40, 22);
  auto* updown = Put<TUpDown>(f, x + 280, y + 1, 17, 22);
  updown->SetAssociate(updownEdit);
  updown->SetPosition(3);
  auto* progress = Put<TProgressBar>(f, x + 310, y + 4, 150, 16);
  progress->SetPosition(60);
  auto* scroll = Put<TScrollBar>(f, x + 470, y + 4, 170, 17);
  scroll->SetPosition(30);

  y += 34;
  auto* radios = Put<TRadioGroup>(f, x, y, 190, 64);
  radios->SetCaption("纸张方向");
  radios->SetColumns(2);
  radios->Items()->Add("纵向");
  radios->Items()->Add("横向");
  radios->SetItemIndex(0);
  auto* panel = Put<TPanel>(f, x + 200, y, 120, 64);
  panel->SetCaption("面板");
  panel->SetBevelInner(bvLowered);
  auto* bevel = Put<TBevel>(f, x + 330, y, 60, 64);
  bevel->SetShape(bsFrame);
  auto* shape = Put<TShape>(f, x + 340, y + 10, 40, 40);
  shape->SetShape(stEllipse);
  shape->Brush()->SetColor(clYellow);
  auto* paint = Put<TPaintBox>(f, x + 400, y, 110, 64);
  paint->OnPaint = [paint](TObject*) {
    TCanvas* c = paint->Canvas();
    c->Brush()->SetColor(clWhite);
    c->Rectangle(0, 0, paint->Width(), paint->Height());
    c->Font()->SetColor(clRed);
    c->TextOut(8, 24, "绘图框：条码");
  };
  auto* image = Put<TImage>(f, x + 520, y, 40, 40);
  TBitmap picture(32, 32);
  picture.Canvas()->Brush()->SetColor(clNavy);
  picture.Canvas()->FillRect(Rect(0, 0, 32, 32));
  image->Picture()->SetGraphic(&picture);
  auto* notebook = Put<TNotebook>(f, x + 570, y, 70, 64);
  notebook->Pages()->SetText("第一页\r\n第二页");
  auto* noteLabel = Put<TLabel>(f, 0, 0, 60, 16);
  noteLabel->SetParent(notebook->PageControl(0));
  noteLabel->SetCaption("记事本页");

  y += 72;
  auto* tabs = Put<TTabControl>(f, x, y, 320, 120);
  tabs->Tabs()->SetText("寄件人\r\n收件人\r\n物品");
  auto* inTab = Put<TLabel>(f, x + 10, y + 40, 200, 16);
  inTab->SetParent(tabs);
  inTab->SetBounds(10, 36, 200, 16);
  inTab->SetCaption("标签控件中的内容");
  auto* pages = Put<TPageControl>(f, x + 330, y, 310, 120);
  for (const char* caption : {"常规", "纸张", "打印机"}) {
    auto* sheet = new TTabSheet(f);
    sheet->SetCaption(caption);
    sheet->SetPageControl(pages);
  }
  auto* onPage = new TLabel(f);
  onPage->SetBounds(10, 10, 200, 16);
  onPage->SetParent(pages->Pages(0));
  onPage->SetCaption("页面控件的第一页");
  pages->SetActivePageIndex(0);
  g.Pages = pages;

  y += 128;
  auto* grid = Put<TStringGrid>(f, x, y, 400, 150);
  grid->SetColCount(5);
  grid->SetRowCount(12);
  grid->SetOptions(grid->Options() + TGridOptions{goColSizing, goEditing});
  const char* titles[] = {"序号", "收件人", "电话", "城市", "重量"};
  for (Integer c = 0; c < 5; ++c)
    grid->SetCells(c, 0, titles[c]);
  const char* names[] = {"王五", "赵六", "钱七", "孙八"};
  const char* cities[] = {"上海", "广州", "成都", "杭州"};
  for (Integer r = 1; r < 12; ++r) {
    grid->SetCells(0, r, IntToStr(r));
    grid->SetCells(1, r, names[r % 4]);
    grid->SetCells(2, r, "1380000" + IntToStr(1000 + r));
    grid->SetCells(3, r, cities[r % 4]);
    grid->SetCells(4, r, IntToStr(r) + ".5 公斤");
  }
  g.Grid = grid;
  auto* view = Put<TListView>(f, x + 410, y, 230, 150);
  view->SetLargeImages(large);
  for (const char* name : {"顺丰模板", "圆通模板", "中通模板", "申通模板", "韵达模板"}) {
    TListItem* item = view->Items()->Add();
    item->SetCaption(name);
    item->SetImageIndex(view->Items()->Count() % 4);
  }
  view->SetItemIndex(0);

  f->Show();
  tree->SetFocus();
  g.ControlCount = f->ComponentCount();
  return g;
}
