// Resources from the program's own compiled .res file: strings, dialog templates and icons.
#include <cstring>

#include "winsim/machine.h"

#ifndef WINSIM_RESOURCE_FILE
#error "WINSIM_RESOURCE_FILE names the program's compiled resources"
#endif

namespace {

using winsim::M;
using winsim::Resource;

struct Reader {
    const std::vector<BYTE>& bytes;
    size_t at;
    bool ok = true;

    unsigned Word()
    {
        if (at + 2 > bytes.size()) {
            ok = false;
            return 0;
        }
        unsigned v = bytes[at] | (bytes[at + 1] << 8);
        at += 2;
        return v;
    }
    DWORD Dword()
    {
        unsigned lo = Word();
        unsigned hi = Word();
        return static_cast<DWORD>(lo | (hi << 16));
    }
    void Align(size_t to)
    {
        at = (at + to - 1) / to * to;
    }
    // A UTF-16 text up to its NUL, as 8-bit text.
    std::string Text()
    {
        std::string text;
        for (unsigned c = Word(); ok && c != 0; c = Word()) {
            text += static_cast<char>(c < 256 ? c : '?');
        }
        return text;
    }
    // A name or an ordinal (0xFFFF, id); an ordinal comes back as "#id".
    std::string NameOrOrdinal(int* ordinal)
    {
        unsigned first = Word();
        if (first == 0xFFFF) {
            int id = static_cast<int>(Word());
            if (ordinal) {
                *ordinal = id;
            }
            return "#" + std::to_string(id);
        }
        if (ordinal) {
            *ordinal = -1;
        }
        if (first == 0) {
            return "";
        }
        at -= 2;
        return Text();
    }
};

std::vector<Resource>& Loaded()
{
    static std::vector<Resource> resources;
    return resources;
}

std::string ControlClass(const std::string& cls)
{
    static const char* const kOrdinals[] = {"Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox"};
    if (cls.size() > 1 && cls[0] == '#') {
        int id = std::stoi(cls.substr(1));
        if (id >= 0x80 && id <= 0x85) {
            return kOrdinals[id - 0x80];
        }
    }
    std::string lower = winsim::Lower(cls);
    for (const char* name : kOrdinals) {
        if (winsim::Lower(name) == lower) {
            return name;
        }
    }
    return cls;
}

bool IsProgram(HINSTANCE instance, const char* what)
{
    if (instance != winsim::Instance()) {
        winsim::Problem(std::string(what) + " with an instance that is not the program's");
        return false;
    }
    return true;
}

} // namespace

namespace winsim {

void LoadResourceFile()
{
    if (!Loaded().empty()) {
        return;
    }
    bool ok = false;
    std::vector<BYTE> bytes = ReadHostFile(WINSIM_RESOURCE_FILE, &ok);
    if (!ok) {
        Problem("cannot read " WINSIM_RESOURCE_FILE);
        return;
    }
    Reader r{bytes, 0};
    while (r.ok && r.at + 32 <= bytes.size()) {
        size_t start = r.at;
        DWORD dataSize = r.Dword();
        DWORD headerSize = r.Dword();
        Resource res;
        int typeId = -1;
        int nameId = -1;
        r.NameOrOrdinal(&typeId);
        res.name = r.NameOrOrdinal(&nameId);
        r.Align(4);
        r.Dword(); // data version
        r.Word();  // memory flags
        res.language = static_cast<WORD>(r.Word());
        res.type = typeId;
        res.id = nameId;
        size_t data = start + headerSize;
        if (data + dataSize > bytes.size()) {
            break;
        }
        res.data.assign(bytes.begin() + static_cast<long>(data),
                        bytes.begin() + static_cast<long>(data + dataSize));
        if (dataSize > 0 || typeId != 0) {
            Loaded().push_back(res);
        }
        r.at = data + dataSize;
        r.Align(4);
    }
}

const std::vector<Resource>& Resources()
{
    return Loaded();
}

const Resource* FindResource(LPCSTR type, int id)
{
    for (const Resource& res : Loaded()) {
        if (MAKEINTRESOURCEA(res.type) == type && res.id == id) {
            return &res;
        }
    }
    return nullptr;
}

bool ParseDialogTemplate(const std::vector<BYTE>& data, DialogTemplate* out)
{
    Reader r{data, 0};
    *out = DialogTemplate{};
    out->extended = data.size() >= 4 && data[0] == 1 && data[1] == 0 && data[2] == 0xFF && data[3] == 0xFF;
    int items = 0;
    if (out->extended) {
        r.Dword(); // version and signature
        r.Dword(); // help id
        out->exStyle = r.Dword();
        out->style = r.Dword();
    } else {
        out->style = r.Dword();
        out->exStyle = r.Dword();
    }
    items = static_cast<int>(r.Word());
    out->x = static_cast<short>(r.Word());
    out->y = static_cast<short>(r.Word());
    out->cx = static_cast<short>(r.Word());
    out->cy = static_cast<short>(r.Word());
    out->menu = r.NameOrOrdinal(nullptr);
    out->cls = r.NameOrOrdinal(nullptr);
    out->title = r.Text();
    if (out->style & DS_SETFONT) {
        out->pointSize = static_cast<int>(r.Word());
        if (out->extended) {
            r.Word(); // weight
            r.Word(); // italic and character set
        }
        out->font = r.Text();
    }
    for (int i = 0; i < items && r.ok; ++i) {
        r.Align(4);
        DialogItem item{};
        if (out->extended) {
            r.Dword(); // help id
            item.exStyle = r.Dword();
            item.style = r.Dword();
        } else {
            item.style = r.Dword();
            item.exStyle = r.Dword();
        }
        item.x = static_cast<short>(r.Word());
        item.y = static_cast<short>(r.Word());
        item.cx = static_cast<short>(r.Word());
        item.cy = static_cast<short>(r.Word());
        if (out->extended) {
            item.id = static_cast<int>(r.Dword());
        } else {
            item.id = static_cast<short>(r.Word());
        }
        item.cls = ControlClass(r.NameOrOrdinal(nullptr));
        item.text = r.NameOrOrdinal(nullptr);
        unsigned extra = r.Word();
        r.at += extra;
        out->items.push_back(item);
    }
    return r.ok;
}

} // namespace winsim

extern "C" {

int WINAPI LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int size)
{
    if (auto fault = winsim::Fault("LoadStringA")) {
        return static_cast<int>(fault->result);
    }
    if (size <= 0 || !IsProgram(instance, "LoadStringA")) {
        return 0;
    }
    buffer[0] = '\0';
    const Resource* block = winsim::FindResource(RT_STRING, static_cast<int>(id / 16 + 1));
    if (!block) {
        return 0;
    }
    Reader r{block->data, 0};
    for (UINT i = 0; i < id % 16; ++i) {
        r.at += 2 * r.Word();
    }
    unsigned length = r.Word();
    if (!r.ok || length == 0) {
        return 0;
    }
    int n = 0;
    for (; n < static_cast<int>(length) && n < size - 1; ++n) {
        unsigned c = r.Word();
        buffer[n] = static_cast<char>(c < 256 ? c : '?');
    }
    buffer[n] = '\0';
    return n;
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name)
{
    if (winsim::Fault("LoadIconA")) {
        return nullptr;
    }
    if (!IsProgram(instance, "LoadIconA") || !IS_INTRESOURCE(name)) {
        return nullptr;
    }
    int id = static_cast<int>(reinterpret_cast<uintptr_t>(name));
    if (!winsim::FindResource(RT_GROUP_ICON, id)) {
        return nullptr;
    }
    // An icon loaded from a module is shared: every load gives the same handle, which lives as
    // long as the module and needs no destroying.
    for (const auto& icon : M().icons) {
        if (icon.second == id) {
            return reinterpret_cast<HICON>(icon.first);
        }
    }
    uintptr_t handle = M().nextIcon++;
    M().icons[handle] = id;
    return reinterpret_cast<HICON>(handle);
}

BOOL WINAPI DestroyIcon(HICON icon)
{
    winsim::Fault("DestroyIcon");
    // Destroying a shared icon does nothing, and the icon stays usable.
    if (M().icons.count(reinterpret_cast<uintptr_t>(icon)) == 0) {
        winsim::Problem("DestroyIcon of a handle that is no icon");
        return FALSE;
    }
    return TRUE;
}
}
