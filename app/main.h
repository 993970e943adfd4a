// The main window (TmainFrm): the MDI frame with the program's menu that hosts the
// waybill template designer, the closing of all windows, and the login sequence run at
// start-up and on re-login (the dialog itself is Login.h).
#pragma once

#include "app/a.h"

class TMainMenu;
class TMenuItem;

class TmainFrm : public TaFrm {
public:
  explicit TmainFrm(TComponent* AOwner);

  // Closes every other window: the application's forms, the main window's own forms,
  // then its MDI children from the last to the first.
  void CloseAllForms();

  TMainMenu* MainMenu1;
  TMenuItem* N1;  // 公司信息
  TMenuItem* N2;  // 操作员及权限
  TMenuItem* N4;  // 选项设置
  TMenuItem* N6;  // 初始化数据...
  TMenuItem* N7;  // 备份与恢复
  TMenuItem* N9;  // 更改密码
  TMenuItem* N10; // 重新登陆
  TMenuItem* N12; // 退出系统
  TMenuItem* N27; // 记事本
  TMenuItem* N28; // 计算器
  TMenuItem* N13; // 帮助文件
  TMenuItem* N14; // 常见问题
  TMenuItem* N15; // 每日一贴
  TMenuItem* N17; // 自述文件
  TMenuItem* N18; // 最新功能
  TMenuItem* N20; // 青禾官方网站
  TMenuItem* N21; // 给青禾发电子邮件...
  TMenuItem* N22; // 在线反馈
  TMenuItem* N26; // 关于...

  void N1Click(TObject* Sender);
  void N2Click(TObject* Sender);
  void N6Click(TObject* Sender);
  void N7Click(TObject* Sender);
  void N9Click(TObject* Sender);
  void N10Click(TObject* Sender);
  void N12Click(TObject* Sender);
  void N13Click(TObject* Sender);
  void N15Click(TObject* Sender);
  void N17Click(TObject* Sender);
  void N18Click(TObject* Sender);
  void N20Click(TObject* Sender);
  void N21Click(TObject* Sender);
  void N22Click(TObject* Sender);
  void N26Click(TObject* Sender);
  void N27Click(TObject* Sender);
  void N28Click(TObject* Sender);

protected:
  // Closing the main window ends the program: after the inherited handling, every other
  // window closes, the window hides, the facade's exit hooks and the automatic backup
  // run, and the database is disconnected.
  void DoClose(TCloseAction& Action) override;
};

// The main window, set when the program entry creates it.
extern TmainFrm* mainFrm;

// Logs an operator in: from the command line (exactly three arguments: login id,
// password, unused) when FromCommandLine, otherwise or when that fails through the login
// dialog. On success every other window closes and a new designer opens. True when an
// operator is logged in.
bool LoginFlow(bool FromCommandLine);

// The programs the tools menu starts: the first of a list of text editors or calculators
// found on PATH; empty when none is installed.
AnsiString FindTextEditor();
AnsiString FindCalculator();
// The mail link of the sales address with the subject "<product> 购买咨询".
AnsiString SalesMailLink();
