// input_dialog.h: the small modal window that asks for one line of text.
#pragma once

#include "platform/text.h"

namespace pelorin {

// The dialog's window class and the numbers of its entry field and its "OK" button.
inline constexpr wchar_t kInputDialogClass[] = L"PelorinInputDialog";
constexpr int kInputFieldId = 10;
constexpr int kInputOkId = 1000;

// How the entry field offers its default text: with the caret after it, so that typing adds
// to it, or selected, so that typing replaces it.
enum class DefaultText { kCaretAfter, kSelected };

// Shows the prompt, an entry field holding the default text, and an "OK" button, centred on
// the primary screen, and waits for the user. The field's text, blanks and all, when the
// user confirms ("OK" or Enter); the empty text when the user cancels (Escape, the close
// box, Alt+F4) or the dialog cannot be shown. The dialog's owner and the thread's other
// windows take no input meanwhile, but go on repainting.
Text InputDialog(const Text& title, const Text& prompt, const Text& defaultText,
                 DefaultText offered = DefaultText::kCaretAfter);

}  // namespace pelorin
