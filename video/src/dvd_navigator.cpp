#include "dvd_navigator.h"

#include <gst/base/gstbasesrc.h>
#include <gst/video/navigation.h>

namespace orvana {

namespace {

constexpr guint kStepIntervalMs = 200;
constexpr guint kStallCheckMs = 600;  // twice: the time must have run between the two looks
constexpr GstClockTime kCommandEnd = 2 * GST_SECOND;

GstFormat DvdFormat(const char* nick) { return gst_format_get_by_nick(nick); }

// The angle shown and how many the title has; false when the reader cannot tell.
bool QueryAngles(GstElement* source, guint* now, guint* count) {
  GstQuery* query = gst_navigation_query_new_angles();
  const bool known = gst_element_query(source, query) && gst_navigation_query_parse_angles(query, now, count);
  gst_query_unref(query);
  return known;
}

}  // namespace

GstElement* DvdNavigator::Source() const {
  GstElement* bin = nullptr;
  g_object_get(pipeline_, "source", &bin, nullptr);
  if (!bin) return nullptr;
  // The disc reader is the one source element inside the DVD bin.
  GstElement* found = nullptr;
  if (GST_IS_BIN(bin)) {
    GstIterator* elements = gst_bin_iterate_recurse(GST_BIN(bin));
    GValue item = G_VALUE_INIT;
    while (!found && gst_iterator_next(elements, &item) == GST_ITERATOR_OK) {
      auto* element = GST_ELEMENT(g_value_get_object(&item));
      if (GST_IS_BASE_SRC(element)) found = GST_ELEMENT(gst_object_ref(element));
      g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(elements);
  }
  gst_object_unref(bin);
  return found;
}

bool DvdNavigator::Send(GstEvent* event) const {
  WaitForEnd();  // a state change or command under way lands first
  return Deliver(event);
}

bool DvdNavigator::Deliver(GstEvent* event) const {
  GstElement* source = Source();
  if (!source) {
    gst_event_unref(event);
    return false;
  }
  bool done = false;
  if (GST_EVENT_TYPE(event) == GST_EVENT_NAVIGATION) {
    // Navigation goes to the reader's pad, where it is carried out before this returns.
    GstPad* pad = gst_element_get_static_pad(source, "src");
    done = pad && gst_pad_send_event(pad, event);
    if (pad) gst_object_unref(pad);
    else gst_event_unref(event);
  } else {
    // Seeks go to the element: through the pad, the reader's own seek handling is taken and
    // can leave it reading the disc at full speed into the queues.
    done = gst_element_send_event(source, event);
  }
  gst_object_unref(source);
  return done;
}

bool DvdNavigator::Command(int command) const {
  return Send(gst_navigation_event_new_command(static_cast<GstNavigationCommand>(command)));
}

bool DvdNavigator::Seek(GstFormat format, int64_t value, double rate) {
  if (!Send(gst_event_new_seek(rate, format, GST_SEEK_FLAG_FLUSH, GST_SEEK_TYPE_SET, value, GST_SEEK_TYPE_NONE, -1)))
    return false;
  WatchProgress();
  return true;
}

// The DVD reader can, rarely and under load, be left waiting as if on a still picture after
// a jump into a title: the picture stands and the time does not run while the graph plays.
void DvdNavigator::WatchProgress() {
  if (watchTimer_) g_source_remove(watchTimer_);
  watchFromMs_ = -1;
  watchTimer_ = g_timeout_add(kStallCheckMs, &DvdNavigator::CheckProgress, this);
}

gboolean DvdNavigator::CheckProgress(gpointer data) {
  auto* self = static_cast<DvdNavigator*>(data);
  GstState state = GST_STATE_VOID_PENDING, pending = GST_STATE_VOID_PENDING;
  gst_element_get_state(self->pipeline_, &state, &pending, 0);
  const DvdPlace now = self->Place();
  const bool playingTitle = state == GST_STATE_PLAYING && pending == GST_STATE_VOID_PENDING && now.InTitle() &&
                            !self->stepTimer_ && self->speed_ > 0;
  if (!playingTitle) {
    self->watchTimer_ = 0;
    return G_SOURCE_REMOVE;
  }
  // The first look notes where the disc is; the second reads it again if it stayed there.
  const bool firstLook = self->watchFromMs_ < 0;
  const bool stayed = !firstLook && now.positionMs == self->watchFromMs_;
  self->watchFromMs_ = now.positionMs;
  if (firstLook) return G_SOURCE_CONTINUE;
  self->watchTimer_ = 0;
  if (stayed)
    self->Send(gst_event_new_seek(self->speed_, GST_FORMAT_TIME, GST_SEEK_FLAG_FLUSH, GST_SEEK_TYPE_SET,
                                  now.positionMs * GST_MSECOND, GST_SEEK_TYPE_NONE, -1));
  return G_SOURCE_REMOVE;
}

DvdPlace DvdNavigator::Place() const {
  DvdPlace place;
  GstElement* source = Source();
  if (!source) return place;
  gint64 value = -1;
  if (gst_element_query_position(source, DvdFormat("title"), &value)) place.title = static_cast<int32_t>(value);
  if (gst_element_query_position(source, DvdFormat("chapter"), &value)) place.chapter = static_cast<int32_t>(value);
  guint angle = 1, count = 1;
  if (QueryAngles(source, &angle, &count)) place.angle = static_cast<int32_t>(angle);
  gst_object_unref(source);
  if (gst_element_query_position(pipeline_, GST_FORMAT_TIME, &value) && value >= 0)
    place.positionMs = value / GST_MSECOND;
  return place;
}

bool DvdNavigator::ShowMenu(int32_t menu) {
  const auto command = menu == kDvdTitleMenu ? GST_NAVIGATION_COMMAND_DVD_TITLE_MENU : GST_NAVIGATION_COMMAND_DVD_ROOT_MENU;
  StopStepping();
  if (!Command(command)) return false;
  const DvdPlace now = Place();
  return now.InMenu() && now.chapter == menu;
}

bool DvdNavigator::Resume() {
  if (!Place().InMenu()) return false;
  // The menu key in a menu goes back to where the title was left.
  if (!Command(GST_NAVIGATION_COMMAND_DVD_MENU) || !Place().InTitle()) return false;
  WatchProgress();
  return true;
}

int64_t DvdNavigator::Count(const char* unit) const {
  gint64 count = 0;
  GstElement* source = Source();
  if (!source || !gst_element_query_duration(source, DvdFormat(unit), &count)) count = 0;
  if (source) gst_object_unref(source);
  return count;
}

bool DvdNavigator::PlayTitle(int32_t title) {
  // A title the disc does not hold is refused: asked for one, the reader goes on reading
  // without telling what it reads.
  if (title < 1 || title > Count("title")) return false;
  StopStepping();
  // A jump straight out of a menu's still picture can leave the reader waiting on it: the
  // navigator first leaves the menu its own way (back to the title it came from); the seek
  // waits for that command to land, as every command does.
  if (Place().InMenu()) Command(GST_NAVIGATION_COMMAND_DVD_MENU);
  return Seek(DvdFormat("title"), title, speed_);
}

bool DvdNavigator::PlayChapter(int32_t chapter) {
  if (!Place().InTitle() || chapter < 1 || chapter > Count("chapter")) return false;
  StopStepping();
  return Seek(DvdFormat("chapter"), chapter, speed_);
}

bool DvdNavigator::PlayNextChapter() { return PlayChapter(Place().chapter + 1); }
bool DvdNavigator::PlayPrevChapter() { return PlayChapter(Place().chapter - 1); }
bool DvdNavigator::ReplayChapter() { return PlayChapter(Place().chapter); }

bool DvdNavigator::SelectAngle(int32_t angle) {
  // The navigator steps through the angles one at a time.
  for (int step = 0; step <= 9; ++step) {
    GstElement* source = Source();
    if (!source) return false;
    guint now = 0, count = 0;
    const bool known = QueryAngles(source, &now, &count);
    gst_object_unref(source);
    if (!known || angle < 1 || angle > static_cast<int32_t>(count)) return false;
    if (static_cast<int32_t>(now) == angle) return true;
    if (!Command(GST_NAVIGATION_COMMAND_NEXT_ANGLE)) return false;
  }
  return false;
}

bool DvdNavigator::PlayAtTime(int64_t ms) { return SeekTime(ms, speed_); }

bool DvdNavigator::SeekTime(int64_t ms, double speed) {
  // The navigator finds times in the title it has started reading: a command just given
  // is let to arrive first.
  WaitForEnd();
  if (!Place().InTitle()) return false;
  return Seek(GST_FORMAT_TIME, ms * GST_MSECOND, speed);
}

bool DvdNavigator::PlayForwards(double speed) {
  const bool stepping = stepTimer_ != 0;
  StopStepping();
  if (speed == speed_ && !stepping) return true;
  // Menus play at their own pace; in a title the new speed starts at the navigator's entry
  // point at or before where the disc is.
  if (!SeekTime(Place().positionMs, speed)) return false;
  speed_ = speed;
  return true;
}

bool DvdNavigator::PlayBackwards(double speed) {
  if (!(speed > 0)) return false;
  WaitForEnd();
  const DvdPlace now = Place();
  if (!now.InTitle()) return false;
  if (!stepTimer_) {
    if (speed_ != 1.0 && !SeekTime(now.positionMs, 1.0)) return false;
    speed_ = 1.0;
    g_object_set(pipeline_, "mute", TRUE, nullptr);
    stepTimer_ = g_timeout_add(kStepIntervalMs, &DvdNavigator::StepBack, this);
  }
  backSpeed_ = speed;
  backFromMs_ = now.positionMs;
  backSinceUs_ = g_get_monotonic_time();
  return true;
}

// Each step runs on the host's loop and must not hold it: while the last step's picture is
// still on its way the step waits for the next tick instead of for the picture.
gboolean DvdNavigator::StepBack(gpointer data) {
  auto* self = static_cast<DvdNavigator*>(data);
  if (gst_element_get_state(self->pipeline_, nullptr, nullptr, 0) == GST_STATE_CHANGE_ASYNC) return G_SOURCE_CONTINUE;
  const int64_t elapsedMs = (g_get_monotonic_time() - self->backSinceUs_) / 1000;
  const int64_t target = self->backFromMs_ - static_cast<int64_t>(self->backSpeed_ * static_cast<double>(elapsedMs));
  const bool stepped = target > 0 && self->Place().InTitle() &&
                       self->Deliver(gst_event_new_seek(1.0, GST_FORMAT_TIME, GST_SEEK_FLAG_FLUSH, GST_SEEK_TYPE_SET,
                                                        target * GST_MSECOND, GST_SEEK_TYPE_NONE, -1));
  if (!stepped) {
    self->PlayAtTime(0);
    self->stepTimer_ = 0;
    g_object_set(self->pipeline_, "mute", FALSE, nullptr);
    return G_SOURCE_REMOVE;
  }
  return G_SOURCE_CONTINUE;
}

void DvdNavigator::StopStepping() {
  if (!stepTimer_) return;
  g_source_remove(stepTimer_);
  stepTimer_ = 0;
  g_object_set(pipeline_, "mute", FALSE, nullptr);
}

void DvdNavigator::WaitForEnd() const { gst_element_get_state(pipeline_, nullptr, nullptr, kCommandEnd); }

}  // namespace orvana
