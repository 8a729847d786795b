// Tests of the input dialog worked through its real window, as keys and clicks reach it.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dialog_test_support.h"
#include "dialogs/input_dialog.h"

namespace pelorin {
namespace {

using testing::DialogDriver;
using testing::PostAltKey;
using testing::PostKey;
using testing::PostText;
using testing::WaitUntil;
using testing::WindowText;

using Act = std::function<void(HWND dialog, HWND field)>;

void ClickOk(HWND dialog) {
  PostMessageW(GetDlgItem(dialog, kInputOkId), BM_CLICK, 0, 0);
}
void SelectAll(HWND field) {
  PostMessageW(field, EM_SETSEL, 0, -1);
}

// What a user does in the dialog, and what it answers.
struct AnswerCase {
  const char* name;
  Act act;
  Text expected;
};

const AnswerCase kAnswerCases[] = {
    {"typing after the default, then Enter",
     [](HWND, HWND field) {
       PostText(field, u"5");
       PostKey(field, VK_RETURN);
     },
     u"$475"},
    {"keys pressed on the keyboard",
     [](HWND, HWND) {
       testing::PressKeys({'1', VK_RETURN});
     },
     u"$471"},
    {"OK clicked at once", [](HWND dialog, HWND) { ClickOk(dialog); }, u"$47"},
    {"blanks kept",
     [](HWND dialog, HWND field) {
       SelectAll(field);
       PostText(field, u" 7 ");
       ClickOk(dialog);
     },
     u" 7 "},
    {"emptied field, then Enter",
     [](HWND, HWND field) {
       SelectAll(field);
       PostText(field, u"\b");
       PostKey(field, VK_RETURN);
     },
     u""},
    {"Escape after typing",
     [](HWND, HWND field) {
       PostText(field, u"9");
       PostKey(field, VK_ESCAPE);
     },
     u""},
    {"the close box", [](HWND dialog, HWND) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); },
     u""},
    {"Alt+F4 in the field", [](HWND, HWND field) { PostAltKey(field, VK_F4); }, u""},
};

class InputDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(testing::MakeForeground(owner.handle())); }

  // Shows the dialog and lets `act` work it once it is complete.
  Text Show(const Act& act, const Text& defaultText = u"$47") {
    DialogDriver driver(kInputDialogClass,
                        [&](HWND dialog) { act(dialog, GetDlgItem(dialog, kInputFieldId)); });
    const Text answer = InputDialog(u"Title", u"input number($-hex,%-binary", defaultText);
    EXPECT_TRUE(driver.Finish()) << "the dialog was not found, or did not close";
    return answer;
  }

  testing::TestWindow owner;
};

TEST_F(InputDialogTest, AnswersWhatTheUserDid) {
  for (const AnswerCase& c : kAnswerCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Show(c.act), c.expected);
    EXPECT_TRUE(IsWindowEnabled(owner.handle()));
  }
}

TEST_F(InputDialogTest, IsLaidOutAsDesigned) {
  struct Control {
    int id;
    std::wstring className;
    RECT place;  // in the dialog's client area
    DWORD style;
    DWORD extendedStyle;
    Text text;
  };
  struct Seen {
    RECT window{};
    DWORD style = 0;
    Text title;
    std::vector<Control> controls;
    DWORD selectionStart = 99;
    DWORD selectionEnd = 99;
    HWND focus = nullptr;
    HWND field = nullptr;
    bool fontsAreTheDialogFont = true;
  } seen;
  Show([&](HWND dialog, HWND field) {
    GetWindowRect(dialog, &seen.window);
    seen.style = static_cast<DWORD>(GetWindowLongW(dialog, GWL_STYLE));
    seen.title = WindowText(dialog);
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
      wchar_t className[32];
      GetClassNameW(child, className, 32);
      RECT place;
      GetWindowRect(child, &place);
      MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
      seen.controls.push_back(Control{GetDlgCtrlID(child), className, place,
                                      static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE)),
                                      static_cast<DWORD>(GetWindowLongW(child, GWL_EXSTYLE)),
                                      WindowText(child)});
      if (reinterpret_cast<HGDIOBJ>(SendMessageW(child, WM_GETFONT, 0, 0)) !=
          GetStockObject(DEFAULT_GUI_FONT))
        seen.fontsAreTheDialogFont = false;
    }
    SendMessageW(field, EM_GETSEL, reinterpret_cast<WPARAM>(&seen.selectionStart),
                 reinterpret_cast<LPARAM>(&seen.selectionEnd));
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread);
    seen.focus = thread.hwndFocus;
    seen.field = field;
    PostKey(field, VK_ESCAPE);
  });

  const int left = GetSystemMetrics(SM_CXSCREEN) / 2 - 150;
  const int top = GetSystemMetrics(SM_CYSCREEN) / 2 - 65;
  EXPECT_EQ(seen.window.left, left);
  EXPECT_EQ(seen.window.top, top);
  EXPECT_EQ(seen.window.right - seen.window.left, 300);
  EXPECT_EQ(seen.window.bottom - seen.window.top, 130);
  EXPECT_EQ(seen.title, u"Title");
  EXPECT_EQ(seen.style & (WS_CAPTION | WS_SYSMENU), DWORD{WS_CAPTION | WS_SYSMENU});
  EXPECT_EQ(seen.style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u)
      << "the dialog can be resized, minimised or maximised";

  const Control expected[] = {
      {0, L"Static", {10, 10, 290, 32}, SS_LEFTNOWORDWRAP, 0, u"input number($-hex,%-binary"},
      {kInputFieldId,
       L"Edit",
       {10, 32, 285, 53},
       WS_TABSTOP | ES_AUTOHSCROLL,
       WS_EX_CLIENTEDGE,
       u"$47"},
      {kInputOkId, L"Button", {110, 67, 190, 92}, WS_TABSTOP | BS_DEFPUSHBUTTON, 0, u"OK"},
  };
  ASSERT_EQ(seen.controls.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const Control& want = expected[i];
    const Control& got = seen.controls[i];
    EXPECT_EQ(got.id, want.id);
    EXPECT_EQ(lstrcmpiW(got.className.c_str(), want.className.c_str()), 0);
    EXPECT_TRUE(EqualRect(&got.place, &want.place))
        << got.place.left << "," << got.place.top << " - " << got.place.right << ","
        << got.place.bottom;
    EXPECT_EQ(got.style & (want.style | WS_CHILD | WS_VISIBLE), want.style | WS_CHILD | WS_VISIBLE);
    EXPECT_EQ(got.extendedStyle & WS_EX_CLIENTEDGE, want.extendedStyle);
    EXPECT_EQ(got.text, want.text);
  }
  EXPECT_TRUE(seen.fontsAreTheDialogFont);
  EXPECT_EQ(seen.selectionStart, 3u) << "the caret is not after the default text";
  EXPECT_EQ(seen.selectionEnd, 3u) << "part of the default text is selected";
  EXPECT_EQ(seen.focus, seen.field);
}

// Posts a caret position to the field and waits until the field has it: every message posted
// to the dialog's thread before it has then been handled. (A sent message proves nothing: it
// is handled before any posted one.)
bool HandledUpTo(HWND field, DWORD caret) {
  PostMessageW(field, EM_SETSEL, caret, caret);
  return WaitUntil([&] {
    DWORD start = 0, end = 0;
    SendMessageW(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return start == caret && end == caret;
  });
}

TEST_F(InputDialogTest, TabLeavesTheFocusInTheField) {
  HWND focus = nullptr;
  HWND field = nullptr;
  bool handled = false;
  Show([&](HWND dialog, HWND entry) {
    field = entry;
    PostKey(entry, VK_TAB);
    // The first mark is handled after the key; the second after the character that the
    // key's translation posted behind the first.
    handled = HandledUpTo(entry, 1) && HandledUpTo(entry, 2);
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread);
    focus = thread.hwndFocus;
    PostKey(entry, VK_ESCAPE);
  });
  EXPECT_TRUE(handled) << "the key was never handled";
  EXPECT_EQ(focus, field);
}

TEST_F(InputDialogTest, OwnerAndOtherWindowsTakeNoInputButRepaint) {
  testing::TestWindow other(L"Other window");
  ASSERT_TRUE(testing::MakeForeground(owner.handle()));
  bool ownerEnabled = true;
  bool otherEnabled = true;
  bool repainted = false;
  Show([&](HWND, HWND field) {
    ownerEnabled = IsWindowEnabled(owner.handle());
    otherEnabled = IsWindowEnabled(other.handle());
    const long paintings = owner.paintCount();
    InvalidateRect(owner.handle(), nullptr, TRUE);
    repainted = WaitUntil([&] { return owner.paintCount() > paintings; }, 5000);
    PostKey(field, VK_RETURN);
  });
  EXPECT_FALSE(ownerEnabled);
  EXPECT_FALSE(otherEnabled);
  EXPECT_TRUE(repainted) << "the owner was not repainted while the dialog was up";
  EXPECT_TRUE(IsWindowEnabled(owner.handle()));
  EXPECT_TRUE(IsWindowEnabled(other.handle()));
}

// Records, when the owner is enabled again, whether the dialog window was still there.
bool dialogAliveAtEnable = false;
WNDPROC ownerProcedure = nullptr;
LRESULT CALLBACK WatchEnable(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ENABLE && wParam)
    dialogAliveAtEnable = testing::FindThreadWindow(GetCurrentThreadId(), kInputDialogClass);
  return CallWindowProcW(ownerProcedure, window, message, wParam, lParam);
}

TEST_F(InputDialogTest, OwnerIsEnabledBeforeTheDialogGoesAndIsActiveAgain) {
  ownerProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(owner.handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchEnable)));
  dialogAliveAtEnable = false;
  Show([](HWND, HWND field) { PostKey(field, VK_RETURN); });
  SetWindowLongPtrW(owner.handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ownerProcedure));
  EXPECT_TRUE(dialogAliveAtEnable);
  EXPECT_EQ(GetForegroundWindow(), owner.handle());
}

TEST_F(InputDialogTest, QuitWhileUpCancelsAndLeavesTheQuitForTheOuterLoop) {
  const DWORD uiThread = GetCurrentThreadId();
  EXPECT_EQ(Show([&](HWND, HWND field) {
              PostText(field, u"12");
              PostThreadMessageW(uiThread, WM_QUIT, 7, 0);
            }),
            u"");
  EXPECT_EQ(testing::FindThreadWindow(uiThread, kInputDialogClass), nullptr);
  EXPECT_TRUE(IsWindowEnabled(owner.handle()));
  MSG message;
  ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 7u);
}

// Refuses the creation of the dialog's window.
LRESULT CALLBACK RefuseDialogWindow(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    const auto* creation = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
    if (!IS_INTRESOURCE(creation->lpszClass) &&
        lstrcmpW(creation->lpszClass, kInputDialogClass) == 0)
      return 1;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(InputDialogTest, WindowThatCannotBeMadeGivesTheInputBack) {
  testing::TestWindow other(L"Other window");
  ASSERT_TRUE(testing::MakeForeground(owner.handle()));
  const HHOOK hook = SetWindowsHookExW(WH_CBT, RefuseDialogWindow, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  const Text answer = InputDialog(u"Title", u"prompt", u"$47");
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(answer, u"");
  EXPECT_TRUE(IsWindowEnabled(owner.handle()));
  EXPECT_TRUE(IsWindowEnabled(other.handle()));
}

}  // namespace
}  // namespace pelorin
