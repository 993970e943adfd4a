// Message dialogs: MessageDlg (a kind of message with its caption and a set of buttons,
// answered with a modal result) and ShowMessage (one OK button under the application's
// title), both on the message box of Forms.h; InputBox and InputQuery (a form of ours).
//
// The common dialogs (files, folders, colour, font, printing) are components whose Execute
// hands a TDialogRequest to the installed dialog service: the GTK backend shows the
// desktop's native choosers, the headless backend answers from what a test queued (and
// fails a dialog nobody scripted with the dialog's class name). What the dialogs do
// around the answer (the default extension, the overwrite question, files that must
// exist) is theirs, the same under every service.
#pragma once

#include <memory>
#include <vector>

#include "platform/rtl/Lists.h"
#include "platform/ui/Forms.h"

enum TDialogKind { dkOpen, dkSave, dkFolder, dkColor, dkFont, dkPrint, dkPrinterSetup };

// One showing of a common dialog: what it starts from and, once accepted, the answer.
// Names are GBK; a native service converts at its edge.
struct TDialogRequest {
  TDialogKind Kind = dkOpen;
  AnsiString ClassName; // the dialog component's class ("TOpenDialog")
  AnsiString Title;
  // Files and folders.
  AnsiString Filter;       // "text|pattern;pattern|text|pattern"
  Integer FilterIndex = 1; // 1-based
  AnsiString InitialDir;
  AnsiString FileName;
  AnsiString DefaultExt;
  bool MultiSelect = false;
  std::vector<AnsiString> Files; // the answer: every file chosen (FileName is the first)
  // Colour.
  TColor Color = clBlack;
  bool FullOpen = false;
  std::vector<TColor> CustomColors; // up to 16
  // Font.
  AnsiString FontName;
  Integer FontSize = 9;
  TFontStyles FontStyle;
  TColor FontColor = clBlack;
  bool ExistingFontsOnly = false;
  // Printing.
  Integer Copies = 1;
  bool Collate = false;
  Integer FromPage = 0, ToPage = 0, MinPage = 0, MaxPage = 0;
  bool PageNumbers = false; // a page range was chosen
  bool Selection = false;   // only the selection
  bool PrintToFile = false;
};

class TDialogService {
public:
  virtual ~TDialogService() = default;
  // Shows the dialog; true when the user accepted it (the answer is in Request).
  virtual bool Execute(TDialogRequest& Request) = 0;
};

// The service common dialogs use: the installed one, else the headless backend's queue.
TDialogService* DialogService();
// Installs a service (not owned; null goes back to the headless queue).
void SetDialogService(TDialogService* Service);

// The print dialog as a form of ours ("打印": copies, collation, all pages / a page range /
// the selection, printing to a file), for services without a native one. True on OK, with
// the choices in Request.
bool RunPrintForm(TDialogRequest& Request);

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn {
  mbYes,
  mbNo,
  mbOK,
  mbCancel,
  mbAbort,
  mbRetry,
  mbIgnore,
  mbAll,
  mbNoToAll,
  mbYesToAll,
  mbHelp
};
using TMsgDlgButtons = TSet<TMsgDlgBtn>;

inline const TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline const TMsgDlgButtons mbYesAllNoAllCancel{mbYes, mbYesToAll, mbNo, mbNoToAll, mbCancel};
inline const TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline const TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

// Shows Msg with the caption of its kind ("警告", "错误", "信息", "确认"; mtCustom: the
// application's title) and the buttons asked for, in the set's order; the first button is
// the default one. Returns the modal result of the button pressed (mrCancel when the box is
// closed without one). HelpCtx is kept for callers that pass it; there is no help viewer.
Integer MessageDlg(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                   NativeInt HelpCtx);
// Msg with one "确定" button under the application's title.
void ShowMessage(const AnsiString& Msg);

// A small form asking for one line of text: OK gives true and the text in Value.
bool InputQuery(const AnsiString& ACaption, const AnsiString& APrompt, AnsiString& Value);
// The text entered, or Default when the form was cancelled.
AnsiString InputBox(const AnsiString& ACaption, const AnsiString& APrompt,
                    const AnsiString& ADefault);

// ---- Common dialogs ----

class TCommonDialog : public TComponent {
public:
  explicit TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}
  virtual bool Execute() = 0;
  const AnsiString& Title() const { return FTitle; }
  void SetTitle(const AnsiString& Value) { FTitle = Value; }
  NativeInt HelpContext() const { return FHelpContext; }
  void SetHelpContext(NativeInt Value) { FHelpContext = Value; }
  TNotifyEvent OnShow;
  TNotifyEvent OnClose;

protected:
  // Runs the request through the service with OnShow before and OnClose after.
  bool Run(TDialogRequest& Request);

private:
  AnsiString FTitle;
  NativeInt FHelpContext = 0;
};

enum TOpenOption {
  ofReadOnly,
  ofOverwritePrompt,
  ofHideReadOnly,
  ofNoChangeDir,
  ofShowHelp,
  ofNoValidate,
  ofAllowMultiSelect,
  ofExtensionDifferent,
  ofPathMustExist,
  ofFileMustExist,
  ofCreatePrompt,
  ofShareAware,
  ofNoReadOnlyReturn,
  ofNoTestFileCreate,
  ofNoNetworkButton,
  ofNoLongNames,
  ofOldStyleDialog,
  ofNoDereferenceLinks,
  ofEnableIncludeNotify,
  ofEnableSizing
};
using TOpenOptions = TSet<TOpenOption>;

// Choosing a file to open. The chosen name gets DefaultExt when it has no extension;
// with ofFileMustExist (ofPathMustExist) a name that is not there is refused with a
// message and the dialog comes back.
class TOpenDialog : public TCommonDialog {
public:
  explicit TOpenDialog(TComponent* AOwner);
  ~TOpenDialog() override;
  bool Execute() override;

  const AnsiString& DefaultExt() const { return FDefaultExt; }
  void SetDefaultExt(const AnsiString& Value);
  const AnsiString& FileName() const { return FFileName; }
  void SetFileName(const AnsiString& Value) { FFileName = Value; }
  TStrings* Files() const { return FFiles.get(); }
  const AnsiString& Filter() const { return FFilter; }
  void SetFilter(const AnsiString& Value) { FFilter = Value; }
  Integer FilterIndex() const { return FFilterIndex; }
  void SetFilterIndex(Integer Value) { FFilterIndex = Value; }
  const AnsiString& InitialDir() const { return FInitialDir; }
  void SetInitialDir(const AnsiString& Value) { FInitialDir = Value; }
  TOpenOptions Options() const { return FOptions; }
  void SetOptions(TOpenOptions Value) { FOptions = Value; }

protected:
  virtual TDialogKind Kind() const { return dkOpen; }
  // Whether the chosen name may be taken (false: the dialog shows again).
  virtual bool AcceptName(const AnsiString& Name);

private:
  AnsiString FDefaultExt, FFileName, FFilter, FInitialDir;
  Integer FFilterIndex = 1;
  TOpenOptions FOptions{ofHideReadOnly, ofEnableSizing};
  std::unique_ptr<TStringList> FFiles;
};

// Choosing a file to save: the default extension is added before ofOverwritePrompt asks
// whether an existing file may be replaced.
class TSaveDialog : public TOpenDialog {
public:
  explicit TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) {}

protected:
  TDialogKind Kind() const override { return dkSave; }
  bool AcceptName(const AnsiString& Name) override;
};

// The open and save dialogs for pictures: the filter lists the picture formats the
// graphics unit reads.
class TOpenPictureDialog : public TOpenDialog {
public:
  explicit TOpenPictureDialog(TComponent* AOwner);
};
class TSavePictureDialog : public TSaveDialog {
public:
  explicit TSavePictureDialog(TComponent* AOwner);
};

enum TColorDialogOption { cdFullOpen, cdPreventFullOpen, cdShowHelp, cdSolidColor, cdAnyColor };
using TColorDialogOptions = TSet<TColorDialogOption>;

// Choosing a colour. CustomColors holds "ColorA=RRGGBB" .. "ColorP=RRGGBB" lines (hex,
// red first); the custom colours chosen come back the same way.
class TColorDialog : public TCommonDialog {
public:
  explicit TColorDialog(TComponent* AOwner);
  ~TColorDialog() override;
  bool Execute() override;
  TColor Color() const { return FColor; }
  void SetColor(TColor Value) { FColor = Value; }
  TStrings* CustomColors() const { return FCustomColors.get(); }
  TColorDialogOptions Options() const { return FOptions; }
  void SetOptions(TColorDialogOptions Value) { FOptions = Value; }

private:
  TColor FColor = clBlack;
  TColorDialogOptions FOptions;
  std::unique_ptr<TStringList> FCustomColors;
};

enum TFontDialogOption {
  fdAnsiOnly,
  fdTrueTypeOnly,
  fdEffects,
  fdFixedPitchOnly,
  fdForceFontExist,
  fdNoFaceSel,
  fdNoOEMFonts,
  fdNoSimulations,
  fdNoSizeSel,
  fdNoStyleSel,
  fdNoVectorFonts,
  fdShowHelp,
  fdWysiwyg,
  fdLimitSize,
  fdScalableOnly,
  fdApplyButton
};
using TFontDialogOptions = TSet<TFontDialogOption>;

// Choosing a font: name, size, style and (with fdEffects) colour go into Font.
class TFontDialog : public TCommonDialog {
public:
  explicit TFontDialog(TComponent* AOwner);
  ~TFontDialog() override;
  bool Execute() override;
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TFontDialogOptions Options() const { return FOptions; }
  void SetOptions(TFontDialogOptions Value) { FOptions = Value; }

private:
  std::unique_ptr<TFont> FFont;
  TFontDialogOptions FOptions{fdEffects};
};

enum TPrintRange { prAllPages, prSelection, prPageNums };
enum TPrintDialogOption {
  poPrintToFile,
  poPageNums,
  poSelection,
  poWarning,
  poHelp,
  poDisablePrintToFile
};
using TPrintDialogOptions = TSet<TPrintDialogOption>;

// Choosing what to print: copies, collation, the range of pages, printing to a file.
class TPrintDialog : public TCommonDialog {
public:
  explicit TPrintDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}
  bool Execute() override;
  Integer Copies() const { return FCopies; }
  void SetCopies(Integer Value) { FCopies = Value < 1 ? 1 : Value; }
  bool Collate() const { return FCollate; }
  void SetCollate(bool Value) { FCollate = Value; }
  Integer FromPage() const { return FFromPage; }
  void SetFromPage(Integer Value) { FFromPage = Value; }
  Integer ToPage() const { return FToPage; }
  void SetToPage(Integer Value) { FToPage = Value; }
  Integer MinPage() const { return FMinPage; }
  void SetMinPage(Integer Value) { FMinPage = Value; }
  Integer MaxPage() const { return FMaxPage; }
  void SetMaxPage(Integer Value) { FMaxPage = Value; }
  TPrintRange PrintRange() const { return FPrintRange; }
  void SetPrintRange(TPrintRange Value) { FPrintRange = Value; }
  bool PrintToFile() const { return FPrintToFile; }
  void SetPrintToFile(bool Value) { FPrintToFile = Value; }
  TPrintDialogOptions Options() const { return FOptions; }
  void SetOptions(TPrintDialogOptions Value) { FOptions = Value; }

private:
  Integer FCopies = 1;
  bool FCollate = false;
  Integer FFromPage = 0, FToPage = 0, FMinPage = 0, FMaxPage = 0;
  TPrintRange FPrintRange = prAllPages;
  bool FPrintToFile = false;
  TPrintDialogOptions FOptions;
};

// Choosing the printer and its page setup.
class TPrinterSetupDialog : public TCommonDialog {
public:
  explicit TPrinterSetupDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}
  bool Execute() override;
};

void RegisterDialogsClasses();
