#include "dvenc_settings.h"

#include <gst/gst.h>

enum { PROP_0, PROP_QUALITY, PROP_THREADS, PROP_SMPTE314M, PROP_ASPECT, PROP_TIMECODE };

static GType QualityType(void) {
    static gsize type = 0;
    static const GEnumValue values[] = {
        {DVENC_QUALITY_EXACT, "The library's fixed estimate: fast, always the same frames",
         "exact"},
        {DVENC_QUALITY_BEST,
         "The least picture error for the bits: higher PSNR, several times slower", "best"},
        {0, NULL, NULL}};
    if (g_once_init_enter(&type))
        g_once_init_leave(&type, g_enum_register_static("GstDvEncQuality", values));
    return (GType)type;
}

static GType AspectType(void) {
    static gsize type = 0;
    static const GEnumValue values[] = {
        {DVENC_ASPECT_AUTO, "From the pixel aspect ratio: 16:9 when wider than 14:9", "auto"},
        {DVENC_ASPECT_4_3, "4:3", "4:3"},
        {DVENC_ASPECT_16_9, "16:9", "16:9"},
        {0, NULL, NULL}};
    if (g_once_init_enter(&type))
        g_once_init_leave(&type, g_enum_register_static("GstDvEncAspect", values));
    return (GType)type;
}

void dvenc_settings_init(DvencSettings* settings) {
    settings->quality = DVENC_QUALITY_BEST;
    settings->threads = 0;
    settings->smpte314m = FALSE;
    settings->aspect = DVENC_ASPECT_AUTO;
    settings->timecode = NULL;
}

void dvenc_settings_clear(DvencSettings* settings) {
    g_clear_pointer(&settings->timecode, g_free);
}

void dvenc_settings_install(GObjectClass* object_class) {
    /* Quality, threads and the header form apply from the next frame; the aspect and the
     * time code are read when the caps are set. */
    const GParamFlags running =
        G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS | GST_PARAM_MUTABLE_PLAYING;
    const GParamFlags ready = G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS | GST_PARAM_MUTABLE_READY;
    g_object_class_install_property(
        object_class, PROP_QUALITY,
        g_param_spec_enum("quality", "Quality",
                          "How each video segment's quantization is chosen: best, the least "
                          "picture error for the bits (several times slower), or exact, the "
                          "library's fixed estimate",
                          QualityType(), DVENC_QUALITY_BEST, running));
    g_object_class_install_property(
        object_class, PROP_THREADS,
        g_param_spec_uint("threads", "Threads",
                          "Threads that encode each frame: 0 one per processor (at most 16), 1 "
                          "the streaming thread alone, N at most N (Linux; elsewhere as 0)",
                          0, 16, 0, running));
    g_object_class_install_property(
        object_class, PROP_SMPTE314M,
        g_param_spec_boolean("smpte314m", "SMPTE 314M",
                             "Write the SMPTE 314M header form; 625/50 then samples chroma 4:1:1 "
                             "instead of 4:2:0",
                             FALSE, running));
    g_object_class_install_property(
        object_class, PROP_ASPECT,
        g_param_spec_enum("aspect", "Aspect",
                          "Picture shape the frames announce: auto (16:9 when the pixel aspect "
                          "ratio makes the picture wider than 14:9), 4:3 or 16:9",
                          AspectType(), DVENC_ASPECT_AUTO, ready));
    g_object_class_install_property(
        object_class, PROP_TIMECODE,
        g_param_spec_string(
            "timecode", "Time code",
            "Time code of the first frame, HH:MM:SS:FF (HH:MM:SS;FF counts drop-frame, 525/60 "
            "only), counted up frame by frame; a buffer's GstVideoTimeCodeMeta, when present, is "
            "written instead. Unset: 00:00:00:00, drop-frame at 525/60",
            NULL, ready));
    gst_type_mark_as_plugin_api(QualityType(), 0);
    gst_type_mark_as_plugin_api(AspectType(), 0);
}

gboolean dvenc_settings_set(DvencSettings* settings, guint id, const GValue* value) {
    switch (id) {
        case PROP_QUALITY:
            settings->quality = g_value_get_enum(value);
            return TRUE;
        case PROP_THREADS:
            settings->threads = g_value_get_uint(value);
            return TRUE;
        case PROP_SMPTE314M:
            settings->smpte314m = g_value_get_boolean(value);
            return TRUE;
        case PROP_ASPECT:
            settings->aspect = g_value_get_enum(value);
            return TRUE;
        case PROP_TIMECODE:
            g_free(settings->timecode);
            settings->timecode = g_value_dup_string(value);
            return TRUE;
        default:
            return FALSE;
    }
}

gboolean dvenc_settings_get(const DvencSettings* settings, guint id, GValue* value) {
    switch (id) {
        case PROP_QUALITY:
            g_value_set_enum(value, settings->quality);
            return TRUE;
        case PROP_THREADS:
            g_value_set_uint(value, settings->threads);
            return TRUE;
        case PROP_SMPTE314M:
            g_value_set_boolean(value, settings->smpte314m);
            return TRUE;
        case PROP_ASPECT:
            g_value_set_enum(value, settings->aspect);
            return TRUE;
        case PROP_TIMECODE:
            g_value_set_string(value, settings->timecode);
            return TRUE;
        default:
            return FALSE;
    }
}
