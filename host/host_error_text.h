// The host's result codes as words for messages: "error 4: out of memory".
#pragma once

#include <string>

#include "host_interface/host_errors.h"

std::string DescribeHostError(HostError error);

// Why a render of `what` ("frame 3", "the image") failed. The effect
// answers any failure inside it with error 512, running out of memory among
// them, so the message names both.
std::string DescribeRenderFailure(HostError error, const std::string& what);
