#include "section_scan.h"

#include <string.h>

namespace monitor_db::scan {

bool EqualFolded(const char* a, const char* b, size_t length) {
  for (size_t i = 0; i < length; ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

const char* SearchFolded(const char* from, const char* pattern, size_t patternLength) {
  if (patternLength == 0) return from;
  const char first = FoldAscii(pattern[0]);
  for (const char* p = from; *p; ++p) {
    if (FoldAscii(*p) != first) continue;
    size_t i = 1;
    while (i < patternLength && p[i] && FoldAscii(p[i]) == FoldAscii(pattern[i])) ++i;
    if (i == patternLength) return p;
  }
  return nullptr;
}

const char* LineEnd(const char* p) {
  while (*p && !IsLineBreak(p)) ++p;
  return p;
}

const char* NextLine(const char* p) {
  const char* end = LineEnd(p);
  return *end ? end + 2 : nullptr;
}

bool IsHeaderAt(const char* text, const char* p) {
  if (*p != '[') return false;
  if (p != text && !(p - text >= 2 && IsLineBreak(p - 2))) return false;
  bool closed = false;
  for (const char* q = p + 1; *q; ++q) {
    if (IsLineBreak(q)) return closed;
    if (*q == ']') closed = true;
  }
  return false;  // the last line: no CR LF after it
}

bool IsBracketLineAt(const char* text, const char* p) {
  if (*p != '[') return false;
  if (p != text && !(p - text >= 2 && IsLineBreak(p - 2))) return false;
  for (const char* q = p + 1; *q && !IsLineBreak(q); ++q)
    if (*q == ']') return true;
  return false;
}

size_t RawNameLength(const char* header) {
  const char* close = strchr(header + 1, ']');
  return close ? static_cast<size_t>(close - header - 1) : 0;
}

const char* FindHeader(const char* text, const char* name, size_t nameLength) {
  // The name followed by `]`, counted only where a header's `[` stands before it.
  char pattern[300];
  if (nameLength + 1 > sizeof pattern) return nullptr;
  memcpy(pattern, name, nameLength);
  pattern[nameLength] = ']';
  for (const char* from = text;;) {
    const char* hit = SearchFolded(from, pattern, nameLength + 1);
    if (!hit) return nullptr;
    if (hit > text && IsHeaderAt(text, hit - 1)) return hit - 1;
    from = hit + 1;
  }
}

const char* NextHeader(const char* text, const char* lineStart) {
  for (const char* p = lineStart; p; p = NextLine(p))
    if (*p == '[' && IsHeaderAt(text, p)) return p;
  return nullptr;
}

const char* NextBracketLine(const char* text, const char* lineStart) {
  for (const char* p = lineStart; p; p = NextLine(p))
    if (IsBracketLineAt(text, p)) return p;
  return nullptr;
}

}  // namespace monitor_db::scan
