// A Shell that records what the player asked of the window, for logic tests.
#pragma once

#include <map>

#include "shell.h"

namespace lirra::testing {

class RecordingShell : public Shell {
 public:
  void SetCaption(ControlId c, const QString& text) override { captions[c] = text; }
  void SetHint(ControlId c, const QString& text) override { hints[c] = text; }
  void SetFont(ControlId c, const FontSpec& font) override { fonts[c] = font; }
  void SetWindowTitle(const QString& title) override { windowTitle = title; }
  void CloseMainWindow() override { ++closeRequests; }

  std::map<ControlId, QString> captions;
  std::map<ControlId, QString> hints;
  std::map<ControlId, FontSpec> fonts;
  QString windowTitle;
  int closeRequests = 0;
};

}  // namespace lirra::testing
