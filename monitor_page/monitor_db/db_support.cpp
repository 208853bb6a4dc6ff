#include "db_support.h"

#include <stdarg.h>
#include <string.h>

#include "monitor_text.h"

namespace monitor_db {
namespace {
char g_problem[1024];
}

const char* LastMonitorDbProblem() { return g_problem; }

namespace detail {

void ClearProblem() { g_problem[0] = 0; }

void SetProblem(const char* format, ...) {
  va_list args;
  va_start(args, format);
  wvsprintfA(g_problem, format, args);
  va_end(args);
}

TextBuffer::~TextBuffer() {
  if (data_) HeapFree(GetProcessHeap(), 0, data_);
}

bool TextBuffer::Reserve(size_t length) {
  if (!ok_) return false;
  if (length + 1 <= capacity_) return true;
  size_t capacity = capacity_ ? capacity_ : 256;
  while (capacity < length + 1) capacity *= 2;
  void* grown = data_ ? HeapReAlloc(GetProcessHeap(), 0, data_, capacity) : HeapAlloc(GetProcessHeap(), 0, capacity);
  if (!grown) {
    ok_ = false;
    return false;
  }
  data_ = static_cast<char*>(grown);
  capacity_ = capacity;
  return true;
}

void TextBuffer::Append(const char* text) { Append(text, strlen(text)); }

void TextBuffer::Append(const char* text, size_t length) {
  if (!Reserve(length_ + length)) return;
  memcpy(data_ + length_, text, length);
  length_ += length;
  data_[length_] = 0;
}

void TextBuffer::AppendNumber(LONG value) {
  char digits[16];
  Append(digits, static_cast<size_t>(wsprintfA(digits, "%ld", value)));
}

}  // namespace detail
}  // namespace monitor_db
