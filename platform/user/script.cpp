// Scripting the waits of UI threads, stuck modal loops, and the records a
// test reads: message boxes, tracked menus, help and exit requests.
#include <host/station.h>

#include "user/user_internal.h"

#include <cstdio>
#include <deque>

namespace host::user {
namespace {

struct Step {
  StepKind kind = StepKind::Action;
  std::string description;
  std::function<void()> action;
  int value = 0;
};

struct Records {
  std::deque<Step> script;
  std::function<void(const std::string&)> stuckHandler;
  std::vector<std::string> stuck;
  std::vector<MessageBoxRecord> boxes;
  std::vector<TrackedMenu> menus;
  std::vector<HelpRequest> help;
  std::vector<UINT> exits;
};

Records& R() {
  static Records records;
  return records;
}

void Push(Step step) {
  Lock lock(UserLock());
  R().script.push_back(std::move(step));
  ++U().scriptGeneration;
  WakeWaiters();
}

}  // namespace

bool RunNextScriptAction() {
  Step step;
  {
    Lock lock(UserLock());
    if (R().script.empty() || R().script.front().kind != StepKind::Action) return false;
    step = std::move(R().script.front());
    R().script.pop_front();
  }
  step.action();
  return true;
}

StepKind NextStepKind() {
  Lock lock(UserLock());
  return R().script.empty() ? StepKind::None : R().script.front().kind;
}

bool TakeScriptedValue(StepKind kind, int* value) {
  Lock lock(UserLock());
  if (R().script.empty() || R().script.front().kind != kind) return false;
  *value = R().script.front().value;
  R().script.pop_front();
  return true;
}

void ReportStuckLoop(const std::string& loopName) {
  std::function<void(const std::string&)> handler;
  {
    Lock lock(UserLock());
    R().stuck.push_back(loopName);
    handler = R().stuckHandler;
  }
  if (handler)
    handler(loopName);
  else
    std::fprintf(stderr, "stuck modal loop: %s\n", loopName.c_str());
}

void RecordMessageBox(const MessageBoxRecord& record) {
  Lock lock(UserLock());
  R().boxes.push_back(record);
}

void RecordTrackedMenu(const TrackedMenu& record) {
  Lock lock(UserLock());
  R().menus.push_back(record);
}

void RecordHelp(const HelpRequest& record) {
  Lock lock(UserLock());
  R().help.push_back(record);
}

void RecordExit(UINT flags) {
  Lock lock(UserLock());
  R().exits.push_back(flags);
}

void ResetRecords() {
  Lock lock(UserLock());
  auto handler = R().stuckHandler;
  R() = Records{};
  R().stuckHandler = handler;  // a test's handler outlives reboots within the test
}

void Script(const std::string& description, std::function<void()> action) {
  Push(Step{StepKind::Action, description, std::move(action), 0});
}

void ScriptMove(int x, int y) {
  Script("move to " + std::to_string(x) + "," + std::to_string(y), [=] { MoveMouse(x, y); });
}

void ScriptClick(int x, int y, Button button) {
  Script("click at " + std::to_string(x) + "," + std::to_string(y), [=] { Click(x, y, button); });
}

void ScriptPress(Button button) {
  Script("press", [=] { PressButton(button); });
}

void ScriptRelease(Button button) {
  Script("release", [=] { ReleaseButton(button); });
}

void ScriptKey(UINT vk) {
  Script("key " + std::to_string(vk), [=] { TypeKey(vk); });
}

void ScriptAdvanceClock(DWORD milliseconds) {
  Script("advance clock", [=] { host::AdvanceClock(milliseconds); });
}

void ScriptAnswerMessageBox(int answer) { Push(Step{StepKind::Answer, "answer", nullptr, answer}); }

void ScriptChooseMenuItem(UINT id) { Push(Step{StepKind::MenuChoice, "menu choice", nullptr, static_cast<int>(id)}); }

size_t PendingScriptSteps() {
  Lock lock(UserLock());
  return R().script.size();
}

void ClearScript() {
  Lock lock(UserLock());
  R().script.clear();
}

void SetStuckLoopHandler(std::function<void(const std::string&)> handler) {
  Lock lock(UserLock());
  R().stuckHandler = std::move(handler);
}

std::vector<std::string> StuckLoops() {
  Lock lock(UserLock());
  return R().stuck;
}

std::vector<MessageBoxRecord> MessageBoxes() {
  Lock lock(UserLock());
  return R().boxes;
}

std::vector<TrackedMenu> TrackedMenus() {
  Lock lock(UserLock());
  return R().menus;
}

std::vector<HelpRequest> HelpRequests() {
  Lock lock(UserLock());
  return R().help;
}

std::vector<UINT> ExitRequests() {
  Lock lock(UserLock());
  return R().exits;
}

void ClearRecords() {
  Lock lock(UserLock());
  R().boxes.clear();
  R().menus.clear();
  R().help.clear();
  R().exits.clear();
  R().stuck.clear();
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
    if (msg.message == WM_QUIT) return;
    PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace host::user
