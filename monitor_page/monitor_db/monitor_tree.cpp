#include "monitor_tree.h"

#include <string.h>

#include <new>

namespace monitor_db {
namespace {

struct Resolution {
  const char* keyName;
  int width, height;
};
constexpr Resolution kResolutions[kResolutionCount] = {
    {"640X480", 640, 480},     {"800X600", 800, 600},     {"1024X768", 1024, 768}, {"1152X864", 1152, 864},
    {"1280X1024", 1280, 1024}, {"1600X1200", 1600, 1200}, {"NTSC", 0, 0},          {"PAL", 0, 0},
};
constexpr int kStandardResolutions = 6;

// Nodes come from the C++ allocator: a database holds tens of thousands of
// them, and the process heap's bookkeeping per block would dominate reading it.
template <class Node>
Node* Allocate() {
  return new (std::nothrow) Node{};
}

void CopyName(char* field, size_t size, const char* name) {
  size_t length = name ? strlen(name) : 0;
  if (length > size - 1) length = size - 1;
  memcpy(field, name, length);
  field[length] = 0;
}

void UnlinkManufacturer(MonitorManufacturer** list, MonitorManufacturer* manufacturer) {
  if (manufacturer->prev)
    manufacturer->prev->next = manufacturer->next;
  else if (*list == manufacturer)
    *list = manufacturer->next;
  if (manufacturer->next) manufacturer->next->prev = manufacturer->prev;
  manufacturer->prev = manufacturer->next = nullptr;
}

void UnlinkModel(MonitorManufacturer* owner, MonitorModel* model) {
  if (model->prev)
    model->prev->next = model->next;
  else if (owner && owner->models == model)
    owner->models = model->next;
  if (model->next) model->next->prev = model->prev;
  model->prev = model->next = nullptr;
}

void PushFirstModel(MonitorManufacturer* manufacturer, MonitorModel* model) {
  model->prev = nullptr;
  model->next = manufacturer->models;
  if (manufacturer->models) manufacturer->models->prev = model;
  manufacturer->models = model;
}

bool ExceedsClock(const MonitorModel* model, long long limitKhz) {
  for (const MonitorTiming* t = model->newest; t; t = t->older)
    if (t->block.PIXEL_CLK > limitKhz) return true;
  return false;
}

}  // namespace

const char* ResolutionKeyName(LONG resolution) {
  return resolution >= 0 && resolution < kResolutionCount ? kResolutions[resolution].keyName : nullptr;
}
int ResolutionWidth(LONG resolution) {
  return resolution >= 0 && resolution < kResolutionCount ? kResolutions[resolution].width : 0;
}
int ResolutionHeight(LONG resolution) {
  return resolution >= 0 && resolution < kResolutionCount ? kResolutions[resolution].height : 0;
}
LONG ResolutionOfWidth(int width) {
  for (LONG i = 0; i < kStandardResolutions; ++i)
    if (kResolutions[i].width == width) return i;
  return -1;
}
LONG ResolutionOfHeight(int height) {
  for (LONG i = 0; i < kStandardResolutions; ++i)
    if (kResolutions[i].height == height) return i;
  return -1;
}

MonitorManufacturer* NewManufacturer(const char* name) {
  auto* manufacturer = Allocate<MonitorManufacturer>();
  if (manufacturer) CopyName(manufacturer->name, sizeof manufacturer->name, name);
  return manufacturer;
}

MonitorModel* NewModel(const char* name) {
  auto* model = Allocate<MonitorModel>();
  if (model) CopyName(model->name, sizeof model->name, name);
  return model;
}

MonitorTiming* NewTiming() { return Allocate<MonitorTiming>(); }

void PushNewestTiming(MonitorModel* model, MonitorTiming* timing) {
  timing->newer = nullptr;
  timing->older = model->newest;
  if (model->newest) model->newest->newer = timing;
  model->newest = timing;
}

void AppendOldestTiming(MonitorModel* model, MonitorTiming* timing) {
  MonitorTiming* oldest = model->newest;
  while (oldest && oldest->older) oldest = oldest->older;
  timing->older = nullptr;
  timing->newer = oldest;
  if (oldest)
    oldest->older = timing;
  else
    model->newest = timing;
}

void FreeModel(MonitorModel* model) {
  if (!model) return;
  for (MonitorTiming* t = model->newest; t;) {
    MonitorTiming* older = t->older;
    delete t;
    t = older;
  }
  delete model;
}

void FreeTiming(MonitorTiming* timing) { delete timing; }

void FreeManufacturer(MonitorManufacturer* manufacturer) {
  if (!manufacturer) return;
  for (MonitorModel* model = manufacturer->models; model;) {
    MonitorModel* next = model->next;
    FreeModel(model);
    model = next;
  }
  delete manufacturer;
}

void FreeMonitorTree(MonitorManufacturer** list) {
  if (!list) return;
  for (MonitorManufacturer* m = *list; m;) {
    MonitorManufacturer* next = m->next;
    FreeManufacturer(m);
    m = next;
  }
  *list = nullptr;
}

MonitorModel* FindModelByHandle(DWORD displayHandle, MonitorManufacturer* list) {
  // 0 means "not shown"; it identifies no model.
  if (displayHandle == 0) return nullptr;
  for (MonitorManufacturer* m = list; m; m = m->next)
    for (MonitorModel* model = m->models; model; model = model->next)
      if (model->displayHandle == displayHandle) return model;
  return nullptr;
}

int FindModelByNames(MonitorManufacturer* list, const char* manufacturerName, const char* modelName,
                     MonitorManufacturer** manufacturer, MonitorModel** model) {
  if (!manufacturerName || !modelName) return 0;
  for (MonitorManufacturer* m = list; m; m = m->next) {
    if (strcmp(m->name, manufacturerName) != 0) continue;
    for (MonitorModel* candidate = m->models; candidate; candidate = candidate->next) {
      if (strcmp(candidate->name, modelName) != 0) continue;
      if (manufacturer) *manufacturer = m;
      if (model) *model = candidate;
      return 1;
    }
  }
  return 0;
}

MonitorManufacturer* FindManufacturerOf(const MonitorModel* model, MonitorManufacturer* list) {
  if (!model) return nullptr;
  for (MonitorManufacturer* m = list; m; m = m->next)
    for (const MonitorModel* candidate = m->models; candidate; candidate = candidate->next)
      if (candidate == model) return m;
  return nullptr;
}

MonitorTiming* FindTimingByHandle(DWORD displayHandle, MonitorModel* model) {
  if (displayHandle == 0 || !model) return nullptr;
  for (MonitorTiming* t = model->newest; t; t = t->older)
    if (t->displayHandle == displayHandle) return t;
  return nullptr;
}

MonitorModel* CopyModel(const MonitorModel* model) {
  if (!model) return nullptr;
  MonitorModel* copy = NewModel(model->name);
  if (!copy) return nullptr;
  copy->displayHandle = model->displayHandle;
  MonitorTiming* last = nullptr;
  for (const MonitorTiming* t = model->newest; t; t = t->older) {
    MonitorTiming* timing = NewTiming();
    if (!timing) {
      FreeModel(copy);
      return nullptr;
    }
    *timing = *t;
    timing->displayHandle = 0;
    timing->newer = last;
    timing->older = nullptr;
    if (last)
      last->older = timing;
    else
      copy->newest = timing;
    last = timing;
  }
  return copy;
}

int AddUserModel(MonitorManufacturer** list, const MonitorModel* model, int replace, MonitorModel** copy) {
  if (!list || !model) return 0;
  MonitorManufacturer* user = *list;
  MonitorManufacturer* last = nullptr;
  for (; user && strcmp(user->name, kUserDefinedManufacturer) != 0; user = user->next) last = user;
  MonitorModel* existing = nullptr;
  if (user) {
    for (existing = user->models; existing && strcmp(existing->name, model->name) != 0;) existing = existing->next;
    if (existing && !replace) return 0;
  }
  // The copy is made first, so a failure leaves the tree as it was; the
  // model being replaced may be `model` itself.
  MonitorModel* added = CopyModel(model);
  if (!added) return 0;
  if (!user) {
    user = NewManufacturer(kUserDefinedManufacturer);
    if (!user) {
      FreeModel(added);
      return 0;
    }
    user->prev = last;
    if (last)
      last->next = user;
    else
      *list = user;
  }
  if (existing) DeleteModel(list, existing, 0);
  PushFirstModel(user, added);
  if (copy) *copy = added;
  return 1;
}

void DeleteModel(MonitorManufacturer** list, MonitorModel* model, int dropEmpty) {
  if (!model) return;
  MonitorManufacturer* owner = list ? FindManufacturerOf(model, *list) : nullptr;
  UnlinkModel(owner, model);
  FreeModel(model);
  if (owner && !owner->models && dropEmpty) {
    UnlinkManufacturer(list, owner);
    delete owner;
  }
}

void PruneByPixelClock(MonitorManufacturer** list, DWORD maxMegahertz) {
  if (!list) return;
  const long long limitKhz = static_cast<long long>(maxMegahertz) * 1000;
  for (MonitorManufacturer* m = *list; m;) {
    MonitorManufacturer* nextManufacturer = m->next;
    for (MonitorModel* model = m->models; model;) {
      MonitorModel* next = model->next;
      if (maxMegahertz == 0 || ExceedsClock(model, limitKhz)) {
        UnlinkModel(m, model);
        FreeModel(model);
      }
      model = next;
    }
    if (!m->models) {
      UnlinkManufacturer(list, m);
      delete m;
    }
    m = nextManufacturer;
  }
}

int CountManufacturers(const MonitorManufacturer* list) {
  int count = 0;
  for (; list; list = list->next) ++count;
  return count;
}

int CountModels(const MonitorManufacturer* manufacturer) {
  int count = 0;
  for (const MonitorModel* m = manufacturer ? manufacturer->models : nullptr; m; m = m->next) ++count;
  return count;
}

int CountTimings(const MonitorModel* model) {
  int count = 0;
  for (const MonitorTiming* t = model ? model->newest : nullptr; t; t = t->older) ++count;
  return count;
}

}  // namespace monitor_db
