// parameters.xml: the settings between runs. Layout:
//   <root><parameters><parameter name="KEY" value="..."/>...</parameters></root>
// Every load-edit-save of the file, from any thread, runs under one
// process-wide lock and replaces the file through a temporary file; a file
// that does not parse is kept as its first backup generation
// (parameters0.xml) before anything replaces it.
#pragma once

#include "core/parameter.h"

#include <pugixml.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ovr
{

// Lookups of one value in a loaded document (also the parameters blocks of
// the airport files): `parameters` under `root`, or under the document when
// it has no `root`; the first `parameter` of that name counts; a missing
// `value` gives false, 0 or "".
std::optional<std::int32_t> gf_getParameter(pugi::xml_node document, std::string_view key);
std::optional<bool> gf_readBoolParameter(pugi::xml_node document, std::string_view key);
std::optional<std::string> gf_readStringParameter(pugi::xml_node document, std::string_view key);

// The window's early look at the file, before the settings are read: loads
// it into `document`. A file that exists but does not parse is copied to
// parameters0.xml and removed (logged). True when `document` holds the file.
bool gf_loadParametersForStartUp(pugi::xml_document& document);

// Reads the file into every registered parameter, adds missing keys with
// their defaults and writes it back. True only when there was no usable file
// and a new one with all defaults was written.
bool gf_readParameters();
// Whether this process has read the file into the settings: closing down
// writes settings only then, never defaults over the user's values.
bool gf_parametersRead();
// Writes the whole file from the registries: the defaults when `defaults` is
// set (with the running version as PROGRAM_VERSION), else the current values.
void gf_saveParameters(bool defaults);

// Write one current value into the file (load, edit, save).
void gf_saveParameter(const IntParameter& parameter);
void gf_saveBoolSetting(const BoolParameter& parameter);
void gf_writeParameter(const StringParameter& parameter);
// Makes `text` current, then writes it.
void gf_setParameter(StringParameter& parameter, std::string text);

} // namespace ovr
