// Plain scanning rules of the sectioned text, shared by the engine and by
// its header index. These define what a header, a line and a name are.
#pragma once

#include <stddef.h>

namespace monitor_db::scan {

inline char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
bool EqualFolded(const char* a, const char* b, size_t length);
// First case-folded occurrence of `pattern` at or after `from`, or nullptr.
const char* SearchFolded(const char* from, const char* pattern, size_t patternLength);

inline bool IsLineBreak(const char* p) { return p[0] == '\r' && p[1] == '\n'; }
// The CR of the CR LF that ends the line holding `p`, or the text's NUL.
const char* LineEnd(const char* p);
// Start of the line after the one holding `p`, or nullptr on the last line.
const char* NextLine(const char* p);

// `p` is a `[` at the start of the text or after a CR LF, with a `]` later
// on its line, and the line ends in CR LF.
bool IsHeaderAt(const char* text, const char* p);
// `p` is a `[` at a line start with a `]` later on its line: a header, or
// the last line's "[name]" that lacks only the closing CR LF.
bool IsBracketLineAt(const char* text, const char* p);
// Length of the header's raw name: the bytes between `[` and the first `]`.
size_t RawNameLength(const char* header);

// The header whose raw name is `name` (first in text order), or nullptr.
const char* FindHeader(const char* text, const char* name, size_t nameLength);
// The first header starting at a line start at or after `lineStart`, or nullptr.
const char* NextHeader(const char* text, const char* lineStart);
// The first bracket line starting at or after `lineStart`, or nullptr.
const char* NextBracketLine(const char* text, const char* lineStart);

}  // namespace monitor_db::scan
