// The compiled resources the program ships, read back from its .res and checked for what the code
// relies on: the templates it opens and the controls it addresses, the styles its behaviour rests
// on, the strings it loads fitting the buffers they go into, the images it paints or the templates
// show, and the version block. Texts and places of controls are the resource script's own; the
// Wine suite's screenshots show them.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "res/resource.h"
#include "support/fixture.h"

namespace {

using ResourcesTest = MachineTest;

constexpr WORD kUsEnglish = 1033;

winsim::DialogTemplate Template(int id)
{
    const winsim::Resource* res = winsim::FindResource(RT_DIALOG, id);
    winsim::DialogTemplate t{};
    EXPECT_TRUE(res && winsim::ParseDialogTemplate(res->data, &t)) << "template " << id;
    return t;
}

std::string String(UINT id)
{
    char text[512];
    int n = LoadStringA(winsim::Instance(), id, text, sizeof(text));
    EXPECT_EQ(n, lstrlenA(text));
    return text;
}

unsigned Word(const std::vector<BYTE>& d, size_t at)
{
    return d[at] | (d[at + 1] << 8);
}

DWORD Dword(const std::vector<BYTE>& d, size_t at)
{
    return static_cast<DWORD>(Word(d, at) | (Word(d, at + 2) << 16));
}

// The UTF-16 text of a version block, as 8-bit text, so keys and values can be found in order.
std::string Narrow(const std::vector<BYTE>& d)
{
    std::string out;
    for (size_t i = 0; i + 1 < d.size(); i += 2) {
        out += static_cast<char>(Word(d, i) < 128 ? Word(d, i) : '?');
    }
    return out;
}

size_t Count(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

} // namespace

TEST_F(ResourcesTest, EveryResourceIsUsEnglish)
{
    ASSERT_FALSE(winsim::Resources().empty());
    for (const winsim::Resource& res : winsim::Resources()) {
        EXPECT_EQ(res.language, kUsEnglish) << "type " << res.type << " id " << res.id;
    }
}

TEST_F(ResourcesTest, DialogsHaveTheFrameTheCodeExpects)
{
    struct Frame {
        int id;
        bool closeBox; // the notice and the launch-error dialog handle WM_CLOSE from it
    };
    const Frame frames[] = {{.id = IDD_NOTICE, .closeBox = true},
                            {.id = IDD_DISKPROMPT, .closeBox = false},
                            {.id = IDD_LAUNCHERROR, .closeBox = true},
                            {.id = IDD_INFORMATION, .closeBox = true}};
    for (const Frame& f : frames) {
        SCOPED_TRACE(f.id);
        winsim::DialogTemplate t = Template(f.id);
        EXPECT_EQ((t.style & WS_SYSMENU) != 0, f.closeBox);
        EXPECT_TRUE(t.style & WS_CAPTION) << "a title to find it by";
        EXPECT_TRUE(t.style & DS_MODALFRAME);
        EXPECT_FALSE(t.style & WS_VISIBLE) << "CenterDialogTopmost shows it, in its place";
        EXPECT_EQ(t.menu + t.cls, "") << "the dialog manager's own class, no menu";
        EXPECT_EQ(t.font, "MS Sans Serif") << "the font the layouts are made for";
        EXPECT_EQ(t.pointSize, 8);
    }
}

TEST_F(ResourcesTest, ControlsTheCodeUsesHaveTheStylesItReliesOn)
{
    struct Need {
        const char* why;
        int dialog;
        int id;
        const char* cls;
        DWORD mask; // the style bits that matter, and their value
        DWORD style;
    };
    constexpr DWORD kButtonKind = BS_TYPEMASK;
    constexpr DWORD kComboKind = CBS_DROPDOWN | CBS_DROPDOWNLIST | CBS_SORT | CBS_UPPERCASE;
    // clang-format off
    const Need needs[] = {
        {.why = "Enter on the notice is OK", .dialog = IDD_NOTICE, .id = IDOK, .cls = "Button", .mask = kButtonKind, .style = BS_DEFPUSHBUTTON},
        {.why = "the notice's Cancel", .dialog = IDD_NOTICE, .id = IDCANCEL, .cls = "Button", .mask = kButtonKind, .style = BS_PUSHBUTTON},
        {.why = "the box ticks itself; BM_GETCHECK reads it", .dialog = IDD_NOTICE, .id = IDC_DONTSHOW, .cls = "Button", .mask = kButtonKind, .style = BS_AUTOCHECKBOX},
        {.why = "the device is named in it", .dialog = IDD_NOTICE, .id = IDC_DEVICENAME, .cls = "Static", .mask = 0, .style = 0},
        {.why = "Enter on the prompt is OK", .dialog = IDD_DISKPROMPT, .id = IDOK, .cls = "Button", .mask = kButtonKind, .style = BS_DEFPUSHBUTTON},
        {.why = "Browse", .dialog = IDD_DISKPROMPT, .id = IDC_BROWSE, .cls = "Button", .mask = kButtonKind, .style = BS_PUSHBUTTON},
        {.why = "the Cancel button that Escape stands for, hidden by the code", .dialog = IDD_DISKPROMPT, .id = IDCANCEL, .cls = "Button", .mask = kButtonKind, .style = BS_PUSHBUTTON},
        {.why = "the caption is set into it", .dialog = IDD_DISKPROMPT, .id = IDC_CAPTION, .cls = "Static", .mask = 0, .style = 0},
        {.why = "the disk label is set into it", .dialog = IDD_DISKPROMPT, .id = IDC_DISKLABEL, .cls = "Static", .mask = 0, .style = 0},
        {.why = "a path can be typed; drives come sorted and upper-cased", .dialog = IDD_DISKPROMPT, .id = IDC_DRIVE, .cls = "ComboBox", .mask = kComboKind, .style = CBS_DROPDOWN | CBS_SORT | CBS_UPPERCASE},
        {.why = "Enter on the launch error is Retry", .dialog = IDD_LAUNCHERROR, .id = IDYES, .cls = "Button", .mask = kButtonKind, .style = BS_DEFPUSHBUTTON},
        {.why = "Try New Path", .dialog = IDD_LAUNCHERROR, .id = IDNO, .cls = "Button", .mask = kButtonKind, .style = BS_PUSHBUTTON},
        {.why = "Abort", .dialog = IDD_LAUNCHERROR, .id = IDCANCEL, .cls = "Button", .mask = kButtonKind, .style = BS_PUSHBUTTON},
        {.why = "the program's name is set into it", .dialog = IDD_LAUNCHERROR, .id = IDC_PROGRAM, .cls = "Static", .mask = 0, .style = 0},
        {.why = "the information box's OK", .dialog = IDD_INFORMATION, .id = IDOK, .cls = "Button", .mask = kButtonKind, .style = BS_DEFPUSHBUTTON},
        {.why = "the information box's message", .dialog = IDD_INFORMATION, .id = IDC_MESSAGE, .cls = "Static", .mask = 0, .style = 0},
    };
    // clang-format on
    for (const Need& n : needs) {
        SCOPED_TRACE(n.why);
        const winsim::DialogTemplate t = Template(n.dialog);
        auto item =
            std::find_if(t.items.begin(), t.items.end(), [&n](const auto& i) { return i.id == n.id; });
        ASSERT_NE(item, t.items.end());
        EXPECT_EQ(item->cls, n.cls);
        EXPECT_EQ(item->style & n.mask, n.style);
        EXPECT_EQ(item->style & (WS_CHILD | WS_VISIBLE), static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
        EXPECT_EQ(item->style & WS_TABSTOP, n.cls == std::string("Static") ? 0u : WS_TABSTOP)
            << "reached with the keyboard";
    }
}

TEST_F(ResourcesTest, ImagesTheTemplatesShowExist)
{
    for (int dialog : {IDD_NOTICE, IDD_DISKPROMPT, IDD_LAUNCHERROR, IDD_INFORMATION}) {
        for (const winsim::DialogItem& item : Template(dialog).items) {
            if ((item.style & SS_TYPEMASK) == SS_BITMAP && item.cls == "Static") {
                int id = std::stoi(item.text.substr(1));
                EXPECT_NE(winsim::FindResource(RT_BITMAP, id), nullptr) << dialog << " shows " << item.text;
            }
        }
    }
}

TEST_F(ResourcesTest, LoadedStringsFitTheirBuffers)
{
    // The disk prompt loads these, each into a buffer of its own (ui/diskprompt.cpp).
    struct Loaded {
        UINT id;
        size_t buffer;
    };
    const Loaded loaded[] = {{.id = IDS_PRODUCT, .buffer = 50},
                             {.id = IDS_INSTALLATION, .buffer = 255},
                             {.id = IDS_FILES_NEEDED, .buffer = 255},
                             {.id = IDS_DISK_LABEL, .buffer = 255},
                             {.id = IDS_INSERT_DISK, .buffer = 255}};
    for (const Loaded& l : loaded) {
        std::string text = String(l.id);
        EXPECT_FALSE(text.empty()) << l.id;
        EXPECT_LT(text.size(), l.buffer) << l.id << " would be cut";
    }
    // The label's format takes the disk label once, in quotes, and ends without a full stop.
    const std::string insert = String(IDS_INSERT_DISK);
    EXPECT_EQ(Count(insert, "%"), 1u);
    EXPECT_EQ(Count(insert, "\"%s\""), 1u);
    EXPECT_NE(insert.back(), '.');
    // The launch-error text of the string table, kept as it stands though nothing loads it.
    const std::string runError = String(IDS_RUN_ERROR);
    EXPECT_EQ(runError.size(), 317u);
    EXPECT_EQ(Count(runError, "\n"), 5u);
    EXPECT_NE(runError.find("program! \n"), std::string::npos) << "line 1 ends in a blank";
    EXPECT_NE(runError.find(".\n\nClick"), std::string::npos) << "line 3 is empty";
    EXPECT_LT(runError.find("\"%s\"."), runError.rfind("your %s modem")) << "two placeholders, in order";
    EXPECT_EQ(Count(runError, "%"), 2u);
    char text[16] = "unchanged";
    for (UINT absent : {9u, 13u, 14u, 18u}) {
        EXPECT_EQ(LoadStringA(winsim::Instance(), absent, text, sizeof(text)), 0) << absent;
    }
}

TEST_F(ResourcesTest, IconGroupsHoldSixteenColourImagesWithMasks)
{
    // Each group's images (32 by 32, and 16 by 16 where the group has one); the lowest id is the
    // one the shell shows for the program file.
    const std::map<int, std::vector<int>> groups = {{IDI_PROGRAM, {32, 16}},   {IDI_PROGRAM_COPY, {32, 16}},
                                                    {IDI_ATTENTION, {32, 16}}, {IDI_ANIM1, {32}},
                                                    {IDI_ANIM2, {32}},         {IDI_ANIM3, {32}},
                                                    {IDI_ANIM4, {32}},         {IDI_PROGRAM_LARGE, {32, 16}}};
    std::map<int, std::vector<std::vector<BYTE>>> images;
    for (const winsim::Resource& res : winsim::Resources()) {
        if (MAKEINTRESOURCEA(res.type) == RT_GROUP_ICON) {
            EXPECT_EQ(groups.count(res.id), 1u) << "a group no code paints: " << res.id;
        }
    }
    for (const auto& g : groups) {
        SCOPED_TRACE(g.first);
        const winsim::Resource* group = winsim::FindResource(RT_GROUP_ICON, g.first);
        ASSERT_NE(group, nullptr);
        const std::vector<BYTE>& d = group->data;
        ASSERT_EQ(Word(d, 4), g.second.size());
        for (size_t i = 0; i < g.second.size(); ++i) {
            const size_t entry = 6 + 14 * i, n = static_cast<size_t>(g.second[i]);
            EXPECT_EQ((std::vector<size_t>{d[entry], d[entry + 1], Word(d, entry + 6)}),
                      (std::vector<size_t>{n, n, 4}));
            const winsim::Resource* icon =
                winsim::FindResource(RT_ICON, static_cast<int>(Word(d, entry + 12)));
            ASSERT_NE(icon, nullptr);
            const std::vector<BYTE>& dib = icon->data;
            // 16 colours over colour bits and the AND mask, each row a whole number of DWORDs.
            EXPECT_EQ((std::vector<size_t>{Dword(dib, 4), Dword(dib, 8), Word(dib, 14), dib.size()}),
                      (std::vector<size_t>{n, 2 * n, 4,
                                           40 + 64 + (n * 4 + 31) / 32 * 4 * n + (n + 31) / 32 * 4 * n}));
            images[g.first].push_back(dib);
        }
    }
    // The program, its copy and the attention icon are one picture; the large group shares the small image.
    EXPECT_EQ(images[IDI_PROGRAM], images[IDI_PROGRAM_COPY]);
    EXPECT_EQ(images[IDI_PROGRAM], images[IDI_ATTENTION]);
    EXPECT_NE(images[IDI_PROGRAM_LARGE][0], images[IDI_PROGRAM][0]);
    EXPECT_EQ(images[IDI_PROGRAM_LARGE][1], images[IDI_PROGRAM][1]);
    // Four distinct frames over one transparency mask.
    const size_t maskStart = 40 + 64 + 16 * 32;
    for (int a = IDI_ANIM1; a <= IDI_ANIM4; ++a) {
        for (int b = a + 1; b <= IDI_ANIM4; ++b) {
            EXPECT_NE(images[a][0], images[b][0]) << a << " and " << b;
            EXPECT_TRUE(std::equal(images[a][0].begin() + maskStart, images[a][0].end(),
                                   images[b][0].begin() + maskStart))
                << a << " and " << b;
        }
    }
}

TEST_F(ResourcesTest, BulletsAreOneColourEach)
{
    // The standard palette's bright green (10), dark green (2) and bright red (9).
    const std::pair<int, int> bullets[] = {{IDB_BULLET1, 10}, {IDB_BULLET2, 2}, {IDB_BULLET3, 9}};
    const std::map<int, std::vector<int>> colours = {{10, {0, 255, 0}}, {2, {0, 128, 0}}, {9, {0, 0, 255}}};
    for (const auto& b : bullets) {
        SCOPED_TRACE(b.first);
        const winsim::Resource* res = winsim::FindResource(RT_BITMAP, b.first);
        ASSERT_NE(res, nullptr);
        const std::vector<BYTE>& d = res->data;
        EXPECT_EQ((std::vector<DWORD>{Dword(d, 4), Dword(d, 8), Word(d, 14), Dword(d, 16)}),
                  (std::vector<DWORD>{8, 6, 4, 0}))
            << "8 by 6, 16 colours, uncompressed";
        size_t entry = 40 + 4 * static_cast<size_t>(b.second);
        EXPECT_EQ((std::vector<int>{d[entry], d[entry + 1], d[entry + 2]}), colours.at(b.second));
        ASSERT_EQ(d.size(), 40u + 64u + 24u);
        for (size_t i = 104; i < d.size(); ++i) {
            EXPECT_EQ(d[i], b.second << 4 | b.second);
        }
    }
}

TEST_F(ResourcesTest, VersionBlock)
{
    const winsim::Resource* res = winsim::FindResource(RT_VERSION, 1);
    ASSERT_NE(res, nullptr);
    const std::vector<BYTE>& d = res->data;
    // VS_FIXEDFILEINFO follows the "VS_VERSION_INFO" key, on a 32-bit boundary: its signature and
    // layout version, file and product version 1.0.0.1, flags mask and flags, VOS_NT_WINDOWS32,
    // VFT_APP, subtype and date.
    std::vector<DWORD> fixed;
    for (size_t at = 40; at < 40 + 13 * 4; at += 4) {
        fixed.push_back(Dword(d, at));
    }
    EXPECT_EQ(fixed, (std::vector<DWORD>{0xFEEF04BD, 0x00010000, 0x00010000, 0x00000001, 0x00010000,
                                         0x00000001, 0x3F, 0, 0x00040004, 1, 0, 0, 0}));
    std::string text = Narrow(d);
    size_t at = text.find("040904b0");
    ASSERT_NE(at, std::string::npos);
    const char* pairs[][2] = {
        {"CompanyName", "Halvern"},         {"FileDescription", "Installation extender"},
        {"FileVersion", "1, 0, 0, 1"},      {"InternalName", "corven"},
        {"OriginalFilename", "corven.exe"}, {"ProductName", "Halvern Modem"},
        {"ProductVersion", "1, 0, 0, 1"}};
    for (const auto& pair : pairs) {
        size_t key = text.find(pair[0], at);
        ASSERT_NE(key, std::string::npos) << pair[0] << " in its place";
        size_t value = text.find(pair[1], key + std::string(pair[0]).size());
        EXPECT_NE(value, std::string::npos) << pair[1];
        EXPECT_LT(value - key, 40u) << pair[0] << " holds " << pair[1];
        at = key;
    }
    size_t translation = text.find("Translation");
    ASSERT_NE(translation, std::string::npos);
    size_t valueAt = (translation * 2 + 2 * 12 + 3) / 4 * 4; // past the key's NUL, aligned
    EXPECT_EQ(Word(d, valueAt), 0x0409u);
    EXPECT_EQ(Word(d, valueAt + 2), 1200u);
}
