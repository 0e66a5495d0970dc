/* The threads property: the library encodes a frame on one thread per processor that the
 * calling thread may run on, so the element narrows its streaming thread's processors to
 * the first N around each compress call (worker threads the call starts inherit the
 * narrowed set) and restores them after it. Linux only; elsewhere N above 1 has no effect. */
#ifndef GST_DVENC_THREADS_H
#define GST_DVENC_THREADS_H

#include <glib.h>

G_BEGIN_DECLS

typedef struct {
    gboolean narrowed;
    guint8 saved[128]; /* the thread's processor set before narrowing (a cpu_set_t) */
} DvencThreadLimit;

/* Narrows the calling thread to at most `threads` of its processors (threads >= 2). */
void dvenc_threads_narrow(DvencThreadLimit* limit, gint threads);

/* Gives the calling thread back the processors it had before dvenc_threads_narrow. */
void dvenc_threads_restore(DvencThreadLimit* limit);

G_END_DECLS

#endif
