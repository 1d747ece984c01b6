// DialogTest.cpp - modeless dialogs from a module template: creation, message maps, controls, progress bar.
#include "platform/CDialog.h"
#include "platform/CProgressCtrl.h"
#include "platform/CWinApp.h"
#include "platform/DialogModel.h"
#include "platform/MessagePump.h"
#include "platform/ModuleState.h"
#include "platform/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr UINT kTemplate = 129;
constexpr int kStop = 1002;
constexpr int kProgress = 1011;
constexpr UINT kCustomMessage = 8000;

constexpr DialogControlResource kControls[] = {
    {kStop, "Button", "Cancel", 0x50010000, 93, 1, 30, 12},
    {kProgress, "msctls_progress32", "Progress1", 0x50800000, 2, 3, 88, 10},
};
constexpr DialogResource kDialogs[] = {{kTemplate, "Sending Ships", "Рассылка кораблей", 0x90C00040,
                                        0x00000480, 0, 0, 127, 17, 8, "MS Sans Serif", 0, false, 1,
                                        kControls}};
constexpr ModuleResources kResources{"DialogTest", {}, kDialogs};

class RecordingDialog : public CDialog {
public:
    RecordingDialog() : CDialog(kTemplate) {}
    ~RecordingDialog() override {
        if (m_hWnd != nullptr) {
            DestroyWindow();
        }
    }

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        calls.push_back("init");
        return TRUE;
    }
    void OnOK() override { calls.push_back("ok"); }
    void OnCancel() override {
        calls.push_back("cancel");
        DestroyWindow();
    }

    CProgressCtrl progress;
    std::vector<std::string> calls;

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, kProgress, progress); }

private:
    void OnStop() { calls.push_back("stop"); }
    LRESULT OnCustom(WPARAM wParam, LPARAM lParam) {
        calls.push_back("custom " + std::to_string(wParam) + " " + std::to_string(lParam));
        return 42;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(RecordingDialog, CDialog)
    ON_BN_CLICKED(kStop, OnStop)
    ON_MESSAGE(kCustomMessage, OnCustom)
END_MESSAGE_MAP()

class DialogTest : public ::testing::Test {
protected:
    AFX_MODULE_STATE module{&kResources};
    AFX_MAINTAIN_STATE inModule{&module};
};

TEST_F(DialogTest, CreateBuildsTheTemplateAndRunsOnInitDialogWithBoundControls) {
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create(kTemplate, nullptr));
    ASSERT_NE(nullptr, dialog.m_hWnd);
    EXPECT_EQ((std::vector<std::string>{"init"}), dialog.calls);
    EXPECT_EQ(GetDlgItem(dialog.m_hWnd, kProgress), dialog.progress.m_hWnd);

    char title[64];
    GetWindowTextA(dialog.m_hWnd, title, sizeof title);
    EXPECT_STREQ("Sending Ships", title);
    GetWindowTextA(GetDlgItem(dialog.m_hWnd, kStop), title, sizeof title);
    EXPECT_STREQ("Cancel", title);
}

TEST_F(DialogTest, MessagesRouteThroughTheMapsOfClassAndBase) {
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create(kTemplate, nullptr));
    EXPECT_EQ(42, SendMessageA(dialog.m_hWnd, kCustomMessage, 7, 9));
    SendMessageA(GetDlgItem(dialog.m_hWnd, kStop), BM_CLICK, 0, 0);
    PostMessageA(dialog.m_hWnd, WM_COMMAND, IDOK, 0);
    PumpPending();
    EXPECT_EQ((std::vector<std::string>{"init", "custom 7 9", "stop", "ok"}), dialog.calls);
    EXPECT_EQ(0, SendMessageA(dialog.m_hWnd, WM_USER + 77, 0, 0)) << "unhandled: default answer";
}

TEST_F(DialogTest, CancelDestroysTheWindowAndDropsItsQueuedMessages) {
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create(kTemplate, nullptr));
    HWND window = dialog.m_hWnd;
    PostMessageA(window, kCustomMessage, 1, 0);
    SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(nullptr, dialog.m_hWnd);
    EXPECT_FALSE(IsWindow(window));
    PumpPending();
    EXPECT_EQ((std::vector<std::string>{"init", "cancel"}), dialog.calls);
    EXPECT_FALSE(PostMessageA(window, kCustomMessage, 2, 0)) << "a post to a dead window is dropped";
}

TEST_F(DialogTest, SecondCreateIsRefusedWhileTheWindowExistsAndWorksAfterwards) {
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create(kTemplate, nullptr));
    HWND first = dialog.m_hWnd;
    EXPECT_FALSE(dialog.Create(kTemplate, nullptr));
    EXPECT_EQ(first, dialog.m_hWnd);
    dialog.DestroyWindow();
    ASSERT_TRUE(dialog.Create(kTemplate, nullptr));
    EXPECT_NE(first, dialog.m_hWnd);
    EXPECT_EQ(GetDlgItem(dialog.m_hWnd, kProgress), dialog.progress.m_hWnd)
        << "the control is bound again to the new window";
}

TEST_F(DialogTest, UnknownTemplateIsRefused) {
    RecordingDialog dialog;
    EXPECT_FALSE(dialog.Create(130, nullptr));
    EXPECT_EQ(nullptr, dialog.m_hWnd);
    EXPECT_TRUE(dialog.calls.empty());
}

TEST_F(DialogTest, RussianTitleUnderARussianLocale) {
    const platform_test::ScopedEnvironment russian("LC_ALL", "ru_RU.UTF-8");
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create(kTemplate, nullptr));
    char title[64];
    GetWindowTextA(dialog.m_hWnd, title, sizeof title);
    EXPECT_STREQ("Рассылка кораблей", title);
}

TEST(WinAppTest, TheModulesApplicationIsTheCurrentThreadObjectInsideTheModule) {
    CWinApp app;
    AFX_MODULE_STATE module(&kResources, &app);
    EXPECT_EQ(nullptr, AfxGetThread()) << "outside the module";
    AFX_MANAGE_STATE(&module);
    EXPECT_EQ(&app, AfxGetThread());
    EXPECT_EQ(nullptr, AfxGetThread()->GetMainWnd());
}

// The progress bar, driven only through its messages, as a dialog drives it.
class ProgressBarTest : public DialogTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(dialog.Create(kTemplate, nullptr));
        bar = dialog.progress.m_hWnd;
        model = dynamic_cast<ProgressBarModel*>(WindowModelFromHandle(bar));
        ASSERT_NE(nullptr, model);
    }
    RecordingDialog dialog;
    HWND bar = nullptr;
    ProgressBarModel* model = nullptr;
};

TEST_F(ProgressBarTest, StartsAtTheControlsDefaults) {
    EXPECT_EQ(0, model->Minimum());
    EXPECT_EQ(100, model->Maximum());
    EXPECT_EQ(10, model->Step());
    EXPECT_EQ(0, model->Position());
}

TEST_F(ProgressBarTest, SetRangeTakesTheLow16BitsOfEachBound) {
    // 70000 steps packed into the high word keep only their low 16 bits: 4464.
    SendMessageA(bar, PBM_SETRANGE, 0, static_cast<LPARAM>((70000 & 0xFFFF) << 16));
    EXPECT_EQ(0, model->Minimum());
    EXPECT_EQ(4464, model->Maximum());
    SendMessageA(bar, PBM_SETRANGE, 0, 0);
    EXPECT_EQ(0, model->Maximum());
}

TEST_F(ProgressBarTest, StepItReturnsThePreviousPositionAndStartsOverPastTheEnd) {
    struct Row {
        std::int32_t maximum;
        std::int32_t step;
        std::int32_t start;
        std::int32_t expected;
    };
    const Row rows[] = {
        {100, 1, 0, 1},   {100, 10, 95, 5}, {100, 40, 80, 20}, {5, 1, 5, 1},
        {0, 1, 0, 0},     {100, -10, 5, 95}, {100, 0, 50, 50},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SendMessageA(bar, PBM_SETRANGE, 0, static_cast<LPARAM>(rows[i].maximum << 16));
        SendMessageA(bar, PBM_SETSTEP, static_cast<WPARAM>(rows[i].step), 0);
        SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(rows[i].start), 0);
        EXPECT_EQ(rows[i].start, SendMessageA(bar, PBM_STEPIT, 0, 0)) << "row " << i;
        EXPECT_EQ(rows[i].expected, model->Position()) << "row " << i;
    }
}

TEST_F(ProgressBarTest, NewRangeKeepsThePositionInsideAndStepReturnsThePrevious) {
    SendMessageA(bar, PBM_SETPOS, 80, 0);
    SendMessageA(bar, PBM_SETRANGE, 0, static_cast<LPARAM>(50 << 16));
    EXPECT_EQ(50, model->Position());
    EXPECT_EQ(10, SendMessageA(bar, PBM_SETSTEP, 1, 0));
    EXPECT_EQ(1, model->Step());
    dialog.progress.StepIt();
    EXPECT_EQ(1, model->Position()) << "50 + 1 is past the end of 0..50: starts over";
}

} // namespace
