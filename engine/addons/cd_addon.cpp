// Plugins/libbasscd.so: audio CD tracks, read with libcdio-paranoia from a drive or from a
// CD image. A track is named "<drive>/TrackNN.cda", where <drive> is a device (/dev/sr0),
// an image (album.cue, album.toc, album.nrg) or a Windows drive letter ("D:"), which means
// the first optical drive.
#include <cdio/cdio.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <string>

#include "bass_addon.h"

namespace {

constexpr DWORD kCdType = 0x10200;
constexpr int kFramesPerSector = CDIO_CD_FRAMESIZE_RAW / 4;  // 588 stereo frames
const BASS_PLUGINFORM kForms[] = {{kCdType, "CD Audio", "*.cda"}};

struct TrackName {
  std::string drive;
  int track = 0;
};

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool Exists(const char* path) {
  struct stat st {};
  return stat(path, &st) == 0;
}

// "<drive>/TrackNN.cda" (or "\" before the name, as lists from Windows have it).
bool ParseTrackName(const std::string& path, TrackName* out) {
  const size_t cut = path.find_last_of("/\\");
  if (cut == std::string::npos) return false;
  const std::string name = Lower(path.substr(cut + 1));
  if (name.size() < 10 || name.rfind("track", 0) != 0 || name.substr(name.size() - 4) != ".cda")
    return false;
  const std::string digits = name.substr(5, name.size() - 9);
  if (digits.empty() || !std::all_of(digits.begin(), digits.end(), ::isdigit)) return false;
  out->track = std::stoi(digits);
  out->drive = path.substr(0, cut);
  if (out->drive.size() == 2 && out->drive[1] == ':')  // a Windows drive letter
    out->drive = Exists("/dev/cdrom") ? "/dev/cdrom" : "/dev/sr0";
  return out->track >= 1 && out->track <= 99;
}

driver_id_t DriverFor(const std::string& drive) {
  const std::string lower = Lower(drive);
  const auto endsWith = [&](const char* ext) {
    return lower.size() > std::strlen(ext) && lower.compare(lower.size() - std::strlen(ext), std::string::npos, ext) == 0;
  };
  if (endsWith(".cue")) return DRIVER_BINCUE;
  if (endsWith(".toc")) return DRIVER_CDRDAO;
  if (endsWith(".nrg")) return DRIVER_NRG;
  return DRIVER_DEVICE;
}

struct CdStream {
  CdIo_t* cdio = nullptr;
  cdrom_drive_t* drive = nullptr;
  cdrom_paranoia_t* paranoia = nullptr;
  lsn_t first = 0, last = 0;
  lsn_t next = 0;        // next sector to read
  int skipFrames = 0;    // frames of the next sector to drop after a seek
  int track = 0;
  std::string tags;

  ~CdStream() {
    if (paranoia) cdio_paranoia_free(paranoia);
    if (drive) cdio_cddap_close_no_free_cdio(drive);
    if (cdio) cdio_destroy(cdio);
  }
};

CdStream* Of(LirraAddonStream* s) { return reinterpret_cast<CdStream*>(s); }

LirraAddonStream* Open(const char* path, int32_t outputRate, int32_t, LirraAddonSourceInfo* info,
                       int32_t* error) {
  TrackName name;
  if (!path || !ParseTrackName(path, &name)) {
    *error = BASS_ERROR_FILEFORM;
    return nullptr;
  }
  if (outputRate != 44100 && outputRate != 0) {  // CD audio is played at its own rate
    *error = BASS_ERROR_FORMAT;
    return nullptr;
  }
  auto stream = std::make_unique<CdStream>();
  stream->cdio = cdio_open(name.drive.c_str(), DriverFor(name.drive));
  if (!stream->cdio) {
    *error = BASS_ERROR_FILEOPEN;
    return nullptr;
  }
  stream->drive = cdio_cddap_identify_cdio(stream->cdio, CDDA_MESSAGE_FORGETIT, nullptr);
  if (!stream->drive || cdio_cddap_open(stream->drive) != 0) {
    *error = BASS_ERROR_FILEOPEN;
    return nullptr;
  }
  const auto track = static_cast<track_t>(name.track);
  if (track > cdio_cddap_tracks(stream->drive) || !cdio_cddap_track_audiop(stream->drive, track)) {
    *error = BASS_ERROR_NOTAUDIO;
    return nullptr;
  }
  stream->first = cdio_cddap_track_firstsector(stream->drive, track);
  stream->last = cdio_cddap_track_lastsector(stream->drive, track);
  stream->paranoia = cdio_paranoia_init(stream->drive);
  if (stream->first < 0 || stream->last < stream->first || !stream->paranoia) {
    *error = BASS_ERROR_FILEFORM;
    return nullptr;
  }
  cdio_paranoia_modeset(stream->paranoia, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
  cdio_paranoia_seek(stream->paranoia, stream->first, SEEK_SET);
  stream->next = stream->first;
  stream->track = name.track;
  info->rate = 44100;
  info->channels = 2;
  info->bits = 16;
  info->ctype = kCdType;
  info->length_frames = static_cast<int64_t>(stream->last - stream->first + 1) * kFramesPerSector;
  *error = BASS_OK;
  return reinterpret_cast<LirraAddonStream*>(stream.release());
}

size_t Read(LirraAddonStream* s, float* out, size_t frames) {
  CdStream* st = Of(s);
  size_t done = 0;
  while (done < frames && st->next <= st->last) {
    const int16_t* sector = cdio_paranoia_read(st->paranoia, nullptr);
    if (!sector) break;  // unreadable: the track ends here
    ++st->next;
    const int from = st->skipFrames;
    st->skipFrames = 0;
    // A sector is 588 frames; what does not fit is read again after a seek.
    const int take = std::min<int>(kFramesPerSector - from, static_cast<int>(frames - done));
    for (int f = 0; f < take; ++f) {
      out[2 * (done + f)] = sector[2 * (from + f)] / 32768.0f;
      out[2 * (done + f) + 1] = sector[2 * (from + f) + 1] / 32768.0f;
    }
    done += static_cast<size_t>(take);
    if (from + take < kFramesPerSector) {
      st->skipFrames = from + take;
      --st->next;
      cdio_paranoia_seek(st->paranoia, st->next, SEEK_SET);
    }
  }
  return done;
}

int32_t Seek(LirraAddonStream* s, int64_t frame) {
  CdStream* st = Of(s);
  const int64_t sector = st->first + frame / kFramesPerSector;
  if (frame < 0 || sector > st->last) return 0;
  st->next = static_cast<lsn_t>(sector);
  st->skipFrames = static_cast<int>(frame % kFramesPerSector);
  cdio_paranoia_seek(st->paranoia, st->next, SEEK_SET);
  return 1;
}

const char* Tags(LirraAddonStream* s) {
  CdStream* st = Of(s);
  st->tags = "tracknumber=" + std::to_string(st->track);
  st->tags.push_back('\0');
  st->tags.push_back('\0');
  return st->tags.c_str();
}

void Close(LirraAddonStream* s) { delete Of(s); }

const LirraEngineAddon kAddon = {
    LIRRA_ADDON_MAGIC, LIRRA_ADDON_VERSION, {0x02040000, 1, kForms}, Open, Read, Seek, Tags, Close,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const LirraEngineAddon* lirra_engine_addon(void) {
  return &kAddon;
}
