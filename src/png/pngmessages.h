// The error classes of the PNG codec and the fixed texts they carry.
#pragma once

#include <string>

#include "ui/core/sysutils.h"

class TPngImage;

// One class per failure condition; all derive straight from Exception so that a handler
// for one condition never catches another by accident.
LB_DECLARE_EXCEPTION(EPngError, Exception);
LB_DECLARE_EXCEPTION(EPngUnexpectedEnd, Exception);
LB_DECLARE_EXCEPTION(EPngInvalidCRC, Exception);
LB_DECLARE_EXCEPTION(EPngInvalidIHDR, Exception);
LB_DECLARE_EXCEPTION(EPngMissingMultipleIDAT, Exception);
LB_DECLARE_EXCEPTION(EPngZlibError, Exception);
LB_DECLARE_EXCEPTION(EPngInvalidPalette, Exception);
LB_DECLARE_EXCEPTION(EPngInvalidFileHeader, Exception);
LB_DECLARE_EXCEPTION(EPngIHDRNotFirst, Exception);
LB_DECLARE_EXCEPTION(EPngNotExists, Exception);
LB_DECLARE_EXCEPTION(EPngSizeExceeds, Exception);
LB_DECLARE_EXCEPTION(EPngMissingPalette, Exception);
LB_DECLARE_EXCEPTION(EPngUnknownCriticalChunk, Exception);
LB_DECLARE_EXCEPTION(EPngUnknownCompression, Exception);
LB_DECLARE_EXCEPTION(EPngUnknownInterlace, Exception);
LB_DECLARE_EXCEPTION(EPngNoImageData, Exception);
LB_DECLARE_EXCEPTION(EPngCouldNotLoadResource, Exception);
LB_DECLARE_EXCEPTION(EPngCannotChangeTransparent, Exception);
LB_DECLARE_EXCEPTION(EPngHeaderNotPresent, Exception);
LB_DECLARE_EXCEPTION(EPngOutMemory, Exception);
// Bit depth and colour type combinations for which there is no storage layout.
LB_DECLARE_EXCEPTION(EPngUnsupportedFormat, Exception);

namespace png_messages {
extern const char* const kInvalidFileHeader;
extern const char* const kUnexpectedEnd;
extern const char* const kIHDRNotFirst;
extern const char* const kInvalidCRC;
extern const char* const kUnknownCriticalChunk;
extern const char* const kNoImageData;
extern const char* const kHeaderNotPresent;
extern const char* const kExistentCriticalChunk;
extern const char* const kInvalidImageForChunk;
extern const char* const kChunksNotCompatible;
extern const char* const kInvalidIHDR;
extern const char* const kSizeExceeds;
extern const char* const kUnknownCompression;
extern const char* const kUnknownInterlace;
extern const char* const kInvalidPalette;
extern const char* const kNoSuchPaletteEntry;
extern const char* const kMissingMultipleIDAT;
extern const char* const kZlibError;
extern const char* const kOutMemory;
extern const char* const kCannotResize;
extern const char* const kUnsupportedFormat;
// The text appended to kZlibError for a zlib result code ("data error (-3)", ...).
const char* ZlibResultText(int code);
}  // namespace png_messages

// Raises an error of class E carrying message. The image is the one the failure belongs
// to; it is not part of the message.
template <class E>
[[noreturn]] void RaisePngError(const TPngImage* /*image*/, const std::string& message) {
  throw E(message);
}
