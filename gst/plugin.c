/* The encdv plugin: one element, dvenc. */
#include <gst/gst.h>

#include "gstdvenc.h"

static gboolean plugin_init(GstPlugin* plugin) {
    return gst_element_register(plugin, "dvenc", GST_RANK_PRIMARY, GST_TYPE_DV_ENC);
}

GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, encdv,
                  "DV video encoder (25 Mbit/s, IEC 61834-2) on the enc_dv library", plugin_init,
                  ENC_DV_VERSION, GST_LICENSE_UNKNOWN, "enc_dv", ENC_DV_ORIGIN)
