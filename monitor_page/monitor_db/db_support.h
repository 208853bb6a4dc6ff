// Helpers shared by the OVX.MON and OVX.BIN code: the problem text and a
// heap-backed text builder.
#pragma once

#include <windows.h>

namespace monitor_db::detail {

void ClearProblem();
// Formats with wsprintfA rules; the text is cut at 1023 characters.
void SetProblem(const char* format, ...);

// A growing NUL-terminated text on the process heap. A failed allocation
// makes every later append fail, so callers check ok() once at the end.
class TextBuffer {
 public:
  TextBuffer() = default;
  ~TextBuffer();
  TextBuffer(const TextBuffer&) = delete;
  TextBuffer& operator=(const TextBuffer&) = delete;

  void Append(const char* text);
  void Append(const char* text, size_t length);
  void AppendNumber(LONG value);
  bool ok() const { return ok_; }
  const char* text() const { return data_ ? data_ : ""; }
  size_t length() const { return length_; }

 private:
  bool Reserve(size_t length);
  char* data_ = nullptr;
  size_t length_ = 0;
  size_t capacity_ = 0;
  bool ok_ = true;
};

// A zeroed heap array freed on scope exit; data() is nullptr when it failed.
template <class T>
class HeapArray {
 public:
  explicit HeapArray(size_t count)
      : data_(static_cast<T*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, count ? count * sizeof(T) : 1))) {}
  ~HeapArray() {
    if (data_) HeapFree(GetProcessHeap(), 0, data_);
  }
  HeapArray(const HeapArray&) = delete;
  HeapArray& operator=(const HeapArray&) = delete;
  T* data() const { return data_; }
  T& operator[](size_t i) const { return data_[i]; }

 private:
  T* data_;
};

}  // namespace monitor_db::detail
