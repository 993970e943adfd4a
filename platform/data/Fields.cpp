// Fields, the field list and the database errors of the dataset model (DB.h). Values live
// in the dataset's records; a field converts them.
#include <algorithm>

#include "platform/data/DB.h"
#include "platform/data/DBPrivate.h"
#include "platform/data/DataUnitsPrivate.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/MaskUtils.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/TypInfo.h"

using data_detail::SplitFieldNames;

// ---- Class registration ----

void RegisterFieldClasses()
{
  RegisterEnumType<TAlignment>("TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"});
  RegisterEnumType<TFieldKind>(
      "TFieldKind", {"fkData", "fkCalculated", "fkLookup", "fkInternalCalc", "fkAggregate"});
  RegisterEventType<TFieldNotifyEvent>("TFieldNotifyEvent");
  RegisterEventType<TFieldGetTextEvent>("TFieldGetTextEvent");
  RegisterEventType<TFieldSetTextEvent>("TFieldSetTextEvent");
  TClassRegistration<TField, TComponent>("TField")
      .Property("Alignment", &TField::Alignment, &TField::SetAlignment)
      .Default(taLeftJustify)
      .Property("FieldName", &TField::FieldName, &TField::SetFieldName)
      .Property("DisplayLabel", &TField::DisplayLabel, &TField::SetDisplayLabel)
      .Property("DisplayWidth", &TField::DisplayWidth, &TField::SetDisplayWidth)
      .Property("ReadOnly", &TField::ReadOnly, &TField::SetReadOnly)
      .Default(false)
      .Property("Required", &TField::Required, &TField::SetRequired)
      .Default(false)
      .Property("Visible", &TField::Visible, &TField::SetVisible)
      .Default(true)
      .Property("Origin", &TField::Origin, &TField::SetOrigin)
      .Property("EditMask", &TField::EditMask, &TField::SetEditMask)
      .Property("KeyFields", &TField::KeyFields, &TField::SetKeyFields)
      .Property("LookupKeyFields", &TField::LookupKeyFields, &TField::SetLookupKeyFields)
      .Property("LookupResultField", &TField::LookupResultField, &TField::SetLookupResultField)
      .Property("FieldKind", &TField::FieldKind, &TField::SetFieldKind)
      .Default(fkData)
      .Property("LookupDataSet", &TField::LookupDataSet, &TField::SetLookupDataSet)
      .Property("OnChange", &TField::OnChange, &TField::OnChange)
      .Property("OnGetText", &TField::OnGetText, &TField::OnGetText)
      .Property("OnSetText", &TField::OnSetText, &TField::OnSetText)
      .Property("OnValidate", &TField::OnValidate, &TField::OnValidate);
  TClassRegistration<TStringField, TField>("TStringField")
      .Property("Size", &TField::Size, &TField::SetSize);
  TClassRegistration<TWideStringField, TStringField>("TWideStringField");
  TClassRegistration<TNumericField, TField>("TNumericField")
      .Redeclare("Alignment")
      .Default(taRightJustify)
      .Property("DisplayFormat", &TNumericField::DisplayFormat, &TNumericField::SetDisplayFormat)
      .Property("EditFormat", &TNumericField::EditFormat, &TNumericField::SetEditFormat);
  TClassRegistration<TIntegerField, TNumericField>("TIntegerField")
      .Property("MinValue", &TIntegerField::MinValue, &TIntegerField::SetMinValue)
      .Default(0)
      .Property("MaxValue", &TIntegerField::MaxValue, &TIntegerField::SetMaxValue)
      .Default(0);
  TClassRegistration<TSmallintField, TIntegerField>("TSmallintField");
  TClassRegistration<TWordField, TIntegerField>("TWordField");
  TClassRegistration<TAutoIncField, TIntegerField>("TAutoIncField");
  TClassRegistration<TLargeintField, TNumericField>("TLargeintField");
  TClassRegistration<TFloatField, TNumericField>("TFloatField")
      .Property("currency", &TFloatField::Currency, &TFloatField::SetCurrency)
      .Default(false)
      .Property("Precision", &TFloatField::Precision, &TFloatField::SetPrecision)
      .Default(15);
  TClassRegistration<TCurrencyField, TFloatField>("TCurrencyField");
  TClassRegistration<TBCDField, TNumericField>("TBCDField")
      .Property("currency", &TBCDField::Currency, &TBCDField::SetCurrency)
      .Default(false)
      .Property("Precision", &TBCDField::Precision, &TBCDField::SetPrecision)
      .Default(0);
  TClassRegistration<TFMTBCDField, TBCDField>("TFMTBCDField");
  TClassRegistration<TBooleanField, TField>("TBooleanField")
      .Property("DisplayValues", &TBooleanField::DisplayValues, &TBooleanField::SetDisplayValues);
  TClassRegistration<TDateTimeField, TField>("TDateTimeField")
      .Property("DisplayFormat", &TDateTimeField::DisplayFormat, &TDateTimeField::SetDisplayFormat);
  TClassRegistration<TDateField, TDateTimeField>("TDateField");
  TClassRegistration<TTimeField, TDateTimeField>("TTimeField");
  TClassRegistration<TSQLTimeStampField, TDateTimeField>("TSQLTimeStampField");
  TClassRegistration<TAggregateField, TField>("TAggregateField")
      .Property("Expression", &TAggregateField::Expression, &TAggregateField::SetExpression)
      .Property("Active", &TAggregateField::Active, &TAggregateField::SetActive)
      .Default(false)
      .Property("DisplayFormat", &TAggregateField::DisplayFormat,
                &TAggregateField::SetDisplayFormat)
      .Property("currency", &TAggregateField::Currency, &TAggregateField::SetCurrency)
      .Default(false)
      .Property("Precision", &TAggregateField::Precision, &TAggregateField::SetPrecision)
      .Default(15);
  TClassRegistration<TBlobField, TField>("TBlobField");
  TClassRegistration<TMemoField, TBlobField>("TMemoField");
  TClassRegistration<TWideMemoField, TMemoField>("TWideMemoField");
  TClassRegistration<TGraphicField, TBlobField>("TGraphicField");
  RegisterClasses({ClassInfoOf<TStringField>(),    ClassInfoOf<TWideStringField>(),
                   ClassInfoOf<TSmallintField>(),  ClassInfoOf<TIntegerField>(),
                   ClassInfoOf<TWordField>(),      ClassInfoOf<TAutoIncField>(),
                   ClassInfoOf<TLargeintField>(),  ClassInfoOf<TFloatField>(),
                   ClassInfoOf<TCurrencyField>(),  ClassInfoOf<TBCDField>(),
                   ClassInfoOf<TFMTBCDField>(),    ClassInfoOf<TBooleanField>(),
                   ClassInfoOf<TDateTimeField>(),  ClassInfoOf<TDateField>(),
                   ClassInfoOf<TTimeField>(),      ClassInfoOf<TSQLTimeStampField>(),
                   ClassInfoOf<TAggregateField>(), ClassInfoOf<TBlobField>(),
                   ClassInfoOf<TMemoField>(),      ClassInfoOf<TWideMemoField>(),
                   ClassInfoOf<TGraphicField>()});
}

// ---- Errors ----

void DatabaseError(const AnsiString& Message, TComponent* Component)
{
  if (Component && !Component->Name().empty())
    throw EDatabaseError(Component->Name() + ": " + Message);
  throw EDatabaseError(Message);
}

void DatabaseErrorFmt(const char* Message, const AnsiString& Arg, TComponent* Component)
{
  DatabaseError(Format(Message, {Arg}), Component);
}

AnsiString FieldTypeName(TFieldType type)
{
  static const char* const names[] = {
      "Unknown",     "String",    "SmallInt",  "Integer",    "Word",     "Boolean",    "Float",
      "Currency",    "BCD",       "Date",      "Time",       "DateTime", "Bytes",      "VarBytes",
      "AutoInc",     "Blob",      "Memo",      "Graphic",    "FmtMemo",  "ParadoxOle", "DBaseOle",
      "TypedBinary", "Cursor",    "FixedChar", "WideString", "Largeint", "ADT",        "Array",
      "Reference",   "DataSet",   "OraBlob",   "OraClob",    "Variant",  "Interface",  "IDispatch",
      "Guid",        "TimeStamp", "FMTBcd",    "WideMemo"};
  static_assert(sizeof(names) / sizeof(names[0]) == ftWideMemo + 1, "one name per field type");
  if (type < ftUnknown || type > ftWideMemo)
    return "Unknown";
  return names[type];
}

namespace data_detail {

std::vector<AnsiString> SplitFieldNames(const AnsiString& Names)
{
  std::vector<AnsiString> result;
  Integer pos = 1;
  while (pos <= Length(Names)) {
    AnsiString name = ExtractFieldName(Names, pos);
    if (!name.empty())
      result.push_back(name);
  }
  return result;
}

} // namespace data_detail

// ---- TField ----

TField::TField(TComponent* AOwner) : TComponent(AOwner) {}

TField::~TField()
{
  if (FDataSet)
    OwnerList()->Remove(this);
  if (FLookupDataSet)
    FLookupDataSet->RemoveFreeNotification(this);
}

void TField::SetDataSet(TDataSet* Value)
{
  if (Value == FDataSet)
    return;
  if (FDataSet && FDataSet->Active())
    DatabaseError(SDataSetOpen, FDataSet);
  if (Value && Value->Active())
    DatabaseError(SDataSetOpen, Value);
  if (FDataSet)
    OwnerList()->Remove(this);
  if (Value) {
    TFields* list = FFieldKind == fkAggregate ? Value->FAggFields.get() : Value->FFields.get();
    if (list->FindField(FFieldName))
      DatabaseErrorFmt(SDuplicateFieldName, FFieldName, Value);
    list->Add(this);
  }
}

TFields* TField::OwnerList() const
{
  return FFieldKind == fkAggregate ? FDataSet->FAggFields.get() : FDataSet->FFields.get();
}

void TField::SetFieldName(const AnsiString& Value)
{
  if (FDataSet && FDataSet->Active())
    DatabaseError(SDataSetOpen, FDataSet);
  FFieldName = Value;
}

void TField::SetFieldKind(TFieldKind Value)
{
  if (Value == FFieldKind)
    return;
  TDataSet* ds = FDataSet;
  if (ds && ds->Active())
    DatabaseError(SDataSetOpen, ds);
  if (ds)
    OwnerList()->Remove(this); // aggregates and other fields live in different lists
  FFieldKind = Value;
  if (ds)
    (Value == fkAggregate ? ds->FAggFields : ds->FFields)->Add(this);
}

void TField::SetSize(Integer Value)
{
  if (FDataSet && FDataSet->Active())
    DatabaseError(SDataSetOpen, FDataSet);
  FSize = Value;
}

void TField::SetLookupDataSet(TDataSet* Value)
{
  ReplaceComponentReference(this, Value, FLookupDataSet);
}

void TField::Notification(TComponent* AComponent, TOperation Operation)
{
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FLookupDataSet)
    FLookupDataSet = nullptr;
}

void TField::PropertyChanged(bool LayoutAffected)
{
  if (FDataSet && FDataSet->Active() && LayoutAffected)
    FDataSet->DataEvent(deLayoutChange, 0);
}

void TField::SetDisplayLabel(const AnsiString& Value)
{
  if (Value == FDisplayLabel)
    return;
  FDisplayLabel = Value == FFieldName ? AnsiString() : Value;
  PropertyChanged(true);
}

Integer TField::DisplayWidth() const
{
  return FDisplayWidth > 0 ? FDisplayWidth : DefaultDisplayWidth();
}

void TField::SetDisplayWidth(Integer Value)
{
  if (Value == FDisplayWidth)
    return;
  FDisplayWidth = Value;
  PropertyChanged(true);
}

void TField::SetAlignment(TAlignment Value)
{
  if (Value == FAlignment)
    return;
  FAlignment = Value;
  PropertyChanged(true);
}

void TField::SetVisible(bool Value)
{
  if (Value == FVisible)
    return;
  FVisible = Value;
  PropertyChanged(true);
}

Integer TField::Index() const
{
  return FDataSet ? OwnerList()->IndexOf(const_cast<TField*>(this)) : -1;
}

void TField::SetIndex(Integer Value)
{
  if (!FDataSet)
    return;
  OwnerList()->MoveField(this, Value);
  PropertyChanged(true);
}

bool TField::CanModify()
{
  if (FReadOnly || FFieldKind == fkCalculated || !FDataSet)
    return false;
  return FDataSet->CanModify();
}

void TField::FocusControl()
{
  if (!FDataSet || !FDataSet->Active())
    return;
  TField* field = this;
  FDataSet->DataEvent(deFocusControl, reinterpret_cast<NativeInt>(&field));
}

void TField::Assign(TPersistent* Source)
{
  if (!Source) {
    Clear();
    return;
  }
  if (auto* f = dynamic_cast<TField*>(Source)) {
    SetAsVariant(f->AsVariant());
    return;
  }
  TComponent::Assign(Source);
}

Variant TField::GetAsVariant()
{
  if (!FDataSet)
    DatabaseErrorFmt("Field '%s' has no dataset", DisplayName());
  return FDataSet->GetFieldValue(this);
}

void TField::SetAsVariant(const Variant& V)
{
  if (VarIsNull(V) || VarIsEmpty(V)) {
    StoreValue(::Null());
    return;
  }
  StoreValue(ConvertValue(V));
}

bool TField::IsNull()
{
  Variant v = GetAsVariant();
  return VarIsNull(v) || VarIsEmpty(v);
}

void TField::Clear()
{
  SetAsVariant(::Null());
}

void TField::StoreValue(const Variant& V)
{
  if (!FDataSet)
    DatabaseErrorFmt("Field '%s' has no dataset", DisplayName());
  FDataSet->SetFieldValue(this, V);
}

void TField::InvalidValue(const AnsiString& Text) const
{
  throw EDatabaseError(Format(SInvalidFieldValue, {Text, DisplayName()}));
}

Variant TField::ConvertValue(const Variant& V)
{
  return V;
}

AnsiString TField::GetAsString()
{
  AnsiString text;
  GetText(text, false);
  return text;
}

void TField::SetAsStringValue(const AnsiString& V)
{
  SetAsVariant(Variant(V));
}

// Reads the field's value through one Variant conversion: Null and Empty give emptyValue;
// a value the conversion refuses raises the field's invalid-value error.
template <class T, class Convert> T TField::ConvertValue(T emptyValue, Convert convert)
{
  Variant v = GetAsVariant();
  if (VarIsNull(v) || VarIsEmpty(v))
    return emptyValue;
  try {
    return convert(v);
  } catch (const EVariantError&) {
    InvalidValue(VarToStr(v));
  }
}

// Reads a number given as text or as a value into Value. False for blank text (the field
// becomes Null); text the parser refuses, or a value the conversion refuses, raises the
// field's invalid-value error.
template <class T, class Convert>
bool TField::ReadNumber(const Variant& V, T& Value, bool (*Parse)(const AnsiString&, T&),
                        Convert convert)
{
  if (VarIsStr(V)) {
    const AnsiString text = Trim(V.AsString());
    if (text.empty())
      return false;
    if (!Parse(text, Value))
      InvalidValue(text);
    return true;
  }
  try {
    Value = convert(V);
  } catch (const EVariantError&) {
    InvalidValue(VarToStr(V));
  }
  return true;
}

Integer TField::GetAsInteger()
{
  return ConvertValue<Integer>(0, [](const Variant& v) { return v.AsInteger(); });
}

void TField::SetAsIntegerValue(Integer V)
{
  SetAsVariant(Variant(V));
}

Double TField::GetAsFloat()
{
  return ConvertValue<Double>(0, [](const Variant& v) { return v.AsDouble(); });
}

void TField::SetAsFloatValue(Double V)
{
  SetAsVariant(Variant(V));
}

bool TField::GetAsBoolean()
{
  return ConvertValue<bool>(false, [](const Variant& v) { return v.AsBoolean(); });
}

void TField::SetAsBooleanValue(bool V)
{
  SetAsVariant(Variant(V));
}

WideString TField::AsWideString()
{
  Variant v = GetAsVariant();
  if (v.Type() == varOleStr)
    return v.AsWideString();
  return GbkToWide(AsString());
}

void TField::SetAsWideString(const WideString& V)
{
  SetAsVariant(Variant(V));
}

Int64 TField::AsLargeInt()
{
  return ConvertValue<Int64>(0, [](const Variant& v) { return v.AsInt64(); });
}

void TField::SetAsLargeInt(Int64 V)
{
  SetAsVariant(Variant(V));
}

Currency TField::AsCurrency()
{
  return ConvertValue<Currency>(Currency(), [](const Variant& v) { return v.AsCurrency(); });
}

void TField::SetAsCurrency(Currency V)
{
  SetAsVariant(Variant(V));
}

TDateTime TField::AsDateTime()
{
  return ConvertValue<TDateTime>(0, [](const Variant& v) { return v.AsDateTime(); });
}

void TField::SetAsDateTime(TDateTime V)
{
  SetAsVariant(VarFromDateTime(V));
}

// A null value has no text; every other value is formatted by its kind.
void TField::GetText(AnsiString& Text, bool DisplayText)
{
  Variant v = GetAsVariant();
  if (VarIsNull(v) || VarIsEmpty(v)) {
    Text.clear();
    return;
  }
  FormatText(v, Text, DisplayText);
}

void TField::FormatText(const Variant& Value, AnsiString& Text, bool)
{
  Text = VarToStr(Value);
}

AnsiString TField::Text()
{
  AnsiString text;
  if (OnGetText)
    OnGetText(this, text, false);
  else
    GetText(text, false);
  return text;
}

void TField::SetText(const AnsiString& Value)
{
  if (OnSetText)
    OnSetText(this, Value);
  else
    SetAsString(Value);
}

AnsiString TField::DisplayText()
{
  AnsiString text;
  if (OnGetText)
    OnGetText(this, text, true);
  else
    GetText(text, true);
  return text;
}

bool TField::IsValidChar(char Ch) const
{
  return static_cast<unsigned char>(Ch) >= 0x20 || Ch == '\t';
}

// ---- String fields ----

TStringField::TStringField(TComponent* AOwner) : TField(AOwner)
{
  SetDataType(ftString);
  SetSizeDefault(20);
}

// Size counts characters: a double-byte character is one, as in the declared column.
Variant TStringField::ConvertValue(const Variant& V)
{
  AnsiString s = VarToStr(V);
  if (Size() > 0 && Length(s) > Size()) {
    size_t end = 0;
    for (Integer n = 0; n < Size() && end < s.size(); ++n)
      end += IsDBCSLeadByte(s[end]) && end + 1 < s.size() ? 2 : 1;
    s.resize(end);
  }
  return Variant(std::move(s));
}

void TStringField::GetText(AnsiString& Text, bool DisplayText)
{
  Text = VarToStr(GetAsVariant());
  if (DisplayText && !EditMask().empty())
    Text = FormatMaskText(EditMask(), Text);
}

TWideStringField::TWideStringField(TComponent* AOwner) : TStringField(AOwner)
{
  SetDataType(ftWideString);
}

Variant TWideStringField::ConvertValue(const Variant& V)
{
  WideString w = V.Type() == varOleStr ? V.AsWideString() : GbkToWide(VarToStr(V));
  if (Size() > 0 && static_cast<Integer>(w.size()) > Size())
    w.resize(Size());
  return Variant(std::move(w));
}

// ---- Numbers ----

TNumericField::TNumericField(TComponent* AOwner) : TField(AOwner)
{
  SetAlignmentDefault(taRightJustify);
}

void TNumericField::SetDisplayFormat(const AnsiString& Value)
{
  if (Value == FDisplayFormat)
    return;
  FDisplayFormat = Value;
  PropertyChanged(true);
}

bool TNumericField::IsValidChar(char Ch) const
{
  return (Ch >= '0' && Ch <= '9') || Ch == '+' || Ch == '-' || Ch == 'e' || Ch == 'E' ||
         Ch == FormatSettings.DecimalSeparator;
}

namespace {

// Text typed into a number field: trimmed; empty text clears the field.
// Text parsers with one signature, for ReadNumber.
bool ParseInteger(const AnsiString& Text, Integer& Value)
{
  return TryStrToInt(Text, Value);
}
bool ParseLargeint(const AnsiString& Text, Int64& Value)
{
  return TryStrToInt64(Text, Value);
}
bool ParseCurrency(const AnsiString& Text, Currency& Value)
{
  return TryStrToCurr(Text, Value);
}
bool ParseFloat(const AnsiString& Text, Double& Value)
{
  Extended value = 0;
  if (!TryStrToFloat(Text, value))
    return false;
  Value = static_cast<Double>(value);
  return true;
}

} // namespace

TIntegerField::TIntegerField(TComponent* AOwner) : TNumericField(AOwner)
{
  SetDataType(ftInteger);
}

Variant TIntegerField::ConvertValue(const Variant& V)
{
  Integer value = 0;
  if (!ReadNumber(V, value, ParseInteger, [](const Variant& v) { return v.AsInteger(); }))
    return ::Null();
  if ((MinValue() != 0 || MaxValue() != 0) && (value < MinValue() || value > MaxValue()))
    InvalidValue(IntToStr(value));
  return Variant(value);
}

void TIntegerField::FormatText(const Variant& v, AnsiString& Text, bool DisplayText)
{
  AnsiString picture = DisplayText ? DisplayFormat() : EditFormat();
  Text = picture.empty() ? IntToStr(v.AsInt64()) : FormatFloat(picture, v.AsDouble());
}

bool TIntegerField::IsValidChar(char Ch) const
{
  return (Ch >= '0' && Ch <= '9') || Ch == '+' || Ch == '-';
}

TSmallintField::TSmallintField(TComponent* AOwner) : TIntegerField(AOwner)
{
  SetDataType(ftSmallint);
  SetMinValue(-32768);
  SetMaxValue(32767);
}

TWordField::TWordField(TComponent* AOwner) : TIntegerField(AOwner)
{
  SetDataType(ftWord);
  SetMinValue(0);
  SetMaxValue(65535);
}

TAutoIncField::TAutoIncField(TComponent* AOwner) : TIntegerField(AOwner)
{
  SetDataType(ftAutoInc);
}

TLargeintField::TLargeintField(TComponent* AOwner) : TNumericField(AOwner)
{
  SetDataType(ftLargeint);
}

Variant TLargeintField::ConvertValue(const Variant& V)
{
  Int64 value = 0;
  if (!ReadNumber(V, value, ParseLargeint, [](const Variant& v) { return v.AsInt64(); }))
    return ::Null();
  return Variant(value);
}

void TLargeintField::FormatText(const Variant& v, AnsiString& Text, bool DisplayText)
{
  AnsiString picture = DisplayText ? DisplayFormat() : EditFormat();
  Text = picture.empty() ? IntToStr(v.AsInt64()) : FormatFloat(picture, v.AsDouble());
}

TFloatField::TFloatField(TComponent* AOwner) : TNumericField(AOwner)
{
  SetDataType(ftFloat);
}

void TFloatField::SetCurrency(bool Value)
{
  if (Value == FCurrency)
    return;
  FCurrency = Value;
  PropertyChanged(false);
}

void TFloatField::SetPrecision(Integer Value)
{
  FPrecision = Value < 2 ? 2 : (Value > 15 ? 15 : Value);
}

Variant TFloatField::ConvertValue(const Variant& V)
{
  Double value = 0;
  if (!ReadNumber(V, value, ParseFloat, [](const Variant& v) { return v.AsDouble(); }))
    return ::Null();
  return Variant(value);
}

void TFloatField::FormatText(const Variant& v, AnsiString& Text, bool DisplayText)
{
  Double value = v.AsDouble();
  AnsiString picture = DisplayText ? DisplayFormat() : EditFormat();
  if (!picture.empty())
    Text = FormatFloat(picture, value);
  else if (FCurrency && DisplayText)
    Text = FloatToStrF(value, ffCurrency, FPrecision, FormatSettings.CurrencyDecimals);
  else
    Text = FloatToStrF(value, ffGeneral, FPrecision, 0);
}

TCurrencyField::TCurrencyField(TComponent* AOwner) : TFloatField(AOwner)
{
  SetDataType(ftCurrency);
  SetCurrency(true);
}

TBCDField::TBCDField(TComponent* AOwner) : TNumericField(AOwner)
{
  SetDataType(ftBCD);
  SetSizeDefault(4);
}

Variant TBCDField::ConvertValue(const Variant& V)
{
  ::Currency value;
  if (!ReadNumber(V, value, ParseCurrency, [](const Variant& v) { return v.AsCurrency(); }))
    return ::Null();
  return Variant(value);
}

void TBCDField::FormatText(const Variant& v, AnsiString& Text, bool DisplayText)
{
  AnsiString picture = DisplayText ? DisplayFormat() : EditFormat();
  if (!picture.empty())
    Text = FormatCurr(picture, v.AsCurrency());
  else if (FCurrency && DisplayText)
    Text = CurrToStrF(v.AsCurrency(), ffCurrency, FormatSettings.CurrencyDecimals);
  else
    Text = CurrToStr(v.AsCurrency());
}

TFMTBCDField::TFMTBCDField(TComponent* AOwner) : TBCDField(AOwner)
{
  SetDataType(ftFMTBcd);
}

// ---- Boolean ----

TBooleanField::TBooleanField(TComponent* AOwner) : TField(AOwner)
{
  SetDataType(ftBoolean);
}

void TBooleanField::SetDisplayValues(const AnsiString& Value)
{
  FDisplayValues = Value;
  auto semi = Value.find(';');
  FTrueText = Value.empty() ? AnsiString("True") : Value.substr(0, semi);
  FFalseText = Value.empty() ? AnsiString("False")
                             : (semi == AnsiString::npos ? AnsiString() : Value.substr(semi + 1));
  PropertyChanged(true);
}

Variant TBooleanField::ConvertValue(const Variant& V)
{
  if (!VarIsStr(V)) {
    try {
      return Variant(V.AsBoolean());
    } catch (const EVariantError&) {
      InvalidValue(VarToStr(V));
    }
  }
  AnsiString text = Trim(V.AsString());
  if (text.empty())
    return ::Null();
  // A prefix of either display text selects it, as typing "T" or "F" does.
  auto prefixOf = [&](const AnsiString& full) {
    return !full.empty() && Length(text) <= Length(full) &&
           AnsiSameText(text, Copy(full, 1, Length(text)));
  };
  if (prefixOf(FTrueText) || AnsiSameText(text, "True"))
    return Variant(true);
  if (prefixOf(FFalseText) || AnsiSameText(text, "False"))
    return Variant(false);
  InvalidValue(text);
}

void TBooleanField::FormatText(const Variant& v, AnsiString& Text, bool)
{
  Text = v.AsBoolean() ? FTrueText : FFalseText;
}

// ---- Dates and times ----

TDateTimeField::TDateTimeField(TComponent* AOwner) : TField(AOwner)
{
  SetDataType(ftDateTime);
}

void TDateTimeField::SetDisplayFormat(const AnsiString& Value)
{
  if (Value == FDisplayFormat)
    return;
  FDisplayFormat = Value;
  PropertyChanged(true);
}

AnsiString TDateTimeField::DefaultFormat() const
{
  return "c";
}

Variant TDateTimeField::ConvertValue(const Variant& V)
{
  if (!VarIsStr(V)) {
    try {
      return VarFromDateTime(V.AsDateTime());
    } catch (const EVariantError&) {
      InvalidValue(VarToStr(V));
    }
  }
  AnsiString text = Trim(V.AsString());
  if (text.empty())
    return ::Null();
  TDateTime value = 0;
  bool ok = DataType() == ftDate   ? TryStrToDate(text, value)
            : DataType() == ftTime ? TryStrToTime(text, value)
                                   : TryStrToDateTime(text, value);
  if (!ok)
    InvalidValue(text);
  return VarFromDateTime(value);
}

void TDateTimeField::FormatText(const Variant& v, AnsiString& Text, bool DisplayText)
{
  AnsiString picture = DisplayText && !FDisplayFormat.empty() ? FDisplayFormat : DefaultFormat();
  Text = FormatDateTime(picture, v.AsDateTime());
}

TDateField::TDateField(TComponent* AOwner) : TDateTimeField(AOwner)
{
  SetDataType(ftDate);
}
AnsiString TDateField::DefaultFormat() const
{
  return FormatSettings.ShortDateFormat;
}

TTimeField::TTimeField(TComponent* AOwner) : TDateTimeField(AOwner)
{
  SetDataType(ftTime);
}
AnsiString TTimeField::DefaultFormat() const
{
  return FormatSettings.LongTimeFormat;
}

TSQLTimeStampField::TSQLTimeStampField(TComponent* AOwner) : TDateTimeField(AOwner)
{
  SetDataType(ftTimeStamp);
}

// ---- Blobs ----

TBlobField::TBlobField(TComponent* AOwner) : TField(AOwner)
{
  SetDataType(ftBlob);
}

Variant TBlobField::ConvertValue(const Variant& V)
{
  if (V.Type() == varOleStr)
    return Variant(WideToGbk(V.AsWideString()));
  return Variant(VarToStr(V));
}

Integer TBlobField::BlobSize()
{
  Variant v = GetAsVariant();
  return VarIsStr(v) ? Length(v.AsString()) : 0;
}

void TBlobField::LoadFromStream(TStream* Stream)
{
  AnsiString bytes;
  Int64 size = Stream->Size() - Stream->Position();
  if (size > 0) {
    bytes.resize(static_cast<size_t>(size));
    Stream->ReadBuffer(bytes.data(), static_cast<Integer>(size));
  }
  SetAsVariant(Variant(std::move(bytes)));
  FModified = true;
}

void TBlobField::SaveToStream(TStream* Stream)
{
  AnsiString bytes = AsString();
  if (!bytes.empty())
    Stream->WriteBuffer(bytes.data(), Length(bytes));
}

void TBlobField::LoadFromFile(const AnsiString& FileName)
{
  TFileStream stream(FileName, fmOpenRead);
  LoadFromStream(&stream);
}

void TBlobField::SaveToFile(const AnsiString& FileName)
{
  TFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
}

void TBlobField::GetText(AnsiString& Text, bool DisplayText)
{
  if (!DisplayText) {
    Text = VarToStr(GetAsVariant()); // the raw bytes, never transcoded
    return;
  }
  Text = IsNull() ? "(blob)" : (DataType() == ftGraphic ? "(GRAPHIC)" : "(BLOB)");
  if (DataType() == ftGraphic && IsNull())
    Text = "(graphic)";
}

void TBlobField::AssignTo(TPersistent* Dest)
{
  if (auto* strings = dynamic_cast<TStrings*>(Dest)) {
    strings->SetText(AsString());
    return;
  }
  TField::AssignTo(Dest);
}

TMemoField::TMemoField(TComponent* AOwner) : TBlobField(AOwner)
{
  SetDataType(ftMemo);
}

void TMemoField::GetText(AnsiString& Text, bool DisplayText)
{
  if (!DisplayText) {
    Text = VarToStr(GetAsVariant());
    return;
  }
  Text = IsNull() ? "(memo)" : "(MEMO)";
}

TWideMemoField::TWideMemoField(TComponent* AOwner) : TMemoField(AOwner)
{
  SetDataType(ftWideMemo);
}

TGraphicField::TGraphicField(TComponent* AOwner) : TBlobField(AOwner)
{
  SetDataType(ftGraphic);
}

// ---- Aggregates ----

TAggregateField::TAggregateField(TComponent* AOwner) : TField(AOwner)
{
  SetDataType(ftFloat);
  SetFieldKind(fkAggregate);
  SetAlignmentDefault(taRightJustify);
}

void TAggregateField::SetDisplayFormat(const AnsiString& Value)
{
  if (Value == FDisplayFormat)
    return;
  FDisplayFormat = Value;
  PropertyChanged(true);
}

Variant TAggregateField::GetAsVariant()
{
  TDataSet* ds = DataSet();
  if (!FActive || !ds || !ds->Active())
    return ::Null();
  AnsiString text = Trim(FExpression);
  size_t open = text.find('(');
  size_t close = text.rfind(')');
  if (open == AnsiString::npos || close == AnsiString::npos || close < open)
    InvalidValue(FExpression);
  AnsiString function = UpperCase(Trim(text.substr(0, open)));
  AnsiString argument = Trim(text.substr(open + 1, close - open - 1));
  TField* source = argument == "*" ? nullptr : ds->FieldByName(argument);
  if (!source && function != "COUNT")
    InvalidValue(FExpression);
  Integer count = 0;
  Variant result = ::Null();
  ds->ForEachVisibleRecord([&] {
    if (source && source->IsNull())
      return;
    ++count;
    if (!source)
      return;
    Variant v = source->AsVariant();
    if (VarIsNull(result))
      result = v;
    else if (function == "SUM" || function == "AVG")
      result = result + v;
    else if (function == "MIN" ? v < result : function == "MAX" && v > result)
      result = v;
  });
  if (function == "COUNT")
    return Variant(count);
  if (function == "AVG")
    return count ? Variant(result.AsDouble() / count) : ::Null();
  if (function != "SUM" && function != "MIN" && function != "MAX")
    InvalidValue(FExpression);
  return result;
}

void TAggregateField::FormatText(const Variant& v, AnsiString& Text, bool DisplayText)
{
  if (DisplayText && !FDisplayFormat.empty() && VarIsNumeric(v))
    Text = FormatFloat(FDisplayFormat, v.AsDouble());
  else if (DisplayText && FCurrency && VarIsNumeric(v))
    Text = FloatToStrF(v.AsDouble(), ffCurrency, FPrecision, FormatSettings.CurrencyDecimals);
  else
    Text = VarToStr(v);
}

TFieldClassFactory DefaultFieldClass(TFieldType type)
{
  switch (type) {
  case ftString:
  case ftFixedChar:
  case ftGuid:
    return [](TComponent* o) -> TField* { return new TStringField(o); };
  case ftWideString:
    return [](TComponent* o) -> TField* { return new TWideStringField(o); };
  case ftSmallint:
    return [](TComponent* o) -> TField* { return new TSmallintField(o); };
  case ftInteger:
    return [](TComponent* o) -> TField* { return new TIntegerField(o); };
  case ftWord:
    return [](TComponent* o) -> TField* { return new TWordField(o); };
  case ftAutoInc:
    return [](TComponent* o) -> TField* { return new TAutoIncField(o); };
  case ftLargeint:
    return [](TComponent* o) -> TField* { return new TLargeintField(o); };
  case ftBoolean:
    return [](TComponent* o) -> TField* { return new TBooleanField(o); };
  case ftFloat:
    return [](TComponent* o) -> TField* { return new TFloatField(o); };
  case ftCurrency:
    return [](TComponent* o) -> TField* { return new TCurrencyField(o); };
  case ftBCD:
    return [](TComponent* o) -> TField* { return new TBCDField(o); };
  case ftFMTBcd:
    return [](TComponent* o) -> TField* { return new TFMTBCDField(o); };
  case ftDate:
    return [](TComponent* o) -> TField* { return new TDateField(o); };
  case ftTime:
    return [](TComponent* o) -> TField* { return new TTimeField(o); };
  case ftDateTime:
    return [](TComponent* o) -> TField* { return new TDateTimeField(o); };
  case ftTimeStamp:
    return [](TComponent* o) -> TField* { return new TSQLTimeStampField(o); };
  case ftBlob:
  case ftBytes:
  case ftVarBytes:
  case ftTypedBinary:
  case ftOraBlob:
    return [](TComponent* o) -> TField* { return new TBlobField(o); };
  case ftMemo:
  case ftFmtMemo:
  case ftOraClob:
    return [](TComponent* o) -> TField* { return new TMemoField(o); };
  case ftWideMemo:
    return [](TComponent* o) -> TField* { return new TWideMemoField(o); };
  case ftGraphic:
    return [](TComponent* o) -> TField* { return new TGraphicField(o); };
  default:
    return nullptr;
  }
}

// ---- TFields ----

void TFields::Add(TField* Field)
{
  FList.push_back(Field);
  Field->FDataSet = FDataSet;
}

void TFields::Remove(TField* Field)
{
  auto it = std::find(FList.begin(), FList.end(), Field);
  if (it == FList.end())
    return;
  FList.erase(it);
  Field->FDataSet = nullptr;
}

void TFields::Clear()
{
  for (TField* f : FList)
    f->FDataSet = nullptr;
  FList.clear();
}

TField* TFields::Fields(Integer Index) const
{
  if (Index < 0 || Index >= Count())
    DatabaseError(SFieldIndexError, FDataSet);
  return FList[Index];
}

Integer TFields::IndexOf(TField* Field) const
{
  auto it = std::find(FList.begin(), FList.end(), Field);
  return it == FList.end() ? -1 : static_cast<Integer>(it - FList.begin());
}

TField* TFields::FindField(const AnsiString& FieldName) const
{
  for (TField* f : FList)
    if (AnsiSameText(f->FieldName(), FieldName))
      return f;
  return nullptr;
}

TField* TFields::FieldByName(const AnsiString& FieldName) const
{
  TField* f = FindField(FieldName);
  if (!f)
    DatabaseErrorFmt(SFieldNotFound, FieldName, FDataSet);
  return f;
}

TField* TFields::FieldByNumber(Integer FieldNo) const
{
  for (TField* f : FList)
    if (f->FieldNo() == FieldNo)
      return f;
  return nullptr;
}

void TFields::GetFieldNames(TStrings* List) const
{
  List->BeginUpdate();
  List->Clear();
  for (TField* f : FList)
    List->Add(f->FieldName());
  List->EndUpdate();
}

void TFields::MoveField(TField* Field, Integer NewIndex)
{
  Integer cur = IndexOf(Field);
  if (cur < 0)
    return;
  NewIndex = std::clamp(NewIndex, 0, Count() - 1);
  FList.erase(FList.begin() + cur);
  FList.insert(FList.begin() + NewIndex, Field);
}

// ---- Blob stream ----

TBlobFieldStream::TBlobFieldStream(TField* Field, TBlobStreamMode Mode) : FField(Field), FMode(Mode)
{
  if (Mode != bmWrite) {
    AnsiString bytes = Field->AsString();
    if (!bytes.empty())
      TMemoryStream::Write(bytes.data(), Length(bytes));
    Seek(0, soFromBeginning);
  }
}

TBlobFieldStream::~TBlobFieldStream()
{
  if (!FWritten || FMode == bmRead)
    return;
  AnsiString bytes(static_cast<const char*>(Memory()), static_cast<size_t>(Size()));
  try {
    FField->SetAsVariant(Variant(std::move(bytes)));
  } catch (...) {
    // A destructor cannot raise; the caller sees the value unchanged.
  }
}

Integer TBlobFieldStream::Write(const void* Buffer, Integer Count)
{
  if (FMode == bmRead)
    return 0;
  FWritten = true;
  return TMemoryStream::Write(Buffer, Count);
}

void TBlobFieldStream::SetSize(Int64 NewSize)
{
  if (FMode == bmRead)
    return;
  FWritten = true;
  TMemoryStream::SetSize(NewSize);
}
