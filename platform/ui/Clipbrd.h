// The clipboard: formats by id (CF_TEXT and named formats from RegisterClipboardFormat),
// text as GBK with CR LF line breaks inside the program, and a transaction (Open/Close,
// nesting) that publishes everything set inside it as one content. The backend (Backend.h)
// holds the system's clipboard; Windows.h has the format ids.
#pragma once

#include "platform/rtl/Classes.h"
#include "platform/ui/Backend.h"

class TClipboard : public TPersistent {
public:
  // A transaction: the first format set inside it replaces the whole content; the
  // outermost Close publishes what was set. Calls nest.
  void Open();
  void Close();
  bool IsOpen() const { return FOpenCount > 0; }
  void Clear();

  bool HasFormat(UINT Format) const;
  Integer FormatCount() const;
  UINT Formats(Integer Index) const;

  // Bytes of a format ("" when absent); setting outside a transaction replaces the
  // clipboard's content with this one format.
  std::string GetBuffer(UINT Format) const;
  void SetBuffer(UINT Format, const std::string& Data);

  // CF_TEXT; read from CF_UNICODETEXT when only that is there (characters GBK cannot hold
  // become '?').
  AnsiString AsText() const;
  void SetAsText(const AnsiString& Value);

  // Pictures: a TBitmap or a TPicture (any graphic, drawn into a bitmap) goes in as
  // CF_BITMAP, whose bytes are a BMP file. A bitmap or picture is assigned from the
  // clipboard with Dest->Assign(Clipboard()) (EConvertError when it holds no bitmap).
  void Assign(TPersistent* Source) override;

protected:
  void AssignTo(TPersistent* Dest) override;

private:
  const TClipboardContent& Current() const;

  Integer FOpenCount = 0;
  bool FEmptied = false;      // the first set inside this transaction cleared the content
  TClipboardContent FPending; // what the open transaction will publish
  mutable TClipboardContent FRead;
};

TClipboard* Clipboard();
