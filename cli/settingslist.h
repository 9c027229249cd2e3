// The settings the tool names, listed from the registry: one line per field
// of every group a file holds, as text or as the README's Markdown table.
#pragma once

#include <ostream>

void PrintSettingsList(bool markdown, std::ostream& out);
