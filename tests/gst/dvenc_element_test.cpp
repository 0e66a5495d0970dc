// The dvenc element driven through GstHarness: its frames against the library's own for
// the same pictures and settings, the caps it gives and refuses, bad buffers, time codes,
// flushing and EOS.
#include <enc_dv.h>
#include <gst/check/gstharness.h>
#include <gst/video/video.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr GstClockTime kFrame = GST_SECOND / 25;

class GstEncoder : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        gst_init(nullptr, nullptr);
        const char* dir = std::getenv("ENC_DV_TEST_BINARY_DIR");
        const std::string path = std::string(dir ? dir : ".") + "/gst/libgstencdv.so";
        GstPlugin* plugin = gst_plugin_load_file(path.c_str(), nullptr);
        ASSERT_NE(plugin, nullptr) << path;
        gst_object_unref(plugin);
    }
};

// A fresh dvenc with a bus for its messages, its properties set from "name=value ..." and
// downstream taking sinkCaps.
struct Harness {
    GstHarness* h = gst_harness_new("dvenc");
    GstBus* bus = gst_bus_new();
    explicit Harness(const char* properties = "", const char* sinkCaps = "video/x-dv") {
        gst_element_set_bus(h->element, bus);
        gst_harness_set_sink_caps_str(h, sinkCaps);
        gchar** settings = g_strsplit(properties, " ", -1);
        for (gchar** s = settings; *s && **s; ++s) {
            gchar** pair = g_strsplit(*s, "=", 2);
            gst_util_set_object_arg(G_OBJECT(h->element), pair[0], pair[1]);
            g_strfreev(pair);
        }
        g_strfreev(settings);
    }
    ~Harness() {
        gst_harness_teardown(h);
        gst_object_unref(bus);
    }
    // Sets raw video caps and pushes a buffer on them: sticky events are stored, and what the
    // element makes of them shows in the flow of the data that follows.
    GstFlowReturn PushCaps(const std::string& fields, gsize bytes = 1) {
        gst_pad_push_event(
            h->srcpad, gst_event_new_caps(gst_caps_from_string(("video/x-raw," + fields).c_str())));
        GstSegment segment;
        gst_segment_init(&segment, GST_FORMAT_TIME);
        gst_pad_push_event(h->srcpad, gst_event_new_segment(&segment));
        return gst_harness_push(h, gst_buffer_new_allocate(nullptr, bytes, nullptr));
    }
    // The text of the next warning or error on the bus, "" when none.
    std::string Message(GstMessageType type) {
        GstMessage* message = gst_bus_pop_filtered(bus, type);
        if (!message) return "";
        GError* error = nullptr;
        (type == GST_MESSAGE_ERROR ? gst_message_parse_error : gst_message_parse_warning)(
            message, &error, nullptr);
        std::string text = error->message;
        g_error_free(error);
        gst_message_unref(message);
        return text;
    }
};

// Frame n in the caps' layout, packed as GStreamer lays it out by default: a gradient that
// moves with n.
std::vector<uint8_t> Picture(const GstVideoInfo& info, int n) {
    std::vector<uint8_t> bytes(GST_VIDEO_INFO_SIZE(&info));
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(16 + (i % 1440 / 8 + i / 1440 + 5 * n) % 200);
    return bytes;
}

// The picture as frame n of a stream; with `pad`, every plane line padded by that many bytes
// and described by a video meta, as decoders and capture sources hand frames over.
GstBuffer* Buffer(const GstVideoInfo& info, const std::vector<uint8_t>& tight, int n, int pad = 0) {
    std::vector<uint8_t> bytes;
    gsize offsets[GST_VIDEO_MAX_PLANES] = {};
    gint strides[GST_VIDEO_MAX_PLANES] = {};
    for (guint p = 0; p < GST_VIDEO_INFO_N_PLANES(&info); ++p) {
        const int stride = GST_VIDEO_INFO_PLANE_STRIDE(&info, p);
        offsets[p] = bytes.size();
        strides[p] = stride + pad;
        for (int line = 0; line < GST_VIDEO_INFO_COMP_HEIGHT(&info, p); ++line) {
            const uint8_t* from = &tight[GST_VIDEO_INFO_PLANE_OFFSET(&info, p) + line * stride];
            bytes.insert(bytes.end(), from, from + stride);
            bytes.resize(bytes.size() + pad, 0xEE);
        }
    }
    GstBuffer* buffer = gst_buffer_new_allocate(nullptr, bytes.size(), nullptr);
    gst_buffer_fill(buffer, 0, bytes.data(), bytes.size());
    GST_BUFFER_PTS(buffer) = n * kFrame;
    GST_BUFFER_DURATION(buffer) = kFrame;
    if (pad)
        gst_buffer_add_video_meta_full(buffer, GST_VIDEO_FRAME_FLAG_NONE, info.finfo->format,
                                       info.width, info.height, info.finfo->n_planes, offsets,
                                       strides);
    return buffer;
}

// What the library makes of the picture: a compress call and the time code of frame index.
std::vector<uint8_t> LibraryFrame(const std::vector<uint8_t>& picture, int height, int pitch,
                                  unsigned fourcc, unsigned flags, DVEncTimecode first, int index) {
    std::vector<uint8_t> frame(DVENC_MAX_FRAME_BYTES);
    frame.resize(
        CompressBuffer_DV(picture.data(), pitch, frame.data(), 0, 720, height, 0, flags, fourcc));
    EXPECT_EQ(DVEncWriteTimecode(frame.data(), frame.size(), &first, index), DVENC_FILL_OK);
    return frame;
}

// The buffer's bytes; the buffer is released.
std::vector<uint8_t> Bytes(GstBuffer* buffer) {
    std::vector<uint8_t> bytes(gst_buffer_get_size(buffer));
    gst_buffer_extract(buffer, 0, bytes.data(), bytes.size());
    gst_buffer_unref(buffer);
    return bytes;
}

GstVideoInfo Info(const std::string& fields) {
    GstVideoInfo info;
    GstCaps* caps = gst_caps_from_string(("video/x-raw," + fields).c_str());
    EXPECT_TRUE(gst_video_info_from_caps(&info, caps));
    gst_caps_unref(caps);
    return info;
}

constexpr unsigned kBest = DVENC_FLAG_BEST_QUALITY;

TEST_F(GstEncoder, FramesAreTheLibrarysForEveryLayoutSystemAndSetting) {
    const struct {
        const char* caps;
        const char* properties;  // the thread count changes no byte
        const char* downstream;
        unsigned fourcc;
        int pitch;
        unsigned flags;
        const char* outputCaps;  // fields the output caps must hold
        int pad;
    } rows[] = {
        {"format=I420,width=720,height=576,framerate=25/1", "", "video/x-dv", DVENC_FOURCC_I420,
         720, kBest, "systemstream=true,height=576,pixel-aspect-ratio=16/15", 0},
        {"format=Y41B,width=720,height=480,framerate=30000/1001,pixel-aspect-ratio=32/27",
         "quality=exact threads=1", "video/x-dv,systemstream=false", DVENC_FOURCC_Y41B, 720,
         DVENC_FLAG_WIDE, "systemstream=false,height=480,pixel-aspect-ratio=32/27", 0},
        {"format=YV12,width=720,height=576,framerate=25/1,pixel-aspect-ratio=59/54", "threads=2",
         "video/x-dv", DVENC_FOURCC_YV12, 720, kBest, "pixel-aspect-ratio=16/15", 0},
        {"format=Y42B,width=720,height=486,framerate=30000/1001,interlace-mode=interleaved",
         "smpte314m=true", "video/x-dv", DVENC_FOURCC_Y42B, 720, kBest | DVENC_FLAG_SMPTE314M,
         "height=480", 0},
        {"format=YUY2,width=720,height=576,framerate=25/1,pixel-aspect-ratio=64/45",
         "aspect=4:3 quality=exact", "video/x-dv", DVENC_FOURCC_YUY2, 1440, 0,
         "pixel-aspect-ratio=16/15", 0},
        {"format=UYVY,width=720,height=480,framerate=30000/1001", "aspect=16:9 smpte314m=true",
         "video/x-dv", DVENC_FOURCC_UYVY, 1440, kBest | DVENC_FLAG_WIDE | DVENC_FLAG_SMPTE314M,
         "pixel-aspect-ratio=32/27", 0},
        {"format=VUYA,width=720,height=576,framerate=25/1,pixel-aspect-ratio=118/81", "",
         "video/x-dv", DVENC_FOURCC_VUYA, 2880, kBest | DVENC_FLAG_WIDE, "pixel-aspect-ratio=64/45",
         0},
        {"format=BGR,width=720,height=576,framerate=25/1", "quality=exact", "video/x-dv",
         DVENC_FOURCC_BGR3, 2160, 0, "height=576", 0},
        // BGRx at 16-235 is the library's studio-range R32C.
        {"format=BGRx,width=720,height=480,framerate=30000/1001,colorimetry=2:1:0:0", "",
         "video/x-dv", DVENC_FOURCC_R32C, 2880, kBest, "height=480", 0},
        {"format=I420,width=720,height=576,framerate=25/1", "quality=exact", "video/x-dv",
         DVENC_FOURCC_I420, 720, 0, "height=576", 64},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.caps) + " " + row.properties + " pad " +
                     std::to_string(row.pad));
        Harness harness(row.properties, row.downstream);
        const GstVideoInfo info = Info(row.caps);
        gst_harness_set_src_caps_str(harness.h, (std::string("video/x-raw,") + row.caps).c_str());
        const DVEncTimecode first = {0, 0, 0, 0, info.height != 576};
        for (int n = 0; n < 2; ++n) {
            const std::vector<uint8_t> picture = Picture(info, n);
            GstBuffer* out =
                gst_harness_push_and_pull(harness.h, Buffer(info, picture, n, row.pad));
            EXPECT_EQ(GST_BUFFER_PTS(out), n * kFrame);
            EXPECT_EQ(GST_BUFFER_DURATION(out), kFrame);
            EXPECT_FALSE(GST_BUFFER_FLAG_IS_SET(out, GST_BUFFER_FLAG_DELTA_UNIT));
            EXPECT_TRUE(Bytes(out) == LibraryFrame(picture, info.height, row.pitch, row.fourcc,
                                                   row.flags, first, n))
                << "frame " << n;
        }
        GstCaps* output = gst_pad_get_current_caps(harness.h->sinkpad);
        GstCaps* expected =
            gst_caps_from_string((std::string("video/x-dv,") + row.outputCaps).c_str());
        EXPECT_TRUE(gst_caps_is_subset(output, expected)) << gst_caps_to_string(output);
        gst_caps_unref(output);
        gst_caps_unref(expected);
    }
}

TEST_F(GstEncoder, RefusesWhatItCannotEncodeWithAMessageSayingWhy) {
    const struct {
        const char* caps;
        const char* properties;
        gsize bytes;  // of the buffer pushed on the caps
        GstFlowReturn flow;
        GstMessageType type;
        const char* words;  // in the message
    } rows[] = {
        {"format=I420,width=1920,height=1080,framerate=25/1", "", 1, GST_FLOW_NOT_NEGOTIATED,
         GST_MESSAGE_WARNING, "put videoscale"},
        {"format=I420,width=720,height=576,framerate=30/1", "", 1, GST_FLOW_NOT_NEGOTIATED,
         GST_MESSAGE_WARNING, "put videorate"},
        {"format=UYVY,width=720,height=480,framerate=25/1", "", 1, GST_FLOW_NOT_NEGOTIATED,
         GST_MESSAGE_WARNING, "put videorate"},
        {"format=NV12,width=720,height=576,framerate=25/1", "", 1, GST_FLOW_NOT_NEGOTIATED,
         GST_MESSAGE_WARNING, "put videoconvert"},
        {"format=I420,width=720,height=576,framerate=25/1", "timecode=00:00:00;00", 1,
         GST_FLOW_NOT_NEGOTIATED, GST_MESSAGE_ERROR, "drop-frame is for 525/60 only"},
        {"format=I420,width=720,height=576,framerate=25/1", "", 1000, GST_FLOW_ERROR,
         GST_MESSAGE_ERROR, "A buffer of 1000 bytes"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.caps) + " " + row.properties);
        Harness harness(row.properties);
        EXPECT_EQ(harness.PushCaps(row.caps, row.bytes), row.flow);
        EXPECT_NE(harness.Message(row.type).find(row.words), std::string::npos);
    }
}

TEST_F(GstEncoder, WritesTheBuffersTimeCodeElseCountsFromTheProperty) {
    const GstVideoTimeCodeFlags kDrop = GST_VIDEO_TIME_CODE_FLAGS_DROP_FRAME;
    const struct {
        bool is625;
        const char* properties;
        DVEncTimecode first;  // the label counted from
        int metaFrame;        // the frame whose buffer carries 02:03:04:05, or -1
        GstVideoTimeCodeFlags metaFlags;
    } rows[] = {
        {false, "", {0, 0, 0, 0, 1}, -1, kDrop},
        {true, "timecode=10:00:00:00", {10, 0, 0, 0, 0}, -1, kDrop},
        {false, "timecode=00:00:59;28", {0, 0, 59, 28, 1}, -1, kDrop},  // on to 00:01:00;02
        {false, "timecode=01:00:00:00", {1, 0, 0, 0, 0}, 1, kDrop},
        {true, "", {0, 0, 0, 0, 0}, 2, GST_VIDEO_TIME_CODE_FLAGS_NONE},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.properties) + (row.is625 ? " 625" : " 525"));
        Harness harness(row.properties);
        const std::string caps = row.is625
                                     ? "format=I420,width=720,height=576,framerate=25/1"
                                     : "format=Y41B,width=720,height=480,framerate=30000/1001";
        const GstVideoInfo info = Info(caps);
        gst_harness_set_src_caps_str(harness.h, ("video/x-raw," + caps).c_str());
        for (int n = 0; n < 4; ++n) {
            const std::vector<uint8_t> picture = Picture(info, n);
            GstBuffer* in = Buffer(info, picture, n);
            const bool fromMeta = n == row.metaFrame;
            if (fromMeta)
                gst_buffer_add_video_time_code_meta_full(in, row.is625 ? 25 : 30000,
                                                         row.is625 ? 1 : 1001, nullptr,
                                                         row.metaFlags, 2, 3, 4, 5, 0);
            ASSERT_EQ(gst_harness_push(harness.h, in), GST_FLOW_OK);
            const DVEncTimecode meta = {2, 3, 4, 5, row.metaFlags == kDrop};
            EXPECT_TRUE(Bytes(gst_harness_pull(harness.h)) ==
                        LibraryFrame(picture, info.height, 720,
                                     row.is625 ? DVENC_FOURCC_I420 : DVENC_FOURCC_Y41B, kBest,
                                     fromMeta ? meta : row.first, fromMeta ? 0 : n))
                << "frame " << n;
        }
    }
}

// Hundreds of frames through one element with a seek's flush among them: each comes out
// once, in order, before the EOS (the valgrind job runs this test for leaks).
TEST_F(GstEncoder, HundredsOfFramesThroughAFlushAndEosComeOutOnceEach) {
    Harness harness("quality=exact");
    const std::string caps = "format=YUY2,width=720,height=576,framerate=25/1";
    const GstVideoInfo info = Info(caps);
    gst_harness_set_src_caps_str(harness.h, ("video/x-raw," + caps).c_str());
    const int frames = std::getenv("ENC_DV_TEST_SHORT") ? 100 : 300;  // short: sanitizers
    for (int n = 0; n < frames; ++n) {
        if (n == frames / 2) {
            ASSERT_TRUE(gst_harness_push_event(harness.h, gst_event_new_flush_start()));
            ASSERT_TRUE(gst_harness_push_event(harness.h, gst_event_new_flush_stop(TRUE)));
            GstSegment segment;
            gst_segment_init(&segment, GST_FORMAT_TIME);
            ASSERT_TRUE(gst_harness_push_event(harness.h, gst_event_new_segment(&segment)));
        }
        ASSERT_EQ(gst_harness_push(harness.h, Buffer(info, Picture(info, n), n)), GST_FLOW_OK);
    }
    ASSERT_TRUE(gst_harness_push_event(harness.h, gst_event_new_eos()));
    for (int n = 0; n < frames; ++n) {
        GstBuffer* out = gst_harness_try_pull(harness.h);
        ASSERT_NE(out, nullptr) << "frame " << n;
        EXPECT_EQ(GST_BUFFER_PTS(out), n * kFrame);
        EXPECT_EQ(gst_buffer_get_size(out), gsize{DVENC_FRAME_BYTES_625});
        gst_buffer_unref(out);
    }
    EXPECT_EQ(gst_harness_try_pull(harness.h), nullptr);
    bool eos = false;
    while (GstEvent* event = gst_harness_try_pull_event(harness.h)) {
        eos = eos || GST_EVENT_TYPE(event) == GST_EVENT_EOS;
        gst_event_unref(event);
    }
    EXPECT_TRUE(eos);
}

}  // namespace
