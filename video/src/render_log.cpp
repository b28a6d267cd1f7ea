#include "render_log.h"

#include <gst/gst.h>

#include <cstdio>
#include <mutex>

#include "utilities.h"

namespace orvana {

namespace {

std::mutex g_logLock;  // the log is written from the streaming threads too
FILE* g_log = nullptr;
GstDebugLevel g_thresholdBefore = GST_LEVEL_NONE;
bool g_wasActive = false;
bool g_removedDefault = false;  // the usual output to standard error was taken off meanwhile

void WriteLogLine(GstDebugCategory* category, GstDebugLevel level, const gchar* file, const gchar* function,
                  gint line, GObject* object, GstDebugMessage* message, gpointer) {
  if (level > gst_debug_category_get_threshold(category)) return;
  gchar* text = gst_debug_log_get_line(category, level, file, function, line, object, message);
  {
    std::lock_guard<std::mutex> hold(g_logLock);
    if (g_log) std::fputs(text, g_log);
  }
  g_free(text);
}

}  // namespace

std::string RenderLogPath() { return HostFolder() + "rlog.txt"; }

void StartRenderLog() {
  StopRenderLog();
  const std::string path = RenderLogPath();
  std::remove(path.c_str());
  FILE* log = std::fopen(path.c_str(), "ae");
  if (!log) return;
  {
    std::lock_guard<std::mutex> hold(g_logLock);
    g_log = log;
  }
  // What the pipeline decides while it is built: GStreamer's information level. Its usual
  // output to standard error is left as the user set it.
  g_wasActive = gst_debug_is_active();
  g_thresholdBefore = gst_debug_get_default_threshold();
  g_removedDefault = !g_wasActive && gst_debug_remove_log_function(gst_debug_log_default) > 0;
  gst_debug_add_log_function(WriteLogLine, nullptr, nullptr);
  if (g_thresholdBefore < GST_LEVEL_INFO) gst_debug_set_default_threshold(GST_LEVEL_INFO);
  gst_debug_set_active(TRUE);
}

void StopRenderLog() {
  FILE* log = nullptr;
  {
    std::lock_guard<std::mutex> hold(g_logLock);
    std::swap(log, g_log);
  }
  if (!log) return;
  gst_debug_remove_log_function(WriteLogLine);
  gst_debug_set_default_threshold(g_thresholdBefore);
  gst_debug_set_active(g_wasActive);
  if (g_removedDefault) gst_debug_add_log_function(gst_debug_log_default, nullptr, nullptr);
  std::fclose(log);
}

}  // namespace orvana
