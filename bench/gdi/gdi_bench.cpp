// gdi_bench [--runs R]
//
// Boots a station with a 1600 x 1200 32-bpp desktop and times, over R runs
// each: a full-screen BitBlt (SRCCOPY) from a compatible bitmap to the screen,
// a StretchBlt of the screen into a 267 x 200 miniature (COLORONCOLOR and
// HALFTONE), and memcpy of the bytes written (and, for the stretch, of the
// screen's bytes read). Prints best and median times and the ratios.
#include <host/adapter.h>
#include <host/station.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Timing {
  double best, median;
};

Timing Time(int runs, const std::function<void()>& work) {
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    auto start = Clock::now();
    work();
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(ms.begin(), ms.end());
  return {ms.front(), ms[ms.size() / 2]};
}

void Report(const char* name, Timing t, Timing reference) {
  std::printf("%-34s best %8.3f ms  median %8.3f ms  ratio to memcpy %6.2f\n", name, t.best, t.median,
              t.best / reference.best);
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 20;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));

  char pattern[] = "/tmp/ovx-gdi-bench-XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  host::StationConfig config;
  config.root = pattern;
  config.realClock = true;
  host::BootStation(config);
  host::adapter::Config adapter = host::adapter::CurrentConfig();
  adapter.displayWidth = adapter.desktopWidth = 1600;
  adapter.displayHeight = adapter.desktopHeight = 1200;
  adapter.bitsPerPixel = 32;
  adapter.videoMemory = 16 * 1024 * 1024;
  std::string why;
  if (!host::adapter::Configure(adapter, &why)) {
    std::fprintf(stderr, "gdi_bench: cannot set 1600 x 1200 x 32: %s\n", why.c_str());
    return 1;
  }

  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP picture = CreateCompatibleBitmap(screen, 1600, 1200);
  SelectObject(memory, picture);
  for (int y = 0; y < 1200; y += 8) PatBlt(memory, 0, y, 1600, 4, WHITENESS);
  HDC mini = CreateCompatibleDC(screen);
  HBITMAP miniature = CreateCompatibleBitmap(screen, 267, 200);
  SelectObject(mini, miniature);

  const size_t screenBytes = 1600u * 1200u * 4u, miniBytes = 267u * 200u * 4u;
  std::vector<unsigned char> from(screenBytes, 1), to(screenBytes);
  Timing copyScreen = Time(runs, [&] { std::memcpy(to.data(), from.data(), screenBytes); });
  Timing copyMini = Time(runs, [&] { std::memcpy(to.data(), from.data(), miniBytes); });
  Timing blit = Time(runs, [&] { BitBlt(screen, 0, 0, 1600, 1200, memory, 0, 0, SRCCOPY); });
  SetStretchBltMode(mini, COLORONCOLOR);
  Timing stretch = Time(runs, [&] { StretchBlt(mini, 0, 0, 267, 200, screen, 0, 0, 1600, 1200, SRCCOPY); });
  SetStretchBltMode(mini, HALFTONE);
  Timing halftone = Time(runs, [&] { StretchBlt(mini, 0, 0, 267, 200, screen, 0, 0, 1600, 1200, SRCCOPY); });

  std::printf("memcpy of 1600 x 1200 x 4 bytes: best %.3f ms; of 267 x 200 x 4 bytes: best %.3f ms\n", copyScreen.best,
              copyMini.best);
  Report("BitBlt 1600x1200 SRCCOPY", blit, copyScreen);
  Report("StretchBlt to 267x200 COLORONCOLOR", stretch, copyMini);
  Report("  (against the screen's bytes)", stretch, copyScreen);
  Report("StretchBlt to 267x200 HALFTONE", halftone, copyMini);
  Report("  (against the screen's bytes)", halftone, copyScreen);

  DeleteDC(mini);
  DeleteDC(memory);
  DeleteObject(miniature);
  DeleteObject(picture);
  ReleaseDC(nullptr, screen);
  host::ShutdownStation();
  return 0;
}
