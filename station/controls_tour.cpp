#include "controls_tour.h"

#include <commctrl.h>
#include <host/gdi.h>
#include <host/user.h>
#include <windows.h>

#include <vector>

namespace ovx {
namespace {

constexpr int kGlyph = 16, kIcon = 32;

// A strip of `colours.size()` glyphs of `size` x `size`: a coloured square on white.
HBITMAP GlyphStrip(const std::vector<COLORREF>& colours, int size = kGlyph) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = size * static_cast<int>(colours.size());
  info.bmiHeader.biHeight = size;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP strip = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, strip);
  RECT all{0, 0, info.bmiHeader.biWidth, size};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  for (size_t i = 0; i < colours.size(); ++i) {
    HBRUSH brush = CreateSolidBrush(colours[i]);
    int x = static_cast<int>(i) * size;
    RECT square{x + size / 5, size / 5, x + size - size / 5, size - size / 5};
    FillRect(dc, &square, brush);
    DeleteObject(brush);
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  return strip;
}

HWND Child(HWND parent, const char* className, DWORD style, int x, int y, int cx, int cy, UINT id) {
  return CreateWindowExA(0, className, nullptr, WS_CHILD | WS_VISIBLE | style, x, y, cx, cy, parent,
                         reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr, nullptr);
}

HTREEITEM AddTreeItem(HWND tree, HTREEITEM parent, const char* text, int image) {
  TV_INSERTSTRUCTA insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  insert.item.pszText = const_cast<char*>(text);
  insert.item.iImage = insert.item.iSelectedImage = image;
  return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

void FillTree(HWND tree, HIMAGELIST images) {
  SendMessageA(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
  HTREEITEM root = AddTreeItem(tree, TVI_ROOT, "All monitors", 0);
  HTREEITEM maker = AddTreeItem(tree, root, "Orvane", 1);
  AddTreeItem(tree, maker, "OVX 15", 2);
  HTREEITEM chosen = AddTreeItem(tree, maker, "OVX 17", 2);
  AddTreeItem(tree, root, "(Standard monitor types)", 1);
  SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
  SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(chosen));
}

void FillTabs(HWND tabs) {
  for (const char* text : {"Monitor", "Colour", "Navigator"}) {
    TC_ITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(text);
    SendMessageA(tabs, TCM_INSERTITEMA, SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), reinterpret_cast<LPARAM>(&item));
  }
  SendMessageA(tabs, TCM_SETCURSEL, 1, 0);
}

// The list view owns its image list (no LVS_SHAREIMAGELISTS) and destroys it with itself.
void FillIcons(HWND list) {
  HBITMAP icons = GlyphStrip({RGB(0, 128, 128), RGB(0, 0, 128), RGB(128, 128, 128)}, kIcon);
  HIMAGELIST images = ImageList_Create(kIcon, kIcon, ILC_MASK | ILC_COLOR24, 3, 1);
  ImageList_AddMasked(images, icons, RGB(255, 255, 255));
  DeleteObject(icons);
  SendMessageA(list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
  int index = 0;
  for (const char* text : {"My Computer", "Network", "Recycle Bin"}) {
    LV_ITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = index;
    item.iImage = index++;
    item.pszText = const_cast<char*>(text);
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
}

HWND MakeWindow() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "OvxControlsTour";
  RegisterClassA(&wc);
  return CreateWindowExA(0, "OvxControlsTour", "Common controls", WS_POPUP | WS_BORDER | WS_CLIPCHILDREN, 20, 20, 482,
                         330, nullptr, nullptr, nullptr, nullptr);
}

void AddControls(HWND window, HBITMAP toolbarGlyphs, HIMAGELIST treeImages) {
  const TBBUTTON buttons[] = {
      {0, 40001, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0},
      {1, 40002, 0, TBSTYLE_BUTTON, {}, 0, 0},
      {0, 0, 0, TBSTYLE_SEP, {}, 0, 0},
      {2, 40003, TBSTATE_ENABLED | TBSTATE_CHECKED, TBSTYLE_CHECK, {}, 0, 0},
      {3, 40004, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0},
  };
  CreateToolbarEx(window, WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS, 1000, 4, nullptr,
                  reinterpret_cast<UINT_PTR>(toolbarGlyphs), buttons, 5, 24, 22, kGlyph, kGlyph, sizeof(TBBUTTON));
  FillTree(
      Child(window, WC_TREEVIEWA, WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT, 8, 40, 200, 170, 1008),
      treeImages);
  FillTabs(Child(window, WC_TABCONTROLA, 0, 216, 40, 256, 60, 1010));
  HWND trackbar = Child(window, TRACKBAR_CLASSA, TBS_AUTOTICKS, 216, 108, 220, 32, 1011);
  SendMessageA(trackbar, TBM_SETRANGE, TRUE, MAKELONG(0, 10));
  SendMessageA(trackbar, TBM_SETPOS, TRUE, 6);
  HWND upDown = Child(window, UPDOWN_CLASSA, 0, 448, 110, 16, 26, 1012);
  SendMessageA(upDown, UDM_SETRANGE, 0, MAKELONG(100, 0));
  HWND progress = Child(window, PROGRESS_CLASSA, 0, 216, 150, 256, 18, 1013);
  SendMessageA(progress, PBM_SETPOS, 60, 0);
  FillIcons(Child(window, WC_LISTVIEWA, WS_BORDER | LVS_ICON, 8, 218, 464, 100, 1014));
}

}  // namespace

int ControlsTour(const std::string& pngPath, std::FILE* out) {
  InitCommonControls();
  HWND window = MakeWindow();
  if (!window) return 1;
  HBITMAP toolbarGlyphs = GlyphStrip({RGB(0, 0, 128), RGB(0, 128, 0), RGB(128, 0, 0), RGB(128, 128, 0)});
  HBITMAP treeGlyphs = GlyphStrip({RGB(0, 128, 128), RGB(128, 0, 128), RGB(0, 0, 255)});
  HIMAGELIST treeImages = ImageList_Create(kGlyph, kGlyph, ILC_MASK | ILC_COLOR24, 3, 1);
  ImageList_AddMasked(treeImages, treeGlyphs, RGB(255, 255, 255));
  AddControls(window, toolbarGlyphs, treeImages);
  ShowWindow(window, SW_SHOW);
  SetFocus(GetDlgItem(window, 1008));  // the tree shows its selection while it has the focus
  UpdateWindow(window);
  host::user::PumpMessages();
  RECT area;
  GetWindowRect(window, &area);
  bool saved = host::gdi::SaveScreenshot(pngPath, area);
  std::fprintf(out, "a window with a toolbar (a check button down, a button disabled), a tree view, a tab control,\n");
  std::fprintf(out, "a trackbar, an up-down control, a progress bar at 60 %% and an icon list view\n");
  std::fprintf(out, "screenshot: %s\n", saved ? pngPath.c_str() : "(could not be written)");
  DestroyWindow(window);
  ImageList_Destroy(treeImages);
  DeleteObject(treeGlyphs);
  DeleteObject(toolbarGlyphs);
  return saved ? 0 : 1;
}

}  // namespace ovx
