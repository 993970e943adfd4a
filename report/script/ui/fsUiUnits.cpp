// The graphics, forms and dialogs bound for every script: colours, pens, brushes, fonts,
// canvases and pictures; forms, the standard controls with their events, the application
// object, modal results, cursors and key codes; message and input dialogs and the common
// dialogs. Each unit's registration
// object owns its entries in GlobalScriptUnit.
#include "report/script/ui/fsUiUnits.h"

#include <memory>
#include <string>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/Consts.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/TypInfo.h"
#include "platform/rtl/Units.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "report/script/fsBindingHelpers.h"
#include "report/script/fsEvents.h"
#include "report/script/fsFunctions.h"
#include "report/script/fsScript.h"

namespace {

using namespace fsbinding;

// A class entry; the class must have been registered with the platform's reflection.
TfsClassVariable* Bind(TfsScript* script, TClass cls, const char* ancestor)
{
  if (!cls)
    throw Exception("Class not registered for scripts");
  TfsClassVariable* entry = script->RegisterScriptClass(cls, ancestor);
  return entry ? entry : script->FindScriptClass(cls->Name);
}

// Integer constants under the names the runtime's ident tables give them, in their order.
void RegisterRuntimeIdents(TfsScript* script, void (*values)(const TGetStrProc&),
                           bool (*identToInt)(const AnsiString&, Integer&))
{
  values([&](const AnsiString& name) {
    Integer value = 0;
    identToInt(name, value);
    script->RegisterScriptConst(name, "Integer", Variant(value));
  });
}

void RegisterIntConsts(TfsScript* script, std::initializer_list<TIdentMapEntry> entries)
{
  for (const TIdentMapEntry& e : entries)
    script->RegisterScriptConst(e.Name, "Integer", Variant(e.Value));
}

// ---- graphics ----

class TGraphicsFunctions : public TObject {
public:
  TGraphicsFunctions();
  ~TGraphicsFunctions() override;
};

TGraphicsFunctions::TGraphicsFunctions()
{
  TfsScript* script = GlobalScriptUnit();
  script->SetAddedBy(this);
  for (Integer i = 0; i < ColorIdentCount(); ++i)
    script->RegisterScriptConst(ColorIdent(i).Name, "Integer", Variant(ColorIdent(i).Value));
  // Kept when the table already holds them.
  script->RegisterScriptConst("clNone", "Integer", Variant(static_cast<Integer>(clNone)));
  script->RegisterScriptConst("clDefault", "Integer", Variant(static_cast<Integer>(clDefault)));
  script->RegisterScriptEnumSet("TFontStyles", "fsBold, fsItalic, fsUnderline, fsStrikeout");
  script->RegisterScriptEnum("TFontPitch", "fpDefault, fpVariable, fpFixed");
  script->RegisterScriptEnum("TPenStyle",
                             "psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, "
                             "psInsideFrame");
  script->RegisterScriptEnum("TPenMode",
                             "pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, "
                             "pmMaskPenNot, pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, "
                             "pmMask, pmNotMask, pmXor, pmNotXor");
  script->RegisterScriptEnum("TBrushStyle", "bsSolid, bsClear, bsHorizontal, bsVertical, "
                                            "bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross");

  // Fonts, pens and brushes are made by the inherited constructor of the class named.
  Bind(script, ClassInfoOf<TFont>(), "TPersistent");
  Bind(script, ClassInfoOf<TPen>(), "TPersistent");
  Bind(script, ClassInfoOf<TBrush>(), "TPersistent");

  TfsClassVariable* canvas = Bind(script, ClassInfoOf<TCanvas>(), "TPersistent");
  canvas->AddConstructor(
      "constructor Create",
      TfsCallArgsEvent([](TObject*, TClass, const AnsiString&, TfsCallArgs&) -> Variant {
        return VarFromObject(new TCanvas());
      }));
  canvas->AddMethod("procedure Draw(X, Y: Integer; Graphic: TGraphic)",
                    Call([](TObject* self, TfsCallArgs& args) {
                      Self<TCanvas>(self)->Draw(IntArg(args, 0), IntArg(args, 1),
                                                NeedObj<TGraphic>(args, 2));
                      return Null();
                    }));
  canvas->AddMethod("procedure Ellipse(X1, Y1, X2, Y2: Integer)",
                    Call([](TObject* self, TfsCallArgs& args) {
                      Self<TCanvas>(self)->Ellipse(IntArg(args, 0), IntArg(args, 1),
                                                   IntArg(args, 2), IntArg(args, 3));
                      return Null();
                    }));
  canvas->AddMethod("procedure LineTo(X, Y: Integer)", Call([](TObject* self, TfsCallArgs& args) {
                      Self<TCanvas>(self)->LineTo(IntArg(args, 0), IntArg(args, 1));
                      return Null();
                    }));
  canvas->AddMethod("procedure MoveTo(X, Y: Integer)", Call([](TObject* self, TfsCallArgs& args) {
                      Self<TCanvas>(self)->MoveTo(IntArg(args, 0), IntArg(args, 1));
                      return Null();
                    }));
  canvas->AddMethod("procedure Rectangle(X1, Y1, X2, Y2: Integer)",
                    Call([](TObject* self, TfsCallArgs& args) {
                      Self<TCanvas>(self)->Rectangle(IntArg(args, 0), IntArg(args, 1),
                                                     IntArg(args, 2), IntArg(args, 3));
                      return Null();
                    }));
  canvas->AddMethod("procedure RoundRect(X1, Y1, X2, Y2, X3, Y3: Integer)",
                    Call([](TObject* self, TfsCallArgs& args) {
                      Self<TCanvas>(self)->RoundRect(IntArg(args, 0), IntArg(args, 1),
                                                     IntArg(args, 2), IntArg(args, 3),
                                                     IntArg(args, 4), IntArg(args, 5));
                      return Null();
                    }));
  canvas->AddMethod("procedure StretchDraw(X1, Y1, X2, Y2: Integer; Graphic: TGraphic)",
                    Call([](TObject* self, TfsCallArgs& args) {
                      Self<TCanvas>(self)->StretchDraw(
                          TRect(IntArg(args, 0), IntArg(args, 1), IntArg(args, 2), IntArg(args, 3)),
                          NeedObj<TGraphic>(args, 4));
                      return Null();
                    }));
  canvas->AddMethod("function TextHeight(const Text: string): Integer",
                    Call([](TObject* self, TfsCallArgs& args) {
                      return Variant(Self<TCanvas>(self)->TextHeight(StrArg(args, 0)));
                    }));
  canvas->AddMethod("procedure TextOut(X, Y: Integer; const Text: string)",
                    Call([](TObject* self, TfsCallArgs& args) {
                      Self<TCanvas>(self)->TextOut(IntArg(args, 0), IntArg(args, 1),
                                                   StrArg(args, 2));
                      return Null();
                    }));
  canvas->AddMethod("function TextWidth(const Text: string): Integer",
                    Call([](TObject* self, TfsCallArgs& args) {
                      return Variant(Self<TCanvas>(self)->TextWidth(StrArg(args, 0)));
                    }));
  canvas->AddIndexProperty(
      "Pixels", "Integer, Integer", "TColor",
      TfsCallArgsEvent(
          [](TObject* self, TClass, const AnsiString& name, TfsCallArgs& args) -> Variant {
            auto* c = Self<TCanvas>(self);
            if (name == "PIXELS.SET") {
              c->SetPixels(IntArg(args, 0), IntArg(args, 1), static_cast<TColor>(IntArg(args, 2)));
              return Null();
            }
            return Variant(static_cast<Integer>(c->Pixels(IntArg(args, 0), IntArg(args, 1))));
          }));

  TfsClassVariable* graphic = Bind(script, ClassInfoOf<TGraphic>(), "TPersistent");
  graphic->AddMethod("procedure LoadFromFile(const Filename: string)",
                     Call([](TObject* self, TfsCallArgs& args) {
                       Self<TGraphic>(self)->LoadFromFile(StrArg(args, 0));
                       return Null();
                     }));
  graphic->AddMethod("procedure SaveToFile(const Filename: string)",
                     Call([](TObject* self, TfsCallArgs& args) {
                       Self<TGraphic>(self)->SaveToFile(StrArg(args, 0));
                       return Null();
                     }));
  graphic->AddProperty(
      "Height", "Integer",
      Get([](TObject* self) { return Variant(Self<TGraphic>(self)->Height()); }),
      Set([](TObject* self, const Variant& v) { Self<TGraphic>(self)->SetHeight(v.AsInteger()); }));
  graphic->AddProperty(
      "Width", "Integer", Get([](TObject* self) { return Variant(Self<TGraphic>(self)->Width()); }),
      Set([](TObject* self, const Variant& v) { Self<TGraphic>(self)->SetWidth(v.AsInteger()); }));

  TfsClassVariable* picture = Bind(script, ClassInfoOf<TPicture>(), "TPersistent");
  picture->AddMethod("procedure LoadFromFile(const Filename: string)",
                     Call([](TObject* self, TfsCallArgs& args) {
                       Self<TPicture>(self)->LoadFromFile(StrArg(args, 0));
                       return Null();
                     }));
  picture->AddMethod("procedure SaveToFile(const Filename: string)",
                     Call([](TObject* self, TfsCallArgs& args) {
                       Self<TPicture>(self)->SaveToFile(StrArg(args, 0));
                       return Null();
                     }));
  picture->AddProperty("Height", "Integer",
                       Get([](TObject* self) { return Variant(Self<TPicture>(self)->Height()); }));
  picture->AddProperty("Width", "Integer",
                       Get([](TObject* self) { return Variant(Self<TPicture>(self)->Width()); }));

  Bind(script, ClassInfoOf<TMetafile>(), "TGraphic");
  TfsClassVariable* metafileCanvas = Bind(script, ClassInfoOf<TMetafileCanvas>(), "TCanvas");
  metafileCanvas->AddConstructor(
      "constructor Create(AMetafile: TMetafile; ReferenceDevice: Integer)",
      TfsCallArgsEvent([](TObject*, TClass, const AnsiString&, TfsCallArgs& args) -> Variant {
        return VarFromObject(new TMetafileCanvas(NeedObj<TMetafile>(args, 0), IntArg(args, 1)));
      }));
  TfsClassVariable* bitmap = Bind(script, ClassInfoOf<TBitmap>(), "TGraphic");
  bitmap->AddProperty("Canvas", "TCanvas", Get([](TObject* self) {
                        return VarFromObject(Self<TBitmap>(self)->Canvas());
                      }));
  script->SetAddedBy(nullptr);
}

TGraphicsFunctions::~TGraphicsFunctions()
{
  if (TfsScript* global = GlobalScriptUnit())
    global->RemoveItemsOwnedBy(this);
}

// ---- forms and controls ----

class TFormsFunctions : public TObject {
public:
  TFormsFunctions();
  ~TFormsFunctions() override;

private:
  void RegisterConstants(TfsScript* script);
  void RegisterControls(TfsScript* script);
};

TFormsFunctions::TFormsFunctions()
{
  TfsScript* script = GlobalScriptUnit();
  script->SetAddedBy(this);
  RegisterConstants(script);
  RegisterControls(script);
  // The application object under its name.
  script->RegisterScriptObject("Application", Application());
  script->SetAddedBy(nullptr);
}

TFormsFunctions::~TFormsFunctions()
{
  if (TfsScript* global = GlobalScriptUnit())
    global->RemoveItemsOwnedBy(this);
}

void TFormsFunctions::RegisterConstants(TfsScript* script)
{
  RegisterRuntimeIdents(script, GetModalResultValues, IdentToModalResult);
  // crSize is the four-way sizing cursor, the same as crSizeAll, which the runtime names.
  RegisterRuntimeIdents(script, GetCursorValues, IdentToCursor);
  script->RegisterScriptConst("crSize", "Integer", Variant(static_cast<Integer>(crSizeAll)));
  RegisterIntConsts(script, {{bsNone, "bsNone"},
                             {bsSingle, "bsSingle"},
                             {bsSizeable, "bsSizeable"},
                             {bsDialog, "bsDialog"},
                             {bsToolWindow, "bsToolWindow"},
                             {bsSizeToolWin, "bsSizeToolWin"}});
  RegisterRuntimeIdents(script, GetVirtualKeyValues, IdentToVirtualKey);

  script->RegisterScriptType("TFormBorderStyle", fvtInt);
  script->RegisterScriptType("TBorderStyle", fvtInt);
  script->RegisterScriptEnumSet("TShiftState",
                                "ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble");
  script->RegisterScriptEnumSet("TAnchors", "akLeft, akTop, akRight, akBottom");
  script->RegisterScriptEnumSet("TBorderIcons", "biSystemMenu, biMinimize, biMaximize, biHelp");
  script->RegisterScriptEnum("TAlignment", "taLeftJustify, taRightJustify, taCenter");
  script->RegisterScriptEnum("TAlign", "alNone, alTop, alBottom, alLeft, alRight, alClient");
  script->RegisterScriptEnum("TMouseButton", "mbLeft, mbRight, mbMiddle");
  script->RegisterScriptEnum("TBevelCut", "bvNone, bvLowered, bvRaised, bvSpace");
  script->RegisterScriptEnum("TTextLayout", "tlTop, tlCenter, tlBottom");
  script->RegisterScriptEnum("TEditCharCase", "ecNormal, ecUpperCase, ecLowerCase");
  script->RegisterScriptEnum("TScrollStyle", "ssNone, ssHorizontal, ssVertical, ssBoth");
  script->RegisterScriptEnum("TComboBoxStyle", "csDropDown, csSimple, csDropDownList, "
                                               "csOwnerDrawFixed, csOwnerDrawVariable");
  script->RegisterScriptEnum("TCheckBoxState", "cbUnchecked, cbChecked, cbGrayed");
  script->RegisterScriptEnum("TListBoxStyle", "lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable");
  script->RegisterScriptEnum("TWindowState", "wsNormal, wsMinimized, wsMaximized");
  script->RegisterScriptEnum("TFormStyle", "fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop");
  script->RegisterScriptEnum("TPosition", "poDesigned, poDefault, poDefaultPosOnly, "
                                          "poDefaultSizeOnly, poScreenCenter, poDesktopCenter");
  script->RegisterScriptEnum("TCloseAction", "caNone, caHide, caFree, caMinimize");
}

void TFormsFunctions::RegisterControls(TfsScript* script)
{
  const auto& notify = fsEventAdapter<TNotifyEvent>("TfsNotifyEvent");

  TfsClassVariable* control = Bind(script, ClassInfoOf<TControl>(), "TComponent");
  control->AddProperty("Parent", "TWinControl", Get([](TObject* self) {
                         return VarFromObject(Self<TControl>(self)->Parent());
                       }),
                       Set([](TObject* self, const Variant& v) {
                         Self<TControl>(self)->SetParent(As<TWinControl>(VarToObject(v)));
                       }));
  control->AddMethod("procedure Hide", Call([](TObject* self, TfsCallArgs&) {
                       Self<TControl>(self)->Hide();
                       return Null();
                     }));
  control->AddMethod("procedure Show", Call([](TObject* self, TfsCallArgs&) {
                       Self<TControl>(self)->Show();
                       return Null();
                     }));
  control->AddMethod("procedure SetBounds(ALeft, ATop, AWidth, AHeight: Integer)",
                     Call([](TObject* self, TfsCallArgs& args) {
                       Self<TControl>(self)->SetBounds(IntArg(args, 0), IntArg(args, 1),
                                                       IntArg(args, 2), IntArg(args, 3));
                       return Null();
                     }));
  control->AddEvent("OnCanResize", fsEventAdapter<TCanResizeEvent>("TfsCanResizeEvent"));
  control->AddEvent("OnClick", notify);
  control->AddEvent("OnDblClick", notify);
  control->AddEvent("OnResize", notify);
  control->AddEvent("OnMouseDown", fsEventAdapter<TMouseEvent>("TfsMouseEvent"));
  control->AddEvent("OnMouseUp", fsEventAdapter<TMouseEvent>("TfsMouseEvent"));
  control->AddEvent("OnMouseMove", fsEventAdapter<TMouseMoveEvent>("TfsMouseMoveEvent"));

  TfsClassVariable* winControl = Bind(script, ClassInfoOf<TWinControl>(), "TControl");
  winControl->AddMethod("procedure SetFocus", Call([](TObject* self, TfsCallArgs&) {
                          Self<TWinControl>(self)->SetFocus();
                          return Null();
                        }));
  winControl->AddEvent("OnEnter", notify);
  winControl->AddEvent("OnExit", notify);
  winControl->AddEvent("OnKeyDown", fsEventAdapter<TKeyEvent>("TfsKeyEvent"));
  winControl->AddEvent("OnKeyUp", fsEventAdapter<TKeyEvent>("TfsKeyEvent"));
  winControl->AddEvent("OnKeyPress", fsEventAdapter<TKeyPressEvent>("TfsKeyPressEvent"));

  Bind(script, ClassInfoOf<TCustomControl>(), "TWinControl");
  Bind(script, ClassInfoOf<TGraphicControl>(), "TControl");
  Bind(script, ClassInfoOf<TGroupBox>(), "TWinControl");
  // A label takes the windowed controls' members as well.
  Bind(script, ClassInfoOf<TLabel>(), "TWinControl");
  Bind(script, ClassInfoOf<TEdit>(), "TWinControl");
  Bind(script, ClassInfoOf<TMemo>(), "TWinControl");

  TfsClassVariable* combo = Bind(script, ClassInfoOf<TCustomComboBox>(), "TWinControl");
  combo->AddProperty("DroppedDown", "Boolean", Get([](TObject* self) {
                       return Variant(Self<TCustomComboBox>(self)->DroppedDown());
                     }),
                     Set([](TObject* self, const Variant& v) {
                       Self<TCustomComboBox>(self)->SetDroppedDown(v.AsBoolean());
                     }));
  combo->AddProperty("ItemIndex", "Integer", Get([](TObject* self) {
                       return Variant(Self<TCustomComboBox>(self)->ItemIndex());
                     }),
                     Set([](TObject* self, const Variant& v) {
                       Self<TCustomComboBox>(self)->SetItemIndex(v.AsInteger());
                     }));
  combo->AddEvent("OnChange", notify);
  combo->AddEvent("OnDropDown", notify);
  combo->AddEvent("OnCloseUp", notify);
  Bind(script, ClassInfoOf<TComboBox>(), "TCustomComboBox");
  Bind(script, ClassInfoOf<TButton>(), "TWinControl");
  Bind(script, ClassInfoOf<TCheckBox>(), "TWinControl");
  Bind(script, ClassInfoOf<TRadioButton>(), "TWinControl");

  TfsClassVariable* listBox = Bind(script, ClassInfoOf<TCustomListBox>(), "TWinControl");
  listBox->AddProperty("ItemIndex", "Integer", Get([](TObject* self) {
                         return Variant(Self<TCustomListBox>(self)->ItemIndex());
                       }),
                       Set([](TObject* self, const Variant& v) {
                         Self<TCustomListBox>(self)->SetItemIndex(v.AsInteger());
                       }));
  listBox->AddProperty("SelCount", "Integer", Get([](TObject* self) {
                         return Variant(Self<TCustomListBox>(self)->SelCount());
                       }));
  listBox->AddIndexProperty("Selected", "Integer", "Boolean",
                            TfsCallArgsEvent([](TObject* self, TClass, const AnsiString& name,
                                                TfsCallArgs& args) -> Variant {
                              auto* l = Self<TCustomListBox>(self);
                              if (name == "SELECTED.SET") {
                                l->SetSelected(IntArg(args, 0), args[1].AsBoolean());
                                return Null();
                              }
                              return Variant(l->Selected(IntArg(args, 0)));
                            }));
  Bind(script, ClassInfoOf<TListBox>(), "TCustomListBox");
  Bind(script, ClassInfoOf<TControlScrollBar>(), "TPersistent");
  Bind(script, ClassInfoOf<TScrollingWinControl>(), "TWinControl");
  Bind(script, ClassInfoOf<TScrollBox>(), "TScrollingWinControl");

  TfsClassVariable* form = Bind(script, ClassInfoOf<TCustomForm>(), "TScrollingWinControl");
  form->AddMethod("procedure Close", Call([](TObject* self, TfsCallArgs&) {
                    Self<TCustomForm>(self)->Close();
                    return Null();
                  }));
  form->AddMethod("procedure Hide", Call([](TObject* self, TfsCallArgs&) {
                    Self<TCustomForm>(self)->Hide();
                    return Null();
                  }));
  form->AddMethod("procedure Show", Call([](TObject* self, TfsCallArgs&) {
                    Self<TCustomForm>(self)->Show();
                    return Null();
                  }));
  form->AddMethod("function ShowModal: Integer", Call([](TObject* self, TfsCallArgs&) {
                    return Variant(static_cast<Integer>(Self<TCustomForm>(self)->ShowModal()));
                  }));
  form->AddProperty("Canvas", "TCanvas", Get([](TObject* self) {
                      return VarFromObject(Self<TCustomForm>(self)->Canvas());
                    }));
  form->AddProperty("ModalResult", "Integer", Get([](TObject* self) {
                      return Variant(static_cast<Integer>(Self<TCustomForm>(self)->ModalResult()));
                    }),
                    Set([](TObject* self, const Variant& v) {
                      Self<TCustomForm>(self)->SetModalResult(
                          static_cast<TModalResult>(v.AsInteger()));
                    }));
  for (const char* name :
       {"OnActivate", "OnCreate", "OnDestroy", "OnDeactivate", "OnHide", "OnPaint", "OnShow"})
    form->AddEvent(name, notify);
  form->AddEvent("OnClose", fsEventAdapter<TCloseEvent>("TfsCloseEvent"));
  form->AddEvent("OnCloseQuery", fsEventAdapter<TCloseQueryEvent>("TfsCloseQueryEvent"));
  Bind(script, ClassInfoOf<TForm>(), "TCustomForm");
  Bind(script, ClassInfoOf<TDataModule>(), "TComponent");

  TfsClassVariable* application = Bind(script, ClassInfoOf<TApplication>(), "TComponent");
  application->AddMethod("procedure Minimize", Call([](TObject* self, TfsCallArgs&) {
                           Self<TApplication>(self)->Minimize();
                           return Null();
                         }));
  application->AddMethod("procedure ProcessMessages", Call([](TObject* self, TfsCallArgs&) {
                           Self<TApplication>(self)->ProcessMessages();
                           return Null();
                         }));
  application->AddMethod("procedure Restore", Call([](TObject* self, TfsCallArgs&) {
                           Self<TApplication>(self)->Restore();
                           return Null();
                         }));
  application->AddProperty("ExeName", "String", Get([](TObject* self) {
                             return Variant(Self<TApplication>(self)->ExeName());
                           }));
}

// ---- dialogs ----

class TDialogsFunctions : public TObject {
public:
  TDialogsFunctions();
  ~TDialogsFunctions() override;
};

TDialogsFunctions::TDialogsFunctions()
{
  TfsScript* script = GlobalScriptUnit();
  script->SetAddedBy(this);
  script->RegisterScriptEnumSet(
      "TOpenOptions",
      "ofReadOnly, ofOverwritePrompt, ofHideReadOnly,ofNoChangeDir, ofShowHelp, ofNoValidate, "
      "ofAllowMultiSelect,ofExtensionDifferent, ofPathMustExist, ofFileMustExist, "
      "ofCreatePrompt,ofShareAware, ofNoReadOnlyReturn, ofNoTestFileCreate, "
      "ofNoNetworkButton,ofNoLongNames, ofOldStyleDialog, ofNoDereferenceLinks, "
      "ofEnableIncludeNotify,ofEnableSizing");
  script->RegisterScriptEnumSet("TColorDialogOptions",
                                "cdFullOpen, cdPreventFullOpen, cdShowHelp,cdSolidColor, "
                                "cdAnyColor");
  script->RegisterScriptEnumSet(
      "TFontDialogOptions",
      "fdAnsiOnly, fdTrueTypeOnly, fdEffects,fdFixedPitchOnly, fdForceFontExist, fdNoFaceSel, "
      "fdNoOEMFonts,fdNoSimulations, fdNoSizeSel, fdNoStyleSel,  fdNoVectorFonts,fdShowHelp, "
      "fdWysiwyg, fdLimitSize, fdScalableOnly, fdApplyButton");
  script->RegisterScriptEnumSet("TPrintDialogOptions", "poPrintToFile, poPageNums, poSelection,"
                                                       "poWarning, poHelp, poDisablePrintToFile");
  script->RegisterScriptEnumSet("TMsgDlgButtons",
                                "mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, "
                                "mbNoToAll, mbYesToAll, mbHelp");
  script->RegisterScriptEnum("TFileEditStyle", "fsEdit, fsComboBox");
  script->RegisterScriptEnum("TFontDialogDevice", "fdScreen, fdPrinter, fdBoth");
  script->RegisterScriptEnum("TPrintRange", "prAllPages, prSelection, prPageNums");
  script->RegisterScriptEnum("TMsgDlgType",
                             "mtWarning, mtError, mtInformation, mtConfirmation, mtCustom");
  script->RegisterScriptMethod(
      "function MessageDlg(Msg: string; DlgType: TMsgDlgType; Buttons: TMsgDlgButtons; "
      "HelpCtx: Longint): Integer",
      "ctOther", "",
      TfsCallArgsEvent([](TObject*, TClass, const AnsiString&, TfsCallArgs& args) -> Variant {
        const Integer type = IntArg(args, 1);
        if (type < mtWarning || type > mtCustom)
          throw EConvertError("Invalid dialog type");
        const auto buttons =
            TMsgDlgButtons::FromRaw(static_cast<std::uint32_t>(IntArg(args, 2)) & 0x7FF);
        return Variant(
            MessageDlg(StrArg(args, 0), static_cast<TMsgDlgType>(type), buttons, IntArg(args, 3)));
      }));
  script->RegisterScriptMethod(
      "function InputBox(ACaption, APrompt, ADefault: string): string", "ctOther", "",
      TfsCallArgsEvent([](TObject*, TClass, const AnsiString&, TfsCallArgs& args) -> Variant {
        return Variant(InputBox(StrArg(args, 0), StrArg(args, 1), StrArg(args, 2)));
      }));
  // The edited text goes back into the var argument.
  script->RegisterScriptMethod(
      "function InputQuery(ACaption, APrompt: string; var Value: string): Boolean", "ctOther", "",
      TfsCallArgsEvent([](TObject*, TClass, const AnsiString&, TfsCallArgs& args) -> Variant {
        AnsiString value = StrArg(args, 2);
        const bool confirmed = InputQuery(StrArg(args, 0), StrArg(args, 1), value);
        args[2] = Variant(value);
        return Variant(confirmed);
      }));
  TfsClassVariable* common = Bind(script, ClassInfoOf<TCommonDialog>(), "TComponent");
  common->AddMethod("function Execute: Boolean", Call([](TObject* self, TfsCallArgs&) {
                      return Variant(Self<TCommonDialog>(self)->Execute());
                    }));
  Bind(script, ClassInfoOf<TOpenDialog>(), "TCommonDialog");
  Bind(script, ClassInfoOf<TSaveDialog>(), "TCommonDialog");
  Bind(script, ClassInfoOf<TColorDialog>(), "TCommonDialog");
  Bind(script, ClassInfoOf<TFontDialog>(), "TCommonDialog");
  Bind(script, ClassInfoOf<TPrintDialog>(), "TCommonDialog");
  Bind(script, ClassInfoOf<TPrinterSetupDialog>(), "TCommonDialog");
  SetScriptShowMessage([](const AnsiString& text) { ShowMessage(text); });
  script->SetAddedBy(nullptr);
}

TDialogsFunctions::~TDialogsFunctions()
{
  SetScriptShowMessage(nullptr);
  if (TfsScript* global = GlobalScriptUnit())
    global->RemoveItemsOwnedBy(this);
}

std::unique_ptr<TGraphicsFunctions> Graphics;
std::unique_ptr<TFormsFunctions> Forms;
std::unique_ptr<TDialogsFunctions> Dialogs;

} // namespace

void RegisterScriptUiUnits()
{
  RegisterUnit(
      "fs_graphics", [] { Graphics = std::make_unique<TGraphicsFunctions>(); },
      [] { Graphics.reset(); });
  RegisterUnit(
      "fs_forms", [] { Forms = std::make_unique<TFormsFunctions>(); }, [] { Forms.reset(); });
  RegisterUnit(
      "fs_dialogs", [] { Dialogs = std::make_unique<TDialogsFunctions>(); },
      [] { Dialogs.reset(); });
}
