// The about box "关于...": the product's name, version and code, the maker's web site and
// mail addresses (opened with the desktop's handler), the program's folder and the
// database in use, and the company information read-only.
#pragma once

#include "app/a.h"

class TButton;
class TLabel;

class TaboutFrm : public TaFrm {
public:
  explicit TaboutFrm(TComponent* AOwner);

  TLabel* LblProductName1;
  TLabel* LblVersion1;
  TLabel* LblProductCode1;
  TLabel* Label7;       // the web site
  TLabel* Label10;      // the support mail address
  TLabel* Label12;      // the sales mail address
  TLabel* lblExePath1;  // the program's folder
  TLabel* lblDatabase1; // the Jet file or the database server
  TButton* Button2;     // "确定"
  TButton* Button1;     // "用户信息"

  void Label7Click(TObject* Sender);
  void Label10Click(TObject* Sender);
  void Label12Click(TObject* Sender);
  void lblExePath1Click(TObject* Sender);
  void Button1Click(TObject* Sender);
};

// Creates the about box, shows it modally and releases it.
void ShowAbout();
