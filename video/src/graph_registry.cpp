#include "graph_registry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QProcess>
#include <QSaveFile>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>

#include "host_window.h"

namespace orvana {

namespace {

// A listed graph. Its file is written once the host's thread is idle (a few ms of text for
// a playing graph that the load need not wait for); until then it holds the pipeline.
struct Entry {
  std::string path;
  GstElement* pipeline = nullptr;
  guint pending = 0;
};
std::mutex g_tableLock;
std::map<uint32_t, Entry> g_table;  // by cookie
uint32_t g_lastCookie = 0;

std::string GraphFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string base = runtime && *runtime ? std::string(runtime) + "/orvana"
                                               : "/tmp/orvana-" + std::to_string(getuid());
  mkdir(base.c_str(), 0700);
  return base + "/";
}

// Whole or not at all: the viewer may read it at any moment.
void WriteWhole(const std::string& path, const gchar* text) {
  QSaveFile out(QString::fromStdString(path));
  if (out.open(QIODevice::WriteOnly)) {
    out.write(text);
    out.commit();
  }
}

gboolean WritePendingGraph(gpointer cookie) {
  std::lock_guard<std::mutex> hold(g_tableLock);
  const auto it = g_table.find(GPOINTER_TO_UINT(cookie));
  if (it == g_table.end()) return G_SOURCE_REMOVE;
  Entry& entry = it->second;
  gchar* dot = gst_debug_bin_to_dot_data(GST_BIN(entry.pipeline), GST_DEBUG_GRAPH_SHOW_ALL);
  if (dot) WriteWhole(entry.path, dot);
  g_free(dot);
  gst_object_unref(entry.pipeline);
  entry.pipeline = nullptr;
  entry.pending = 0;
  return G_SOURCE_REMOVE;
}

}  // namespace

uint32_t RegisterGraph(GstElement* pipeline) {
  if (!pipeline || !GST_IS_BIN(pipeline)) return 0;
  char name[64];
  std::snprintf(name, sizeof name, "FilterGraph %p pid %x", static_cast<void*>(pipeline),
                static_cast<unsigned>(getpid()));
  std::lock_guard<std::mutex> hold(g_tableLock);
  if (++g_lastCookie == 0) ++g_lastCookie;  // 0 is "not listed"
  Entry& entry = g_table[g_lastCookie];
  entry.path = GraphFolder() + name + ".dot";
  entry.pipeline = GST_ELEMENT(gst_object_ref(pipeline));
  entry.pending = g_idle_add_full(G_PRIORITY_LOW, WritePendingGraph, GUINT_TO_POINTER(g_lastCookie), nullptr);
  return g_lastCookie;
}

void RevokeGraph(uint32_t cookie) {
  std::lock_guard<std::mutex> hold(g_tableLock);
  const auto it = g_table.find(cookie);
  if (it == g_table.end()) return;
  if (it->second.pending) g_source_remove(it->second.pending);
  if (it->second.pipeline) gst_object_unref(it->second.pipeline);
  std::remove(it->second.path.c_str());
  g_table.erase(it);
}

int32_t OpenInGraphViewer(const char* file, uintptr_t owner, const MessageTable& messages) {
  const QString viewer = qEnvironmentVariableIsEmpty("ORVANA_GRAPH_VIEWER") ? QStringLiteral("xdot")
                                                                            : qEnvironmentVariable("ORVANA_GRAPH_VIEWER");
  if (QProcess::startDetached(viewer, {QString::fromUtf8(file ? file : "")})) return 42;
  ShowMessageBox(owner, messages.text(Message::GraphEditMissing), messages.text(Message::ErrorCaption), BoxIcon::Error);
  return 2;
}

}  // namespace orvana
