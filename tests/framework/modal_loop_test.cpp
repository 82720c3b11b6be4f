// Modal loops: how dialogs end, what reaches a dialog while another window is on top, and that
// posted messages keep arriving while a message box is open.
#include <gtest/gtest.h>

#include <thread>

#include "framework/file.h"
#include "test_dialog.h"

using afx::HeadlessError;
using afx::HeadlessUser;
using fwtest::TestDialog;

namespace {

struct EndCase {
    const char* name;
    void (*act)(HeadlessUser&);
    int result;
    std::vector<std::string> log;
};

TEST(ModalLoop, EachWayOfEndingADialogGivesItsResult) {
    const EndCase cases[] = {
        {"Enter", [](HeadlessUser& u) { u.Enter(); }, IDOK, {"init", "ok"}},
        {"OK button", [](HeadlessUser& u) { u.Click(IDOK); }, IDOK, {"init", "ok"}},
        {"Esc", [](HeadlessUser& u) { u.Escape(); }, IDCANCEL, {"init"}},
        {"Cancel button", [](HeadlessUser& u) { u.Click(IDCANCEL); }, IDCANCEL, {"init"}},
        {"close button", [](HeadlessUser& u) { u.Close(); }, IDCANCEL, {"init", "close"}},
    };
    for (const EndCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestDialog dlg;
        HeadlessUser user;
        user.Start([&] { return dlg.DoModal(); });
        c.act(user);
        ASSERT_TRUE(user.Finished());
        EXPECT_EQ(user.Result(), c.result);
        EXPECT_EQ(dlg.log, c.log);
        EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);
    }
}

TEST(ModalLoop, ACloseHandlerThatSkipsTheDefaultKeepsTheDialogOpen) {
    TestDialog dlg;
    HeadlessUser user;
    dlg.allowClose = false;
    user.Start([&] { return dlg.DoModal(); });
    user.Close();
    EXPECT_FALSE(user.Finished());
    EXPECT_EQ(dlg.log.back(), "close");
    user.Escape();
    EXPECT_EQ(user.Result(), IDCANCEL);
}

TEST(ModalLoop, EnterClicksTheFocusedPushButtonRatherThanTheDefaultOne) {
    TestDialog dlg;
    HeadlessUser user;
    dlg.onAsk = [](TestDialog& d) { d.EndDialog(77); };
    user.Start([&] { return dlg.DoModal(); });
    user.Focus(fwtest::kAsk);
    user.Enter();
    EXPECT_EQ(user.Result(), 77);
}

TEST(ModalLoop, PostedMessagesAreHandledWhileAMessageBoxIsOpen) {
    TestDialog dlg;
    HeadlessUser user;
    int answer = 0;
    dlg.onAsk = [&](TestDialog& d) {
        answer = d.MessageBox("Go on?", "Question", MB_YESNO | MB_ICONQUESTION);
    };
    user.Start([&] { return dlg.DoModal(); });
    user.Click(fwtest::kAsk);
    ASSERT_TRUE(user.BoxOpen());
    EXPECT_EQ(user.Box().message, "Go on?");
    EXPECT_EQ(user.Box().text, "Question");
    EXPECT_EQ(user.Box().boxType, MB_YESNO | MB_ICONQUESTION);

    HWND target = dlg.GetSafeHwnd();
    std::thread worker([target] {
        for (WPARAM i = 1; i <= 50; ++i)
            EXPECT_TRUE(PostMessageA(target, fwtest::WM_TEST_EVENT, i, 0));
    });
    user.WaitUntil([&] { return dlg.events == 50; }, "50 events");
    worker.join();
    EXPECT_EQ(dlg.lastEvent, 50u);  // in the order they were posted
    EXPECT_TRUE(user.BoxOpen());
    EXPECT_EQ(answer, 0);

    user.Answer(IDNO);
    EXPECT_EQ(answer, IDNO);
    EXPECT_FALSE(user.BoxOpen());
    user.Escape();
}

TEST(ModalLoop, WindowsUnderAModalWindowTakeNoInput) {
    TestDialog outer;
    TestDialog inner;
    HeadlessUser user;
    outer.onAsk = [&](TestDialog&) { inner.DoModal(); };
    user.Start([&] { return outer.DoModal(); });
    user.Click(fwtest::kAsk);
    ASSERT_EQ(user.OpenWindows(), 2u);
    EXPECT_FALSE(user.Of(outer).enabled);
    EXPECT_THROW(user.Answer(IDOK), HeadlessError);  // no message box is open

    // Posted messages still reach the dialog underneath.
    ASSERT_TRUE(PostMessageA(outer.GetSafeHwnd(), fwtest::WM_TEST_EVENT, 1, 0));
    user.Pump();
    EXPECT_EQ(outer.events, 1);
    EXPECT_EQ(inner.events, 0);

    user.Escape();  // ends the inner dialog only
    ASSERT_EQ(user.OpenWindows(), 1u);
    EXPECT_TRUE(user.Of(outer).enabled);
    user.Escape();
    EXPECT_TRUE(user.Finished());
}

TEST(ModalLoop, DisabledControlsTakeNoInput) {
    TestDialog dlg;
    HeadlessUser user;
    user.Start([&] { return dlg.DoModal(); });
    EXPECT_FALSE(user.Enabled(fwtest::kDisabled));
    EXPECT_THROW(user.Click(fwtest::kDisabled), HeadlessError);
    EXPECT_THROW(user.Click(4711), HeadlessError);
    dlg.m_sorted.AddString("x");
    dlg.m_sorted.EnableWindow(FALSE);
    EXPECT_THROW(user.Select(fwtest::kSortedCombo, 0), HeadlessError);
    EXPECT_EQ(user.Selection(fwtest::kSortedCombo), -1);
}

TEST(ModalLoop, ADialogEndedDuringInitialisationIsNeverShown) {
    TestDialog dlg;
    HeadlessUser user;
    dlg.onInit = [](TestDialog& d) {
        AfxMessageBox("Cannot start.");
        d.EndDialog(IDCANCEL);
    };
    user.Start([&] { return dlg.DoModal(); });
    ASSERT_EQ(user.OpenWindows(), 1u);  // only the message box
    EXPECT_EQ(user.Box().message, "Cannot start.");
    user.Answer(IDOK);
    ASSERT_TRUE(user.Finished());
    EXPECT_EQ(user.Result(), IDCANCEL);
}

TEST(ModalLoop, PostingToAWindowThatIsGoneFails) {
    TestDialog dlg;
    HeadlessUser user;
    user.Start([&] { return dlg.DoModal(); });
    HWND hwnd = dlg.GetSafeHwnd();
    ASSERT_NE(hwnd, nullptr);
    user.Escape();
    EXPECT_FALSE(PostMessageA(hwnd, fwtest::WM_TEST_EVENT, 0, 0));
    EXPECT_FALSE(PostMessageA(nullptr, fwtest::WM_TEST_EVENT, 0, 0));
}

TEST(ModalLoop, AFileExceptionLeavingAHandlerIsReportedAndTheDialogStays) {
    TestDialog dlg;
    HeadlessUser user;
    dlg.onAsk = [](TestDialog& d) {
        d.log.push_back("before");
        throw new CFileException(CFileException::fileNotFound, 2, "image.bin");
    };
    user.Start([&] { return dlg.DoModal(); });
    user.Click(fwtest::kAsk);
    ASSERT_TRUE(user.BoxOpen());
    EXPECT_NE(user.Box().message.find("image.bin"), CString::npos);
    EXPECT_EQ(user.Box().boxType & MB_ICONMASK, MB_ICONEXCLAMATION);
    user.Answer(IDOK);
    EXPECT_FALSE(user.Finished());
    EXPECT_EQ(dlg.log.back(), "before");
    user.Escape();
}

TEST(ModalLoop, WaitingForSomethingAfterTheDialogEndedFails) {
    TestDialog dlg;
    HeadlessUser user;
    user.Start([&] { return dlg.DoModal(); });
    user.Escape();
    EXPECT_THROW(user.WaitUntil([] { return false; }, "never"), HeadlessError);
}

}  // namespace
