// The database configuration dialog; see DBConfig.h.
#include "app/DBConfig.h"

#include "app/qhLib.h"
#include "app/qhProj.h"
#include "platform/rtl/NumFormat.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"

namespace {

TLabel* CaptionLabel(TComponent* Owner, TWinControl* Parent, const char* Name, Integer Left,
                     Integer Top, const char* Text)
{
  TLabel* label = new TLabel(Owner);
  label->SetName(Name);
  label->SetBounds(Left, Top, 80, 12);
  label->SetCaption(Text);
  label->SetParent(Parent);
  return label;
}

TEdit* Field(TComponent* Owner, TWinControl* Parent, const char* Name, Integer Left, Integer Top,
             Integer Width)
{
  TEdit* edit = new TEdit(Owner);
  edit->SetName(Name);
  edit->SetBounds(Left, Top, Width, 21);
  edit->SetParent(Parent);
  return edit;
}

} // namespace

TDBConfigFrm::TDBConfigFrm(TComponent* AOwner) : TForm(AOwner)
{
  BeginLoading();
  SetName("DBConfigFrm");
  SetCaption("数据库连接设置");
  SetBorderStyle(bsDialog);
  SetPosition(poMainFormCenter);
  SetKeyPreview(true);
  SetClientWidth(516);
  SetClientHeight(368);
  Font()->SetName("宋体");
  Font()->SetHeight(-12);
  Font()->SetCharset(GB2312_CHARSET);

  Label1 = CaptionLabel(this, this, "Label1", 16, 14, "注意，程序无法正常连接到指定的数据库。");
  Label1->Font()->SetColor(clRed);
  Label1->Font()->SetStyle({fsBold});
  Label2 = CaptionLabel(this, this, "Label2", 32, 38,
                        "1.单机版用户，请检查数据库文件是否存在或者已被破坏；");
  Label3 = CaptionLabel(this, this, "Label3", 32, 58,
                        "2.网络版用户，请检查网络是否畅通以及数据库服务器是否启动。");
  Label4 = CaptionLabel(this, this, "Label4", 16, 84, "另外，请检查以下连接参数是否正确：");
  for (TLabel* label : {Label1, Label2, Label3, Label4})
    label->SetWidth(480);

  ComboBox1 = new TComboBox(this);
  ComboBox1->SetName("ComboBox1");
  ComboBox1->SetBounds(16, 106, 484, 20);
  ComboBox1->SetStyle(csDropDownList);
  ComboBox1->SetParent(this);
  ComboBox1->Items()->Add("Microsoft OLE DB Provider for Sql Server");
  ComboBox1->Items()->Add("Microsoft Jet 4.0 OLE DB Provider");
  ComboBox1->Items()->Add("Qinghe Dip Provider for Sql Server");
  ComboBox1->OnChange = TNotifyEvent::Bind(this, &TDBConfigFrm::ComboBox1Change);

  Notebook1 = new TNotebook(this);
  Notebook1->SetName("Notebook1");
  Notebook1->SetBounds(16, 136, 484, 176);
  Notebook1->SetParent(this);
  Notebook1->Pages()->Add("mssql");
  Notebook1->Pages()->Add("jet4");
  Notebook1->Pages()->Add("qhdip");

  TWinControl* page = Notebook1->PageControl(0);
  CaptionLabel(this, page, "Label5", 8, 12, "服务器");
  mssqlServerEdit1 = Field(this, page, "mssqlServerEdit1", 90, 8, 220);
  CaptionLabel(this, page, "Label6", 8, 40, "端口");
  mssqlPortEdit1 = Field(this, page, "mssqlPortEdit1", 90, 36, 80);
  CheckBox1 = new TCheckBox(this);
  CheckBox1->SetName("CheckBox1");
  CheckBox1->SetBounds(190, 38, 120, 17);
  CheckBox1->SetCaption("采用智能连接");
  CheckBox1->SetParent(page);
  CaptionLabel(this, page, "Label7", 8, 68, "数据库名");
  mssqlDbEdit1 = Field(this, page, "mssqlDbEdit1", 90, 64, 220);
  CaptionLabel(this, page, "Label8", 8, 96, "登陆名");
  mssqlUserEdit1 = Field(this, page, "mssqlUserEdit1", 90, 92, 220);
  CaptionLabel(this, page, "Label9", 8, 124, "密 码");
  mssqlPwEdit1 = Field(this, page, "mssqlPwEdit1", 90, 120, 220);
  mssqlPwEdit1->SetPasswordChar('*');

  page = Notebook1->PageControl(1);
  CaptionLabel(this, page, "Label10", 8, 12, "数据库文件:");
  jetfileEdit1 = Field(this, page, "jetfileEdit1", 90, 8, 350);
  jetFileButton1 = new TButton(this);
  jetFileButton1->SetName("jetFileButton1");
  jetFileButton1->SetBounds(444, 8, 24, 21);
  jetFileButton1->SetCaption("...");
  jetFileButton1->OnClick = TNotifyEvent::Bind(this, &TDBConfigFrm::jetFileButton1Click);
  jetFileButton1->SetParent(page);
  CaptionLabel(this, page, "Label11", 8, 40, "用户名:");
  jetUserEdit1 = Field(this, page, "jetUserEdit1", 90, 36, 220);
  CaptionLabel(this, page, "Label12", 8, 68, "密码:");
  jetPwEdit1 = Field(this, page, "jetPwEdit1", 90, 64, 220);
  jetPwEdit1->SetPasswordChar('*');
  jetDefaultCheckBox1 = new TCheckBox(this);
  jetDefaultCheckBox1->SetName("jetDefaultCheckBox1");
  jetDefaultCheckBox1->SetBounds(90, 96, 160, 17);
  jetDefaultCheckBox1->SetCaption("使用默认连接");
  jetDefaultCheckBox1->OnClick = TNotifyEvent::Bind(this, &TDBConfigFrm::jetDefaultCheckBox1Click);
  jetDefaultCheckBox1->SetParent(page);

  page = Notebook1->PageControl(2);
  CaptionLabel(this, page, "Label13", 8, 12, "DIP地址");
  edtDipUrl1 = Field(this, page, "edtDipUrl1", 90, 8, 350);
  CaptionLabel(this, page, "Label14", 8, 40, "DIP用户");
  edtDipUser1 = Field(this, page, "edtDipUser1", 90, 36, 220);

  Button1 = new TButton(this);
  Button1->SetName("Button1");
  Button1->SetBounds(336, 328, 75, 25);
  Button1->SetCaption("确定(&Y)");
  Button1->SetModalResult(mrOk);
  Button1->SetParent(this);
  Button2 = new TButton(this);
  Button2->SetName("Button2");
  Button2->SetBounds(424, 328, 75, 25);
  Button2->SetCaption("取消");
  Button2->SetCancel(true);
  Button2->SetModalResult(mrCancel);
  Button2->SetParent(this);
  EndLoading();

  // The settings of cfg.ini into the controls.
  FConfiger = std::make_unique<TConfiger>();
  const TConfiger& c = *FConfiger;
  mssqlServerEdit1->SetText(c.MssqlServer);
  mssqlPortEdit1->SetText(IntToStr(c.MssqlPort));
  mssqlDbEdit1->SetText(c.MssqlDb);
  mssqlUserEdit1->SetText(c.MssqlUser);
  mssqlPwEdit1->SetText(c.MssqlPw);
  jetfileEdit1->SetText(c.JetFile);
  jetUserEdit1->SetText(c.JetUser);
  jetPwEdit1->SetText(c.JetPw);
  edtDipUrl1->SetText(c.DipUrl);
  edtDipUser1->SetText(c.DipUser);
  jetDefaultCheckBox1->SetChecked(c.DefaultCon);
  ApplyJetDefault();
  ComboBox1->SetItemIndex(c.ProviderIdx);
  Notebook1->SetPageIndex(ComboBox1->ItemIndex());
}

TDBConfigFrm::~TDBConfigFrm() = default;

void TDBConfigFrm::ComboBox1Change(TObject*)
{
  Notebook1->SetPageIndex(ComboBox1->ItemIndex());
}

void TDBConfigFrm::ApplyJetDefault()
{
  const bool own = !jetDefaultCheckBox1->Checked();
  for (TEdit* edit : {jetfileEdit1, jetUserEdit1, jetPwEdit1}) {
    edit->SetEnabled(own);
    edit->SetColor(own ? clWindow : clBtnFace);
  }
  jetFileButton1->SetEnabled(own);
}

void TDBConfigFrm::jetDefaultCheckBox1Click(TObject*)
{
  ApplyJetDefault();
}

void TDBConfigFrm::jetFileButton1Click(TObject*)
{
  TOpenDialog dialog(this);
  dialog.SetFilter("数据库文件(*.mdb)|*.mdb|所有文件(*.*)|*.*");
  dialog.SetFileName(jetfileEdit1->Text());
  if (dialog.Execute())
    jetfileEdit1->SetText(dialog.FileName());
}

void TDBConfigFrm::KeyPress(char& Key)
{
  TForm::KeyPress(Key);
  if (Key == VK_RETURN) {
    Key = 0;
    PostMessage(Handle(), WM_NEXTDLGCTL, GetKeyState(VK_SHIFT) < 0 ? 1 : 0, 0);
  }
}

TConfigEntries TDBConfigFrm::Entries() const
{
  TConfigEntries e;
  e.MssqlServer = mssqlServerEdit1->Text();
  e.MssqlPort = mssqlPortEdit1->Text();
  e.MssqlDb = mssqlDbEdit1->Text();
  e.MssqlUser = mssqlUserEdit1->Text();
  e.MssqlPw = mssqlPwEdit1->Text();
  e.SmartConnect = CheckBox1->Checked();
  e.JetFile = jetfileEdit1->Text();
  e.JetUser = jetUserEdit1->Text();
  e.JetPw = jetPwEdit1->Text();
  e.DipUrl = edtDipUrl1->Text();
  e.DipUser = edtDipUser1->Text();
  e.DefaultCon = jetDefaultCheckBox1->Checked();
  e.ProviderIdx = ComboBox1->ItemIndex();
  return e;
}

bool TDBConfigFrm::CloseQuery()
{
  if (!TForm::CloseQuery())
    return false;
  if (ModalResult() != mrOk)
    return true;
  try {
    FConfiger->SaveEntries(Entries());
  } catch (const Exception& e) {
    ShowAppException(e);
    return false;
  }
  return true;
}
