// The fixed texts of the codec's errors, kept in one place like a string table.
#include "png/pngmessages.h"

namespace png_messages {

#define LB_PNG "\"Portable Network Graphics\""

const char* const kInvalidFileHeader =
    "The file being readed is not a valid " LB_PNG
    " image because it contains an invalid header. This file may be corruped, try obtaining it again.";
const char* const kUnexpectedEnd =
    "This " LB_PNG " image is invalid because the decoder found an unexpected end of the file.";
const char* const kIHDRNotFirst =
    "This " LB_PNG " image is not supported or it might be invalid.\r\n(IHDR chunk is not the first)";
const char* const kInvalidCRC =
    "This " LB_PNG " image is not valid because it contains invalid pieces of data (crc error)";
const char* const kUnknownCriticalChunk =
    "This " LB_PNG " image contains an unknown critical part which could not be decoded.";
const char* const kNoImageData = "This " LB_PNG " image contains no data.";
const char* const kHeaderNotPresent =
    "This operation is not valid because the current image contains no valid header.";
const char* const kExistentCriticalChunk =
    "The program tried to add a existent critical chunk to the current image which is not allowed.";
const char* const kInvalidImageForChunk =
    "It's not allowed to add a new chunk because the current image is invalid.";
const char* const kChunksNotCompatible = "The chunks must be compatible to be assigned.";
const char* const kInvalidIHDR =
    "The " LB_PNG
    " image could not be loaded because one of its main piece of data (ihdr) might be corrupted";
const char* const kSizeExceeds =
    "This " LB_PNG
    " image is not supported because either it's width or height exceeds the maximum size, which is "
    "65535 pixels length.";
const char* const kUnknownCompression =
    "This " LB_PNG " image is encoded with an unknown compression scheme which could not be decoded.";
const char* const kUnknownInterlace =
    "This " LB_PNG " image uses an unknown interlace scheme which could not be decoded.";
const char* const kInvalidPalette = "The " LB_PNG " image contains an invalid palette.";
const char* const kNoSuchPaletteEntry = "There is no such palette entry.";
const char* const kMissingMultipleIDAT =
    "This " LB_PNG " image is invalid because it has missing image parts.";
const char* const kZlibError =
    "Could not decompress the image because it contains invalid compressed data.\r\n Description: ";
const char* const kOutMemory =
    "Some operation could not be performed because the system is out of resources. Close some "
    "windows and try again.";
const char* const kCannotResize =
    "The " LB_PNG
    " image can not be resize by changing width and height properties. Try assigning the image from a "
    "bitmap.";
const char* const kUnsupportedFormat =
    "This " LB_PNG " image uses a combination of bit depth and color type which is not supported.";

#undef LB_PNG

const char* ZlibResultText(int code) {
  switch (code) {
    case -6: return "incompatible version (-6)";
    case -5: return "buffer error (-5)";
    case -4: return "insufficient memory (-4)";
    case -3: return "data error (-3)";
    case -2: return "stream error (-2)";
    case -1: return "file error (-1)";
    case 0: return "(0)";
    case 1: return "stream end (1)";
    case 2: return "need dictionary (2)";
    default: return "";
  }
}

}  // namespace png_messages
