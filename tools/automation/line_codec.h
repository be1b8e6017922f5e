#pragma once
// One-line texts for the automation protocol: a control text may hold tabs
// (the log list uses tab stops) and line ends (the About box), so every text
// goes over the pipe with backslash, tab, CR and LF escaped, and comes in
// the same way.

#include <string>

inline std::string escape_line(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        out += c;
    }
  }
  return out;
}

inline std::string unescape_line(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    switch (text[++i]) {
      case 't':
        out += '\t';
        break;
      case 'r':
        out += '\r';
        break;
      case 'n':
        out += '\n';
        break;
      default:
        out += text[i];
    }
  }
  return out;
}
