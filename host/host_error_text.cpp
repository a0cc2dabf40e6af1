#include "host/host_error_text.h"

#include "host/text_join.h"

std::string DescribeHostError(HostError error) {
  const std::string code = JoinText({"error ", std::to_string(error)});
  switch (error) {
    case kHostErrorNone: return JoinText({code, ": none"});
    case kHostErrorOutOfMemory: return JoinText({code, ": out of memory"});
    case kHostErrorInternal: return JoinText({code, ": an internal failure in the plug-in"});
    case kHostErrorInvalidIndex: return JoinText({code, ": a parameter index the host cannot use"});
    case kHostErrorMissingSuite: return JoinText({code, ": a host suite is missing"});
    default: return code;
  }
}

std::string DescribeRenderFailure(HostError error, const std::string& what) {
  if (error == kHostErrorInternal) {
    return JoinText({"the plug-in failed to render ", what,
                     " (error 512, its answer to any failure inside it, running out of memory among them; if memory "
                     "ran short, a smaller image, a lower depth or fewer threads need less)"});
  }
  return JoinText({"the plug-in failed to render ", what, " (", DescribeHostError(error), ")"});
}
