// The report library's text store and its core table; see frxRes.h.
#include "report/engine/frxRes.h"

#include "platform/graphics/ImgList.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/TypInfo.h"
#include "report/engine/frxUtils.h"

namespace {

TfrxResources* GResources = nullptr;

struct TCoreText {
  const char* Identifier;
  const char* Text;
};

// The core table, in the order it is added.
const TCoreText CoreTexts[] = {
    {"zmPageWidth", "页宽"},
    {"zmWholePage", "整页"},
    {"ppAll", "全部页面"},
    {"ppOdd", "奇数页"},
    {"ppEven", "偶数页"},
    {"mbConfirm", "确认"},
    {"mbError", "错误"},
    {"mbInfo", "信息"},
    {"xrCantFindClass", "未找到类"},
    {"prVirtual", "虚拟"},
    {"prDefault", "缺省"},
    {"prCustom", "自定义"},
    {"enUnconnHeader", "未连接至表头"},
    {"enUnconnGroup", "该组无数据区带"},
    {"enUnconnGFooter", "没有分组表尾"},
    {"enBandPos", "不正确的区带位置:"},
    {"dbNotConn", "数据集 %s 未连接至数据库"},
    {"dbFldNotFound", "字段不存在:"},
    {"clDSNotIncl", "(数据集未加入至 Report.DataSets)"},
    {"clUnknownVar", "未知的变量或数据库字段:"},
    {"clScrError", "脚本发生错误在 %s: %s"},
    {"clDSNotExist", "数据集 \"%s\" 不存在"},
    {"clErrors", "发生下列的错误:"},
    {"clExprError", "表达式错误"},
    {"clFP3files", "报表文件"},
    {"clSaving", "保存文件..."},
    {"clCancel", "取消"},
    {"clClose", "关闭(&X)"},
    {"clPrinting", "打印中"},
    {"clLoading", "载入文件..."},
    {"clPageOf", "第 %d 页 共 %d 页"},
    {"clFirstPass", "第一次处理过程: 页 "},
    {"clNoPrinters", "在你的系统没有安装打印机"},
    {"clDecompressError", "流解压缩错误"},
    {"crFillMx", "填充交叉表..."},
    {"crBuildMx", "创建交叉表..."},
    {"prRunningFirst", "第一次处理: 第 %d 页"},
    {"prRunning", "正准备第 %d 页"},
    {"prPrinting", "正打印第 %d 页"},
    {"prExporting", "正输出第 %d 页"},
    // The duplicate-name message of the component tree.
    {"prInvProp", "非法属性值"},
    {"prDupl", "重复命名"},
};

void SetStringProperty(TObject* Target, const AnsiString& Name, const AnsiString& Value)
{
  PPropInfo prop = GetPropInfo(Target, Name, tkStrings);
  if (!prop || prop->ReadOnly())
    return;
  if (prop->Kind() == tkWString)
    return; // texts of the library are 8-bit; wide properties are not localized
  SetStrProp(Target, prop, Value);
}

} // namespace

TfrxResources::TfrxResources() : FNames(std::make_unique<TStringList>())
{
  FNames->SetSorted(true);
  FNames->SetDuplicates(dupIgnore);
}

TfrxResources::~TfrxResources() = default;

void TfrxResources::LoadButtonImages(TBitmap* Strip, bool Clear)
{
  if (!FButtonImages) {
    FButtonImages = std::make_unique<TCustomImageList>(16, 16, nullptr);
    FDisabledButtonImages = std::make_unique<TCustomImageList>(16, 16, nullptr);
  }
  if (Clear) {
    FButtonImages->Clear();
    FDisabledButtonImages->Clear();
  }
  SplitBitmapToImageList(Strip, 16, 16, FDisabledButtonImages.get(), FButtonImages.get());
}

void TfrxResources::LoadObjectImages(TBitmap* Strip, bool Clear)
{
  if (!FObjectImages)
    FObjectImages = std::make_unique<TCustomImageList>(22, 22, nullptr);
  if (Clear)
    FObjectImages->Clear();
  SplitBitmapToImageList(Strip, 22, 22, nullptr, FObjectImages.get());
}

TCustomImageList* TfrxResources::ButtonImages()
{
  if (!FButtonsLoaded) {
    FButtonsLoaded = true;
    TBitmap strip;
    strip.LoadFromResourceName(0, "frxBUTTONS");
    LoadButtonImages(&strip, false);
  }
  return FButtonImages.get();
}

TCustomImageList* TfrxResources::DisabledButtonImages()
{
  ButtonImages();
  return FDisabledButtonImages.get();
}

TCustomImageList* TfrxResources::ObjectImages()
{
  if (!FObjectsLoaded) {
    FObjectsLoaded = true;
    TBitmap strip;
    strip.LoadFromResourceName(0, "frxOBJECTS");
    LoadObjectImages(&strip, false);
  }
  return FObjectImages.get();
}

void TfrxResources::Add(const AnsiString& Identifier, const AnsiString& Text)
{
  Integer index;
  if (FNames->Find(Identifier, index)) {
    FValues[static_cast<size_t>(reinterpret_cast<NativeInt>(FNames->Objects(index)))] = Text;
    return;
  }
  FValues.push_back(Text);
  FNames->AddObject(Identifier,
                    reinterpret_cast<TObject*>(static_cast<NativeInt>(FValues.size() - 1)));
}

AnsiString TfrxResources::Lookup(const AnsiString& Identifier) const
{
  Integer index;
  if (!FNames->Find(Identifier, index))
    return Identifier;
  return FValues[static_cast<size_t>(reinterpret_cast<NativeInt>(FNames->Objects(index)))];
}

void TfrxResources::LocalizeForm(TComponent* Form) const
{
  Integer index;
  if (!Form || !FNames->Find(Form->ClassName(), index))
    return;
  TStringList lines;
  lines.SetText(Lookup(Form->ClassName()));
  for (Integer i = 0; i < lines.Count(); ++i) {
    const AnsiString line = lines.Strings(i);
    const size_t eq = line.find('=');
    if (eq == AnsiString::npos || eq == 0)
      continue;
    const AnsiString name = line.substr(0, eq);
    const AnsiString value = line.substr(eq + 1, 4096);
    const size_t dot = name.find('.');
    if (dot == AnsiString::npos) {
      SetStringProperty(Form, name, value);
      continue;
    }
    if (TComponent* target = Form->FindComponent(name.substr(0, dot)))
      SetStringProperty(target, name.substr(dot + 1, 255), value);
  }
}

TfrxResources* ReportResources()
{
  if (!GResources) {
    GResources = new TfrxResources();
    AddCoreResources(GResources);
  }
  return GResources;
}

void FreeReportResources()
{
  FreeAndNil(GResources);
}

void AddCoreResources(TfrxResources* Resources)
{
  for (const TCoreText& t : CoreTexts)
    Resources->Add(t.Identifier, t.Text);
}
