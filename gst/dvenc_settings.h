/* The element's properties: their values, their GObject descriptions and their defaults. */
#ifndef GST_DVENC_SETTINGS_H
#define GST_DVENC_SETTINGS_H

#include <glib-object.h>

#include "dvenc_format.h"

G_BEGIN_DECLS

typedef enum { DVENC_QUALITY_EXACT, DVENC_QUALITY_BEST } DvencQuality;

typedef struct {
    DvencQuality quality; /* "quality" */
    guint threads;        /* "threads": 0 one per processor */
    gboolean smpte314m;   /* "smpte314m" */
    DvencAspect aspect;   /* "aspect" */
    gchar* timecode;      /* "timecode": the first frame's label, or NULL */
} DvencSettings;

/* The defaults: best quality, one thread per processor, IEC 61834-2 header, aspect from the
 * pixel aspect ratio, the time code counted from 00:00:00:00. */
void dvenc_settings_init(DvencSettings* settings);
void dvenc_settings_clear(DvencSettings* settings);

/* Installs the properties on the element's class (property ids 1 to 5). */
void dvenc_settings_install(GObjectClass* object_class);

/* Set and get property id; FALSE for an id that is none of them. */
gboolean dvenc_settings_set(DvencSettings* settings, guint id, const GValue* value);
gboolean dvenc_settings_get(const DvencSettings* settings, guint id, GValue* value);

G_END_DECLS

#endif
