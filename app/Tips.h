// The tip of the day "每日一贴": a tip picked at random from the tip list, and whether the
// dialog shows at start-up (stored at once). The program ships no tips: with an empty list
// the tip buttons leave the text as it is.
#pragma once

#include <memory>

#include "app/a.h"

class TButton;
class TCheckBox;
class TImage;
class TLabel;
class TMemo;
class TStringList;

class TTipsFrm : public TaFrm {
public:
  explicit TTipsFrm(TComponent* AOwner);
  ~TTipsFrm() override;

  TLabel* Label1; // "您知道吗？"
  TImage* Image1;
  TMemo* Memo1;
  TCheckBox* CheckBox1; // "启动时显示每日一贴"
  TButton* Button1;     // "前一贴"
  TButton* Button2;     // "后一贴"
  TButton* CloseBtn1;   // "关闭"
  TButton* HelpBtn1;    // "帮助"

  TStringList* Tips() const { return FTips.get(); }

  // Both tip buttons: two line breaks and a tip picked at random; nothing with no tips.
  void Button1Click(TObject* Sender);

private:
  void CheckBox1Click(TObject* Sender);
  void HelpBtn1Click(TObject* Sender);

  std::unique_ptr<TStringList> FTips;
};

// Creates the tips dialog, shows it modally and releases it.
void ShowTips();
