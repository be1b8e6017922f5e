#pragma once
// The instrument's bytes as text for the world outside: every byte is the
// Latin-1 character of the same number, written in UTF-8, so that a JSON
// reader or an SQLite client shows text where the instrument sent bytes
// above 127. The way back gives the bytes exactly.
//
// It does not guess at other encodings: a character above U+00FF, which no
// instrument sent, stays as its UTF-8 bytes on the way back.

#include <string>
#include <string_view>

std::string utf8_of_latin1(const std::string& bytes);
// The same appended to text, for a caller that reuses its buffer.
void append_utf8_of_latin1(std::string_view bytes, std::string& text);
// The same written from out on, which has room for twice bytes' size (the
// most that UTF-8 needs); returns the end of what was written.
char* write_utf8_of_latin1(std::string_view bytes, char* out);
std::string latin1_of_utf8(const std::string& text);
