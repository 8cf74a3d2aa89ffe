#include "platform/core/text_encoding.h"

namespace platform::core {
namespace {

// 0x80 to 0x9F; 0 marks the five bytes the code page leaves undefined.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

char32_t cp1252_to_unicode(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) {
    const char32_t mapped = kHighControls[byte - 0x80];
    return mapped != 0 ? mapped : byte;  // undefined bytes pass as C1 controls
  }
  return byte;
}

int unicode_to_cp1252(char32_t character) {
  if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) return static_cast<int>(character);
  for (int i = 0; i < 32; ++i) {
    if (kHighControls[i] == character && character != 0) return 0x80 + i;
  }
  return -1;
}

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string cp1252_to_utf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (char byte : text) append_utf8(out, cp1252_to_unicode(static_cast<unsigned char>(byte)));
  return out;
}

}  // namespace platform::core
