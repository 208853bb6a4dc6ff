// The sectioned text engine: OVX.MON is too large and too irregular for the
// profile functions, so the Monitor page reads and edits it through this.
//
// A text is the file's bytes followed by one NUL. Lines end in CR LF; a lone
// CR or LF does not end a line. Section and key names match without regard
// to the case of ASCII letters only. Results: 1 for success, 0 for failure;
// text-returning operations give nullptr on failure.
#pragma once

#include <windows.h>

namespace monitor_db {

// Limits of the names and paths the engine accepts.
constexpr int kMaxLookupSectionName = 126;
constexpr int kMaxDeleteSectionName = 83;
constexpr int kMaxEnginePath = 259;

// Reads a whole file into the one read slot. A path without `\` and `:` is
// taken relative to the Windows directory. Fails while a text is held.
char* LoadSectionText(const char* path);
// Releases the held text when `text` is it; otherwise does nothing.
void FreeSectionText(char* text);

// Name lists: every name followed by a NUL, the list closed by one more NUL.
// `capacity` counts the closing NUL. On failure the output holds the names
// copied so far, still closed.
int ListSectionNames(const char* text, char* names, DWORD capacity);
int ListSectionKeys(const char* text, const char* section, char* keys, DWORD capacity);

int GetSectionValue(const char* text, const char* section, const char* key, char* value, DWORD capacity);
// An empty value reads as 0; otherwise the value must begin with a digit and
// is read up to its first non-digit. A number beyond 32 bits fails.
int GetSectionNumber(const char* text, const char* section, const char* key, DWORD* number);
// GetSectionNumber for several keys of one section, found once. Fails at the
// first key GetSectionNumber would fail for; `failedKey` (optional) gets its
// index, or -1 when the section itself is missing.
int GetSectionNumbers(const char* text, const char* section, const char* const* keys, int count, DWORD* numbers,
                      int* failedKey);

// The first character of the name inside the section's header, or nullptr.
const char* FindSection(const char* text, const char* section);
// Removes the section (header and body) from the text in place.
int DeleteSection(char* text, const char* section);

// Maps the file writable into the one edit slot, with a NUL after its bytes.
// A file that holds a NUL byte is refused: committing would cut it there.
char* OpenTextForEdit(const char* path);
// Writes the text (up to its NUL) back, sets the file's end there, closes.
int CommitEditedText(char* text);

// Adds `text` after the file's content and removes every CR LF pair at the
// new end. A bare name relative to the Windows directory is created when
// missing; a path with a folder must name an existing file.
int AppendToTextFile(const char* path, const char* text);

}  // namespace monitor_db
