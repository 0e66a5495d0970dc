/* A host as a user of the installed library writes it: one frame through the public header,
 * built against the installed files with CMake's find_package or with pkg-config. */
#include <enc_dv.h>
#include <stdio.h>
#include <string.h>

int main(void) {
    static unsigned char picture[720 * 2 * 576], dv[DVENC_MAX_FRAME_BYTES];
    const DVEncTimecode first = {1, 0, 0, 0, 0};
    char version[16] = {0};
    DVEncoderHandle* encoder = DVNewEnc();
    DVEncQueryInfoFunction query = DVEncGetAPIExt(DVENC_API_QUERY_INFO);
    int bytes;
    if (!encoder || !query || query(DVENC_QUERY_VERSION, version) != 0) return 1;
    memset(picture, 128, sizeof picture); /* grey YUY2 */
    bytes = DVCompressBuffer(encoder, picture, 1440, dv, 0, 720, 576, 0, DVENC_FLAG_SINGLE_THREAD,
                             DVENC_FOURCC_YUY2);
    DVDoneEnc(encoder);
    if (bytes != 144000 || DVEncWriteTimecode(dv, bytes, &first, 0) != DVENC_FILL_OK) return 1;
    printf("probe: a %d-byte DV frame from enc_dv (interface %s)\n", bytes, version);
    return 0;
}
