// The compiled resources the program ships, read back from its .res: templates, strings, icons,
// bitmaps and the version block.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "res/resource.h"
#include "support/fixture.h"

namespace {

class ResourcesTest : public MachineTest {};

constexpr int RT_ICON_ID = 3;
constexpr int RT_BITMAP_ID = 2;
constexpr int RT_DIALOG_ID = 5;
constexpr int RT_GROUP_ICON_ID = 14;
constexpr int RT_VERSION_ID = 16;
constexpr WORD kUsEnglish = 1033;

winsim::DialogTemplate Template(int id)
{
    const winsim::Resource* res = winsim::FindResource(RT_DIALOG_ID, id);
    EXPECT_NE(res, nullptr) << "template " << id;
    winsim::DialogTemplate t{};
    if (res) {
        EXPECT_TRUE(winsim::ParseDialogTemplate(res->data, &t));
    }
    return t;
}

struct Control {
    int id;
    const char* cls;
    const char* text;
    DWORD style;
    int x, y, cx, cy;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kText = kChild | SS_LEFT | WS_GROUP;
constexpr DWORD kBullet = kChild | SS_BITMAP;

void ExpectTemplate(int id, DWORD style, int cx, int cy, const char* title,
                    const std::vector<Control>& controls)
{
    SCOPED_TRACE(id);
    winsim::DialogTemplate t = Template(id);
    EXPECT_FALSE(t.extended);
    EXPECT_EQ(t.style, style);
    EXPECT_EQ(t.exStyle, 0u);
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.y, 0);
    EXPECT_EQ(t.cx, cx);
    EXPECT_EQ(t.cy, cy);
    EXPECT_EQ(t.title, title);
    EXPECT_EQ(t.menu, "");
    EXPECT_EQ(t.cls, "");
    EXPECT_EQ(t.font, "MS Sans Serif");
    EXPECT_EQ(t.pointSize, 8);
    ASSERT_EQ(t.items.size(), controls.size());
    for (size_t i = 0; i < controls.size(); ++i) {
        const Control& c = controls[i];
        const winsim::DialogItem& item = t.items[i];
        SCOPED_TRACE(c.text);
        EXPECT_EQ(item.id, c.id);
        EXPECT_EQ(item.cls, c.cls);
        EXPECT_EQ(item.text, c.text);
        EXPECT_EQ(item.style, c.style);
        EXPECT_EQ(item.exStyle, 0u);
        EXPECT_EQ((std::vector<int>{item.x, item.y, item.cx, item.cy}),
                  (std::vector<int>{c.x, c.y, c.cx, c.cy}));
    }
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

} // namespace

TEST_F(ResourcesTest, EveryResourceIsUsEnglish)
{
    ASSERT_FALSE(winsim::Resources().empty());
    for (const winsim::Resource& res : winsim::Resources()) {
        EXPECT_EQ(res.language, kUsEnglish) << "type " << res.type << " id " << res.id;
    }
    for (int id : {IDD_DISKPROMPT, IDD_LAUNCHERROR, IDD_NOTICE, IDD_INFORMATION}) {
        EXPECT_NE(winsim::FindResource(RT_DIALOG_ID, id), nullptr) << id;
    }
}

TEST_F(ResourcesTest, DiskPromptTemplate)
{
    ExpectTemplate(
        IDD_DISKPROMPT, WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT | DS_3DLOOK | DS_ABSALIGN, 268, 87,
        "<title>",
        {{IDOK, "Button", "OK", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 211, 7, 50, 14},
         {IDC_CAPTION, "Static", "<caption>", kText, 40, 7, 152, 11},
         {IDC_DISKLABEL, "Static", "<disk label here>", kText, 40, 21, 151, 31},
         {IDC_DRIVE, "ComboBox", "",
          kChild | CBS_DROPDOWN | CBS_AUTOHSCROLL | CBS_SORT | CBS_UPPERCASE | WS_VSCROLL | WS_TABSTOP, 40,
          57, 155, 44},
         {IDCANCEL, "Button", "Cancel (debug only)",
          kChild | BS_PUSHBUTTON | BS_CENTER | BS_MULTILINE | WS_TABSTOP, 211, 49, 50, 20},
         {IDC_BROWSE, "Button", "Browse...", kChild | BS_PUSHBUTTON | WS_TABSTOP, 211, 23, 50, 14}});
}

TEST_F(ResourcesTest, LaunchErrorTemplate)
{
    ExpectTemplate(
        IDD_LAUNCHERROR, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 287, 106,
        "There was an error running the Telvanor installation program!",
        {{IDYES, "Button", "Retry", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 215, 7, 65, 14},
         {IDCANCEL, "Button", "Abort", kChild | BS_PUSHBUTTON | WS_TABSTOP, 216, 39, 64, 14},
         {-1, "Static", "Make sure the following program exists before retrying this operation:", kText, 37,
          9, 174, 17},
         {IDC_PROGRAM, "Static", "<program name>", kText, 37, 29, 171, 11},
         {-1, "Static", "Click on \"Retry\" to retry this operation.", kText, 47, 51, 154, 9},
         {-1, "Static", "Click on \"New Path\" if you would like to specify a different install path.", kText,
          47, 63, 221, 9},
         {-1, "Static", "If you choose \"Abort\", your device may not work properly.", kText, 48, 75, 196, 9},
         {IDNO, "Button", "Try New Path", kChild | BS_PUSHBUTTON | WS_TABSTOP, 215, 21, 65, 14},
         {-1, "Static", "#107", kBullet, 38, 53, 5, 4},
         {-1, "Static", "#108", kBullet, 38, 65, 5, 4},
         {-1, "Static", "#109", kBullet, 38, 77, 5, 4}});
}

TEST_F(ResourcesTest, NoticeTemplate)
{
    ExpectTemplate(IDD_NOTICE, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 285, 89,
                   "Installing Additional Software",
                   {{IDOK, "Button", "OK", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 213, 8, 65, 14},
                    {-1, "Static", "Additional software is needed for your device:", kText, 36, 7, 166, 10},
                    {-1, "Static", "Click on \"OK\" to install additional software", kText, 45, 37, 154, 9},
                    {-1, "Static", "If you choose \"Cancel\", your device may not work properly.", kText, 46,
                     50, 196, 9},
                    {IDCANCEL, "Button", "Cancel", kChild | BS_PUSHBUTTON | WS_TABSTOP, 213, 22, 65, 14},
                    {-1, "Static", "#107", kBullet, 36, 39, 5, 4},
                    {-1, "Static", "#109", kBullet, 36, 52, 5, 4},
                    {IDC_DEVICENAME, "Static", "<devicename>", kText, 36, 21, 159, 8},
                    {IDC_DONTSHOW, "Button", "Do not show me this message again",
                     kChild | BS_AUTOCHECKBOX | WS_TABSTOP, 36, 67, 129, 11}});
}

TEST_F(ResourcesTest, InformationTemplate)
{
    ExpectTemplate(IDD_INFORMATION, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 212, 86,
                   "Information",
                   {{IDOK, "Button", "OK", kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 81, 65, 50, 14},
                    {IDC_MESSAGE, "Static", "<message>", kChild | WS_GROUP | SS_CENTER, 7, 7, 198, 44}});
}

TEST_F(ResourcesTest, StringTable)
{
    const std::pair<UINT, const char*> strings[] = {
        {IDS_PRODUCT, "Quorra 28.8 Telvanor"},
        {IDS_PRODUCT_ISDN, "Quorra ISDN Modem"},
        {IDS_PRODUCT_V34, "Quorra V34 PC DSVD Telvanor"},
        {IDS_INSTALLATION, "Installation"},
        {IDS_FILES_NEEDED, "Additional files are needed for your device."},
        {IDS_DISK_LABEL, "Quorra 28.8 Telvanor Install Disk"},
        {IDS_CD_LABEL, "Veltris CD"},
        {IDS_DISK_LABEL_V34, "Quorra V34 PC DSVD Telvanor Install Disk"},
        {IDS_RUN_ERROR_TITLE, "Error Running Installation"},
        {IDS_INSERT_DISK, "Please insert the disk labeled \"%s\" in the drive specified below and click OK"},
        {IDS_VIDEO_CD_LABEL, "Video Veltris CD"},
        {IDS_CAPTURE_CARD, "Dravik Video Capture Card"},
        {IDS_INFORMATION, "Information"},
    };
    for (const auto& s : strings) {
        EXPECT_EQ(String(s.first), s.second) << s.first;
    }
    const std::string runError =
        "There was an error running the installation program! \n"
        "Make sure the following program exists before retrying this operation: \"%s\".\n"
        "\n"
        "Click on Yes to retry this operation.\n"
        "Click on No if you would like to specify a different install path.\n"
        "If you choose to cancel this operation, your %s modem may not function properly.";
    EXPECT_EQ(String(IDS_RUN_ERROR), runError);
    EXPECT_EQ(runError.size(), 317u);
    char text[16] = "unchanged";
    for (UINT absent : {9u, 13u, 14u, 18u}) {
        EXPECT_EQ(LoadStringA(winsim::Instance(), absent, text, sizeof(text)), 0) << absent;
    }
    // A limit cuts the text and keeps the terminator inside the buffer.
    char cut[6];
    EXPECT_EQ(LoadStringA(winsim::Instance(), IDS_PRODUCT, cut, sizeof(cut)), 5);
    EXPECT_STREQ(cut, "Quorr");
}

TEST_F(ResourcesTest, IconGroupsHoldSixteenColourImagesWithMasks)
{
    struct Group {
        int id;
        std::vector<int> sizes;
    };
    const Group groups[] = {{IDI_PROGRAM, {32, 16}},   {IDI_PROGRAM_COPY, {32, 16}},
                            {IDI_ATTENTION, {32, 16}}, {IDI_ANIM1, {32}},
                            {IDI_ANIM2, {32}},         {IDI_ANIM3, {32}},
                            {IDI_ANIM4, {32}},         {IDI_PROGRAM_LARGE, {32, 16}}};
    std::vector<int> groupIds;
    std::map<int, std::vector<std::vector<BYTE>>> images;
    for (const winsim::Resource& res : winsim::Resources()) {
        if (res.type == RT_GROUP_ICON_ID) {
            groupIds.push_back(res.id);
        }
    }
    EXPECT_EQ(*std::min_element(groupIds.begin(), groupIds.end()), IDI_PROGRAM)
        << "the shell shows the lowest";
    EXPECT_EQ(groupIds.size(), 8u);
    for (const Group& g : groups) {
        SCOPED_TRACE(g.id);
        const winsim::Resource* group = winsim::FindResource(RT_GROUP_ICON_ID, g.id);
        ASSERT_NE(group, nullptr);
        const std::vector<BYTE>& d = group->data;
        ASSERT_EQ(Word(d, 4), g.sizes.size());
        for (size_t i = 0; i < g.sizes.size(); ++i) {
            size_t entry = 6 + 14 * i;
            int n = g.sizes[i];
            EXPECT_EQ(d[entry], n);
            EXPECT_EQ(d[entry + 1], n);
            EXPECT_EQ(Word(d, entry + 6), 4u) << "bits per pixel";
            const winsim::Resource* icon =
                winsim::FindResource(RT_ICON_ID, static_cast<int>(Word(d, entry + 12)));
            ASSERT_NE(icon, nullptr);
            const std::vector<BYTE>& dib = icon->data;
            EXPECT_EQ(Dword(dib, 4), static_cast<DWORD>(n));
            EXPECT_EQ(Dword(dib, 8), static_cast<DWORD>(2 * n)) << "colour bits and AND mask";
            EXPECT_EQ(Word(dib, 14), 4u);
            size_t maskRow = ((n + 31) / 32) * 4;
            size_t colourRow = ((n * 4 + 31) / 32) * 4;
            EXPECT_EQ(dib.size(), 40 + 64 + colourRow * n + maskRow * n);
            images[g.id].push_back(dib);
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
    const std::pair<int, int> bullets[] = {{IDB_BULLET1, 10}, {IDB_BULLET2, 2}, {IDB_BULLET3, 9}};
    for (const auto& b : bullets) {
        SCOPED_TRACE(b.first);
        const winsim::Resource* res = winsim::FindResource(RT_BITMAP_ID, b.first);
        ASSERT_NE(res, nullptr);
        const std::vector<BYTE>& d = res->data;
        EXPECT_EQ(Dword(d, 4), 8u);
        EXPECT_EQ(Dword(d, 8), 6u);
        EXPECT_EQ(Word(d, 14), 4u);
        EXPECT_EQ(Dword(d, 16), 0u) << "uncompressed";
        // The standard palette: index 10 bright green, 2 dark green, 9 bright red.
        EXPECT_EQ((std::vector<int>{d[40 + 4 * 10], d[41 + 4 * 10], d[42 + 4 * 10]}),
                  (std::vector<int>{0, 255, 0}));
        EXPECT_EQ((std::vector<int>{d[40 + 4 * 2], d[41 + 4 * 2], d[42 + 4 * 2]}),
                  (std::vector<int>{0, 128, 0}));
        EXPECT_EQ((std::vector<int>{d[40 + 4 * 9], d[41 + 4 * 9], d[42 + 4 * 9]}),
                  (std::vector<int>{0, 0, 255}));
        ASSERT_EQ(d.size(), 40u + 64u + 24u);
        for (size_t i = 104; i < d.size(); ++i) {
            EXPECT_EQ(d[i], b.second << 4 | b.second);
        }
    }
}

TEST_F(ResourcesTest, VersionBlock)
{
    const winsim::Resource* res = winsim::FindResource(RT_VERSION_ID, 1);
    ASSERT_NE(res, nullptr);
    const std::vector<BYTE>& d = res->data;
    // VS_FIXEDFILEINFO follows the "VS_VERSION_INFO" key, on a 32-bit boundary.
    size_t fixed = 40;
    ASSERT_EQ(Dword(d, fixed), 0xFEEF04BDu);
    EXPECT_EQ(Dword(d, fixed + 8), 0x00010000u);  // file version 1.0
    EXPECT_EQ(Dword(d, fixed + 12), 0x00000001u); // .0.1
    EXPECT_EQ(Dword(d, fixed + 16), 0x00010000u); // product version
    EXPECT_EQ(Dword(d, fixed + 20), 0x00000001u);
    EXPECT_EQ(Dword(d, fixed + 24), 0x3Fu);
    EXPECT_EQ(Dword(d, fixed + 28), 0u);
    EXPECT_EQ(Dword(d, fixed + 32), 0x00040004u); // VOS_NT_WINDOWS32
    EXPECT_EQ(Dword(d, fixed + 36), 1u);          // VFT_APP
    EXPECT_EQ(Dword(d, fixed + 40), 0u);
    EXPECT_EQ(Dword(d, fixed + 44), 0u);
    EXPECT_EQ(Dword(d, fixed + 48), 0u);
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
