// Numbers written into export files. They always use a decimal point, never
// the process locale's separator (a host running with a decimal comma would
// otherwise write "12,50" and break the files), and give the same bytes as
// printf's "%d" and "%.Nf" in the C locale.
#pragma once

#include <cstdint>
#include <string>

void AppendInteger(std::string& out, int64_t value);
// `value` rounded to `decimals` places, the exact binary value rounded half
// to even as glibc does; "nan", "-nan", "inf" and "-inf" for the rest.
void AppendFixed(std::string& out, double value, int decimals);
