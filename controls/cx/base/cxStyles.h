// Styles: named appearance records (bitmap, colour, font, text colour) kept in a style
// repository, grouped into style sheets and assigned to numbered slots of a control's
// styles object. A slot's view parameters come from the first source that sets each value:
// a style passed by the caller, the slot's style, the style sheet's (sheets chain), then
// the styles object's defaults.
#pragma once

#include <memory>
#include <vector>

#include "controls/cx/base/cxClasses.h"
#include "controls/cx/base/cxGraphics.h"

class TBitmap;
class TcxCustomStyles;
class TcxCustomStyleSheet;
class TcxStyleRepository;

enum TcxStyleValue { svBitmap, svColor, svFont, svTextColor };
using TcxStyleValues = TSet<TcxStyleValue>;

struct TcxViewParams {
  TBitmap* Bitmap = nullptr;
  TColor Color = clDefault;
  TFont* Font = nullptr;
  TColor TextColor = clDefault;
};

class TcxCustomStyle : public TComponent {
public:
  explicit TcxCustomStyle(TComponent* AOwner) : TComponent(AOwner) {}
  ~TcxCustomStyle() override;
  void BeforeDestruction() override;

  TcxStyleRepository* StyleRepository() const { return FStyleRepository; }
  void SetStyleRepository(TcxStyleRepository* Value);

  virtual void Changed();
  virtual void AddListener(TcxCustomStyles* AStyles);
  virtual void RemoveListener(TcxCustomStyles* AStyles);
  virtual void RestoreDefaults() {}
  Integer ListenerCount() const { return static_cast<Integer>(FListeners.size()); }

  TComponent* GetParentComponent() const override;
  bool HasParent() const override { return FStyleRepository != nullptr; }
  void SetParentComponent(TComponent* AParent) override;

private:
  void Detach();
  TcxStyleRepository* FStyleRepository = nullptr;
  std::vector<TcxCustomStyles*> FListeners;
  bool FDetached = false;
};

class TcxStyle : public TcxCustomStyle {
public:
  explicit TcxStyle(TComponent* AOwner);
  ~TcxStyle() override;

  TcxStyleValues AssignedValues() const { return FAssignedValues; }
  void SetAssignedValues(TcxStyleValues Value);
  TBitmap* Bitmap() const { return FBitmap.get(); }
  void SetBitmap(TBitmap* Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value);
  TColor TextColor() const { return FTextColor; }
  void SetTextColor(TColor Value);

  void Assign(TPersistent* Source) override;
  void RestoreDefaults() override;

  bool IsBitmapStored() const { return FAssignedValues.Contains(svBitmap); }
  bool IsColorStored() const { return FAssignedValues.Contains(svColor); }
  bool IsFontStored() const { return FAssignedValues.Contains(svFont); }
  bool IsTextColorStored() const { return FAssignedValues.Contains(svTextColor); }

private:
  void HandleBitmapChange(TObject* Sender);
  void HandleFontChange(TObject* Sender);
  TcxStyleValues FAssignedValues;
  std::unique_ptr<TBitmap> FBitmap;
  TColor FColor = clDefault;
  std::unique_ptr<TFont> FFont;
  TColor FTextColor = clDefault;
};

using TcxCustomStyleClass = TClass;
using TcxCustomStyleSheetClass = TClass;

class TcxStyleRepository : public TComponent {
public:
  explicit TcxStyleRepository(TComponent* AOwner) : TComponent(AOwner) {}
  ~TcxStyleRepository() override;

  virtual TcxCustomStyle* CreateStyle(TcxCustomStyleClass AStyleClass);
  virtual TcxCustomStyle* CreateStyleOwned(TcxCustomStyleClass AStyleClass, TComponent* AOwner);
  virtual TcxCustomStyleSheet* CreateStyleSheet(TcxCustomStyleSheetClass ASheetClass);
  virtual TcxCustomStyleSheet* CreateStyleSheetOwned(TcxCustomStyleSheetClass ASheetClass,
                                                     TComponent* AOwner);
  Integer Count() const { return static_cast<Integer>(FStyles.size()); }
  TcxCustomStyle* Items(Integer Index) const { return FStyles[Index]; }
  Integer StyleSheetCount() const { return static_cast<Integer>(FStyleSheets.size()); }
  TcxCustomStyleSheet* StyleSheets(Integer Index) const { return FStyleSheets[Index]; }

  void GetChildren(TGetChildProc Proc, TComponent* Root) override;

private:
  friend class TcxCustomStyle;
  friend class TcxCustomStyleSheet;
  void FreeAll();
  std::vector<TcxCustomStyle*> FStyles;
  std::vector<TcxCustomStyleSheet*> FStyleSheets;
};

struct TcxStyleEntry {
  Integer Index;
  TcxCustomStyle* Style;
};

class TcxCustomStyles : public TcxInterfacedPersistent {
public:
  explicit TcxCustomStyles(TPersistent* AOwner) : TcxInterfacedPersistent(AOwner) {}
  ~TcxCustomStyles() override;
  void Assign(TPersistent* Source) override;

  bool FindEntry(Integer AIndex, Integer& APos) const;
  TcxCustomStyle* GetStyle(Integer AIndex);
  void SetStyle(Integer AIndex, TcxCustomStyle* AStyle);
  void StyleContentChanged(TcxCustomStyle* AStyle);
  void StyleRemoved(TcxCustomStyle* AStyle);
  void DeleteEntry(Integer APos);
  void Clear();
  Integer AssignedCount() const { return static_cast<Integer>(FEntries.size()); }
  const TcxStyleEntry& AssignedEntry(Integer I) const { return FEntries[I]; }

  bool AcceptsStyleSheet(TcxCustomStyleSheet* ASheet) const;
  TcxCustomStyleSheet* StyleSheet() const { return FStyleSheet; }
  void SetStyleSheet(TcxCustomStyleSheet* Value);
  TcxCustomStyleSheet* OwnerStyleSheet() const { return FOwnerStyleSheet; }

  virtual void StyleChanged(Integer AIndex) {}
  virtual void NotifyChanged(Integer AIndex);

protected:
  bool FDestroying = false;

private:
  friend class TcxCustomStyleSheet;
  void CollectIndexes(TcxCustomStyleSheet* ASheet, std::vector<Integer>& AIndexes) const;
  std::vector<TcxStyleEntry> FEntries;
  TcxCustomStyleSheet* FStyleSheet = nullptr;
  TcxCustomStyleSheet* FOwnerStyleSheet = nullptr;
};

class TcxStyles : public TcxCustomStyles, public IcxFontListener {
public:
  explicit TcxStyles(TPersistent* AOwner) : TcxCustomStyles(AOwner) {}

  TcxCustomStyle* StyleAt(Integer AIndex) { return GetStyle(AIndex); }
  void SetStyleAt(Integer AIndex, TcxCustomStyle* AStyle) { SetStyle(AIndex, AStyle); }
  // The views call it with the output before the style.
  void ResolveViewParams(Integer AIndex, TObject* AData, TcxCustomStyle* AStyle,
                         TcxViewParams& AParams);
  TBitmap* SlotBitmap(Integer AIndex);
  virtual void DefaultViewParams(Integer AIndex, TObject* AData, TcxViewParams& AParams);
  virtual bool UsesDefaultFont(Integer AIndex);
  void FontChanged(TFont* AFont) override;
  Integer MaxDefaultViewParamsIndex() const { return FMaxDefaultViewParamsIndex; }

protected:
  bool UsesBitmaps = false;

private:
  Integer FMaxDefaultViewParamsIndex = 0;
};

class TcxCustomStyleSheet : public TcxComponent {
public:
  explicit TcxCustomStyleSheet(TComponent* AOwner);
  ~TcxCustomStyleSheet() override;
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;

  bool BuiltIn() const { return FBuiltIn; }
  AnsiString Caption() const { return FCaption.empty() ? Name() : FCaption; }
  void SetCaption(const AnsiString& Value);
  bool IsCaptionStored() const { return !FCaption.empty(); }
  TcxStyleRepository* StyleRepository() const { return FStyleRepository; }
  void SetStyleRepository(TcxStyleRepository* Value);
  // Made on first use from StylesClass.
  TcxCustomStyles* Styles();
  void AssignStyles(TcxCustomStyles* Value) { Styles()->Assign(Value); }
  virtual TClass StylesClass() const;

  void NotifyStylesChanged(Integer AIndex);
  void AddUser(TcxCustomStyles* AStyles);
  void RemoveUser(TcxCustomStyles* AStyles);
  Integer UserCount() const { return static_cast<Integer>(FUsers.size()); }

  TComponent* GetParentComponent() const override;
  bool HasParent() const override { return FStyleRepository != nullptr; }
  void SetParentComponent(TComponent* AParent) override;

protected:
  void CollectFakeLinkedComponents(TList* AList) override;
  void DefineProperties(TFiler* Filer) override;

private:
  void Detach();
  bool FBuiltIn = false;
  AnsiString FCaption;
  TcxStyleRepository* FStyleRepository = nullptr;
  std::unique_ptr<TcxCustomStyles> FStyles;
  std::vector<TcxCustomStyles*> FUsers;
  bool FDetached = false;
};

void cxStylesInitialization();
void cxStylesFinalization();
