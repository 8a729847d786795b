// The dialogs and the file drop in the running program: "Open..", "Fill with color.." and
// dropped files go through the real start-up, event loop and end, with each dialog worked
// from a second thread as a user would work it.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

#include "window/canvas_view.h"
#include "dialog_test_support.h"
#include "commands/menus.h"
#include "file_drop/file_drop.h"
#include "dialogs/input_dialog.h"
#include "screen/pixel_buffer.h"
#include "redraw.h"
#include "window/scroll_request.h"
#include "shell_test_support.h"
#include "test_data_object.h"
#include "view_offset.h"
#include "view_title.h"

namespace pelorin {
namespace {

using testing::CanvasBytes;
using testing::CorePicture;
using testing::DialogDriver;
using testing::FileListBlock;
using testing::PatternBytes;
using testing::PostKey;
using testing::PostText;
using testing::RunWhileBusy;
using testing::TestDataObject;
using testing::WindowText;

const wchar_t kStandardDialogClass[] = L"#32770";  // the open-file dialog and the error box
constexpr DWORD kAnyAction = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

// Runs a call on the thread that made it, from any other thread, and waits for it: the
// dialog's modal loop handles the message, as it handles the platform's calls into the
// drop target.
class ThreadCaller {
 public:
  ThreadCaller() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClass;
    RegisterClassW(&windowClass);
    window_ = CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              windowClass.hInstance, nullptr);
  }
  ThreadCaller(const ThreadCaller&) = delete;
  ThreadCaller& operator=(const ThreadCaller&) = delete;
  ~ThreadCaller() {
    DestroyWindow(window_);
    UnregisterClassW(kClass, GetModuleHandleW(nullptr));
  }

  void Call(const std::function<void()>& call) const {
    SendMessageW(window_, WM_APP, 0, reinterpret_cast<LPARAM>(&call));
  }

 private:
  static constexpr wchar_t kClass[] = L"PelorinTestCaller";
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_APP) return DefWindowProcW(window, message, wParam, lParam);
    (*reinterpret_cast<const std::function<void()>*>(lParam))();
    return 0;
  }

  HWND window_ = nullptr;
};

class ProgramDialogTest : public ::testing::Test {
 protected:
  // With `errorBox` the program's own error box reports; otherwise the reports are kept.
  void Start(const Text& commandLine = u"app.exe", bool errorBox = false) {
    if (!errorBox) shell.reportError = [this](const Text& message) { reports.push_back(message); };
    ASSERT_TRUE(StartShell(shell, GetModuleHandleW(nullptr), commandLine));
    ASSERT_TRUE(RunWhileBusy(shell));
    ASSERT_TRUE(testing::MakeForeground(Window())) << "the dialogs would have no owner";
  }
  void TearDown() override { EndShell(shell); }

  HWND Window() const { return shell.main.window.Get(); }
  HWND Canvas() const { return ControlWindow(shell.main.controls, kCanvasControl); }
  HWND Bar() const { return ControlWindow(shell.main.controls, kWidthScrollbarControl); }
  Text Title() const { return WindowText(Window()); }

  void Choose(std::int32_t item) { PostMessageW(Window(), WM_COMMAND, MAKEWPARAM(item, 0), 0); }

  // Chooses the menu item and works the dialogs that it opens, one after the other: each
  // is found by its window class and worked by its drive.
  using Work = std::pair<const wchar_t*, std::function<void(HWND)>>;
  void ChooseAndWork(std::int32_t item, std::initializer_list<Work> dialogs) {
    std::vector<std::unique_ptr<DialogDriver>> drivers;
    for (const auto& [className, drive] : dialogs)
      drivers.push_back(std::make_unique<DialogDriver>(className, drive));
    Choose(item);
    ASSERT_TRUE(RunWhileBusy(shell));
    for (auto& driver : drivers) EXPECT_TRUE(driver->Finish()) << "a dialog was not worked";
  }

  // Drags the files over the canvas and drops them, as the platform calls the canvas's drop
  // target; the effect answered at the drop.
  DWORD DropOnCanvas(const std::vector<Text>& names) {
    CanvasDropTarget* target = AttachedDropTarget(Canvas());
    if (target == nullptr) return DROPEFFECT_NONE;
    POINT point{40, 50};
    ClientToScreen(Canvas(), &point);
    TestDataObject* data = TestDataObject::Make(FileListBlock(names));
    DWORD effect = kAnyAction;
    target->DragEnter(data, MK_LBUTTON, POINTL{point.x, point.y}, &effect);
    effect = kAnyAction;
    target->DragOver(MK_LBUTTON, POINTL{point.x, point.y}, &effect);
    effect = kAnyAction;
    target->Drop(data, 0, POINTL{point.x, point.y}, &effect);
    data->Release();
    return effect;
  }

  ShellState shell;
  std::vector<Text> reports;
  testing::TempFolder folder;
};

TEST_F(ProgramDialogTest, EventsQueuedWhileADialogIsUpAreHandledAfterItOldestFirst) {
  const std::vector<std::uint8_t> startBytes = PatternBytes(4000);
  const std::vector<std::uint8_t> droppedBytes = PatternBytes(9000);
  const Text startPath = folder.WriteFile(u"start.bin", startBytes);
  const Text missing = folder.path() + u"\\missing.bin";
  const Text dropped = folder.WriteFile(u"dropped.bin", droppedBytes);
  Start(u"app.exe \"" + startPath + u"\"");
  const ThreadCaller caller;

  // While the input dialog is up: a drop of a missing file, a step of the scrollbar, a drop
  // of a file that loads, and "Save". In this order they leave the dropped file loaded at
  // width 2 and saved; in any other order something else.
  auto queueWhileUp = [&](HWND dialog) {
    caller.Call([&] {
      DropOnCanvas({missing});
      SendMessageW(Window(), WM_HSCROLL, MAKEWPARAM(kLineRight, 0),
                   reinterpret_cast<LPARAM>(Bar()));
      DropOnCanvas({dropped});
      SendMessageW(Window(), WM_COMMAND, MAKEWPARAM(kSaveItem, 0), 0);
    });
    PostKey(GetDlgItem(dialog, kInputFieldId), VK_ESCAPE);
  };
  DialogDriver driver(kInputDialogClass, queueWhileUp);
  Choose(kFillItem);
  // Turns up to the one that ran the colour entry; nothing queued meanwhile has been handled.
  do {
    ASSERT_TRUE(RunEventLoopTurn(shell));
  } while (!(shell.queue.current && shell.queue.current->kind == EventKind::Menu));
  ASSERT_TRUE(driver.Finish());
  EXPECT_EQ(shell.state->sourcePath, startPath);
  EXPECT_TRUE(reports.empty());
  EXPECT_EQ(Title(), u"Pelorin");
  std::vector<EventKind> waiting;
  for (const ShellEvent& event : shell.queue.waiting)
    if (event.kind <= EventKind::Drop) waiting.push_back(event.kind);
  EXPECT_EQ(waiting, (std::vector<EventKind>{EventKind::Drop, EventKind::Control, EventKind::Drop,
                                             EventKind::Menu}));

  ASSERT_TRUE(RunWhileBusy(shell));
  EXPECT_EQ(reports, std::vector<Text>{u"error reading\n" + missing});
  EXPECT_EQ(shell.state->sourcePath, dropped);
  EXPECT_EQ(Title(), u"Pelorin,2");
  EXPECT_EQ(CanvasBytes(Canvas()), CorePicture(droppedBytes, 2));
  std::error_code missingFile;
  EXPECT_EQ(std::filesystem::file_size(std::filesystem::path(dropped + u".scr"), missingFile),
            6912u)
      << "Save did not write the dropped file's screen";
}

TEST_F(ProgramDialogTest, MainWindowTakesNoInputWhileEachDialogIsUp) {
  const std::vector<std::uint8_t> bytes = PatternBytes(5000);
  Start(u"app.exe \"" + folder.WriteFile(u"shown.bin", bytes) + u"\"", true);

  struct Seen {
    bool enabled = true;
    HWND owner = nullptr;
    Text text;
  };
  auto seeing = [this](Seen& seen, std::function<void(HWND)> then) {
    return [this, &seen, then](HWND dialog) {
      seen.enabled = IsWindowEnabled(Window());
      seen.owner = GetWindow(dialog, GW_OWNER);
      seen.text = WindowText(GetDlgItem(dialog, 0xFFFF));  // the error box's text
      then(dialog);
    };
  };

  Seen openFile;
  ChooseAndWork(kOpenItem, {{kStandardDialogClass, seeing(openFile, [](HWND dialog) {
                               PostMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
                             })}});
  EXPECT_FALSE(openFile.enabled) << "open-file dialog";
  EXPECT_EQ(openFile.owner, Window());
  EXPECT_TRUE(IsWindowEnabled(Window()));

  // A wrong character: the input dialog, then the error box over the main window; what was
  // read before the wrong character is applied.
  Seen input;
  Seen errorBox;
  ChooseAndWork(kFillItem, {{kInputDialogClass, seeing(input,
                                                       [](HWND dialog) {
                                                         const HWND field =
                                                             GetDlgItem(dialog, kInputFieldId);
                                                         PostMessageW(field, EM_SETSEL, 0, -1);
                                                         PostText(field, u"$4g");
                                                         PostKey(field, VK_RETURN);
                                                       })},
                            {kStandardDialogClass, seeing(errorBox, [](HWND box) {
                               PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
                             })}});
  EXPECT_FALSE(input.enabled) << "input dialog";
  EXPECT_EQ(input.owner, Window());
  EXPECT_FALSE(errorBox.enabled) << "error box";
  EXPECT_EQ(errorBox.owner, Window());
  EXPECT_EQ(errorBox.text, u"Wrong character:G");
  EXPECT_TRUE(IsWindowEnabled(Window()));
  EXPECT_EQ(shell.state->fillAttribute, 4);
  EXPECT_EQ(CanvasBytes(Canvas()), CorePicture(bytes, 1, 4));
}

TEST_F(ProgramDialogTest, DroppedFilesLoadTheFirst) {
  Start();
  EXPECT_EQ(AttachedDropTarget(Bar()), nullptr) << "only the canvas takes drops";
  const std::vector<std::uint8_t> first = PatternBytes(3000);
  const std::vector<Text> names = {folder.WriteFile(u"first.bin", first),
                                   folder.WriteFile(u"second.bin", PatternBytes(10)),
                                   folder.WriteFile(u"third.bin", PatternBytes(20))};
  EXPECT_EQ(DropOnCanvas(names), DWORD{DROPEFFECT_COPY});
  ASSERT_TRUE(RunWhileBusy(shell));
  EXPECT_TRUE(reports.empty());
  EXPECT_EQ(shell.state->sourcePath, names[0]);
  EXPECT_EQ(CanvasBytes(Canvas()), CorePicture(first, 1));
}

TEST_F(ProgramDialogTest, TheDropRegistrationGoesWithTheCanvasOrAtTheEnd) {
  Start();
  CanvasDropTarget* target = AttachedDropTarget(Canvas());
  ASSERT_NE(target, nullptr);
  target->AddRef();
  DestroyWindow(Canvas());
  EXPECT_EQ(target->Release(), 0u) << "the platform still holds the destroyed canvas's target";

  EndShell(shell);
  Start();
  target = AttachedDropTarget(Canvas());
  ASSERT_NE(target, nullptr);
  target->AddRef();
  EndShell(shell);
  EXPECT_EQ(target->Release(), 0u) << "the end left the target registered";
}

TEST_F(ProgramDialogTest, OpenCancelledForgetsThePathKeepsThePictureAndSaveSaysNothing) {
  const std::vector<std::uint8_t> bytes = PatternBytes(6000);
  const Text path = folder.WriteFile(u"kept.bin", bytes);
  Start(u"app.exe \"" + path + u"\"");
  ChooseAndWork(kOpenItem, {{kStandardDialogClass, [](HWND dialog) {
                               PostKey(testing::OpenFileNameField(dialog), VK_ESCAPE);
                             }}});
  EXPECT_EQ(shell.state->sourcePath, u"");
  EXPECT_EQ(shell.state->spriteLength, 6000);
  EXPECT_EQ(CanvasBytes(Canvas()), CorePicture(bytes, 1));

  Choose(kSaveItem);
  ASSERT_TRUE(RunWhileBusy(shell));
  EXPECT_TRUE(reports.empty());
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(path + u".scr")));
  EXPECT_FALSE(std::filesystem::exists(".scr")) << "saved under the empty path";
}

TEST_F(ProgramDialogTest, OpenFillAndDropLeaveTheTitleAlone) {
  Start();
  SendMessageW(Window(), WM_HSCROLL, MAKEWPARAM(kLineRight, 0), reinterpret_cast<LPARAM>(Bar()));
  ASSERT_TRUE(RunWhileBusy(shell));
  ASSERT_EQ(Title(), u"Pelorin,2");

  // A chosen file is shown at the width and fill attribute of the moment.
  const std::vector<std::uint8_t> opened = PatternBytes(7000);
  const Text openedPath = folder.WriteFile(u"opened.bin", opened);
  ChooseAndWork(kOpenItem, {{kStandardDialogClass, [&](HWND dialog) {
                               testing::TypePathAndPressEnter(dialog, openedPath);
                             }}});
  EXPECT_EQ(shell.state->sourcePath, openedPath);
  EXPECT_EQ(CanvasBytes(Canvas()), CorePicture(opened, 2));
  EXPECT_EQ(Title(), u"Pelorin,2") << "after Open..";

  // "5" typed after the offered $47 answers $475, whose low byte is $75.
  ChooseAndWork(kFillItem, {{kInputDialogClass, [](HWND dialog) {
                               const HWND field = GetDlgItem(dialog, kInputFieldId);
                               PostText(field, u"5");
                               PostKey(field, VK_RETURN);
                             }}});
  EXPECT_EQ(shell.state->fillAttribute, 0x75);
  EXPECT_EQ(CanvasBytes(Canvas()), CorePicture(opened, 2, 0x75));
  EXPECT_EQ(Title(), u"Pelorin,2") << "after Fill with color..";

  const std::vector<std::uint8_t> dropped = PatternBytes(2500);
  DropOnCanvas({folder.WriteFile(u"dropped.bin", dropped)});
  ASSERT_TRUE(RunWhileBusy(shell));
  EXPECT_EQ(CanvasBytes(Canvas()), CorePicture(dropped, 2, 0x75));
  EXPECT_EQ(Title(), u"Pelorin,2") << "after a drop";
  EXPECT_TRUE(reports.empty());
}

TEST_F(ProgramDialogTest, GoToOffsetOffersTheOffsetAndANewFileStartsAtZero) {
  Start();
  const std::vector<std::uint8_t> first = PatternBytes(20000);
  DropOnCanvas({folder.WriteFile(u"first.bin", first)});
  Choose(kNextScreenItem);
  ASSERT_TRUE(RunWhileBusy(shell));
  // answer -> offset: past the end goes to the last byte, nothing typed changes nothing.
  const std::pair<const char16_t*, std::int64_t> answers[] = {
      {u"$2000", 8192}, {u"99999", 19999}, {u"", 19999}};
  std::int64_t offered = 6144;  // the field first offers the offset in decimal
  for (const auto& [answer, offset] : answers) {
    Text shown;
    LRESULT selected = 0;  // its start and end
    ChooseAndWork(kGoToOffsetItem, {{kInputDialogClass, [&, answer = answer](HWND dialog) {
                                       const HWND field = GetDlgItem(dialog, kInputFieldId);
                                       shown = WindowText(field);
                                       selected = SendMessageW(field, EM_GETSEL, 0, 0);
                                       SetWindowTextW(field, WideText(Text{answer}));
                                       PostKey(field, VK_RETURN);
                                     }}});
    EXPECT_EQ(shown, DecimalText(offered));
    EXPECT_EQ(selected, MAKELRESULT(0, shown.size())) << "typing would not replace the offer";
    EXPECT_EQ(Title(), ViewTitle(1, offset)) << TextToUtf8(answer);
    offered = offset;
  }
  EXPECT_EQ(CanvasBytes(Canvas()), CorePicture({first.begin() + 19999, first.end()}, 1));

  // A dropped file is shown from its start, and the title no longer names an offset.
  const std::vector<std::uint8_t> second = PatternBytes(3000);
  DropOnCanvas({folder.WriteFile(u"second.bin", second)});
  ASSERT_TRUE(RunWhileBusy(shell));
  EXPECT_EQ(Title(), u"Pelorin,1");
  EXPECT_EQ(CanvasBytes(Canvas()), CorePicture(second, 1));
  EXPECT_TRUE(reports.empty());
}

TEST_F(ProgramDialogTest, EveryShortcutOfTheTablesReachesItsItemAndF1ListsThemAll) {
  Start();
  Text text;
  DialogDriver driver(kStandardDialogClass, [&](HWND box) {
    text = WindowText(box) + u'\n' + WindowText(GetDlgItem(box, 0xFFFF));  // caption, text
    PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  });
  PostKey(Window(), VK_F1);
  ASSERT_TRUE(RunWhileBusy(shell));
  EXPECT_TRUE(driver.Finish());
  EXPECT_EQ(text.rfind(u"Keyboard shortcuts\n", 0), 0u);
  const auto wide = [](const wchar_t* text) {
    return Text(reinterpret_cast<const char16_t*>(text));
  };
  BYTE keys[256] = {};
  for (const TableMenu& menu : MenuBar()) {
    for (const MenuRow& row : menu.rows) {
      if (row.key == 0) continue;
      // A line of its own, under its menu's title.
      const Text line = wide(row.text) + u": " + wide(row.shortcut) + u'\n';
      EXPECT_NE(text.find(u'\n' + line), Text::npos) << TextToUtf8(line);
      keys[VK_CONTROL] = (row.modifiers & FCONTROL) != 0 ? 0x80 : 0;
      keys[VK_SHIFT] = (row.modifiers & FSHIFT) != 0 ? 0x80 : 0;
      SetKeyboardState(keys);
      shell.queue.waiting.clear();
      MSG press{Window(), WM_KEYDOWN, row.key, 1, 0, {}};
      TranslateAcceleratorW(Window(), shell.main.accelerators.Get(), &press);
      EXPECT_TRUE(shell.queue.waiting.size() == 1 && shell.queue.waiting[0].source == row.item)
          << "the key of " << TextToUtf8(line);
    }
  }
  keys[VK_CONTROL] = keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
}

// The Layout menu's items, reached by their shortcuts, mark the layout and show the file
// through it from the same offset; "Stored by columns.." offers the last answer.
TEST_F(ProgramDialogTest, TheLayoutItemsMarkTheLayoutAndShowTheFileThroughIt) {
  Start();
  const HMENU layoutMenu = GetSubMenu(GetMenu(Window()), 3);
  std::wstring listed;  // the items' texts, a radio item's after "o ", a separator's empty
  for (int i = 0; i < GetMenuItemCount(layoutMenu); ++i) {
    wchar_t text[64] = {};
    GetMenuStringW(layoutMenu, i, text, 64, MF_BYPOSITION);
    const bool radio = GetMenuState(layoutMenu, i, MF_BYPOSITION) & MFT_RADIOCHECK;
    listed += (radio ? L"o " : L"") + std::wstring(text) + L"|";
  }
  EXPECT_EQ(listed,
            L"o Strips\tCtrl+Shift+S|o Spectrum screen\tCtrl+Shift+D||o Not masked\tCtrl+Shift+0|"
            L"o Masked, mask first\tCtrl+Shift+1|o Masked, graphic first\tCtrl+Shift+2|"
            L"Show masks\tCtrl+Shift+3||Stored by columns..\tCtrl+Shift+C|");
  const std::vector<std::uint8_t> bytes = PatternBytes(20000);
  DropOnCanvas({folder.WriteFile(u"masked.bin", bytes)});
  using enum MaskOrder;
  const ScreenLayout strips = ScreenLayout::kStrips, screen = ScreenLayout::kSpectrumScreen;
  const auto marks = [&] {  // "x" for each item checked, from kStripsItem on
    std::string marked;
    for (std::int32_t id = kStripsItem; id <= kStoredByColumnsItem; ++id)
      marked += GetMenuState(layoutMenu, id, MF_BYCOMMAND) & MF_CHECKED ? 'x' : '.';
    return marked;
  };
  EXPECT_EQ(marks(), "x.x....");
  // item, the answer typed if it asks -> the layout, the offset and the marks after it. A
  // screen shows 6,144 graphic bytes: 245 sprites 25 rows high, 12,250 bytes with the masks.
  using Step = std::tuple<std::int32_t, const char16_t*, SpriteLayout, std::size_t, const char*>;
  const Step steps[] = {
      {kMaskFirstItem, u"", {strips, kMaskFirst, false, 0}, 0, "x..x..."},
      {kGraphicFirstItem, u"", {strips, kGraphicFirst, false, 0}, 0, "x...x.."},
      {kStoredByColumnsItem, u"300", {strips, kGraphicFirst, false, 192}, 0, "x...x.x"},
      {kStoredByColumnsItem, u"$19", {strips, kGraphicFirst, false, 25}, 0, "x...x.x"},
      {kShowMasksItem, u"", {strips, kGraphicFirst, true, 25}, 0, "x...xxx"},
      {kStoredByColumnsItem, u"", {strips, kGraphicFirst, true, 25}, 0, "x...xxx"},
      {kNextScreenItem, u"", {strips, kGraphicFirst, true, 25}, 12250, "x...xxx"},
      {kSpectrumScreenItem, u"", {screen, kGraphicFirst, true, 25}, 12250, ".x..xxx"},
      {kPreviousRowItem, u"", {screen, kGraphicFirst, true, 25}, 12218, ".x..xxx"},
      {kStoredByColumnsItem, u"0", {screen, kGraphicFirst, true, 0}, 12218, ".x..xx."},
      {kStripsItem, u"", {strips, kGraphicFirst, true, 0}, 12218, "x...xx."},
      {kNotMaskedItem, u"", {strips, kNotMasked, true, 0}, 12218, "x.x..x."},
  };
  Text offered = u"24";
  BYTE keys[256] = {};
  for (const auto& [item, answer, layout, offset, checked] : steps) {
    Text shown = offered;
    if (item < kStripsItem) {
      ChooseAndWork(item, {});
    } else if (item != kStoredByColumnsItem) {  // Ctrl+Shift and the shortcut's last character
      wchar_t text[64] = {};
      keys[VK_CONTROL] = keys[VK_SHIFT] = 0x80;
      SetKeyboardState(keys);
      GetMenuStringW(layoutMenu, item, text, 64, MF_BYCOMMAND);
      PostMessageW(Window(), WM_KEYDOWN, text[std::wcslen(text) - 1], 1);
      ASSERT_TRUE(RunWhileBusy(shell));
      keys[VK_CONTROL] = keys[VK_SHIFT] = 0;
      SetKeyboardState(keys);
    } else {
      ChooseAndWork(item, {{kInputDialogClass, [&, answer = answer](HWND dialog) {
                              const HWND field = GetDlgItem(dialog, kInputFieldId);
                              shown = WindowText(field);
                              SetWindowTextW(field, WideText(Text{answer}));
                              PostKey(field, VK_RETURN);
                            }}});
    }
    EXPECT_EQ(shown, offered) << "the height offered";
    if (*answer) offered = DecimalText(layout.columnHeight);
    EXPECT_EQ(Title(), ViewTitle(1, static_cast<std::int64_t>(offset), layout));
    EXPECT_EQ(CanvasBytes(Canvas()),
              CorePicture({bytes.begin() + offset, bytes.end()}, 1, 71, false, layout));
    EXPECT_EQ(marks(), checked) << "after " << item;
  }
  EXPECT_TRUE(reports.empty());
}

}  // namespace
}  // namespace pelorin
