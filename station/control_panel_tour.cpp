#include "control_panel_tour.h"

#include "station_layout.h"

#include <commctrl.h>
#include <host/adapter.h>
#include <host/gdi.h>
#include <host/station.h>
#include <host/user.h>
#include <prsht.h>
#include <windows.h>

#include <cctype>
#include <functional>
#include <vector>

namespace ovx {
namespace {

constexpr char kSheetTitle[] = "Display Properties";
constexpr int kRedSlider = 211;
// The tour runs on the real clock: how long it waits for the control panel's thread to answer.
constexpr DWORD kPatienceMs = 10000;
constexpr DWORD kSettleMs = 500;

bool WaitFor(const std::function<bool()>& done) {
  for (DWORD waited = 0; waited < kPatienceMs; waited += 20) {
    if (done()) return true;
    Sleep(20);
  }
  return done();
}

std::string TabText(HWND tab, int index) {
  char text[64] = {};
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(tab, TCM_GETITEMA, index, reinterpret_cast<LPARAM>(&item));
  return text;
}

std::string FileNameOf(int index, const std::string& tabText) {
  std::string name = "display-" + std::to_string(index + 1) + "-";
  for (char c : tabText) {
    if (std::isalnum(static_cast<unsigned char>(c)))
      name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    else if (name.back() != '-')
      name += '-';
  }
  if (name.back() == '-') name.pop_back();
  return name + ".png";
}

// The control panel paints on its own thread; the tour gives it a moment to finish before it looks.
bool SaveSheet(HWND sheet, const std::string& path, std::FILE* out) {
  Sleep(kSettleMs);
  RECT rect;
  GetWindowRect(sheet, &rect);
  if (!host::gdi::SaveScreenshot(path, rect)) {
    std::fprintf(out, "  could not write %s\n", path.c_str());
    return false;
  }
  std::fprintf(out, "  screenshot: %s\n", path.c_str());
  return true;
}

// Clicks the trackbar's channel right of its thumb, as a person pages a slider up, and waits for the display's
// ramp to follow.
bool MoveSliderUp(HWND slider, std::FILE* out) {
  LRESULT before = SendMessageA(slider, TBM_GETPOS, 0, 0);
  std::vector<WORD> rampBefore = host::adapter::GammaRamp();
  RECT thumb, client;
  SendMessageA(slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  GetClientRect(slider, &client);
  POINT at{(thumb.right + client.right) / 2, (thumb.top + thumb.bottom) / 2};
  ClientToScreen(slider, &at);
  host::user::Click(at.x, at.y);
  bool moved = WaitFor([&] {
    return SendMessageA(slider, TBM_GETPOS, 0, 0) != before && host::adapter::GammaRamp() != rampBefore;
  });
  LRESULT after = SendMessageA(slider, TBM_GETPOS, 0, 0);
  std::vector<WORD> ramp = host::adapter::GammaRamp();
  std::fprintf(out, "  red slider %ld -> %ld; the display's red ramp at 128: %u -> %u\n", static_cast<long>(before),
               static_cast<long>(after), rampBefore.size() > 128 ? rampBefore[128] : 0u,
               ramp.size() > 128 ? ramp[128] : 0u);
  return moved;
}

bool TourColourPage(HWND sheet, HWND page, const std::string& folder, int index, std::FILE* out) {
  HWND slider = GetDlgItem(page, kRedSlider);
  if (!slider) return false;
  bool ok = MoveSliderUp(slider, out);
  SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0);
  std::fprintf(out, "  applied; stored settings:\n");
  PrintRegistryKey(HKEY_LOCAL_MACHINE, "Software\\Orvane\\Color Control", 2);
  std::fflush(out);
  return SaveSheet(sheet, folder + "/" + FileNameOf(index, TabText(PropSheet_GetTabControl(sheet), index) + "-applied"),
                   out) &&
         ok;
}

bool TourTabs(HWND sheet, const std::string& folder, std::FILE* out) {
  HWND tab = PropSheet_GetTabControl(sheet);
  int count = static_cast<int>(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0));
  bool ok = count > 0;
  for (int i = 0; i < count; ++i) {
    std::string text = TabText(tab, i);
    SendMessageA(sheet, PSM_SETCURSEL, i, 0);
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    std::fprintf(out, "tab %d: \"%s\"\n", i + 1, text.c_str());
    ok = SaveSheet(sheet, folder + "/" + FileNameOf(i, text), out) && ok;
    if (page && GetDlgItem(page, kRedSlider)) ok = TourColourPage(sheet, page, folder, i, out) && ok;
  }
  return ok;
}

}  // namespace

int ControlPanelTour(const std::string& folder, std::FILE* out) {
  DWORD process = host::StartProgram("control.exe desk.cpl");
  if (!process) {
    std::fprintf(out, "(control.exe desk.cpl did not start)\n");
    return 1;
  }
  HWND sheet = nullptr;
  WaitFor([&] { return (sheet = FindWindowA(nullptr, kSheetTitle)) != nullptr && IsWindowVisible(sheet); });
  if (!sheet) {
    std::fprintf(out, "(no \"%s\" window appeared)\n", kSheetTitle);
    return 1;
  }
  std::fprintf(out, "\"%s\" opened by control.exe desk.cpl\n", kSheetTitle);
  bool ok = TourTabs(sheet, folder, out);
  SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
  DWORD code = host::WaitForProgram(process, kPatienceMs);
  if (code == STILL_ACTIVE) {
    std::fprintf(out, "(the control panel did not close)\n");
    return 1;
  }
  std::fprintf(out, "closed with OK; control.exe ended with %lu\n", code);
  return ok ? 0 : 1;
}

}  // namespace ovx
