// Tests of the error message box, found and read from a second thread while it is up, and of
// the suspending of the thread's other windows around a dialog.
#include <windows.h>

#include <vector>

#include <gtest/gtest.h>

#include "dialogs/dialog_support.h"
#include "dialog_test_support.h"

namespace pelorin {
namespace {

using testing::DialogDriver;
using testing::WindowText;

const wchar_t kDialogClass[] = L"#32770";

struct BoxContents {
  Text caption;
  Text text;
  std::vector<Text> buttons;  // the visible ones
  int icons = 0;              // icons shown
};

BoxContents Read(HWND box) {
  BoxContents contents;
  contents.caption = WindowText(box);
  contents.text = WindowText(GetDlgItem(box, 0xFFFF));  // the message box's text control
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsWindowVisible(child)) continue;
    wchar_t className[32];
    GetClassNameW(child, className, 32);
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    if (lstrcmpiW(className, L"Button") == 0) contents.buttons.push_back(WindowText(child));
    if (lstrcmpiW(className, L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON &&
        SendMessageW(child, STM_GETICON, 0, 0) != 0)
      ++contents.icons;
  }
  return contents;
}

void ClickOk(HWND box) {
  PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
}

TEST(ErrorBox, ShowsTheTextUnderTheCaptionErrorWithOneOkButtonAndNoIcon) {
  testing::TestWindow owner;
  ASSERT_TRUE(testing::MakeForeground(owner.handle()));
  const Text messages[] = {u"error reading\nC:\\sprites\\ship.bin", u"Wrong character:G"};
  for (const Text& message : messages) {
    BoxContents seen;
    bool ownerEnabled = true;
    HWND boxOwner = nullptr;
    DialogDriver driver(kDialogClass, [&](HWND box) {
      seen = Read(box);
      ownerEnabled = IsWindowEnabled(owner.handle());
      boxOwner = GetWindow(box, GW_OWNER);
      ClickOk(box);
    });
    ShowErrorMessage(message);
    ASSERT_TRUE(driver.Finish());
    EXPECT_EQ(seen.caption, u"Error");
    EXPECT_EQ(seen.text, message);
    EXPECT_EQ(seen.buttons, std::vector<Text>{u"OK"});
    EXPECT_EQ(seen.icons, 0);
    EXPECT_EQ(boxOwner, owner.handle());
    EXPECT_FALSE(ownerEnabled);
    EXPECT_TRUE(IsWindowEnabled(owner.handle()));
  }
}

TEST(ErrorBox, ThreadsOtherWindowsAreSuspendedWhileItIsUp) {
  testing::TestWindow owner;
  testing::TestWindow other(L"Other window");
  testing::TestWindow topmost(L"Topmost window", WS_EX_TOPMOST);
  ASSERT_TRUE(testing::MakeForeground(owner.handle()));
  auto isTopmost = [&] {
    return (GetWindowLongW(topmost.handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  };
  ASSERT_TRUE(isTopmost());

  bool otherEnabled = true;
  bool topmostEnabled = true;
  bool topmostWhileUp = true;
  DialogDriver driver(kDialogClass, [&](HWND box) {
    otherEnabled = IsWindowEnabled(other.handle());
    topmostEnabled = IsWindowEnabled(topmost.handle());
    topmostWhileUp = isTopmost();
    ClickOk(box);
  });
  ShowErrorMessage(u"error writing\nC:\\x.bin");
  ASSERT_TRUE(driver.Finish());
  EXPECT_FALSE(otherEnabled);
  EXPECT_FALSE(topmostEnabled);
  EXPECT_FALSE(topmostWhileUp) << "a topmost window could cover the box";
  EXPECT_TRUE(IsWindowEnabled(owner.handle()));
  EXPECT_TRUE(IsWindowEnabled(other.handle()));
  EXPECT_TRUE(IsWindowEnabled(topmost.handle()));
  EXPECT_TRUE(isTopmost());
}

TEST(ErrorBox, WindowDisabledBeforeStaysDisabledAfter) {
  testing::TestWindow owner;
  testing::TestWindow disabled(L"Disabled window");
  EnableWindow(disabled.handle(), FALSE);
  ASSERT_TRUE(testing::MakeForeground(owner.handle()));
  DialogDriver driver(kDialogClass, ClickOk);
  ShowErrorMessage(u"error reading\nC:\\x.bin");
  ASSERT_TRUE(driver.Finish());
  EXPECT_FALSE(IsWindowEnabled(disabled.handle()));
  EXPECT_TRUE(IsWindowEnabled(owner.handle()));
}

}  // namespace
}  // namespace pelorin
