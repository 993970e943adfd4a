// Choosing a folder with our own controls: TDirectoryListBox shows the path of the current
// directory from the root, one folder per line, then the current directory's folders;
// a double click (or Enter) on a line opens it. TDriveComboBox offers the one root this
// system has ("/") and puts its directory list back there when chosen.
#pragma once

#include "platform/ui/StdCtrls.h"

class TDirectoryListBox : public TCustomListBox {
public:
  explicit TDirectoryListBox(TComponent* AOwner);

  const AnsiString& Directory() const { return FDirectory; }
  // Raises EInOutError for a folder that is not there (the list stays where it was).
  void SetDirectory(const AnsiString& Value);
  // The label that always shows the current directory.
  TLabel* DirLabel() const { return FDirLabel; }
  void SetDirLabel(TLabel* Value);
  // The full path of a line.
  AnsiString GetItemPath(Integer Index) const;
  // Opens the selected line's folder.
  void OpenCurrent();

  TNotifyEvent OnChange;

protected:
  void CreateWnd() override;
  void DrawItem(Integer Index, const TRect& Rect, TOwnerDrawState State) override;
  void DblClick() override;
  void KeyPress(char& Key) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual void Change();

private:
  void ReadDirectory();
  AnsiString FDirectory;
  std::vector<Integer> FLevels; // the indentation of each line
  Integer FPathLines = 0;       // lines of the path (the last one is the current folder)
  TLabel* FDirLabel = nullptr;
};

class TDriveComboBox : public TCustomComboBox {
public:
  explicit TDriveComboBox(TComponent* AOwner);
  // The root shown ('/').
  char Drive() const { return '/'; }
  TDirectoryListBox* DirList() const { return FDirList; }
  void SetDirList(TDirectoryListBox* Value);

protected:
  void Change() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  TDirectoryListBox* FDirList = nullptr;
};

void RegisterFileCtrlClasses();
