#include "adapter_tour.h"

#include "driver_escape.h"

namespace driver {
namespace {

const char* UsageName(LONG usage) {
  switch (usage) {
    case kOffscreenNone:
      return "none";
    case kOffscreen2D:
      return "2D";
    case kOffscreenZ:
      return "Z";
    case kOffscreen3D:
      return "3D";
    default:
      return "unknown";
  }
}

void PrintMode(FILE* out) {
  DisplayState s = ReadDisplayState();
  VisibleOrigin o = ReadVisibleOrigin();
  fprintf(out,
          "  display %ld x %ld, desktop %ld x %ld, %ld bits per pixel, zoom %ld, off-screen usage %s, font %ld dpi\n",
          s.displayWidth, s.displayHeight, s.desktopWidth, s.desktopHeight, s.bitsPerPixel, s.zoom,
          UsageName(s.offscreenUsage), s.fontDpi);
  fprintf(out, "  visible part %ld x %ld at (%ld, %ld)%s\n", s.VisibleWidth(), s.VisibleHeight(), o.x, o.y,
          s.CanPan() ? ", pans with the cursor" : "");
  TimingBlock t = ReadTimingState();
  if (t.pixelClock == 0)
    fprintf(out, "  timing state: none\n");
  else
    fprintf(out, "  timing state: %ld kHz, H %ld/%ld/%ld/%ld, V %ld/%ld/%ld/%ld, sync polarities %ld/%ld\n",
            t.pixelClock, t.hDisp, t.hFrontPorch, t.hSync, t.hBackPorch, t.vDisp, t.vFrontPorch, t.vSync, t.vBackPorch,
            t.hSyncPolarity, t.vSyncPolarity);
  RefreshRates rates = ReadRefreshRates(s.displayWidth, s.displayHeight, s.bitsPerPixel, s.zoom);
  fprintf(out, "  built-in refresh rates of %ld x %ld:", s.displayWidth, s.displayHeight);
  for (int i = 0; i < rates.count; ++i) fprintf(out, " %lu", static_cast<unsigned long>(rates.rates[i]));
  fprintf(out, rates.count ? " Hz\n" : " none\n");
}

void PrintBoards(FILE* out) {
  DWORD count = ReadBoardCount();
  fprintf(out, "  boards: %lu\n", static_cast<unsigned long>(count));
  for (DWORD i = 0; i < count && i < 16; ++i) {
    BoardDescription b = ReadBoard(i);
    fprintf(out, "    %lu: %s, device 0x%04X, board 0x%04X, max pixel clock %u MHz, \"%s\"\n",
            static_cast<unsigned long>(i), b.IsActive() ? "active" : "inactive", b.deviceId, b.boardId,
            b.maxPixelClockMHz, b.name);
  }
}

void PrintMonitor(FILE* out) {
  char key[kDeviceKeyBytes];
  ReadMonitorDeviceKey(key);
  fprintf(out, "  monitor device key: %s; answers DDC: %s; mode suits a plug-and-play monitor: %s\n",
          key[0] ? key : "(none)", ReadMonitorAnswersDdc() ? "yes" : "no", ReadModeSuitsPnpMonitor() ? "yes" : "no");
}

}  // namespace

void PrintAdapterTour(FILE* out) {
  fprintf(out, "Adapter, as the utilities see it through the driver escape:\n");
  int answer = QueryEscapeSupport();
  if (!IsEscapeSignature(answer)) {
    fprintf(out, "  escape 0x8008: not supported (QUERYESCSUPPORT answers 0x%08X)\n", static_cast<unsigned>(answer));
    return;
  }
  fprintf(out, "  escape 0x8008: supported (QUERYESCSUPPORT answers 0x%08X)\n", static_cast<unsigned>(answer));
  DriverGate gate = CheckDriverGate();
  fprintf(out, "  interface version 0x%05lX: %s", static_cast<unsigned long>(gate.version),
          gate.result == GateResult::Passed ? "passes the gate" : "below 0x30008, the utilities give up");
  if (gate.result == GateResult::Passed)
    fprintf(out, "; on-the-fly depth changes: %s",
            VersionAsksDepth(gate.version) ? (gate.onTheFlyDepth ? "yes" : "no") : "not asked");
  fprintf(out, "\n");
  PrintMode(out);
  PrintBoards(out);
  PrintMonitor(out);
}

}  // namespace driver
