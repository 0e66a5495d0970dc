/* Hands a mapped GStreamer frame to the library: packed frames as they are, planar frames as
 * one block of planes (luma, then the two chroma planes directly after it, each line a fixed
 * fraction of the luma pitch), copied into a scratch frame when GStreamer laid them out
 * otherwise (padded strides, planes in separate memories). */
#ifndef GST_DVENC_PLANES_H
#define GST_DVENC_PLANES_H

#include <gst/video/video.h>

#include "dvenc_format.h"

G_BEGIN_DECLS

/* Bytes of the scratch frame that dvenc_frame_source may need for *setup (0 for packed
 * layouts). */
gsize dvenc_scratch_bytes(const DvencSetup* setup);

/* The picture start and line pitch to pass to the library for *frame. scratch holds
 * dvenc_scratch_bytes(setup) bytes and may be NULL for packed layouts. */
const guint8* dvenc_frame_source(const GstVideoFrame* frame, const DvencSetup* setup,
                                 guint8* scratch, gint* pitch);

G_END_DECLS

#endif
