// Progress bar ("msctls_progress32"): a position within a range drawn as
// blocks. Positions are clamped to the range; PBM_STEPIT wraps past the end
// and starts again from the bottom, as Windows does.
#include <algorithm>

#include "comctl/comctl_internal.h"

namespace host::comctl {
namespace {

struct Progress {
  HWND hwnd = nullptr;
  int low = 0, high = 100, pos = 0, step = 10;
};

Progress* ProgressOf(HWND hwnd) { return StateOf<Progress>(hwnd); }

int Clamp(const Progress& bar, long long pos) {
  return static_cast<int>(std::clamp<long long>(pos, bar.low, bar.high));
}

int SetPos(Progress& bar, int pos) {
  int old = bar.pos;
  bar.pos = pos;
  if (old != pos) InvalidateRect(bar.hwnd, nullptr, FALSE);
  return old;
}

LRESULT SetRange(Progress& bar, int low, int high) {
  LRESULT old = MAKELONG(bar.low, bar.high);
  bar.low = low;
  bar.high = std::max(low, high);
  bar.pos = Clamp(bar, bar.pos);
  InvalidateRect(bar.hwnd, nullptr, FALSE);
  return old;
}

int StepIt(Progress& bar) {
  long long next = static_cast<long long>(bar.pos) + bar.step;
  long long span = static_cast<long long>(bar.high) - bar.low;
  if (span > 0 && (next > bar.high || next < bar.low)) {
    long long offset = (next - bar.low) % span;
    if (offset < 0) offset += span;
    next = bar.low + offset;
  }
  return SetPos(bar, Clamp(bar, next));
}

void Paint(Progress& bar, HDC dc) {
  RECT client;
  GetClientRect(bar.hwnd, &client);
  FillSolid(dc, client, COLOR_BTNFACE);
  DrawEdge(dc, &client, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  InflateRect(&client, -1, -1);
  int width = client.right - client.left;
  if (width <= 0 || bar.high <= bar.low) return;
  int filled = static_cast<int>(static_cast<long long>(bar.pos - bar.low) * width / (bar.high - bar.low));
  int block = std::max(2, static_cast<int>(client.bottom - client.top) * 2 / 3);
  HBRUSH brush = GetSysColorBrush(COLOR_HIGHLIGHT);
  for (int x = 0; x < filled; x += block + 2) {
    RECT r{client.left + x, client.top, client.left + std::min(x + block, filled), client.bottom};
    FillRect(dc, &r, brush);
  }
}

LRESULT CALLBACK ProgressProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Progress* bar = ProgressOf(hwnd);
  if (msg == WM_NCCREATE) {
    CreateState<Progress>(hwnd, lParam);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  if (!bar) return DefWindowProcA(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_NCDESTROY:
      DeleteState(hwnd, bar);
      return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_PAINT:
    case WM_PRINTCLIENT:
      PaintControl(hwnd, msg, wParam, [&](HDC dc) { Paint(*bar, dc); });
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case PBM_SETRANGE:
      return SetRange(*bar, LOWORD(lParam), HIWORD(lParam));
    case PBM_SETRANGE32:
      return SetRange(*bar, static_cast<int>(wParam), static_cast<int>(lParam));
    case PBM_GETRANGE: {
      if (auto* range = reinterpret_cast<PBRANGE*>(lParam)) *range = {bar->low, bar->high};
      return wParam ? bar->low : bar->high;
    }
    case PBM_SETPOS:
      return SetPos(*bar, Clamp(*bar, static_cast<int>(wParam)));
    case PBM_DELTAPOS:
      return SetPos(*bar, Clamp(*bar, static_cast<long long>(bar->pos) + static_cast<int>(wParam)));
    case PBM_SETSTEP: {
      int old = bar->step;
      bar->step = static_cast<int>(wParam);
      return old;
    }
    case PBM_STEPIT:
      return StepIt(*bar);
    case PBM_GETPOS:
      return bar->pos;
    default:
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

bool RegisterProgress() { return RegisterControlClass(PROGRESS_CLASSA, ProgressProc, 0, -1); }

}  // namespace host::comctl
