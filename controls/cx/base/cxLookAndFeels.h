// Look and feel: the Kind (flat, standard, ultra-flat) and NativeStyle (draw with the
// theme) of a control, each assigned on the object or inherited from its master; all look
// and feels form a tree under one program-wide root, which a TcxLookAndFeelController
// component edits. A look and feel answers the painter its owner draws with
// (cxLookAndFeelPainters.h) and tells its listeners and OnChanged when the effective values
// change, system-colour changes included. The unit also holds the system-colour listener:
// one hidden window receiving WM_SYSCOLORCHANGE for every notifier.
#pragma once

#include <vector>

#include "controls/cx/base/cxClasses.h"
#include "controls/cx/base/cxLookAndFeelPainters.h"
#include "platform/rtl/Events.h"
#include "platform/rtl/Sets.h"

enum TcxLookAndFeelKind { lfFlat, lfStandard, lfUltraFlat };
enum TcxLookAndFeelValue { lfvKind, lfvNativeStyle };
using TcxLookAndFeelValues = TSet<TcxLookAndFeelValue>;

class TcxLookAndFeel;
using TcxLookAndFeelChangedEvent =
    TEvent<void(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues)>;

class IcxLookAndFeelListener {
public:
  virtual ~IcxLookAndFeelListener() = default;
  virtual TObject* GetObject() = 0;
  virtual void MasterChanged(TcxLookAndFeel* ASender, TcxLookAndFeelValues AChangedValues) = 0;
  virtual void MasterDestroying(TcxLookAndFeel* ASender) = 0;
};

// Tells its owner of system colour changes. Primary notifiers hear first.
class TcxSystemPaletteChangedNotifier : public TObject {
public:
  explicit TcxSystemPaletteChangedNotifier(bool AIsPrimary = false);
  ~TcxSystemPaletteChangedNotifier() override;
  bool IsPrimary() const { return FIsPrimary; }
  virtual void FirePaletteChange() { OnPaletteChange(this); }
  TNotifyEvent OnPaletteChange;

private:
  bool FIsPrimary;
};

// The painter class of a kind.
TcxLookAndFeelPainterClass cxLookAndFeelPainterClass(TcxLookAndFeelKind AKind);

class TcxLookAndFeel : public TcxInterfacedPersistent, public IcxLookAndFeelListener {
public:
  explicit TcxLookAndFeel(TPersistent* AOwner);
  ~TcxLookAndFeel() override;
  void AfterConstruction() override;
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;

  // The effective values as last computed.
  TcxLookAndFeelKind Kind() const { return FCurrentKind; }
  void SetKind(TcxLookAndFeelKind Value) { AssignKind(Value); }
  bool NativeStyle() const { return FCurrentNativeStyle; }
  void SetNativeStyle(bool Value);
  TcxLookAndFeelValues AssignedValues() const { return FAssignedValues; }
  void SetAssignedValues(TcxLookAndFeelValues Value);
  bool IsKindStored() const { return FAssignedValues.Contains(lfvKind); }
  bool IsNativeStyleStored() const { return FAssignedValues.Contains(lfvNativeStyle); }

  void AssignKind(TcxLookAndFeelKind Value);
  virtual TcxLookAndFeelKind EffectiveKind() const;
  virtual bool EffectiveNativeStyle() const;
  TcxLookAndFeel* EffectiveMaster() const;
  TcxLookAndFeel* MasterLookAndFeel() const { return FMaster; }
  // Refuses the root, itself, the current effective master, and a master whose own master
  // chain comes back to this look and feel.
  void SetMasterLookAndFeel(TcxLookAndFeel* AMaster);
  TcxLookAndFeelPainterClass Painter() const { return PainterClass(); }
  TcxLookAndFeelPainterClass PainterClass() const;
  TcxLookAndFeelPainterClass PainterForThemes(TdxThemeClasses AThemeClasses) const;
  bool IsRoot() const { return FIsRoot; }
  bool IsDestroying() const { return FIsDestroying; }

  void AddChangeListener(IcxLookAndFeelListener* AListener);
  void RemoveChangeListener(IcxLookAndFeelListener* AListener);
  Integer ListenerCount() const { return static_cast<Integer>(FListeners.size()); }

  virtual void SystemColorsChanged();
  TcxLookAndFeelChangedEvent OnChanged;

  // IcxLookAndFeelListener
  TObject* GetObject() override { return this; }
  void MasterChanged(TcxLookAndFeel* ASender, TcxLookAndFeelValues AChangedValues) override;
  void MasterDestroying(TcxLookAndFeel* ASender) override;

protected:
  void Changed(TcxLookAndFeelValues AChangedValues);

private:
  friend void cxLookAndFeelsInitialization();
  void SaveState();
  void CheckChanged();
  TcxLookAndFeelKind MasterKind() const;
  bool MasterNativeStyle() const;
  bool ReachesThisThrough(TcxLookAndFeel* AMaster) const;

  TcxLookAndFeelValues FAssignedValues;
  TcxLookAndFeelKind FKind = lfUltraFlat;
  bool FNativeStyle = false;
  TcxLookAndFeelKind FCurrentKind = lfUltraFlat;
  bool FCurrentNativeStyle = false;
  TcxLookAndFeelKind FSavedKind = lfUltraFlat;
  bool FSavedNativeStyle = false;
  TcxLookAndFeel* FMaster = nullptr;
  bool FIsRoot = false;
  bool FIsDestroying = false;
  bool FDetached = false;
  std::vector<IcxLookAndFeelListener*> FListeners;
  std::unique_ptr<TcxSystemPaletteChangedNotifier> FNotifier;
};

// Edits the root look and feel from a form.
class TcxLookAndFeelController : public TComponent, public IcxLookAndFeelListener {
public:
  explicit TcxLookAndFeelController(TComponent* AOwner);
  ~TcxLookAndFeelController() override;

  TcxLookAndFeelKind Kind() const;
  void SetKind(TcxLookAndFeelKind Value);
  bool NativeStyle() const;
  void SetNativeStyle(bool Value);

  TObject* GetObject() override { return this; }
  void MasterChanged(TcxLookAndFeel*, TcxLookAndFeelValues) override {}
  void MasterDestroying(TcxLookAndFeel*) override {}
};

// The program-wide root (null outside the unit's life).
TcxLookAndFeel* RootLookAndFeel();
// The number of controllers registered with the root.
Integer cxLookAndFeelControllerCount();

void cxLookAndFeelsInitialization();
void cxLookAndFeelsFinalization();
