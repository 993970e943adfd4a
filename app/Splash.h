// The splash window shown while the program starts: "splash.jpg" of the program's
// directory when there is one, and a line telling what is being done.
#pragma once

#include <functional>

#include "platform/ui/Forms.h"

class TImage;
class TLabel;

class TSplashFrm : public TForm {
public:
  explicit TSplashFrm(TComponent* AOwner);

  // A non-empty text replaces the line; an empty one appends ".". The line is repainted
  // at once, since no message loop runs during the start.
  void ShowHint(const AnsiString& Text);

  TImage* Image1;
  TLabel* Label1;
};

// Sees each line the splash window shows, as it shows it (start-up traces and tests).
using TSplashHintObserver = std::function<void(const AnsiString& Line)>;
// Installs Observer (an empty one removes it) and returns the previous one.
TSplashHintObserver SetSplashHintObserver(TSplashHintObserver Observer);
