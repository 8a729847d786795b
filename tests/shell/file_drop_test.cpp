// Tests of the canvas's drop target with hand-made data objects, its registration and
// revocation, the dropped file list, and the drop's dispatch row.
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "commands/file_commands.h"
#include "dialog_test_support.h"
#include "file_drop/file_drop.h"
#include "screen/pixel_buffer.h"
#include "redraw.h"
#include "test_data_object.h"

namespace pelorin {
namespace {

using testing::FileListBlock;
using testing::TestDataObject;

constexpr DWORD kAnyAction = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
constexpr std::int32_t kCanvasControl = 0;

const wchar_t kCanvasClass[] = L"PelorinDropTestCanvas";

// A child window that gives up its drop registration while it is destroyed, as the canvas
// does.
LRESULT CALLBACK CanvasProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCDESTROY) RevokeFileDrop(window);
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeCanvas(HWND parent) {
  static const bool registered = [] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = CanvasProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kCanvasClass;
    return RegisterClassExW(&windowClass) != 0;
  }();
  (void)registered;
  return CreateWindowExW(0, kCanvasClass, L"", WS_CHILD | WS_VISIBLE, 10, 20, 100, 80, parent,
                         nullptr, GetModuleHandleW(nullptr), nullptr);
}

// Another program's target, registered on the window first.
class ForeignDropTarget final : public IDropTarget {
 public:
  LONG references = 1;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
      *object = this;
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject*, DWORD, POINTL, DWORD*) override { return S_OK; }
};

class FileDropTest : public ::testing::Test {
 protected:
  void SetUp() override {
    canvas = MakeCanvas(owner.handle());
    ASSERT_NE(canvas, nullptr);
    EnableFileDrop(queue, canvas, kCanvasControl, CF_HDROP, DROPEFFECT_COPY);
    target = AttachedDropTarget(canvas);
    ASSERT_NE(target, nullptr);
  }
  void TearDown() override {
    if (canvas != nullptr) DestroyWindow(canvas);
  }

  POINTL CanvasPoint(LONG x, LONG y) const {
    POINT point{x, y};
    ClientToScreen(canvas, &point);
    return POINTL{point.x, point.y};
  }

  // A whole drag over the canvas ending in a drop; the effects the target answered.
  struct Answers {
    DWORD enter;
    DWORD over;
    DWORD drop;
  };
  Answers DragAndDrop(IDataObject* data, DWORD keys, DWORD allowed) {
    Answers answers{allowed, allowed, allowed};
    target->DragEnter(data, keys, CanvasPoint(5, 5), &answers.enter);
    target->DragOver(keys, CanvasPoint(6, 6), &answers.over);
    target->Drop(data, keys, CanvasPoint(7, 8), &answers.drop);
    return answers;
  }

  testing::TestWindow owner;
  HWND canvas = nullptr;
  EventQueue queue;
  CanvasDropTarget* target = nullptr;
};

TEST_F(FileDropTest, FileListIsTakenAsCopyWhateverKeysAreHeld) {
  struct Case {
    const char* name;
    DWORD keys;
    DWORD allowed;
    bool alsoText;
  };
  const Case cases[] = {
      {"no keys", MK_LBUTTON, kAnyAction, false},
      {"shift asks to move", MK_LBUTTON | MK_SHIFT, kAnyAction, false},
      {"control asks to copy", MK_LBUTTON | MK_CONTROL, kAnyAction, false},
      {"control and shift ask to link", MK_LBUTTON | MK_CONTROL | MK_SHIFT, kAnyAction, false},
      {"alt", MK_LBUTTON | MK_ALT, kAnyAction, false},
      {"right button", MK_RBUTTON, kAnyAction, false},
      {"source allows copying only", MK_LBUTTON, DROPEFFECT_COPY, false},
      {"source allows copying and moving", MK_LBUTTON | MK_SHIFT, DROPEFFECT_COPY | DROPEFFECT_MOVE,
       false},
      {"text offered beside the file list", MK_LBUTTON, kAnyAction, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestDataObject* data = TestDataObject::Make(FileListBlock({u"C:\\a.bin"}), c.alsoText);
    const Answers answers = DragAndDrop(data, c.keys, c.allowed);
    EXPECT_EQ(answers.enter, DWORD{DROPEFFECT_COPY});
    EXPECT_EQ(answers.over, DWORD{DROPEFFECT_COPY});
    EXPECT_EQ(answers.drop, DWORD{DROPEFFECT_COPY});
    EXPECT_EQ(TakeEvent(queue), EventKind::Drop);
    EXPECT_EQ(TakeEvent(queue), std::nullopt);
    EXPECT_EQ(data->Release(), 0u) << "the target kept a reference to the data object";
  }
}

TEST_F(FileDropTest, RefusesWhatItCannotCopy) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> fileList;
    bool text;
    DWORD allowed;
  };
  const Case cases[] = {
      {"text only", {}, true, kAnyAction},
      {"nothing offered", {}, false, kAnyAction},
      {"source forbids copying", FileListBlock({u"C:\\a.bin"}), false,
       DROPEFFECT_MOVE | DROPEFFECT_LINK},
      {"source allows nothing", FileListBlock({u"C:\\a.bin"}), false, DROPEFFECT_NONE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestDataObject* data = TestDataObject::Make(c.fileList, c.text);
    const Answers answers = DragAndDrop(data, MK_LBUTTON, c.allowed);
    EXPECT_EQ(answers.enter, DWORD{DROPEFFECT_NONE});
    EXPECT_EQ(answers.over, DWORD{DROPEFFECT_NONE});
    EXPECT_EQ(answers.drop, DWORD{DROPEFFECT_NONE});
    EXPECT_EQ(data->getDataCalls, 0);
    EXPECT_EQ(TakeEvent(queue), std::nullopt);
    EXPECT_EQ(data->Release(), 0u);
  }
}

TEST_F(FileDropTest, MatchIsDecidedAnewAtEachDragEnter) {
  TestDataObject* files = TestDataObject::Make(FileListBlock({u"C:\\a.bin"}));
  TestDataObject* text = TestDataObject::Make({}, true);
  DWORD effect = kAnyAction;
  target->DragEnter(files, 0, CanvasPoint(1, 1), &effect);
  target->DragLeave();
  effect = kAnyAction;
  target->DragEnter(text, 0, CanvasPoint(1, 1), &effect);
  EXPECT_EQ(effect, DWORD{DROPEFFECT_NONE});
  effect = kAnyAction;
  target->DragOver(0, CanvasPoint(2, 2), &effect);
  EXPECT_EQ(effect, DWORD{DROPEFFECT_NONE});
  effect = kAnyAction;
  target->Drop(text, 0, CanvasPoint(2, 2), &effect);
  EXPECT_EQ(effect, DWORD{DROPEFFECT_NONE});
  EXPECT_EQ(TakeEvent(queue), std::nullopt);
  files->Release();
  text->Release();
}

TEST_F(FileDropTest, DropQueuesCopyOfWholeBlockWithClientPoint) {
  const std::vector<std::uint8_t> block = FileListBlock({u"C:\\one.bin", u"D:\\two.bin"});
  TestDataObject* data = TestDataObject::Make(block);
  DragAndDrop(data, MK_LBUTTON | MK_SHIFT, kAnyAction);
  data->Release();

  ASSERT_EQ(TakeEvent(queue), EventKind::Drop);
  const ShellEvent& event = *queue.current;
  EXPECT_EQ(event.source, kCanvasControl);
  EXPECT_EQ(event.window, 0) << "every event belongs to the main window";
  EXPECT_EQ(event.detail, 0);
  const auto* payload = std::get_if<DropPayload>(&event.payload);
  ASSERT_NE(payload, nullptr);
  EXPECT_EQ(payload->format, std::uint32_t{CF_HDROP});
  EXPECT_EQ(payload->privateType, 0u);
  EXPECT_EQ(payload->effect, std::uint32_t{DROPEFFECT_COPY});
  EXPECT_EQ(payload->x, 7);
  EXPECT_EQ(payload->y, 8);
  // The source's block may be rounded up by the allocator; the copy holds all of it.
  ASSERT_GE(payload->data.size(), block.size());
  EXPECT_TRUE(std::equal(block.begin(), block.end(), payload->data.begin()));
}

TEST_F(FileDropTest, BlockThatCannotBeFetchedOrReadQueuesNothing) {
  auto withOffset = [](std::vector<std::uint8_t> block, DWORD offset) {
    std::memcpy(block.data(), &offset, sizeof offset);  // pFiles opens the header
    return block;
  };
  const std::vector<std::uint8_t> good = FileListBlock({u"C:\\a.bin"});
  struct Case {
    const char* name;
    std::vector<std::uint8_t> block;
    bool failGetData;
  };
  const Case cases[] = {
      {"GetData fails", good, true},
      {"shorter than its header", std::vector<std::uint8_t>(good.begin(), good.begin() + 12),
       false},
      {"names offset past the block", withOffset(good, 4096), false},
      {"names offset into the header", withOffset(good, 4), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestDataObject* data = TestDataObject::Make(c.block);
    data->failGetData = c.failGetData;
    const Answers answers = DragAndDrop(data, MK_LBUTTON, kAnyAction);
    EXPECT_EQ(answers.enter, DWORD{DROPEFFECT_COPY});
    EXPECT_EQ(answers.drop, DWORD{DROPEFFECT_NONE});
    EXPECT_EQ(data->getDataCalls, 1);
    EXPECT_EQ(TakeEvent(queue), std::nullopt);
    EXPECT_EQ(data->Release(), 0u);
  }
}

TEST_F(FileDropTest, QueryInterfaceHandsOutOnlyItsTwoInterfaces) {
  void* object = nullptr;
  ASSERT_EQ(target->QueryInterface(IID_IUnknown, &object), S_OK);
  EXPECT_EQ(object, static_cast<IDropTarget*>(target));
  static_cast<IUnknown*>(object)->Release();
  ASSERT_EQ(target->QueryInterface(IID_IDropTarget, &object), S_OK);
  EXPECT_EQ(object, static_cast<IDropTarget*>(target));
  static_cast<IUnknown*>(object)->Release();

  object = target;
  EXPECT_EQ(target->QueryInterface(IID_IDataObject, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(target->QueryInterface(IID_IDropTarget, nullptr), E_INVALIDARG);
}

TEST_F(FileDropTest, DestroyingTheCanvasReleasesEveryReference) {
  target->AddRef();
  DestroyWindow(canvas);
  canvas = nullptr;
  EXPECT_EQ(target->Release(), 0u) << "a reference was kept after the window went";
}

TEST_F(FileDropTest, EnablingAgainAddsAFormatToTheSameTarget) {
  EnableFileDrop(queue, canvas, kCanvasControl, CF_UNICODETEXT, DROPEFFECT_COPY);
  EnableFileDrop(queue, canvas, kCanvasControl, CF_HDROP, DROPEFFECT_COPY);
  ASSERT_EQ(AttachedDropTarget(canvas), target);

  TestDataObject* text = TestDataObject::Make({}, true);
  EXPECT_EQ(DragAndDrop(text, 0, kAnyAction).drop, DWORD{DROPEFFECT_COPY});
  text->Release();
  ASSERT_EQ(TakeEvent(queue), EventKind::Drop);
  EXPECT_EQ(std::get<DropPayload>(queue.current->payload).format, std::uint32_t{CF_UNICODETEXT});
  EXPECT_EQ(DroppedFileList(&*queue.current), u"") << "text is no file list";

  target->AddRef();
  RevokeFileDrop(canvas);
  EXPECT_EQ(AttachedDropTarget(canvas), nullptr);
  EXPECT_EQ(target->Release(), 0u) << "the second call registered the target again";
}

TEST(FileDropRegistration, ReplacesAnotherTargetRegisteredOnTheWindow) {
  testing::TestWindow owner;
  const HWND canvas = MakeCanvas(owner.handle());
  ForeignDropTarget foreign;
  ASSERT_EQ(RegisterDragDrop(canvas, &foreign), S_OK);
  EventQueue queue;
  EnableFileDrop(queue, canvas, kCanvasControl, CF_HDROP, DROPEFFECT_COPY);
  EXPECT_NE(AttachedDropTarget(canvas), nullptr);
  EXPECT_EQ(foreign.references, 1) << "the other registration was not revoked";
  DestroyWindow(canvas);
}

Text Joined(const std::vector<Text>& names) {
  Text joined;
  for (const Text& name : names) joined += (joined.empty() ? u"" : u"\n") + name;
  return joined;
}

TEST(DroppedFileList, ReadsTheNamesOfTheCurrentEvent) {
  const std::vector<Text> three = {u"C:\\first.bin", u"D:\\sprites\\second.bin", u"E:\\third"};
  auto dropOf = [](std::vector<std::uint8_t> block, std::uint32_t format = CF_HDROP) {
    ShellEvent event{EventKind::Drop, 0, 0, 0, {}};
    DropPayload payload;
    payload.format = format;
    payload.effect = DROPEFFECT_COPY;
    payload.data = std::move(block);
    event.payload = std::move(payload);
    return event;
  };
  std::vector<std::uint8_t> unterminated = FileListBlock({u"C:\\a.bin"});
  unterminated.resize(unterminated.size() - 4);  // both NULs gone
  // An empty list, then bytes the list does not reach.
  std::vector<std::uint8_t> emptyThenMore = FileListBlock({});
  const std::vector<std::uint8_t> stray = FileListBlock({u"C:\\stray.bin"});
  emptyThenMore.insert(emptyThenMore.end(), stray.begin() + sizeof(DROPFILES), stray.end());

  struct Case {
    const char* name;
    ShellEvent event;
    Text expected;
  };
  const Case cases[] = {
      {"one file", dropOf(FileListBlock({u"C:\\one.bin"})), u"C:\\one.bin"},
      {"three files in the list's order", dropOf(FileListBlock(three)), Joined(three)},
      {"names beyond ASCII",
       dropOf(FileListBlock({u"C:\\\u0421\u043f\u0440\u0430\u0439\u0442.bin"})),
       u"C:\\\u0421\u043f\u0440\u0430\u0439\u0442.bin"},
      {"a list of 8-bit names", dropOf(FileListBlock({u"C:\\a.bin", u"C:\\b"}, false)),
       u"C:\\a.bin\nC:\\b"},
      {"a list with no names", dropOf(FileListBlock({})), u""},
      {"a list with no names, then other bytes", dropOf(emptyThenMore), u""},
      {"a list that does not end", dropOf(unterminated), u""},
      {"another format", dropOf(FileListBlock({u"C:\\a.bin"}), CF_UNICODETEXT), u""},
      {"no payload", ShellEvent{EventKind::Menu, 0, 0, 0, {}}, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DroppedFileList(&c.event), c.expected);
  }
  EXPECT_EQ(DroppedFileList(nullptr), u"");
}

class DroppedFileFlowTest : public FileDropTest {
 protected:
  void Drop(const std::vector<Text>& names) {
    TestDataObject* data = TestDataObject::Make(FileListBlock(names));
    DragAndDrop(data, MK_LBUTTON, kAnyAction);
    data->Release();
    ASSERT_EQ(TakeEvent(queue), EventKind::Drop);
  }
  void LoadDrop() {
    LoadDroppedFile(state, &*queue.current, painter,
                    [this](const Text& message) { messages.push_back(message); });
  }

  testing::TempFolder folder;
  ConverterState state;
  PixelBuffer buffer;
  CanvasPainter painter = MemoryPainter(buffer);
  std::vector<Text> messages;
};

TEST_F(DroppedFileFlowTest, ThreeFilesLoadTheFirst) {
  const std::vector<std::uint8_t> sprite(300, 0xA5);
  const Text first = folder.WriteFile(u"first.bin", sprite);
  const Text second = folder.WriteFile(u"second.bin", std::vector<std::uint8_t>(10, 1));
  const Text third = folder.WriteFile(u"third.bin", std::vector<std::uint8_t>(20, 2));
  Drop({first, second, third});
  EXPECT_EQ(DroppedFileList(&*queue.current), first + u"\n" + second + u"\n" + third);

  LoadDrop();
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(state.sourcePath, first);
  EXPECT_EQ(state.spriteLength, 300);

  ConverterState expected;
  expected.spriteData = sprite;
  expected.spriteLength = 300;
  PixelBuffer expectedPicture;
  CanvasPainter expectedPainter = MemoryPainter(expectedPicture);
  Redraw(expected, expectedPainter);
  EXPECT_EQ(buffer.bytes, expectedPicture.bytes);
}

TEST_F(DroppedFileFlowTest, FolderReportsErrorReading) {
  const Text dropped = folder.MakeFolder(u"sprites");
  Drop({dropped});
  LoadDrop();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], u"error reading\n" + dropped);
  EXPECT_EQ(state.sourcePath, u"");
  EXPECT_TRUE(testing::AllWhite(buffer.bytes));
}

}  // namespace
}  // namespace pelorin
