// A Shell that records what the player asked of the window, for logic tests.
#pragma once

#include <map>
#include <vector>

#include "shell.h"

namespace lirra::testing {

class RecordingShell : public Shell {
 public:
  struct Message {
    QString text, caption;
  };

  void SetCaption(ControlId c, const QString& text) override { captions[c] = text; }
  void SetHint(ControlId c, const QString& text) override { hints[c] = text; }
  void SetFont(ControlId c, const FontSpec& font) override { fonts[c] = font; }
  void SetWindowTitle(const QString& title) override { windowTitle = title; }
  void CloseMainWindow() override { ++closeRequests; }
  void ShowMessage(const QString& text, const QString& caption) override {
    messages.push_back({text, caption});
  }
  void BringToFront() override {}
  void TrackListChanged(const TrackList& list) override { shownEntries = list.size(); }
  void ScrollTrackIntoView(int row) override { scrolledTo = row; }
  void LibraryChanged(const PlaylistLibrary& library) override { libraryRows = library.size(); }
  void SetTrackListVisible(bool visible) override { trackListVisible = visible; }
  void SetLibraryPanelVisible(bool visible) override { libraryPanelVisible = visible; }
  ListFocus FocusedList() override { return focus; }
  void FocusList(ListFocus view) override { focus = view; }
  void SetEditShortcuts(bool on) override { editShortcuts = on; }
  void SetAlphaBlend(bool on) override { alphaBlend = on; }
  void SetTopmost(bool on) override { topmost = on; }
  std::optional<QStringList> ChooseFilesToOpen(const QString&, const QString& dir) override {
    dialogDirs.push_back(dir);
    return filesToOpen;
  }
  void ShowAddFolderDialog() override {
    ++folderDialogs;
    if (onFolderDialog) onFolderDialog();
  }
  void SetProgress(int r, int p) override {
    range = r;
    position = p;
  }
  void SetTimer1(bool on) override { timer1 = on; }
  uintptr_t WindowId() override { return 0x1234; }
  uintptr_t VideoWindowId() override { return 0x5678; }
  QRect WorkArea() override { return {0, 0, 1280, 770}; }
  void RunWhileResponsive(const std::function<void()>& work) override {
    ++responsiveRuns;
    work();
    if (whileResponsive) whileResponsive();  // what the user does while the open waits
  }

  std::map<ControlId, QString> captions;
  std::map<ControlId, QString> hints;
  std::map<ControlId, FontSpec> fonts;
  std::vector<Message> messages;
  QString windowTitle;
  int closeRequests = 0;
  int shownEntries = 0;
  int range = -1, position = -1;
  bool timer1 = false;
  int responsiveRuns = 0;
  int scrolledTo = -1;
  int libraryRows = 0;
  bool trackListVisible = false;
  bool libraryPanelVisible = false;
  ListFocus focus = ListFocus::None;
  bool editShortcuts = true;
  bool alphaBlend = false;
  bool topmost = false;
  std::optional<QStringList> filesToOpen;  // what the open dialog answers
  std::vector<QString> dialogDirs;
  int folderDialogs = 0;
  std::function<void()> onFolderDialog;
  std::function<void()> whileResponsive;
};

}  // namespace lirra::testing
