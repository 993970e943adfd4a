// Actions: commands with a caption, shortcut, enabled and checked state that menus,
// buttons and keys share (TAction), kept in action lists that a form asks for shortcuts.
// Controls link to an action (TControl::SetAction) and follow its state; a click executes
// it with the action as the sender. Controls.h holds the control base.
#pragma once

#include <vector>

#include "platform/ui/Controls.h"

class TCustomActionList;
class TActionLink;

class TBasicAction : public TComponent {
public:
  explicit TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}
  ~TBasicAction() override;

  // Runs OnExecute (after the list's OnExecute had its say); false when nothing ran.
  virtual bool Execute();
  // Runs OnUpdate so the action can refresh its state; false when nobody handled it.
  virtual bool Update();
  // The control or menu item that triggered the running execution (null otherwise).
  TComponent* ActionComponent() const { return FActionComponent; }
  void SetActionComponent(TComponent* Value) { FActionComponent = Value; }

  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;

protected:
  // The linked clients refresh themselves from the action.
  void Change();

private:
  std::vector<TActionLink*> FClients;
  TComponent* FActionComponent = nullptr;
  friend class TActionLink;
};

class TCustomAction : public TBasicAction {
public:
  explicit TCustomAction(TComponent* AOwner) : TBasicAction(AOwner) {}
  ~TCustomAction() override;

  // Updates first; a disabled action does not run (and does not take its shortcut).
  bool Execute() override;

  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& Value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  const AnsiString& Hint() const { return FHint; }
  void SetHint(const AnsiString& Value);
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer Value);
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value) { FShortCut = Value; }
  const AnsiString& Category() const { return FCategory; }
  void SetCategory(const AnsiString& Value) { FCategory = Value; }
  TCustomActionList* ActionList() const { return FActionList; }
  void SetActionList(TCustomActionList* Value);

private:
  AnsiString FCaption;
  bool FChecked = false;
  bool FEnabled = true;
  bool FVisible = true;
  AnsiString FHint;
  Integer FImageIndex = -1;
  TShortCut FShortCut = 0;
  AnsiString FCategory;
  TCustomActionList* FActionList = nullptr;
};

class TAction : public TCustomAction {
public:
  explicit TAction(TComponent* AOwner) : TCustomAction(AOwner) {}
};

using TActionEvent = TEvent<void(TBasicAction* Action, bool& Handled)>;

class TCustomActionList : public TComponent {
public:
  explicit TCustomActionList(TComponent* AOwner) : TComponent(AOwner) {}
  ~TCustomActionList() override;

  Integer ActionCount() const { return static_cast<Integer>(FActions.size()); }
  TCustomAction* Actions(Integer Index) const;
  // The list's OnExecute/OnUpdate see every action first; true when handled there.
  virtual bool ExecuteAction(TBasicAction* Action);
  virtual bool UpdateAction(TBasicAction* Action);
  // Runs the enabled action with this shortcut; true when one ran.
  bool IsShortCut(TShortCut ShortCut);

  TActionEvent OnExecute;
  TActionEvent OnUpdate;

private:
  std::vector<TCustomAction*> FActions;
  friend class TCustomAction;
};

class TActionList : public TCustomActionList {
public:
  explicit TActionList(TComponent* AOwner) : TCustomActionList(AOwner) {}
};

// The link between an action and one client (a control, a menu item): the client follows
// the action's properties it has not set itself.
class TActionLink : public TObject {
public:
  explicit TActionLink(TObject* AClient) : FClient(AClient) {}
  ~TActionLink() override;

  TBasicAction* Action() const { return FAction; }
  void SetAction(TBasicAction* Value);
  // Executes the action with Component as its trigger.
  virtual bool Execute(TComponent* Component = nullptr);
  virtual bool Update();
  TObject* Client() const { return FClient; }

  // Which client properties follow the action.
  virtual bool IsCaptionLinked() const;
  virtual bool IsCheckedLinked() const;
  virtual bool IsEnabledLinked() const;
  virtual bool IsHintLinked() const;
  virtual bool IsVisibleLinked() const;
  virtual bool IsOnExecuteLinked() const;

  // The action changed: the client takes its state.
  virtual void ActionChanged() {}

private:
  TObject* FClient;
  TBasicAction* FAction = nullptr;
};

// The link of a control: caption, enabled, hint and visible follow the action.
class TControlActionLink : public TActionLink {
public:
  explicit TControlActionLink(TControl* AClient) : TActionLink(AClient), FControl(AClient) {}
  void ActionChanged() override;

private:
  TControl* FControl;
};

void RegisterActnListClasses();
