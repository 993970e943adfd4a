// Data clearing "数据清理": the operator chooses detail data or all user data, confirms, and
// the personnel tables are emptied in one transaction (all or nothing); the program then
// ends and starts again.
#pragma once

#include <functional>
#include <vector>

#include "app/a.h"
#include "platform/rtl/Types.h"

class TButton;
class TImage;
class TLabel;
class TRadioButton;

class TClearDataFrm : public TaFrm {
public:
  explicit TClearDataFrm(TComponent* AOwner);

  TImage* Image1;
  TLabel* Label1;             // "请选择清除范围:"
  TRadioButton* RadioButton1; // "仅明细数据，包括："
  TLabel* Label2;             // its note
  TRadioButton* RadioButton2; // "所有数据，包括职员记录部份"
  TLabel* Label3;             // its note
  TLabel* Label4;             // "警告："
  TLabel* Label5;             // "数据清除之后将不可恢复！"
  TButton* OkBtn1;            // "确定"
  TButton* CancelBtn1;        // "取消"

  // With OK: a range must be chosen and the deletion confirmed; then the tables are
  // cleared, the program is told it will restart, the main window closes and the program
  // starts again. A failed clearing changes nothing: its error is shown and the window
  // closes with mrAbort.
  bool CloseQuery() override;

  // The tables emptied, in order: the detail tables, then with AllData the staff records
  // and departments as well.
  static std::vector<AnsiString> ClearedTables(bool AllData);
  // Runs "delete from <table>" for each table in one transaction on Db. A failing
  // statement rolls everything back and its error is raised.
  static void ClearTables(bool AllData);
};

// Shows the data clearing window modally.
void ShowClearData();

// How the program starts itself again after a clearing: its own executable, detached.
// Tests install their own; an empty one restores this default. Returns the previous one.
using TRestartProgram = std::function<void()>;
TRestartProgram SetRestartProgram(TRestartProgram Restart);
