// An index of the section headers of one text, so that finding a section
// costs a hash lookup instead of a scan of the whole text. It must always
// agree with the plain scanning rules (section_scan.h); the engine keeps it
// true across its own edits (DeleteSection).
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <vector>

namespace monitor_db {

class HeaderIndex {
 public:
  // Indexes every header of `text`. False (index left empty and unusable)
  // when memory runs out.
  bool Build(const char* text);
  void Clear();
  bool built() const { return built_; }
  size_t textLength() const { return length_; }

  // The first header, in text order, whose raw name equals `name` without
  // regard to ASCII case. `name` must not hold a `]`.
  const char* Find(const char* text, const char* name, size_t nameLength) const;
  // Same, skipping a header at the very start of the text.
  const char* FindNotAtStart(const char* text, const char* name, size_t nameLength) const;
  // The header after `header` (which must be indexed), or nullptr.
  const char* Next(const char* text, const char* header) const;
  bool Contains(const char* text, const char* header) const;

  template <class Visit>
  void ForEach(const char* text, Visit visit) const {
    for (const Entry& e : entries_)
      if (e.alive) visit(text + e.offset);
  }

  // The bytes [from, to) were removed from the text and the rest moved down.
  void Removed(size_t from, size_t to);
  // The text now ends at `at`: headers from there die, and a header on the
  // new last line is no longer one.
  void Truncated(const char* text, size_t at);

 private:
  struct Entry {
    uint32_t offset;
    uint32_t nameLength;
    int32_t nextSame;  // next entry with the same folded name, in text order
    int32_t lastSame;  // meaningful on the first entry of a chain
    bool alive;
  };
  static uint32_t Hash(const char* name, size_t length);
  int32_t ChainOf(const char* text, const char* name, size_t length) const;
  int32_t EntryAt(uint32_t offset) const;

  std::vector<Entry> entries_;
  std::vector<int32_t> slots_;  // open addressing, -1 = empty, else first entry of a chain
  size_t length_ = 0;
  bool built_ = false;
};

}  // namespace monitor_db
