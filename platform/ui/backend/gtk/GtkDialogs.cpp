// The GTK dialog service. GtkDialogs.h describes it.
#include "platform/ui/backend/gtk/GtkDialogs.h"

#include <cmath>

#include <gtk/gtk.h>

#include "platform/rtl/Codec.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Windows.h"

namespace {

std::string Utf8(const AnsiString& gbk)
{
  return GbkToUtf8(gbk);
}

AnsiString Gbk(const char* utf8)
{
  return utf8 ? Utf8ToGbk(utf8) : AnsiString();
}

// Shows the dialog and runs the tracking loop until it answers; input for our own
// windows is held back meanwhile (the chooser is modal).
gint RunModal(GtkWidget* dialog)
{
  gint response = GTK_RESPONSE_NONE;
  bool answered = false;
  struct TState {
    gint* Response;
    bool* Answered;
  } state{&response, &answered};
  gulong handler =
      g_signal_connect(dialog, "response", G_CALLBACK(+[](GtkDialog*, gint id, gpointer data) {
                         auto* s = static_cast<TState*>(data);
                         *s->Response = id;
                         *s->Answered = true;
                         // Wakes the loop, which waits for a message of ours.
                         PostThreadMessage(WM_NULL, 0, 0);
                       }),
                       &state);
  gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
  gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
  gtk_widget_show(dialog);
  gtk_window_present(GTK_WINDOW(dialog));
  TTrackLoop loop;
  loop.Name = "a native chooser";
  loop.Running = [&] { return !answered; };
  loop.OnMessage = [](MSG& m) -> TTrackReply {
    if (m.message == WM_NULL && m.hwnd == 0)
      return trHandled;
    bool input = IsMouseMessage(m.message) || (m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST);
    return input ? trHandled : trPass;
  };
  TrackModal(loop);
  g_signal_handler_disconnect(dialog, handler);
  return response;
}

// "text|pattern;pattern|text|pattern" as GTK filters, in order.
void AddFilters(GtkFileChooser* chooser, const AnsiString& filter, Integer index)
{
  std::vector<AnsiString> parts;
  std::size_t start = 0;
  for (;;) {
    std::size_t bar = filter.find('|', start);
    parts.push_back(filter.substr(start, bar == AnsiString::npos ? AnsiString::npos : bar - start));
    if (bar == AnsiString::npos)
      break;
    start = bar + 1;
  }
  Integer n = 0;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    GtkFileFilter* f = gtk_file_filter_new();
    gtk_file_filter_set_name(f, Utf8(parts[i]).c_str());
    const AnsiString& patterns = parts[i + 1];
    std::size_t p = 0;
    for (;;) {
      std::size_t semi = patterns.find(';', p);
      AnsiString one = patterns.substr(p, semi == AnsiString::npos ? AnsiString::npos : semi - p);
      if (!one.empty())
        gtk_file_filter_add_pattern(f, Utf8(one == "*.*" ? AnsiString("*") : one).c_str());
      if (semi == AnsiString::npos)
        break;
      p = semi + 1;
    }
    gtk_file_chooser_add_filter(chooser, f);
    if (++n == index)
      gtk_file_chooser_set_filter(chooser, f);
  }
}

Integer FilterIndexOf(GtkFileChooser* chooser)
{
  GtkFileFilter* current = gtk_file_chooser_get_filter(chooser);
  GSList* all = gtk_file_chooser_list_filters(chooser);
  Integer index = 1, found = 1;
  for (GSList* l = all; l; l = l->next, ++index)
    if (l->data == current)
      found = index;
  g_slist_free(all);
  return found;
}

bool RunFileChooser(TDialogRequest& r)
{
  GtkFileChooserAction action = r.Kind == dkSave     ? GTK_FILE_CHOOSER_ACTION_SAVE
                                : r.Kind == dkFolder ? GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER
                                                     : GTK_FILE_CHOOSER_ACTION_OPEN;
  const char* accept = r.Kind == dkSave ? "保存(_S)" : r.Kind == dkFolder ? "选择(_S)" : "打开(_O)";
  AnsiString title = !r.Title.empty()     ? r.Title
                     : r.Kind == dkSave   ? AnsiString("另存为")
                     : r.Kind == dkFolder ? AnsiString("选择文件夹")
                                          : AnsiString("打开");
  GtkWidget* dialog = gtk_file_chooser_dialog_new(
      Utf8(title).c_str(), nullptr, action, Utf8("取消(_C)").c_str(), GTK_RESPONSE_CANCEL,
      Utf8(accept).c_str(), GTK_RESPONSE_ACCEPT, nullptr);
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  gtk_file_chooser_set_local_only(chooser, TRUE);
  gtk_file_chooser_set_select_multiple(chooser, r.MultiSelect);
  // The overwrite question is the save dialog's own, after the default extension.
  gtk_file_chooser_set_do_overwrite_confirmation(chooser, FALSE);
  if (r.Kind != dkFolder)
    AddFilters(chooser, r.Filter, r.FilterIndex);
  AnsiString dir = !r.FileName.empty() && !ExtractFilePath(r.FileName).empty()
                       ? ExtractFilePath(r.FileName)
                       : r.InitialDir;
  if (!dir.empty())
    gtk_file_chooser_set_current_folder(chooser, Utf8(dir).c_str());
  if (!r.FileName.empty()) {
    if (r.Kind == dkSave)
      gtk_file_chooser_set_current_name(chooser, Utf8(ExtractFileName(r.FileName)).c_str());
    else if (FileExists(r.FileName))
      gtk_file_chooser_set_filename(chooser, Utf8(r.FileName).c_str());
  }
  bool accepted = RunModal(dialog) == GTK_RESPONSE_ACCEPT;
  if (accepted) {
    r.Files.clear();
    GSList* names = gtk_file_chooser_get_filenames(chooser);
    for (GSList* l = names; l; l = l->next) {
      r.Files.push_back(Gbk(static_cast<const char*>(l->data)));
      g_free(l->data);
    }
    g_slist_free(names);
    accepted = !r.Files.empty();
    if (accepted)
      r.FileName = r.Files.front();
    if (r.Kind != dkFolder)
      r.FilterIndex = FilterIndexOf(chooser);
  }
  gtk_widget_destroy(dialog);
  return accepted;
}

bool RunColorChooser(TDialogRequest& r)
{
  GtkWidget* dialog =
      gtk_color_chooser_dialog_new(Utf8(r.Title.empty() ? "颜色" : r.Title).c_str(), nullptr);
  GtkColorChooser* chooser = GTK_COLOR_CHOOSER(dialog);
  gtk_color_chooser_set_use_alpha(chooser, FALSE);
  Integer rgb = ColorToRGB(r.Color);
  GdkRGBA c{(rgb & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, ((rgb >> 16) & 0xFF) / 255.0, 1.0};
  gtk_color_chooser_set_rgba(chooser, &c);
  if (r.FullOpen)
    g_object_set(dialog, "show-editor", TRUE, nullptr);
  bool accepted = RunModal(dialog) == GTK_RESPONSE_OK;
  if (accepted) {
    gtk_color_chooser_get_rgba(chooser, &c);
    auto channel = [](double v) { return static_cast<Integer>(std::lround(v * 255.0)) & 0xFF; };
    r.Color =
        static_cast<TColor>(channel(c.red) | (channel(c.green) << 8) | (channel(c.blue) << 16));
  }
  gtk_widget_destroy(dialog);
  return accepted;
}

bool RunFontChooser(TDialogRequest& r)
{
  GtkWidget* dialog =
      gtk_font_chooser_dialog_new(Utf8(r.Title.empty() ? "字体" : r.Title).c_str(), nullptr);
  GtkFontChooser* chooser = GTK_FONT_CHOOSER(dialog);
  PangoFontDescription* desc = pango_font_description_new();
  pango_font_description_set_family(desc, Utf8(r.FontName).c_str());
  pango_font_description_set_size(desc, std::max<Integer>(r.FontSize, 1) * PANGO_SCALE);
  pango_font_description_set_weight(desc, r.FontStyle.Contains(fsBold) ? PANGO_WEIGHT_BOLD
                                                                       : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(desc, r.FontStyle.Contains(fsItalic) ? PANGO_STYLE_ITALIC
                                                                        : PANGO_STYLE_NORMAL);
  gtk_font_chooser_set_font_desc(chooser, desc);
  pango_font_description_free(desc);
  bool accepted = RunModal(dialog) == GTK_RESPONSE_OK;
  if (accepted) {
    PangoFontDescription* chosen = gtk_font_chooser_get_font_desc(chooser);
    if (chosen) {
      r.FontName = Gbk(pango_font_description_get_family(chosen));
      r.FontSize = pango_font_description_get_size(chosen) / PANGO_SCALE;
      // Underline and strike-out are not the chooser's; they stay as they were.
      TFontStyles style = r.FontStyle;
      style.Exclude(fsBold);
      style.Exclude(fsItalic);
      if (pango_font_description_get_weight(chosen) >= PANGO_WEIGHT_BOLD)
        style.Include(fsBold);
      if (pango_font_description_get_style(chosen) != PANGO_STYLE_NORMAL)
        style.Include(fsItalic);
      r.FontStyle = style;
      pango_font_description_free(chosen);
    }
  }
  gtk_widget_destroy(dialog);
  return accepted;
}

class TGtkDialogService : public TDialogService {
public:
  bool Execute(TDialogRequest& r) override
  {
    switch (r.Kind) {
    case dkOpen:
    case dkSave:
    case dkFolder:
      return RunFileChooser(r);
    case dkColor:
      return RunColorChooser(r);
    case dkFont:
      return RunFontChooser(r);
    case dkPrint:
      return RunPrintForm(r);
    case dkPrinterSetup:
      break;
    }
    throw Exception("The " + r.ClassName + " has no native dialog on this desktop");
  }
};

} // namespace

TDialogService* GtkDialogService()
{
  static TGtkDialogService service;
  return &service;
}

void InstallGtkDialogService()
{
  SetDialogService(GtkDialogService());
}
