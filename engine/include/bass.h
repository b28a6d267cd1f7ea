/*
 * The Lirra sound engine: its C interface as the player sees it.
 *
 * libbass.so exports the 33 functions of BASS_FUNCTIONS and the optional ones of
 * BASS_OPTIONAL_FUNCTIONS, declared here. The player binds them by name at run time, so
 * names, argument orders, flag values and results are fixed; it binds the optional ones
 * one by one and plays on without them where an engine lacks one.
 *
 * Contract
 *  - Threads: every function may be called from any thread; the player calls them all
 *    from its UI thread. Decoding and output run on the engine's own threads (the
 *    PulseAudio main loop pulls decoded audio); no call blocks for longer than its work
 *    needs (opening a file, connecting to a URL within the network time-out).
 *  - Errors: a failing call returns its failure value (FALSE, 0, -1 or NULL, as noted) and
 *    records an error code that BASS_ErrorGetCode() reads on the same thread. A successful
 *    call records BASS_OK.
 *  - Ownership: handles are owned by the engine until freed (BASS_StreamFree,
 *    BASS_MusicFree, BASS_Free). Texts and records returned by the engine stay valid until
 *    the handle they belong to is freed. Texts are UTF-8.
 *  - Positions and lengths are in bytes of the channel's decoded format: 16-bit samples at
 *    the channel's own rate and channel count.
 *  - A stream plays at its source's own sample rate (the sound server converts it); tracker
 *    modules play at the rate given to BASS_Init.
 */
#ifndef LIRRA_BASS_H
#define LIRRA_BASS_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t BOOL;
typedef uint32_t DWORD;
typedef uint64_t QWORD;
typedef DWORD HMUSIC;
typedef DWORD HSTREAM;
typedef DWORD HRECORD;
typedef DWORD HSYNC;
typedef DWORD HPLUGIN;
typedef uintptr_t HWND_T; /* native window id; unused by the engine */

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

#define BASSVERSION 0x204
#define BASS_LIRRA_VERSION 0x02040000u /* BASS_GetVersion(): 2.4.0.0 */

/* Error codes (BASS_ErrorGetCode) */
#define BASS_OK 0
#define BASS_ERROR_MEM 1
#define BASS_ERROR_FILEOPEN 2
#define BASS_ERROR_DRIVER 3
#define BASS_ERROR_HANDLE 5
#define BASS_ERROR_FORMAT 6
#define BASS_ERROR_POSITION 7
#define BASS_ERROR_INIT 8
#define BASS_ERROR_START 9
#define BASS_ERROR_SSL 10
#define BASS_ERROR_ALREADY 14
#define BASS_ERROR_NOTAUDIO 17
#define BASS_ERROR_NOCHAN 18
#define BASS_ERROR_ILLTYPE 19
#define BASS_ERROR_ILLPARAM 20
#define BASS_ERROR_DEVICE 23
#define BASS_ERROR_NOPLAY 24
#define BASS_ERROR_FREQ 25
#define BASS_ERROR_NOTFILE 27
#define BASS_ERROR_EMPTY 31
#define BASS_ERROR_NONET 32
#define BASS_ERROR_CREATE 33
#define BASS_ERROR_NOTAVAIL 37
#define BASS_ERROR_DECODE 38
#define BASS_ERROR_TIMEOUT 40
#define BASS_ERROR_FILEFORM 41
#define BASS_ERROR_VERSION 43
#define BASS_ERROR_CODEC 44
#define BASS_ERROR_ENDED 45
#define BASS_ERROR_BUSY 46
#define BASS_ERROR_UNKNOWN -1

/* BASS_SetConfig options */
#define BASS_CONFIG_BUFFER 0
#define BASS_CONFIG_UPDATEPERIOD 1
#define BASS_CONFIG_NET_TIMEOUT 11     /* connect time-out, ms (default 5000) */
#define BASS_CONFIG_NET_READTIMEOUT 37 /* read time-out, ms (default 5000) */

/* Stream, sample and music flags */
#define BASS_SAMPLE_8BITS 1
#define BASS_SAMPLE_MONO 2
#define BASS_SAMPLE_LOOP 4
#define BASS_SAMPLE_FLOAT 256
#define BASS_STREAM_PRESCAN 0x20000
#define BASS_STREAM_AUTOFREE 0x40000
#define BASS_STREAM_DECODE 0x200000
#define BASS_MUSIC_RAMP 0x200
#define BASS_MUSIC_RAMPS 0x400
#define BASS_MUSIC_POSRESET 0x8000
#define BASS_MUSIC_PRESCAN BASS_STREAM_PRESCAN
#define BASS_MUSIC_DECODE BASS_STREAM_DECODE
#define BASS_UNICODE 0x80000000u /* not supported: texts are UTF-8 */

/* BASS_ChannelIsActive */
#define BASS_ACTIVE_STOPPED 0
#define BASS_ACTIVE_PLAYING 1
#define BASS_ACTIVE_STALLED 2
#define BASS_ACTIVE_PAUSED 3
/* Playing, but the sound server went away: the channel keeps its place (what was heard)
 * and plays on by itself once the engine has connected again, which it tries at once and
 * then every 2 s at most. Paused channels stay BASS_ACTIVE_PAUSED meanwhile. While the
 * server is away, BASS_ChannelIsActive leaves BASS_ERROR_DEVICE for BASS_ErrorGetCode
 * (its result still holds); channels can still be made, placed and played. */
#define BASS_ACTIVE_PAUSED_DEVICE 4

/* Position modes */
#define BASS_POS_BYTE 0
/* BASS_ChannelSetPosition: where the channel ends, in bytes; it plays up to that byte and
 * no further, then ends as at the end of its source (a section of a file, a cue track).
 * BASS_ChannelGetPosition reads it back (the length when none was set). */
#define BASS_POS_END 0x10

/* BASS_ChannelGetData */
#define BASS_DATA_AVAILABLE 0
#define BASS_DATA_FLOAT 0x40000000u
#define BASS_DATA_FFT512 0x80000001u
#define BASS_DATA_FFT1024 0x80000002u /* 512 floats */
#define BASS_DATA_FFT2048 0x80000003u

/* BASS_ChannelGetTags */
#define BASS_TAG_ID3 0
#define BASS_TAG_ID3V2 1
#define BASS_TAG_OGG 2   /* "key=value" texts, each 0-ended, list ended by an empty text */
#define BASS_TAG_HTTP 3
#define BASS_TAG_ICY 4
#define BASS_TAG_META 5  /* the last "StreamTitle='…';" of a shoutcast stream */
#define BASS_TAG_MUSIC_NAME 0x10000

/* BASS_ChannelSetSync */
#define BASS_SYNC_END 2
#define BASS_SYNC_MIXTIME 0x40000000u
#define BASS_SYNC_ONETIME 0x80000000u

/* BASS_StreamGetFilePosition */
#define BASS_FILEPOS_CURRENT 0
#define BASS_FILEPOS_DOWNLOAD 1
#define BASS_FILEPOS_END 2
#define BASS_FILEPOS_START 3
#define BASS_FILEPOS_CONNECTED 4
#define BASS_FILEPOS_BUFFER 5
#define BASS_FILEPOS_SIZE 8

/* Recording inputs */
#define BASS_INPUT_OFF 0x10000
#define BASS_INPUT_ON 0x20000
#define BASS_INPUT_TYPE_MASK 0xff000000u
#define BASS_INPUT_TYPE_UNDEF 0x00000000u
#define BASS_INPUT_TYPE_DIGITAL 0x01000000u
#define BASS_INPUT_TYPE_LINE 0x02000000u
#define BASS_INPUT_TYPE_MIC 0x03000000u
#define BASS_INPUT_TYPE_SYNTH 0x04000000u
#define BASS_INPUT_TYPE_CD 0x05000000u
#define BASS_INPUT_TYPE_ANALOG 0x0a000000u

/* Channel types (BASS_CHANNELINFO.ctype) */
#define BASS_CTYPE_SAMPLE 1
#define BASS_CTYPE_RECORD 2
#define BASS_CTYPE_STREAM 0x10000
#define BASS_CTYPE_STREAM_OGG 0x10002
#define BASS_CTYPE_STREAM_MP1 0x10003
#define BASS_CTYPE_STREAM_MP2 0x10004
#define BASS_CTYPE_STREAM_MP3 0x10005
#define BASS_CTYPE_STREAM_AIFF 0x10006
#define BASS_CTYPE_STREAM_WAV 0x40000
#define BASS_CTYPE_STREAM_WAV_PCM 0x50001
#define BASS_CTYPE_STREAM_WAV_FLOAT 0x50003
#define BASS_CTYPE_MUSIC_MOD 0x20000
#define BASS_CTYPE_MUSIC_MTM 0x20001
#define BASS_CTYPE_MUSIC_S3M 0x20002
#define BASS_CTYPE_MUSIC_XM 0x20003
#define BASS_CTYPE_MUSIC_IT 0x20004
#define BASS_CTYPE_MUSIC_MO3 0x00100 /* flag */

typedef struct BASS_PLUGINFORM {
  DWORD ctype;      /* channel type */
  const char* name; /* format description */
  const char* exts; /* file extension filter, "*.ext1;*.ext2" */
} BASS_PLUGINFORM;

typedef struct BASS_PLUGININFO {
  DWORD version;                  /* the add-on's version */
  DWORD formatc;                  /* number of formats */
  const BASS_PLUGINFORM* formats; /* the formats */
} BASS_PLUGININFO;

typedef struct BASS_CHANNELINFO {
  DWORD freq;           /* sample rate */
  DWORD chans;          /* channels */
  DWORD flags;          /* BASS_SAMPLE/STREAM/MUSIC flags given at creation */
  DWORD ctype;          /* BASS_CTYPE_* */
  DWORD origres;        /* original resolution in bits, 0 when not known */
  HPLUGIN plugin;       /* add-on that opened it, 0 for the engine itself */
  DWORD sample;         /* always 0 */
  const char* filename; /* file name or URL, UTF-8 */
} BASS_CHANNELINFO;

typedef void DOWNLOADPROC(const void* buffer, DWORD length, void* user);
typedef BOOL RECORDPROC(HRECORD handle, const void* buffer, DWORD length, void* user);
typedef void SYNCPROC(HSYNC handle, DWORD channel, DWORD data, void* user);

#if defined(__GNUC__)
#define BASSDEF __attribute__((visibility("default")))
#else
#define BASSDEF
#endif

/* Every function of this interface, in the order a player binds them by name: expand
 * with X(name) for BASS_name (one list for binders, an early start and the tests). */
#define BASS_FUNCTIONS(X)                                                                   \
  X(SetConfig) X(GetVersion) X(ErrorGetCode) X(Init) X(Free) X(PluginLoad) X(PluginFree)   \
  X(PluginGetInfo) X(MusicLoad) X(MusicFree) X(StreamCreateFile) X(StreamCreateURL)        \
  X(StreamFree) X(StreamGetFilePosition) X(RecordInit) X(RecordFree) X(RecordGetInputName) \
  X(RecordSetInput) X(RecordGetInput) X(RecordStart) X(ChannelBytes2Seconds)               \
  X(ChannelSeconds2Bytes) X(ChannelIsActive) X(ChannelGetInfo) X(ChannelGetTags)           \
  X(ChannelPlay) X(ChannelStop) X(ChannelPause) X(ChannelGetLength) X(ChannelSetPosition)  \
  X(ChannelGetPosition) X(ChannelGetData) X(ChannelSetSync)

/* The functions a player binds one by one, playing on without any that is missing. */
#define BASS_OPTIONAL_FUNCTIONS(X) X(ChannelJoin)

BASSDEF BOOL BASS_SetConfig(DWORD option, DWORD value);
BASSDEF DWORD BASS_GetVersion(void);
BASSDEF int BASS_ErrorGetCode(void);
/* device 1 = the PulseAudio server's default output (-1 also); freq: output rate. */
BASSDEF BOOL BASS_Init(int device, DWORD freq, DWORD flags, HWND_T win, const void* clsid);
BASSDEF BOOL BASS_Free(void);
BASSDEF HPLUGIN BASS_PluginLoad(const char* file, DWORD flags);
BASSDEF BOOL BASS_PluginFree(HPLUGIN handle); /* 0 = all */
BASSDEF const BASS_PLUGININFO* BASS_PluginGetInfo(HPLUGIN handle);
BASSDEF HMUSIC BASS_MusicLoad(BOOL mem, const void* file, QWORD offset, DWORD length,
                              DWORD flags, DWORD freq);
BASSDEF BOOL BASS_MusicFree(HMUSIC handle);
BASSDEF HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length,
                                      DWORD flags);
BASSDEF HSTREAM BASS_StreamCreateURL(const char* url, DWORD offset, DWORD flags,
                                     DOWNLOADPROC* proc, void* user);
BASSDEF BOOL BASS_StreamFree(HSTREAM handle); /* frees any channel kind */
BASSDEF QWORD BASS_StreamGetFilePosition(HSTREAM handle, DWORD mode); /* -1 on error */
BASSDEF BOOL BASS_RecordInit(int device);
BASSDEF BOOL BASS_RecordFree(void);
BASSDEF const char* BASS_RecordGetInputName(int input); /* NULL ends the list */
BASSDEF BOOL BASS_RecordSetInput(int input, DWORD flags, float volume);
BASSDEF DWORD BASS_RecordGetInput(int input, float* volume); /* -1 on error */
BASSDEF HRECORD BASS_RecordStart(DWORD freq, DWORD chans, DWORD flags, RECORDPROC* proc,
                                 void* user);
BASSDEF double BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos); /* negative on error */
BASSDEF QWORD BASS_ChannelSeconds2Bytes(DWORD handle, double pos);  /* -1 on error */
BASSDEF DWORD BASS_ChannelIsActive(DWORD handle);
BASSDEF BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info);
BASSDEF const char* BASS_ChannelGetTags(DWORD handle, DWORD tags);
BASSDEF BOOL BASS_ChannelPlay(DWORD handle, BOOL restart);
BASSDEF BOOL BASS_ChannelStop(DWORD handle);
BASSDEF BOOL BASS_ChannelPause(DWORD handle);
BASSDEF QWORD BASS_ChannelGetLength(DWORD handle, DWORD mode);   /* -1 on error */
BASSDEF BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos, DWORD mode);
BASSDEF QWORD BASS_ChannelGetPosition(DWORD handle, DWORD mode); /* -1 on error */
/* BASS_DATA_FFT1024: 512 magnitudes into buffer; BASS_DATA_FLOAT | bytes: the most recently
 * heard samples (mono floats, the newest last, at most 1024); returns bytes written, -1 on error. */
BASSDEF DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length);
BASSDEF HSYNC BASS_ChannelSetSync(DWORD handle, DWORD type, QWORD param, SYNCPROC* proc,
                                  void* user);

/* BASS_ChannelJoin: `next` plays on from the sample where `handle` ends, on `handle`'s
 * output, with nothing between them: no gap, no overlap (gapless playback).
 *  - `next` is a stream opened and not played (or stopped), already at the place to start
 *    from (BASS_ChannelSetPosition, BASS_POS_END as for playing it alone). Both play to the
 *    sound output (not BASS_STREAM_DECODE, not recordings) at the same sample rate
 *    (BASS_ERROR_FORMAT otherwise). One channel follows `handle` at a time: a second join
 *    replaces the first while `handle` still plays its own sound; next = 0 undoes it.
 *  - Any thread. The join may come while `handle` plays, is paused, or after its source ran
 *    out and its last sound is still to be heard; once its end was heard it is too late
 *    (BASS_ERROR_ENDED).
 *  - When `handle` runs out, `next` takes its output over: BASS_ChannelIsActive(next) is
 *    PLAYING from then on and its position counts from its first sample as heard;
 *    BASS_ChannelIsActive(handle) turns STOPPED only once its last sample has been heard.
 *    From then on the two are independent: freeing `handle` leaves `next` playing.
 *  - Until `handle`'s end has been heard, BASS_ChannelPlay, BASS_ChannelPause,
 *    BASS_ChannelStop, BASS_ChannelSetPosition (bytes) or a free of either channel undo the
 *    join first: what `next` had sent to the output is dropped, `next` is back, stopped,
 *    where it was when joined, and `handle` plays on (or pauses, stops, seeks, as asked)
 *    from what was heard last. So a pause, a seek or a stop never lets any sound of `next`
 *    through. */
BASSDEF BOOL BASS_ChannelJoin(DWORD handle, DWORD next);

#ifdef __cplusplus
}
#endif

#endif /* LIRRA_BASS_H */
