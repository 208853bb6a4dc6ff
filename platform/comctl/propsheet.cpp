// Property sheets: pages made with CreatePropertySheetPageA and the sheet of
// PropertySheetA, a "#32770" dialog holding a tab control, the pages and the
// OK, Cancel, Apply and Help buttons. The sheet is a dialog of the dialog
// manager (DialogBoxIndirectParamA when modal), so its modal loop, owner
// disabling and keyboard rules are the dialog manager's. A page's dialog is
// made from a copy of its template turned into a DS_CONTROL child the first
// time the page is shown. Pages answer notifications through DWL_MSGRESULT.
// PSM_ADDPAGE and PSM_REMOVEPAGE change the pages of a running sheet; pages
// with an icon show it on their tab, from an image list the sheet owns.
#include <prsht.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "comctl/comctl_internal.h"

// The page behind an HPROPSHEETPAGE: the caller's PROPSHEETPAGEA copied with
// every byte its dwSize names (programs append their own data to it).
struct _PSP {
  std::vector<DWORD> bytes;
  bool inSheet = false;  // a sheet owns it: only the sheet destroys it
  PROPSHEETPAGEA* page() { return reinterpret_cast<PROPSHEETPAGEA*>(bytes.data()); }
};

namespace host::comctl {
namespace {

constexpr DWORD kMaxPageSize = 0x10000;      // a larger dwSize is no page record
constexpr size_t kIndirectLimit = 0x100000;  // how far an in-memory template may reach
constexpr int kTabId = 0x3020;
constexpr int kApplyId = 0x3021;
constexpr char kSheetProp[] = "ovx.propsheet";

// ---- Page handles ----

std::mutex& PagesLock() {
  static std::mutex lock;
  return lock;
}
std::set<_PSP*>& LivePages() {
  static std::set<_PSP*> pages;
  return pages;
}

bool HasCallback(const PROPSHEETPAGEA& page) { return (page.dwFlags & PSP_USECALLBACK) && page.pfnCallback; }

// A sheet takes a page once: a handle that is gone, or already in a sheet, is left out.
bool TakePage(HPROPSHEETPAGE handle) {
  std::lock_guard<std::mutex> lock(PagesLock());
  if (!LivePages().count(handle) || handle->inSheet) return false;
  handle->inSheet = true;
  return true;
}

bool ForgetPage(HPROPSHEETPAGE handle, bool bySheet) {
  std::lock_guard<std::mutex> lock(PagesLock());
  if (!LivePages().count(handle) || handle->inSheet != bySheet) return false;
  LivePages().erase(handle);
  return true;
}

void Release(HPROPSHEETPAGE handle) {
  std::unique_ptr<_PSP> page(handle);
  PROPSHEETPAGEA* record = page->page();
  if (HasCallback(*record)) record->pfnCallback(nullptr, PSPCB_RELEASE, record);
}

void ReleaseTaken(HPROPSHEETPAGE handle) {
  if (ForgetPage(handle, true)) Release(handle);
}

// A page the sheet took but cannot use stays the caller's.
void GiveBack(HPROPSHEETPAGE handle) {
  std::lock_guard<std::mutex> lock(PagesLock());
  handle->inSheet = false;
}

// ---- Page templates ----

// Reads a DLGTEMPLATE or DLGTEMPLATEEX within `limit` bytes; a read past it fails.
class TemplateReader {
 public:
  TemplateReader(const BYTE* data, size_t limit) : data_(data), limit_(limit) {}
  bool Skip(size_t count) {
    if (!ok_ || limit_ - at_ < count) return ok_ = false;
    at_ += count;
    return true;
  }
  WORD Word() {
    WORD value = 0;
    if (Skip(2)) std::memcpy(&value, data_ + at_ - 2, 2);
    return value;
  }
  DWORD Dword() {
    DWORD value = 0;
    if (Skip(4)) std::memcpy(&value, data_ + at_ - 4, 4);
    return value;
  }
  void Align() { Skip((4 - at_ % 4) % 4); }
  // A string or an ordinal (0xFFFF, id); the string's characters in the 1252 range.
  std::string SzOrOrd() {
    WORD first = Word();
    if (first == 0xFFFF) {
      Word();
      return {};
    }
    return StringFrom(first);
  }
  std::string String() { return StringFrom(Word()); }
  size_t at() const { return at_; }
  bool ok() const { return ok_; }

 private:
  std::string StringFrom(WORD ch) {
    std::string text;
    while (ok_ && ch) {
      text += static_cast<char>(ch < 0x100 ? ch : '?');
      ch = Word();
    }
    return text;
  }
  const BYTE* data_;
  size_t limit_;
  size_t at_ = 0;
  bool ok_ = true;
};

struct PageTemplate {
  std::vector<DWORD> bytes;  // the whole template, its style made a child page's
  std::string caption;
  SIZE size{};  // dialog units
};

constexpr DWORD kNotInPage = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME | WS_VISIBLE |
                             WS_DISABLED | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

void SkipItems(TemplateReader& r, WORD count, bool extended) {
  for (WORD i = 0; i < count && r.ok(); ++i) {
    r.Align();
    r.Skip(extended ? 24 : 18);
    r.SzOrOrd();
    r.SzOrOrd();
    WORD extra = r.Word();
    r.Skip(extended ? extra : (extra >= 2 ? extra - 2u : 0u));
  }
}

std::optional<PageTemplate> ReadTemplate(const BYTE* data, size_t limit) {
  if (!data) return std::nullopt;
  TemplateReader r(data, limit);
  bool extended = limit >= 4 && data[0] == 1 && data[1] == 0 && data[2] == 0xFF && data[3] == 0xFF;
  size_t styleAt = extended ? 12 : 0;
  r.Skip(styleAt);
  DWORD style = r.Dword();
  if (!extended) r.Skip(4);
  WORD count = r.Word();
  r.Skip(4);
  PageTemplate t;
  t.size.cx = static_cast<SHORT>(r.Word());
  t.size.cy = static_cast<SHORT>(r.Word());
  r.SzOrOrd();
  r.SzOrOrd();
  t.caption = r.String();
  if (style & DS_SETFONT) {
    r.Skip(extended ? 6 : 2);
    r.String();
  }
  SkipItems(r, count, extended);
  if (!r.ok()) return std::nullopt;
  t.bytes.resize((r.at() + 3) / 4);
  std::memcpy(t.bytes.data(), data, r.at());
  DWORD pageStyle = (style & ~kNotInPage) | WS_CHILD | DS_CONTROL | DS_3DLOOK;
  std::memcpy(reinterpret_cast<BYTE*>(t.bytes.data()) + styleAt, &pageStyle, 4);
  return t;
}

std::optional<PageTemplate> TemplateOf(const PROPSHEETPAGEA& page) {
  if (page.dwFlags & PSP_DLGINDIRECT)
    return ReadTemplate(reinterpret_cast<const BYTE*>(page.pResource), kIndirectLimit);
  HRSRC found = FindResourceA(page.hInstance, page.pszTemplate, RT_DIALOG);
  HGLOBAL loaded = found ? LoadResource(page.hInstance, found) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return std::nullopt;
  return ReadTemplate(static_cast<const BYTE*>(data), SizeofResource(page.hInstance, found));
}

// A text given as a string or as the id of a string resource of `instance`.
std::string TextArgument(HINSTANCE instance, LPCSTR text) {
  if (!text) return "";
  if (!IS_INTRESOURCE(text)) return text;
  char buffer[256] = "";
  LoadStringA(instance, static_cast<UINT>(reinterpret_cast<UINT_PTR>(text)), buffer, sizeof buffer);
  return buffer;
}

// ---- The sheet ----

struct SheetPage {
  HPROPSHEETPAGE handle = nullptr;
  std::optional<PageTemplate> tmpl;
  std::string title;
  int image = -1;  // in the sheet's tab images
  HWND hwnd = nullptr;
  bool changed = false;
};

struct Sheet {
  DWORD flags = 0;
  HWND hwnd = nullptr;
  std::string caption;
  HICON icon = nullptr;
  std::vector<SheetPage> pages;
  int current = -1;
  UINT startPage = 0;
  std::string startTitle;  // PSH_USEPSTARTPAGE
  HWND tab = nullptr;
  HIMAGELIST images = nullptr;  // the pages' small icons, made with the first one
  INT_PTR restart = 0;          // ID_PSRESTARTWINDOWS / ID_PSREBOOTSYSTEM bits
  bool applied = false;
  bool closed = false;          // after OK or Cancel
  bool* initialised = nullptr;  // set once the sheet window owns the pages
};

Sheet* SheetOf(HWND hwnd) { return static_cast<Sheet*>(GetPropA(hwnd, kSheetProp)); }
int PageCount(const Sheet& sheet) { return static_cast<int>(sheet.pages.size()); }
HWND Button(const Sheet& sheet, int id) { return GetDlgItem(sheet.hwnd, id); }
HWND CurrentPage(const Sheet& sheet) {
  return sheet.current >= 0 && !sheet.closed ? sheet.pages[sheet.current].hwnd : nullptr;
}

int PageIndex(const Sheet& sheet, HWND hwnd) {
  for (int i = 0; i < PageCount(sheet); ++i)
    if (hwnd && sheet.pages[i].hwnd == hwnd) return i;
  return -1;
}

LRESULT NotifyPage(const Sheet& sheet, HWND page, UINT code, LPARAM lParam = 0) {
  if (!page || !IsWindow(page)) return 0;
  PSHNOTIFY notify{};
  notify.hdr.hwndFrom = sheet.hwnd;
  notify.hdr.idFrom = 0;
  notify.hdr.code = code;
  notify.lParam = lParam;
  return SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
}

// The area pages take, in the sheet's client coordinates.
RECT DisplayArea(const Sheet& sheet) {
  RECT area;
  GetWindowRect(sheet.tab, &area);
  MapWindowPoints(nullptr, sheet.hwnd, reinterpret_cast<POINT*>(&area), 2);
  SendMessageA(sheet.tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  return area;
}

bool CreatePageWindow(Sheet& sheet, SheetPage& page) {
  if (page.hwnd && IsWindow(page.hwnd)) return true;
  if (!page.tmpl) return false;
  PROPSHEETPAGEA* record = page.handle->page();
  page.hwnd = CreateDialogIndirectParamA(record->hInstance, reinterpret_cast<LPCDLGTEMPLATEA>(page.tmpl->bytes.data()),
                                         sheet.hwnd, record->pfnDlgProc, reinterpret_cast<LPARAM>(record));
  if (!page.hwnd) return false;
  RECT area = DisplayArea(sheet);
  SetWindowPos(page.hwnd, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
               SWP_NOACTIVATE);
  SetWindowTextA(page.hwnd, page.title.c_str());
  return true;
}

void UpdateHelpButton(const Sheet& sheet) {
  HWND help = Button(sheet, IDHELP);
  if (!help || sheet.current < 0) return;
  bool hasHelp = (sheet.pages[sheet.current].handle->page()->dwFlags & PSP_HASHELP) != 0;
  EnableWindow(help, hasHelp || (sheet.flags & PSH_HASHELP));
}

// Makes `index` the shown page: it is created when first shown and asked with
// PSN_SETACTIVE; a page that answers -1 (or cannot be made) passes the turn
// to the next one, never to `excluded` (a page on its way out). False when no
// page accepts: the old page stays.
bool Activate(Sheet& sheet, int index, int excluded = -1) {
  HWND previous = sheet.current >= 0 ? sheet.pages[sheet.current].hwnd : nullptr;
  int count = PageCount(sheet);
  for (int step = 0; step < count; ++step) {
    int candidate = (index + step) % count;
    if (candidate == excluded || candidate >= PageCount(sheet)) continue;
    if (!CreatePageWindow(sheet, sheet.pages[candidate])) continue;
    HWND shown = sheet.pages[candidate].hwnd;
    if (NotifyPage(sheet, shown, PSN_SETACTIVE) == -1) continue;
    // The page may have added or removed pages while it was asked.
    candidate = PageIndex(sheet, shown);
    if (candidate < 0) continue;
    sheet.current = candidate;
    SendMessageA(sheet.tab, TCM_SETCURSEL, candidate, 0);
    ShowWindow(shown, SW_SHOW);
    if (previous && previous != shown && IsWindow(previous)) ShowWindow(previous, SW_HIDE);
    UpdateHelpButton(sheet);
    return true;
  }
  if (sheet.current >= 0) SendMessageA(sheet.tab, TCM_SETCURSEL, sheet.current, 0);
  return false;
}

// PSN_KILLACTIVE: TRUE keeps the current page (its data is not valid).
bool CurrentPageLets(const Sheet& sheet) { return NotifyPage(sheet, CurrentPage(sheet), PSN_KILLACTIVE) == 0; }

bool ChangePage(Sheet& sheet, int index) {
  if (index < 0 || index >= PageCount(sheet)) return false;
  if (index == sheet.current) return true;
  if (!CurrentPageLets(sheet)) return false;
  return Activate(sheet, index);
}

void UpdateApplyButton(const Sheet& sheet) {
  HWND apply = Button(sheet, kApplyId);
  bool changed = std::any_of(sheet.pages.begin(), sheet.pages.end(), [](const SheetPage& p) { return p.changed; });
  if (apply) EnableWindow(apply, changed);
}

// The current page validates (PSN_KILLACTIVE), then every created page
// applies. A page that answers PSNRET_INVALID is shown and the sheet stays;
// PSNRET_INVALID_NOCHANGEPAGE keeps the sheet on the page it shows.
bool Apply(Sheet& sheet, bool ok) {
  if (!CurrentPageLets(sheet)) return false;
  for (int i = 0; i < PageCount(sheet); ++i) {
    SheetPage& page = sheet.pages[i];
    if (!page.hwnd || !IsWindow(page.hwnd)) continue;
    LRESULT answer = NotifyPage(sheet, page.hwnd, PSN_APPLY, ok ? TRUE : FALSE);
    if (answer == PSNRET_INVALID) Activate(sheet, i);
    if (answer == PSNRET_INVALID || answer == PSNRET_INVALID_NOCHANGEPAGE) return false;
  }
  for (SheetPage& page : sheet.pages) page.changed = false;
  sheet.applied = true;
  UpdateApplyButton(sheet);
  // The current page was deactivated for the apply; a sheet that stays open makes it active again.
  if (!ok) NotifyPage(sheet, CurrentPage(sheet), PSN_SETACTIVE);
  return true;
}

INT_PTR Result(const Sheet& sheet) { return sheet.restart ? sheet.restart : (sheet.applied ? 1 : 0); }

// A modeless sheet only hides: as on Windows the program destroys it once its current page reads NULL.
void Close(Sheet& sheet) {
  sheet.closed = true;
  if (sheet.flags & PSH_MODELESS)
    ShowWindow(sheet.hwnd, SW_HIDE);
  else
    EndDialog(sheet.hwnd, Result(sheet));
}

void Cancel(Sheet& sheet) {
  if (NotifyPage(sheet, CurrentPage(sheet), PSN_QUERYCANCEL)) return;
  for (const SheetPage& page : sheet.pages) NotifyPage(sheet, page.hwnd, PSN_RESET);
  Close(sheet);
}

void Command(Sheet& sheet, int id) {
  if (sheet.closed) return;
  switch (id) {
    case IDOK:
      if (Apply(sheet, true)) Close(sheet);
      break;
    case kApplyId:
      Apply(sheet, false);
      break;
    case IDCANCEL:
      Cancel(sheet);
      break;
    case IDHELP:
      NotifyPage(sheet, CurrentPage(sheet), PSN_HELP);
      break;
  }
}

void PressButton(Sheet& sheet, WPARAM button) {
  static const int ids[] = {0, 0, 0, IDOK, kApplyId, IDCANCEL, IDHELP};
  if (button >= sizeof ids / sizeof ids[0] || !ids[button]) return;
  HWND control = Button(sheet, ids[button]);
  if (control && IsWindowEnabled(control)) Command(sheet, ids[button]);
}

int HandleIndex(const Sheet& sheet, HPROPSHEETPAGE handle) {
  for (int i = 0; i < PageCount(sheet); ++i)
    if (sheet.pages[i].handle == handle) return i;
  return -1;
}

void MarkChanged(Sheet& sheet, HWND page, bool changed) {
  int index = PageIndex(sheet, page);
  if (index < 0) return;
  sheet.pages[index].changed = changed;
  UpdateApplyButton(sheet);
}

void CancelToClose(Sheet& sheet) {
  EnableWindow(Button(sheet, IDCANCEL), FALSE);
  SetWindowTextA(Button(sheet, IDOK), "Close");
}

// ---- Layout ----

struct Layout {
  int margin, gap;
  SIZE button;
};

Layout SheetLayout(HWND hwnd) {
  RECT units{4, 4, 50, 14};
  MapDialogRect(hwnd, &units);
  return {units.left, units.top, {units.right, units.bottom}};
}

SIZE LargestPage(HWND hwnd, const Sheet& sheet) {
  RECT size{0, 0, 212, 114};  // no page is smaller than this
  for (const SheetPage& page : sheet.pages) {
    if (!page.tmpl) continue;
    size.right = std::max<LONG>(size.right, page.tmpl->size.cx);
    size.bottom = std::max<LONG>(size.bottom, page.tmpl->size.cy);
  }
  MapDialogRect(hwnd, &size);
  return {size.right, size.bottom};
}

void AddButton(HWND sheet, int id, const char* text, DWORD style, int x, int y, SIZE size) {
  HWND button = CreateWindowExA(0, "Button", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, x, y, size.cx, size.cy,
                                sheet, reinterpret_cast<HMENU>(id), nullptr, nullptr);
  SendMessageA(button, WM_SETFONT, SendMessageA(sheet, WM_GETFONT, 0, 0), FALSE);
}

// The page's small icon (PSP_USEHICON, else PSP_USEICONID from the page's
// module) added to the tab images, which are made with the first icon; -1 without one.
int AddPageIcon(Sheet& sheet, const PROPSHEETPAGEA& record) {
  bool given = (record.dwFlags & PSP_USEHICON) && record.hIcon;
  bool byId = !given && (record.dwFlags & PSP_USEICONID) && record.pszIcon;
  if (!given && !byId) return -1;
  int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
  HICON icon =
      given ? record.hIcon : static_cast<HICON>(LoadImageA(record.hInstance, record.pszIcon, IMAGE_ICON, cx, cy, 0));
  if (!icon) return -1;
  if (!sheet.images) {
    sheet.images = ImageList_Create(cx, cy, ILC_COLORDDB | ILC_MASK, 4, 4);
    SendMessageA(sheet.tab, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(sheet.images));
  }
  int image = sheet.images ? ImageList_AddIcon(sheet.images, icon) : -1;
  if (byId) DestroyIcon(icon);  // the list holds a copy
  return image;
}

void InsertTab(Sheet& sheet, int index) {
  SheetPage& page = sheet.pages[index];
  page.image = AddPageIcon(sheet, *page.handle->page());
  TC_ITEMA item{};
  item.mask = TCIF_TEXT | (page.image >= 0 ? TCIF_IMAGE : 0);
  item.pszText = const_cast<LPSTR>(page.title.c_str());
  item.iImage = page.image;
  SendMessageA(sheet.tab, TCM_INSERTITEMA, index, reinterpret_cast<LPARAM>(&item));
}

void CreateTab(Sheet& sheet, const Layout& layout, SIZE pageSize) {
  sheet.tab = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS,
                              layout.margin, layout.margin, pageSize.cx, pageSize.cy, sheet.hwnd,
                              reinterpret_cast<HMENU>(kTabId), nullptr, nullptr);
  SendMessageA(sheet.tab, WM_SETFONT, SendMessageA(sheet.hwnd, WM_GETFONT, 0, 0), FALSE);
  for (int i = 0; i < PageCount(sheet); ++i) InsertTab(sheet, i);
  RECT outer{0, 0, pageSize.cx, pageSize.cy};
  SendMessageA(sheet.tab, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&outer));
  SetWindowPos(sheet.tab, nullptr, layout.margin, layout.margin, outer.right - outer.left, outer.bottom - outer.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

// Buttons right-aligned under the tab control: OK, Cancel, Apply, Help.
int CreateButtons(Sheet& sheet, const Layout& layout, int y, int right) {
  bool help = (sheet.flags & PSH_HASHELP) ||
              std::any_of(sheet.pages.begin(), sheet.pages.end(),
                          [](const SheetPage& p) { return (p.handle->page()->dwFlags & PSP_HASHELP) != 0; });
  std::vector<std::pair<int, const char*>> buttons = {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
  if (!(sheet.flags & PSH_NOAPPLYNOW)) buttons.push_back({kApplyId, "&Apply"});
  if (help) buttons.push_back({IDHELP, "&Help"});
  int count = static_cast<int>(buttons.size());
  int width = count * layout.button.cx + (count - 1) * layout.gap;
  int x = std::max(layout.margin, right - width);
  for (auto& [id, text] : buttons) {
    AddButton(sheet.hwnd, id, text, id == IDOK ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, x, y, layout.button);
    x += layout.button.cx + layout.gap;
  }
  if (HWND apply = Button(sheet, kApplyId)) EnableWindow(apply, FALSE);
  SendMessageA(sheet.hwnd, DM_SETDEFID, IDOK, 0);
  return width;
}

// Sizes the sheet around its tab control and buttons and centres it on the screen.
void PlaceSheet(Sheet& sheet, SIZE client) {
  RECT frame{0, 0, client.cx, client.cy};
  AdjustWindowRectEx(&frame, GetWindowLongA(sheet.hwnd, GWL_STYLE), FALSE, GetWindowLongA(sheet.hwnd, GWL_EXSTYLE));
  int width = frame.right - frame.left, height = frame.bottom - frame.top;
  int x = std::max(0, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
  int y = std::max(0, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
  SetWindowPos(sheet.hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

int StartPage(const Sheet& sheet) {
  if (sheet.flags & PSH_USEPSTARTPAGE) {
    for (int i = 0; i < PageCount(sheet); ++i)
      if (!sheet.startTitle.empty() && lstrcmpiA(sheet.pages[i].title.c_str(), sheet.startTitle.c_str()) == 0) return i;
    return 0;
  }
  return sheet.startPage < sheet.pages.size() ? static_cast<int>(sheet.startPage) : 0;
}

void InitSheet(HWND hwnd, Sheet& sheet) {
  sheet.hwnd = hwnd;
  SetPropA(hwnd, kSheetProp, &sheet);
  if (sheet.initialised) *sheet.initialised = true;
  if (sheet.icon) SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(sheet.icon));
  Layout layout = SheetLayout(hwnd);
  CreateTab(sheet, layout, LargestPage(hwnd, sheet));
  RECT tab;
  GetWindowRect(sheet.tab, &tab);
  int tabWidth = tab.right - tab.left, tabHeight = tab.bottom - tab.top;
  int buttonsY = layout.margin + tabHeight + layout.margin;
  int buttonsWidth = CreateButtons(sheet, layout, buttonsY, layout.margin + tabWidth);
  SIZE client{std::max(tabWidth, buttonsWidth) + 2 * layout.margin, buttonsY + layout.button.cy + layout.margin};
  PlaceSheet(sheet, client);
  Activate(sheet, StartPage(sheet));
}

// The focus starts on the shown page's first tab stop, else on the tabs.
void FocusFirstControl(const Sheet& sheet) {
  HWND page = CurrentPage(sheet);
  HWND first = page ? GetNextDlgTabItem(page, nullptr, FALSE) : nullptr;
  bool usable = first && IsChild(page, first) && (GetWindowLongA(first, GWL_STYLE) & WS_TABSTOP);
  SetFocus(usable ? first : sheet.tab);
}

// Pages go before the sheet ends; their PSPCB_RELEASE comes after their windows are gone.
void ReleasePages(Sheet& sheet) {
  for (SheetPage& page : sheet.pages) {
    if (page.hwnd && IsWindow(page.hwnd)) DestroyWindow(page.hwnd);
    page.hwnd = nullptr;
  }
  for (SheetPage& page : sheet.pages) ReleaseTaken(page.handle);
  sheet.pages.clear();
  sheet.current = -1;
  if (sheet.images) {
    SendMessageA(sheet.tab, TCM_SETIMAGELIST, 0, 0);
    ImageList_Destroy(sheet.images);
    sheet.images = nullptr;
  }
}

// The pages of a sheet whose window never took them.
void ReleaseUnused(Sheet& sheet) {
  for (SheetPage& page : sheet.pages) ReleaseTaken(page.handle);
  sheet.pages.clear();
}

// ---- Pages added and removed while the sheet runs ----

SheetPage MakeSheetPage(HPROPSHEETPAGE handle) {
  SheetPage page;
  page.handle = handle;
  const PROPSHEETPAGEA& record = *handle->page();
  page.tmpl = TemplateOf(record);
  page.title = (record.dwFlags & PSP_USETITLE) ? TextArgument(record.hInstance, record.pszTitle)
               : page.tmpl                     ? page.tmpl->caption
                                               : "";
  return page;
}

// Made pages fill the display area, which shrinks when the first tab icon arrives.
void PlacePages(const Sheet& sheet) {
  RECT area = DisplayArea(sheet);
  for (const SheetPage& page : sheet.pages)
    if (page.hwnd)
      SetWindowPos(page.hwnd, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

// PSM_ADDPAGE: the page goes last and is the sheet's from now on; the sheet
// keeps its size, as on Windows. A page that is gone, in a sheet already or
// without a template is refused and stays the caller's.
bool AddPage(Sheet& sheet, HPROPSHEETPAGE handle) {
  if (sheet.closed || PageCount(sheet) >= MAXPROPPAGES || !TakePage(handle)) return false;
  SheetPage page = MakeSheetPage(handle);
  if (!page.tmpl) {
    GiveBack(handle);
    return false;
  }
  bool hadImages = sheet.images != nullptr;
  sheet.pages.push_back(std::move(page));
  InsertTab(sheet, PageCount(sheet) - 1);
  if (!hadImages && sheet.images) PlacePages(sheet);
  if (sheet.current < 0) Activate(sheet, PageCount(sheet) - 1);
  return true;
}

// PSM_REMOVEPAGE: the shown page first hands over to the page after it (the
// one before when it is last), which cannot be refused; then its tab and its
// dialog go and the sheet releases it. With no page left to show, none is.
bool RemovePage(Sheet& sheet, int index) {
  if (index < 0 || index >= PageCount(sheet)) return false;
  if (index == sheet.current) {
    int neighbour = index + 1 < PageCount(sheet) ? index + 1 : index - 1;
    if (neighbour < 0 || !Activate(sheet, neighbour, index)) sheet.current = -1;
  }
  SheetPage page = std::move(sheet.pages[index]);
  sheet.pages.erase(sheet.pages.begin() + index);
  if (sheet.current > index) --sheet.current;
  SendMessageA(sheet.tab, TCM_DELETEITEM, index, 0);
  if (page.hwnd && IsWindow(page.hwnd)) {
    HWND focus = GetFocus();
    if (focus && (focus == page.hwnd || IsChild(page.hwnd, focus))) SetFocus(sheet.tab);
    DestroyWindow(page.hwnd);
  }
  ReleaseTaken(page.handle);
  UpdateApplyButton(sheet);
  return true;
}

// Answers a message through DWL_MSGRESULT, as a dialog procedure does.
INT_PTR Answer(HWND hwnd, LRESULT value) {
  SetWindowLongA(hwnd, DWL_MSGRESULT, value);
  return TRUE;
}

INT_PTR TabNotify(Sheet& sheet, const NMHDR& header) {
  if (header.code == TCN_SELCHANGING) return Answer(sheet.hwnd, CurrentPageLets(sheet) ? FALSE : TRUE);
  if (header.code == TCN_SELCHANGE) Activate(sheet, static_cast<int>(SendMessageA(sheet.tab, TCM_GETCURSEL, 0, 0)));
  return Answer(sheet.hwnd, 0);
}

// Ctrl+Tab and Ctrl+Shift+Tab reach the sheet as the dialog manager's WM_NEXTDLGCTL.
bool CtrlTab(Sheet& sheet, WPARAM wParam, LPARAM lParam) {
  if (lParam || !(GetKeyState(VK_CONTROL) & 0x8000) || PageCount(sheet) < 2) return false;
  int step = wParam ? PageCount(sheet) - 1 : 1;
  ChangePage(sheet, (sheet.current + step) % PageCount(sheet));
  return true;
}

INT_PTR SheetMessage(Sheet& sheet, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND hwnd = sheet.hwnd;
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) Command(sheet, LOWORD(wParam));
      return TRUE;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header && header->hwndFrom == sheet.tab) return TabNotify(sheet, *header);
      return FALSE;
    }
    case WM_NEXTDLGCTL:
      return CtrlTab(sheet, wParam, lParam) ? Answer(hwnd, 0) : FALSE;
    case PSM_SETCURSEL: {
      int index = lParam ? HandleIndex(sheet, reinterpret_cast<HPROPSHEETPAGE>(lParam)) : static_cast<int>(wParam);
      return Answer(hwnd, ChangePage(sheet, index));
    }
    case PSM_ADDPAGE:
      return Answer(hwnd, AddPage(sheet, reinterpret_cast<HPROPSHEETPAGE>(lParam)));
    case PSM_REMOVEPAGE: {
      int index = lParam ? HandleIndex(sheet, reinterpret_cast<HPROPSHEETPAGE>(lParam)) : static_cast<int>(wParam);
      return Answer(hwnd, RemovePage(sheet, index));
    }
    case PSM_CHANGED:
    case PSM_UNCHANGED:
      MarkChanged(sheet, reinterpret_cast<HWND>(wParam), msg == PSM_CHANGED);
      return Answer(hwnd, 0);
    case PSM_RESTARTWINDOWS:
      sheet.restart |= ID_PSRESTARTWINDOWS;
      return Answer(hwnd, 0);
    case PSM_REBOOTSYSTEM:
      sheet.restart |= ID_PSREBOOTSYSTEM;
      return Answer(hwnd, 0);
    case PSM_CANCELTOCLOSE:
      CancelToClose(sheet);
      return Answer(hwnd, 0);
    case PSM_PRESSBUTTON:
      PressButton(sheet, wParam);
      return Answer(hwnd, 0);
    case PSM_APPLY:
      return Answer(hwnd, !sheet.closed && Apply(sheet, false));
    case PSM_GETTABCONTROL:
      return Answer(hwnd, reinterpret_cast<LRESULT>(sheet.tab));
    case PSM_GETCURRENTPAGEHWND:
      return Answer(hwnd, reinterpret_cast<LRESULT>(CurrentPage(sheet)));
    case PSM_ISDIALOGMESSAGE:
      return Answer(hwnd, lParam && IsDialogMessageA(hwnd, reinterpret_cast<LPMSG>(lParam)));
    case WM_DESTROY:
      ReleasePages(sheet);
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK SheetProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    InitSheet(hwnd, *reinterpret_cast<Sheet*>(lParam));
    FocusFirstControl(*reinterpret_cast<Sheet*>(lParam));
    return FALSE;
  }
  Sheet* sheet = SheetOf(hwnd);
  if (!sheet) return FALSE;
  if (msg == WM_NCDESTROY) {
    RemovePropA(hwnd, kSheetProp);
    if (sheet->flags & PSH_MODELESS) delete sheet;
    return FALSE;
  }
  return SheetMessage(*sheet, msg, wParam, lParam);
}

// The sheet's own template: an empty "#32770" dialog that InitSheet fills and sizes.
std::vector<WORD> SheetTemplate(bool visible, const std::string& caption) {
  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | DS_MODALFRAME | DS_3DLOOK | DS_SETFONT |
                (visible ? WS_VISIBLE : 0);
  std::vector<WORD> words = {LOWORD(style), HIWORD(style), 0, 0, 0, 0, 0, 212, 188, 0, 0};
  auto add = [&](const std::string& text) {
    for (char c : text) words.push_back(static_cast<BYTE>(c));
    words.push_back(0);
  };
  add(caption);
  words.push_back(8);
  add("MS Sans Serif");
  return words;
}

// The pages of a header: handles (the sheet owns them from now on) or records made into pages.
bool UsablePages(const PROPSHEETHEADERA& header, std::vector<HPROPSHEETPAGE>* handles) {
  if (header.dwFlags & PSH_PROPSHEETPAGE) {
    if (!header.ppsp) return false;
    // Records follow each other at their own dwSize, as on Windows.
    auto* at = reinterpret_cast<const BYTE*>(header.ppsp);
    for (UINT i = 0; i < header.nPages; ++i) {
      auto* record = reinterpret_cast<LPCPROPSHEETPAGEA>(at);
      if (record->dwSize < sizeof(PROPSHEETPAGEA) || record->dwSize > kMaxPageSize) return false;
      HPROPSHEETPAGE page = CreatePropertySheetPageA(record);
      if (page && TakePage(page)) handles->push_back(page);
      at += record->dwSize;
    }
    return true;
  }
  if (!header.phpage) return false;
  for (UINT i = 0; i < header.nPages; ++i)
    if (TakePage(header.phpage[i])) handles->push_back(header.phpage[i]);
  return true;
}

}  // namespace
}  // namespace host::comctl

using namespace host::comctl;

extern "C" {

HPROPSHEETPAGE WINAPI CreatePropertySheetPageA(LPCPROPSHEETPAGEA lppsp) {
  if (!lppsp || lppsp->dwSize < sizeof(PROPSHEETPAGEA) || lppsp->dwSize > kMaxPageSize) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto page = std::make_unique<_PSP>();
  page->bytes.resize((lppsp->dwSize + 3) / 4);
  std::memcpy(page->bytes.data(), lppsp, lppsp->dwSize);
  PROPSHEETPAGEA* copy = page->page();
  if (HasCallback(*copy) && !copy->pfnCallback(nullptr, PSPCB_CREATE, copy)) return nullptr;
  std::lock_guard<std::mutex> lock(PagesLock());
  LivePages().insert(page.get());
  return page.release();
}

// A page a sheet has taken is the sheet's to destroy: the program's call is refused.
BOOL WINAPI DestroyPropertySheetPage(HPROPSHEETPAGE hPSPage) {
  if (!ForgetPage(hPSPage, false)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  Release(hPSPage);
  return TRUE;
}

INT_PTR WINAPI PropertySheetA(LPCPROPSHEETHEADERA lppsph) {
  if (!lppsph || lppsph->dwSize < sizeof(PROPSHEETHEADERA) || lppsph->nPages > MAXPROPPAGES) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  std::vector<HPROPSHEETPAGE> handles;
  bool usable = UsablePages(*lppsph, &handles);
  auto sheet = std::make_unique<Sheet>();
  sheet->pages.reserve(MAXPROPPAGES);  // pages added from a page's own messages never move the others
  for (HPROPSHEETPAGE handle : handles) sheet->pages.push_back(MakeSheetPage(handle));
  bool anyTemplate = std::any_of(sheet->pages.begin(), sheet->pages.end(), [](const SheetPage& p) { return p.tmpl; });
  if (!usable || !anyTemplate) {
    for (HPROPSHEETPAGE handle : handles) ReleaseTaken(handle);
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  RegisterTab();
  sheet->flags = lppsph->dwFlags;
  std::string caption = TextArgument(lppsph->hInstance, lppsph->pszCaption);
  sheet->caption = (lppsph->dwFlags & PSH_PROPTITLE) ? "Properties for " + caption : caption;
  if (lppsph->dwFlags & PSH_USEICONID) sheet->icon = LoadIconA(lppsph->hInstance, lppsph->pszIcon);
  if (lppsph->dwFlags & PSH_USEHICON) sheet->icon = lppsph->hIcon;
  if (lppsph->dwFlags & PSH_USEPSTARTPAGE)
    sheet->startTitle = TextArgument(lppsph->hInstance, lppsph->pStartPage);
  else
    sheet->startPage = lppsph->nStartPage;
  bool modeless = (lppsph->dwFlags & PSH_MODELESS) != 0;
  std::vector<WORD> tmpl = SheetTemplate(modeless, sheet->caption);
  auto* dialog = reinterpret_cast<LPCDLGTEMPLATEA>(tmpl.data());
  bool initialised = false;
  sheet->initialised = &initialised;
  if (!modeless) {
    DialogBoxIndirectParamA(lppsph->hInstance, dialog, lppsph->hwndParent, SheetProc,
                            reinterpret_cast<LPARAM>(sheet.get()));
    if (!initialised) {
      ReleaseUnused(*sheet);
      return -1;
    }
    // From the sheet's own record: a loop ended by WM_QUIT answers IDCANCEL, which would read as a restart.
    return Result(*sheet);
  }
  Sheet* owned = sheet.release();  // deleted with the sheet window
  HWND hwnd = CreateDialogIndirectParamA(lppsph->hInstance, dialog, lppsph->hwndParent, SheetProc,
                                         reinterpret_cast<LPARAM>(owned));
  if (!initialised) {
    ReleaseUnused(*owned);
    delete owned;
    return -1;
  }
  if (hwnd) owned->initialised = nullptr;
  return hwnd ? reinterpret_cast<INT_PTR>(hwnd) : -1;
}

}  // extern "C"
