#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/prompter.h"

namespace tav {

// Asks for the title of a numbered list entry (a capsule, a strategy) that is
// stored as one Shift-JIS line of a title file. Refuses, with a stop message
// naming the label, a title with a line break (it would become two titles), a
// title without a Shift-JIS form, and one longer than maxSjisBytes. nullopt
// when refused, cancelled or empty.
std::optional<std::string> askListTitle(Prompter& prompter, std::string_view dialogTitle,
                                        std::string_view label, const std::string& preset,
                                        std::size_t maxSjisBytes);

// Tells, with a stop message, that a list or rule file could not be written.
void tellCannotWrite(Prompter& prompter, std::string_view fileName);

}  // namespace tav
