#include "section_text.h"

#include <string.h>

#include <new>
#include <vector>

#include "section_index.h"
#include "section_scan.h"

namespace monitor_db {
namespace {

// The one text held for reading and the one file open for editing. Each
// carries a header index, built on first use and kept true by DeleteSection.
struct ReadSlot {
  char* text = nullptr;
  HeaderIndex index;
};
struct EditSlot {
  char* text = nullptr;
  HANDLE file = INVALID_HANDLE_VALUE;
  HANDLE mapping = nullptr;
  HeaderIndex index;
};
ReadSlot g_read;
EditSlot g_edit;

HeaderIndex* IndexOf(const char* text) {
  HeaderIndex* index = nullptr;
  if (text && text == g_read.text)
    index = &g_read.index;
  else if (text && text == g_edit.text)
    index = &g_edit.index;
  if (index && !index->built() && !index->Build(text)) return nullptr;
  return index;
}

bool IsName(const char* name, int maxLength) {
  if (!name || !*name) return false;
  return static_cast<int>(strlen(name)) <= maxLength;
}

// A section as found in a text: its `[`, the first line of its body and the
// end of the body (the next header's `[`, or the text's NUL).
struct Section {
  const char* header;
  const char* body;
  const char* end;
};

const char* FindHeaderOf(const char* text, const char* name) {
  const size_t length = strlen(name);
  HeaderIndex* index = IndexOf(text);
  if (index && !strchr(name, ']')) return index->Find(text, name, length);
  return scan::FindHeader(text, name, length);
}

const char* BodyEnd(const char* text, const char* header, const char* body) {
  HeaderIndex* index = IndexOf(text);
  if (index && index->Contains(text, header)) {
    const char* next = index->Next(text, header);
    return next ? next : text + index->textLength();
  }
  const char* next = scan::NextHeader(text, body);
  return next ? next : body + strlen(body);
}

// The section last found in a held or edited text, by the exact name asked
// for: the reader asks for the same section many times in a row.
struct LastSection {
  const char* text = nullptr;
  char name[kMaxLookupSectionName + 1];
  Section section;
};
LastSection g_lastSection;

bool LocateSection(const char* text, const char* name, Section* section) {
  const bool slotText = text == g_read.text || text == g_edit.text;
  if (slotText && g_lastSection.text == text && strcmp(g_lastSection.name, name) == 0) {
    *section = g_lastSection.section;
    return true;
  }
  const char* header = FindHeaderOf(text, name);
  if (!header) return false;
  section->header = header;
  section->body = scan::LineEnd(header) + 2;  // a header's line always ends in CR LF
  section->end = BodyEnd(text, header, section->body);
  if (slotText && strlen(name) <= kMaxLookupSectionName) {
    g_lastSection.text = text;
    strcpy(g_lastSection.name, name);
    g_lastSection.section = *section;
  }
  return true;
}

// Key lines of a body: they start after a CR LF, do not start with `;`, and
// hold an `=` before the CR LF that ends them.
struct KeyLine {
  const char* start;
  const char* equals;
  const char* end;    // the line's CR LF, or the NUL
  size_t keyLength;   // of the bytes before the `=`, trailing spaces left out
};

template <class Visit>
bool ForEachKeyLine(const Section& section, Visit visit) {
  // One pass over each line finds both its first `=` and its end.
  for (const char* line = section.body; line < section.end;) {
    const char* equals = nullptr;
    const char* p = line;
    while (*p && !(p[0] == '\r' && p[1] == '\n')) {  // section.end always starts a line
      if (!equals && *p == '=') equals = p;
      ++p;
    }
    if (equals && *line != ';') {
      const char* keyEnd = equals;
      while (keyEnd > line && keyEnd[-1] == ' ') --keyEnd;
      if (!visit(KeyLine{line, equals, p, static_cast<size_t>(keyEnd - line)})) return false;
    }
    if (!*p) break;
    line = p + 2;
  }
  return true;
}

// A key line matches when it starts with the key followed by nothing but
// spaces up to an `=`. For a key without `=` and without a trailing space
// that is: the line's key, trailing spaces left out, equals the key.
bool IsPlainKey(const char* key, size_t length) { return length && key[length - 1] != ' ' && !strchr(key, '='); }

bool MatchesKey(const KeyLine& line, const char* key, size_t length, bool plainKey) {
  if (plainKey) return line.keyLength == length && scan::EqualFolded(line.start, key, length);
  if (static_cast<size_t>(line.end - line.start) < length || !scan::EqualFolded(line.start, key, length)) return false;
  const char* p = line.start + length;
  while (p < line.end && *p == ' ') ++p;
  return p < line.end && *p == '=';
}

// The key lines of the section last searched in a held or edited text: a
// timing section is asked for twelve keys in a row, and walking its body
// once instead of twelve times keeps reading the database linear. Any edit
// or release of a slot text drops it.
struct KeyLineCache {
  const char* header = nullptr;
  std::vector<KeyLine> lines;
  void Clear() {
    header = nullptr;
    lines.clear();
  }
};
KeyLineCache g_keyLines;

// Every edit or release of a slot text makes what was found in it stale.
void ForgetLookups() {
  g_keyLines.Clear();
  g_lastSection.text = nullptr;
}

bool FillKeyLineCache(const Section& section) {
  g_keyLines.Clear();
  try {
    ForEachKeyLine(section, [](const KeyLine& line) {
      g_keyLines.lines.push_back(line);
      return true;
    });
  } catch (const std::bad_alloc&) {
    g_keyLines.Clear();
    return false;
  }
  g_keyLines.header = section.header;
  return true;
}

bool FindKeyLine(const char* text, const Section& section, const char* key, KeyLine* found) {
  const size_t length = strlen(key);
  const bool plainKey = IsPlainKey(key, length);
  const bool slotText = text == g_read.text || text == g_edit.text;
  if (slotText && (g_keyLines.header == section.header || FillKeyLineCache(section))) {
    for (const KeyLine& line : g_keyLines.lines) {
      if (MatchesKey(line, key, length, plainKey)) {
        *found = line;
        return true;
      }
    }
    return false;
  }
  bool hit = false;
  ForEachKeyLine(section, [&](const KeyLine& line) {
    if (!MatchesKey(line, key, length, plainKey)) return true;
    *found = line;
    hit = true;
    return false;
  });
  return hit;
}

// Builds a name list; the output is closed after every name so that a
// failure leaves a valid list of what was copied.
class NameList {
 public:
  NameList(char* out, DWORD capacity) : out_(out), capacity_(capacity) { out_[0] = 0; }
  // Adds the bytes of [begin, end) without the byte `drop`.
  bool Add(const char* begin, const char* end, char drop) {
    DWORD length = 0;
    for (const char* p = begin; p < end; ++p)
      if (*p != drop) ++length;
    if (static_cast<unsigned long long>(used_) + length + 2 > capacity_) return false;
    for (const char* p = begin; p < end; ++p)
      if (*p != drop) out_[used_++] = *p;
    out_[used_++] = 0;
    out_[used_] = 0;
    return true;
  }

 private:
  char* out_;
  DWORD capacity_;
  DWORD used_ = 0;
};

bool BuildEnginePath(const char* path, char* out) {
  const size_t length = strlen(path);
  if (length > kMaxEnginePath) return false;
  if (strchr(path, '\\') || strchr(path, ':')) {
    memcpy(out, path, length + 1);
    return true;
  }
  char folder[MAX_PATH + 1];
  UINT folderLength = GetWindowsDirectoryA(folder, sizeof folder);
  if (folderLength == 0 || folderLength >= sizeof folder) return false;
  const bool needsSeparator = folder[folderLength - 1] != '\\';
  if (folderLength + (needsSeparator ? 1 : 0) + length > kMaxEnginePath) return false;
  memcpy(out, folder, folderLength);
  if (needsSeparator) out[folderLength++] = '\\';
  memcpy(out + folderLength, path, length + 1);
  return true;
}

void* AllocateText(DWORD size) { return HeapAlloc(GetProcessHeap(), 0, size); }
void FreeText(void* text) { HeapFree(GetProcessHeap(), 0, text); }

}  // namespace

char* LoadSectionText(const char* path) {
  if (!path || !*path || g_read.text) return nullptr;
  char fullPath[kMaxEnginePath + 1];
  if (!BuildEnginePath(path, fullPath)) return nullptr;
  HANDLE file = CreateFileA(fullPath, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  DWORD size = GetFileSize(file, nullptr);
  char* text = size == INVALID_FILE_SIZE ? nullptr : static_cast<char*>(AllocateText(size + 1));
  DWORD read = 0;
  if (text && (!ReadFile(file, text, size, &read, nullptr) || read != size)) {
    FreeText(text);
    text = nullptr;
  }
  CloseHandle(file);
  if (!text) return nullptr;
  text[size] = 0;
  ForgetLookups();
  g_read.text = text;
  return text;
}

void FreeSectionText(char* text) {
  if (!text || text != g_read.text) return;
  g_read.index.Clear();
  ForgetLookups();
  FreeText(g_read.text);
  g_read.text = nullptr;
}

int ListSectionNames(const char* text, char* names, DWORD capacity) {
  if (!text || !names || capacity == 0) return 0;
  NameList list(names, capacity);
  auto add = [&](const char* header) {
    const char* close = header + 1 + scan::RawNameLength(header);
    bool empty = true;
    for (const char* p = header + 1; p < close; ++p)
      if (*p != '[') empty = false;
    return !empty && list.Add(header + 1, close, '[');
  };
  if (HeaderIndex* index = IndexOf(text)) {
    bool ok = true;
    index->ForEach(text, [&](const char* header) { ok = ok && add(header); });
    return ok ? 1 : 0;
  }
  for (const char* line = text; line; line = scan::NextLine(line))
    if (*line == '[' && scan::IsHeaderAt(text, line) && !add(line)) return 0;
  return 1;
}

int ListSectionKeys(const char* text, const char* section, char* keys, DWORD capacity) {
  if (!text || !keys || capacity == 0 || !IsName(section, kMaxLookupSectionName)) return 0;
  NameList list(keys, capacity);
  Section found;
  if (!LocateSection(text, section, &found)) return 0;
  return ForEachKeyLine(found, [&](const KeyLine& line) {
           bool empty = true;
           for (const char* p = line.start; p < line.equals; ++p)
             if (*p != ' ') empty = false;
           // A key of spaces alone cannot be looked up, and as an empty
           // name it would end the list early: leave it out.
           return empty || list.Add(line.start, line.equals, ' ');
         })
             ? 1
             : 0;
}

namespace {

void ValueOf(const KeyLine& line, const char** begin, const char** end) {
  const char* p = line.equals + 1;
  while (p < line.end && *p == ' ') ++p;
  *begin = p;
  *end = line.end;
}

// The number rule of GetSectionNumber on a value [begin, end).
bool ParseNumber(const char* begin, const char* end, DWORD* number) {
  constexpr size_t kNumberValueCapacity = 1024;  // the value is read into a buffer of this size
  if (static_cast<size_t>(end - begin) > kNumberValueCapacity - 1) return false;
  if (begin < end && !(*begin >= '0' && *begin <= '9')) return false;
  unsigned long long result = 0;
  for (const char* p = begin; p < end && *p >= '0' && *p <= '9'; ++p) {
    result = result * 10 + static_cast<unsigned>(*p - '0');
    if (result > 0xFFFFFFFFull) return false;  // a clear failure rather than a wrapped number
  }
  *number = static_cast<DWORD>(result);
  return true;
}

}  // namespace

int GetSectionValue(const char* text, const char* section, const char* key, char* value, DWORD capacity) {
  if (!text || !value || capacity == 0 || !key || !*key || !IsName(section, kMaxLookupSectionName)) return 0;
  Section found;
  KeyLine line;
  if (!LocateSection(text, section, &found) || !FindKeyLine(text, found, key, &line)) return 0;
  const char *begin, *end;
  ValueOf(line, &begin, &end);
  const size_t length = static_cast<size_t>(end - begin);
  if (length > capacity - 1) return 0;
  memcpy(value, begin, length);
  value[length] = 0;
  return 1;
}

int GetSectionNumber(const char* text, const char* section, const char* key, DWORD* number) {
  return GetSectionNumbers(text, section, &key, 1, number, nullptr);
}

int GetSectionNumbers(const char* text, const char* section, const char* const* keys, int count, DWORD* numbers,
                      int* failedKey) {
  if (failedKey) *failedKey = -1;
  if (!text || !keys || !numbers || count <= 0 || !IsName(section, kMaxLookupSectionName)) return 0;
  Section found;
  if (!LocateSection(text, section, &found)) return 0;
  // One walk over the body finds every key's first line.
  constexpr int kMaxBatch = 32;
  KeyLine lines[kMaxBatch];
  size_t lengths[kMaxBatch];
  bool plain = count <= kMaxBatch;
  for (int i = 0; i < count && plain; ++i) {
    plain = keys[i] && *keys[i];
    if (plain) lengths[i] = strlen(keys[i]);
    plain = plain && IsPlainKey(keys[i], lengths[i]);
    if (plain) lines[i].start = nullptr;
  }
  if (plain) {
    int missing = count;
    int expected = 0;  // keys usually stand in the order asked for
    bool distinct = true;
    for (int i = 0; i < count && distinct; ++i)
      for (int j = i + 1; j < count && distinct; ++j)
        distinct = !(lengths[i] == lengths[j] && scan::EqualFolded(keys[i], keys[j], lengths[i]));
    ForEachKeyLine(found, [&](const KeyLine& line) {
      if (distinct && expected < count && MatchesKey(line, keys[expected], lengths[expected], true)) {
        lines[expected] = line;
        --missing;
      } else {
        for (int i = 0; i < count; ++i) {
          if (!lines[i].start && MatchesKey(line, keys[i], lengths[i], true)) {
            lines[i] = line;
            --missing;
          }
        }
      }
      while (expected < count && lines[expected].start) ++expected;
      return missing > 0;
    });
  }
  for (int i = 0; i < count; ++i) {
    KeyLine line;
    const char *begin, *end;
    const bool ok = plain ? lines[i].start != nullptr
                          : keys[i] && *keys[i] && FindKeyLine(text, found, keys[i], &line);
    if (plain && ok) line = lines[i];
    if (!ok) {
      if (failedKey) *failedKey = i;
      return 0;
    }
    ValueOf(line, &begin, &end);
    if (!ParseNumber(begin, end, &numbers[i])) {
      if (failedKey) *failedKey = i;
      return 0;
    }
  }
  return 1;
}

const char* FindSection(const char* text, const char* section) {
  if (!text || !IsName(section, kMaxLookupSectionName)) return nullptr;
  const char* header = FindHeaderOf(text, section);
  return header ? header + 1 : nullptr;
}

namespace {

const char* LastLineStart(const char* text, size_t length) {
  const char* last = text + length;
  while (last > text && !(last - text >= 2 && scan::IsLineBreak(last - 2))) --last;
  return last;
}

// Where DeleteSection finds its header: after a CR LF first (a header on the
// last line counts too), else at the very start of the text.
const char* FindHeaderToDelete(const char* text, const char* name, HeaderIndex* index) {
  const size_t length = strlen(name);
  if (index && !strchr(name, ']')) {
    if (const char* header = index->FindNotAtStart(text, name, length)) return header;
    // The last line can hold "[name]" without being a header.
    const char* end = text + index->textLength();
    const char* last = LastLineStart(text, index->textLength());
    if (last > text && *last == '[' && static_cast<size_t>(end - last) > length + 1 &&
        scan::EqualFolded(last + 1, name, length) && last[length + 1] == ']')
      return last;
  } else {
    char pattern[kMaxDeleteSectionName + 4] = "\r\n[";
    memcpy(pattern + 3, name, length);
    pattern[length + 3] = ']';
    if (const char* hit = scan::SearchFolded(text, pattern, length + 4)) return hit + 2;
  }
  if (text[0] == '[' && strlen(text) > length + 1 && scan::EqualFolded(text + 1, name, length) &&
      text[length + 1] == ']')
    return text;
  return nullptr;
}

}  // namespace

int DeleteSection(char* text, const char* section) {
  if (!text || !IsName(section, kMaxDeleteSectionName)) return 0;
  ForgetLookups();
  HeaderIndex* index = IndexOf(text);
  char* header = const_cast<char*>(FindHeaderToDelete(text, section, index));
  if (!header) return 0;

  // The cut runs to the next header (or to the last line's "[name]", which
  // can be deleted by name too): a `[` inside a value or comment of the
  // deleted section does not end it.
  const char* next = nullptr;
  const char* afterHeader = scan::NextLine(header);
  if (index && index->Contains(text, header)) {
    next = index->Next(text, header);
    if (!next) {
      const char* last = LastLineStart(text, index->textLength());
      if (last >= afterHeader && scan::IsBracketLineAt(text, last)) next = last;
    }
  } else if (afterHeader) {
    next = scan::NextBracketLine(text, afterHeader);
  }

  const size_t length = index ? index->textLength() : strlen(text);
  const size_t at = static_cast<size_t>(header - text);
  if (!next) {
    // Nothing follows: the text ends where the header's own CR LF began.
    const size_t end = at == 0 ? 0 : at - 2;
    text[end] = 0;
    if (index) index->Truncated(text, end);
    return 1;
  }
  size_t keep = 0;
  if (at > 0) {
    size_t cut = at - 2;
    while (cut > 4 && scan::IsLineBreak(text + cut - 4) && scan::IsLineBreak(text + cut - 2)) cut -= 2;
    keep = cut + 2;  // the CR LF at the cut point stays
  }
  const size_t from = static_cast<size_t>(next - text);
  memmove(text + keep, text + from, length - from + 1);
  if (index) index->Removed(keep, from);
  return 1;
}

namespace {

void ReleaseEditMapping() {
  ForgetLookups();
  if (g_edit.text) UnmapViewOfFile(g_edit.text);
  if (g_edit.mapping) CloseHandle(g_edit.mapping);
  g_edit.text = nullptr;
  g_edit.mapping = nullptr;
  g_edit.index.Clear();
}

bool SetFileEnd(HANDLE file, DWORD length) {
  return SetFilePointer(file, static_cast<LONG>(length), nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
         SetEndOfFile(file);
}

}  // namespace

char* OpenTextForEdit(const char* path) {
  if (!path || !*path || g_edit.file != INVALID_HANDLE_VALUE) return nullptr;
  char fullPath[kMaxEnginePath + 1];
  if (!BuildEnginePath(path, fullPath)) return nullptr;
  HANDLE file = CreateFileA(fullPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_RANDOM_ACCESS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  g_edit.file = file;
  const DWORD size = GetFileSize(file, nullptr);
  if (size != INVALID_FILE_SIZE && size < 0xFFFFFFFFu - 1)
    g_edit.mapping = CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, size + 1, nullptr);
  if (g_edit.mapping) g_edit.text = static_cast<char*>(MapViewOfFile(g_edit.mapping, FILE_MAP_WRITE, 0, 0, 0));
  // A NUL inside the file would end the text there and the commit would cut
  // the file at it: refuse such a file instead.
  if (!g_edit.text || memchr(g_edit.text, 0, size)) {
    ReleaseEditMapping();
    if (size != INVALID_FILE_SIZE) SetFileEnd(file, size);  // the mapping grew it by one byte
    CloseHandle(file);
    g_edit.file = INVALID_HANDLE_VALUE;
    return nullptr;
  }
  g_edit.text[size] = 0;
  return g_edit.text;
}

int CommitEditedText(char* text) {
  if (!text || text != g_edit.text) return 0;
  const DWORD length = static_cast<DWORD>(strlen(text));
  bool ok = FlushViewOfFile(text, length) != FALSE;
  ReleaseEditMapping();
  ok = SetFileEnd(g_edit.file, length) && ok;
  CloseHandle(g_edit.file);
  g_edit.file = INVALID_HANDLE_VALUE;
  return ok ? 1 : 0;
}

int AppendToTextFile(const char* path, const char* text) {
  if (!path || !*path || !text) return 0;
  char fullPath[kMaxEnginePath + 1];
  if (!BuildEnginePath(path, fullPath)) return 0;
  const bool bare = !strchr(path, '\\') && !strchr(path, ':');
  bool created = false;
  HANDLE file = CreateFileA(fullPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE && bare && GetLastError() == ERROR_FILE_NOT_FOUND) {
    file = CreateFileA(fullPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    created = file != INVALID_HANDLE_VALUE;
  }
  if (file == INVALID_HANDLE_VALUE) return 0;

  const DWORD oldSize = GetFileSize(file, nullptr);
  const size_t textLength = strlen(text);
  bool ok = oldSize != INVALID_FILE_SIZE && textLength + 7 < 0xFFFFFFFFu - oldSize;
  HANDLE mapping = nullptr;
  char* view = nullptr;
  DWORD newLength = 0;
  if (ok) {
    const DWORD mapSize = static_cast<DWORD>(oldSize + textLength + 7);
    mapping = CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, mapSize, nullptr);
    view = mapping ? static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0)) : nullptr;
    // A NUL in the old content would end the measured text there and cut
    // the file: refuse, leaving it as it was.
    ok = view && !memchr(view, 0, oldSize);
    if (ok) {
      memcpy(view + oldSize, text, textLength);
      memset(view + oldSize + textLength, 0, 7);
      newLength = static_cast<DWORD>(strlen(view));
      while (newLength >= 2 && view[newLength - 2] == '\r' && view[newLength - 1] == '\n') newLength -= 2;
      ok = FlushViewOfFile(view, newLength) != FALSE;
    }
  }
  if (view) UnmapViewOfFile(view);
  if (mapping) CloseHandle(mapping);
  ok = ok && SetFileEnd(file, newLength);
  if (!ok && oldSize != INVALID_FILE_SIZE) SetFileEnd(file, oldSize);
  CloseHandle(file);
  if (!ok && created) DeleteFileA(fullPath);
  return ok ? 1 : 0;
}

}  // namespace monitor_db
