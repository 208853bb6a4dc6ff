#include "registry/reg_file.h"

#include <cstdio>
#include <optional>

namespace host::registry {
namespace {

constexpr std::size_t kLineWidth = 80;

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
}

bool WritableAsText(const std::vector<BYTE>& data) {
  if (data.empty() || data.back() != 0) return false;
  for (std::size_t i = 0; i + 1 < data.size(); ++i)
    if (data[i] < 0x20 || data[i] == 0x7F) return false;
  return true;
}

void AppendHexByte(std::string& out, BYTE byte) {
  constexpr char kDigits[] = "0123456789abcdef";
  out += kDigits[byte >> 4];
  out += kDigits[byte & 15];
}

// The data after '='; `lineStart` is where the current line begins in `out`
// (for the wrap column).
void AppendData(std::string& out, std::size_t lineStart, DWORD type, const std::vector<BYTE>& data, bool wrap) {
  if (type == REG_SZ && WritableAsText(data))
    return AppendQuoted(out, std::string_view(reinterpret_cast<const char*>(data.data()), data.size() - 1));
  char text[24];
  if (type == REG_DWORD && data.size() == 4) {
    DWORD number = data[0] | data[1] << 8 | data[2] << 16 | static_cast<DWORD>(data[3]) << 24;
    std::snprintf(text, sizeof text, "dword:%08lx", static_cast<unsigned long>(number));
    out += text;
    return;
  }
  out += "hex";
  if (type != REG_BINARY) {
    std::snprintf(text, sizeof text, "(%lx)", static_cast<unsigned long>(type));
    out += text;
  }
  out += ':';
  std::size_t column = out.size() - lineStart;
  for (std::size_t i = 0; i < data.size(); ++i) {
    bool last = i + 1 == data.size();
    std::size_t itemSize = last ? 2 : 3;
    // Room for the item and a continuation backslash, as regedit wraps.
    if (wrap && column + itemSize + 1 > kLineWidth) {
      out += "\\\n  ";
      column = 2;
    }
    AppendHexByte(out, data[i]);
    if (!last) out += ',';
    column += itemSize;
  }
}

void AppendValueLine(std::string& out, const Value& value) {
  std::size_t lineStart = out.size();
  if (value.name.empty()) {
    out += '@';
  } else {
    AppendQuoted(out, value.name);
  }
  out += '=';
  AppendData(out, lineStart, value.type, value.data, true);
}

void AppendSections(std::string& out, std::string& path, const Key& key) {
  out += '[';
  out += path;
  out += "]\n";
  if (!key.className.empty()) {
    std::vector<BYTE> classText(key.className.begin(), key.className.end());
    classText.push_back(0);
    // Unwrapped: a continuation line would not be part of the comment for other readers.
    out += ";Class=";
    AppendData(out, 0, REG_SZ, classText, false);
    out += '\n';
  }
  for (const Value& value : key.values) {
    AppendValueLine(out, value);
    out += '\n';
  }
  out += '\n';
  for (const auto& subkey : key.subkeys) {
    std::size_t length = path.size();
    path += '\\';
    path += subkey->name;
    AppendSections(out, path, *subkey);
    path.resize(length);
  }
}

std::string_view TrimLeft(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  return text;
}

std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::string_view Trim(std::string_view text) { return TrimRight(TrimLeft(text)); }

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<DWORD> ParseHexNumber(std::string_view text, std::size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return std::nullopt;
  DWORD number = 0;
  for (char c : text) {
    int digit = HexDigit(c);
    if (digit < 0) return std::nullopt;
    number = number << 4 | static_cast<DWORD>(digit);
  }
  return number;
}

// Reads a quoted string at the start of `text`; `text` is left after the closing quote.
std::optional<std::string> ParseQuoted(std::string_view& text) {
  if (text.empty() || text.front() != '"') return std::nullopt;
  std::string result;
  for (std::size_t i = 1; i < text.size(); ++i) {
    char c = text[i];
    if (c == '"') {
      text.remove_prefix(i + 1);
      return result;
    }
    if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"')) c = text[++i];
    result += c;
  }
  return std::nullopt;
}

class Parser {
 public:
  explicit Parser(std::string_view text) {
    while (!text.empty()) {
      std::size_t end = text.find('\n');
      std::string_view line = text.substr(0, end);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      lines_.push_back(line);
      if (end == std::string_view::npos) break;
      text.remove_prefix(end + 1);
    }
  }

  ParsedFile Run() {
    ExpectHeader();
    for (; next_ < lines_.size(); ++next_) ParseLine(Trim(lines_[next_]));
    return std::move(file_);
  }

 private:
  void Problem(std::size_t lineIndex, const std::string& what) {
    file_.problems.push_back("line " + std::to_string(lineIndex + 1) + ": " + what);
  }

  void ExpectHeader() {
    while (next_ < lines_.size() && Trim(lines_[next_]).empty()) ++next_;
    if (next_ < lines_.size() && Trim(lines_[next_]) == "REGEDIT4") {
      ++next_;
      return;
    }
    if (next_ == lines_.size())
      file_.problems.push_back("the file is empty");
    else
      Problem(next_, "no REGEDIT4 header");
  }

  void ParseLine(std::string_view line) {
    if (line.empty()) return;
    if (line.front() == ';') return ParseComment(line);
    if (line.front() == '[') return ParseSectionHeader(line);
    if (line.front() == '"' || line.front() == '@') return ParseValueLine(line);
    Problem(next_, "not a section, a value or a comment");
  }

  void ParseComment(std::string_view line) {
    constexpr std::string_view kClass = ";Class=";
    if (!StartsWith(line, kClass) || !section_) return;
    std::size_t lineIndex = next_;
    std::optional<ParsedValue> data = ParseData(line.substr(kClass.size()), lineIndex);
    if (!data || data->remove) return Problem(lineIndex, "unreadable key class");
    if (!data->data.empty() && data->data.back() == 0) data->data.pop_back();
    section_->hasClass = true;
    section_->className.assign(data->data.begin(), data->data.end());
  }

  void ParseSectionHeader(std::string_view line) {
    section_ = nullptr;
    std::size_t close = line.rfind(']');
    if (close == std::string_view::npos || !Trim(line.substr(close + 1)).empty())
      return Problem(next_, "unterminated key name; its values are skipped");
    ParsedSection section;
    std::string_view path = line.substr(1, close - 1);
    if (!path.empty() && path.front() == '-') {
      section.remove = true;
      path.remove_prefix(1);
    }
    if (path.empty()) return Problem(next_, "empty key name; its values are skipped");
    section.path = path;
    section.line = static_cast<int>(next_ + 1);
    file_.sections.push_back(std::move(section));
    section_ = &file_.sections.back();
  }

  void ParseValueLine(std::string_view line) {
    std::size_t lineIndex = next_;
    ParsedValue value;
    if (line.front() == '@') {
      line.remove_prefix(1);
    } else {
      std::optional<std::string> name = ParseQuoted(line);
      if (!name) return SkipValue(lineIndex, "unterminated value name");
      value.name = *name;
    }
    line = TrimLeft(line);
    if (line.empty() || line.front() != '=') return SkipValue(lineIndex, "value name without '='");
    std::optional<ParsedValue> data = ParseData(TrimLeft(line.substr(1)), lineIndex);
    if (!data) return;
    if (!section_) return Problem(lineIndex, "value outside any key");
    value.remove = data->remove;
    value.type = data->type;
    value.data = std::move(data->data);
    section_->values.push_back(std::move(value));
  }

  void SkipValue(std::size_t lineIndex, const std::string& what) {
    Problem(lineIndex, what);
    SkipContinuation(lines_[lineIndex]);
  }

  // A hex list that ends with a backslash goes on in the next lines.
  void SkipContinuation(std::string_view line) {
    while (!TrimRight(line).empty() && TrimRight(line).back() == '\\' && next_ + 1 < lines_.size())
      line = lines_[++next_];
  }

  // The text after '='; may consume continuation lines. Reports its own problems.
  std::optional<ParsedValue> ParseData(std::string_view text, std::size_t lineIndex) {
    ParsedValue value;
    text = TrimRight(text);
    if (text == "-") {
      value.remove = true;
      return value;
    }
    if (!text.empty() && text.front() == '"') {
      std::optional<std::string> string = ParseQuoted(text);
      if (!string || !Trim(text).empty()) {
        Problem(lineIndex, "unterminated text value");
        return std::nullopt;
      }
      value.type = REG_SZ;
      value.data.assign(string->begin(), string->end());
      value.data.push_back(0);
      return value;
    }
    if (StartsWith(text, "dword:")) {
      std::optional<DWORD> number = ParseHexNumber(text.substr(6), 8);
      if (!number) {
        Problem(lineIndex, "bad dword value");
        return std::nullopt;
      }
      value.type = REG_DWORD;
      for (int shift = 0; shift < 32; shift += 8) value.data.push_back(static_cast<BYTE>(*number >> shift));
      return value;
    }
    if (StartsWith(text, "hex")) return ParseHexData(text.substr(3), lineIndex);
    Problem(lineIndex, "unknown kind of value");
    SkipContinuation(text);
    return std::nullopt;
  }

  std::optional<ParsedValue> ParseHexData(std::string_view text, std::size_t lineIndex) {
    ParsedValue value;
    value.type = REG_BINARY;
    if (!text.empty() && text.front() == '(') {
      std::size_t close = text.find(')');
      std::optional<DWORD> type =
          close == std::string_view::npos ? std::nullopt : ParseHexNumber(text.substr(1, close - 1), 8);
      if (!type) return FailHex(text, lineIndex, "bad value type");
      value.type = *type;
      text.remove_prefix(close + 1);
    }
    if (text.empty() || text.front() != ':') return FailHex(text, lineIndex, "bad hex value");
    std::string bytes(TrimRight(text.substr(1)));
    while (!bytes.empty() && bytes.back() == '\\') {
      bytes.pop_back();
      if (next_ + 1 >= lines_.size()) return FailHex("", lineIndex, "hex value cut short at the end of the file");
      bytes += Trim(lines_[++next_]);
    }
    std::string_view list = bytes;
    while (!Trim(list).empty()) {
      std::size_t comma = list.find(',');
      std::optional<DWORD> byte = ParseHexNumber(Trim(list.substr(0, comma)), 2);
      if (!byte) return FailHex("", lineIndex, "bad byte in hex value");
      value.data.push_back(static_cast<BYTE>(*byte));
      if (comma == std::string_view::npos) break;
      list.remove_prefix(comma + 1);
      if (Trim(list).empty()) return FailHex("", lineIndex, "hex value ends with a comma");
    }
    return value;
  }

  std::optional<ParsedValue> FailHex(std::string_view rest, std::size_t lineIndex, const std::string& what) {
    Problem(lineIndex, what);
    SkipContinuation(rest);
    return std::nullopt;
  }

  std::vector<std::string_view> lines_;
  std::size_t next_ = 0;
  ParsedFile file_;
  ParsedSection* section_ = nullptr;
};

}  // namespace

std::string FormatValueLine(const Value& value) {
  std::string line;
  AppendValueLine(line, value);
  return line;
}

void AppendKeySections(std::string& out, const std::string& path, const Key& key) {
  std::string keyPath = path;
  AppendSections(out, keyPath, key);
}

ParsedFile ParseRegFile(std::string_view text) { return Parser(text).Run(); }

}  // namespace host::registry
