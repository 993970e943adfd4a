// Fuzz target "component-stream": the input as a component stream in the binary property
// format (platform/rtl/Filer.h), read as a root component of any registered class. Classes
// of this file give the reader a property of every streamed kind. What was read is written
// again, read back and written once more: both writes must be the same bytes.
#include <memory>

#include "platform/rtl/Classes.h"
#include "platform/rtl/Currency.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/TypInfo.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

enum TFuzzShade { fshNone, fshLight, fshDark };
enum TFuzzFlag { ffA, ffB, ffC, ffD };
using TFuzzFlags = TSet<TFuzzFlag>;

class TFuzzPen : public TPersistent {
public:
  Integer Width() const { return FWidth; }
  void SetWidth(Integer v) { FWidth = v; }
  TFuzzFlags Flags() const { return FFlags; }
  void SetFlags(TFuzzFlags v) { FFlags = v; }

private:
  Integer FWidth = 1;
  TFuzzFlags FFlags;
};

class TFuzzItem : public TCollectionItem {
public:
  using TCollectionItem::TCollectionItem;
  const AnsiString& Text() const { return FText; }
  void SetText(const AnsiString& v) { FText = v; }
  Int64 Big() const { return FBig; }
  void SetBig(Int64 v) { FBig = v; }

private:
  AnsiString FText;
  Int64 FBig = 0;
};

// A component with a property of each streamed kind, a nested object, a collection, a
// string list, a reference and children of its own, plus a defined binary property.
class TFuzzBox : public TComponent {
public:
  explicit TFuzzBox(TComponent* owner)
      : TComponent(owner), FItems(this, CollectionItemClass<TFuzzItem>()),
        FLines(std::make_unique<TStringList>())
  {
  }
  Integer Left() const { return FLeft; }
  void SetLeft(Integer v) { FLeft = v; }
  TFuzzShade Shade() const { return FShade; }
  void SetShade(TFuzzShade v) { FShade = v; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool v) { FVisible = v; }
  double Width() const { return FWidth; }
  void SetWidth(double v) { FWidth = v; }
  float Ratio() const { return FRatio; }
  void SetRatio(float v) { FRatio = v; }
  Currency Price() const { return FPrice; }
  void SetPrice(Currency v) { FPrice = v; }
  TDateTime Stamp() const { return FStamp; }
  void SetStamp(TDateTime v) { FStamp = v; }
  char Mark() const { return FMark; }
  void SetMark(char v) { FMark = v; }
  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& v) { FCaption = v; }
  const WideString& Hint() const { return FHint; }
  void SetHint(const WideString& v) { FHint = v; }
  TFuzzPen* Pen() { return &FPen; }
  void SetPen(TFuzzPen* v) { FPen.SetWidth(v->Width()), FPen.SetFlags(v->Flags()); }
  TOwnedCollection* Items() { return &FItems; }
  TStrings* Lines() const { return FLines.get(); }
  void SetLines(TStrings* v) { FLines->Assign(v); }
  TFuzzBox* Next() const { return FNext; }
  void SetNext(TFuzzBox* v) { FNext = v; }

  void GetChildren(TGetChildProc Proc, TComponent* Root) override
  {
    for (Integer i = 0; i < ComponentCount(); ++i)
      Proc(Components(i));
  }

protected:
  void DefineProperties(TFiler* Filer) override
  {
    TComponent::DefineProperties(Filer);
    Filer->DefineBinaryProperty("Blob", TStreamProc::Bind(this, &TFuzzBox::ReadBlob),
                                TStreamProc::Bind(this, &TFuzzBox::WriteBlob), !FBlob.empty());
  }

  void Notification(TComponent* AComponent, TOperation Operation) override
  {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FNext)
      FNext = nullptr;
  }

private:
  void ReadBlob(TStream* Stream)
  {
    FBlob.assign(static_cast<size_t>(Stream->Size()), '\0');
    Stream->ReadBuffer(FBlob.data(), static_cast<Integer>(FBlob.size()));
  }
  void WriteBlob(TStream* Stream)
  {
    Stream->WriteBuffer(FBlob.data(), static_cast<Integer>(FBlob.size()));
  }

  Integer FLeft = 0;
  TFuzzShade FShade = fshLight;
  bool FVisible = true;
  double FWidth = 0;
  float FRatio = 0;
  Currency FPrice;
  TDateTime FStamp = 0;
  char FMark = 'x';
  AnsiString FCaption;
  WideString FHint;
  TFuzzPen FPen;
  TOwnedCollection FItems;
  std::unique_ptr<TStringList> FLines;
  TFuzzBox* FNext = nullptr;
  std::string FBlob;
};

void RegisterFuzzClasses()
{
  static bool registered = false;
  if (registered)
    return;
  registered = true;
  RegisterEnumType<TFuzzShade>("TFuzzShade", {"fshNone", "fshLight", "fshDark"});
  RegisterEnumType<TFuzzFlag>("TFuzzFlag", {"ffA", "ffB", "ffC", "ffD"});
  RegisterSetType<TFuzzFlags>("TFuzzFlags");
  TClassRegistration<TFuzzPen, TPersistent>("TFuzzPen")
      .Property("Width", &TFuzzPen::Width, &TFuzzPen::SetWidth)
      .Default(1)
      .Property("Flags", &TFuzzPen::Flags, &TFuzzPen::SetFlags)
      .Default(TFuzzFlags{});
  TClassRegistration<TFuzzItem, TCollectionItem>("TFuzzItem")
      .Property("Text", &TFuzzItem::Text, &TFuzzItem::SetText)
      .Property("Big", &TFuzzItem::Big, &TFuzzItem::SetBig);
  TClassRegistration<TFuzzBox, TComponent>("TFuzzBox")
      .Property("Left", &TFuzzBox::Left, &TFuzzBox::SetLeft)
      .Property("Shade", &TFuzzBox::Shade, &TFuzzBox::SetShade)
      .Default(fshLight)
      .Property("Visible", &TFuzzBox::Visible, &TFuzzBox::SetVisible)
      .Default(true)
      .Property("Width", &TFuzzBox::Width, &TFuzzBox::SetWidth)
      .Property("Ratio", &TFuzzBox::Ratio, &TFuzzBox::SetRatio)
      .Property("Price", &TFuzzBox::Price, &TFuzzBox::SetPrice)
      .Property("Stamp", &TFuzzBox::Stamp, &TFuzzBox::SetStamp)
      .Type(TDateTimeTypeInfo())
      .Property("Mark", &TFuzzBox::Mark, &TFuzzBox::SetMark)
      .Default('x')
      .Property("Caption", &TFuzzBox::Caption, &TFuzzBox::SetCaption)
      .Property("Hint", &TFuzzBox::Hint, &TFuzzBox::SetHint)
      .Property("Pen", &TFuzzBox::Pen, &TFuzzBox::SetPen)
      .Property("Items", &TFuzzBox::Items)
      .Property("Lines", &TFuzzBox::Lines, &TFuzzBox::SetLines)
      .Property("Next", &TFuzzBox::Next, &TFuzzBox::SetNext);
  RegisterClass(ClassInfoOf<TFuzzBox>());
}

std::string Write(TComponent* Root)
{
  TMemoryStream stream;
  TWriter writer(&stream);
  writer.WriteRootComponent(Root);
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

std::unique_ptr<TComponent> Read(const std::string& Bytes)
{
  TMemoryStream stream;
  stream.WriteBuffer(Bytes.data(), static_cast<Integer>(Bytes.size()));
  stream.SetPosition(0);
  TReader reader(&stream);
  return std::unique_ptr<TComponent>(reader.ReadRootComponent(nullptr));
}

void FuzzComponentStream(const std::string& Input)
{
  RegisterFuzzClasses();
  std::unique_ptr<TComponent> root = Read(Input);
  const std::string written = Write(root.get());
  std::unique_ptr<TComponent> again;
  try {
    again = Read(written);
  } catch (const Exception& e) {
    throw EFuzzCheckFailed("a written component does not read back: " + e.Message());
  }
  FuzzCheck(Write(again.get()) == written, "a component written, read and written again differs");
}

} // namespace

QH_FUZZ_TARGET("component-stream", FuzzComponentStream);
