// The shell's roles recorded, for logic tests: each role records what the player asked of
// it; RecordingShell is all of them, handed to a player as its Shell.
#pragma once

#include <map>
#include <vector>

#include "shell.h"

namespace lirra::testing {

class RecordingCaptions : public Captions {
 public:
  void SetCaption(ControlId c, const QString& text) override { captions[c] = text; }
  void SetHint(ControlId c, const QString& text) override { hints[c] = text; }
  void SetFont(ControlId c, const FontSpec& font) override { fonts[c] = font; }
  void SetWindowTitle(const QString& title) override { windowTitle = title; }
  void SetProgress(int r, int p) override {
    range = r;
    position = p;
  }

  std::map<ControlId, QString> captions;
  std::map<ControlId, QString> hints;
  std::map<ControlId, FontSpec> fonts;
  QString windowTitle;
  int range = -1, position = -1;
};

class RecordingListViews : public ListViews {
 public:
  void TrackListChanged(const TrackList& list) override { shownEntries = list.size(); }
  void ScrollTrackIntoView(int row) override { scrolledTo = row; }
  void LibraryChanged(const PlaylistLibrary& library) override { libraryRows = library.size(); }
  void SetTrackListVisible(bool visible) override { trackListVisible = visible; }
  void SetLibraryPanelVisible(bool visible) override { libraryPanelVisible = visible; }
  ListFocus FocusedList() override { return focus; }
  void FocusList(ListFocus view) override { focus = view; }
  void SetEditShortcuts(bool on) override { editShortcuts = on; }

  int shownEntries = 0;
  int scrolledTo = -1;
  int libraryRows = 0;
  bool trackListVisible = false;
  bool libraryPanelVisible = false;
  ListFocus focus = ListFocus::None;
  bool editShortcuts = true;
};

class RecordingFrame : public WindowFrame {
 public:
  void CloseMainWindow() override { ++closeRequests; }
  void BringToFront() override {}
  void SetAlphaBlend(bool on) override { alphaBlend = on; }
  void SetTopmost(bool on) override { topmost = on; }
  uintptr_t WindowId() override { return 0x1234; }
  uintptr_t VideoWindowId() override { return 0x5678; }
  QRect WorkArea() override { return {0, 0, 1280, 770}; }

  int closeRequests = 0;
  bool alphaBlend = false;
  bool topmost = false;
};

class RecordingDialogs : public Dialogs {
 public:
  struct Message {
    QString text, caption;
  };
  void ShowMessage(const QString& text, const QString& caption) override { messages.push_back({text, caption}); }
  std::optional<QStringList> ChooseFilesToOpen(const QString&, const QString& dir) override {
    dialogDirs.push_back(dir);
    return filesToOpen;
  }
  void ShowAddFolderDialog() override {
    ++folderDialogs;
    if (onFolderDialog) onFolderDialog();
  }

  std::vector<Message> messages;
  std::optional<QStringList> filesToOpen;  // what the open dialog answers
  std::vector<QString> dialogDirs;
  int folderDialogs = 0;
  std::function<void()> onFolderDialog;
};

class RecordingTimers : public Timers {
 public:
  void SetTimer(TimerId timer, bool on) override {
    if (timer == TimerId::Timer1) timer1 = on;
  }
  void RunWhileResponsive(const std::function<void()>& work) override {
    ++responsiveRuns;
    work();
    if (whileResponsive) whileResponsive();  // what the user does while the open waits
  }

  bool timer1 = false;
  int responsiveRuns = 0;
  std::function<void()> whileResponsive;
};

class RecordingShell : public RecordingCaptions,
                       public RecordingListViews,
                       public RecordingFrame,
                       public RecordingDialogs,
                       public RecordingTimers {
 public:
  operator Shell() { return {*this, *this, *this, *this, *this}; }
};

}  // namespace lirra::testing
