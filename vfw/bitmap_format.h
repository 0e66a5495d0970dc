// The bitmap formats of Video for Windows as the library reads them: which input bitmaps the
// codec takes, where their top line lies, and the dvsd format it gives back.
#ifndef ENC_DV_VFW_BITMAP_FORMAT_H
#define ENC_DV_VFW_BITMAP_FORMAT_H

#include <windows.h>

// An input bitmap the library can encode, in the terms of DVCompressBuffer.
struct InputFormat {
    unsigned fourcc = 0;       // the library's layout
    int height = 0;            // 480, 486 or 576 lines
    int pitch = 0;             // bytes from one picture line to the next, negative bottom-up
    size_t topLineOffset = 0;  // bytes from the start of the bitmap to the top line
    size_t imageBytes = 0;     // bytes the bitmap occupies
    int frameBytes = 0;        // bytes of the DV frame: 120000 (525/60) or 144000 (625/50)
    int pictureHeight() const { return frameBytes == 144000 ? 576 : 480; }  // of the DV frame
};

// Reads an input bitmap header: 720 pixels wide, 480, 486 or 576 lines, one plane, and
// BI_RGB at 24 or 32 bits (bottom-up, or top-down with a negative height), YUY2, YUYV,
// UYVY (16 bits) or the planar I420, IYUV, YV12, Y41B (12 bits), Y42B, YV16 (16 bits),
// always top-down. False, format untouched, for anything else, for a header shorter than
// BITMAPINFOHEADER and for a biSizeImage (when not 0) smaller than the picture.
bool ReadInputFormat(const BITMAPINFOHEADER& header, InputFormat* format);

// True when `header` describes the DV frames of `input`: dvsd (any letter case), 720 pixels
// wide and as high as the DV picture or as the input (a 486-line input gives 480-line DV).
bool IsOutputFormat(const BITMAPINFOHEADER& header, const InputFormat& input);

// Writes the dvsd format of `input`'s frames: 720 by 480 or 576, 24 bits, biSizeImage the
// frame's bytes.
void WriteOutputFormat(const InputFormat& input, BITMAPINFOHEADER* header);

#endif
