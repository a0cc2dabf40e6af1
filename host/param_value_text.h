// Parameter values as text: what `--set "LABEL=VALUE"` accepts and what the
// parameter listing shows.
#pragma once

#include <string>
#include <string_view>

#include "host/effect_instance.h"

std::string ParamKindName(int32_t kind);

// A finite decimal number, blanks around it and a leading '+' allowed.
bool ParseDouble(std::string_view text, double& value);

// Integers for sliders and popups (popups also take the choice text), 0, 1,
// on or off for checkboxes, numbers for float sliders, degrees for angles,
// "x,y" layer pixels for points, "#RRGGBB" or "r,g,b" for colours. Values
// outside a slider's valid range are refused. `value` holds the current
// value on entry and is changed only on success.
bool ParseParamValue(const HostParamEntry& entry, std::string_view text, HostParamValue& value, std::string& error);

// A value in the notation ParseParamValue reads (popups with their choice
// text); empty for kinds without a value text (data, layers, buttons).
std::string FormatParamValue(const HostParamEntry& entry, const HostParamValue& value);
std::string FormatParamDefault(const HostParamEntry& entry);
std::string FormatParamRange(const HostParamEntry& entry);

// The parameter named before an '=' of `text` ("LABEL=..."), and where its
// value starts. Labels may hold an '=' of their own ("Taper (0=flat,
// 100=tips)"), values never do: the longest name that resolves wins. -1 and
// the reason when none does.
int32_t FindAssignedParam(const HostEffectInstance& instance, std::string_view text, size_t& valueStart,
                          std::string& error);

// "LABEL=VALUE" (LABEL as FindParamByName takes it) stored as the current value.
bool ApplyParamAssignment(HostEffectInstance& instance, std::string_view assignment, std::string& error);
