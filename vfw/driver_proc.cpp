// The driver entry of the codec: Video for Windows sends every message here, the driver
// messages with no instance and the ICM_ messages with the instance DRV_OPEN returned.
// The codec compresses to dvsd and answers ICERR_UNSUPPORTED for everything else
// (decompression, drawing, dialogs, per-instance quality).
#include <windows.h>

#include <vfw.h>

#include <new>

#include "compressor.h"

namespace {

constexpr DWORD kHandler = mmioFOURCC('d', 'v', 's', 'd');

bool IsVideoType(DWORD fccType) {
    return (fccType | 0x20202020u) == ICTYPE_VIDEO;  // 'vidc' in any letter case
}

// DRV_OPEN: a new instance for compression or for queries; a decompressor, a drawer or
// another stream type is refused, so that the system asks another driver.
LRESULT Open(ICOPEN* open) {
    if (open) {
        const bool compresses = open->dwFlags == ICMODE_COMPRESS ||
                                open->dwFlags == ICMODE_FASTCOMPRESS ||
                                open->dwFlags == ICMODE_QUERY;
        if (!IsVideoType(open->fccType) || !compresses) {
            open->dwError = ICERR_UNSUPPORTED;
            return 0;
        }
        open->dwError = ICERR_OK;
    }
    // Opened without ICOPEN (for configuration), an instance still answers the ICM_ messages.
    return reinterpret_cast<LRESULT>(new (std::nothrow) Compressor);
}

LRESULT GetInfo(ICINFO* info, size_t size) {
    if (!info || size < sizeof(ICINFO)) return 0;
    static const WCHAR kName[] = L"enc_dv DV";
    static const WCHAR kDescription[] = L"enc_dv DV encoder (dvsd, 25 Mbit/s)";
    info->dwSize = sizeof(ICINFO);
    info->fccType = ICTYPE_VIDEO;
    info->fccHandler = kHandler;
    // The quality chooses between the two ways of coding (see FrameFlags); every frame is a
    // key frame of a fixed size.
    info->dwFlags = VIDCF_QUALITY;
    info->dwVersion = ENC_DV_VFW_VERSION;
    info->dwVersionICM = ICVERSION;
    lstrcpynW(info->szName, kName, sizeof info->szName / sizeof info->szName[0]);
    lstrcpynW(info->szDescription, kDescription,
              sizeof info->szDescription / sizeof info->szDescription[0]);
    return sizeof(ICINFO);
}

LRESULT DefaultQuality(DWORD* quality) {
    if (!quality) return ICERR_BADPARAM;
    *quality = kDefaultHostQuality;
    return ICERR_OK;
}

LRESULT DriverMessage(UINT message) {
    switch (message) {
        case DRV_LOAD:
        case DRV_FREE:
        case DRV_ENABLE:
        case DRV_DISABLE:
        case DRV_INSTALL:
        case DRV_REMOVE:
            return DRV_OK;
        default:  // DRV_QUERYCONFIGURE and DRV_CONFIGURE among them: there is no dialog
            return 0;
    }
}

LRESULT InstanceMessage(Compressor& codec, UINT message, LPARAM first, LPARAM second) {
    const auto* input = reinterpret_cast<const BITMAPINFOHEADER*>(first);
    switch (message) {
        case ICM_GETINFO:
            return GetInfo(reinterpret_cast<ICINFO*>(first), static_cast<size_t>(second));
        case ICM_GETDEFAULTQUALITY:
            return DefaultQuality(reinterpret_cast<DWORD*>(first));
        case ICM_GETSTATE:
            return codec.GetState(reinterpret_cast<void*>(first), static_cast<size_t>(second));
        case ICM_SETSTATE:
            return codec.SetState(reinterpret_cast<const void*>(first),
                                  static_cast<size_t>(second));
        case ICM_COMPRESS_QUERY:
            return Compressor::Query(input, reinterpret_cast<const BITMAPINFOHEADER*>(second));
        case ICM_COMPRESS_GET_FORMAT:
            return Compressor::GetFormat(input, reinterpret_cast<BITMAPINFOHEADER*>(second));
        case ICM_COMPRESS_GET_SIZE:
            return Compressor::GetSize(input);
        case ICM_COMPRESS_BEGIN:
            return codec.Begin(input, reinterpret_cast<const BITMAPINFOHEADER*>(second));
        case ICM_COMPRESS:
            return codec.Compress(reinterpret_cast<const ICCOMPRESS*>(first),
                                  static_cast<size_t>(second));
        case ICM_COMPRESS_END:
            return codec.End();
        default:
            return ICERR_UNSUPPORTED;
    }
}

}  // namespace

extern "C" LRESULT WINAPI DriverProc(DWORD_PTR instance, HDRVR, UINT message, LPARAM first,
                                     LPARAM second) {
    auto* codec = reinterpret_cast<Compressor*>(instance);
    switch (message) {
        case DRV_OPEN:
            return Open(reinterpret_cast<ICOPEN*>(second));
        case DRV_CLOSE:
            delete codec;  // ends a run that ICM_COMPRESS_END did not
            return DRV_OK;
        default:
            if (message < DRV_USER) return DriverMessage(message);
            return codec ? InstanceMessage(*codec, message, first, second) : ICERR_BADHANDLE;
    }
}
