// The paths the edit needs, from what the platform tells: Corven's entry under the system
// directory, the path Windows started Corven from, and where the companion is listed. Each is
// computed into a buffer of its own; no input is changed on the way.
#include <windows.h>

#include "base/base.h"
#include "loadline/parts.h"

namespace editor {
namespace {

constexpr char kFolderInfix[] = "\\TELVANOR.101\\";
constexpr char kSelf[] = "CORVEN.EXE";
constexpr char kFolder[] = "TELVANOR.101";
constexpr int kSelfLength = sizeof(kSelf) - 1;
constexpr UINT kSystemDirSize = 255;

// What Corven knows of the path Windows started it from.
enum class OwnPath {
    Unknown,   // not had whole: the companion's place is unknown too
    Elsewhere, // not Corven's own file in its folder (a copy run by hand), or Windows 95
    Own,       // Corven's own file in a TELVANOR.101 folder
};

// The system directory as units into out (capacity units); false when it does not fit there.
[[nodiscard]] bool GetSystemDirectoryUnits(Unit* out, UINT capacity, bool unicode)
{
    if (unicode) {
        UINT length = GetSystemDirectoryW(out, capacity);
        return length != 0 && length < capacity;
    }
    char bytes[kPathSize];
    static_assert(kSystemDirSize <= sizeof(bytes), "a directory of either capacity fits");
    UINT length = GetSystemDirectoryA(bytes, capacity);
    if (length == 0 || length >= capacity) {
        return false;
    }
    PackBytes(bytes, out);
    return true;
}

// A path in Corven's folder under the system directory; false when it does not fit `size` units.
[[nodiscard]] bool FormatPathInFolder(Unit* path, UINT directorySize, int size, const char* fileName,
                                      bool unicode)
{
    return GetSystemDirectoryUnits(path, directorySize, unicode) && AppendAscii(path, size, kFolderInfix) &&
           AppendAscii(path, size, fileName);
}

// Corven's own full path, as Windows started it, as units into out (kPathSize units). Read in
// Unicode, where the system has the W functions: the path may hold what the code page lacks.
// Windows 95, 98 and Me are never 64-bit: there Corven is where the system directory says.
OwnPath GetOwnPathUnits(Unit* out, bool unicode)
{
    if (!unicode) {
        return OwnPath::Elsewhere;
    }
    // Looked up rather than imported: the import table has no room left in its page.
    auto getPath =
        FindLoadedFunction<DWORD(WINAPI*)(HMODULE, WCHAR*, DWORD)>("kernel32.dll", "GetModuleFileNameW");
    DWORD length = getPath ? getPath(nullptr, out, kPathSize) : 0;
    if (length == 0 || length >= kPathSize) {
        return OwnPath::Unknown; // a path cut to the buffer may lack its terminator
    }
    if (length <= kSelfLength) {
        return OwnPath::Elsewhere;
    }
    const Unit* end = out + length;
    const Unit* folderEnd = end - kSelfLength - 1;
    return NamesProgram(out, end, kSelf) && *folderEnd == '\\' && NamesProgram(out, folderEnd, kFolder)
               ? OwnPath::Own
               : OwnPath::Elsewhere;
}

// True when the first `count` units of text are those of prefix, A to Z matching either case. A
// shorter text ends in a mismatch at its terminator.
bool StartsWithFolded(const Unit* text, const Unit* prefix, int count)
{
    for (int i = 0; i < count; ++i) {
        if (FoldLetter(text[i]) != FoldLetter(prefix[i])) {
            return false;
        }
    }
    return true;
}

// True when own, Corven's own path, lies in the folder of path, the companion's path under the
// system directory.
bool SharesFolder(const Unit* path, const Unit* own, const char* fileName)
{
    const int folderLength = TextLength(own) - kSelfLength; // its backslash included
    return StartsWithFolded(path, own, folderLength) &&
           TextLength(path + folderLength) == TextLength(fileName);
}

// Where the companion is listed, into path: in Corven's folder under the system directory, unless
// Windows started Corven from a TELVANOR.101 folder elsewhere (own, else nullptr): then beside it.
// On 64-bit Windows a 32-bit installation lands in SysWOW64, and the 64-bit shell finds the
// companion only there. False when the path does not fit.
[[nodiscard]] bool FindCompanionPath(Unit* path, const Unit* own, const char* fileName, bool unicode)
{
    if (!FormatPathInFolder(path, kPathSize, kPathSize, fileName, unicode)) {
        return false;
    }
    if (!own || SharesFolder(path, own, fileName)) {
        return true;
    }
    const int folderLength = TextLength(own) - kSelfLength;
    for (int i = 0; i < folderLength; ++i) {
        path[i] = own[i];
    }
    path[folderLength] = 0;
    return AppendAscii(path, kPathSize, fileName);
}

} // namespace

// Kept out of line: the editor is smaller so.
[[gnu::noinline]] void FindPlaces(Places* places, bool needSelf, const char* companion, bool unicode)
{
    const OwnPath own = GetOwnPathUnits(places->own, unicode);
    places->ownIsSelf = own == OwnPath::Own;
    places->selfKnown =
        needSelf && FormatPathInFolder(places->self, kSystemDirSize, kCandidateSize, kSelf, unicode);
    places->companionKnown =
        companion && own != OwnPath::Unknown &&
        FindCompanionPath(places->companion, places->ownIsSelf ? places->own : nullptr, companion, unicode);
}

} // namespace editor
