// Windows-1252, the system's single-byte text, to and from Unicode.
#pragma once

#include <string>
#include <string_view>

namespace platform::core {

char32_t cp1252_to_unicode(unsigned char byte);
// The Windows-1252 byte of a character, or -1 when it has none.
int unicode_to_cp1252(char32_t character);
std::string cp1252_to_utf8(std::string_view text);
void append_utf8(std::string& out, char32_t character);

}  // namespace platform::core
