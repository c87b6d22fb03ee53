// What the dialogs share: centring on the desktop, topmost, and painting an icon at its place.
#include <gtest/gtest.h>

#include <utility>

#include "dialog/dialog.h"
#include "res/resource.h"
#include "support/fixture.h"
#include "ui/ui.h"

namespace {

class SupportTest : public MachineTest {
protected:
    // Opens a template with a procedure that only centres it, and reports its placement; the
    // dialog's rectangle before and after is kept in before_ and after_.
    winsim::Placement Centre(int templateId)
    {
        winsim::OnDialog(templateId, [](HWND d) {
            after_ = winsim::WindowRect(d);
            EndDialog(d, 1);
        });
        OpenDialog(templateId, [](HWND d, UINT msg, WPARAM, LPARAM) -> INT_PTR {
            if (msg == WM_INITDIALOG) {
                before_ = winsim::WindowRect(d);
                CenterDialogTopmost(d);
                EXPECT_TRUE(winsim::IsTopmost(d));
                EXPECT_TRUE(winsim::IsVisible(d));
            }
            return FALSE;
        });
        EXPECT_EQ(winsim::Placements().size(), 1u);
        return winsim::Placements().empty() ? winsim::Placement{} : winsim::Placements().back();
    }
    static inline RECT before_, after_;
};

} // namespace

TEST_F(SupportTest, CentresWithTheDialogsHalfRoundedTowardZero)
{
    struct Case {
        int desktopW, desktopH, dialogW, dialogH, x, y;
        int failingRect = 0; // the nth GetWindowRect fails (the desktop's, the dialog's)
    };
    // clang-format off
    const Case cases[] = {
        {.desktopW = 1024, .desktopH = 768, .dialogW = 401, .dialogH = 151, .x = 312, .y = 309},
        {.desktopW = 1024, .desktopH = 768, .dialogW = 400, .dialogH = 150, .x = 312, .y = 309},
        {.desktopW = 800, .desktopH = 600, .dialogW = 1000, .dialogH = 700, .x = -100, .y = -50}, // larger than the desktop: not clamped
        {.desktopW = 641, .desktopH = 481, .dialogW = 3, .dialogH = 3, .x = 319, .y = 239},
        // A rectangle that cannot be had: the template's place and size kept, topmost all the same.
        {.desktopW = 1024, .desktopH = 768, .dialogW = 401, .dialogH = 151, .x = 0, .y = 0, .failingRect = 1},
        {.desktopW = 1024, .desktopH = 768, .dialogW = 401, .dialogH = 151, .x = 0, .y = 0, .failingRect = 2},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dialogW);
        winsim::SetDesktopSize(c.desktopW, c.desktopH);
        winsim::SetDialogWindowSize(IDD_NOTICE, c.dialogW, c.dialogH);
        if (c.failingRect) {
            winsim::FailCalls("GetWindowRect", c.failingRect);
        }
        winsim::Placement p = Centre(IDD_NOTICE);
        EXPECT_EQ(p.after, HWND_TOPMOST);
        if (c.failingRect) {
            EXPECT_EQ(p.flags, static_cast<UINT>(SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE));
            EXPECT_EQ(std::make_pair(after_.left, after_.top), std::make_pair(before_.left, before_.top));
            EXPECT_EQ(after_.right - after_.left, c.dialogW) << "the template's size, not 0 by 0";
            EXPECT_EQ(after_.bottom - after_.top, c.dialogH);
        } else {
            EXPECT_EQ(p.x, c.x);
            EXPECT_EQ(p.y, c.y);
            EXPECT_EQ(p.cx, c.dialogW);
            EXPECT_EQ(p.cy, c.dialogH);
            EXPECT_EQ(p.flags, static_cast<UINT>(SWP_NOACTIVATE)); // placed, neither shown nor activated
        }
        NextRow(); // checks what this row left
    }
}

TEST_F(SupportTest, IconRectFollowsTheSystemIconSize)
{
    winsim::SetIconSize(48, 24);
    RECT r;
    SetDialogIconRect(&r);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 45);
    EXPECT_EQ(r.right - r.left, 48);
    EXPECT_EQ(r.bottom - r.top, 24);
}

TEST_F(SupportTest, PaintsAnIconAtLeftAndTopAndReleasesIt)
{
    winsim::OnDialog(IDD_NOTICE, [](HWND d) {
        winsim::Draws().clear();
        RECT r{17, 23, 0, 0};
        EXPECT_EQ(PaintDialogIcon(winsim::Instance(), d, &r, IDI_ANIM3), 1);
        ASSERT_EQ(winsim::Draws().size(), 1u);
        EXPECT_EQ(winsim::Draws()[0].icon, IDI_ANIM3);
        EXPECT_EQ(winsim::Draws()[0].x, 17);
        EXPECT_EQ(winsim::Draws()[0].y, 23);
        EXPECT_EQ(winsim::Draws()[0].window, d);
        EXPECT_EQ(PaintDialogIcon(winsim::Instance(), d, &r, 999), 0);
        EXPECT_EQ(winsim::Draws().size(), 1u);
        EndDialog(d, 1);
    });
    OpenDialog(IDD_NOTICE, BareDialog);
    // The fixture checks that no device context stays live.
}
