#include "section_index.h"

#include <string.h>

#include <algorithm>
#include <new>

#include "section_scan.h"

namespace monitor_db {

uint32_t HeaderIndex::Hash(const char* name, size_t length) {
  uint32_t h = 2166136261u;
  for (size_t i = 0; i < length; ++i) h = (h ^ static_cast<unsigned char>(scan::FoldAscii(name[i]))) * 16777619u;
  return h;
}

bool HeaderIndex::Build(const char* text) {
  Clear();
  try {
    const char* p = text;
    for (;;) {
      const char* start = p;
      const char* close = nullptr;
      const bool bracket = *p == '[';
      while (*p && !scan::IsLineBreak(p)) {
        if (bracket && !close && *p == ']') close = p;
        ++p;
      }
      if (!*p) break;  // the last line never holds a header
      if (close)
        entries_.push_back({static_cast<uint32_t>(start - text), static_cast<uint32_t>(close - start - 1), -1, -1, true});
      p += 2;
    }
    length_ = static_cast<size_t>(p - text) + strlen(p);
    size_t slotCount = 16;
    while (slotCount < entries_.size() * 2) slotCount *= 2;
    slots_.assign(slotCount, -1);
    for (int32_t i = 0; i < static_cast<int32_t>(entries_.size()); ++i) {
      Entry& e = entries_[i];
      const char* name = text + e.offset + 1;
      size_t slot = Hash(name, e.nameLength) & (slotCount - 1);
      for (;; slot = (slot + 1) & (slotCount - 1)) {
        int32_t head = slots_[slot];
        if (head < 0) {
          slots_[slot] = i;
          e.lastSame = i;
          break;
        }
        Entry& h = entries_[head];
        if (h.nameLength == e.nameLength && scan::EqualFolded(text + h.offset + 1, name, e.nameLength)) {
          entries_[h.lastSame].nextSame = i;
          h.lastSame = i;
          break;
        }
      }
    }
  } catch (const std::bad_alloc&) {
    Clear();
    return false;
  }
  built_ = true;
  return true;
}

void HeaderIndex::Clear() {
  entries_.clear();
  entries_.shrink_to_fit();
  slots_.clear();
  slots_.shrink_to_fit();
  length_ = 0;
  built_ = false;
}

int32_t HeaderIndex::ChainOf(const char* text, const char* name, size_t length) const {
  // Dead entries no longer point at their name, so a chain is compared
  // through its first live entry; a chain without one matches nothing.
  if (slots_.empty()) return -1;
  const size_t mask = slots_.size() - 1;
  for (size_t slot = Hash(name, length) & mask;; slot = (slot + 1) & mask) {
    int32_t i = slots_[slot];
    if (i < 0) return -1;
    while (i >= 0 && !entries_[i].alive) i = entries_[i].nextSame;
    if (i < 0) continue;
    const Entry& e = entries_[i];
    if (e.nameLength == length && scan::EqualFolded(text + e.offset + 1, name, length)) return i;
  }
}

const char* HeaderIndex::Find(const char* text, const char* name, size_t nameLength) const {
  int32_t i = ChainOf(text, name, nameLength);
  return i >= 0 ? text + entries_[i].offset : nullptr;
}

const char* HeaderIndex::FindNotAtStart(const char* text, const char* name, size_t nameLength) const {
  for (int32_t i = ChainOf(text, name, nameLength); i >= 0; i = entries_[i].nextSame)
    if (entries_[i].alive && entries_[i].offset > 0) return text + entries_[i].offset;
  return nullptr;
}

int32_t HeaderIndex::EntryAt(uint32_t offset) const {
  auto it = std::lower_bound(entries_.begin(), entries_.end(), offset,
                             [](const Entry& e, uint32_t value) { return e.offset < value; });
  // Dead entries can share an offset with a live one after a removal: prefer the live one.
  for (; it != entries_.end() && it->offset == offset; ++it)
    if (it->alive) return static_cast<int32_t>(it - entries_.begin());
  return -1;
}

bool HeaderIndex::Contains(const char* text, const char* header) const {
  return header >= text && EntryAt(static_cast<uint32_t>(header - text)) >= 0;
}

const char* HeaderIndex::Next(const char* text, const char* header) const {
  int32_t i = EntryAt(static_cast<uint32_t>(header - text));
  if (i < 0) return nullptr;
  for (size_t j = static_cast<size_t>(i) + 1; j < entries_.size(); ++j)
    if (entries_[j].alive) return text + entries_[j].offset;
  return nullptr;
}

void HeaderIndex::Removed(size_t from, size_t to) {
  const uint32_t shift = static_cast<uint32_t>(to - from);
  for (Entry& e : entries_) {
    if (e.offset >= to)
      e.offset -= shift;
    else if (e.offset >= from)
      e = Entry{static_cast<uint32_t>(from), e.nameLength, e.nextSame, e.lastSame, false};  // stays sorted
  }
  length_ -= shift;
}

void HeaderIndex::Truncated(const char* text, size_t at) {
  Entry* last = nullptr;
  for (Entry& e : entries_) {
    if (e.offset >= at)
      e.alive = false;
    else if (e.alive)
      last = &e;
  }
  length_ = at;
  if (last && !scan::IsHeaderAt(text, text + last->offset)) last->alive = false;
}

}  // namespace monitor_db
