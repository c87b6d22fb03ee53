// The load-line editor's public operations: each one edit of the start-up line, which reads the
// line once (store.cpp), finds the paths it names (places.cpp), plans the edit (plan.cpp) and
// writes the line once. One editor serves NT's Unicode and Windows 95's bytes: it walks a line of
// units, one unit a character (base/ packs Windows 95's bytes into units and back).
#include "loadline/loadline.h"

#include <windows.h>

#include "base/base.h"
#include "loadline/parts.h"

namespace {

using namespace editor;

// Whatever fails, the line is either as it was or has every change. A line that is absent cannot
// be told from a read that failed, and Corven was started from that line: then nothing is
// written. Returns what RemoveSelfFromLoadLine reports.
int EditLoadLine(bool removeSelf, const char* companion)
{
    LoadLine line;
    // The room the companion's entry may take: a blank and its path.
    switch (ReadLoadLine(&line, companion ? kPathSize + 1 : 0)) {
    case ReadResult::NoLine:
        return 1;
    case ReadResult::Unreadable:
        return 0;
    case ReadResult::Read:
        break;
    }
    Places places;
    FindPlaces(&places, removeSelf && line.length > 0, companion, line.unicode);
    EditInputs inputs;
    inputs.removeSelf = removeSelf;
    // Only a win.ini file changes quotes on the way in; the registry keeps the line as it is.
    inputs.keptInFile = !line.unicode || !KeepsLineInRegistry();
    inputs.maxWritten = MaxWrittenLength(line.unicode);
    inputs.self = places.selfKnown ? places.self : nullptr;
    inputs.own = places.ownIsSelf ? places.own : nullptr;
    inputs.companion = companion;
    inputs.companionPath = places.companionKnown ? places.companion : nullptr;
    EditPlan plan = PlanEdit(&line, inputs);
    if (plan.write && !WriteLoadLine(&line)) {
        plan.result = 0; // a failed write leaves the line as it stands
    }
    ReleaseUnits(line.text);
    return plan.result;
}

} // namespace

int RemoveEntry(WCHAR* line, const WCHAR* entry)
{
    return editor::RemoveEntry(line, entry);
}

int RemoveEntry(char* line, const char* entry)
{
    Unit* lineUnits = AllocateUnits(static_cast<SIZE_T>(TextLength(line)) + 1);
    Unit* entryUnits = AllocateUnits(static_cast<SIZE_T>(TextLength(entry)) + 1);
    int removed = 0;
    if (lineUnits && entryUnits) {
        PackBytes(line, lineUnits);
        PackBytes(entry, entryUnits);
        removed = editor::RemoveEntry(lineUnits, entryUnits);
        UnpackBytes(lineUnits, line);
    }
    ReleaseUnits(lineUnits);
    ReleaseUnits(entryUnits);
    return removed;
}

int RemoveSelfFromLoadLine()
{
    return EditLoadLine(true, nullptr);
}

void AddToLoadLine(const char* fileName)
{
    EditLoadLine(false, fileName);
}

int FinishLoadLine(const char* companion)
{
    return EditLoadLine(true, companion);
}
