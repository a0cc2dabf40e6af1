// The undo groups the effect opens during one command, by the Utility
// Suite's start and end calls: the first outermost one names the command's undo
// step (undo_history.h). Groups may nest; an end without a start is ignored.
#pragma once

#include <cstdint>
#include <string>

struct UndoGroupRecord {
  std::string name;  // of the outermost group
  bool opened = false;
  int32_t depth = 0;
};

void BeginUndoGroup(UndoGroupRecord& record, const char* name);
void EndUndoGroup(UndoGroupRecord& record);
