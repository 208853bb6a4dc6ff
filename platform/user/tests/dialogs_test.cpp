// The dialog manager with the real controls: dialogs from a resource module
// (DLGTEST.DLL) and from templates in memory, DefDlgProcA's rules, the modal
// loop, keyboard navigation, accelerators and the item helpers.
#include <host/gdi.h>

#include <optional>

#include "controls_test_support.h"
#include "dialog_module/dialog_ids.h"
#include "dialog_test_support.h"

namespace host::user::testing {
namespace {

using Lines = std::vector<std::string>;

// What a test's dialog procedure does beyond logging; nullopt answers as an empty procedure does.
using DialogHandler = std::function<std::optional<INT_PTR>(HWND, UINT, WPARAM, LPARAM)>;

struct DialogRecord {
  DialogHandler handler;
  Lines lines;  // "WM_INITDIALOG 77", "EN_CHANGE 1001", "accelerator 3001" ...
};

DialogRecord& Record() {
  static DialogRecord record;
  return record;
}

std::string CommandLine(WPARAM wParam, LPARAM lParam) {
  if (lParam)
    return NotificationName(reinterpret_cast<HWND>(lParam), HIWORD(wParam)) + " " + std::to_string(LOWORD(wParam));
  return std::string(HIWORD(wParam) == 1 ? "accelerator " : "command ") + std::to_string(LOWORD(wParam));
}

// The edits' and combo boxes' focus notices follow every focus change; the tests look at the rest.
bool IsFocusNotice(WPARAM wParam, LPARAM lParam) {
  if (!lParam) return false;
  std::string name = NotificationName(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
  return name.find("SETFOCUS") != std::string::npos || name.find("KILLFOCUS") != std::string::npos;
}

INT_PTR CALLBACK TestDialogProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto& record = Record();
  if (msg == WM_INITDIALOG) record.lines.push_back("WM_INITDIALOG " + std::to_string(lParam));
  if (msg == WM_COMMAND && !IsFocusNotice(wParam, lParam)) record.lines.push_back(CommandLine(wParam, lParam));
  if (record.handler)
    if (auto answer = record.handler(hDlg, msg, wParam, lParam)) return *answer;
  return msg == WM_INITDIALOG;
}

// OK and Cancel end the dialog with their id, as the pages' procedures do.
std::optional<INT_PTR> EndOnOkOrCancel(HWND hDlg, UINT msg, WPARAM wParam, LPARAM) {
  if (msg != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return std::nullopt;
  if (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL) return std::nullopt;
  EndDialog(hDlg, LOWORD(wParam));
  return TRUE;
}

RECT ChildRect(HWND hDlg, HWND child) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::string Text(HWND hDlg, int id) {
  char text[64] = {};
  GetDlgItemTextA(hDlg, id, text, sizeof text);
  return text;
}

class Dialogs : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    Record() = {};
    module = LoadLibraryA("DLGTEST.DLL");
    ASSERT_NE(module, nullptr);
    owner = Make("owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, {0, 0, 600, 400});
    PumpMessages();
  }
  void TearDown() override {
    Record() = {};
    UserTest::TearDown();
  }

  // The settings dialog of DLGTEST.DLL, modeless and shown.
  HWND Settings(LPARAM param = 0) {
    HWND dlg = CreateDialogParamA(module, MAKEINTRESOURCEA(IDD_SETTINGS), owner, TestDialogProc, param);
    EXPECT_NE(dlg, nullptr);
    ShowWindow(dlg, SW_SHOW);
    PumpDialog(dlg);
    return dlg;
  }
  HWND FromMemory(const std::vector<WORD>& dialog) {
    HWND dlg = MakeDialog(dialog, TestDialogProc, owner);
    EXPECT_NE(dlg, nullptr);
    PumpDialog(dlg);
    return dlg;
  }
  Lines TakeLines() {
    Lines lines = std::move(Record().lines);
    Record().lines.clear();
    return lines;
  }
  void Key(HWND dlg, UINT vk, UINT modifier = 0) {
    if (modifier) PressKey(modifier);
    TypeKey(vk);
    if (modifier) ReleaseKey(modifier);
    PumpDialog(dlg);
  }

  HMODULE module = nullptr;
  HWND owner = nullptr;
};

TEST_F(Dialogs, AResourceDialogIsLaidOutInItsFontsDialogUnits) {
  HWND dlg = Settings(77);
  EXPECT_EQ(TakeLines(), Lines{"WM_INITDIALOG 77"});
  char cls[16] = {};
  GetClassNameA(dlg, cls, sizeof cls);
  EXPECT_STREQ(cls, "#32770");

  RECT client, expected{0, 0, 180, 104};
  GetClientRect(dlg, &client);
  ASSERT_TRUE(MapDialogRect(dlg, &expected));
  EXPECT_EQ(client.right, expected.right);
  EXPECT_EQ(client.bottom, expected.bottom);
  // Position and size convert each on its own, as the template gives them.
  RECT name = ChildRect(dlg, GetDlgItem(dlg, IDC_NAME)), nameUnits{44, 6, 80, 12};
  MapDialogRect(dlg, &nameUnits);
  EXPECT_EQ(name.left, nameUnits.left);
  EXPECT_EQ(name.top, nameUnits.top);
  EXPECT_EQ(name.right - name.left, nameUnits.right);
  EXPECT_EQ(name.bottom - name.top, nameUnits.bottom);

  // Every control draws with the template's font.
  auto font = SendMessageA(dlg, WM_GETFONT, 0, 0);
  EXPECT_NE(font, 0);
  for (int id : {IDC_NAME, IDC_ENABLED, IDC_MODE, IDOK}) {
    SCOPED_TRACE(id);
    EXPECT_EQ(SendDlgItemMessageA(dlg, id, WM_GETFONT, 0, 0), font);
    EXPECT_EQ(GetDlgCtrlID(GetDlgItem(dlg, id)), id);
  }
  // The 3-D look: EDITTEXT's border is a sunken client edge.
  HWND nameEdit = GetDlgItem(dlg, IDC_NAME);
  EXPECT_FALSE(GetWindowLongA(nameEdit, GWL_STYLE) & WS_BORDER);
  EXPECT_TRUE(GetWindowLongA(nameEdit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_EQ(GetDlgItem(dlg, 4242), nullptr);
  EXPECT_FALSE(EnableWindow(GetDlgItem(dlg, 4242), FALSE));  // harmless
  EXPECT_EQ(SendMessageA(dlg, DM_GETDEFID, 0, 0), MAKELONG(IDOK, DC_HASDEFID));
}

TEST_F(Dialogs, ShowingTheDialogPaintsItsControls) {
  HWND dlg = Settings();
  RECT ok;
  GetWindowRect(GetDlgItem(dlg, IDOK), &ok);
  // The default push button's dark frame, then the raised edge's highlight.
  EXPECT_EQ(host::gdi::ScreenPixel(ok.left, ok.top), GetSysColor(COLOR_WINDOWFRAME));
  EXPECT_EQ(host::gdi::ScreenPixel(ok.left + 1, ok.top + 1), GetSysColor(COLOR_3DHILIGHT));
}

TEST_F(Dialogs, DialogUnitsComeFromTheTemplatesFont) {
  LONG system = GetDialogBaseUnits();
  ASSERT_GT(LOWORD(system), 0);
  ASSERT_GT(HIWORD(system), 0);
  auto unitsOf = [&](const char* font, WORD points) {
    HWND dlg = FromMemory(BuildTemplate(WS_POPUP | WS_CAPTION, "Units", {}, false, font, points));
    RECT rect{0, 0, 4, 8};
    MapDialogRect(dlg, &rect);
    DestroyWindow(dlg);
    return rect;
  };
  RECT none = unitsOf(nullptr, 0);
  EXPECT_EQ(none.right, LOWORD(system));  // no DS_SETFONT: the system font's units
  EXPECT_EQ(none.bottom, HIWORD(system));
  RECT small = unitsOf("MS Sans Serif", 8), large = unitsOf("MS Sans Serif", 16);
  EXPECT_GT(large.right, small.right);
  EXPECT_GT(large.bottom, small.bottom);
}

TEST_F(Dialogs, ClassicAndExtendedTemplatesInMemory) {
  for (bool extended : {false, true}) {
    SCOPED_TRACE(extended ? "DLGTEMPLATEEX" : "DLGTEMPLATE");
    HWND dlg = FromMemory(BuildTemplate(WS_POPUP | WS_CAPTION, "Memory",
                                        {{nullptr, 0x0080, "&Apply", 7, WS_VISIBLE | BS_PUSHBUTTON, 4, 4, 40, 14},
                                         {"Edit", 0, "text", 8, WS_VISIBLE | WS_TABSTOP, 4, 20, 40, 12}},
                                        extended));
    char cls[16] = {};
    GetClassNameA(GetDlgItem(dlg, 7), cls, sizeof cls);
    EXPECT_STREQ(cls, "Button");  // the class atom names the system class
    EXPECT_EQ(Text(dlg, 7), "&Apply");
    EXPECT_EQ(Text(dlg, 8), "text");
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, 8));
    DestroyWindow(dlg);
  }
}

TEST_F(Dialogs, InitDialogAnswerDecidesTheFirstFocus) {
  struct Case {
    const char* name;
    int focusSetByProcedure;  // 0: none
    INT_PTR answer;
    int focused;
  };
  const Case cases[] = {
      {"TRUE: the first tab stop", 0, TRUE, IDC_NAME},
      {"TRUE overrides the procedure's choice", IDCANCEL, TRUE, IDC_NAME},
      {"FALSE keeps the procedure's choice", IDCANCEL, FALSE, IDCANCEL},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Record().handler = [&](HWND hDlg, UINT msg, WPARAM, LPARAM) -> std::optional<INT_PTR> {
      if (msg != WM_INITDIALOG) return std::nullopt;
      if (c.focusSetByProcedure) SetFocus(GetDlgItem(hDlg, c.focusSetByProcedure));
      return c.answer;
    };
    HWND dlg = CreateDialogParamA(module, MAKEINTRESOURCEA(IDD_SETTINGS), owner, TestDialogProc, 0);
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, c.focused));  // while the dialog is still hidden
    ShowWindow(dlg, SW_SHOW);
    PumpDialog(dlg);
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, c.focused));
    DestroyWindow(dlg);
  }
}

TEST_F(Dialogs, SetDlgItemTextTellsTheEditsChangeEveryTime) {
  HWND dlg = Settings();
  TakeLines();
  const Lines nameChanged{"EN_UPDATE 1001", "EN_CHANGE 1001"};
  EXPECT_TRUE(SetDlgItemTextA(dlg, IDC_NAME, "Orvane"));
  EXPECT_EQ(TakeLines(), nameChanged);
  EXPECT_TRUE(SetDlgItemTextA(dlg, IDC_NAME, "Orvane"));  // the same text is a change too
  EXPECT_EQ(TakeLines(), nameChanged);
  EXPECT_TRUE(SetDlgItemInt(dlg, IDC_COUNT, 12, FALSE));
  EXPECT_EQ(TakeLines(), (Lines{"EN_UPDATE 1002", "EN_CHANGE 1002"}));

  char text[4];
  EXPECT_EQ(GetDlgItemTextA(dlg, IDC_NAME, text, sizeof text), 3u);  // truncated to the buffer
  EXPECT_STREQ(text, "Orv");
  EXPECT_FALSE(SetDlgItemTextA(dlg, 4242, "x"));
  EXPECT_EQ(GetDlgItemTextA(dlg, 4242, text, sizeof text), 0u);
  EXPECT_STREQ(text, "");
}

TEST_F(Dialogs, ComboSetCurSelIsSilentAndTheUsersChoiceIsTold) {
  HWND dlg = Settings();
  for (const char* item : {"Fast", "Slow", "Off"}) SendDlgItemMessageA(dlg, IDC_MODE, CB_ADDSTRING, 0, (LPARAM)item);
  TakeLines();
  EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_MODE, CB_SETCURSEL, 1, 0), 1);
  EXPECT_EQ(Text(dlg, IDC_MODE), "Slow");
  EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_MODE, CB_SETCURSEL, static_cast<WPARAM>(-1), 0), CB_ERR);  // -1 clears
  EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_MODE, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(Text(dlg, IDC_MODE), "");
  EXPECT_EQ(TakeLines(), Lines{});

  SendMessageA(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dlg, IDC_MODE)), TRUE);
  SendDlgItemMessageA(dlg, IDC_MODE, CB_SETCURSEL, 0, 0);
  TakeLines();
  Key(dlg, VK_DOWN);
  EXPECT_EQ(TakeLines(), Lines{"CBN_SELCHANGE 1007"});
  EXPECT_EQ(Text(dlg, IDC_MODE), "Slow");
}

TEST_F(Dialogs, CheckDlgButtonAndCheckRadioButtonAreSilent) {
  HWND dlg = Settings();
  TakeLines();
  struct Case {
    UINT check;
    UINT checked;
  };
  const Case cases[] = {{BST_CHECKED, BST_CHECKED},
                        {BST_UNCHECKED, BST_UNCHECKED},
                        {BST_INDETERMINATE, BST_CHECKED}};  // a two-state box takes it as checked
  for (const auto& c : cases) {
    SCOPED_TRACE(c.check);
    EXPECT_TRUE(CheckDlgButton(dlg, IDC_ENABLED, c.check));
    EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_ENABLED), c.checked);
  }
  EXPECT_TRUE(CheckRadioButton(dlg, IDC_SMALL, IDC_LARGE, IDC_LARGE));
  EXPECT_TRUE(CheckRadioButton(dlg, IDC_SMALL, IDC_LARGE, IDC_MEDIUM));
  EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_SMALL), 0u);
  EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_MEDIUM), 1u);
  EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_LARGE), 0u);
  EXPECT_FALSE(CheckDlgButton(dlg, 4242, BST_CHECKED));
  EXPECT_EQ(TakeLines(), Lines{});

  SendDlgItemMessageA(dlg, IDC_ENABLED, BM_CLICK, 0, 0);  // the user's click is told
  EXPECT_EQ(TakeLines(), Lines{"BN_CLICKED 1003"});
}

// The BM_SETCHECKs the subclassed radio button saw.
std::vector<WPARAM>& SubclassSaw() {
  static std::vector<WPARAM> seen;
  return seen;
}
WNDPROC gRadioProc = nullptr;

LRESULT CALLBACK WatchingRadioProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == BM_SETCHECK) SubclassSaw().push_back(wParam);
  return CallWindowProcA(gRadioProc, hwnd, msg, wParam, lParam);
}

TEST_F(Dialogs, ArrowsMoveThroughTheRadioGroupAndUncheckThroughASubclass) {
  HWND dlg = Settings();
  HWND medium = GetDlgItem(dlg, IDC_MEDIUM);
  SubclassSaw().clear();
  gRadioProc =
      reinterpret_cast<WNDPROC>(SetWindowLongA(medium, GWL_WNDPROC, reinterpret_cast<LONG>(WatchingRadioProc)));
  CheckRadioButton(dlg, IDC_SMALL, IDC_LARGE, IDC_MEDIUM);
  SendMessageA(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(medium), TRUE);
  TakeLines();
  EXPECT_EQ(SubclassSaw(), std::vector<WPARAM>{BST_CHECKED});

  struct Step {
    UINT vk;
    int focused;
    Lines lines;
  };
  const Step steps[] = {
      {VK_DOWN, IDC_LARGE, {"BN_CLICKED 1006"}},
      {VK_DOWN, IDC_SMALL, {"BN_CLICKED 1004"}},  // wraps inside the group, never into the combo box
      {VK_UP, IDC_LARGE, {"BN_CLICKED 1006"}},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.focused);
    SubclassSaw().clear();
    Key(dlg, step.vk);
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, step.focused));
    EXPECT_EQ(TakeLines(), step.lines);
    for (int id : {IDC_SMALL, IDC_MEDIUM, IDC_LARGE}) EXPECT_EQ(IsDlgButtonChecked(dlg, id), id == step.focused);
    EXPECT_EQ(SubclassSaw(), std::vector<WPARAM>{BST_UNCHECKED});  // the group was unchecked through it
  }
}

TEST_F(Dialogs, MnemonicsFocusTheLabelledControlOrClickTheButton) {
  HWND dlg = Settings();
  TakeLines();
  struct Case {
    const char* name;
    UINT vk, modifier;
    int focused;
    Lines lines;
  };
  const Case cases[] = {
      {"Alt+C: the edit after the label", 'C', VK_MENU, IDC_COUNT, {}},
      {"Alt+E: the check box is clicked", 'E', VK_MENU, IDC_ENABLED, {"BN_CLICKED 1003"}},
      {"a letter where no control takes characters", 'L', 0, IDC_LARGE, {"BN_CLICKED 1006"}},
      {"a letter no control has", 'Z', VK_MENU, IDC_LARGE, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Key(dlg, c.vk, c.modifier);
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, c.focused));
    EXPECT_EQ(TakeLines(), c.lines);
  }
  EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_ENABLED), 1u);
  EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_LARGE), 1u);
}

TEST_F(Dialogs, TabOrderSkipsDisabledAndHiddenControlsAndWraps) {
  constexpr DWORD kShown = WS_VISIBLE | BS_PUSHBUTTON;
  HWND dlg = FromMemory(BuildTemplate(WS_POPUP | WS_CAPTION | WS_VISIBLE, "Tabs",
                                      {{"Button", 0, "A", 1, kShown | WS_TABSTOP, 4, 4, 40, 14},
                                       {"Button", 0, "B", 2, kShown | WS_TABSTOP | WS_DISABLED, 4, 20, 40, 14},
                                       {"Button", 0, "C", 3, kShown, 4, 36, 40, 14},
                                       {"Button", 0, "D", 4, BS_PUSHBUTTON | WS_TABSTOP, 4, 52, 40, 14},
                                       {"Button", 0, "E", 5, kShown | WS_TABSTOP, 4, 68, 40, 14}}));
  HWND a = GetDlgItem(dlg, 1), c = GetDlgItem(dlg, 3), e = GetDlgItem(dlg, 5);
  struct Case {
    HWND from;
    BOOL previous;
    HWND next;
  };
  const Case cases[] = {{a, FALSE, e}, {e, FALSE, a},       {a, TRUE, e},      {e, TRUE, a},
                        {c, FALSE, e}, {nullptr, FALSE, a}, {nullptr, TRUE, e}};
  for (const auto& row : cases) {
    SCOPED_TRACE(::testing::Message() << GetDlgCtrlID(row.from) << (row.previous ? " back" : " on"));
    EXPECT_EQ(GetNextDlgTabItem(dlg, row.from, row.previous), row.next);
  }
  EXPECT_EQ(GetFocus(), a);
  const std::pair<UINT, HWND> keys[] = {{0, e}, {0, a}, {VK_SHIFT, e}, {VK_SHIFT, a}};
  for (const auto& [modifier, focused] : keys) {
    Key(dlg, VK_TAB, modifier);
    EXPECT_EQ(GetFocus(), focused);
  }
}

TEST_F(Dialogs, GroupItemsStayInsideTheirGroup) {
  constexpr DWORD kRadio = WS_VISIBLE | BS_AUTORADIOBUTTON;
  HWND dlg = FromMemory(BuildTemplate(WS_POPUP | WS_CAPTION | WS_VISIBLE, "Groups",
                                      {{"Button", 0, "1", 1, kRadio | WS_GROUP | WS_TABSTOP, 4, 4, 40, 10},
                                       {"Button", 0, "2", 2, kRadio | WS_DISABLED, 4, 16, 40, 10},
                                       {"Button", 0, "3", 3, kRadio, 4, 28, 40, 10},
                                       {"Button", 0, "X", 4, WS_VISIBLE | WS_GROUP | WS_TABSTOP, 4, 40, 40, 14}}));
  HWND one = GetDlgItem(dlg, 1), three = GetDlgItem(dlg, 3), x = GetDlgItem(dlg, 4);
  EXPECT_EQ(GetNextDlgGroupItem(dlg, one, FALSE), three);
  EXPECT_EQ(GetNextDlgGroupItem(dlg, three, FALSE), one);
  EXPECT_EQ(GetNextDlgGroupItem(dlg, one, TRUE), three);
  EXPECT_EQ(GetNextDlgGroupItem(dlg, x, FALSE), x);
}

TEST_F(Dialogs, DefDlgProcResetsTheMessageResultBeforeEachMessage) {
  constexpr UINT kRefuse = 1, kAccept = 2, kIgnore = 3;
  Record().handler = [](HWND hDlg, UINT msg, WPARAM, LPARAM lParam) -> std::optional<INT_PTR> {
    if (msg == WM_CTLCOLORDLG) return reinterpret_cast<INT_PTR>(GetStockObject(GRAY_BRUSH));
    if (msg != WM_NOTIFY) return std::nullopt;
    switch (reinterpret_cast<const NMHDR*>(lParam)->code) {
      case kRefuse:
        SetWindowLongA(hDlg, DWL_MSGRESULT, TRUE);
        return TRUE;
      case kAccept:
        return TRUE;
    }
    return FALSE;
  };
  HWND dlg = FromMemory(BuildTemplate(WS_POPUP | WS_CAPTION, "Results", {}));
  struct Case {
    const char* name;
    UINT code;
    LONG before;  // DWL_MSGRESULT left from earlier
    LRESULT result;
  };
  const Case cases[] = {
      {"a refusal", kRefuse, 0, TRUE},
      {"the next notification is not refused", kAccept, TRUE, 0},
      {"a stale value is not answered", kAccept, 5, 0},
      {"an unhandled notification answers 0", kIgnore, 5, 0},
      {"refused again", kRefuse, 0, TRUE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetWindowLongA(dlg, DWL_MSGRESULT, c.before);
    NMHDR header{owner, 1, c.code};
    EXPECT_EQ(SendMessageA(dlg, WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&header)), c.result);
  }
  // The colour messages answer the procedure's own value.
  EXPECT_EQ(SendMessageA(dlg, WM_CTLCOLORDLG, 0, reinterpret_cast<LPARAM>(dlg)),
            reinterpret_cast<LRESULT>(GetStockObject(GRAY_BRUSH)));
}

TEST_F(Dialogs, EndDialogFromATimerEndsTheModalLoopAfterTheHandler) {
  int timerCalls = 0;
  bool aliveAfterEnd = false, ownerEnabledInside = true;
  Record().handler = [&](HWND hDlg, UINT msg, WPARAM wParam, LPARAM) -> std::optional<INT_PTR> {
    if (msg == WM_INITDIALOG) SetTimer(hDlg, 7, 100, nullptr);
    if (msg != WM_TIMER || wParam != 7) return std::nullopt;
    ++timerCalls;
    ownerEnabledInside = IsWindowEnabled(owner);
    EndDialog(hDlg, 42);
    aliveAfterEnd = IsWindow(hDlg);  // EndDialog only marks the dialog
    KillTimer(hDlg, 7);
    return TRUE;
  };
  EXPECT_EQ(DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_SETTINGS), owner, TestDialogProc, 5), 42);
  EXPECT_EQ(timerCalls, 1);
  EXPECT_TRUE(aliveAfterEnd);
  EXPECT_FALSE(ownerEnabledInside);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(FindWindowA("#32770", "Settings"), nullptr);
}

TEST_F(Dialogs, KeysAndCloseEndTheModalDialog) {
  struct Case {
    const char* name;
    std::function<void(HWND)> script;  // queues the steps; gets the dialog once it exists
    INT_PTR result;
    std::string command;
  };
  HWND dialog = nullptr;
  const Case cases[] = {
      {"Esc is Cancel", [](HWND) { ScriptKey(VK_ESCAPE); }, IDCANCEL, "BN_CLICKED 2"},
      {"Enter in an edit presses the default button", [](HWND) { ScriptKey(VK_RETURN); }, IDOK, "BN_CLICKED 1"},
      {"Enter on another push button presses it",
       [](HWND) {
         Script("shift", [] { PressKey(VK_SHIFT); });
         ScriptKey(VK_TAB);  // back from the name edit to Cancel
         Script("unshift", [] { ReleaseKey(VK_SHIFT); });
         ScriptKey(VK_RETURN);
       },
       IDCANCEL, "BN_CLICKED 2"},
      {"the default stays OK after the focus visited Cancel",
       [](HWND) {
         Script("shift", [] { PressKey(VK_SHIFT); });
         ScriptKey(VK_TAB);
         Script("unshift", [] { ReleaseKey(VK_SHIFT); });
         ScriptKey(VK_TAB);  // on to the name edit again
         ScriptKey(VK_RETURN);
       },
       IDOK, "BN_CLICKED 1"},
      {"WM_CLOSE is Cancel", [&](HWND) { Script("close", [&] { PostMessageA(dialog, WM_CLOSE, 0, 0); }); }, IDCANCEL,
       "BN_CLICKED 2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    bool ownerEnabledInside = true;
    Record() = {};
    Record().handler = [&](HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam) -> std::optional<INT_PTR> {
      if (msg == WM_INITDIALOG) {
        dialog = hDlg;
        Script("look at the owner", [&] { ownerEnabledInside = IsWindowEnabled(owner); });
        c.script(hDlg);
      }
      return EndOnOkOrCancel(hDlg, msg, wParam, lParam);
    };
    EXPECT_EQ(DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_SETTINGS), owner, TestDialogProc, 0), c.result);
    ASSERT_FALSE(Record().lines.empty());
    EXPECT_EQ(Record().lines.back(), c.command);
    EXPECT_FALSE(ownerEnabledInside);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_FALSE(IsWindow(dialog));
    ClearScript();
  }
}

TEST_F(Dialogs, AMissingTemplateGivesMinusOne) {
  struct Case {
    const char* name;
    HMODULE module;
    LPCSTR templateName;
  };
  const Case cases[] = {
      {"no such id", module, MAKEINTRESOURCEA(999)},
      {"no such name", module, "NoSuchDialog"},
      {"the program has no dialogs", nullptr, MAKEINTRESOURCEA(IDD_SETTINGS)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DialogBoxParamA(c.module, c.templateName, owner, TestDialogProc, 0), -1);
    EXPECT_EQ(CreateDialogParamA(c.module, c.templateName, owner, TestDialogProc, 0), nullptr);
    EXPECT_TRUE(IsWindowEnabled(owner));
  }
  EXPECT_EQ(DialogBoxIndirectParamA(nullptr, nullptr, owner, TestDialogProc, 0), -1);
  EXPECT_EQ(CreateDialogIndirectParamA(nullptr, nullptr, owner, TestDialogProc, 0), nullptr);
  EXPECT_EQ(TakeLines(), Lines{});
}

TEST_F(Dialogs, AcceleratorsSendCommandsWithHighWordOne) {
  HACCEL table = LoadAcceleratorsA(module, MAKEINTRESOURCEA(IDA_SETTINGS));
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(CopyAcceleratorTableA(table, nullptr, 0), 4);
  struct Case {
    const char* name;
    std::vector<UINT> held;
    UINT msg;
    WPARAM key;
    int command;  // 0: not translated
  };
  const Case cases[] = {
      {"Ctrl+S", {VK_CONTROL}, WM_KEYDOWN, 'S', IDM_SAVE},
      {"S alone", {}, WM_KEYDOWN, 'S', 0},
      {"Ctrl+S released", {VK_CONTROL}, WM_KEYUP, 'S', 0},
      {"F5", {}, WM_KEYDOWN, VK_F5, IDM_REFRESH},
      {"Shift+F5 is another key", {VK_SHIFT}, WM_KEYDOWN, VK_F5, 0},
      {"Ctrl+Shift+Q", {VK_CONTROL, VK_SHIFT}, WM_KEYDOWN, 'Q', IDM_QUIT},
      {"Ctrl+Q lacks Shift", {VK_CONTROL}, WM_KEYDOWN, 'Q', 0},
      {"the character r", {}, WM_CHAR, 'r', IDM_RESET},
      {"the character R", {}, WM_CHAR, 'R', 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (UINT vk : c.held) PressKey(vk);
    PumpMessages();
    ClearLog();
    MSG msg{owner, c.msg, c.key, 0, 0, {}};
    EXPECT_EQ(TranslateAcceleratorA(owner, table, &msg), c.command ? 1 : 0);
    std::vector<WPARAM> commands;
    for (const auto& e : Recorder::Get().Entries())
      if (e.hwnd == owner && e.msg == WM_COMMAND && e.lParam == 0) commands.push_back(e.wParam);
    EXPECT_EQ(commands, c.command ? std::vector<WPARAM>{MAKEWPARAM(c.command, 1)} : std::vector<WPARAM>{});
    for (UINT vk : c.held) ReleaseKey(vk);
    PumpMessages();
  }
  EXPECT_TRUE(DestroyAcceleratorTable(table));
  EXPECT_FALSE(DestroyAcceleratorTable(table));
}

TEST_F(Dialogs, AGrayedMenuCommandTakesTheKeyWithoutACommand) {
  ACCEL accel{FVIRTKEY, VK_F5, IDM_REFRESH};
  HACCEL table = CreateAcceleratorTableA(&accel, 1);
  HMENU menu = CreateMenu();
  AppendMenuA(menu, MF_STRING | MF_GRAYED, IDM_REFRESH, "Refresh");
  SetMenu(owner, menu);
  ClearLog();
  MSG msg{owner, WM_KEYDOWN, VK_F5, 0, 0, {}};
  EXPECT_EQ(TranslateAcceleratorA(owner, table, &msg), 1);
  EXPECT_EQ(Log({WM_NCPAINT, WM_ERASEBKGND, WM_PAINT}), Lines{"owner WM_INITMENU"});
  DestroyAcceleratorTable(table);
}

TEST_F(Dialogs, DlgItemIntReadsSignedAndUnsignedNumbers) {
  HWND dlg = Settings();
  struct Case {
    const char* text;
    BOOL isSigned;
    UINT value;
    BOOL translated;
  };
  const Case cases[] = {
      {"-5", TRUE, static_cast<UINT>(-5), TRUE},
      {"-5", FALSE, 0, FALSE},
      {"42", FALSE, 42, TRUE},
      {"  7  ", TRUE, 7, TRUE},
      {"12abc", TRUE, 0, FALSE},
      {"abc", FALSE, 0, FALSE},
      {"", TRUE, 0, FALSE},
      {"-", TRUE, 0, FALSE},
      {"1 2", TRUE, 0, FALSE},
      {"4294967295", FALSE, 4294967295u, TRUE},
      {"4294967296", FALSE, 0, FALSE},
      {"2147483647", TRUE, 2147483647u, TRUE},
      {"2147483648", TRUE, 0, FALSE},
      {"-2147483648", TRUE, 0x80000000u, TRUE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << '"' << c.text << '"' << (c.isSigned ? " signed" : " unsigned"));
    SetDlgItemTextA(dlg, IDC_NAME, c.text);
    BOOL translated = !c.translated;
    EXPECT_EQ(GetDlgItemInt(dlg, IDC_NAME, &translated, c.isSigned), c.value);
    EXPECT_EQ(translated, c.translated);
    EXPECT_EQ(GetDlgItemInt(dlg, IDC_NAME, nullptr, c.isSigned), c.value);
  }
  BOOL translated = TRUE;
  EXPECT_EQ(GetDlgItemInt(dlg, 4242, &translated, TRUE), 0u);
  EXPECT_FALSE(translated);

  SetDlgItemInt(dlg, IDC_NAME, static_cast<UINT>(-5), TRUE);
  EXPECT_EQ(Text(dlg, IDC_NAME), "-5");
  SetDlgItemInt(dlg, IDC_NAME, static_cast<UINT>(-5), FALSE);
  EXPECT_EQ(Text(dlg, IDC_NAME), "4294967291");
}

// A page's dialog (a WS_CHILD template) made with the desktop as its parent is
// a top-level window: made, shown, owning a modal dialog and destroyed
// without anyone waiting for the desktop, which belongs to no thread.
TEST_F(Dialogs, AChildOfTheDesktopIsATopLevelWindow) {
  const std::vector<ItemSpec> ok = {{nullptr, 0x0080, "OK", IDOK, WS_TABSTOP | BS_DEFPUSHBUTTON, 7, 7, 50, 14},
                                    {nullptr, 0x0080, "Cancel", IDCANCEL, WS_TABSTOP, 60, 7, 50, 14}};
  HWND desktop = GetDesktopWindow();
  HWND page = MakeDialog(BuildTemplate(WS_CHILD | DS_CONTROL, "Page", ok), TestDialogProc, desktop, 9);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(TakeLines(), Lines{"WM_INITDIALOG 9"});
  EXPECT_EQ(GetParent(page), desktop);
  ShowWindow(page, SW_SHOW);
  PumpDialog(page);
  EXPECT_TRUE(IsWindowVisible(page));
  EXPECT_EQ(SendMessageA(desktop, WM_GETTEXTLENGTH, 0, 0), 0) << "the desktop answers on the sender's thread";

  bool pageEnabledInside = true, desktopEnabledInside = false;
  Record().handler = EndOnOkOrCancel;
  Script("look at the owners", [&] {
    pageEnabledInside = IsWindowEnabled(page);
    desktopEnabledInside = IsWindowEnabled(desktop);
  });
  ScriptKey(VK_ESCAPE);
  auto modal = BuildTemplate(WS_POPUP | WS_CAPTION | DS_MODALFRAME, "Modal", ok);
  EXPECT_EQ(DialogBoxIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(modal.data()), page, TestDialogProc, 0),
            IDCANCEL);
  EXPECT_FALSE(pageEnabledInside) << "the child of the desktop is its own top-level window: the owner";
  EXPECT_TRUE(desktopEnabledInside);
  EXPECT_TRUE(IsWindowEnabled(page));

  EXPECT_TRUE(DestroyWindow(page));
  EXPECT_FALSE(IsWindow(page));
}

}  // namespace
}  // namespace host::user::testing
