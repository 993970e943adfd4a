// Small services the script compiler, the expression checker and the binding layer share:
// type names to type codes, type compatibility, source literals, method signatures, the
// position text and the function catalogue. fsScript.h holds the program model.
#pragma once

#include <memory>

#include "platform/rtl/Types.h"
#include "platform/rtl/Variants.h"
#include "report/script/fsScript.h"

class TfsXMLItem;

struct TfsTypeRec {
  TfsVarType Typ;
  AnsiString TypeName;
};

// The type code of the item the name finds from the script (any item); a class when none.
TfsVarType TypeNameToCode(const AnsiString& name, TfsScript* script);
// Both names are registered classes and the source is the target or descends from it.
bool IsClassCompatible(const AnsiString& targetClass, const AnsiString& sourceClass,
                       TfsScript* script);
bool IsTypeCompatible(const TfsTypeRec& target, const TfsTypeRec& source, TfsScript* script);
// As IsTypeCompatible, except that an integer never takes a float.
bool IsAssignCompatible(TfsCustomVariable* target, TfsCustomVariable* source, TfsScript* script);

// A source literal: '' text -> the text inside the quotes, a whole integer ($hex allowed)
// -> Int64, anything else a float read with '.' as separator (EConvertError when it is no
// number); empty text -> Null.
Variant ParseLiteral(const AnsiString& text);

// Parses "function Copy(s: String; from, count: Integer): String" into a new item with the
// name, result type, macro flag ("macrofunction") and TfsParamItem children.
std::unique_ptr<TfsCustomVariable> ParseMethodSignature(const AnsiString& signature,
                                                        TfsScript* script);

// "line:column" -> X column, Y line; empty gives 0, 0; malformed numbers raise EConvertError.
TPoint PositionTextToPoint(const AnsiString& text);

// Format over the elements of a Variant array, each formatted from the Variant itself (no
// narrowing of 64-bit integers, no cut of long texts).
AnsiString FormatVariantArray(const AnsiString& fmt, const Variant& args);

// Fills the function catalogue under root: Functions (by category), Classes, Types,
// Variables, Constants.
void ListScriptCatalog(TfsScript* script, TfsXMLItem* root, bool functionsOnly);
