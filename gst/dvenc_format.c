#include "dvenc_format.h"

#include <enc_dv.h>

typedef struct {
    GstVideoFormat format;
    guint32 fourcc;        /* full range, or Y'CbCr */
    guint32 studio_fourcc; /* BGR layouts at 16-235 */
    gint chroma_divisor;   /* planar layouts: luma pitch over chroma pitch */
} LayoutEntry;

/* GStreamer's names of the library's layouts. GStreamer's YV12 keeps V before U in memory,
 * which is the library's YV12 (Y, Cr, Cb); VUYA's bytes are the library's Cr Cb Y A. */
static const LayoutEntry kLayouts[] = {
    {GST_VIDEO_FORMAT_I420, DVENC_FOURCC_I420, 0, 2},
    {GST_VIDEO_FORMAT_YV12, DVENC_FOURCC_YV12, 0, 2},
    {GST_VIDEO_FORMAT_Y41B, DVENC_FOURCC_Y41B, 0, 4},
    {GST_VIDEO_FORMAT_Y42B, DVENC_FOURCC_Y42B, 0, 2},
    {GST_VIDEO_FORMAT_YUY2, DVENC_FOURCC_YUY2, 0, 0},
    {GST_VIDEO_FORMAT_UYVY, DVENC_FOURCC_UYVY, 0, 0},
    {GST_VIDEO_FORMAT_VUYA, DVENC_FOURCC_VUYA, 0, 0},
    {GST_VIDEO_FORMAT_BGR, DVENC_FOURCC_BGR3, DVENC_FOURCC_R24C, 0},
    {GST_VIDEO_FORMAT_BGRx, DVENC_FOURCC_BGR4, DVENC_FOURCC_R32C, 0},
    {GST_VIDEO_FORMAT_BGRA, DVENC_FOURCC_BGRA, DVENC_FOURCC_R32C, 0},
};

static const LayoutEntry* FindLayout(GstVideoFormat format) {
    for (guint i = 0; i < G_N_ELEMENTS(kLayouts); ++i)
        if (kLayouts[i].format == format) return &kLayouts[i];
    return NULL;
}

static gboolean IsDvSize(gint width, gint height) {
    return width == 720 && (height == 480 || height == 486 || height == 576);
}

/* 25/1 at 625/50, 30000/1001 at 525/60 (a variable rate, 0/1, is neither). */
static gboolean IsSystemRate(gboolean is625, gint fps_n, gint fps_d) {
    return is625 ? fps_n == 25 * fps_d && fps_d > 0
                 : (gint64)fps_n * 1001 == (gint64)30000 * fps_d && fps_d > 0;
}

gboolean dvenc_setup_from_info(const GstVideoInfo* info, DvencAspect aspect, DvencSetup* setup) {
    const LayoutEntry* layout = FindLayout(GST_VIDEO_INFO_FORMAT(info));
    const gint width = GST_VIDEO_INFO_WIDTH(info);
    const gint height = GST_VIDEO_INFO_HEIGHT(info);
    if (!layout || !IsDvSize(width, height)) return FALSE;
    const gboolean is625 = height == 576;
    if (!IsSystemRate(is625, GST_VIDEO_INFO_FPS_N(info), GST_VIDEO_INFO_FPS_D(info))) return FALSE;

    const gboolean studio = info->colorimetry.range == GST_VIDEO_COLOR_RANGE_16_235;
    setup->fourcc = studio && layout->studio_fourcc ? layout->studio_fourcc : layout->fourcc;
    setup->chroma_divisor = layout->chroma_divisor;
    setup->chroma_lines =
        layout->format == GST_VIDEO_FORMAT_I420 || layout->format == GST_VIDEO_FORMAT_YV12
            ? (height + 1) / 2
            : height;
    setup->height = height;
    setup->is625 = is625;
    setup->frame_bytes = is625 ? DVENC_FRAME_BYTES_625 : DVENC_FRAME_BYTES_525;

    if (aspect == DVENC_ASPECT_AUTO) {
        /* Display aspect 720 par_n / (lines par_d) above 14:9, halfway between 4:3 and
         * 16:9; a 486-line picture shows the 480 lines DV keeps. */
        const gint64 lines = is625 ? 576 : 480;
        setup->wide = (gint64)9 * 720 * GST_VIDEO_INFO_PAR_N(info) >
                      (gint64)14 * lines * GST_VIDEO_INFO_PAR_D(info);
    } else {
        setup->wide = aspect == DVENC_ASPECT_16_9;
    }
    /* The pixel shape of the picture the frames announce, as BT.601 samples it. */
    setup->par_n = is625 ? (setup->wide ? 64 : 16) : (setup->wide ? 32 : 8);
    setup->par_d = is625 ? (setup->wide ? 45 : 15) : (setup->wide ? 27 : 9);
    return TRUE;
}

gchar* dvenc_refusal_reason(const GstCaps* caps) {
    if (!caps || !gst_caps_is_fixed(caps)) return NULL;
    const GstStructure* s = gst_caps_get_structure(caps, 0);
    if (!gst_structure_has_name(s, "video/x-raw")) return NULL;
    GstCapsFeatures* features = gst_caps_get_features(caps, 0);
    if (features && !gst_caps_features_is_equal(features, GST_CAPS_FEATURES_MEMORY_SYSTEM_MEMORY)) {
        gchar* text = gst_caps_features_to_string(features);
        gchar* reason = g_strdup_printf(
            "dvenc reads frames in system memory, not %s; convert them before dvenc", text);
        g_free(text);
        return reason;
    }
    const gchar* format = gst_structure_get_string(s, "format");
    if (format && !FindLayout(gst_video_format_from_string(format))) {
        return g_strdup_printf("dvenc does not take %s frames, only " DVENC_RAW_FORMATS
                               "; put videoconvert before it",
                               format);
    }
    gint width = 0;
    gint height = 0;
    if (!gst_structure_get_int(s, "width", &width) || !gst_structure_get_int(s, "height", &height))
        return NULL;
    if (!IsDvSize(width, height)) {
        return g_strdup_printf(
            "%dx%d is no DV picture size: DV frames hold 720x576 (625/50) or 720x480 and "
            "720x486 (525/60) pictures; put videoscale before dvenc",
            width, height);
    }
    gint fps_n = 0;
    gint fps_d = 1;
    if (!gst_structure_get_fraction(s, "framerate", &fps_n, &fps_d)) return NULL;
    const gboolean is625 = height == 576;
    if (IsSystemRate(is625, fps_n, fps_d)) return NULL;
    return g_strdup_printf(
        "%d/%d frames a second at 720x%d: %s DV runs at %s frames a second; put videorate "
        "before dvenc",
        fps_n, fps_d, height, is625 ? "625/50" : "525/60", is625 ? "25/1" : "30000/1001");
}
