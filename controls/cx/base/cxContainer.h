// The container control: a bordered suite control hosting one inner window control and
// drawing everything around it (six border styles, hot tracking, drop shadow, themed
// look, background, a window region cutting away the transparent border); it forwards
// focus, keys and tab order to the inner control and mirrors the inner control's native
// scroll bars with painted ones. Its look lives in a TcxContainerStyle, whose values come
// from the style, its style controller chain or class defaults. Every editor descends from
// it. The popup windows and their hooks are in cxPopups.h.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "controls/cx/base/cxControls.h"
#include "controls/cx/base/dxThemeManager.h"

class TcxContainer;
class TcxStyleController;

enum TcxContainerBorderStyle { cbsNone, cbsSingle, cbsThick, cbsFlat, cbs3D, cbsUltraFlat };
// Value indexes of a container style (descendants use more, up to 31).
enum TcxContainerStyleValue {
  csvBorderColor,
  csvBorderStyle,
  csvColor,
  csvEdges,
  csvFont,
  csvHotTrack,
  csvShadow,
  csvTransparentBorder,
  csvLast = 31
};
using TcxContainerStyleValues = TSet<TcxContainerStyleValue>;

class TcxContainerStyle;
using TcxContainerStyleChangedEvent = TEvent<void(TcxContainerStyle* Sender)>;
using TcxStyleChangedEvent = TEvent<void(TObject* Sender, TcxContainerStyle* AStyle)>;

class TcxContainerStyle : public TPersistent {
public:
  TcxContainerStyle(TPersistent* AOwner, bool AIsExternal);
  ~TcxContainerStyle() override;
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;

  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();

  virtual void Changed();
  virtual void ControllerStyleChanged();
  virtual void ControllerRemoved(TcxStyleController* AController);
  virtual TColor DefaultBorderColor() const { return clWindowFrame; }
  virtual TcxContainerBorderStyle DefaultBorderStyle() const;
  virtual TColor DefaultColor() const { return clWindow; }
  virtual TcxBorders DefaultEdges() const { return cxBordersAll; }
  virtual bool DefaultHotTrack() const { return true; }
  virtual bool DefaultShadow() const { return false; }
  virtual bool DefaultTransparentBorder() const { return true; }
  virtual void FontChanged(TObject* Sender = nullptr);
  virtual TColor Color() const;
  virtual TColor ShownColor() const;
  virtual bool IsValueAssigned(Integer AIndex) const;
  virtual void StyleControllerChanged();
  virtual TcxStyleController* DefaultStyleController() const { return nullptr; }
  virtual Integer StyleValueCount() const { return 8; }
  virtual bool StyleValueName(Integer AIndex, AnsiString& AName) const;
  virtual void RestoreDefaults();

  TcxContainerStyleValues AssignedValues() const;
  void SetAssignedValues(TcxContainerStyleValues Value);
  TColor BorderColor() const;
  void SetBorderColor(TColor Value);
  TcxContainerBorderStyle BorderStyle() const;
  void SetBorderStyle(TcxContainerBorderStyle Value);
  void SetColor(TColor Value);
  TcxBorders Edges() const;
  void SetEdges(TcxBorders Value);
  TFont* Font() const { return FFont; }
  void SetFont(TFont* Value);
  bool HotTrack() const;
  void SetHotTrack(bool Value);
  bool Shadow() const;
  void SetShadow(bool Value);
  bool TransparentBorder() const;
  void SetTransparentBorder(bool Value);
  TcxLookAndFeel* LookAndFeel() const { return FLookAndFeel.get(); }
  void SetLookAndFeel(TcxLookAndFeel* Value) { FLookAndFeel->Assign(Value); }
  // Null when the class default controller is in use.
  TcxStyleController* StyleController() const;
  // Refuses a controller whose style chain leads back to this style.
  void SetStyleController(TcxStyleController* Value);
  bool FindAssignedColor(TColor& AColor) const;
  bool IsExternal() const { return FIsExternal; }
  bool IsDestroying() const { return FDestroying; }
  TColor ExternalTextColor() const { return FExternalTextColor; }
  void SetExternalTextColor(TColor Value) { FExternalTextColor = Value; }

  TcxContainerStyleChangedEvent OnChanged;

  // A value is written to a form stream when assigned here and not left out by the
  // container class (UnstoredStyleValues).
  bool Stored(Integer AIndex) const;

protected:
  TPersistent* GetOwner() override { return FOwner; }
  TcxContainer* Container() const;
  // The style of the chain that assigns the value, or null.
  const TcxContainerStyle* ChainStyle(Integer AIndex) const;
  void ReadControllerFont();

private:
  bool FIsExternal;
  bool FDestroying = false;
  std::unique_ptr<TcxLookAndFeel> FLookAndFeel;
  TPersistent* FOwner;
  Integer FUpdateCount = 0;
  bool FChangePending = false;
  bool FCopyingFont = false;
  TcxStyleController* FStyleController = nullptr;
  TFont* FFont = nullptr;
  std::unique_ptr<TFont> FOwnFont;
  TColor FExternalTextColor = clWindowText;
  TcxContainerStyleValues FAssignedValues;
  TColor FBorderColor = clWindowFrame;
  TcxContainerBorderStyle FBorderStyle = cbsUltraFlat;
  TColor FColor = clWindow;
  TcxBorders FEdges = cxBordersAll;
  bool FHotTrack = true;
  bool FShadow = false;
  bool FTransparentBorder = true;
};

class TcxStyleController : public TComponent {
public:
  explicit TcxStyleController(TComponent* AOwner);
  ~TcxStyleController() override;
  void BeforeDestruction() override;

  virtual void AddListener(TcxContainerStyle* AStyle);
  virtual void NotifyListener(TcxContainerStyle* AStyle);
  virtual void RemoveListener(TcxContainerStyle* AStyle);
  void Changed();
  TcxContainerStyle* Style() const { return FStyle.get(); }
  void SetStyle(TcxContainerStyle* Value) { FStyle->Assign(Value); }
  Integer ListenerCount() const { return static_cast<Integer>(FListeners.size()); }
  bool IsDestroying() const { return FDestroying; }

  TcxStyleChangedEvent OnStyleChanged;

protected:
  void Loaded() override;
  // The class of the controller's own style (descendants make theirs).
  virtual std::unique_ptr<TcxContainerStyle> CreateStyle();

private:
  std::vector<TcxContainerStyle*> FListeners;
  std::unique_ptr<TcxContainerStyle> FStyle;
  bool FDestroying = false;
};

// Tells OnComponentFreed when a watched component is freed.
class TcxFreeNotificator : public TComponent {
public:
  using TComponent::TComponent;
  void AddWatched(TComponent* AComponent);
  void RemoveWatched(TComponent* AComponent);
  TEvent<void(TComponent* AComponent)> OnComponentFreed;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
};

class IcxContainerInnerControl {
public:
  virtual ~IcxContainerInnerControl() = default;
  virtual TWinControl* GetControl() = 0;
  virtual TcxContainer* GetControlContainer() = 0;
};

// Container states of the view info (bits 1, 2, 4, 8).
enum TcxContainerStateItem { cxcsFocused, cxcsDisabled, cxcsHot, cxcsNormal };
using TcxContainerState = TSet<TcxContainerStateItem>;

class TcxContainerViewInfo : public TObject {
public:
  TColor BackgroundColor = clWindow;
  TColor BorderColor = clBtnShadow;
  TRect BorderInnerRect;
  TcxContainerBorderStyle BorderStyle = cbsNone;
  Integer BorderWidth = 0;
  TRect Bounds;
  TRect ClientRect;
  TcxContainerState ContainerState;
  TcxBorders Edges = cxBordersAll;
  Integer HotState = 0; // 0 none, 1 hot-trackable, 2 hot
  bool Shadow = false;
  bool ThemeActive = false;
  TdxThemeClass ThemeClass = tcEdit;
  Integer ThemePart = 0;
  Integer ThemeState = 0;

  virtual void DrawBorder(TcxCanvas* ACanvas, TRect R);
  virtual void PaintParts(TcxCanvas* ACanvas);
  virtual void SetBackgroundColor(TColor AColor) { BackgroundColor = AColor; }
  virtual void CopyFrom(TcxContainerViewInfo* AViewInfo) { ClientRect = AViewInfo->ClientRect; }
  virtual TcxRegion* ChangedRegion(TcxContainerViewInfo* AViewInfo) { return new TcxRegion; }
  virtual void ShiftBy(Integer DX, Integer DY);
  virtual void Paint(TcxCanvas* ACanvas) { PaintParts(ACanvas); }
};

// The effective border style and its width.
TcxContainerBorderStyle cxEffectiveBorderStyle(Integer AHotState, TcxContainerBorderStyle AStyle);
Integer cxContainerBorderWidth(TcxContainerBorderStyle AStyle);

class TcxContainer : public TcxControl {
public:
  explicit TcxContainer(TComponent* AOwner);
  ~TcxContainer() override;

  TcxContainerStyle* Style() const { return FStyle.get(); }
  void SetStyle(TcxContainerStyle* Value) { FStyle->Assign(Value); }
  TcxContainerViewInfo* ViewInfo() const { return FViewInfo.get(); }
  TWinControl* InnerControl() const { return FInnerControl; }
  void SetInnerControl(TWinControl* Value) { FInnerControl = Value; }
  void BeginDestroying();
  bool IsContainerDestroying() const { return FContainerDestroying || IsDestroying(); }
  void UpdateLook(bool ACompare = false);
  void UpdateWindowRegion();
  void LockContextMenu(bool ALock);
  void SetAlignLock(bool ALock);
  bool InnerPressing() const { return FInnerPressing; }
  void SetInnerPressing(bool Value) { FInnerPressing = Value; }
  // True when the container or its inner control has the focus (also known to the editors and views
  // as HasFocus).
  bool ContainerFocused() const;

  virtual void ApplyInnerControlLook();
  virtual void CalculateViewInfo(TPoint P, bool AHotTrackAllowed);
  virtual void ResetInnerControlRegion() { FInnerRegion.reset(); }
  virtual void StyleChanged(TcxContainerStyle* Sender);
  virtual void BoundDataChanged() {}
  virtual void MouseTrackingLeave();
  virtual void BorderExtent(TRect& R);
  virtual bool ChildVisibleRect(const TRect& AArea, TControl* AControl, TRect& AR);
  virtual void VisibleBounds(TRect& R);
  virtual bool HasShadow();
  virtual bool ChildRegionChanged(TControl* AControl, const TRect* AR);
  virtual bool UsesPlainTabOrder() const { return false; }
  virtual bool StyleIsExternal() const { return false; }
  virtual bool UpdateLookAtPoint(TPoint P, Integer AButtonCode, TShiftState AShift, bool ACompare);
  virtual void StoreChildRegion(TControl* AControl, const TRect* AR);
  virtual void UpdateScrollBars();
  virtual void AdjustInnerControlBounds();
  virtual bool HandlesTabKey() const { return false; }
  virtual void WriteBoundData() {}
  virtual TdxThemeClass ThemeClass() const { return tcEdit; }
  virtual Integer ThemePart() const { return EP_EDITTEXT; }
  virtual Integer ThemeState() const;
  virtual void FocusInnerControl();
  virtual TcxContainerStyleValues UnstoredStyleValues() const { return {}; }
  virtual void EnabledChanged();
  virtual std::unique_ptr<TcxContainerStyle> CreateStyle();
  virtual std::unique_ptr<TcxContainerViewInfo> CreateViewInfo();

  // TcxControl
  bool AllowsDesignDragAt(Integer, Integer, TShiftState) override { return false; }
  bool MayFocus() override;
  void ContentRect(TRect& R) override { R = FViewInfo->ClientRect; }
  bool UsesOwnScrollBars() const override { return false; }
  void BackgroundColorChanged() override;
  void CursorChanged() override;
  void FontChanged() override;
  void FireFocusChanged() override;
  bool Focusable() const override;
  void FireMouseEnter(TControl* AControl) override;
  void FireMouseLeave(TControl* AControl) override;
  void SetFocus() override;

protected:
  void Loaded() override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void AdjustClientRect(TRect& Rect) override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Paint() override;
  void DoContextPopup(TPoint MousePos, bool& Handled) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Resize() override;
  void KeyDown(Word& Key, TShiftState Shift) override;

private:
  friend class TcxCustomInnerListBox;
  class TTrackingHelper;
  std::unique_ptr<TcxContainerStyle> FStyle;
  std::unique_ptr<TcxContainerViewInfo> FViewInfo;
  std::unique_ptr<TTrackingHelper> FTrackingHelper;
  TWinControl* FInnerControl = nullptr;
  bool FConstructing = true;
  bool FStyleChanging = false;
  bool FInnerPressing = false;
  bool FInnerBoundsGuard = false;
  bool FUpdatingScrollBars = false;
  bool FContainerDestroying = false;
  Integer FAlignLock = 0;
  Integer FContextMenuLock = 0;
  std::optional<TRect> FInnerRegion;
};

// ---- Free helpers ----
Integer MouseButtonToCode(TMouseButton AButton);
void DrawContainerShadow(TcxCanvas* ACanvas, const TRect& R);
TRect DeflateRectByMargins(TRect R, const TRect& AMargins);
void FillRectFrame(TcxCanvas* ACanvas, const TRect& AOuter, const TRect& AInner, TColor AColor);
void InvalidateRectFrame(HWND AWnd, const TRect& AOuter, const TRect& AInner, bool AErase);
void InvalidateControlRect(TWinControl* AControl, const TRect& R, bool AErase);
void GetMouseCursorPos(TPoint& P);
TShiftState CurrentShiftState();
bool IsContainerDestroying(TComponent* AComponent);
TcxScreenCanvas* ScreenCanvasInstance();
bool IsScrollBarInfoAvailable();

void cxContainerStyleRegistration();
void cxContainerInitialization();
void cxContainerFinalization();
