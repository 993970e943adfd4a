// The data library's units in the system's unit order: DB (the dataset model and its
// classes), then ADODB (the connection classes). Their initializations register the class
// records and the published properties that libraries look up by name.
#include "platform/data/ADODB.h"
#include "platform/data/DB.h"
#include "platform/data/MemDataSet.h"
#include "platform/rtl/TypInfo.h"
#include "platform/rtl/Units.h"

namespace {

void RegisterFieldClasses()
{
  TClassRegistration<TField, TComponent>("TField")
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
      .Property("LookupResultField", &TField::LookupResultField, &TField::SetLookupResultField);
  TClassRegistration<TStringField, TField>("TStringField")
      .Property("Size", &TField::Size, &TField::SetSize);
  TClassRegistration<TWideStringField, TStringField>("TWideStringField");
  TClassRegistration<TNumericField, TField>("TNumericField")
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

void DBInitialization()
{
  TClassRegistration<TParam, TPersistent>("TParam");
  TClassRegistration<TParams, TPersistent>("TParams");
  TClassRegistration<TFieldDefs, TPersistent>("TFieldDefs");
  TClassRegistration<TDataSet, TComponent>("TDataSet")
      .Property("Active", &TDataSet::Active, &TDataSet::SetActive)
      .Default(false)
      .Property("Filter", &TDataSet::Filter, &TDataSet::SetFilter)
      .Property("Filtered", &TDataSet::Filtered, &TDataSet::SetFiltered)
      .Default(false);
  TClassRegistration<TDataSource, TComponent>("TDataSource")
      .Property("AutoEdit", &TDataSource::AutoEdit, &TDataSource::SetAutoEdit)
      .Default(true)
      .Property("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet)
      .Property("Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled)
      .Default(true);
  TClassRegistration<TMemDataSet, TDataSet>("TMemDataSet")
      .Property("MasterSource", &TMemDataSet::MasterSource, &TMemDataSet::SetMasterSource)
      .Property("MasterFields", &TMemDataSet::MasterFields, &TMemDataSet::SetMasterFields)
      .Property("DetailFields", &TMemDataSet::DetailFields, &TMemDataSet::SetDetailFields);
  RegisterFieldClasses();
  RegisterClasses({ClassInfoOf<TDataSource>(), ClassInfoOf<TMemDataSet>()});
}

void ADODBInitialization()
{
  TClassRegistration<TADOConnection, TComponent>("TADOConnection")
      .Property("ConnectionString", &TADOConnection::ConnectionString,
                &TADOConnection::SetConnectionString)
      .Property("LoginPrompt", &TADOConnection::LoginPrompt, &TADOConnection::SetLoginPrompt)
      .Default(true)
      .Property("CommandTimeout", &TADOConnection::CommandTimeout,
                &TADOConnection::SetCommandTimeout)
      .Default(30)
      .Property("ConnectionTimeout", &TADOConnection::ConnectionTimeout,
                &TADOConnection::SetConnectionTimeout)
      .Default(15);
  TClassRegistration<TCustomADODataSet, TDataSet>("TCustomADODataSet")
      .Property("Connection", &TCustomADODataSet::Connection, &TCustomADODataSet::SetConnection)
      .Property("CommandTimeout", &TCustomADODataSet::CommandTimeout,
                &TCustomADODataSet::SetCommandTimeout)
      .Default(30)
      .Property("Params", &TCustomADODataSet::Params);
  TClassRegistration<TADOQuery, TCustomADODataSet>("TADOQuery");
  TClassRegistration<TADODataSet, TCustomADODataSet>("TADODataSet")
      .Property("CommandText", &TCustomADODataSet::CommandText, &TCustomADODataSet::SetCommandText);
  TClassRegistration<TADOCommand, TComponent>("TADOCommand")
      .Property("Connection", &TADOCommand::Connection, &TADOCommand::SetConnection)
      .Property("CommandText", &TADOCommand::CommandText, &TADOCommand::SetCommandText)
      .Property("Params", &TADOCommand::Params);
  RegisterClasses({ClassInfoOf<TADOConnection>(), ClassInfoOf<TADOQuery>(),
                   ClassInfoOf<TADODataSet>(), ClassInfoOf<TADOCommand>()});
}

} // namespace

void RegisterDataUnits()
{
  RegisterUnit("DB", DBInitialization, nullptr);
  RegisterUnit("ADODB", ADODBInitialization, nullptr);
}
