// The one place the host calls the effect's entry point, and the command
// context that call sets for its thread.
//
// The effect's checkout callback and the Utility Suite's undo groups carry
// no command of their own: what they see is the context of the command
// running on the calling thread (its parameter array, input layer and undo
// group record). A context is set for exactly the length of a scope
// (ScopedCommandContext), and contexts nest: the previous one comes back.
#pragma once

#include <cstdint>

#include "host_interface/host_frame.h"
#include "host_interface/host_param_def.h"
#include "host_interface/host_records.h"

struct ReferenceHost;
struct UndoGroupRecord;

struct CommandContext {
  HostParamDef** params = nullptr;  // the command's own parameter array, by id
  int32_t paramCount = 0;
  const HostFrame* input = nullptr;       // what checkouts of the input layer return
  UndoGroupRecord* undoGroups = nullptr;  // where a press records its undo groups
};

// The context of the command running on this thread; null outside commands.
const CommandContext* CurrentCommandContext();

// Sets `context` for this thread until the end of the scope; `context`
// must outlive it.
struct ScopedCommandContext {
  explicit ScopedCommandContext(const CommandContext& context);
  ~ScopedCommandContext();
  ScopedCommandContext(const ScopedCommandContext&) = delete;
  ScopedCommandContext& operator=(const ScopedCommandContext&) = delete;

  const CommandContext* previous;
};

// One call of the entry point: the command and what goes with it beside the
// input record. Null members are passed as null.
struct EntryPointCall {
  int32_t command = 0;
  HostOutData* out = nullptr;  // null: the effect writes to a record the host drops
  HostParamDef** params = nullptr;
  HostFrame* output = nullptr;
  void* extra = nullptr;
  const HostFrame* input = nullptr;       // the input layer checkouts return during the call
  UndoGroupRecord* undoGroups = nullptr;  // records the undo groups the effect opens
};

// Calls the entry point with `in` (MakeInData, host_callbacks.h) under a
// command context made of `call`.
HostError CallEntryPoint(ReferenceHost& host, HostInData& in, const EntryPointCall& call);
