// Update to...: the command for the chosen target and how the sticky state reads afterwards.
// Platform-free.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace changes {

enum class UpdateTarget { kHead, kTag, kDate };

// "$(CVS) -q update -d -P -A $(Names)", "... -r $(Revision) ...", "... -D $(Date) ..."; the tag or date
// goes in through the template's value, quoted by the caller.
std::string UpdateToTemplate(UpdateTarget target);
constexpr char kDateVariable[] = "$(Date)";
constexpr char kRevisionVariable[] = "$(Revision)";

// A tag name as the client accepts one: a letter first, then letters, digits, "-" and "_".
bool IsValidTagName(const std::string& name);
// A date text worth handing to the client: not empty, no line end, no leading "-" (it would be an option).
bool IsPlausibleDate(const std::string& date);

// What a CVS/Tag line or an entry's TagDate says: ("tag", name), ("date", date) or ("", "") for none.
// "T<name>" and "N<name>" are tags, "D<date>" a date; a lone letter names nothing.
std::pair<std::string, std::string> ReadSticky(const std::string& tagText);

// The tag names of a log's table, branches and tags alike, sorted, without duplicates.
std::vector<std::string> SortedTagNames(std::vector<std::string> names);

}  // namespace changes
