// Message boxes: a modal window with the text, an icon and one button per answer.
#include "framework/window_system.h"

namespace afx::detail {
namespace {

struct Answer {
    int id;
    const char* text;
};

std::vector<Answer> AnswersFor(UINT type) {
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
            return {{IDOK, "OK"}, {IDCANCEL, "キャンセル"}};
        case MB_YESNOCANCEL:
            return {{IDYES, "はい(&Y)"}, {IDNO, "いいえ(&N)"}, {IDCANCEL, "キャンセル"}};
        case MB_YESNO:
            return {{IDYES, "はい(&Y)"}, {IDNO, "いいえ(&N)"}};
        default:
            return {{IDOK, "OK"}};
    }
}

}  // namespace

int RunMessageBox(Window* owner, const CString& text, const CString& caption, UINT type) {
    auto box = std::make_unique<Window>();
    box->kind = WindowKind::MessageBox;
    box->parent = owner;
    box->text = caption;
    box->message = text;
    box->boxType = type;
    box->hasSystemMenu = true;
    box->systemMenu = DefaultSystemMenu();
    RegisterWindow(*box);
    for (const Answer& answer : AnswersFor(type)) {
        auto button = std::make_unique<Window>();
        button->kind = WindowKind::PushButton;
        button->id = answer.id;
        button->parent = box.get();
        button->text = answer.text;
        button->style = WS_CHILD | WS_VISIBLE | WS_TABSTOP |
                        (box->controls.empty() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        RegisterWindow(*button);
        box->controls.push_back(std::move(button));
    }
    box->focus = box->controls.front().get();

    bool ownerWasEnabled = owner != nullptr && owner->enabled;
    HWND ownerHwnd = owner != nullptr ? owner->hwnd : nullptr;
    if (ownerWasEnabled) {
        owner->enabled = false;
        NotifyChanged(*owner);
    }
    Window& shown = *box;
    RunModalLoop(shown, [&shown] { return shown.boxResult != 0; });
    int result = box->boxResult;
    for (auto& button : box->controls) UnregisterWindow(button->hwnd);
    UnregisterWindow(box->hwnd);
    box.reset();
    // The owner may have gone while the box was open (a message handled meanwhile ended it).
    if (ownerWasEnabled && FindWindow(ownerHwnd) != nullptr) {
        owner->enabled = true;
        NotifyChanged(*owner);
    }
    return result;
}

}  // namespace afx::detail
