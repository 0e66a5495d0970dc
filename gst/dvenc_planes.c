#include "dvenc_planes.h"

#include <string.h>

gsize dvenc_scratch_bytes(const DvencSetup* setup) {
    if (setup->chroma_divisor == 0) return 0;
    const gsize luma = (gsize)720 * setup->height;
    return luma + 2 * (gsize)(720 / setup->chroma_divisor) * setup->chroma_lines;
}

/* Whether the three planes already sit as the library reads them: the chroma planes, in
 * GStreamer's plane order (which is the FOURCC's memory order), each directly after the
 * one before, with lines of the luma pitch over the divisor. */
static gboolean PlanesAreContiguous(const GstVideoFrame* frame, const DvencSetup* setup) {
    const gint pitch = GST_VIDEO_FRAME_PLANE_STRIDE(frame, 0);
    const gint chroma_pitch = GST_VIDEO_FRAME_PLANE_STRIDE(frame, 1);
    const guint8* luma = GST_VIDEO_FRAME_PLANE_DATA(frame, 0);
    const guint8* first = GST_VIDEO_FRAME_PLANE_DATA(frame, 1);
    const guint8* second = GST_VIDEO_FRAME_PLANE_DATA(frame, 2);
    return pitch > 0 && pitch % setup->chroma_divisor == 0 &&
           chroma_pitch == pitch / setup->chroma_divisor &&
           GST_VIDEO_FRAME_PLANE_STRIDE(frame, 2) == chroma_pitch &&
           first == luma + (gsize)pitch * setup->height &&
           second == first + (gsize)chroma_pitch * setup->chroma_lines;
}

static void CopyPlane(guint8* to, gint to_pitch, const guint8* from, gint from_pitch,
                      gint line_bytes, gint lines) {
    for (gint line = 0; line < lines; ++line)
        memcpy(to + (gsize)line * to_pitch, from + (gssize)line * from_pitch, line_bytes);
}

const guint8* dvenc_frame_source(const GstVideoFrame* frame, const DvencSetup* setup,
                                 guint8* scratch, gint* pitch) {
    if (setup->chroma_divisor == 0 || PlanesAreContiguous(frame, setup)) {
        *pitch = GST_VIDEO_FRAME_PLANE_STRIDE(frame, 0);
        return GST_VIDEO_FRAME_PLANE_DATA(frame, 0);
    }
    const gint chroma_pitch = 720 / setup->chroma_divisor;
    guint8* to = scratch;
    CopyPlane(to, 720, GST_VIDEO_FRAME_PLANE_DATA(frame, 0), GST_VIDEO_FRAME_PLANE_STRIDE(frame, 0),
              720, setup->height);
    to += (gsize)720 * setup->height;
    for (guint plane = 1; plane <= 2; ++plane) {
        CopyPlane(to, chroma_pitch, GST_VIDEO_FRAME_PLANE_DATA(frame, plane),
                  GST_VIDEO_FRAME_PLANE_STRIDE(frame, plane), chroma_pitch, setup->chroma_lines);
        to += (gsize)chroma_pitch * setup->chroma_lines;
    }
    *pitch = 720;
    return scratch;
}
