// GDI's handle table. Its handles live in a range of their own, apart from the
// kernel's, so a kernel handle passed as an HDC is refused.
#include "gdi/dc.h"

#include <host/station.h>

#include <map>
#include <mutex>

namespace host::gdi {
namespace {

struct ObjectTable {
  std::mutex lock;
  std::map<ULONG_PTR, std::shared_ptr<GdiObject>> objects;
  ULONG_PTR next = 0x00A00004;
};

ObjectTable& Table() {
  static ObjectTable table;
  return table;
}

void Clear() {
  std::map<ULONG_PTR, std::shared_ptr<GdiObject>> old;  // destroyed outside the lock
  std::lock_guard guard(Table().lock);
  old.swap(Table().objects);
}

const bool kRegistered = [] {
  RegisterStationHook(30, Clear, Clear);
  return true;
}();

}  // namespace

HGDIOBJ AddObject(std::shared_ptr<GdiObject> object) {
  std::lock_guard guard(Table().lock);
  ULONG_PTR value = Table().next;
  Table().next += 4;
  Table().objects[value] = std::move(object);
  return reinterpret_cast<HGDIOBJ>(value);
}

std::shared_ptr<GdiObject> LookupObject(HGDIOBJ handle) {
  std::lock_guard guard(Table().lock);
  auto found = Table().objects.find(reinterpret_cast<ULONG_PTR>(handle));
  return found == Table().objects.end() ? nullptr : found->second;
}

bool RemoveObject(HGDIOBJ handle) {
  std::shared_ptr<GdiObject> last;
  std::lock_guard guard(Table().lock);
  auto found = Table().objects.find(reinterpret_cast<ULONG_PTR>(handle));
  if (found == Table().objects.end()) return false;
  last = std::move(found->second);
  Table().objects.erase(found);
  return true;
}

}  // namespace host::gdi
