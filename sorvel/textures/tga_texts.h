// The TGA reader's box texts and captions, byte for byte.
#pragma once

namespace sorvel::texts {

inline constexpr const char* kTgaErrorCaption = "ERROR";
inline constexpr const char* kTgaInvalidImageCaption = "Invalid Image";

inline constexpr const char* kTgaOpenFailed = "Could not open texture file";
inline constexpr const char* kTgaFileHeaderShort = "Could not read file header";
inline constexpr const char* kTgaWrongType = "TGA file be type 2 or type 10";
inline constexpr const char* kTgaInfoHeaderShort = "Could not read info header";
inline constexpr const char* kTgaInvalidInformation = "Invalid texture information";
// The image's byte count does not fit in 32 bits: refused before anything is reserved.
inline constexpr const char* kTgaTooLarge = "Image too large";
inline constexpr const char* kTgaNoImageMemory = "Could not allocate memory for image";
inline constexpr const char* kTgaImageDataShort = "Could not read image data";
inline constexpr const char* kTgaNoColorBuffer = "Could not allocate memory for color buffer";
inline constexpr const char* kTgaRleHeaderShort = "Could not read RLE header";
inline constexpr const char* kTgaRunPixelShort = "Could not read from file";
inline constexpr const char* kTgaTooManyPixels = "Too many pixels read";

}  // namespace sorvel::texts
