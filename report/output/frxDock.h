// The report library's tool-bar docking: spacer panels for tool bars (TfrxTBPanel), and the
// layout of tool bars and forms kept in a settings store ("ToolBar.<name>" and
// "Form.<class>" sections). The preview window uses the panels in its tool bar.
#pragma once

#include "platform/ui/ExtCtrls.h"

class TCustomIniFile;
class TCustomForm;

// A spacer, or the host of a control that is not a button, inside a tool bar: filled with
// the button face (a dotted frame at design time); it stands at the top in a vertical bar
// and at the left otherwise.
class TfrxTBPanel : public TPanel {
public:
  explicit TfrxTBPanel(TComponent* AOwner);
  void SetParent(TWinControl* AParent) override;

protected:
  void Paint() override;
};

void RegisterDockClasses();
