// The language registry (language name -> grammar text), the grammar texts of the four
// languages and the fixed messages of the script compiler and runtime. The grammar format is
// described in fsILParser.h, where it is run.
#pragma once

#include "platform/rtl/Types.h"

class TStrings;

// Adds a language unless one of that name (case-insensitive) exists: the first wins.
void RegisterScriptLanguage(const AnsiString& name, const AnsiString& grammarText);
// The grammar of a language; raises "Language '<name>' not found" for an unknown one.
AnsiString LanguageGrammarText(const AnsiString& name);
// Replaces the list's content by the registered names in registration order.
void ListScriptLanguages(TStrings* list);

// Creates and frees the registry (the script engine's tool unit).
void InitializeScriptLanguages();
void FinalizeScriptLanguages();

// The grammars the system registers at start-up.
extern const char fsPascalScriptGrammar[];
extern const char fsCPPScriptGrammar[];
extern const char fsBasicScriptGrammar[];
extern const char fsJScriptGrammar[];

// Fixed messages of the compiler and the runtime. Texts with %s are formatted with a name;
// the others that end in ": " are followed by the name in single quotes.
inline constexpr const char* SLangNotFound = "Language '%s' not found";
inline constexpr const char* SInvalidLanguage = "Invalid language definition";
inline constexpr const char* SIdentRedeclared = "Identifier redeclared: ";
inline constexpr const char* SUnknownType = "Unknown type: ";
inline constexpr const char* SIncompatibleTypes = "Incompatible types";
inline constexpr const char* SUndeclaredIdent = "Undeclared identifier: ";
inline constexpr const char* SClassRequired = "Class type required";
inline constexpr const char* SIndexRequired = "Index required";
inline constexpr const char* SStringError = "Strings doesn't have properties or methods";
inline constexpr const char* SClassError = "Class %s does not have a default property";
inline constexpr const char* SArrayRequired = "Array type required";
inline constexpr const char* SVarRequired = "Variable required";
inline constexpr const char* SNotEnoughParams = "Not enough actual parameters";
inline constexpr const char* STooManyParams = "Too many actual parameters";
inline constexpr const char* SLeftCantAssigned = "Left side cannot be assigned to";
inline constexpr const char* SForError = "For loop variable must be numeric variable";
inline constexpr const char* SEventError = "Event handler must be a procedure";
inline constexpr const char* SStackOverflow = "Stack overflow";
