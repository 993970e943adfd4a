// The native choosers of the GTK dialog service on a virtual display: the open dialog shows
// the desktop's file chooser with our title and filters, and cancelling it gives false
// and leaves the dialog's file name alone.
#include "platform/ui/backend/gtk/GtkDialogs.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "platform/rtl/Codec.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/backend/gtk/GtkBackend.h"

namespace {

struct TSeen {
  std::string Title;
  bool FileChooser = false;
  gint Filters = 0;
  std::string FilterName;
  int Polls = 0;
};

// Looks for the chooser among the toplevels and answers it with Cancel once it is mapped.
gboolean CancelChooser(gpointer data)
{
  auto* seen = static_cast<TSeen*>(data);
  if (++seen->Polls > 500)
    return G_SOURCE_REMOVE; // 5 s: the test fails on what it saw
  GList* tops = gtk_window_list_toplevels();
  bool done = false;
  for (GList* l = tops; l && !done; l = l->next) {
    GtkWidget* w = GTK_WIDGET(l->data);
    if (!GTK_IS_FILE_CHOOSER_DIALOG(w) || !gtk_widget_get_mapped(w))
      continue;
    seen->FileChooser = true;
    seen->Title = gtk_window_get_title(GTK_WINDOW(w));
    GSList* filters = gtk_file_chooser_list_filters(GTK_FILE_CHOOSER(w));
    seen->Filters = static_cast<gint>(g_slist_length(filters));
    g_slist_free(filters);
    if (GtkFileFilter* current = gtk_file_chooser_get_filter(GTK_FILE_CHOOSER(w)))
      seen->FilterName = gtk_file_filter_get_name(current);
    gtk_dialog_response(GTK_DIALOG(w), GTK_RESPONSE_CANCEL);
    done = true;
  }
  g_list_free(tops);
  return done ? G_SOURCE_REMOVE : G_SOURCE_CONTINUE;
}

} // namespace

TEST(GtkDialogs, TheNativeFileChooserOpensAndIsCancelled)
{
  ASSERT_TRUE(InstallGtkBackend()) << "no display (run under xvfb-run)";
  EXPECT_EQ(DialogService(), GtkDialogService()) << "the backend installs its choosers";
  TOpenDialog dlg(nullptr);
  dlg.SetTitle("打开运单模板");
  dlg.SetFilter("运单模板 (*.qhw)|*.qhw|所有文件 (*.*)|*.*");
  dlg.SetFilterIndex(2);
  dlg.SetFileName("/tmp/旧模板.qhw");
  TSeen seen;
  g_timeout_add(10, &CancelChooser, &seen);
  EXPECT_FALSE(dlg.Execute());
  EXPECT_TRUE(seen.FileChooser) << "no native file chooser was shown";
  EXPECT_EQ(seen.Title, GbkToUtf8("打开运单模板"));
  EXPECT_EQ(seen.Filters, 2);
  EXPECT_EQ(seen.FilterName, GbkToUtf8("所有文件 (*.*)"));
  EXPECT_EQ(dlg.FileName(), "/tmp/旧模板.qhw");
}
