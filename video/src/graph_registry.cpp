#include "graph_registry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QProcess>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "host_window.h"

namespace orvana {

namespace {

std::mutex g_tableLock;
std::map<uint32_t, std::string> g_table;  // cookie → the graph's Graphviz file
uint32_t g_lastCookie = 0;

std::string GraphFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string base = runtime && *runtime ? std::string(runtime) + "/orvana"
                                               : "/tmp/orvana-" + std::to_string(getuid());
  mkdir(base.c_str(), 0700);
  return base + "/";
}

// Whole or not at all: the viewer may read it at any moment.
bool WriteWhole(const std::string& path, const gchar* text) {
  const std::string part = path + ".part";
  FILE* f = std::fopen(part.c_str(), "we");
  if (!f) return false;
  const size_t size = std::strlen(text);
  const bool written = std::fwrite(text, 1, size, f) == size;
  if (std::fclose(f) != 0 || !written || std::rename(part.c_str(), path.c_str()) != 0) {
    std::remove(part.c_str());
    return false;
  }
  return true;
}

}  // namespace

uint32_t RegisterGraph(GstElement* pipeline) {
  if (!pipeline || !GST_IS_BIN(pipeline)) return 0;
  char name[64];
  std::snprintf(name, sizeof name, "FilterGraph %p pid %x", static_cast<void*>(pipeline),
                static_cast<unsigned>(getpid()));
  const std::string path = GraphFolder() + name + ".dot";
  gchar* dot = gst_debug_bin_to_dot_data(GST_BIN(pipeline), GST_DEBUG_GRAPH_SHOW_ALL);
  const bool written = dot && WriteWhole(path, dot);
  g_free(dot);
  if (!written) return 0;
  std::lock_guard<std::mutex> hold(g_tableLock);
  if (++g_lastCookie == 0) ++g_lastCookie;  // 0 is "not listed"
  g_table[g_lastCookie] = path;
  return g_lastCookie;
}

void RevokeGraph(uint32_t cookie) {
  std::lock_guard<std::mutex> hold(g_tableLock);
  const auto it = g_table.find(cookie);
  if (it == g_table.end()) return;
  std::remove(it->second.c_str());
  g_table.erase(it);
}

std::vector<std::string> RegisteredGraphFiles() {
  std::lock_guard<std::mutex> hold(g_tableLock);
  std::vector<std::string> files;
  for (const auto& [cookie, path] : g_table) files.push_back(path);
  return files;
}

int32_t OpenInGraphViewer(const char* file, uintptr_t owner, const MessageTable& messages) {
  const QString viewer = qEnvironmentVariableIsEmpty("ORVANA_GRAPH_VIEWER") ? QStringLiteral("xdot")
                                                                            : qEnvironmentVariable("ORVANA_GRAPH_VIEWER");
  if (QProcess::startDetached(viewer, {QString::fromUtf8(file ? file : "")})) return 42;
  ShowMessageBox(owner, messages.text(Message::GraphEditMissing), messages.text(Message::ErrorCaption), BoxIcon::Error);
  return 2;
}

}  // namespace orvana
