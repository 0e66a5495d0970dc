/* dvenc: raw 720-pixel SD frames in, one DV frame per frame out, each a key frame with the
 * input's timestamps. The library does all DV work (the frame, its flags, its time code);
 * the element maps caps to layouts and flags and buffers to the library's calls. */
#include "gstdvenc.h"

#include <enc_dv.h>

#include "dvenc_format.h"
#include "dvenc_planes.h"
#include "dvenc_settings.h"
#include "dvenc_threads.h"
#include "dvenc_timecode.h"

GST_DEBUG_CATEGORY_STATIC(dvenc_debug);
#define GST_CAT_DEFAULT dvenc_debug

struct _GstDvEnc {
    GstVideoEncoder parent;

    DvencSettings settings; /* the properties, under the object lock */

    /* Stream state, under the stream lock. */
    DVEncoderHandle* handle;
    GstVideoCodecState* input_state;
    DvencSetup setup;
    DvencTimecodeCounter counter;
    guint8* scratch;
    gboolean timecode_warned;
    gchar* last_refusal; /* the caps last refused with a message, not to repeat it */
};

G_DEFINE_TYPE(GstDvEnc, gst_dv_enc, GST_TYPE_VIDEO_ENCODER)

/* 625/50 takes 25 frames a second, 525/60 30000/1001; the sizes and rates go together. */
#define SINK_STRUCTURE(HEIGHTS, RATE)                   \
    "video/x-raw, format = (string) " DVENC_RAW_FORMATS \
    ", width = (int) 720, height = (int) " HEIGHTS ", framerate = (fraction) " RATE

static GstStaticPadTemplate sink_template =
    GST_STATIC_PAD_TEMPLATE("sink", GST_PAD_SINK, GST_PAD_ALWAYS,
                            GST_STATIC_CAPS(SINK_STRUCTURE("576", "25/1") "; " SINK_STRUCTURE(
                                "{ 480, 486 }", "30000/1001")));

/* No height here: the base class maps downstream's fields onto the sink caps, and a
 * 486-line input gives 480-line frames. */
static GstStaticPadTemplate src_template = GST_STATIC_PAD_TEMPLATE(
    "src", GST_PAD_SRC, GST_PAD_ALWAYS,
    GST_STATIC_CAPS("video/x-dv, systemstream = (boolean) { true, false }, width = (int) 720, "
                    "framerate = (fraction) { 25/1, 30000/1001 }"));

static void gst_dv_enc_set_property(GObject* object, guint id, const GValue* value,
                                    GParamSpec* pspec) {
    GstDvEnc* self = GST_DV_ENC(object);
    GST_OBJECT_LOCK(self);
    const gboolean known = dvenc_settings_set(&self->settings, id, value);
    GST_OBJECT_UNLOCK(self);
    if (!known) G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, pspec);
}

static void gst_dv_enc_get_property(GObject* object, guint id, GValue* value, GParamSpec* pspec) {
    GstDvEnc* self = GST_DV_ENC(object);
    GST_OBJECT_LOCK(self);
    const gboolean known = dvenc_settings_get(&self->settings, id, value);
    GST_OBJECT_UNLOCK(self);
    if (!known) G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, pspec);
}

static gboolean gst_dv_enc_start(GstVideoEncoder* encoder) {
    GstDvEnc* self = GST_DV_ENC(encoder);
    self->handle = DVNewEnc();
    if (!self->handle) {
        GST_ELEMENT_ERROR(self, RESOURCE, FAILED, ("No memory for a DV encoder."), (NULL));
        return FALSE;
    }
    self->counter.frame_bytes = 0;
    self->timecode_warned = FALSE;
    return TRUE;
}

static gboolean gst_dv_enc_stop(GstVideoEncoder* encoder) {
    GstDvEnc* self = GST_DV_ENC(encoder);
    DVDoneEnc(self->handle);
    self->handle = NULL;
    g_clear_pointer(&self->input_state, gst_video_codec_state_unref);
    g_clear_pointer(&self->scratch, g_free);
    GST_OBJECT_LOCK(self);
    g_clear_pointer(&self->last_refusal, g_free);
    GST_OBJECT_UNLOCK(self);
    return TRUE;
}

static gboolean gst_dv_enc_flush(GstVideoEncoder* encoder) {
    /* Every frame is finished in handle_frame: nothing is held back. */
    (void)encoder;
    return TRUE;
}

/* The DV caps for *setup: a system stream when downstream takes one (a file, dvdemux),
 * else the video stream that muxers take. NULL when downstream takes neither. */
static GstCaps* ChooseOutputCaps(GstDvEnc* self, const GstVideoInfo* info) {
    GstCaps* peer = gst_pad_peer_query_caps(GST_VIDEO_ENCODER_SRC_PAD(self), NULL);
    GstCaps* chosen = NULL;
    for (gint systemstream = 1; systemstream >= 0 && !chosen; --systemstream) {
        GstCaps* caps = gst_caps_new_simple(
            "video/x-dv", "systemstream", G_TYPE_BOOLEAN, systemstream, "width", G_TYPE_INT, 720,
            "height", G_TYPE_INT, self->setup.is625 ? 576 : 480, "framerate", GST_TYPE_FRACTION,
            GST_VIDEO_INFO_FPS_N(info), GST_VIDEO_INFO_FPS_D(info), "pixel-aspect-ratio",
            GST_TYPE_FRACTION, self->setup.par_n, self->setup.par_d, NULL);
        if (gst_caps_can_intersect(caps, peer))
            chosen = caps;
        else
            gst_caps_unref(caps);
    }
    gst_caps_unref(peer);
    return chosen;
}

/* Whether Y'CbCr input is what DV holds: BT.601 matrix, studio range (unknown counts as
 * such; RGB input is converted by the library). */
static gboolean IsBt601Studio(const GstVideoInfo* info) {
    const GstVideoColorimetry* c = &info->colorimetry;
    return !GST_VIDEO_FORMAT_INFO_IS_YUV(info->finfo) ||
           ((c->range == GST_VIDEO_COLOR_RANGE_16_235 ||
             c->range == GST_VIDEO_COLOR_RANGE_UNKNOWN) &&
            (c->matrix == GST_VIDEO_COLOR_MATRIX_BT601 ||
             c->matrix == GST_VIDEO_COLOR_MATRIX_UNKNOWN));
}

static gboolean gst_dv_enc_set_format(GstVideoEncoder* encoder, GstVideoCodecState* state) {
    GstDvEnc* self = GST_DV_ENC(encoder);
    GST_OBJECT_LOCK(self);
    const DvencAspect aspect = self->settings.aspect;
    gchar* timecode = g_strdup(self->settings.timecode);
    GST_OBJECT_UNLOCK(self);

    DvencSetup setup;
    if (!dvenc_setup_from_info(&state->info, aspect, &setup)) {
        gchar* reason = dvenc_refusal_reason(state->caps);
        GST_ELEMENT_ERROR(self, CORE, NEGOTIATION,
                          ("%s", reason ? reason : "Caps dvenc cannot take."),
                          ("%" GST_PTR_FORMAT, state->caps));
        g_free(reason);
        g_free(timecode);
        return FALSE;
    }
    /* A change of caps within a system keeps counting the time code; a new system starts
     * it again. */
    if (self->counter.frame_bytes != setup.frame_bytes) {
        gchar* error = NULL;
        if (!dvenc_timecode_start(&self->counter, timecode, setup.frame_bytes, &error)) {
            GST_ELEMENT_ERROR(self, RESOURCE, SETTINGS, ("%s", error), (NULL));
            g_free(error);
            g_free(timecode);
            return FALSE;
        }
    }
    g_free(timecode);
    if (!IsBt601Studio(&state->info)) {
        gchar* colorimetry = gst_video_colorimetry_to_string(&state->info.colorimetry);
        GST_ELEMENT_WARNING(self, STREAM, FORMAT,
                            ("Y'CbCr of colorimetry %s is encoded as BT.601 studio range, as DV "
                             "decoders read it; convert it with videoconvert ! "
                             "video/x-raw,colorimetry=bt601 before dvenc.",
                             colorimetry ? colorimetry : "unknown"),
                            (NULL));
        g_free(colorimetry);
    }
    self->setup = setup;
    g_free(self->scratch);
    self->scratch = g_malloc(MAX(dvenc_scratch_bytes(&setup), 1));

    GstCaps* caps = ChooseOutputCaps(self, &state->info);
    if (!caps) {
        GST_ELEMENT_ERROR(
            self, CORE, NEGOTIATION,
            ("Downstream takes neither DV form (video/x-dv, systemstream true or false)."), (NULL));
        return FALSE;
    }
    /* The base class writes the output state's picture fields into the caps: they are the DV
     * frame's (480 of a 486-line input's lines, the flagged pixel shape, BT.601 colours). */
    GstVideoCodecState* output = gst_video_encoder_set_output_state(encoder, caps, state);
    output->info.height = self->setup.is625 ? 576 : 480;
    output->info.par_n = self->setup.par_n;
    output->info.par_d = self->setup.par_d;
    gst_video_colorimetry_from_string(&output->info.colorimetry, GST_VIDEO_COLORIMETRY_BT601);
    output->info.chroma_site = GST_VIDEO_CHROMA_SITE_UNKNOWN;
    gst_video_codec_state_unref(output);
    if (self->input_state) gst_video_codec_state_unref(self->input_state);
    self->input_state = gst_video_codec_state_ref(state);
    return gst_video_encoder_negotiate(encoder);
}

/* The flags of a frame from the current properties. */
static unsigned FrameFlags(GstDvEnc* self, guint* threads) {
    GST_OBJECT_LOCK(self);
    unsigned flags = self->setup.wide ? DVENC_FLAG_WIDE : 0;
    if (self->settings.smpte314m) flags |= DVENC_FLAG_SMPTE314M;
    if (self->settings.quality == DVENC_QUALITY_BEST) flags |= DVENC_FLAG_BEST_QUALITY;
    if (self->settings.threads == 1) flags |= DVENC_FLAG_SINGLE_THREAD;
    *threads = self->settings.threads;
    GST_OBJECT_UNLOCK(self);
    return flags;
}

/* Encodes the mapped frame into out; FALSE when the library refuses it. */
static gboolean EncodeFrame(GstDvEnc* self, const GstVideoFrame* video, guint8* out) {
    guint threads = 0;
    const unsigned flags = FrameFlags(self, &threads);
    gint pitch = 0;
    const guint8* source = dvenc_frame_source(video, &self->setup, self->scratch, &pitch);
    DvencThreadLimit limit = {FALSE, {0}};
    if (threads > 1) dvenc_threads_narrow(&limit, (gint)threads);
    const int bytes = DVCompressBuffer(self->handle, source, pitch, out, 0, 720, self->setup.height,
                                       0, flags, self->setup.fourcc);
    dvenc_threads_restore(&limit);
    return bytes == self->setup.frame_bytes;
}

static GstFlowReturn gst_dv_enc_handle_frame(GstVideoEncoder* encoder, GstVideoCodecFrame* frame) {
    GstDvEnc* self = GST_DV_ENC(encoder);
    const GstVideoInfo* info = &self->input_state->info;
    GstVideoFrame video;
    if (!gst_video_frame_map(&video, info, frame->input_buffer, GST_MAP_READ)) {
        GST_ELEMENT_ERROR(
            self, STREAM, FORMAT,
            ("A buffer of %" G_GSIZE_FORMAT " bytes holds no %dx%d %s frame (%" G_GSIZE_FORMAT
             " bytes).",
             gst_buffer_get_size(frame->input_buffer), GST_VIDEO_INFO_WIDTH(info),
             GST_VIDEO_INFO_HEIGHT(info), GST_VIDEO_INFO_NAME(info), GST_VIDEO_INFO_SIZE(info)),
            (NULL));
        gst_video_codec_frame_unref(frame);
        return GST_FLOW_ERROR;
    }
    GstFlowReturn ret =
        gst_video_encoder_allocate_output_frame(encoder, frame, self->setup.frame_bytes);
    GstMapInfo out;
    if (ret == GST_FLOW_OK && !gst_buffer_map(frame->output_buffer, &out, GST_MAP_WRITE))
        ret = GST_FLOW_ERROR;
    if (ret != GST_FLOW_OK) {
        gst_video_frame_unmap(&video);
        gst_video_codec_frame_unref(frame);
        return ret;
    }
    const gboolean encoded = EncodeFrame(self, &video, out.data);
    gst_video_frame_unmap(&video);
    if (!encoded) {
        gst_buffer_unmap(frame->output_buffer, &out);
        GST_ELEMENT_ERROR(self, STREAM, ENCODE,
                          ("The DV encoder refused the frame (no SSE2 on this processor, or "
                           "memory short)."),
                          (NULL));
        gst_video_codec_frame_unref(frame);
        return GST_FLOW_ERROR;
    }
    const GstVideoTimeCodeMeta* meta = gst_buffer_get_video_time_code_meta(frame->input_buffer);
    if (!dvenc_timecode_write(&self->counter, out.data, meta) && !self->timecode_warned) {
        self->timecode_warned = TRUE;
        GST_ELEMENT_WARNING(self, STREAM, ENCODE,
                            ("A buffer's time code does not exist in DV; the counted one is "
                             "written instead."),
                            ("%02u:%02u:%02u:%02u", meta->tc.hours, meta->tc.minutes,
                             meta->tc.seconds, meta->tc.frames));
    }
    gst_buffer_unmap(frame->output_buffer, &out);
    GST_VIDEO_CODEC_FRAME_SET_SYNC_POINT(frame);
    return gst_video_encoder_finish_frame(encoder, frame);
}

/* Caps are refused at negotiation by the pad templates; when fixed raw caps are refused,
 * the element says why on the bus (once for the same caps). */
static gboolean gst_dv_enc_sink_query(GstVideoEncoder* encoder, GstQuery* query) {
    GstDvEnc* self = GST_DV_ENC(encoder);
    const gboolean handled =
        GST_VIDEO_ENCODER_CLASS(gst_dv_enc_parent_class)->sink_query(encoder, query);
    if (GST_QUERY_TYPE(query) != GST_QUERY_ACCEPT_CAPS || !handled) return handled;
    gboolean accepted = TRUE;
    gst_query_parse_accept_caps_result(query, &accepted);
    GstCaps* caps = NULL;
    gst_query_parse_accept_caps(query, &caps);
    gchar* reason = accepted ? NULL : dvenc_refusal_reason(caps);
    if (reason) {
        gchar* text = gst_caps_to_string(caps);
        GST_OBJECT_LOCK(self);
        const gboolean repeated = g_strcmp0(text, self->last_refusal) == 0;
        if (!repeated) {
            g_free(self->last_refusal);
            self->last_refusal = g_strdup(text);
        }
        GST_OBJECT_UNLOCK(self);
        if (!repeated)
            GST_ELEMENT_WARNING(self, CORE, NEGOTIATION, ("%s", reason), ("refused %s", text));
        g_free(text);
        g_free(reason);
    }
    return handled;
}

static void gst_dv_enc_finalize(GObject* object) {
    GstDvEnc* self = GST_DV_ENC(object);
    dvenc_settings_clear(&self->settings);
    g_free(self->last_refusal);
    G_OBJECT_CLASS(gst_dv_enc_parent_class)->finalize(object);
}

static void gst_dv_enc_init(GstDvEnc* self) {
    dvenc_settings_init(&self->settings);
}

static void gst_dv_enc_class_init(GstDvEncClass* klass) {
    GObjectClass* object_class = G_OBJECT_CLASS(klass);
    GstElementClass* element_class = GST_ELEMENT_CLASS(klass);
    GstVideoEncoderClass* encoder_class = GST_VIDEO_ENCODER_CLASS(klass);

    object_class->set_property = gst_dv_enc_set_property;
    object_class->get_property = gst_dv_enc_get_property;
    object_class->finalize = gst_dv_enc_finalize;

    dvenc_settings_install(object_class);

    gst_element_class_add_static_pad_template(element_class, &sink_template);
    gst_element_class_add_static_pad_template(element_class, &src_template);
    gst_element_class_set_static_metadata(
        element_class, "DV video encoder", "Codec/Encoder/Video",
        "Encodes 720x576 (625/50, 25 frames a second) and 720x480 or 720x486 (525/60, "
        "30000/1001) raw video into 25 Mbit/s DV frames (IEC 61834-2), each a key frame. Sink: "
        "planar I420, YV12, Y41B, Y42B or packed YUY2, UYVY, VUYA, BGR, BGRx, BGRA frames. "
        "Source: whole DIF frames as a DV stream for files and dvdemux (systemstream=true) or "
        "as the DV video of a muxer such as avimux, qtmux or matroskamux (systemstream=false)",
        "enc_dv");

    encoder_class->start = gst_dv_enc_start;
    encoder_class->stop = gst_dv_enc_stop;
    encoder_class->flush = gst_dv_enc_flush;
    encoder_class->set_format = gst_dv_enc_set_format;
    encoder_class->handle_frame = gst_dv_enc_handle_frame;
    encoder_class->sink_query = gst_dv_enc_sink_query;

    GST_DEBUG_CATEGORY_INIT(dvenc_debug, "dvenc", 0, "DV video encoder");
}
