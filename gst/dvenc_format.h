/* The element's view of a raw video format: the library layout it maps to, the DV system
 * and frame size it gives, the 4:3 or 16:9 flag, and why caps that cannot be encoded are
 * refused. */
#ifndef GST_DVENC_FORMAT_H
#define GST_DVENC_FORMAT_H

#include <gst/video/video.h>

G_BEGIN_DECLS

/* The raw layouts the element takes, as caps text: every planar and packed layout of the
 * library that GStreamer names (studio-range BGR arrives as BGR, BGRx or BGRA with a
 * 16-235 colorimetry). */
#define DVENC_RAW_FORMATS "{ I420, Y41B, Y42B, YV12, YUY2, UYVY, VUYA, BGR, BGRx, BGRA }"

/* The picture shape the frames announce. */
typedef enum {
    DVENC_ASPECT_AUTO, /* from the pixel aspect ratio: wider than 14:9 is 16:9 */
    DVENC_ASPECT_4_3,
    DVENC_ASPECT_16_9
} DvencAspect;

typedef struct {
    guint32 fourcc;      /* the library's layout (DVENC_FOURCC_*) */
    gint chroma_divisor; /* planar: luma pitch over chroma pitch (2 or 4); packed: 0 */
    gint chroma_lines;   /* planar: lines of each chroma plane */
    gint height;         /* 480, 486 or 576 */
    gboolean is625;      /* 625/50 (576 lines) rather than 525/60 */
    gint frame_bytes;    /* DVENC_FRAME_BYTES_625 or _525 */
    gboolean wide;       /* DVENC_FLAG_WIDE */
    gint par_n, par_d;   /* the pixel aspect ratio of the output caps */
} DvencSetup;

/* Fills *setup for frames of *info. FALSE when the library cannot encode them (see
 * dvenc_refusal_reason for the words). */
gboolean dvenc_setup_from_info(const GstVideoInfo* info, DvencAspect aspect, DvencSetup* setup);

/* Why raw video caps cannot be encoded, as a sentence naming what to change (free with
 * g_free); NULL when they can, when they are not fixed, or when they are no raw video. */
gchar* dvenc_refusal_reason(const GstCaps* caps);

G_END_DECLS

#endif
