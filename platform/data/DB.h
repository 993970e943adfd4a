// The dataset model: field types and states, field definitions, fields, TDataSet with its
// state machine and buffer window, TDataSource, TDataLink, parameters and the database
// errors. Every dataset of the system (the in-memory dataset in MemDataSet.h, the database
// datasets in ADODB.h) is a TDataSet; controls and reports read records through links.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/Events.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Sets.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/Variants.h"

class TDataSet;
class TField;
class TFields;
class TFieldDefs;
class TDataSource;
class TDataLink;
class TStream;
class TStrings;
class TList;
class TBlobFieldStream;

// ---- Enumerations (ordinals are relied on; keep the order) ----

enum TFieldType {
  ftUnknown,
  ftString,
  ftSmallint,
  ftInteger,
  ftWord,
  ftBoolean,
  ftFloat,
  ftCurrency,
  ftBCD,
  ftDate,
  ftTime,
  ftDateTime,
  ftBytes,
  ftVarBytes,
  ftAutoInc,
  ftBlob,
  ftMemo,
  ftGraphic,
  ftFmtMemo,
  ftParadoxOle,
  ftDBaseOle,
  ftTypedBinary,
  ftCursor,
  ftFixedChar,
  ftWideString,
  ftLargeint,
  ftADT,
  ftArray,
  ftReference,
  ftDataSet,
  ftOraBlob,
  ftOraClob,
  ftVariant,
  ftInterface,
  ftIDispatch,
  ftGuid,
  ftTimeStamp,
  ftFMTBcd,
  ftWideMemo // beyond the runtime's range: wide memo fields created in code
};
static_assert(ftFMTBcd == 37, "field type ordinals are relied on");

// The name of a field type as messages show it ("String", "Integer" ...).
AnsiString FieldTypeName(TFieldType type);

enum TDataSetState {
  dsInactive,
  dsBrowse,
  dsEdit,
  dsInsert,
  dsSetKey,
  dsCalcFields,
  dsFilter,
  dsNewValue,
  dsOldValue,
  dsCurValue,
  dsBlockRead,
  dsInternalCalc,
  dsOpening
};

enum TDataEvent {
  deFieldChange,
  deRecordChange,
  deDataSetChange,
  deDataSetScroll,
  deLayoutChange,
  deUpdateRecord,
  deUpdateState,
  deCheckBrowseMode,
  dePropertyChange,
  deFieldListChange,
  deFocusControl,
  deParentScroll,
  deConnectChange,
  deReconcileError,
  deDisabledStateChange
};
static_assert(deDisabledStateChange == 14, "data event ordinals are relied on");

enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate };
using TFieldKinds = TSet<TFieldKind>;

enum TLocateOption { loCaseInsensitive, loPartialKey };
using TLocateOptions = TSet<TLocateOption>;

enum TFilterOption { foCaseInsensitive, foNoPartialCompare };
using TFilterOptions = TSet<TFilterOption>;

enum TResyncModeElement { rmExact, rmCenter };
using TResyncMode = TSet<TResyncModeElement>;

enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

enum TParamType { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };

// What an error handler of Edit, Post or Delete decides: raise the error (daFail), end
// the operation silently (daAbort, EAbort) or try the operation again (daRetry).
enum TDataAction { daFail, daAbort, daRetry };

// A bookmark: an opaque text naming one record for as long as the record exists.
using TBookmarkStr = AnsiString;
using TBookmark = AnsiString;

// ---- Errors ----

QH_DECLARE_EXCEPTION(EDatabaseError, Exception);

// Message texts of the data library.
inline constexpr const char* SDataSetClosed = "Cannot perform this operation on a closed dataset";
inline constexpr const char* SDataSetOpen = "Cannot perform this operation on an open dataset";
inline constexpr const char* SDataSetEmpty = "Cannot perform this operation on an empty dataset";
inline constexpr const char* SNotEditing = "Dataset not in edit or insert mode";
inline constexpr const char* SDataSetReadOnly = "Cannot modify a read-only dataset";
inline constexpr const char* SFieldRequired = "Field '%s' must have a value";
inline constexpr const char* SFieldNotFound = "Field '%s' not found";
inline constexpr const char* SFieldReadOnly = "Field '%s' cannot be modified";
inline constexpr const char* SFieldTypeMismatch =
    "Type mismatch for field '%s', expecting: %s actual: %s";
inline constexpr const char* SDuplicateFieldName = "Duplicate field name '%s'";
inline constexpr const char* SFieldIndexError = "Field index out of range";
inline constexpr const char* SParameterNotFound = "Parameter '%s' not found";
inline constexpr const char* SCircularDataLink = "Circular datalinks are not allowed";
inline constexpr const char* SRecordNotFound = "Record not found";
inline constexpr const char* SInvalidFieldValue = "'%s' is not a valid value for field '%s'";
inline constexpr const char* SNoFieldDefs = "No fields defined for dataset";
inline constexpr const char* SFilterSyntax = "Invalid filter expression: %s";
inline constexpr const char* SNoDataSet = "Missing data source or dataset";
inline constexpr const char* SDataSourceFixed = "Operation not allowed in a DBCtrlGrid";

// Raises EDatabaseError; with a component (having a name) the message is prefixed "Name: ".
[[noreturn]] void DatabaseError(const AnsiString& Message, TComponent* Component = nullptr);
// The same with a message holding one %s.
[[noreturn]] void DatabaseErrorFmt(const char* Message, const AnsiString& Arg,
                                   TComponent* Component = nullptr);

// ---- Event types ----

using TDataSetNotifyEvent = TEvent<void(TDataSet* DataSet)>;
using TFilterRecordEvent = TEvent<void(TDataSet* DataSet, bool& Accept)>;
using TFieldNotifyEvent = TEvent<void(TField* Sender)>;
using TFieldGetTextEvent = TEvent<void(TField* Sender, AnsiString& Text, bool DisplayText)>;
using TFieldSetTextEvent = TEvent<void(TField* Sender, const AnsiString& Text)>;
using TDataChangeEvent = TEvent<void(TObject* Sender, TField* Field)>;
using TDataSetErrorEvent = TEvent<void(TDataSet* DataSet, EDatabaseError* E, TDataAction& Action)>;

// ---- Field definitions ----

// The description of one column of a dataset: what a field is created from.
class TFieldDef : public TPersistent {
public:
  TFieldDef(TFieldDefs* Owner, const AnsiString& Name, TFieldType DataType, Integer Size,
            bool Required);

  AnsiString Name() const { return FName; }
  void SetName(const AnsiString& Value) { FName = Value; }
  TFieldType DataType() const { return FDataType; }
  void SetDataType(TFieldType Value) { FDataType = Value; }
  Integer Size() const { return FSize; }
  void SetSize(Integer Value) { FSize = Value; }
  bool Required() const { return FRequired; }
  void SetRequired(bool Value) { FRequired = Value; }
  Integer Precision() const { return FPrecision; }
  void SetPrecision(Integer Value) { FPrecision = Value; }
  // 1-based position in the definitions.
  Integer FieldNo() const;
  Integer Index() const;
  TFieldDefs* Collection() const { return FOwner; }

private:
  TFieldDefs* FOwner;
  AnsiString FName;
  TFieldType FDataType;
  Integer FSize;
  bool FRequired;
  Integer FPrecision = 0;
};

class TFieldDefs : public TPersistent {
public:
  explicit TFieldDefs(TDataSet* DataSet) : FDataSet(DataSet) {}
  ~TFieldDefs() override;

  // Adds a definition; a name already there (ignoring case) raises "Duplicate field name".
  TFieldDef* AddFieldDef(const AnsiString& Name, TFieldType DataType, Integer Size = 0,
                         bool Required = false);
  void Add(const AnsiString& Name, TFieldType DataType, Integer Size = 0, bool Required = false)
  {
    AddFieldDef(Name, DataType, Size, Required);
  }
  void Clear();
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TFieldDef* Items(Integer Index) const;
  Integer IndexOf(const AnsiString& Name) const;
  // Raises "Field '%s' not found" when missing.
  TFieldDef* Find(const AnsiString& Name) const;
  // Reads the definitions from the dataset without opening it (for a closed dataset this
  // asks it to describe its columns).
  void Update();
  bool Updated() const { return FUpdated; }
  void SetUpdated(bool Value) { FUpdated = Value; }
  TDataSet* DataSet() const { return FDataSet; }
  void Assign(TPersistent* Source) override;

protected:
  // The definitions stream as one list "Items": name, type, size, required, precision.
  void DefineProperties(TFiler* Filer) override;

private:
  void ReadItems(TReader* Reader);
  void WriteItems(TWriter* Writer);

  TDataSet* FDataSet;
  std::vector<std::unique_ptr<TFieldDef>> FItems;
  bool FUpdated = false;
};

// ---- Fields ----

class TField : public TComponent {
public:
  explicit TField(TComponent* AOwner);
  ~TField() override;

  // The dataset the field belongs to; setting it attaches the field (closed dataset only).
  TDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TDataSet* Value);

  // Values. Null reads as 0, "" and False (non-strict Null conversion).
  Variant Value() { return GetAsVariant(); }
  void SetValue(const Variant& V) { SetAsVariant(V); }
  Variant AsVariant() { return GetAsVariant(); }
  void SetAsVariant(const Variant& V);
  AnsiString AsString() { return GetAsString(); }
  void SetAsString(const AnsiString& V) { SetAsStringValue(V); }
  WideString AsWideString();
  void SetAsWideString(const WideString& V);
  Integer AsInteger() { return GetAsInteger(); }
  void SetAsInteger(Integer V) { SetAsIntegerValue(V); }
  Int64 AsLargeInt();
  void SetAsLargeInt(Int64 V);
  Double AsFloat() { return GetAsFloat(); }
  void SetAsFloat(Double V) { SetAsFloatValue(V); }
  Currency AsCurrency();
  void SetAsCurrency(Currency V);
  bool AsBoolean() { return GetAsBoolean(); }
  void SetAsBoolean(bool V) { SetAsBooleanValue(V); }
  TDateTime AsDateTime();
  void SetAsDateTime(TDateTime V);
  bool IsNull();
  void Clear();

  // Edit text (writing converts as typing would) and display text.
  AnsiString Text();
  void SetText(const AnsiString& Value);
  AnsiString DisplayText();
  // Whether a typed character is accepted by the field kind.
  virtual bool IsValidChar(char Ch) const;
  virtual bool IsBlob() const { return false; }
  bool CanModify();
  void FocusControl();
  void Assign(TPersistent* Source) override;

  // Properties.
  AnsiString FieldName() const { return FFieldName; }
  void SetFieldName(const AnsiString& Value);
  AnsiString DisplayName() const { return FDisplayLabel.empty() ? FFieldName : FDisplayLabel; }
  AnsiString DisplayLabel() const { return DisplayName(); }
  void SetDisplayLabel(const AnsiString& Value);
  Integer DisplayWidth() const;
  void SetDisplayWidth(Integer Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value) { FReadOnly = Value; }
  bool Required() const { return FRequired; }
  void SetRequired(bool Value) { FRequired = Value; }
  // Position in the dataset's field list; setting it moves the field.
  Integer Index() const;
  void SetIndex(Integer Value);
  TFieldType DataType() const { return FDataType; }
  TFieldKind FieldKind() const { return FFieldKind; }
  void SetFieldKind(TFieldKind Value);
  // Size: string fields count GBK bytes.
  Integer Size() const { return FSize; }
  void SetSize(Integer Value);
  Integer FieldNo() const { return FFieldNo; }
  AnsiString Origin() const { return FOrigin; }
  void SetOrigin(const AnsiString& Value) { FOrigin = Value; }
  AnsiString EditMask() const { return FEditMask; }
  void SetEditMask(const AnsiString& Value) { FEditMask = Value; }
  bool Lookup() const { return FFieldKind == fkLookup; }
  void SetLookup(bool Value) { SetFieldKind(Value ? fkLookup : fkData); }
  bool Calculated() const { return FFieldKind == fkCalculated; }
  void SetCalculated(bool Value) { SetFieldKind(Value ? fkCalculated : fkData); }
  TDataSet* LookupDataSet() const { return FLookupDataSet; }
  void SetLookupDataSet(TDataSet* Value);
  AnsiString LookupKeyFields() const { return FLookupKeyFields; }
  void SetLookupKeyFields(const AnsiString& Value) { FLookupKeyFields = Value; }
  AnsiString LookupResultField() const { return FLookupResultField; }
  void SetLookupResultField(const AnsiString& Value) { FLookupResultField = Value; }
  AnsiString KeyFields() const { return FKeyFields; }
  void SetKeyFields(const AnsiString& Value) { FKeyFields = Value; }

  TFieldNotifyEvent OnChange;
  TFieldNotifyEvent OnValidate;
  TFieldGetTextEvent OnGetText;
  TFieldSetTextEvent OnSetText;

protected:
  virtual Variant GetAsVariant();
  virtual AnsiString GetAsString();
  virtual void SetAsStringValue(const AnsiString& V);
  virtual Integer GetAsInteger();
  virtual void SetAsIntegerValue(Integer V);
  virtual Double GetAsFloat();
  virtual void SetAsFloatValue(Double V);
  virtual bool GetAsBoolean();
  virtual void SetAsBooleanValue(bool V);
  // The edit or display text: empty for a null value, FormatText for any other. Fields
  // with a text of their own for null (blobs, masked strings) override this.
  virtual void GetText(AnsiString& Text, bool DisplayText);
  // The edit or display text of a non-null value.
  virtual void FormatText(const Variant& Value, AnsiString& Text, bool DisplayText);
  // Converts a value to the field's own kind (raising for text that does not convert).
  virtual Variant ConvertValue(const Variant& V);
  virtual Integer DefaultDisplayWidth() const { return 10; }

  void SetDataType(TFieldType Value) { FDataType = Value; }
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Raises the conversion error "'text' is not a valid value for field 'name'".
  [[noreturn]] void InvalidValue(const AnsiString& Text) const;
  template <class T, class Convert> T ConvertValue(T emptyValue, Convert convert);
  template <class T, class Convert>
  bool ReadNumber(const Variant& V, T& Value, bool (*Parse)(const AnsiString&, T&),
                  Convert convert);
  // The list of the dataset that holds this field: AggFields for aggregates, else Fields.
  TFields* OwnerList() const;
  // Writes a converted value through the dataset.
  void StoreValue(const Variant& V);
  void PropertyChanged(bool LayoutAffected);

private:
  friend class TDataSet;
  friend class TFields;

  TDataSet* FDataSet = nullptr;
  TFieldType FDataType = ftUnknown;
  TFieldKind FFieldKind = fkData;
  AnsiString FFieldName;
  AnsiString FDisplayLabel;
  Integer FDisplayWidth = 0;
  TAlignment FAlignment = taLeftJustify;
  bool FVisible = true;
  bool FReadOnly = false;
  bool FRequired = false;
  Integer FSize = 0;
  Integer FFieldNo = 0; // 1-based definition number of a data field, 0 otherwise
  Integer FSlot = -1;   // place of the value in a record
  AnsiString FOrigin;
  AnsiString FEditMask;
  TDataSet* FLookupDataSet = nullptr;
  AnsiString FLookupKeyFields;
  AnsiString FLookupResultField;
  AnsiString FKeyFields;

protected:
  void SetAlignmentDefault(TAlignment Value) { FAlignment = Value; }
  void SetSizeDefault(Integer Value) { FSize = Value; }
};

class TStringField : public TField {
public:
  explicit TStringField(TComponent* AOwner);
  bool FixedChar() const { return FFixedChar; }
  void SetFixedChar(bool Value) { FFixedChar = Value; }

protected:
  Variant ConvertValue(const Variant& V) override;
  // Display text goes through EditMask when one is set.
  void GetText(AnsiString& Text, bool DisplayText) override;
  Integer DefaultDisplayWidth() const override { return Size(); }

private:
  bool FFixedChar = false;
};

class TWideStringField : public TStringField {
public:
  explicit TWideStringField(TComponent* AOwner);

protected:
  Variant ConvertValue(const Variant& V) override;
};

// Numbers: DisplayFormat for display text, EditFormat for edit text (FormatFloat pictures).
class TNumericField : public TField {
public:
  explicit TNumericField(TComponent* AOwner);
  AnsiString DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const AnsiString& Value);
  AnsiString EditFormat() const { return FEditFormat; }
  void SetEditFormat(const AnsiString& Value) { FEditFormat = Value; }
  bool IsValidChar(char Ch) const override;

private:
  AnsiString FDisplayFormat;
  AnsiString FEditFormat;
};

class TIntegerField : public TNumericField {
public:
  explicit TIntegerField(TComponent* AOwner);
  Integer MinValue() const { return FMinValue; }
  void SetMinValue(Integer Value) { FMinValue = Value; }
  Integer MaxValue() const { return FMaxValue; }
  void SetMaxValue(Integer Value) { FMaxValue = Value; }

protected:
  Variant ConvertValue(const Variant& V) override;
  void FormatText(const Variant& Value, AnsiString& Text, bool DisplayText) override;
  bool IsValidChar(char Ch) const override;

private:
  Integer FMinValue = 0;
  Integer FMaxValue = 0;
};

class TSmallintField : public TIntegerField {
public:
  explicit TSmallintField(TComponent* AOwner);
};

class TWordField : public TIntegerField {
public:
  explicit TWordField(TComponent* AOwner);
};

class TAutoIncField : public TIntegerField {
public:
  explicit TAutoIncField(TComponent* AOwner);
};

class TLargeintField : public TNumericField {
public:
  explicit TLargeintField(TComponent* AOwner);

protected:
  Variant ConvertValue(const Variant& V) override;
  void FormatText(const Variant& Value, AnsiString& Text, bool DisplayText) override;
};

class TFloatField : public TNumericField {
public:
  explicit TFloatField(TComponent* AOwner);
  bool Currency() const { return FCurrency; }
  void SetCurrency(bool Value);
  Integer Precision() const { return FPrecision; }
  void SetPrecision(Integer Value);

protected:
  Variant ConvertValue(const Variant& V) override;
  void FormatText(const Variant& Value, AnsiString& Text, bool DisplayText) override;

private:
  bool FCurrency = false;
  Integer FPrecision = 15;
};

class TCurrencyField : public TFloatField {
public:
  explicit TCurrencyField(TComponent* AOwner);
};

// Fixed-point numbers held as Currency (4 decimals).
class TBCDField : public TNumericField {
public:
  explicit TBCDField(TComponent* AOwner);
  bool Currency() const { return FCurrency; }
  void SetCurrency(bool Value) { FCurrency = Value; }
  Integer Precision() const { return FPrecision; }
  void SetPrecision(Integer Value) { FPrecision = Value; }

protected:
  Variant ConvertValue(const Variant& V) override;
  void FormatText(const Variant& Value, AnsiString& Text, bool DisplayText) override;

private:
  bool FCurrency = false;
  Integer FPrecision = 0;
};

class TFMTBCDField : public TBCDField {
public:
  explicit TFMTBCDField(TComponent* AOwner);
};

class TBooleanField : public TField {
public:
  explicit TBooleanField(TComponent* AOwner);
  // "True;False" by default; the first part is the text of true, the second of false.
  AnsiString DisplayValues() const { return FDisplayValues; }
  void SetDisplayValues(const AnsiString& Value);

protected:
  Variant ConvertValue(const Variant& V) override;
  void FormatText(const Variant& Value, AnsiString& Text, bool DisplayText) override;

private:
  AnsiString FDisplayValues;
  AnsiString FTrueText = "True";
  AnsiString FFalseText = "False";
};

class TDateTimeField : public TField {
public:
  explicit TDateTimeField(TComponent* AOwner);
  AnsiString DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const AnsiString& Value);

protected:
  Variant ConvertValue(const Variant& V) override;
  void FormatText(const Variant& Value, AnsiString& Text, bool DisplayText) override;
  // The picture used when DisplayFormat is empty.
  virtual AnsiString DefaultFormat() const;

private:
  AnsiString FDisplayFormat;
};

class TDateField : public TDateTimeField {
public:
  explicit TDateField(TComponent* AOwner);

protected:
  AnsiString DefaultFormat() const override;
};

class TTimeField : public TDateTimeField {
public:
  explicit TTimeField(TComponent* AOwner);

protected:
  AnsiString DefaultFormat() const override;
};

class TSQLTimeStampField : public TDateTimeField {
public:
  explicit TSQLTimeStampField(TComponent* AOwner);
};

// Binary and long text values. AsString gives the raw bytes, never transcoded.
class TBlobField : public TField {
public:
  explicit TBlobField(TComponent* AOwner);
  bool IsBlob() const override { return true; }
  Integer BlobSize();
  bool Modified() const { return FModified; }
  void SetModified(bool Value) { FModified = Value; }
  void LoadFromStream(TStream* Stream);
  void SaveToStream(TStream* Stream);
  void LoadFromFile(const AnsiString& FileName);
  void SaveToFile(const AnsiString& FileName);

protected:
  Variant ConvertValue(const Variant& V) override;
  void GetText(AnsiString& Text, bool DisplayText) override;
  void AssignTo(TPersistent* Dest) override;

private:
  bool FModified = false;
};

class TMemoField : public TBlobField {
public:
  explicit TMemoField(TComponent* AOwner);

protected:
  void GetText(AnsiString& Text, bool DisplayText) override;
};

class TWideMemoField : public TMemoField {
public:
  explicit TWideMemoField(TComponent* AOwner);
};

class TGraphicField : public TBlobField {
public:
  explicit TGraphicField(TComponent* AOwner);
};

// A value summarised over the dataset's visible records: Expression is "SUM(field)",
// "AVG(field)", "MIN(field)", "MAX(field)" or "COUNT(*)" / "COUNT(field)" (non-null values);
// Null while inactive, on a closed dataset, or over no values.
class TAggregateField : public TField {
public:
  explicit TAggregateField(TComponent* AOwner);
  AnsiString Expression() const { return FExpression; }
  void SetExpression(const AnsiString& Value) { FExpression = Value; }
  bool Active() const { return FActive; }
  void SetActive(bool Value) { FActive = Value; }
  AnsiString DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const AnsiString& Value);
  bool Currency() const { return FCurrency; }
  void SetCurrency(bool Value) { FCurrency = Value; }
  Integer Precision() const { return FPrecision; }
  void SetPrecision(Integer Value) { FPrecision = Value; }

protected:
  Variant GetAsVariant() override;
  void FormatText(const Variant& Value, AnsiString& Text, bool DisplayText) override;

private:
  AnsiString FExpression;
  AnsiString FDisplayFormat;
  bool FActive = false;
  bool FCurrency = false;
  Integer FPrecision = 15;
};

// The field class a dataset creates for a column type by default (TStringField for
// ftString ...); null for a type without one.
using TFieldClassFactory = TField* (*)(TComponent* AOwner);
TFieldClassFactory DefaultFieldClass(TFieldType type);

// The dataset's field list, in display order.
class TFields : public TObject {
public:
  explicit TFields(TDataSet* DataSet) : FDataSet(DataSet) {}
  void Add(TField* Field);
  void Remove(TField* Field);
  void Clear();
  Integer Count() const { return static_cast<Integer>(FList.size()); }
  TField* Fields(Integer Index) const;
  TField* operator[](Integer Index) const { return Fields(Index); }
  Integer IndexOf(TField* Field) const;
  // Ignoring case; null when missing.
  TField* FindField(const AnsiString& FieldName) const;
  // Raises "Field '%s' not found" prefixed with the dataset's name.
  TField* FieldByName(const AnsiString& FieldName) const;
  TField* FieldByNumber(Integer FieldNo) const;
  void GetFieldNames(TStrings* List) const;
  TDataSet* DataSet() const { return FDataSet; }

private:
  friend class TField;
  void MoveField(TField* Field, Integer NewIndex);

  TDataSet* FDataSet;
  std::vector<TField*> FList;
};

// ---- Parameters ----

class TParams;

class TParam : public TPersistent {
public:
  TParam(TParams* Owner, const AnsiString& Name);

  AnsiString Name() const { return FName; }
  void SetName(const AnsiString& Value) { FName = Value; }
  Variant Value() const { return FValue; }
  void SetValue(const Variant& V);
  TFieldType DataType() const { return FDataType; }
  void SetDataType(TFieldType Value) { FDataType = Value; }
  TParamType ParamType() const { return FParamType; }
  void SetParamType(TParamType Value) { FParamType = Value; }
  bool IsNull() const { return VarIsNull(FValue) || VarIsEmpty(FValue); }
  void Clear() { FValue = ::Null(); }
  // Loads the whole stream as the value (bytes); an empty stream gives a zero-length value.
  void LoadFromStream(TStream* Stream, TFieldType BlobType);
  void SetBlobData(const AnsiString& Bytes);
  AnsiString AsString() const { return VarToStr(FValue); }
  void SetAsString(const AnsiString& V) { SetValue(Variant(V)); }
  Integer AsInteger() const { return FValue.AsInteger(); }
  void SetAsInteger(Integer V) { SetValue(Variant(V)); }
  void Assign(TPersistent* Source) override;

private:
  TParams* FOwner;
  AnsiString FName;
  Variant FValue = ::Null();
  TFieldType FDataType = ftUnknown;
  TParamType FParamType = ptInput;
};

class TParams : public TPersistent {
public:
  explicit TParams(TPersistent* Owner = nullptr) : FOwner(Owner) {}
  ~TParams() override;

  TParam* CreateParam(TFieldType DataType, const AnsiString& Name, TParamType ParamType);
  // Adds a parameter of that name unless one is there already (ignoring case).
  TParam* AddParam(const AnsiString& Name);
  void Clear();
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TParam* Items(Integer Index) const;
  TParam* operator[](Integer Index) const { return Items(Index); }
  // Ignoring case; null when missing.
  TParam* FindParam(const AnsiString& Name) const;
  // Raises EDatabaseError "Parameter '%s' not found".
  TParam* ParamByName(const AnsiString& Name) const;
  // Values of ';'-separated names: one Variant, or a Variant array for several.
  Variant ParamValues(const AnsiString& ParamName) const;
  void SetParamValues(const AnsiString& ParamName, const Variant& Value);
  // Keeps the values of parameters whose names are in Source.
  void AssignValues(TParams* Source);
  void Assign(TPersistent* Source) override;

protected:
  TPersistent* GetOwner() override { return FOwner; }
  // The parameters stream as one list "Data": name, data type, parameter type, value.
  void DefineProperties(TFiler* Filer) override;

private:
  void ReadData(TReader* Reader);
  void WriteData(TWriter* Writer);

  TPersistent* FOwner;
  std::vector<std::unique_ptr<TParam>> FItems;
};

// ---- Data source and data link ----

class TDataSource : public TComponent {
public:
  explicit TDataSource(TComponent* AOwner = nullptr);
  ~TDataSource() override;

  TDataSet* DataSet() const { return FDataSet; }
  // Refuses a dataset whose master chain leads back here ("Circular datalinks ...").
  void SetDataSet(TDataSet* Value);
  TDataSetState State() const { return FState; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  bool AutoEdit() const { return FAutoEdit; }
  void SetAutoEdit(bool Value) { FAutoEdit = Value; }
  // Puts the dataset into edit when AutoEdit allows and it is browsing.
  void Edit();
  // True when DataSet's master chain (its DataSource, the master's …) reaches this source.
  bool IsLinkedTo(TDataSet* DataSet) const;
  Integer LinkCount() const { return static_cast<Integer>(FLinks.size()); }

  TDataChangeEvent OnDataChange;
  TNotifyEvent OnStateChange;
  TNotifyEvent OnUpdateData;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TDataSet;
  friend class TDataLink;
  void AddDataLink(TDataLink* Link);
  void RemoveDataLink(TDataLink* Link);
  void DataEvent(TDataEvent Event, NativeInt Info);
  void NotifyDataLinks(TDataEvent Event, NativeInt Info);
  void SetState(TDataSetState Value);
  void UpdateState();

  TDataSet* FDataSet = nullptr;
  std::vector<TDataLink*> FLinks;
  TDataSetState FState = dsInactive;
  bool FEnabled = true;
  bool FAutoEdit = true;
};

// The connection of a control (or a master-detail relation) to a dataset through a data
// source. Its buffer window is BufferCount records of the dataset's buffers starting at a
// first record of its own; ActiveRecord is the current record's row in that window.
class TDataLink : public TPersistent {
public:
  TDataLink();
  ~TDataLink() override;

  TDataSource* DataSource() const { return FDataSource; }
  void SetDataSource(TDataSource* Value);
  TDataSet* DataSet() const;
  bool Active() const { return FActive; }
  bool Editing() const { return FEditing; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  // Puts the dataset into edit through the source when allowed; true when editing.
  bool Edit();
  // Asks the links to write their pending values (deUpdateRecord) and raises their errors.
  void UpdateRecord();
  // Tells the link's owner to discard what it shows (RecordChanged(null)).
  void Reset();

  Integer BufferCount() const { return FBufferCount; }
  void SetBufferCount(Integer Value);
  // The current record's row in the window. Writing selects another buffered record for
  // field reads without moving the cursor and without any notification.
  Integer ActiveRecord() const;
  void SetActiveRecord(Integer Value);
  // Records now in the window.
  Integer RecordCount() const;
  // Moves the dataset's cursor; returns the distance moved.
  Integer MoveBy(Integer Distance);
  bool BOF() const;
  bool Eof() const;

  bool VisualControl() const { return FVisualControl; }
  void SetVisualControl(bool Value) { FVisualControl = Value; }
  // A link whose data source may not be changed (the source belongs to the control):
  // SetDataSource raises "Operation not allowed in a DBCtrlGrid".
  bool DataSourceFixed() const { return FDataSourceFixed; }
  void SetDataSourceFixed(bool Value) { FDataSourceFixed = Value; }
  // The control's name used in field errors ("Name: Field 'x' not found").
  TComponent* Control() const { return FControl; }
  void SetControl(TComponent* Value) { FControl = Value; }
  // The field of that name in the dataset; a missing one raises "Field '%s' not found"
  // prefixed with the control's name.
  TField* GetFieldByName(const AnsiString& FieldName) const;

  virtual bool ExecuteAction(TObject* Action) { return false; }
  virtual bool UpdateAction(TObject* Action) { return false; }

protected:
  virtual void ActiveChanged() {}
  virtual void CheckBrowseMode() {}
  virtual void DataSetChanged() { RecordChanged(nullptr); }
  virtual void DataSetScrolled(Integer Distance) { DataSetChanged(); }
  virtual void EditingChanged() {}
  virtual void FocusControl(TField** Field) {}
  virtual void LayoutChanged() { DataSetChanged(); }
  virtual void RecordChanged(TField* Field) {}
  virtual void UpdateData() {}
  virtual void DisabledStateChanged(bool Disabled) {}
  // Every event arrives here first; the base dispatches to the handlers above.
  virtual void DataEvent(TDataEvent Event, NativeInt Info);
  // The record of the link's window (the dataset's first buffered record + FFirstRecord).
  Integer FirstRecord() const { return FFirstRecord; }

private:
  friend class TDataSource;
  friend class TDataSet;
  void SetActive(bool Value);
  void SetEditing(bool Value);
  void UpdateState();
  void UpdateRange();

  TDataSource* FDataSource = nullptr;
  Integer FFirstRecord = 0;
  Integer FBufferCount = 1;
  bool FActive = false;
  bool FEditing = false;
  bool FReadOnly = false;
  bool FUpdating = false;
  bool FVisualControl = false;
  bool FDataSourceFixed = false;
  TComponent* FControl = nullptr;
};

// The link of a detail dataset to its master: re-reads the detail when the master moves.
class TMasterDataLink : public TDataLink {
public:
  explicit TMasterDataLink(TDataSet* DataSet);
  TDataSet* DetailDataSet() const { return FDetail; }
  AnsiString FieldNames() const { return FFieldNames; }
  void SetFieldNames(const AnsiString& Value);
  // The master's fields named in FieldNames (empty while inactive).
  std::vector<TField*> Fields() const;

  TNotifyEvent OnMasterChange;
  TNotifyEvent OnMasterDisable;

protected:
  void ActiveChanged() override;
  void CheckBrowseMode() override;
  void LayoutChanged() override;
  void RecordChanged(TField* Field) override;

private:
  TDataSet* FDetail;
  AnsiString FFieldNames;
};

// ---- TDataSet ----

namespace data_detail {
struct TRecord;
class TFilterExpr;
} // namespace data_detail

// The dataset: fields over a set of records with a cursor, a state machine and a window of
// buffered records shared by its links. Records are held in memory by the dataset (every
// dataset of the system is a client-side set); descendants provide them at Open.
class TDataSet : public TComponent {
public:
  explicit TDataSet(TComponent* AOwner = nullptr);
  ~TDataSet() override;

  // Opening and closing.
  void Open();
  void Close();
  bool Active() const { return FState != dsInactive; }
  void SetActive(bool Value);
  TDataSetState State() const { return FState; }
  void Refresh();
  // Rebuilds the buffered records around the current one (rmCenter: centred in the
  // window, otherwise on its present row) and tells the links the dataset changed.
  void Resync(TResyncMode Mode);

  // Navigation.
  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  // Moves by Distance records and returns how far the cursor went.
  Integer MoveBy(Integer Distance);
  bool Bof() const { return FBOF; }
  bool BOF() const { return FBOF; }
  bool Eof() const { return FEOF; }
  bool IsEmpty();
  // 1-based number of the current record; -1 when not sequenced or nothing is current.
  Integer RecNo();
  void SetRecNo(Integer Value);
  Integer RecordCount();
  virtual bool IsSequenced() const { return true; }
  virtual bool IsUnidirectional() const { return false; }

  // Editing.
  void Edit();
  void Insert();
  void Append();
  void Post();
  void Cancel();
  void Delete();
  void CheckBrowseMode();
  void UpdateRecord();
  bool Modified() const { return FModified; }
  bool CanModify() const { return !FReadOnly && Active(); }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value) { FReadOnly = Value; }
  void InsertRecord(const std::vector<Variant>& Values);
  void AppendRecord(const std::vector<Variant>& Values);
  void ClearFields();

  // Fields.
  TFields* Fields() const { return FFields.get(); }
  // Aggregate fields attached to the dataset (they are not among Fields).
  TFields* AggFields() const { return FAggFields.get(); }
  Integer FieldCount() const { return FFields->Count(); }
  TFieldDefs* FieldDefs() const { return FFieldDefs.get(); }
  TField* FindField(const AnsiString& FieldName) const { return FFields->FindField(FieldName); }
  TField* FieldByName(const AnsiString& FieldName) const { return FFields->FieldByName(FieldName); }
  // Fields of a ';'-separated name list, each raising when missing.
  void GetFieldList(std::vector<TField*>& List, const AnsiString& FieldNames) const;
  void GetFieldNames(TStrings* List) const { FFields->GetFieldNames(List); }
  // True when the fields were created from the definitions at Open (no persistent fields).
  bool DefaultFields() const { return FDefaultFields; }
  // Values of ';'-separated fields (a Variant array for several).
  Variant FieldValues(const AnsiString& FieldNames);
  void SetFieldValues(const AnsiString& FieldNames, const Variant& Value);

  // Bookmarks.
  TBookmarkStr Bookmark();
  void SetBookmark(const TBookmarkStr& Value);
  TBookmark GetBookmark() { return Bookmark(); }
  void GotoBookmark(const TBookmark& Value) { SetBookmark(Value); }
  void FreeBookmark(TBookmark&) {}
  // Negative, 0 or positive as the records stand in the dataset's order (empty sorts first).
  Integer CompareBookmarks(const TBookmark& A, const TBookmark& B);
  bool BookmarkValid(const TBookmark& Value);
  bool BookmarkAvailable();

  // Searching.
  bool Locate(const AnsiString& KeyFields, const Variant& KeyValues, TLocateOptions Options);
  Variant Lookup(const AnsiString& KeyFields, const Variant& KeyValues,
                 const AnsiString& ResultFields);

  // Filters.
  AnsiString Filter() const { return FFilterText; }
  void SetFilter(const AnsiString& Value);
  bool Filtered() const { return FFiltered; }
  void SetFiltered(bool Value);
  TFilterOptions FilterOptions() const { return FFilterOptions; }
  void SetFilterOptions(TFilterOptions Value);

  // Controls.
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return FDisableCount > 0; }
  // Buffered records (at least 1; the largest window any link asks for).
  Integer BufferCount() const { return FBufferCount; }
  // The current record's row among the buffered records.
  Integer ActiveRecord() const { return FActiveRecord; }

  // The master link (a query's parameters, a detail's range come from it).
  TDataSource* DataSource() const;
  TBlobFieldStream* CreateBlobStream(TField* Field, TBlobStreamMode Mode);

  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
  TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
  TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
  TDataSetNotifyEvent BeforeRefresh, AfterRefresh;
  TDataSetNotifyEvent OnNewRecord, OnCalcFields;
  TFilterRecordEvent OnFilterRecord;
  // Called when Edit, Post or Delete fails with an EDatabaseError; the handler chooses what
  // happens next (TDataAction, daFail when it leaves Action alone).
  TDataSetErrorEvent OnEditError, OnPostError, OnDeleteError;

protected:
  // Descendants fill FieldDefs and the records (AddStoredRecord) here.
  virtual void InternalOpen() = 0;
  virtual void InternalClose() {}
  // Describes the columns without opening (FieldDefs.Update); the default opens nothing.
  virtual void InternalInitFieldDefs() {}
  // Re-reads the records for Refresh; the default keeps them.
  virtual void InternalRefresh() {}
  // Whether a stored record belongs to the current range (master-detail).
  virtual bool RecordInRange(const std::vector<Variant>& Data) { return true; }
  // Called when the master record changes; the default re-reads the range.
  virtual void MasterChanged();
  // Hooks around editing: a new record's defaults (before OnNewRecord), a record about to
  // be stored by Post, a record about to be deleted. Raising cancels the operation.
  virtual void InternalInitRecord() {}
  virtual void InternalEdit() {}
  virtual void InternalPost() {}
  virtual void InternalDelete() {}
  virtual TMasterDataLink* MasterLink() const { return nullptr; }

  // Adds a stored record: one value per field definition.
  void AddStoredRecord(std::vector<Variant> Values);
  void ClearStoredRecords();
  Integer StoredRecordCount() const;
  // Rebuilds the visible records (range and filter) and goes to the first one.
  void ApplyRange();
  void DataEvent(TDataEvent Event, NativeInt Info);
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Opens the dataset when a stream set Active while it was read.
  void Loaded() override;

  // Instant reads, for tables that show every record at once: between BeginInstantRead and
  // EndInstantRead the fields and Bookmark read the record at Index (0-based, in the
  // dataset's order, the record being inserted counted at its place) without moving the
  // cursor or telling the links. The current record reads as it does outside (its edit
  // buffer while editing); an index outside the records reads Null. Reads do not nest: a
  // second BeginInstantRead replaces the first.
  void BeginInstantRead(Integer Index);
  void EndInstantRead();
  bool InstantReading() const { return FInstantRead; }
  // The number of records in the dataset's order (the record being inserted included) and
  // the current record's index among them (-1 when there is none).
  Integer OrderedRecordCount() const;
  Integer CurrentRecordIndex() const;
  // The index of the record a bookmark names (-1 when it names none).
  Integer RecordIndexOfBookmark(const TBookmarkStr& Value) const;

private:
  using TRecord = data_detail::TRecord;
  friend class TField;
  friend class TFields;
  friend class TFieldDefs;
  friend class TDataSource;
  friend class TDataLink;
  friend class TMasterDataLink;
  friend class TBlobFieldStream;
  friend class TAggregateField;

  // State.
  void SetState(TDataSetState Value);
  void CheckActive() const;
  void CheckInactive() const;
  void CheckCanModify();
  // Runs Operation; an EDatabaseError goes to ErrorEvent, whose action decides.
  void CheckOperation(void (TDataSet::*Operation)(), const TDataSetErrorEvent& ErrorEvent);
  void PostRecordChecks();
  void DoAfterOpen();
  void CreateFields();
  void BindFields(bool Binding);
  void DestroyFields();

  // Records and the window.
  TRecord* BufferRecord(Integer Index) const;
  TRecord* ActiveRecordData() const;
  // The record the fields read outside calculations: an instant read's or the active one.
  TRecord* ReadRecordData() const { return FInstantRead ? FInstantRecord : ActiveRecordData(); }
  // The view index where the record being inserted will go (-1 when not inserting).
  Integer InsertViewIndex() const;
  Integer ViewIndexOf(const TRecord* Rec) const;
  Integer ViewIndexOfSerial(Int64 Serial) const;
  Integer StoredIndexOfSerial(Int64 Serial) const;
  Integer CurrentViewIndex() const;
  void ResyncAt(Integer ViewIndex, TResyncMode Mode);
  void ClearWindow();
  void SetBufferCount(Integer Value);
  void UpdateBufferCount();
  void SetActiveRecord(Integer Value);
  void RebuildView();
  bool RecordVisible(TRecord* Rec);
  void BeginInsertAppend();
  void EndInsertAppend();
  void FinishEdit();

  // Values.
  const Variant& GetFieldValue(TField* Field);
  void SetFieldValue(TField* Field, const Variant& Value);
  void CalculateFields(TRecord* Rec);
  void DoFieldChange(TField* Field);
  void CheckRequiredFields();
  Integer LocateRecord(const AnsiString& KeyFields, const Variant& KeyValues,
                       TLocateOptions Options);
  // Calls Visit with the fields reading each visible record in turn.
  void ForEachVisibleRecord(const std::function<void()>& Visit);
  void UpdateLinkBufferCounts();

  std::unique_ptr<TFields> FFields;
  std::unique_ptr<TFields> FAggFields;
  std::unique_ptr<TFieldDefs> FFieldDefs;
  std::vector<TDataSource*> FDataSources;
  std::vector<std::unique_ptr<TRecord>> FRecords; // stored records in dataset order
  std::vector<TRecord*> FView;                    // visible records, in order
  // Record serial -> index in one of the two lists, built on first use after the list
  // changed (Valid false).
  struct TSerialIndex {
    std::vector<Integer> Pos;
    bool Valid = false;
  };
  template <class List>
  Integer SerialPosition(TSerialIndex& Index, const List& Records, Int64 Serial) const;
  mutable TSerialIndex FViewIndex;      // into FView
  mutable TSerialIndex FRecordIndex;    // into FRecords
  std::unique_ptr<TRecord> FEditRecord; // the record being edited or inserted
  std::unique_ptr<data_detail::TFilterExpr> FFilterExpr;
  Int64 FNextSerial = 1;
  Integer FDataSlots = 0;
  Integer FCalcSlots = 0;
  Integer FCalcStamp = 1;
  TRecord* FCalcRecord = nullptr;   // the record OnCalcFields or OnFilterRecord sees
  TRecord* FEditOriginal = nullptr; // the stored record being edited
  TDataSetState FState = dsInactive;
  TDataSetState FSavedState = dsInactive;
  Integer FBufferCount = 1;
  Integer FRecordCount = 0; // records in the window
  Integer FActiveRecord = 0;
  Integer FWindowStart = 0; // view index of the window's first record
  Integer FEditRow = 0;     // window row of the record being edited or inserted
  Integer FInsertPos = 0;   // view index the inserted record will take
  bool FInsertAtEnd = false;
  bool FBOF = true;
  bool FEOF = true;
  bool FModified = false;
  bool FReadOnly = false;
  bool FDefaultFields = true;
  bool FFiltered = false;
  bool FStreamedActive = false; // Active as read from a stream, applied by Loaded
  AnsiString FFilterText;
  TFilterOptions FFilterOptions;
  Integer FDisableCount = 0;
  bool FEnableEvent = false;  // records moved or changed while controls were disabled
  bool FEnableLayout = false; // the layout changed while controls were disabled
  TDataSetState FDisableState = dsInactive;
  bool FInstantRead = false;
  TRecord* FInstantRecord = nullptr; // the record an instant read shows (none: Null)
};

// The stream over a blob field's value: reading gives the bytes; a writing stream stores
// what was written into the field when it is destroyed.
class TBlobFieldStream : public TMemoryStream {
public:
  TBlobFieldStream(TField* Field, TBlobStreamMode Mode);
  ~TBlobFieldStream() override;

private:
  TField* FField;
  TBlobStreamMode FMode;
  bool FWritten = false;

public:
  Integer Write(const void* Buffer, Integer Count) override;
  void SetSize(Int64 NewSize) override;
};
