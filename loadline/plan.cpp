// The edit of the start-up line, planned over the line and the paths it names: Corven's entry
// taken off, the companion listed, and whether the result may be written. No platform call.
#include <windows.h>

#include "base/base.h"
#include "loadline/parts.h"

namespace editor {
namespace {

// Corven's entry relative to the Windows folder, as the installation may list it.
constexpr char kRelativeEntry[] = "system\\TELVANOR.101\\CORVEN.EXE";
constexpr int kRelativeSize = sizeof(kRelativeEntry);

// Takes Corven's entry off the line, in whichever form it is listed. 1 when one went.
int RemoveSelf(Unit* line, const EditInputs& in)
{
    int removed = RemoveWholeEntry(line, in.self);
    Unit relative[kRelativeSize];
    if (!removed && CopyAscii(relative, kRelativeSize, kRelativeEntry)) {
        removed = RemoveWholeEntry(line, relative);
    }
    if (!removed && in.own) {
        removed = RemoveWholeEntry(line, in.own);
    }
    return removed;
}

// Lists path at the end of the line, unless an entry already names a program of fileName. The
// separator that stood before Corven's entry, when that ended the line (separatorLeft), separates
// the companion. False when the line's block has no room for it.
[[nodiscard]] bool ListCompanion(LoadLine* line, const Unit* path, const char* fileName, bool separatorLeft)
{
    Unit* text = line->text;
    if (ListsProgram(text, fileName)) {
        return true;
    }
    int length = TextLength(text);
    if (length != 0 && !(separatorLeft && IsEntrySeparator(text[length - 1]))) {
        text[length++] = ' '; // where the terminator was, inside the block
    }
    return CopyText(text + length, static_cast<int>(line->capacity) - length, path);
}

} // namespace

int RemoveEntry(Unit* line, const Unit* entry)
{
    return RemoveWholeEntry(line, entry);
}

// Where nothing may be written, the comment at each return says why.
EditPlan PlanEdit(LoadLine* line, const EditInputs& in)
{
    const EditPlan keep = {0, false};
    if (in.companion && !in.companionPath) {
        return keep; // where the companion lies is unknown: its folder, or where Corven was started from
    }
    if (line->length > 0 && in.keptInFile && !IsFaithfulLine(line->text)) {
        return keep; // the file stripped quotes on the way in: written back, the entries would change
    }
    EditPlan plan = {1, false};
    bool selfRemoved = false;
    if (in.removeSelf && line->length > 0) {
        if (!in.self) {
            return keep; // the system directory, and so Corven's entry, is unknown
        }
        plan.result = RemoveSelf(line->text, in);
        selfRemoved = plan.result == 1;
        plan.write = selfRemoved; // else Corven's entry is not on the line
    }
    if (in.companion) {
        if (!ListCompanion(line, in.companionPath, in.companion, selfRemoved)) {
            return keep; // no room: the read reserves the companion's, so this is a fault of the caller
        }
        plan.write = true;
    }
    if (!plan.write) {
        return plan;
    }
    int written = TextLength(line->text);
    if (written > in.maxWritten || (in.keptInFile && WouldLoseOuterQuotes(line->text, written))) {
        return keep; // too long to be read back whole, or the file would strip the quotes that now wrap it
    }
    return plan;
}

} // namespace editor
