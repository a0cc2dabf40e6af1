#include "host/undo_groups.h"

void BeginUndoGroup(UndoGroupRecord& record, const char* name) {
  if (record.depth == 0 && !record.opened) {
    record.name = name != nullptr ? name : "";
    record.opened = true;
  }
  ++record.depth;
}

void EndUndoGroup(UndoGroupRecord& record) {
  if (record.depth > 0) --record.depth;
}
