#include "window_tour.h"

#include <host/gdi.h>
#include <host/user.h>
#include <windows.h>

#include <cstring>

namespace ovx {
namespace {

constexpr char kClassName[] = "OvxTourWindow";
constexpr char kWelcome[] = "Moved by its caption.";

void PaintWelcome(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  RECT band = {10, 10, client.right - 10, 40};
  HBRUSH brush = CreateSolidBrush(RGB(0, 128, 128));
  FillRect(dc, &band, brush);
  DeleteObject(brush);
  SetBkMode(dc, TRANSPARENT);
  TextOutA(dc, 10, 50, kWelcome, static_cast<int>(std::strlen(kWelcome)));
  MoveToEx(dc, 10, 80, nullptr);
  LineTo(dc, client.right - 10, client.bottom - 10);
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK TourWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PAINT) {
    PaintWelcome(hwnd);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND CreateTourWindow() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = TourWindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kClassName;
  if (!RegisterClassA(&wc)) return nullptr;
  return CreateWindowExA(0, kClassName, "Station tour", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 80, 60, 360, 200, nullptr,
                         nullptr, wc.hInstance, nullptr);
}

// Presses on the caption and drags it as a person would: the caption drag is
// a modal loop, so the moves and the release are scripted for its waits.
void DragByCaption(HWND hwnd, int dx, int dy) {
  RECT frame;
  GetWindowRect(hwnd, &frame);
  const int x = frame.left + 60;
  const int y = frame.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
  host::user::MoveMouse(x, y);
  host::user::PressButton();
  host::user::ScriptMove(x + dx / 2, y + dy / 2);
  host::user::ScriptMove(x + dx, y + dy);
  host::user::ScriptRelease();
  host::user::PumpMessages();
}

}  // namespace

bool WindowTour(const std::string& screenshotPath, FILE* out) {
  HWND hwnd = CreateTourWindow();
  if (!hwnd) {
    std::fprintf(out, "the tour window could not be created\n");
    return false;
  }
  UpdateWindow(hwnd);
  RECT before, after;
  GetWindowRect(hwnd, &before);
  DragByCaption(hwnd, 140, 90);
  UpdateWindow(hwnd);
  GetWindowRect(hwnd, &after);
  std::fprintf(out, "window \"Station tour\" at (%ld, %ld)-(%ld, %ld), dragged by its caption to (%ld, %ld)-(%ld, %ld)\n",
               before.left, before.top, before.right, before.bottom, after.left, after.top, after.right, after.bottom);
  const bool saved = host::gdi::SaveScreenshot(screenshotPath);
  std::fprintf(out, "screenshot: %s\n", saved ? screenshotPath.c_str() : "could not be written");
  DestroyWindow(hwnd);
  UnregisterClassA(kClassName, GetModuleHandleA(nullptr));
  return saved;
}

}  // namespace ovx
