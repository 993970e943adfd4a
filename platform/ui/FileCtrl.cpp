// The directory list and the drive box. FileCtrl.h describes them.
#include "platform/ui/FileCtrl.h"

#include <algorithm>

#include "platform/rtl/FileUtils.h"
#include "platform/rtl/TypInfo.h"

void RegisterFileCtrlClasses()
{
  TClassRegistration<TDirectoryListBox, TWinControl>("TDirectoryListBox")
      .Property("OnChange", &TDirectoryListBox::OnChange, &TDirectoryListBox::OnChange);
  TClassRegistration<TDriveComboBox, TWinControl>("TDriveComboBox");
}

namespace {

// "/a/b" as "/", "a", "b".
std::vector<AnsiString> PathParts(const AnsiString& Path)
{
  std::vector<AnsiString> parts{"/"};
  std::size_t start = 1;
  while (start < Path.size()) {
    std::size_t slash = Path.find('/', start);
    AnsiString part =
        Path.substr(start, slash == AnsiString::npos ? AnsiString::npos : slash - start);
    if (!part.empty())
      parts.push_back(part);
    if (slash == AnsiString::npos)
      break;
    start = slash + 1;
  }
  return parts;
}

} // namespace

TDirectoryListBox::TDirectoryListBox(TComponent* AOwner) : TCustomListBox(AOwner)
{
  SetStyle(lbOwnerDrawFixed);
  SetItemHeight(17);
  AnsiString dir = ExcludeTrailingPathDelimiter(GetCurrentDir());
  FDirectory = dir.empty() ? AnsiString("/") : dir;
}

void TDirectoryListBox::CreateWnd()
{
  TCustomListBox::CreateWnd();
  ReadDirectory();
}

void TDirectoryListBox::Notification(TComponent* AComponent, TOperation Operation)
{
  TCustomListBox::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDirLabel)
    FDirLabel = nullptr;
}

void TDirectoryListBox::SetDirLabel(TLabel* Value)
{
  FDirLabel = Value;
  if (Value) {
    Value->FreeNotification(this);
    Value->SetCaption(FDirectory);
  }
}

void TDirectoryListBox::SetDirectory(const AnsiString& Value)
{
  AnsiString dir = Value.empty() ? AnsiString("/") : Value;
  if (dir[0] != '/')
    dir = IncludeTrailingPathDelimiter(FDirectory) + dir;
  if (dir.size() > 1)
    dir = ExcludeTrailingPathDelimiter(dir);
  if (!DirectoryExists(dir))
    throw EInOutError("Directory not found: " + dir, 2);
  if (dir == FDirectory)
    return;
  FDirectory = dir;
  ReadDirectory();
  Change();
}

void TDirectoryListBox::ReadDirectory()
{
  std::vector<AnsiString> parts = PathParts(FDirectory);
  std::vector<AnsiString> children;
  TSearchRec sr;
  if (FindFirst(IncludeTrailingPathDelimiter(FDirectory) + "*", faDirectory, sr) == 0) {
    do {
      if ((sr.Attr & faDirectory) && sr.Name != "." && sr.Name != ".." && sr.Name[0] != '.')
        children.push_back(sr.Name);
    } while (FindNext(sr) == 0);
    FindClose(sr);
  }
  std::sort(children.begin(), children.end());
  Items()->BeginUpdate();
  Items()->Clear();
  FLevels.clear();
  for (std::size_t i = 0; i < parts.size(); ++i) {
    Items()->Add(parts[i]);
    FLevels.push_back(static_cast<Integer>(i));
  }
  FPathLines = static_cast<Integer>(parts.size());
  for (const AnsiString& c : children) {
    Items()->Add(c);
    FLevels.push_back(FPathLines);
  }
  Items()->EndUpdate();
  if (HandleAllocated())
    SetItemIndex(FPathLines - 1);
  if (FDirLabel)
    FDirLabel->SetCaption(FDirectory);
}

AnsiString TDirectoryListBox::GetItemPath(Integer Index) const
{
  if (Index < 0 || Index >= Items()->Count())
    return AnsiString();
  std::vector<AnsiString> parts = PathParts(FDirectory);
  AnsiString path = "/";
  Integer last = Index < FPathLines ? Index : FPathLines - 1;
  for (Integer i = 1; i <= last; ++i)
    path += (i > 1 ? "/" : "") + parts[i];
  if (Index >= FPathLines)
    path = IncludeTrailingPathDelimiter(path) + Items()->Strings(Index);
  return path;
}

void TDirectoryListBox::OpenCurrent()
{
  Integer i = ItemIndex();
  if (i >= 0)
    SetDirectory(GetItemPath(i));
}

void TDirectoryListBox::Change()
{
  if (OnChange)
    OnChange(this);
}

void TDirectoryListBox::DblClick()
{
  TDestroyWatch watch(this);
  TCustomListBox::DblClick();
  if (!watch.Destroyed())
    OpenCurrent();
}

void TDirectoryListBox::KeyPress(char& Key)
{
  if (Key == '\r') {
    OpenCurrent();
    Key = 0;
    return;
  }
  TCustomListBox::KeyPress(Key);
}

// A folder mark (open for the path's folders) indented by the line's level, then the name.
void TDirectoryListBox::DrawItem(Integer Index, const TRect& Rect, TOwnerDrawState State)
{
  TCanvas* c = Canvas();
  bool selected = State.Contains(odSelected);
  c->Brush()->SetColor(selected ? clHighlight : Color());
  c->FillRect(Rect);
  Integer level = Index < static_cast<Integer>(FLevels.size()) ? FLevels[Index] : 0;
  Integer x = Rect.Left + 2 + level * 10;
  Integer top = Rect.Top + (Rect.Height() - 11) / 2;
  bool open = Index < FPathLines;
  c->Pen()->SetColor(clBlack);
  c->Brush()->SetColor(open ? clYellow : clOlive);
  c->Rectangle(x, top + 2, x + 14, top + 11);
  c->Rectangle(x, top, x + 6, top + 3);
  c->Brush()->SetStyle(bsClear);
  c->Font()->SetColor(selected ? clHighlightText : Font()->Color());
  c->TextOut(x + 18, Rect.Top + (Rect.Height() - c->TextHeight("国")) / 2, Items()->Strings(Index));
  c->Brush()->SetStyle(bsSolid);
  if (State.Contains(odFocused))
    c->DrawFocusRect(Rect);
}

// ---- TDriveComboBox ----

TDriveComboBox::TDriveComboBox(TComponent* AOwner) : TCustomComboBox(AOwner)
{
  SetStyle(csDropDownList);
  Items()->Add("/");
  SetItemIndex(0);
}

void TDriveComboBox::Notification(TComponent* AComponent, TOperation Operation)
{
  TCustomComboBox::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDirList)
    FDirList = nullptr;
}

void TDriveComboBox::SetDirList(TDirectoryListBox* Value)
{
  FDirList = Value;
  if (Value)
    Value->FreeNotification(this);
}

void TDriveComboBox::Change()
{
  TCustomComboBox::Change();
  if (FDirList && FDirList->Directory() != "/")
    FDirList->SetDirectory("/");
}
