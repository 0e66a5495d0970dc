/* The time code of every frame: the label of the buffer's GstVideoTimeCodeMeta when it has
 * one that exists in the DV system, else a start label counted up frame by frame. Written
 * through the library's DVEncWriteTimecode. */
#ifndef GST_DVENC_TIMECODE_H
#define GST_DVENC_TIMECODE_H

#include <enc_dv.h>
#include <gst/video/video.h>

G_BEGIN_DECLS

typedef struct {
    DVEncTimecode first; /* the label of the first frame */
    gint frame_bytes;    /* the frames' size, which gives the system */
    gint index;          /* the frame's place in the stream, modulo a day's labels */
    gint labels_per_day;
} DvencTimecodeCounter;

/* Starts counting at the label text, "HH:MM:SS:FF" or "HH:MM:SS;FF" (drop-frame, 525/60
 * only); NULL or "" is 00:00:00:00, drop-frame at 525/60. FALSE with *error (g_free it)
 * when the text is no label of the system of frame_bytes. */
gboolean dvenc_timecode_start(DvencTimecodeCounter* counter, const gchar* text, gint frame_bytes,
                              gchar** error);

/* Writes the time code of the next frame into frame (counter->frame_bytes bytes) and counts
 * the frame. meta may be NULL; FALSE when its label does not exist in the system, in which
 * case the counted label is written instead. */
gboolean dvenc_timecode_write(DvencTimecodeCounter* counter, guint8* frame,
                              const GstVideoTimeCodeMeta* meta);

G_END_DECLS

#endif
