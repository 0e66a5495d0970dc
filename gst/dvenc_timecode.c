#include "dvenc_timecode.h"

#include <string.h>

/* Two digits at text[at] below limit. */
static gboolean TwoDigits(const gchar* text, gint at, gint limit, gint* value) {
    if (!g_ascii_isdigit(text[at]) || !g_ascii_isdigit(text[at + 1])) return FALSE;
    *value = (text[at] - '0') * 10 + (text[at + 1] - '0');
    return *value < limit;
}

static gboolean ParseLabel(const gchar* text, DVEncTimecode* label) {
    if (strlen(text) != 11 || text[2] != ':' || text[5] != ':' ||
        (text[8] != ':' && text[8] != ';'))
        return FALSE;
    label->dropFrame = text[8] == ';';
    return TwoDigits(text, 0, 24, &label->hours) && TwoDigits(text, 3, 60, &label->minutes) &&
           TwoDigits(text, 6, 60, &label->seconds) && TwoDigits(text, 9, 100, &label->frames);
}

gboolean dvenc_timecode_start(DvencTimecodeCounter* counter, const gchar* text, gint frame_bytes,
                              gchar** error) {
    const gboolean is625 = frame_bytes == DVENC_FRAME_BYTES_625;
    DVEncTimecode first = {0, 0, 0, 0, !is625};
    if (text && *text && !ParseLabel(text, &first)) {
        *error = g_strdup_printf(
            "timecode \"%s\" is no time code: write HH:MM:SS:FF, or HH:MM:SS;FF for drop-frame",
            text);
        return FALSE;
    }
    if (DVEncWriteTimecode(NULL, frame_bytes, &first, 0) != DVENC_FILL_OK) {
        *error = g_strdup_printf(
            "timecode \"%s\" does not exist in %s DV (frames 00-%s%s)", text ? text : "",
            is625 ? "625/50" : "525/60", is625 ? "24" : "29",
            is625 ? "; drop-frame is for 525/60 only"
                  : "; drop-frame leaves out frames 00 and 01 of minutes not divisible by ten");
        return FALSE;
    }
    counter->first = first;
    counter->frame_bytes = frame_bytes;
    counter->index = 0;
    /* Drop-frame leaves out two labels in 54 of every 60 minutes. */
    counter->labels_per_day = is625 ? 25 * 86400 : 30 * 86400 - (first.dropFrame ? 2 * 54 * 24 : 0);
    return TRUE;
}

gboolean dvenc_timecode_write(DvencTimecodeCounter* counter, guint8* frame,
                              const GstVideoTimeCodeMeta* meta) {
    gboolean meta_written = FALSE;
    if (meta) {
        const GstVideoTimeCode* tc = &meta->tc;
        const gboolean drop = (tc->config.flags & GST_VIDEO_TIME_CODE_FLAGS_DROP_FRAME) &&
                              counter->frame_bytes != DVENC_FRAME_BYTES_625;
        const DVEncTimecode label = {(int)tc->hours, (int)tc->minutes, (int)tc->seconds,
                                     (int)tc->frames, drop};
        meta_written = tc->hours < 24 && tc->minutes < 60 && tc->seconds < 60 && tc->frames < 100 &&
                       DVEncWriteTimecode(frame, counter->frame_bytes, &label, 0) == DVENC_FILL_OK;
    }
    if (!meta_written)
        DVEncWriteTimecode(frame, counter->frame_bytes, &counter->first, counter->index);
    counter->index = (counter->index + 1) % counter->labels_per_day;
    return meta_written || !meta;
}
