/* dvenc: a GstVideoEncoder that turns raw SD video into DV frames through the enc_dv
 * library's public interface. */
#ifndef GST_DVENC_H
#define GST_DVENC_H

#include <gst/video/gstvideoencoder.h>

G_BEGIN_DECLS

#define GST_TYPE_DV_ENC (gst_dv_enc_get_type())
G_DECLARE_FINAL_TYPE(GstDvEnc, gst_dv_enc, GST, DV_ENC, GstVideoEncoder)

G_END_DECLS

#endif
