// The project file: the effect's parameter values by id (with labels, so a
// reader can tell them apart) and the flattened data blobs as hex, so saved
// data survives a reload byte for byte. JSON.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include <nlohmann/json_fwd.hpp>

#include "host/reference_host.h"

nlohmann::json ProjectToJson(ReferenceHost& host);
// Checks the whole project before it changes anything: an unknown id, a
// label that differs from the effect's, a value of the wrong type or outside
// the valid range, or data the effect refuses leaves every value as it was.
//
// `effectWritten` names integer sliders the effect writes itself, unlimited
// by their range (chain numbers past the slider's end): for them a project
// may hold any 32-bit integer, so what a session saved opens again.
bool ProjectFromJson(ReferenceHost& host, const nlohmann::json& project, std::string& error,
                     std::span<const int32_t> effectWritten = {});

// The project file's text (ProjectToJson, indented); the command line
// writes it through its safe output writer.
std::string ProjectText(ReferenceHost& host);
bool LoadProject(ReferenceHost& host, const std::string& path, std::string& error,
                 std::span<const int32_t> effectWritten = {});
