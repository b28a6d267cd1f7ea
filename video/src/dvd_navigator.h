// The DVD navigator of a DVD graph: the commands a host gives a disc (menus, titles,
// chapters, angles, rates), sent to playbin's DVD source, and where the disc stands.
// A command answers whether the navigator carried it out.
#pragma once

#include <gst/gst.h>

#include "dvd_place.h"

namespace orvana {

// The speed of the scan commands (fast forwards and backwards).
inline constexpr double kDvdScanSpeed = 8.0;

class DvdNavigator {
 public:
  explicit DvdNavigator(GstElement* pipeline) : pipeline_(pipeline) {}
  // The graph may be gone by now: only the step timer goes.
  ~DvdNavigator() {
    if (stepTimer_) g_source_remove(stepTimer_);
    if (watchTimer_) g_source_remove(watchTimer_);
  }
  DvdNavigator(const DvdNavigator&) = delete;
  DvdNavigator& operator=(const DvdNavigator&) = delete;

  DvdPlace Place() const;
  // The title menu (kDvdTitleMenu) or the root menu (kDvdRootMenu).
  bool ShowMenu(int32_t menu);
  // From a menu back to the title where it was left.
  bool Resume();
  bool PlayTitle(int32_t title);
  bool PlayChapter(int32_t chapter);  // in the current title
  bool PlayNextChapter();
  bool PlayPrevChapter();
  bool ReplayChapter();
  bool SelectAngle(int32_t angle);
  // Into the current title, in ms (to the navigator's nearest entry point at or before it).
  bool PlayAtTime(int64_t ms);
  // Forwards at `speed` from here.
  bool PlayForwards(double speed);
  // Backwards at `speed` from here: the disc is stepped back by time seeks, five times a
  // second, with the sound off; forward play resumes at rate 1 at the title's start.
  bool PlayBackwards(double speed);
  // Until the navigator's last command has shown its first picture (at most two seconds).
  void WaitForEnd() const;

 private:
  GstElement* Source() const;  // the navigator element (a reference), or null
  int64_t Count(const char* unit) const;  // the disc's titles, or the title's chapters; 0 unknown
  bool Send(GstEvent* event) const;     // once the last command has landed
  bool Deliver(GstEvent* event) const;  // at once
  bool Command(int gstNavigationCommand) const;
  bool Seek(GstFormat format, int64_t value, double rate);
  bool SeekTime(int64_t ms, double speed);
  void StopStepping();
  static gboolean StepBack(gpointer self);
  // After a jump the disc must move on; one that stays put is read again from where it is.
  void WatchProgress();
  static gboolean CheckProgress(gpointer self);

  GstElement* pipeline_;  // not owned
  double speed_ = 1.0;    // the forward rate playing now
  guint stepTimer_ = 0;   // backward play's steps; 0 when playing forwards
  double backSpeed_ = 0;
  int64_t backFromMs_ = 0;
  gint64 backSinceUs_ = 0;
  guint watchTimer_ = 0;  // the check after a jump; 0 when none is due
  int64_t watchFromMs_ = -1;
};

}  // namespace orvana
