// TfsParser: the character-level scanner of the script engine. It produces no token stream:
// the grammar-driven parser (fsILParser.h) asks it to read one thing at the current position.
// Script text is GBK; double-byte characters are stepped over as a whole.
#pragma once

#include <unordered_set>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"

// A compile error of a script: the message the user sees, the position text ("line:column")
// and the text near it, and the unit whose text holds it (empty for the main text). The
// lexer, the grammar-driven parser and the program builder raise every compile error through
// RaiseCompileError, and the compiler catches this class only: any other exception that
// leaves a compile is a fault of the engine or of the host, never shown as a script error at
// a script position.
class EfsCompileError : public Exception {
public:
  EfsCompileError(const AnsiString& message, const AnsiString& position, const AnsiString& nearText,
                  const AnsiString& unitName)
      : Exception(message), Position(position), Near(nearText), UnitName(unitName)
  {
  }
  AnsiString Position;
  AnsiString Near;
  AnsiString UnitName;
};

// The one place compile errors are raised. The program builder leaves the position empty:
// it knows the position of the element it is building and fills it in when it catches.
[[noreturn]] void RaiseCompileError(const AnsiString& message,
                                    const AnsiString& position = AnsiString(),
                                    const AnsiString& nearText = AnsiString(),
                                    const AnsiString& unitName = AnsiString());

// Limits of the scanner; each has its own message.
constexpr Integer fsMaxTextSize = 64 * 1024 * 1024; // "Script text too long"
constexpr Integer fsMaxTokenLength = 1024;          // "Token too long"
constexpr Integer fsMaxLiteralLength = 1024 * 1024; // "String literal too long"

class TfsParser : public TObject {
public:
  TfsParser();

  // Empties the keywords and restores every setting to its default.
  void Clear();

  // ---- settings ----
  const AnsiString& CommentBlock1() const { return FCommentBlock1; }
  void SetCommentBlock1(const AnsiString& value);
  const AnsiString& CommentBlock2() const { return FCommentBlock2; }
  void SetCommentBlock2(const AnsiString& value);
  const AnsiString& CommentLine1() const { return FCommentLine1; }
  void SetCommentLine1(const AnsiString& value) { FCommentLine1 = value; }
  const AnsiString& CommentLine2() const { return FCommentLine2; }
  void SetCommentLine2(const AnsiString& value) { FCommentLine2 = value; }
  const AnsiString& HexSequence() const { return FHexSequence; }
  void SetHexSequence(const AnsiString& value) { FHexSequence = value; }
  // Replaces the identifier set by exactly the characters of the text.
  void SetIdentChars(const AnsiString& value);
  // Adds the characters of the text to the identifier set (the code editor's form).
  void AddIdentChars(const AnsiString& value);
  bool IsIdentChar(unsigned char c) const { return FIdentChars[c]; }
  const AnsiString& SkipChar() const { return FSkipChar; }
  void SetSkipChar(const AnsiString& value) { FSkipChar = value; }
  bool SkipEOL() const { return FSkipEOL; }
  void SetSkipEOL(bool value) { FSkipEOL = value; }
  bool SkipSpace() const { return FSkipSpace; }
  void SetSkipSpace(bool value) { FSkipSpace = value; }
  const AnsiString& StringQuotes() const { return FStringQuotes; }
  void SetStringQuotes(const AnsiString& value) { FStringQuotes = value; }

  // ---- keywords (case-insensitive) ----
  void AddKeyword(const AnsiString& word);
  bool IsKeyword(const AnsiString& word) const;
  Integer KeywordCount() const { return static_cast<Integer>(FKeywords.size()); }

  // ---- text and position (1-based) ----
  // Stores the text; a text beyond fsMaxTextSize raises "Script text too long".
  void SetText(const AnsiString& value);
  const AnsiString& Text() const { return FText; } // with one #0 appended
  Integer Size() const { return FSize; }
  Integer Position() const { return FPosition; }
  // Sets both Position and TokenStart.
  void SetPosition(Integer value);
  Integer TokenStart() const { return FTokenStart; }

  // ---- reading ----
  void SkipBlanksAndComments();
  // Skips blanks and comments, then a run of CR and LF; false when no line end follows.
  bool SkipLineEnd();
  // One punctuation character ('!'..'/', ':'..'@', '['..'`', '{'..'~'), without skipping.
  AnsiString ReadChar();
  AnsiString ReadWord();
  // ReadWord, but empty text for a keyword (the position stays after it).
  AnsiString ReadIdent();
  // A number; a hexadecimal prefix other than "$" is returned as "$".
  AnsiString ReadNumber();
  // A string literal made of quoted pieces and #codes, returned in single quotes.
  AnsiString ReadStringLiteral();
  // The inside of a bracketed report expression, just after its '<'; empty on failure.
  AnsiString ReadFRString();

  // ---- positions ----
  // "line:column" of the current position, both counted from 1.
  AnsiString PositionText() const { return PositionTextAt(FPosition); }
  AnsiString PositionTextAt(Integer pos) const;
  // Position of a column in a line; -1 when the line is out of range.
  Integer PointToPosition(Integer column, Integer line) const;
  // A short piece of the text at a position (a word, a number or one character), for
  // "near '...'" in messages.
  AnsiString TokenNear(Integer pos) const;

private:
  char At(Integer pos) const { return FText[static_cast<size_t>(pos - 1)]; }
  unsigned char UAt(Integer pos) const { return static_cast<unsigned char>(At(pos)); }
  bool StartsWith(Integer pos, const AnsiString& s) const;
  bool IsBlank(unsigned char c) const { return c <= 32 && (FSkipEOL || c != 13); }
  // Length of the character at pos: 2 for a GBK lead byte followed by a trail byte.
  Integer CharLength(Integer pos) const;
  bool MatchLineComment(const AnsiString& opener) const;
  bool ContinuationFollows(Integer pos) const;
  bool ReadInteger();
  bool ReadFloat();
  bool ReadQuotedPiece(AnsiString& value);
  bool ReadCharCode(AnsiString& value);
  [[noreturn]] void RaiseLimit(const char* message, Integer pos) const;

  AnsiString FCommentBlock1, FCommentBlock1Open, FCommentBlock1Close;
  AnsiString FCommentBlock2, FCommentBlock2Open, FCommentBlock2Close;
  AnsiString FCommentLine1, FCommentLine2;
  AnsiString FHexSequence;
  bool FIdentChars[256] = {};
  std::unordered_set<AnsiString> FKeywords; // upper-case
  Integer FTokenStart = 1;
  Integer FPosition = 1;
  Integer FSize = 0;
  AnsiString FSkipChar;
  bool FSkipEOL = true;
  bool FSkipSpace = true;
  AnsiString FStringQuotes;
  AnsiString FText;
  std::vector<Integer> FLineStarts; // [0] = 0, [k] = position of the k-th LF
};
