#include "render_log.h"

#include <gst/gst.h>

#include <cstdio>
#include <mutex>
#include <unordered_map>

#include "utilities.h"

namespace orvana {

namespace {

std::mutex g_logLock;  // the log is written from the streaming threads too
FILE* g_log = nullptr;
GstDebugLevel g_thresholdBefore = GST_LEVEL_NONE;
bool g_wasActive = false;
bool g_hadDefault = false;  // the usual output to standard error was on, and is wrapped meanwhile
// Each category's level before the log started (g_logLock): restored exactly, and what the
// usual output still prints meanwhile.
std::unordered_map<GstDebugCategory*, GstDebugLevel> g_levelsBefore;

GstDebugLevel LevelBefore(GstDebugCategory* category) {
  const auto found = g_levelsBefore.find(category);
  return found == g_levelsBefore.end() ? g_thresholdBefore : found->second;
}

void WriteLogLine(GstDebugCategory* category, GstDebugLevel level, const gchar* file, const gchar* function,
                  gint line, GObject* object, GstDebugMessage* message, gpointer) {
  if (level > gst_debug_category_get_threshold(category)) return;
  bool usual = false;
  {
    std::lock_guard<std::mutex> hold(g_logLock);
    if (g_log) {
      gchar* text = gst_debug_log_get_line(category, level, file, function, line, object, message);
      std::fputs(text, g_log);
      g_free(text);
    }
    usual = g_hadDefault && g_wasActive && level <= LevelBefore(category);
  }
  // The user's own GST_DEBUG output goes on exactly as it was set.
  if (usual) gst_debug_log_default(category, level, file, function, line, object, message, nullptr);
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
  // output to standard error stays as the user set it (this log's function passes it on).
  g_wasActive = gst_debug_is_active();
  g_thresholdBefore = gst_debug_get_default_threshold();
  {
    std::lock_guard<std::mutex> hold(g_logLock);
    g_levelsBefore.clear();
    GSList* categories = gst_debug_get_all_categories();
    for (GSList* c = categories; c; c = c->next) {
      auto* category = static_cast<GstDebugCategory*>(c->data);
      g_levelsBefore[category] = gst_debug_category_get_threshold(category);
    }
    g_slist_free(categories);
    g_hadDefault = gst_debug_remove_log_function(gst_debug_log_default) > 0;
  }
  gst_debug_add_log_function(WriteLogLine, nullptr, nullptr);
  if (g_thresholdBefore < GST_LEVEL_INFO) gst_debug_set_default_threshold(GST_LEVEL_INFO);
  for (const auto& [category, level] : g_levelsBefore)
    if (level < GST_LEVEL_INFO) gst_debug_category_set_threshold(category, GST_LEVEL_INFO);
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
  for (const auto& [category, level] : g_levelsBefore) gst_debug_category_set_threshold(category, level);
  gst_debug_set_active(g_wasActive);
  if (g_hadDefault) gst_debug_add_log_function(gst_debug_log_default, nullptr, nullptr);
  std::fclose(log);
}

}  // namespace orvana
