// The base of the program's windows (TaFrm): the program's look (button face, 宋体 12
// pixels), F1 help by the window's name, placement at the mouse pointer when shown, and
// sizing handles for borderless windows. aDlg.h and aInfoDlg.h build the two dialog bases
// on it; qhCtrls.h holds the input controls the windows use.
#pragma once

#include "platform/ui/Forms.h"

// Whether a constructor finishes building the form (ends its loading state) or leaves
// that to the descendant whose constructor called it.
enum TFormBuild { fbComplete, fbInherited };

class TaFrm : public TForm {
public:
  explicit TaFrm(TComponent* AOwner, TFormBuild Build = fbComplete);

  // Opens the help page of Topic; an empty topic is the window's name without its last
  // three characters ("OperatorEditorFrm" opens "OperatorEditor").
  virtual void ShowHelp(const AnsiString& Topic);

protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  void DoShow() override;
  void WMNCHitTest(TMessage& Message) override;
};

// The help topic ShowHelp opens for a window named FormName.
AnsiString HelpTopic(const AnsiString& FormName, const AnsiString& Topic);
// The help page of a topic: "<program dir>help/<topic>.htm".
AnsiString HelpPageFileName(const AnsiString& Topic);

// Where a window of size Window goes when shown with the pointer at Pointer on a screen
// of size Screen: centred on the pointer, then kept 20 pixels from the left and right
// edges, 20 from the top and 50 from the bottom.
TPoint PointerPlacement(TPoint Pointer, TSize Window, TSize Screen);

// The sizing handle of a borderless window of size Window at Point (window coordinates):
// a corner within 10 pixels of both its edges, else an edge within 5 pixels (left, top,
// right, bottom in that order); HTNOWHERE when the point is none of them.
LRESULT BorderlessHitTest(TPoint Point, TSize Window);
