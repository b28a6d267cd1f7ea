#include "controls.h"

#include <QLabel>

#include "cursors.h"
#include "gauge.h"
#include "shell_label.h"
#include "strip_button.h"

namespace lirra {

namespace {

const QColor kPanelColor(Qt::black);

void Fill(QWidget* w, const QColor& color) {
  QPalette pal = w->palette();
  pal.setColor(QPalette::Window, color);
  w->setPalette(pal);
  w->setAutoFillBackground(true);
}

QWidget* MakeControl(const ControlSpec& entry, QWidget* parent) {
  QWidget* w = nullptr;
  switch (entry.kind) {
    case ControlKind::TransparentLabel:
      w = new ShellLabel(parent);
      break;
    case ControlKind::Label: {
      // Captions hang from the strip's top row so their descenders stay above the
      // central area.
      auto* label = new ShellLabel(parent);
      if (entry.id == ControlId::lbTime)
        label->setAlignment(Qt::AlignRight | Qt::AlignTop);
      else if (entry.id == ControlId::lbNext || entry.id == ControlId::lbPower)
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
      else
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      w = label;
      break;
    }
    case ControlKind::Gauge:
      w = new Gauge(parent);
      break;
    case ControlKind::Panel: {
      // The visual area takes clicks; the video panel is a native window for the video
      // library to draw into.
      const bool clickable = entry.id == ControlId::VisPanel || entry.id == ControlId::VdoPanel;
      QWidget* panel = clickable ? new ShellLabel(parent) : new QWidget(parent);
      if (entry.id != ControlId::MListPanel) Fill(panel, kPanelColor);
      w = panel;
      break;
    }
    case ControlKind::FlatButton: {
      // sbAdd's glyph is the accent lines over it.
      using G = StripButton::Glyph;
      const G glyph = entry.id == ControlId::sbAddFld   ? G::Folder
                      : entry.id == ControlId::sbRandom  ? G::Shuffle
                      : entry.id == ControlId::sbNewlist ? G::List
                                                         : G::None;
      w = new StripButton(glyph, parent);
      break;
    }
    case ControlKind::AccentLine:
      w = new QLabel(parent);
      w->setAutoFillBackground(true);
      break;
  }
  w->setObjectName(QString::fromLatin1(entry.name.data(), static_cast<qsizetype>(entry.name.size())));
  w->setVisible(entry.visibleAtStart);
  return w;
}

}  // namespace

Controls BuildControls(QWidget* window) {
  Controls controls{};
  for (const ControlSpec& entry : ControlTable())
    controls[static_cast<int>(entry.id)] = MakeControl(entry, window);
  const auto control = [&](ControlId id) { return controls[static_cast<int>(id)]; };

  // Labels lie beneath the panels and buttons; the video panel beneath the other panels.
  // The title lies over the strip's hover areas, so that the pointer and clicks on the
  // lyric line reach it.
  for (ControlId id : {ControlId::lbTitle, ControlId::VdoPanel, ControlId::VisPanel, ControlId::MListPanel,
                       ControlId::sbAdd, ControlId::sbAddFld, ControlId::sbRandom,
                       ControlId::sbNewlist, ControlId::lbAddG1, ControlId::lbAddG2,
                       ControlId::lbAddG3, ControlId::lbAddG4, ControlId::lbAddG5,
                       ControlId::lbAddG6})
    control(id)->raise();

  const QCursor link = LinkCursor(), move = MoveCursor();
  for (ControlId id : {ControlId::lbMove, ControlId::lbSkinName, ControlId::sbAdd, ControlId::sbAddFld,
                       ControlId::sbRandom, ControlId::sbNewlist})
    control(id)->setCursor(move);
  for (ControlId id : {ControlId::lbTitle, ControlId::lbNext, ControlId::lbPower, ControlId::lbTmp1,
                       ControlId::lbTmp2})
    control(id)->setCursor(link);
  control(ControlId::lbResiz7a)->setCursor(Qt::SizeBDiagCursor);
  control(ControlId::lbResiz8a)->setCursor(Qt::SizeFDiagCursor);
  return controls;
}

}  // namespace lirra
